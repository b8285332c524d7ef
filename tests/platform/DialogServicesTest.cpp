// Message boxes and file dialogs: their hooks, and real modal runs driven from the event loop.
#include "FileDialog.h"
#include "IsolatedHome.h"
#include "MessageBox.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTest>

#include <functional>

// Acts on the modal dialog once its run has begun. A dialog still running afterwards fails the
// test and is closed, so that the test cannot block.
template <typename Dialog> static void WhenShown(std::function<void(Dialog&)> act) {
    const auto actThenClose = [act] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            act(*dialog);
        }
        if (QWidget* running = QApplication::activeModalWidget()) {
            ADD_FAILURE() << "a dialog is still running";
            running->close();
        }
    };
    QMetaObject::invokeMethod(qApp, actThenClose, Qt::QueuedConnection);
}

TEST(DialogServicesTest, HooksAnswerInOrderAndAnUnscriptedCallNeverBlocks) {
    MessageBoxHook boxes;
    FileDialogHook files;
    boxes.PushAnswer(IDNO);
    files.PushCancel();
    files.PushPath('/' + QString(1022, 'a'));         // the longest path the path buffers hold
    files.PushPath("/a" + QString(511, QChar(0xE4))); // one byte too long in 8-bit text
    EXPECT_EQ(MessageBox(nullptr, "Save changes ?", "Confirm", MB_YESNOCANCEL), IDNO);
    EXPECT_EQ(MessageBox(nullptr, "Error text", "Error", MB_OK), MessageBoxHook::unscriptedAnswer);
    EXPECT_FALSE(RunFileDialog(nullptr, FileDialogKind::Save, "\\aviation.ckl").confirmed);
    EXPECT_EQ(RunFileDialog(nullptr, FileDialogKind::Open, "").path, '/' + QString(1022, 'a'));
    EXPECT_FALSE(RunFileDialog(nullptr, FileDialogKind::Open, "").confirmed);
    EXPECT_FALSE(RunFileDialog(nullptr, FileDialogKind::Open, "").confirmed);
    EXPECT_EQ(boxes.Shown().at(0).text + boxes.Shown().at(0).caption, "Save changes ?Confirm");
    EXPECT_EQ(files.Asked().at(0).initialName, "\\aviation.ckl");
    EXPECT_FALSE(files.Asked().at(3).scripted);
}

// With filters of its own a dialog offers those, the first shown first; the hook answers with the
// filter scripted, or the first, and refuses one that was never offered.
TEST(DialogServicesTest, FileDialogHookAnswersWithTheFilterChosen) {
    const QStringList filters = {"Garmin (*.ace)", "Dynon (*.txt)"};
    FileDialogHook files;
    files.PushPath("/a.txt", "Dynon (*.txt)");
    files.PushPath("/b");
    files.PushPath("/c.ckl");
    files.PushPath("/d.gplt", "Garmin Pilot (*.gplt)");
    files.PushCancel();
    using enum FileDialogKind;
    // Name, kind, filters given, path, filter answered (none: cancelled), scripted.
    const std::tuple<const char*, FileDialogKind, QStringList, QString, QString, bool> rows[] = {
        {"ChosenFilter", Save, filters, "/a.txt", "Dynon (*.txt)", true},
        {"FirstFilterUnlessChosen", Open, filters, "/b", "Garmin (*.ace)", true},
        {"ChecklistsWithoutFilters", Save, {}, "/c.ckl", "Checklists (*.ckl)", true},
        {"FilterNotOfferedCancels", Save, filters, "", "", false},
        {"Cancelled", Save, filters, "", "", true},
    };
    for (const auto& [name, kind, offered, path, filter, scripted] : rows) {
        SCOPED_TRACE(name);
        const FileDialogResult result = RunFileDialog(nullptr, kind, "", offered);
        EXPECT_EQ(std::tuple(result.confirmed, result.path, result.filter),
                  std::tuple(!path.isEmpty(), path, filter));
        const FileDialogRecord& asked = files.Asked().back();
        EXPECT_EQ(asked.filters, offered.isEmpty() ? QStringList{"Checklists (*.ckl)"} : offered);
        EXPECT_EQ(asked.scripted, scripted);
    }
}

