// Import and Export in the File menu: which format a file is read and written in, the save
// question, the converter's warnings, and what a refused file or a failed write leaves behind.
#include "UiTestSupport.h"

#include "ChecklistFile.h"
#include "Conversion.h"
#include "Formats.h"
#include "LineRules.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>

#include <algorithm>
#include <csignal>
#include <map>
#include <sys/resource.h>

namespace {

// The converter's test files; read only through copies (ImportExportTest::Fixture).
const QString files = QStringLiteral(TARVASTO_CONVERT_FILES);
const QString question = "Confirm: Save changes to current checklist ? [yes no cancel]";
const QString saveFailure = "Error: The checklist file could not be saved.";
// Lists without hot buttons or metadata: nothing for a format to leave out.
const char plainFile[] = "[$$CHECKLIST]\nStart\nFuel on\n[$$END]\n";

std::string Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<missing>";
}

// The document a .ckl holds, as Describe shows it.
std::string Reread(const QString& path) {
    ChecklistDoc document;
    return document.LoadFile(path.toUtf8().constData()) ? Describe(document) : "<unreadable>";
}

// The document's name and whether it has unsaved changes: "@ name *".
std::string NameAndState(const ChecklistDoc& document) {
    return std::string("@ ") + (document.fileName != nullptr ? document.fileName : "unnamed") +
           (document.modified ? " *" : "");
}

// What may never reach a message: a control character other than the line breaks the message
// itself makes.
bool HoldsControls(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        return c != QLatin1Char('\n') &&
               (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F));
    });
}

class ImportExportTest : public UiTest {
protected:
    void TearDown() override {
        for (const MessageBoxRecord& box : boxes.Shown()) {
            EXPECT_FALSE(HoldsControls(box.text)) << box.text.toStdString();
        }
        EXPECT_EQ(boxes.UnusedAnswers(), 0u);
        EXPECT_EQ(dialogs.UnusedAnswers(), 0u);
        for (const FileDialogRecord& asked : dialogs.Asked()) {
            EXPECT_TRUE(asked.scripted);
        }
        UiTest::TearDown();
    }

    // A copy of one of the converter's test files, so that nothing a test does reaches the
    // files themselves.
    QString Fixture(const QString& name) const {
        const QString copy = TempPath("files/" + name);
        QDir().mkpath(TempPath("files"));
        if (!QFile::exists(copy)) {
            EXPECT_TRUE(QFile::copy(files + '/' + name, copy)) << name.toStdString();
        }
        return copy;
    }
    // A saved document to start from, so that no save question comes first.
    QString Start(const char* text = plainFile) const {
        const QString start = TempPath("start.ckl");
        WriteFile(start, text);
        return start;
    }

    MessageBoxHook boxes;
    FileDialogHook dialogs;
};

// The File menu keeps its entries and their order; Import and Export follow Save As, as menu
// entries that assistive tools read by their text.
TEST_F(ImportExportTest, FileMenuOffersImportAndExportAfterSaveAs) {
    RunScreen([](CChecklistDlg& screen) {
        QStringList shown;
        for (QAction* action : screen.GetMenuBar().GetButtonMenu(0)->actions()) {
            shown
                << (action->isSeparator()
                        ? QStringLiteral("-")
                        : QStringLiteral("%1=%2").arg(action->text()).arg(action->data().toInt()));
            EXPECT_TRUE(action->isSeparator() || action->isEnabled());
        }
        EXPECT_EQ(shown.join(' '), QStringLiteral("New File=%1 - Load=%2 Save=%3 Save As=%4 "
                                                  "Import...=%5 Export...=%6 - "
                                                  "Configure Hot Buttons=%7 - Exit=%8")
                                       .arg(ID_FILE_NEW)
                                       .arg(ID_FILE_LOAD)
                                       .arg(ID_FILE_SAVE)
                                       .arg(ID_FILE_SAVE_AS)
                                       .arg(ID_FILE_IMPORT)
                                       .arg(ID_FILE_EXPORT)
                                       .arg(ID_FILE_HOT_BUTTONS)
                                       .arg(ID_FILE_EXIT));
        for (int command : {ID_FILE_IMPORT, ID_FILE_EXPORT}) {
            EXPECT_EQ(CChecklistDlg::ListsEntryPosition(command), -1);
        }
    });
}

