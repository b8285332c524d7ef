// Shows one dialog template on screen as the framework builds it, for looking at by eye:
//     show_dialog <templateId>
// The checklist screen (102) gets its menus, a Lists button and a few ticked and unticked items,
// so that it looks as it does in use. Choosing OK, Cancel or closing the window ends it.
#include "CDialog.h"
#include "CImageList.h"
#include "CTreeCtrl.h"
#include "LoadIcon.h"
#include "resource.h"

#include <QApplication>
#include <QComboBox>
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
        SetIcon(LoadIcon(IDI_PROGRAM), true);
        if (GetTemplateId() == IDD_TEXTENTRY) {
            SetWindowText("Create Checklist");
            GetDlgItem(IDC_ENTRY_PROMPT)->setProperty("text", "Enter the name for the new list:");
        }
        if (GetTemplateId() == IDD_HOTBUTTONS) {
            for (int list : {IDC_ROWLIST0, IDC_ROWLIST1, IDC_ROWLIST2, IDC_ROWLIST3}) {
                auto* combo = GetDlgItem<QComboBox>(list);
                combo->addItems({"(none)", "Before Take-off", "Engine Fire in Flight"});
                combo->setCurrentIndex(1);
            }
            for (int box : {IDC_ROWCAPTION0, IDC_ROWCAPTION1, IDC_ROWCAPTION2, IDC_ROWCAPTION3}) {
                GetDlgItem(box)->setProperty("text", "(empty)");
            }
        }
        if (GetTemplateId() != IDD_CHECKLIST) {
            return true;
        }
        GetMenuBar().InsertMenu(IDR_MAINMENU);
        CMenu lists;
        lists.CreatePopupMenu();
        lists.AppendMenu(MF_STRING, ID_LISTS_FIRST, "Before Take-off");
        lists.AppendMenu(MF_STRING, ID_LISTS_FIRST + 1, "Before Landing");
        GetMenuBar().InsertButton(GetMenuBar().ButtonCount(), ID_LISTS, "Lists", std::move(lists));

        CTreeCtrl tree;
        tree.Attach(GetDlgItem(IDC_TREE));
        CImageList states;
        states.Create(IDB_CHECKSTATES, 16);
        tree.SetStateImageList(states);
        for (const char* item :
             {"PARKING BRAKE ..... SET", "FLIGHT CONTROLS ..... FREE AND CORRECT",
              "FUEL SELECTOR ..... BOTH", "MIXTURE ..... RICH", "FLAPS ..... SET FOR TAKE-OFF",
              "TRANSPONDER ..... ALT"}) {
            tree.InsertItem(item);
        }
        tree.SetCheck(tree.GetItem(0), true);
        tree.SetCheck(tree.GetItem(1), true);
        GetDlgItem(IDC_LISTNAME)->setProperty("text", "Before Take-off");
        for (int i = 0; i < 4; ++i) {
            static const char* const captions[] = {"Takeoff", "Landing", "Eng Fail", "Fire"};
            GetDlgItem(IDC_HOTBUTTON0 + i)->setProperty("text", captions[i]);
        }
        return true;
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: show_dialog <templateId>\n");
        return 2;
    }
    CShowDlg dialog(std::atoi(argv[1]));
    std::printf("%d\n", dialog.DoModal());
    return 0;
}
