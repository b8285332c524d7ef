// Message boxes and file dialogs: their hooks, and real modal runs driven from the event loop.
#include "FileDialog.h"
#include "IsolatedHome.h"
#include "MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
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
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].text + boxes.Shown()[0].caption, "Save changes ?Confirm");
    ASSERT_EQ(files.Asked().size(), 4u);
    EXPECT_EQ(files.Asked()[0].initialName, "\\aviation.ckl");
    EXPECT_FALSE(files.Asked()[3].scripted);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

TEST(DialogServicesTest, WithoutAnOwnerTheActiveWindowOwns) {
    QWidget window;
    window.show();
    QApplication::setActiveWindow(&window);
    EXPECT_EQ(BuildMessageBox(nullptr, "text", "Error", MB_OK)->parentWidget(), &window);
    EXPECT_EQ(BuildFileDialog(nullptr, FileDialogKind::Open, "")->parentWidget(), &window);
}

TEST(DialogServicesTest, MessageBoxAnswersWithTheButtonChosen) {
    const QMessageBox::StandardButtons yesNo = QMessageBox::Yes | QMessageBox::No;
    const QMessageBox::StandardButtons yesNoCancel = yesNo | QMessageBox::Cancel;
    // Name, type, buttons shown, key pressed (none: No is clicked), result.
    const std::tuple<const char*, int, QMessageBox::StandardButtons, int, int> rows[] = {
        {"OkEscaped", MB_OK, QMessageBox::Ok, Qt::Key_Escape, IDOK},
        {"UnknownTypeShowsOk", 99, QMessageBox::Ok, Qt::Key_Return, IDOK},
        {"YesNoEscaped", MB_YESNO, yesNo, Qt::Key_Escape, IDNO},
        {"YesNoEntered", MB_YESNO, yesNo, Qt::Key_Return, IDYES},
        {"NoOfThreeClicked", MB_YESNOCANCEL, yesNoCancel, 0, IDNO},
        {"ThreeEscaped", MB_YESNOCANCEL, yesNoCancel, Qt::Key_Escape, IDCANCEL},
        {"ThreeEntered", MB_YESNOCANCEL, yesNoCancel, Qt::Key_Return, IDYES},
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
    IsolatedHome home;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString inHome = home.Home() + "/plane.ckl";
    ASSERT_TRUE(QDir().mkpath(documents));
    const FileDialogKind open = FileDialogKind::Open;
    const FileDialogKind save = FileDialogKind::Save;
    // Name, kind, initial name, name typed (none: the one offered), full path (none: cancelled).
    const std::tuple<const char*, FileDialogKind, QString, QString, QString> rows[] = {
        {"SaveAddsTheExtension", save, "", "new", documents + "/new.ckl"},
        {"OpenTakesAMissingFile", open, "", "missing.ckl", documents + "/missing.ckl"},
        {"DevicePathInDocuments", save, "\\My Documents\\a.ckl", "", documents + "/a.ckl"},
        {"DevicePathInHome", open, "\\plane.ckl", "", inHome},
        {"HostPath", save, inHome, "", inHome},
        {"Cancelled", save, inHome, "", ""},
    };
    for (const auto& [name, kind, initialName, typed, path] : rows) {
        SCOPED_TRACE(name);
        QWidget owner;
        owner.show();
        WhenShown<QFileDialog>([&, kind = kind, typed = typed, path = path](QFileDialog& dialog) {
            EXPECT_EQ(
                std::tuple(dialog.parentWidget(), dialog.windowModality(), dialog.nameFilters()),
                std::tuple(&owner, Qt::ApplicationModal, QStringList{"Checklists (*.ckl)"}));
            EXPECT_EQ(dialog.testOption(QFileDialog::DontConfirmOverwrite), kind == save);
            if (!typed.isEmpty()) {
                dialog.selectFile(typed);
            }
            path.isEmpty() ? dialog.reject() : static_cast<QDialog&>(dialog).accept();
        });
        const FileDialogResult result = RunFileDialog(&owner, kind, initialName);
        EXPECT_EQ(std::pair(result.confirmed, result.path), std::pair(!path.isEmpty(), path));
    }
}
