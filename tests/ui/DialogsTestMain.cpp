// One QApplication for the dialog tests, on the offscreen platform, with the user's folders
// redirected to Qt's test locations so that nothing of the real user's is touched.
//
// For looking at a dialog by eye instead (not a test), on a real display:
//     dialogs_tests --show textentry | about | hotbuttons [file.ckl]
// runs that dialog for real, the hot-button dialog on the checklists of file.ckl, and prints its
// result.
#include "CAboutDlg.h"
#include "CHotButtonsDlg.h"
#include "CTextEntryDlg.h"
#include "ChecklistDoc.h"

#include <QApplication>
#include <QStandardPaths>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>

namespace {

int ShowDialog(int argc, char** argv) {
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    const char* which = argc > 2 ? argv[2] : "";
    int result = -1;
    if (std::strcmp(which, "textentry") == 0) {
        char text[1024] = "";
        result = RunTextEntry("Create Checklist", "Enter the name for the new list:", text);
        std::printf("text: \"%s\"\n", text);
    } else if (std::strcmp(which, "about") == 0) {
        CAboutDlg about;
        result = about.DoModal();
    } else if (std::strcmp(which, "hotbuttons") == 0) {
        ChecklistDoc document;
        if (argc > 3) {
            document.LoadFile(argv[3]);
        }
        CHotButtonsDlg dialog;
        dialog.document = &document;
        result = dialog.DoModal();
        for (int i = 0; i < ChecklistDoc::slotCount; ++i) {
            const HotButtonSlot* slot = document.SlotAt(i);
            std::printf("slot %d: \"%s\" -> %d\n", i, slot->caption,
                        document.IndexOfChecklist(slot->checklist));
        }
    } else {
        std::fprintf(stderr, "usage: dialogs_tests --show textentry|about|hotbuttons [file]\n");
        return 2;
    }
    std::printf("result: %d\n", result);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--show") == 0) {
        return ShowDialog(argc, argv);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
