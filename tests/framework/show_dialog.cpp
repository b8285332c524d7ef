// Shows one dialog template on screen as the framework builds it, for looking at by eye:
//     show_dialog [templateId]     (102, the checklist screen, when none is given)
// The checklist screen (102) gets its menus. Choosing OK, Cancel or closing the window ends it.
#include "CDialog.h"
#include "resource.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace {

class CShowDlg : public CDialog {
public:
    explicit CShowDlg(int templateId) : CDialog(templateId) {
        fullScreen = templateId == IDD_CHECKLIST || templateId == IDD_HOTBUTTONS;
    }

protected:
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        if (GetTemplateId() == IDD_CHECKLIST) {
            GetMenuBar().InsertMenu(IDR_MAINMENU);
        }
        return true;
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    std::printf("%d\n", CShowDlg(argc > 1 ? std::atoi(argv[1]) : IDD_CHECKLIST).DoModal());
    return 0;
}