// Each file becomes the document its .ckl counterpart holds: new, unnamed and unsaved, shown
// from its first checklist afresh, with nothing to undo and nothing to warn of. The filter shown
// in the dialog never decides what a file is read as.
TEST_F(ImportExportTest, ImportReadsEachFormatIntoANewUnnamedDocument) {
    struct Row {
        const char* name;
        const char* file;
        const char* filter; // empty: the first
        const char* ckl;    // what the document then holds
    };
    const Row rows[] = {
        {"ace", "every_kind.ace", "", "every_kind.ckl"},
        {"efis_json", "every_kind.json", "Garmin (*.ace)", "every_kind.ckl"},
        {"dynon_txt_by_content", "every_kind_dynon.txt", "Grand Rapids (*.txt)",
         "every_kind_dynon.ckl"},
        {"grt_txt_by_content", "every_kind_grt.txt", "Dynon (*.txt)", "every_kind_lists.ckl"},
        {"ckl_by_the_programs_reader", "every_kind_lists.ckl", "", "every_kind_lists.ckl"},
    };
    const QString start = Start(twoListsFile);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        dialogs.PushPath(Fixture(row.file), row.filter);
        RunScreen(
            [&](CChecklistDlg& screen) {
                Tick(screen, 0);
                screen.History().push(new QUndoCommand("Step"));
                Choose(screen, ID_FILE_IMPORT);
                ChecklistDoc& document = *screen.Document();
                EXPECT_EQ(Describe(document), Reread(Fixture(row.ckl)));
                EXPECT_EQ(NameAndState(document), "@ unnamed *");
                EXPECT_EQ(screen.CurrentChecklist(), document.FirstChecklist());
                EXPECT_EQ(View(screen).find('+'), std::string::npos);
                EXPECT_EQ(screen.History().count(), 0);
            },
            {}, start);
        EXPECT_EQ(Boxes(boxes), QStringList());
    }
    ASSERT_EQ(dialogs.Asked().size(), std::size(rows));
    const FileDialogRecord& first = dialogs.Asked().front();
    EXPECT_EQ(first.kind, FileDialogKind::Open);
    EXPECT_EQ(first.filters.size(), static_cast<qsizetype>(convert::Formats().size()) + 1);
    EXPECT_EQ(first.filters.value(0),
              "All checklist files (*.ckl *.ace *.txt *.json *.fmd *.gplt)");
    EXPECT_TRUE(first.filters.contains("Garmin Pilot (*.gplt)"));
}

// Save after Import asks for a name as for a document never saved, in the .ckl dialog of Save As.
TEST_F(ImportExportTest, SaveAfterImportAsksForACklName) {
    dialogs.PushPath(Fixture("every_kind.ace"));
    const QString saved = TempPath("imported.ckl");
    dialogs.PushPath(saved);
    RunScreen(
        [&](CChecklistDlg& screen) {
            Choose(screen, ID_FILE_IMPORT);
            Choose(screen, ID_FILE_SAVE);
            EXPECT_EQ(NameAndState(*screen.Document()), "@ " + saved.toStdString());
        },
        {}, Start());
    EXPECT_EQ(Reread(saved), Reread(Fixture("every_kind.ckl")));
    ASSERT_EQ(dialogs.Asked().size(), 2u);
    EXPECT_EQ(dialogs.Asked()[1].kind, FileDialogKind::Save);
    EXPECT_EQ(dialogs.Asked()[1].filters, QStringList("Checklists (*.ckl)"));
}

