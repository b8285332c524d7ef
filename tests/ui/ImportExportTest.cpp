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

// The folder's files and their contents.
std::map<QString, std::string> Snapshot(const QString& folder) {
    std::map<QString, std::string> files;
    for (const QString& name :
         QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        files[name] = Bytes(folder + '/' + name);
    }
    return files;
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

class ImportExportTest : public UiTest {
protected:
    void TearDown() override {
        EXPECT_EQ(boxes.UnusedAnswers(), 0u);
        EXPECT_EQ(dialogs.UnusedAnswers(), 0u);
        for (const FileDialogRecord& asked : dialogs.Asked()) {
            EXPECT_TRUE(asked.scripted);
        }
        UiTest::TearDown();
    }

    // A copy of one of the converter's test files, so that nothing a test does reaches the
    // files themselves; the path where it would be when there is no such file.
    QString Fixture(const QString& name) const {
        QDir().mkpath(TempPath("files"));
        QFile::copy(files + '/' + name, TempPath("files/" + name));
        return TempPath("files/" + name);
    }
    // A saved document to start from.
    QString Start(const char* text = plainFile) const {
        WriteFile(TempPath("start.ckl"), text);
        return TempPath("start.ckl");
    }

    MessageBoxHook boxes;
    FileDialogHook dialogs;
};

// Import asks the save question of New first: Cancel stops before the file dialog, Yes saves.
// A file read becomes a new document, unnamed and unsaved, in the format its ending or else its
// content says whatever filter was chosen, shown from its first checklist afresh with nothing to
// undo. A file refused is one line of error, the file's name first; the document, the checklist
// shown and its ticks stay as they were, unsaved changes and all, as after Cancel.
TEST_F(ImportExportTest, ImportReadsTheFileOrLeavesTheDocumentAsItWas) {
    struct Row {
        const char* name;
        int answer;         // to the save question
        QString file;       // chosen, one of Fixture; empty: none is
        const char* filter; // empty: the first
        const char* ckl;    // what the document then holds; null: it stays
        QString error{};
    };
    const Row rows[] = {
        {"ace", IDNO, "every_kind.ace", "", "every_kind.ckl"},
        {"efis_json", IDNO, "every_kind.json", "Garmin (*.ace)", "every_kind.ckl"},
        {"dynon_txt_by_content", IDNO, "every_kind_dynon.txt", "Grand Rapids (*.txt)",
         "every_kind_dynon.ckl"},
        {"grt_txt_by_content_after_yes", IDYES, "every_kind_grt.txt", "Dynon (*.txt)",
         "every_kind_lists.ckl"},
        {"ckl_by_the_programs_reader", IDNO, "every_kind_lists.ckl", "", "every_kind_lists.ckl"},
        {"cancel_stops", IDCANCEL, "", "", nullptr},
        {"no_file_chosen", IDNO, "", "", nullptr},
        {"control_characters_in_the_name", IDNO, "bad\x01\x1b[2Jname.xyz", "", nullptr,
         "bad\\x01\\x1B[2Jname.xyz: not a checklist file of a known kind (.ckl, .ace, .txt, .json, "
         ".fmd, .gplt)"},
        {"missing_file", IDNO, "missing.ace", "", nullptr,
         "missing.ace: No such file or directory"},
        {"missing_ckl", IDNO, "missing.ckl", "", nullptr, "missing.ckl: No such file or directory"},
        {"txt_of_neither_kind", IDNO, "neither_format.txt", "", nullptr,
         "neither_format.txt: neither a Dynon nor a Grand Rapids checklist file"},
        {"ace_cut_short", IDNO, "truncated.ace", "", nullptr,
         "truncated.ace: byte 200: the file ends inside a checklist (no \")\" line)"},
        {"grt_item_before_list", IDNO, "item_before_list_grt.txt", "", nullptr,
         "item_before_list_grt.txt:3: an ITEM before the first LIST"},
    };
    WriteFile(Fixture("bad\x01\x1b[2Jname.xyz"), plainFile);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString start = Start(twoListsFile);
        const std::string saved = Reread(start);
        Push(boxes, {row.answer});
        if (!row.error.isEmpty()) {
            Push(boxes, {IDOK});
        }
        if (row.answer != IDCANCEL) {
            row.file.isEmpty() ? dialogs.PushCancel()
                               : dialogs.PushPath(Fixture(row.file), row.filter);
        }
        const std::size_t asked = dialogs.Asked().size();
        const qsizetype shown = boxes.Shown().size();
        std::string changed;
        RunScreen(
            [&](CChecklistDlg& screen) {
                ChecklistDoc* document = screen.Document();
                document->AppendChecklist(document->CreateChecklist());
                changed = Describe(*document);
                ChooseListsEntry(screen, 1);
                Tick(screen, 1);
                screen.History().push(new QUndoCommand("Step"));
                const std::string before = changed + NameAndState(*document) + View(screen);
                Choose(screen, ID_FILE_IMPORT);
                ChecklistDoc& now = *screen.Document();
                if (row.ckl == nullptr) {
                    EXPECT_EQ(&now, document);
                    EXPECT_EQ(Describe(now) + NameAndState(now) + View(screen), before);
                    EXPECT_EQ(screen.History().count(), 1);
                    return;
                }
                EXPECT_EQ(Describe(now), Reread(Fixture(row.ckl)));
                EXPECT_EQ(NameAndState(now), "@ unnamed *");
                EXPECT_EQ(screen.CurrentChecklist(), now.FirstChecklist());
                EXPECT_EQ(View(screen).find('+'), std::string::npos);
                EXPECT_EQ(screen.History().count(), 0);
            },
            {}, start);
        EXPECT_EQ(Boxes(boxes).mid(shown), row.error.isEmpty()
                                               ? QStringList(question)
                                               : QStringList({question, "Error: " + row.error}));
        EXPECT_EQ(dialogs.Asked().size() - asked, row.answer == IDCANCEL ? 0u : 1u);
        EXPECT_EQ(Reread(start), row.answer == IDYES ? changed : saved);
    }
    const FileDialogRecord& first = dialogs.Asked().front();
    EXPECT_EQ(first.kind, FileDialogKind::Open);
    EXPECT_EQ(first.filters.size(), static_cast<qsizetype>(convert::Formats().size()) + 1);
    EXPECT_EQ(first.filters.value(0),
              "All checklist files (*.ckl *.ace *.txt *.json *.fmd *.gplt)");
    EXPECT_TRUE(first.filters.contains("Garmin Pilot (*.gplt)"));
}