TEST(DialogServicesTest, MessageBoxAnswersWithTheButtonChosen) {
    QWidget active; // owns what is shown without an owner
    active.show();
    QApplication::setActiveWindow(&active);
    EXPECT_EQ(BuildMessageBox(nullptr, "text", "Error", MB_OK)->parentWidget(), &active);
    EXPECT_EQ(BuildFileDialog(nullptr, FileDialogKind::Open, "")->parentWidget(), &active);
    using enum QMessageBox::StandardButton;
    // Name, type, buttons shown, key pressed (none: No is clicked), result.
    const std::tuple<const char*, int, QMessageBox::StandardButtons, int, int> rows[] = {
        {"UnknownTypeShowsOk", 99, Ok, Qt::Key_Return, IDOK},
        {"YesNoEscaped", MB_YESNO, Yes | No, Qt::Key_Escape, IDNO},
        {"YesNoEntered", MB_YESNO, Yes | No, Qt::Key_Return, IDYES},
        {"NoOfThreeClicked", MB_YESNOCANCEL, Yes | No | Cancel, 0, IDNO},
        {"ThreeEscaped", MB_YESNOCANCEL, Yes | No | Cancel, Qt::Key_Escape, IDCANCEL},
        {"ThreeEntered", MB_YESNOCANCEL, Yes | No | Cancel, Qt::Key_Return, IDYES},
        {"OkCancelEscaped", MB_OKCANCEL, Ok | Cancel, Qt::Key_Escape, IDCANCEL},
        {"OkCancelEntered", MB_OKCANCEL, Ok | Cancel, Qt::Key_Return, IDOK},
    };
    for (const auto& [name, type, buttons, key, result] : rows) {
        SCOPED_TRACE(name);
        QWidget owner;
        owner.show();
        WhenShown<QMessageBox>([&, buttons = buttons, key = key](QMessageBox& box) {
            EXPECT_EQ(box.standardButtons(), buttons);
            EXPECT_EQ(std::tuple(box.parentWidget(), box.windowModality(), box.textFormat()),
                      std::tuple(&owner, Qt::ApplicationModal, Qt::PlainText));
            key == 0 ? QTest::mouseClick(box.button(QMessageBox::No), Qt::LeftButton)
                     : QTest::keyClick(&box, Qt::Key(key));
        });
        EXPECT_EQ(MessageBox(&owner, "<b>Question</b>", "Confirm", type), result);
    }
}

TEST(DialogServicesTest, FileDialogGivesTheFullPathChosen) {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    ASSERT_TRUE(QDir().mkpath(documents));
    using enum FileDialogKind;
    // Name, kind, initial name, name typed (none: the one offered), full path (none: cancelled).
    const std::tuple<const char*, FileDialogKind, QString, QString, QString> rows[] = {
        {"SaveAddsTheExtension", Save, "", "new", documents + "/new.ckl"},
        {"OpenTakesAMissingFile", Open, "", "missing.ckl", documents + "/missing.ckl"},
        {"DevicePathInHome", Open, "\\plane.ckl", "", QDir::homePath() + "/plane.ckl"},
        {"Cancelled", Save, "\\my documents\\aviation.ckl", "", ""},
    };
    for (const auto& [name, kind, initialName, typed, path] : rows) {
        SCOPED_TRACE(name);
        QWidget owner;
        owner.show();
        WhenShown<QFileDialog>([&, kind = kind, typed = typed, path = path](QFileDialog& dialog) {
            EXPECT_EQ(
                std::tuple(dialog.parentWidget(), dialog.windowModality(), dialog.nameFilters()),
                std::tuple(&owner, Qt::ApplicationModal, QStringList{"Checklists (*.ckl)"}));
            EXPECT_EQ(dialog.testOption(QFileDialog::DontConfirmOverwrite), kind == Save);
            if (!typed.isEmpty()) {
                dialog.selectFile(typed);
            }
            path.isEmpty() ? dialog.reject() : static_cast<QDialog&>(dialog).accept();
        });
        const FileDialogResult result = RunFileDialog(&owner, kind, initialName);
        EXPECT_EQ(std::pair(result.confirmed, result.path), std::pair(!path.isEmpty(), path));
    }
}

// A dialog of several formats shows their filters and returns the name as typed, with the filter
// the user chose: the caller adds the ending that filter stands for.
TEST(DialogServicesTest, FileDialogOfSeveralFiltersSaysWhichWasChosen) {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    ASSERT_TRUE(QDir().mkpath(documents));
    const QStringList filters = {"Garmin (*.ace)", "Dynon (*.txt)", "Grand Rapids (*.txt)"};
    QWidget owner;
    owner.show();
    WhenShown<QFileDialog>([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.nameFilters(), filters);
        EXPECT_EQ(dialog.selectedNameFilter(), filters[0]);
        EXPECT_EQ(dialog.defaultSuffix(), "");
        dialog.selectNameFilter(filters[2]);
        dialog.selectFile("panel");
        static_cast<QDialog&>(dialog).accept();
    });
    const FileDialogResult result = RunFileDialog(&owner, FileDialogKind::Save, "", filters);
    EXPECT_EQ(std::tuple(result.confirmed, result.path, result.filter),
              std::tuple(true, documents + "/panel", filters[2]));
}