// Import asks the save question of New first: Cancel stops before the file dialog, No goes on
// and drops the changes, Yes saves them first.
TEST_F(ImportExportTest, TheSaveQuestionComesFirst) {
    struct Row {
        const char* name;
        int answer;
        bool imported;
    };
    const Row rows[] = {
        {"cancel_stops", IDCANCEL, false},
        {"no_drops_the_changes", IDNO, true},
        {"yes_saves_first", IDYES, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString start = TempPath(QStringLiteral("%1.ckl").arg(row.name));
        WriteFile(start, twoListsFile);
        const std::string before = Reread(start);
        Push(boxes, {row.answer});
        if (row.imported) {
            dialogs.PushPath(Fixture("every_kind_grt.txt"));
        }
        const std::size_t asked = dialogs.Asked().size();
        const qsizetype shown = boxes.Shown().size();
        std::string changed;
        RunScreen(
            [&](CChecklistDlg& screen) {
                ChecklistDoc* document = screen.Document();
                Checklist* extra = document->CreateChecklist();
                document->AppendChecklist(extra);
                changed = Describe(*document);
                Choose(screen, ID_FILE_IMPORT);
                EXPECT_EQ(Describe(*screen.Document()),
                          row.imported ? Reread(Fixture("every_kind_lists.ckl")) : changed);
                EXPECT_EQ(screen.Document() == document, !row.imported);
            },
            {}, start);
        EXPECT_EQ(Boxes(boxes).mid(shown), QStringList(question));
        EXPECT_EQ(dialogs.Asked().size() - asked, row.imported ? 1u : 0u);
        EXPECT_EQ(Reread(start), row.answer == IDYES ? changed : before);
    }
}

// A file that cannot be read is one line of error, the file's name first; the document, the
// checklist shown and its ticks stay as they were, unsaved changes and all.
TEST_F(ImportExportTest, ARefusedFileLeavesTheDocumentAsItWas) {
    struct Row {
        const char* name;
        QString path;
        QString box;
    };
    const QString unknownKind = ": not a checklist file of a known kind "
                                "(.ckl, .ace, .txt, .json, .fmd, .gplt)";
    const Row rows[] = {
        {"unknown_ending", TempPath("notes.xyz"), "notes.xyz" + unknownKind},
        {"no_ending", TempPath("notes"), "notes" + unknownKind},
        {"control_characters_in_the_name", TempPath("bad\x01\x1b[2Jname.xyz"),
         "bad\\x01\\x1B[2Jname.xyz" + unknownKind},
        {"missing_file", TempPath("missing.ace"), "missing.ace: No such file or directory"},
        {"missing_ckl", TempPath("missing.ckl"), "missing.ckl: No such file or directory"},
        {"txt_of_neither_kind", Fixture("neither_format.txt"),
         "neither_format.txt: neither a Dynon nor a Grand Rapids checklist file"},
        {"ace_cut_short", Fixture("truncated.ace"),
         "truncated.ace: byte 200: the file ends inside a checklist (no \")\" line)"},
        {"grt_item_before_list", Fixture("item_before_list_grt.txt"),
         "item_before_list_grt.txt:3: an ITEM before the first LIST"},
    };
    WriteFile(TempPath("notes.xyz"), "[$$CHECKLIST]\nNotes\n[$$END]\n");
    WriteFile(TempPath("notes"), "[$$CHECKLIST]\nNotes\n[$$END]\n");
    WriteFile(TempPath("bad\x01\x1b[2Jname.xyz"), "");
    const QString start = Start(twoListsFile);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Push(boxes, {IDNO, IDOK});
        dialogs.PushPath(row.path);
        const qsizetype shown = boxes.Shown().size();
        RunScreen(
            [&](CChecklistDlg& screen) {
                ChecklistDoc* document = screen.Document();
                document->AppendChecklist(document->CreateChecklist());
                ChooseListsEntry(screen, 1);
                Tick(screen, 1);
                screen.History().push(new QUndoCommand("Step"));
                const std::string before = Describe(*document) + NameAndState(*document);
                const std::string view = View(screen);
                Choose(screen, ID_FILE_IMPORT);
                EXPECT_EQ(screen.Document(), document);
                EXPECT_EQ(Describe(*document) + NameAndState(*document), before);
                EXPECT_EQ(View(screen), view);
                EXPECT_EQ(screen.History().count(), 1);
            },
            {}, start);
        EXPECT_EQ(Boxes(boxes).mid(shown), QStringList({question, "Error: " + row.box}));
    }
}

// However many things an import changed, they are one box after the document is shown: the
// first Warnings::maxShown, then how many more.
TEST_F(ImportExportTest, WarningsOfAnImportAreOneBoxAfterTheDocumentIsShown) {
    std::string text = "LIST Long items\n";
    const std::size_t items = convert::Warnings::maxShown + 5;
    for (std::size_t i = 0; i < items; ++i) {
        text += "ITEM " + std::string(LineRules::maxBytes + 10, 'x') + "\n";
    }
    const QString file = TempPath("long_items_grt.txt");
    WriteFile(file, text);
    dialogs.PushPath(file);
    Push(boxes, {IDOK});
    RunScreen(
        [&](CChecklistDlg& screen) {
            Choose(screen, ID_FILE_IMPORT);
            EXPECT_EQ(screen.Document()->ChecklistCount(), 1);
            EXPECT_EQ(screen.Document()->FirstChecklist()->ItemCount(), static_cast<int>(items));
        },
        {}, Start());
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].caption, "Import");
    EXPECT_EQ(boxes.Shown()[0].type, MB_OK);
    const QStringList lines = boxes.Shown()[0].text.split('\n');
    ASSERT_EQ(lines.size(), static_cast<qsizetype>(convert::Warnings::maxShown) + 2);
    EXPECT_EQ(lines.front(), "long_items_grt.txt was imported with these changes:");
    EXPECT_EQ(lines.back(), "... and 5 more like these");
    for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].startsWith("- checklist \"Long items\" item "))
            << lines[i].toStdString();
    }
}