// However many things an import changed, they are one box after the document is shown: the
// first Warnings::maxShown, then how many more.
TEST_F(ImportExportTest, WarningsOfAnImportAreOneBoxAfterTheDocumentIsShown) {
    std::string text = "LIST Long items\n";
    for (std::size_t i = 0; i < convert::Warnings::maxShown + 5; ++i) {
        text += "ITEM " + std::string(LineRules::maxBytes + 10, 'x') + "\n";
    }
    dialogs.PushPath(QString::fromStdString(WriteFile(TempPath("long_items_grt.txt"), text)));
    Push(boxes, {IDOK});
    RunScreen(
        [&](CChecklistDlg& screen) {
            Choose(screen, ID_FILE_IMPORT);
            EXPECT_EQ(screen.Document()->FirstChecklist()->ItemCount(),
                      static_cast<int>(convert::Warnings::maxShown) + 5);
        },
        {}, Start());
    const QStringList lines = Boxes(boxes).join('\n').split('\n');
    ASSERT_EQ(lines.size(), static_cast<qsizetype>(convert::Warnings::maxShown) + 2);
    EXPECT_EQ(lines.front(), "Import: long_items_grt.txt was imported with these changes:");
    EXPECT_EQ(lines.back(), "... and 5 more like these");
    for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].startsWith("- checklist \"Long items\" item "))
            << lines[i].toStdString();
    }
}

