// The File menu's file commands, the save question that guards them, and the ways the screen
// ends: what each writes, remembers and leaves alone.
#include "UiTestSupport.h"

#include <QDir>
#include <QFile>

namespace {

const QString question = "Confirm: Save changes to current checklist ? [yes no cancel]";
const QString saveFailure = QStringLiteral("Error: The checklist file could not be saved.");

// An unsaved change, as the Edit commands make them.
void AddChecklist(CChecklistDlg& screen, const char* name) {
    Checklist* checklist = screen.Document()->CreateChecklist();
    checklist->SetName(name);
    screen.Document()->AppendChecklist(checklist);
}

// The document a file holds, as Describe shows it.
std::string Reread(const QString& path) {
    ChecklistDoc document;
    return document.LoadFile(path.toUtf8().constData()) ? Describe(document) : "<unreadable>";
}

class FileCommandsTest : public UiTest {};

// The screen starts on file A, then loads B or starts a new document (both without a question,
// nothing being unsaved), and ends or discards the document one way or another. Only Close asks
// and remembers the document's file, when it has one; the save question goes on only when
// nothing is lost.
TEST_F(FileCommandsTest, EachWayOfEndingOrDiscardingAsksWritesAndRemembersAsItShould) {
    enum { okButton = -1, closeButton = -2, escape = -3 }; // or the File command that discards
    struct Row {
        const char* name;
        int end;
        int answer;         // to the save question; 0 unchanged and not asked, -1 not asked
        bool failWrite;     // B's folder is gone at the end
        const char* saveAs; // null: the document is B; else new, and Save As gives "C" or ""
        bool goesOn;        // the screen ended or the document was replaced
        char saved;         // 'B', 'C' or '-'
        char remembered;    // 'A', 'B' or 'C'
    };
    const Row rows[] = {
        {"close_unchanged_asks_nothing", okButton, 0, false, nullptr, true, '-', 'B'},
        {"close_cancelled", okButton, IDCANCEL, false, nullptr, false, '-', 'A'},
        {"close_without_saving", okButton, IDNO, false, nullptr, true, '-', 'B'},
        {"close_saving", okButton, IDYES, false, nullptr, true, 'B', 'B'},
        {"close_after_a_failed_save", okButton, IDYES, true, nullptr, false, '-', 'A'},
        {"close_new_save_dialog_cancelled", okButton, IDYES, false, "", true, '-', 'A'},
        {"close_new_saved_where_chosen", okButton, IDYES, false, "C", true, 'C', 'C'},
        {"window_close_button_closes", closeButton, IDYES, false, nullptr, true, 'B', 'B'},
        {"exit_neither_asks_nor_remembers", ID_FILE_EXIT, -1, false, nullptr, true, '-', 'A'},
        {"escape_neither_asks_nor_remembers", escape, -1, false, nullptr, true, '-', 'A'},
        {"new_file_cancelled", ID_FILE_NEW, IDCANCEL, false, nullptr, false, '-', 'A'},
        {"load_after_a_failed_save", ID_FILE_LOAD, IDYES, true, nullptr, false, '-', 'A'},
    };
    const QString files[] = {TempPath("a.ckl"), TempPath("trip/b.ckl"), TempPath("c.ckl")};
    const std::string textOfB = "[$$CHECKLIST]\nB list\nB item\n[$$END]\n";
    WriteFile(files[0], twoListsFile);
    WriteFile(files[1], textOfB);
    const std::string before[] = {Reread(files[0]), Reread(files[1])};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WriteFile(files[1], textOfB);
        QFile::remove(files[2]);
        StoreRememberedFile(files[0].toUtf8().constData());
        MessageBoxHook boxes;
        Push(boxes, {row.answer, IDOK});
        FileDialogHook dialogs;
        row.saveAs == nullptr ? dialogs.PushPath(files[1])
        : row.saveAs[0] == 0  ? dialogs.PushCancel()
                              : dialogs.PushPath(files[2]);
        std::string shown;
        const int result = RunScreen([&](CChecklistDlg& screen) {
            Choose(screen, row.saveAs == nullptr ? ID_FILE_LOAD : ID_FILE_NEW);
            ChecklistDoc* document = screen.Document();
            if (row.answer != 0) {
                AddChecklist(screen, "Extra");
            }
            if (row.failWrite) {
                QDir(TempPath("trip")).removeRecursively();
            }
            row.end == okButton      ? screen.GetFullScreenOkButton()->click()
            : row.end == closeButton ? (void)screen.close()
            : row.end == escape      ? QTest::keyClick(&screen, Qt::Key_Escape)
                                     : Choose(screen, row.end);
            EXPECT_EQ(screen.HasEnded() || screen.Document() != document, row.goesOn);
            EXPECT_EQ(document->modified, row.answer != 0 && row.saved == '-');
            shown = Describe(*document);
        });
        EXPECT_EQ(result, !row.goesOn ? 0 : row.end == escape ? IDCANCEL : IDOK);
        QStringList expectedBoxes{row.answer > 0 ? question : "", row.failWrite ? saveFailure : ""};
        expectedBoxes.removeAll("");
        EXPECT_EQ(Boxes(boxes), expectedBoxes);
        EXPECT_EQ(dialogs.Asked().size(), 1u);
        EXPECT_EQ(RememberedFile(), files[row.remembered - 'A'].toStdString());
        EXPECT_EQ(Reread(files[0]), before[0]); // never written
        EXPECT_EQ(Reread(files[1]), row.saved == 'B' ? shown
                                    : row.failWrite  ? "<unreadable>"
                                                     : before[1]);
        EXPECT_EQ(Reread(files[2]), row.saved == 'C' ? shown : "<unreadable>");
    }
}