// The folder's files and their contents.
std::map<QString, std::string> Snapshot(const QString& folder) {
    std::map<QString, std::string> files;
    for (const QString& name :
         QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        files[name] = Bytes(folder + '/' + name);
    }
    return files;
}

// A typed ending that names one format decides; otherwise the filter does, and its ending is
// added to a name without one. The file is what the converter makes of the document, and the
// document keeps its name and state.
TEST_F(ImportExportTest, ExportWritesTheFormatTheNameOrElseTheFilterSays) {
    struct Row {
        const char* name;
        const char* source; // the .ckl shown
        const char* typed;
        const char* filter;
        const char* written;
        const char* bytes; // the file whose bytes are written
    };
    const Row rows[] = {
        {"typed_ace_beats_the_filter", "every_kind.ckl", "binder.ace", "Dynon (*.txt)",
         "binder.ace", "every_kind.ace"},
        {"typed_json", "every_kind.ckl", "binder.json", "Garmin (*.ace)", "binder.json",
         "every_kind.json"},
        {"ending_in_capitals", "every_kind.ckl", "BINDER.ACE", "efis-editor (*.json)", "BINDER.ACE",
         "every_kind.ace"},
        {"txt_is_grt_by_the_filter", "every_kind_lists.ckl", "panel.txt", "Grand Rapids (*.txt)",
         "panel.txt", "every_kind_grt.txt"},
        {"txt_is_dynon_by_the_filter", "every_kind_lists.ckl", "panel.txt", "Dynon (*.txt)",
         "panel.txt", "every_kind_dynon.txt"},
        {"no_ending_gets_the_filters", "every_kind.ckl", "panel", "Garmin (*.ace)", "panel.ace",
         "every_kind.ace"},
        {"unknown_ending_is_kept", "every_kind.ckl", "panel.bak", "efis-editor (*.json)",
         "panel.bak", "every_kind.json"},
        {"typed_ckl_is_a_copy", "every_kind_lists.ckl", "copy.ckl", "Garmin (*.ace)", "copy.ckl",
         "every_kind_lists.ckl"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString folder = TempPath(row.name);
        QDir().mkpath(folder);
        dialogs.PushPath(folder + '/' + row.typed, row.filter);
        RunScreen(
            [&](CChecklistDlg& screen) {
                const std::string before = NameAndState(*screen.Document());
                Choose(screen, ID_FILE_EXPORT);
                EXPECT_EQ(NameAndState(*screen.Document()), before);
            },
            {}, Fixture(row.source));
        EXPECT_EQ(Snapshot(folder),
                  (std::map<QString, std::string>{{row.written, Bytes(Fixture(row.bytes))}}));
        EXPECT_EQ(dialogs.Asked().back().kind, FileDialogKind::Save);
        EXPECT_EQ(dialogs.Asked().back().initialName,
                  Fixture(row.source).chopped(4)); // beside it, without .ckl
    }
    EXPECT_EQ(Boxes(boxes), QStringList());
    const QStringList offered = dialogs.Asked().front().filters;
    EXPECT_EQ(offered.value(0), "Garmin (*.ace)");
    EXPECT_TRUE(offered.contains("Garmin Pilot (*.gplt)"));
    EXPECT_FALSE(offered.contains("tarvasto (*.ckl)")); // Save As writes .ckl files
}

// What the format cannot hold is said before anything is written: Cancel writes nothing, OK
// writes. Neither changes the document's name or its unsaved changes.
TEST_F(ImportExportTest, ExportWarnsBeforeWriting) {
    const QString start = Start(twoListsFile);
    const QString target = TempPath("out/w.ace");
    for (int answer : {IDCANCEL, IDOK}) {
        SCOPED_TRACE(answer);
        WriteFile(target, "old");
        dialogs.PushPath(target);
        Push(boxes, {answer});
        RunScreen(
            [&](CChecklistDlg& screen) {
                ChecklistDoc* document = screen.Document();
                document->AppendChecklist(document->CreateChecklist());
                Choose(screen, ID_FILE_EXPORT);
                EXPECT_EQ(NameAndState(*document), "@ " + start.toStdString() + " *");
            },
            {}, start);
        EXPECT_EQ(
            Boxes(boxes).mid(boxes.Shown().size() - 1),
            QStringList("Export: w.ace: a Garmin file cannot hold everything this document "
                        "holds:\n- the hot buttons are not written: ace files have none\n\n"
                        "OK writes the file all the same; Cancel writes nothing. [ok cancel]"));
        EXPECT_EQ(Snapshot(TempPath("out")).size(), 1u);
        EXPECT_EQ(Bytes(target) == "old", answer == IDCANCEL);
    }
    // What was written reads back as the lists exported.
    dialogs.PushPath(target);
    RunScreen(
        [&](CChecklistDlg& screen) {
            Choose(screen, ID_FILE_IMPORT);
            EXPECT_EQ(Describe(*screen.Document()).substr(0, 44),
                      "Start: Fuel on|Magnetos both; Land: Gear dow");
        },
        {}, Start());
}

// A write that fails says so as Save does, and leaves the folder as it was: an old file at the
// path stays byte for byte.
TEST_F(ImportExportTest, AFailedExportIsReportedAndChangesNothing) {
    struct Row {
        const char* name;
        const char* path;
        bool diskFull;
    };
    const Row rows[] = {
        {"folder_missing", "gone/w.ace", false},
        {"folder_is_a_file", "plain.txt/w.ace", false},
        {"disk_full_keeps_the_old_file", "w.ace", true},
    };
    const QString start = Start();
    WriteFile(TempPath("plain.txt"), "plain");
    WriteFile(TempPath("w.ace"), "old");
    const std::map<QString, std::string> before = Snapshot(home.Path(""));
    std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of ending the program
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        dialogs.PushPath(TempPath(row.path));
        Push(boxes, {IDOK});
        const qsizetype shown = boxes.Shown().size();
        RunScreen(
            [&](CChecklistDlg& screen) {
                rlimit unlimited{};
                getrlimit(RLIMIT_FSIZE, &unlimited);
                const rlimit full = {row.diskFull ? 8 : unlimited.rlim_cur, unlimited.rlim_max};
                setrlimit(RLIMIT_FSIZE, &full);
                Choose(screen, ID_FILE_EXPORT);
                setrlimit(RLIMIT_FSIZE, &unlimited);
                EXPECT_EQ(NameAndState(*screen.Document()), "@ " + start.toStdString());
            },
            {}, start);
        EXPECT_EQ(Boxes(boxes).mid(shown), QStringList(saveFailure));
        EXPECT_EQ(Snapshot(home.Path("")), before);
    }
}

