// The File menu's file commands, the save question that guards them, and the ways the screen
// ends: what each writes, remembers and leaves alone.
#include "ChecklistDoc.h"
#include "FileDialog.h"
#include "MessageBox.h"
#include "RememberedFile.h"
#include "UiTestSupport.h"
#include "resource.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString saveQuestion = QStringLiteral("Save changes to current checklist ?");
const QString saveFailure = QStringLiteral("The checklist file could not be saved.");
const QString openFailure = QStringLiteral("The checklist file could not be opened.");

// An unsaved change, as the Edit commands make them.
void AddChecklist(CChecklistDlg& screen, const char* name) {
    ChecklistDoc& document = *screen.Document();
    Checklist* checklist = document.CreateChecklist();
    checklist->SetName(name);
    document.AppendChecklist(checklist);
}

std::string Contents(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return "<none>";
    }
    return file.readAll().toStdString();
}

// The document a file holds, as Describe shows it.
std::string Reread(const QString& path) {
    ChecklistDoc document;
    if (!document.LoadFile(path.toUtf8().constData())) {
        return "<unreadable>";
    }
    return Describe(document);
}

class FileCommandsTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_TRUE(QDir().mkpath(TempPath("trip")));
        fileA = QString::fromStdString(WriteFile(TempPath("trip/a.ckl"), twoListsFile));
        fileB = QString::fromStdString(
            WriteFile(TempPath("b.ckl"), "[$$CHECKLIST]\nB list\nB item\n[$$END]\n\n"));
        StoreRememberedFile(fileA.toUtf8().constData());
    }

    QString fileA;
    QString fileB;
};