// A typed ending that names one format decides; otherwise the filter does, and its ending is
// added to a name without one. The dialog opens beside the document, and the file is what the
// converter makes of it. What the format cannot hold is said before anything is written, where
// Cancel writes nothing. A write that fails says so as Save does and leaves the folder as it was,
// an old file at the path byte for byte. None of this changes the document's name or state.
TEST_F(ImportExportTest, ExportWritesTheFormatTheNameOrElseTheFilterSays) {
    struct Row {
        const char* name;
        const char* source; // the .ckl shown; empty: one with hot buttons and unsaved changes
        const char* typed;
        const char* filter;
        const char* bytes; // the file whose bytes are written; null: nothing is
        int answer = 0;    // to the warnings; every write after OK here fails
        bool diskFull = false;
    };
    const Row rows[] = {
        {"typed_beats_filter", "every_kind.ckl", "binder.json", "Garmin (*.ace)",
         "every_kind.json"},
        {"ending_in_capitals", "every_kind.ckl", "BINDER.ACE", "Dynon (*.txt)", "every_kind.ace"},
        {"txt_is_grt_by_filter", "every_kind_lists.ckl", "p.txt", "Grand Rapids (*.txt)",
         "every_kind_grt.txt"},
        {"txt_is_dynon_by_filter", "every_kind_lists.ckl", "p.txt", "Dynon (*.txt)",
         "every_kind_dynon.txt"},
        {"unknown_ending_is_kept", "every_kind.ckl", "p.bak", "efis-editor (*.json)",
         "every_kind.json"},
        {"typed_ckl_is_a_copy", "every_kind_lists.ckl", "p.ckl", "", "every_kind_lists.ckl"},
        {"warning_cancelled", "", "w.ace", "", nullptr, IDCANCEL},
        {"folder_missing", "", "gone/w.ace", "", nullptr, IDOK},
        {"folder_is_a_file", "", "plain.txt/w.ace", "", nullptr, IDOK},
        {"disk_full_keeps_the_old_file", "", "w.ace", "", nullptr, IDOK, true},
    };
    const QString warning = "Export: w.ace: a Garmin file cannot hold everything this document "
                            "holds:\n- the hot buttons are not written: ace files have none\n\n"
                            "OK writes the file all the same; Cancel writes nothing. [ok cancel]";
    std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of ending the program
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString folder = TempPath(row.name);
        WriteFile(folder + "/w.ace", "old");
        WriteFile(folder + "/plain.txt", "plain");
        std::map<QString, std::string> expected = Snapshot(folder);
        if (row.bytes != nullptr) {
            expected[row.typed] = Bytes(Fixture(row.bytes));
        }
        const QString source = *row.source != '\0' ? Fixture(row.source) : Start(twoListsFile);
        dialogs.PushPath(folder + '/' + row.typed, row.filter);
        if (row.answer != 0) {
            row.answer == IDOK ? Push(boxes, {IDOK, IDOK}) : Push(boxes, {row.answer});
        }
        const qsizetype shown = boxes.Shown().size();
        RunScreen(
            [&](CChecklistDlg& screen) {
                ChecklistDoc& document = *screen.Document();
                if (row.answer != 0) {
                    document.AppendChecklist(document.CreateChecklist());
                }
                const std::string before = NameAndState(document);
                rlimit unlimited{};
                getrlimit(RLIMIT_FSIZE, &unlimited);
                const rlimit full = {row.diskFull ? 8 : unlimited.rlim_cur, unlimited.rlim_max};
                setrlimit(RLIMIT_FSIZE, &full);
                Choose(screen, ID_FILE_EXPORT);
                setrlimit(RLIMIT_FSIZE, &unlimited);
                EXPECT_EQ(NameAndState(document), before);
            },
            {}, source);
        EXPECT_EQ(Snapshot(folder), expected);
        EXPECT_EQ(Boxes(boxes).mid(shown), row.answer == 0 ? QStringList()
                                           : row.answer == IDOK
                                               ? QStringList({warning, saveFailure})
                                               : QStringList(warning));
        EXPECT_EQ(dialogs.Asked().back().kind, FileDialogKind::Save);
        EXPECT_EQ(dialogs.Asked().back().initialName, source.chopped(4));
    }
    const QStringList offered = dialogs.Asked().front().filters;
    EXPECT_EQ(offered.value(0), "Garmin (*.ace)");
    EXPECT_TRUE(offered.contains("Garmin Pilot (*.gplt)"));
    EXPECT_FALSE(offered.contains("tarvasto (*.ckl)")); // Save As writes .ckl files
}

// Every format the converter writes goes out through Export and comes back through Import as the
// converter itself carries it there and back (the program's own, first, is Save As's); a format
// it cannot yet carry so is skipped.
class EveryFormat : public ImportExportTest, public testing::WithParamInterface<std::size_t> {};

TEST_P(EveryFormat, ComesBackThroughImportAsTheConverterCarriesIt) {
    const convert::Format& format = convert::Formats()[GetParam()];
    ChecklistDoc source;
    ChecklistFile::ReadText(source, plainFile);
    std::string bytes;
    convert::Warnings written;
    ChecklistDoc back;
    convert::Warnings read;
    if (format.write == nullptr ||
        !convert::WriteFromDoc(source, format, {}, written,
                               [&](std::string_view chunk) { return bytes.append(chunk), true; }) ||
        convert::ReadIntoDoc(format, bytes, back, read)) {
        GTEST_SKIP() << "the converter does not carry " << format.name << " files there and back";
    }
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
        {}, Start());
    EXPECT_EQ(boxes.Shown().size(), warned);
}

INSTANTIATE_TEST_SUITE_P(Formats, EveryFormat,
                         testing::Range<std::size_t>(1, convert::Formats().size()),
                         [](const testing::TestParamInfo<std::size_t>& info) {
                             std::string name(convert::Formats()[info.param].name);
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

} // namespace
