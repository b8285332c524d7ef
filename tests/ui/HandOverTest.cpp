// A file named on the command line, or handed over by a later copy of the program: opened as
// Load opens it, after the save question, and never in the middle of a command.
#include "UiTestSupport.h"

#include <QProcess>
#include <QTemporaryDir>

#include <list>
#include <string>

namespace {

const QString question = "Confirm: Save changes to current checklist ? [yes no cancel]";
const QString openFailure = "Error: The checklist file could not be opened.";
const char fileB[] = "[$$CHECKLIST]\nB list\nB item\n[$$END]\n";

// Copies of the program are the test program started with "copy" (see PlayProgramCopy).

// Generous: copies of a sanitizer build start slowly on a busy machine.
constexpr int waitMs = 60000;

std::string NextLine(QProcess& copy) {
    while (!copy.canReadLine() && copy.waitForReadyRead(waitMs)) {
    }
    return copy.readLine().trimmed().toStdString();
}

class HandOverTest : public UiTest {
protected:
    // A copy of the program started in folder with arguments, meeting only this test's copies.
    QProcess& Start(const QString& folder, const QStringList& arguments) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", runtime.path());
        QProcess& copy = copies.emplace_back();
        copy.setProcessEnvironment(environment);
        copy.setWorkingDirectory(folder);
        copy.start(QCoreApplication::applicationFilePath(), QStringList{"copy"} + arguments);
        EXPECT_TRUE(copy.waitForStarted(waitMs));
        return copy;
    }

    void TearDown() override {
        for (QProcess& copy : copies) {
            copy.closeWriteChannel();
            copy.waitForFinished(waitMs);
            EXPECT_EQ(copy.state(), QProcess::NotRunning);
            EXPECT_EQ(copy.exitCode(), 0) << copy.readAllStandardError().toStdString();
        }
        copies.clear();
        UiTest::TearDown();
    }

    QTemporaryDir runtime;
    std::list<QProcess> copies;
};

// Each copy names its file relative to its own working folder; the running copy opens the file
// the later copy meant, and the later copy ends without showing anything.
TEST_F(HandOverTest, LaterCopiesHandTheirFilesToTheRunningCopyAndEnd) {
    const QString here = TempPath("here");
    const QString there = TempPath("there");
    WriteFile(here + "/a.ckl", twoListsFile);
    WriteFile(there + "/trip/b.ckl", fileB);
    QProcess& running = Start(here, {"a.ckl"});
    ASSERT_EQ(NextLine(running), "showing Start: Fuel on|Magnetos both");

    const auto handOver = [&](const QStringList& arguments) {
        QProcess& later = Start(there, arguments);
        EXPECT_TRUE(later.waitForFinished(waitMs));
        EXPECT_EQ(later.exitCode(), 0);
        EXPECT_EQ(later.readAllStandardOutput().toStdString(), ""); // never showed its screen
    };
    handOver({"trip/b.ckl"});
    EXPECT_EQ(NextLine(running), "showing B list: B item");
    // Without a file a later copy only brings the running one forward: the next thing the
    // running copy says is about the next file.
    handOver({});
    handOver({"--", "../here/a.ckl"});
    EXPECT_EQ(NextLine(running), "showing Start: Fuel on|Magnetos both");
    handOver({"missing.ckl"});
    EXPECT_EQ(NextLine(running), "showing Start: | " + openFailure.toStdString());
}

// The named file is opened as Load opens it; the remembered file changes only at Close.
TEST_F(HandOverTest, StartsOnTheNamedFileAndRemembersItOnlyAtClose) {
    const QString fileA = TempPath("a.ckl");
    WriteFile(fileA, twoListsFile);
    StoreRememberedFile(defaultRememberedFile);
    for (const auto& [file, view, boxes] : {
             std::tuple{fileA, std::string("Start: Fuel on|Magnetos both"), QStringList()},
             std::tuple{TempPath("missing.ckl"), std::string("Static:"), QStringList{openFailure}},
         }) {
        SCOPED_TRACE(file.toStdString());
        MessageBoxHook shown;
        Push(shown, {IDOK});
        RunScreen(
            [&](CChecklistDlg& screen) {
                EXPECT_EQ(View(screen), view);
                Choose(screen, ID_FILE_EXIT);
            },
            {}, file);
        EXPECT_EQ(Boxes(shown), boxes);
        EXPECT_EQ(RememberedFile(), defaultRememberedFile);
    }
    RunScreen([](CChecklistDlg& screen) { screen.GetFullScreenOkButton()->click(); }, {}, fileA);
    EXPECT_EQ(RememberedFile(), fileA.toStdString());
}

// A file handed over while a command's dialog is open waits for the command to end; then the
// save question comes first, and Cancel keeps the document.
TEST_F(HandOverTest, AHandedOverFileWaitsForTheCommandAndAsksFirst) {
    const QString fileA = TempPath("a.ckl");
    const QString fileB = TempPath("b.ckl");
    WriteFile(fileA, twoListsFile);
    WriteFile(fileB, ::fileB);
    for (const int answer : {IDCANCEL, IDNO}) {
        SCOPED_TRACE(answer);
        MessageBoxHook boxes;
        Push(boxes, {answer, IDCANCEL});
        CChecklistDlg* running = nullptr;
        RunScreen(
            [&](CChecklistDlg& screen) {
                running = &screen;
                Choose(screen, ID_EDIT_ADD_ITEM);
                EXPECT_EQ(View(screen), answer == IDNO ? "B list: B item"
                                                       : "Start: Fuel on|Magnetos both|Brakes");
                screen.OpenFile(fileA); // nothing runs now: opens at once, after the question
                EXPECT_EQ(View(screen), answer == IDNO ? "Start: Fuel on|Magnetos both"
                                                       : "Start: Fuel on|Magnetos both|Brakes");
                Choose(screen, ID_FILE_EXIT);
            },
            {Steps({[&](CDialog&) {
                        running->OpenFile(TempPath("first.ckl"));
                        running->OpenFile(fileB); // takes the place of the first
                        EXPECT_EQ(Boxes(boxes), QStringList());
                        EXPECT_EQ(View(*running), "Start: Fuel on|Magnetos both");
                    },
                    EnterItem("Brakes")})},
            fileA);
        const QStringList asked(answer == IDNO ? 1 : 2, question);
        EXPECT_EQ(Boxes(boxes), asked);
    }
}

} // namespace