// Every format the converter writes goes out through Export and comes back through Import as the
// converter itself carries it there and back; a format whose converter cannot yet do so is
// skipped.
struct FormatRow {
    const convert::Format* format;
    friend void PrintTo(const FormatRow& row, std::ostream* out) { *out << row.format->name; }
};

class EveryFormat : public ImportExportTest, public testing::WithParamInterface<FormatRow> {};

TEST_P(EveryFormat, ComesBackThroughImportAsTheConverterCarriesIt) {
    const convert::Format& format = *GetParam().format;
    ChecklistDoc source;
    ChecklistFile::ReadText(source, plainFile);
    std::string bytes;
    convert::Warnings written;
    if (!convert::WriteFromDoc(source, format, {}, written, [&](std::string_view chunk) {
            bytes.append(chunk);
            return true;
        })) {
        GTEST_SKIP() << "the converter does not write " << format.name << " files yet";
    }
    ChecklistDoc back;
    convert::Warnings read;
    if (convert::ReadIntoDoc(format, bytes, back, read)) {
        GTEST_SKIP() << "the converter does not read " << format.name << " files yet";
    }
    const QString start = Start();
    const QString ending = QString::fromUtf8(format.extensions.front());
    dialogs.PushPath(TempPath("panel"), QString::fromUtf8(format.maker) + " (*." + ending + ")");
    dialogs.PushPath(TempPath("panel." + ending));
    // OK to the warnings of Export and of Import, where there are any.
    const std::size_t warned = (written.Empty() ? 0u : 1u) + (read.Empty() ? 0u : 1u);
    for (std::size_t i = 0; i < warned; ++i) {
        boxes.PushAnswer(IDOK);
    }
    RunScreen(
        [&](CChecklistDlg& screen) {
            Choose(screen, ID_FILE_EXPORT);
            Choose(screen, ID_FILE_IMPORT);
            EXPECT_EQ(Describe(*screen.Document()), Describe(back));
        },
        {}, start);
    EXPECT_EQ(boxes.Shown().size(), warned);
}

std::vector<FormatRow> WrittenFormats() {
    std::vector<FormatRow> formats;
    for (const convert::Format& format : convert::Formats()) {
        if (format.write != nullptr) {
            formats.push_back({&format});
        }
    }
    return formats;
}

INSTANTIATE_TEST_SUITE_P(Formats, EveryFormat, testing::ValuesIn(WrittenFormats()),
                         [](const testing::TestParamInfo<FormatRow>& info) {
                             std::string name(info.param.format->name);
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

} // namespace