// The screen, then "@ file name" (or "unnamed") and "*" when there are unsaved changes.
std::string State(CChecklistDlg& screen) {
    const ChecklistDoc& document = *screen.Document();
    return View(screen) + " / " + Bar(screen) + " @ " +
           (document.fileName != nullptr ? document.fileName : "unnamed") +
           (document.modified ? " *" : "");
}

// Save As takes the name before writing, so a failed write leaves it for the next Save. A file
// that cannot be opened says so once the screen is refilled.
TEST_F(FileCommandsTest, SaveSaveAsLoadAndNewFileKeepTheDocumentAndItsName) {
    const std::string file = WriteFile(Documents() + "/aviation.ckl", twoListsFile);
    StoreRememberedFile(defaultRememberedFile);
    const QString foreign = TempPath(QStringLiteral("L\u00e4ht\u00f6 \u2708.ckl"));
    const QString gone = TempPath("gone/c.ckl");
    const QString fileB = TempPath("b.ckl");
    WriteFile(fileB, "[$$CHECKLIST]\nB list\nB item\n[$$END]\n");
    const std::string start = "Start: +Fuel on|Magnetos both / " + std::string(twoListsBar);
    const std::string empty = "(empty)|(empty)|(empty)|(empty) / ";
    MessageBoxHook boxes;
    Push(boxes, {IDOK, IDNO, IDOK});
    FileDialogHook files;
    for (const QString& answer :
         {QString(), gone, foreign, QString(), fileB, TempPath("missing.ckl"), QString()}) {
        answer.isEmpty() ? files.PushCancel() : files.PushPath(answer);
    }
    RunScreen([&](CChecklistDlg& screen) {
        ChecklistDoc* document = screen.Document();
        AddChecklist(screen, "More");
        Tick(screen, 0);
        QApplication::setActiveWindow(&screen);
        QTest::keyClick(&screen, Qt::Key_S, Qt::ControlModifier);
        EXPECT_EQ(State(screen), start + " @ " + defaultRememberedFile); // the screen as it was
        EXPECT_EQ(Reread(QString::fromStdString(file)), Describe(*document));

        AddChecklist(screen, "Unsaved");
        Choose(screen, ID_FILE_SAVE_AS); // cancelled
        EXPECT_EQ(State(screen), start + " @ " + defaultRememberedFile + " *");
        Choose(screen, ID_FILE_SAVE_AS); // to a folder that does not exist
        EXPECT_EQ(State(screen), start + " @ " + gone.toStdString() + " *");
        EXPECT_EQ(Boxes(boxes), QStringList(saveFailure));
        Choose(screen, ID_FILE_SAVE_AS);
        EXPECT_EQ(State(screen), start + " @ " + foreign.toStdString());
        EXPECT_EQ(Reread(foreign), Describe(*document));

        Choose(screen, ID_FILE_LOAD); // cancelled
        EXPECT_EQ(screen.Document(), document);
        Choose(screen, ID_FILE_LOAD);
        EXPECT_EQ(State(screen), "B list: B item / " + empty + "B list @ " + fileB.toStdString());
        Choose(screen, ID_FILE_NEW); // the label stays
        EXPECT_EQ(State(screen), "B list: / " + empty + " @ unnamed *");
        Choose(screen, ID_FILE_LOAD); // a new document counts as unsaved
        ASSERT_EQ(Boxes(boxes), QStringList({saveFailure, question,
                                             "Error: The checklist file could not be opened."}));
        EXPECT_EQ(State(screen), "B list: / " + empty + " @ unnamed *");
        Choose(screen, ID_FILE_SAVE); // without a name, Save asks for one
    });
    ASSERT_EQ(files.Asked().size(), 7u);
    const QString offered[] = {defaultRememberedFile, defaultRememberedFile, gone, "", "", "", ""};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(files.Asked()[i].initialName, offered[i]) << i; // exactly as given
        EXPECT_EQ(files.Asked()[i].kind,
                  i < 3 || i == 6 ? FileDialogKind::Save : FileDialogKind::Open);
    }
    EXPECT_EQ(Reread(QString::fromStdString(file)).find("Unsaved"), std::string::npos);
}

} // namespace