// Close as the caller of the save question: every answer, and what Close then stores.
TEST_F(FileCommandsTest, CloseAsksToSaveUnsavedChangesAndRemembersTheFile) {
    enum class Saved { Nothing, ToA, ToB };
    struct Row {
        const char* name;
        bool startEmpty;    // start without a file: a new, unnamed document
        bool change;        // make an unsaved change before closing
        bool folderGone;    // the file's folder disappears before closing
        int answer;         // to the save question; 0 when none is expected
        const char* saveAs; // the save dialog: nullptr not asked, "" cancelled, "B" file B
        bool ended;
        bool errorShown;
        Saved saved;
        bool modifiedAfter;
        std::string remembered; // "A", "B", or a path
    };
    const Row rows[] = {
        {"unchanged_asks_nothing", false, false, false, 0, nullptr, true, false, Saved::Nothing,
         false, "A"},
        {"cancel_keeps_the_screen_open", false, true, false, IDCANCEL, nullptr, false, false,
         Saved::Nothing, true, "A"},
        {"no_ends_without_saving", false, true, false, IDNO, nullptr, true, false, Saved::Nothing,
         true, "A"},
        {"yes_saves_to_the_file", false, true, false, IDYES, nullptr, true, false, Saved::ToA,
         false, "A"},
        {"yes_with_failed_write_keeps_the_screen_open", false, true, true, IDYES, nullptr, false,
         true, Saved::Nothing, true, "A"},
        {"yes_without_name_and_save_dialog_cancelled_ends", true, false, false, IDYES, "", true,
         false, Saved::Nothing, true, defaultRememberedFile},
        {"yes_without_name_saves_where_chosen_and_remembers_it", true, true, false, IDYES, "B",
         true, false, Saved::ToB, false, "B"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        IsolatedHome ownHome;
        if (!row.startEmpty) {
            StoreRememberedFile(fileA.toUtf8().constData());
        }
        QFile::remove(fileB);
        const std::string before = Contents(fileA);
        MessageBoxHook boxes;
        if (row.answer != 0) {
            boxes.PushAnswer(row.answer);
        }
        if (row.errorShown) {
            boxes.PushAnswer(IDOK);
        }
        FileDialogHook files;
        if (row.saveAs != nullptr) {
            row.saveAs[0] == '\0' ? files.PushCancel() : files.PushPath(fileB);
        }
        bool modifiedAfter = false;
        std::string shown;
        RunScreen([&](CChecklistDlg& screen) {
            if (row.change) {
                AddChecklist(screen, "Extra");
            }
            if (row.folderGone) {
                QDir(TempPath("trip")).removeRecursively();
            }
            screen.GetFullScreenOkButton()->click();
            EXPECT_EQ(screen.HasEnded(), row.ended);
            modifiedAfter = screen.Document()->modified;
            shown = Describe(*screen.Document());
        });
        QStringList expectedBoxes;
        if (row.answer != 0) {
            expectedBoxes << "Confirm: " + saveQuestion;
        }
        if (row.errorShown) {
            expectedBoxes << "Error: " + saveFailure;
        }
        EXPECT_EQ(Boxes(boxes), expectedBoxes);
        if (row.answer != 0) {
            EXPECT_EQ(boxes.Shown()[0].type, MB_YESNOCANCEL);
        }
        EXPECT_EQ(files.UnusedAnswers(), 0u);
        EXPECT_EQ(files.Asked().size(), row.saveAs != nullptr ? 1u : 0u);
        EXPECT_EQ(modifiedAfter, row.modifiedAfter);
        const std::string remembered = row.remembered == "A"   ? fileA.toStdString()
                                       : row.remembered == "B" ? fileB.toStdString()
                                                               : row.remembered;
        EXPECT_EQ(RememberedFile(), remembered);
        if (!row.folderGone) {
            EXPECT_EQ(Contents(fileA) != before, row.saved == Saved::ToA);
        }
        if (row.saved != Saved::Nothing) {
            EXPECT_EQ(Reread(row.saved == Saved::ToA ? fileA : fileB), shown);
        }
        EXPECT_EQ(QFile::exists(fileB), row.saved == Saved::ToB);
        ASSERT_TRUE(QDir().mkpath(TempPath("trip")));
        WriteFile(fileA, twoListsFile);
    }
}

TEST_F(FileCommandsTest, StopAnswersKeepNewFileAndLoadFromDiscardingTheDocument) {
    struct Row {
        const char* name;
        int command;
        int answer;
        bool folderGone;
        QStringList boxes;
    };
    const QString question = "Confirm: " + saveQuestion;
    const Row rows[] = {
        {"new_file_cancelled", ID_FILE_NEW, IDCANCEL, false, {question}},
        {"load_cancelled", ID_FILE_LOAD, IDCANCEL, false, {question}},
        {"new_file_after_a_failed_save",
         ID_FILE_NEW,
         IDYES,
         true,
         {question, "Error: " + saveFailure}},
        {"load_after_a_failed_save",
         ID_FILE_LOAD,
         IDYES,
         true,
         {question, "Error: " + saveFailure}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MessageBoxHook boxes;
        boxes.PushAnswer(row.answer);
        if (row.folderGone) {
            boxes.PushAnswer(IDOK);
        }
        FileDialogHook files;
        RunScreen([&](CChecklistDlg& screen) {
            AddChecklist(screen, "Extra");
            if (row.folderGone) {
                QDir(TempPath("trip")).removeRecursively();
            }
            ChecklistDoc* document = screen.Document();
            const std::string before = Describe(*document);
            Tick(screen, 1);
            Choose(screen, row.command);
            EXPECT_EQ(screen.Document(), document);
            EXPECT_EQ(Describe(*screen.Document()), before);
            EXPECT_TRUE(document->modified);
            EXPECT_EQ(TickedCount(screen), 1);
        });
        EXPECT_EQ(Boxes(boxes), row.boxes);
        EXPECT_TRUE(files.Asked().empty());
        ASSERT_TRUE(QDir().mkpath(TempPath("trip")));
        WriteFile(fileA, twoListsFile);
    }
}

TEST_F(FileCommandsTest, NewFileGivesAnEmptyUnnamedDocumentThatCloseDoesNotRemember) {
    MessageBoxHook boxes;
    boxes.PushAnswer(IDNO);
    FileDialogHook files;
    files.PushPath(fileB);
    RunScreen([&](CChecklistDlg& screen) {
        Choose(screen, ID_FILE_LOAD); // unchanged: nothing to ask
        ASSERT_EQ(Label(screen), "B list");
        Choose(screen, ID_FILE_NEW);
        EXPECT_TRUE(boxes.Shown().empty());
        EXPECT_EQ(ButtonTexts(screen), QStringList({"(empty)", "(empty)", "(empty)", "(empty)"}));
        EXPECT_TRUE(ListsEntries(screen).isEmpty());
        EXPECT_TRUE(TreeTexts(screen).isEmpty());
        EXPECT_EQ(Label(screen), "B list"); // the label is only changed by showing a list
        EXPECT_EQ(screen.CurrentChecklist(), nullptr);
        EXPECT_EQ(screen.Document()->fileName, nullptr);
        EXPECT_TRUE(screen.Document()->modified);
        screen.GetFullScreenOkButton()->click(); // asks, since a new document counts as unsaved
        EXPECT_TRUE(screen.HasEnded());
    });
    EXPECT_EQ(Boxes(boxes), QStringList("Confirm: " + saveQuestion));
    // Neither B (no longer open) nor nothing: the file remembered before stays.
    EXPECT_EQ(RememberedFile(), fileA.toStdString());
}

TEST_F(FileCommandsTest, LoadOpensTheChosenFileOrShowsWhyNot) {
    MessageBoxHook boxes;
    boxes.PushAnswer(IDOK);
    FileDialogHook files;
    files.PushCancel();
    files.PushPath(fileB);
    files.PushPath(TempPath("missing.ckl"));
    files.PushCancel();
    RunScreen([&](CChecklistDlg& screen) {
        ChecklistDoc* first = screen.Document();
        Choose(screen, ID_FILE_LOAD);
        EXPECT_EQ(screen.Document(), first);
        EXPECT_EQ(Label(screen), "Start");

        Choose(screen, ID_FILE_LOAD);
        EXPECT_EQ(Label(screen), "B list");
        EXPECT_EQ(TreeTexts(screen), QStringList("B item"));
        EXPECT_EQ(ListsEntries(screen), QStringList("B list"));
        EXPECT_EQ(ButtonTexts(screen), QStringList({"(empty)", "(empty)", "(empty)", "(empty)"}));
        EXPECT_STREQ(screen.Document()->fileName, fileB.toUtf8().constData());
        EXPECT_FALSE(screen.Document()->modified);
        EXPECT_TRUE(boxes.Shown().empty());

        Choose(screen, ID_FILE_LOAD);
        EXPECT_EQ(Boxes(boxes), QStringList("Error: " + openFailure));
        EXPECT_EQ(boxes.Shown().back().type, MB_OK);
        EXPECT_TRUE(TreeTexts(screen).isEmpty());
        EXPECT_TRUE(ListsEntries(screen).isEmpty());
        EXPECT_EQ(screen.CurrentChecklist(), nullptr);
        EXPECT_EQ(screen.Document()->fileName, nullptr);
        EXPECT_TRUE(screen.Document()->modified);

        // Without a name, Save asks for one.
        Choose(screen, ID_FILE_SAVE);
    });
    ASSERT_EQ(files.Asked().size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(files.Asked()[i].kind, FileDialogKind::Open);
        EXPECT_EQ(files.Asked()[i].initialName, "");
    }
    EXPECT_EQ(files.Asked()[3].kind, FileDialogKind::Save);
    EXPECT_EQ(files.Asked()[3].initialName, "");
}

TEST_F(FileCommandsTest, SaveWritesToTheFileNameAndSaveAsAsksForOne) {
    const QString foreign = TempPath(QStringLiteral("L\u00e4ht\u00f6 \u2708.ckl"));
    const QString gone = TempPath("gone/c.ckl");
    MessageBoxHook boxes;
    boxes.PushAnswer(IDOK);
    FileDialogHook files;
    files.PushCancel();
    files.PushPath(gone);
    files.PushPath(foreign);
    RunScreen([&](CChecklistDlg& screen) {
        ChecklistDoc& document = *screen.Document();
        AddChecklist(screen, "Extra");
        Tick(screen, 0);
        Choose(screen, ID_FILE_SAVE);
        EXPECT_TRUE(files.Asked().empty());
        EXPECT_FALSE(document.modified);
        EXPECT_EQ(Reread(fileA), Describe(document));
        EXPECT_EQ(TickedCount(screen), 1); // saving leaves the screen as it was

        AddChecklist(screen, "More");
        Choose(screen, ID_FILE_SAVE_AS); // cancelled
        EXPECT_STREQ(document.fileName, fileA.toUtf8().constData());
        EXPECT_TRUE(document.modified);

        Choose(screen, ID_FILE_SAVE_AS); // to a folder that does not exist
        EXPECT_STREQ(document.fileName, gone.toUtf8().constData());
        EXPECT_TRUE(document.modified);
        EXPECT_EQ(Boxes(boxes), QStringList("Error: " + saveFailure));

        Choose(screen, ID_FILE_SAVE_AS);
        EXPECT_STREQ(document.fileName, foreign.toUtf8().constData());
        EXPECT_FALSE(document.modified);
        EXPECT_EQ(Reread(foreign), Describe(document));
    });
    ASSERT_EQ(files.Asked().size(), 3u);
    EXPECT_EQ(files.Asked()[0].initialName, fileA);
    EXPECT_EQ(files.Asked()[1].initialName, fileA);
    EXPECT_EQ(files.Asked()[2].initialName, gone);
    for (const FileDialogRecord& asked : files.Asked()) {
        EXPECT_EQ(asked.kind, FileDialogKind::Save);
    }
    EXPECT_EQ(boxes.Shown().size(), 1u);
    EXPECT_NE(Reread(fileA).find("Extra:"), std::string::npos);
    EXPECT_EQ(Reread(fileA).find("More:"), std::string::npos);
}

TEST_F(FileCommandsTest, SaveAsOffersTheFileNameExactlyAsGiven) {
    WriteFile(Documents() + "/aviation.ckl", twoListsFile);
    StoreRememberedFile(defaultRememberedFile);
    FileDialogHook files;
    files.PushCancel();
    RunScreen([](CChecklistDlg& screen) { Choose(screen, ID_FILE_SAVE_AS); });
    ASSERT_EQ(files.Asked().size(), 1u);
    EXPECT_EQ(files.Asked()[0].initialName, "\\my documents\\aviation.ckl");
}

TEST_F(FileCommandsTest, SaveKeyWritesTheFile) {
    RunScreen([](CChecklistDlg& screen) {
        AddChecklist(screen, "Extra");
        QApplication::setActiveWindow(&screen);
        QTest::keyClick(&screen, Qt::Key_S, Qt::ControlModifier);
        EXPECT_FALSE(screen.Document()->modified);
    });
    EXPECT_NE(Reread(fileA).find("Extra:"), std::string::npos);
}

// Only Close asks and remembers; Exit and Cancel end at once, whatever is unsaved.
TEST_F(FileCommandsTest, EachWayOfEndingAsksAndRemembersAsItShould) {
    struct Row {
        const char* name;
        std::function<void(CChecklistDlg&)> end;
        int result;
        bool asks;
        bool remembersB;
    };
    const Row rows[] = {
        {"ok_button_closes", [](CChecklistDlg& s) { s.GetFullScreenOkButton()->click(); }, IDOK,
         true, true},
        {"window_close_button_closes", [](CChecklistDlg& s) { s.close(); }, IDOK, true, true},
        {"exit_command", [](CChecklistDlg& s) { Choose(s, ID_FILE_EXIT); }, IDOK, false, false},
        {"escape_cancels", [](CChecklistDlg& s) { QTest::keyClick(&s, Qt::Key_Escape); }, IDCANCEL,
         false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        StoreRememberedFile(fileA.toUtf8().constData());
        MessageBoxHook boxes;
        if (row.asks) {
            boxes.PushAnswer(IDNO);
        }
        FileDialogHook files;
        files.PushPath(fileB);
        const int result = RunScreen([&](CChecklistDlg& screen) {
            Choose(screen, ID_FILE_LOAD);
            AddChecklist(screen, "Unsaved");
            row.end(screen);
            EXPECT_TRUE(screen.HasEnded());
        });
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(boxes.Shown().size(), row.asks ? 1u : 0u);
        EXPECT_EQ(RememberedFile(), (row.remembersB ? fileB : fileA).toStdString());
        EXPECT_EQ(Reread(fileB).find("Unsaved"), std::string::npos);
    }
}

} // namespace
