#include "FileDialog.h"
#include "IsolatedHome.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPointer>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <functional>

namespace {

QString Documents() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

class FileDialogTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(Documents())); }

    IsolatedHome home;
};

TEST_F(FileDialogTest, HookAnswersInOrderAndRecordsWhatWasAsked) {
    FileDialogHook hook;
    hook.PushPath("/data/a.ckl");
    hook.PushCancel();
    const FileDialogResult opened = RunFileDialog(nullptr, FileDialogKind::Open, QString());
    const FileDialogResult saved =
        RunFileDialog(nullptr, FileDialogKind::Save, "\\my documents\\aviation.ckl");
    EXPECT_TRUE(opened.confirmed);
    EXPECT_EQ(opened.path, "/data/a.ckl");
    EXPECT_FALSE(saved.confirmed);
    EXPECT_EQ(saved.path, "");
    ASSERT_EQ(hook.Asked().size(), 2u);
    EXPECT_EQ(hook.Asked()[0].kind, FileDialogKind::Open);
    EXPECT_EQ(hook.Asked()[0].initialName, "");
    EXPECT_EQ(hook.Asked()[1].kind, FileDialogKind::Save);
    EXPECT_EQ(hook.Asked()[1].initialName, "\\my documents\\aviation.ckl");
    EXPECT_TRUE(hook.Asked()[1].scripted);
    EXPECT_EQ(QApplication::topLevelWidgets().size(), 0);
}

TEST_F(FileDialogTest, CallWithoutAnAnswerCancelsInsteadOfBlocking) {
    FileDialogHook hook;
    EXPECT_FALSE(RunFileDialog(nullptr, FileDialogKind::Save, QString()).confirmed);
    ASSERT_EQ(hook.Asked().size(), 1u);
    EXPECT_FALSE(hook.Asked()[0].scripted);
}

TEST_F(FileDialogTest, PathTooLongForThePathBuffersIsNotConfirmed) {
    struct Row {
        const char* name;
        QString path;
        bool confirmed;
    };
    const QString twoByteLetter = QStringLiteral("\u00E4");
    const Row rows[] = {
        {"LongestAsciiPath", '/' + QString(1022, 'a'), true},
        {"OneByteTooLong", '/' + QString(1023, 'a'), false},
        {"LongestMultibytePath", '/' + twoByteLetter.repeated(511), true},
        {"MultibyteOneByteTooLong", "/a" + twoByteLetter.repeated(511), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FileDialogHook hook;
        hook.PushPath(row.path);
        const FileDialogResult result = RunFileDialog(nullptr, FileDialogKind::Open, QString());
        EXPECT_EQ(result.confirmed, row.confirmed);
        EXPECT_EQ(result.path, row.confirmed ? row.path : QString());
    }
}

TEST_F(FileDialogTest, DialogsAreSetUpForChecklistFiles) {
    for (FileDialogKind kind : {FileDialogKind::Open, FileDialogKind::Save}) {
        const bool saving = kind == FileDialogKind::Save;
        SCOPED_TRACE(saving ? "save" : "open");
        const auto dialog = BuildFileDialog(nullptr, kind, QString());
        EXPECT_EQ(dialog->acceptMode(), saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        // Names of files that do not exist yet are accepted by both.
        EXPECT_EQ(dialog->fileMode(), QFileDialog::AnyFile);
        EXPECT_EQ(dialog->testOption(QFileDialog::DontConfirmOverwrite), saving);
        EXPECT_FALSE(dialog->testOption(QFileDialog::ReadOnly));
        EXPECT_EQ(dialog->nameFilters(), QStringList{"Checklists (*.ckl)"});
        EXPECT_EQ(dialog->defaultSuffix(), "ckl");
        EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
        EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir(Documents()).canonicalPath());
    }
}

TEST_F(FileDialogTest, InitialNameIsOfferedWhereTheFileLies) {
    struct Row {
        const char* name;
        QString initialName;
        QString offered;
    };
    const Row rows[] = {
        {"DevicePathInDocuments", "\\my documents\\aviation.ckl", Documents() + "/aviation.ckl"},
        {"DevicePathInHome", "\\flight.ckl", home.Home() + "/flight.ckl"},
        {"HostPath", home.Home() + "/plane.ckl", home.Home() + "/plane.ckl"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto dialog = BuildFileDialog(nullptr, FileDialogKind::Save, row.initialName);
        ASSERT_EQ(dialog->selectedFiles().size(), 1);
        EXPECT_EQ(dialog->selectedFiles().constFirst(), row.offered);
    }
}

// Acts on the file dialog once its modal run has begun; closes it whatever happens, so that a
// failing test cannot block.
void WhenTheDialogIsShown(std::function<void(QFileDialog&)> act) {
    QMetaObject::invokeMethod(
        qApp,
        [act] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                ADD_FAILURE() << "no file dialog is running";
                for (QWidget* widget : QApplication::topLevelWidgets()) {
                    if (auto* other = qobject_cast<QFileDialog*>(widget)) {
                        other->reject();
                    }
                }
                return;
            }
            QPointer<QFileDialog> guard(dialog);
            act(*dialog);
            if (guard && guard->isVisible()) {
                ADD_FAILURE() << "the dialog is still open";
                guard->reject();
            }
        },
        Qt::QueuedConnection);
}

TEST_F(FileDialogTest, ConfirmedNameComesBackAsFullPathWithTheExtension) {
    struct Row {
        const char* name;
        FileDialogKind kind;
        QString typed;
        QString path;
    };
    const Row rows[] = {
        {"SaveAddsExtension", FileDialogKind::Save, "new", Documents() + "/new.ckl"},
        {"SaveKeepsExtension", FileDialogKind::Save, "kept.ckl", Documents() + "/kept.ckl"},
        {"OpenTakesMissingFile", FileDialogKind::Open, "missing.ckl", Documents() + "/missing.ckl"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QWidget owner;
        owner.show();
        bool ownerBlocked = false;
        WhenTheDialogIsShown([&](QFileDialog& dialog) {
            ownerBlocked =
                dialog.parentWidget() == &owner && QApplication::activeModalWidget() == &dialog;
            dialog.selectFile(row.typed);
            QMetaObject::invokeMethod(&dialog, "accept");
        });
        const FileDialogResult result = RunFileDialog(&owner, row.kind, QString());
        EXPECT_TRUE(result.confirmed);
        EXPECT_EQ(result.path, row.path);
        EXPECT_TRUE(ownerBlocked);
    }
}

TEST_F(FileDialogTest, CancelledDialogIsNotConfirmed) {
    WhenTheDialogIsShown([](QFileDialog& dialog) { dialog.reject(); });
    const FileDialogResult result =
        RunFileDialog(nullptr, FileDialogKind::Save, "\\my documents\\aviation.ckl");
    EXPECT_FALSE(result.confirmed);
    EXPECT_EQ(result.path, "");
}

} // namespace
