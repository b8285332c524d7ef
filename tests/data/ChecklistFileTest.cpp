#include "ChecklistFile.h"
#include "DocChecks.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <dlfcn.h>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace DocChecks;

// This program stands in for the C library's flush-to-disk calls, noting the file each one
// flushed, so that a test can prove that a saved file reached the disk before it got its name.
static ino_t lastSyncedInode = 0;

static int NoteSync(const char* name, int descriptor) {
    struct stat info {};
    lastSyncedInode = fstat(descriptor, &info) == 0 ? info.st_ino : 0;
    return reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, name))(descriptor);
}

extern "C" int fsync(int descriptor) {
    return NoteSync("fsync", descriptor);
}

extern "C" int fdatasync(int descriptor) {
    return NoteSync("fdatasync", descriptor);
}

namespace {

std::string ReadAll(const std::string& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

void WriteAll(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Rewritten(std::string_view bytes) {
    ChecklistDoc doc;
    ChecklistFile::ReadText(doc, bytes);
    return ChecklistFile::WriteText(doc);
}

// Only the lowest slot of a checklist is written; "HEADER" and tag-like texts come back as text.
TEST(ChecklistFile, WritesSectionsThatReadBackAsTheyWere) {
    ChecklistDoc doc;
    Checklist* first = AddChecklist(doc, "[$$END]", {"HEADER", "", "[not closed", "x\ry", "Ünï😀"});
    doc.SetSlot(1, "", AddChecklist(doc, "HEADER"));
    doc.SetSlot(3, "High", first);
    doc.SetSlot(2, "HEADER", first);
    doc.SetSlot(0, "Unassigned", nullptr);
    const std::string text = "[$$HEADER]\n[$$END]\n[$$CHECKLIST]\n[$$END]\nHEADER\n\n[not closed\n"
                             "x\ry\nÜnï😀\n[$$END]\n\n[$$HOTBUTTON]\n2\nHEADER\n[$$END]\n"
                             "[$$CHECKLIST]\nHEADER\n[$$END]\n\n[$$HOTBUTTON]\n1\n\n[$$END]\n";
    EXPECT_EQ(ChecklistFile::WriteText(doc), text);
    ChecklistDoc back;
    ChecklistFile::ReadText(back, text);
    EXPECT_EQ(Describe(back),
              "[$$END]{HEADER,,[not closed,x\ry,Ünï😀} HEADER{} | 1:#1= 2:#0=HEADER");
}

struct ReadCase {
    const char* name;
    std::string input;
    std::string expected;
    // Prints as its name, so that test lists stay readable and the same from run to run.
    friend void PrintTo(const ReadCase& row, std::ostream* os) { *os << row.name; }
};

// A checklist "A" followed by the given text.
std::string AfterA(std::string_view text) {
    return "[$$CHECKLIST]\nA\n[$$END]\n" + std::string(text);
}

// The given line as the only item of checklist "L".
std::string InL(std::string_view line) {
    return "[$$CHECKLIST]\nL\n" + std::string(line) + "\n";
}

const std::string x1020(1020, 'x');
const ReadCase readCases[] = {
    {"plain_lines_and_lone_brackets_are_no_tags", "x\n[x\n]\n[$$CHECKLIST]\nA\n[\n]\n[]\ny\n",
     "A{[,]}"},
    {"header_skips_plain_lines_and_other_tags",
     "[$$HEADER]\nplain\n[$$CHECKLIST]\n[$$end]\n[$$END]\n[$$CHECKLIST]\nA\n", "A{}"},
    {"header_without_end_swallows_the_rest", "[$$HEADER]\n[$$CHECKLIST]\nA\na\n", ""},
    {"name_of_tag_form_is_a_name", "[$$CHECKLIST]\n[$$END]\nitem\n[$$END]\n", "[$$END]{item}"},
    {"name_missing_at_end_of_input_is_nocaption", "[$$CHECKLIST]\n", "nocaption{}"},
    // Any tag ends a checklist and is consumed unseen; any tag but two opens one.
    {"item_of_tag_form_ends_the_checklist_and_a_stray_end_opens_one",
     "[any]trailing\nA\na\n[$$end]\nb\n[$$END]\nB\n", "A{a} B{}"},
    {"carriage_returns_inside_and_before_a_missing_final_line_end",
     "[$$CHECKLIST]\nA\nx\ry\nlast\r", "A{x\ry,last}"},
    {"hot_button_before_any_checklist_has_no_checklist",
     "[$$HOTBUTTON]\n2\nCap\n[$$END]\n[$$CHECKLIST]\nA\n", "A{} | 2:-=Cap"},
    {"hot_button_for_the_last_checklist_read_replaces_a_slot",
     AfterA("[$$HOTBUTTON]\n1\nOld\n[$$END]\n[$$CHECKLIST]\nB\n[$$END]\n[$$HOTBUTTON]\n1\nNew\n"),
     "A{} B{} | 1:#1=New"},
    {"caption_of_tag_form_ends_the_section_unassigned",
     AfterA("[$$HOTBUTTON]\n0\n[cap]\n[$$END]\n[$$CHECKLIST]\nB\nb1\n[$$END]\n"),
     "A{} [$$CHECKLIST]{B,b1}"},
    // Indices read as the C library reads them, then saturated: 4 and above set no slot.
    {"index_signs_blanks_text_and_overflow",
     AfterA("[$$HOTBUTTON]\n-99999999999999999999\nSmall\n \t+3 x\nThree\n4\nFour\n"
            "4294967297\nWrap\n99999999999999999999\nHuge\n"),
     "A{} | 0:#0=Small 3:#0=Three"},
    {"several_pairs_and_a_lower_case_end_as_index_zero",
     AfterA("[$$HOTBUTTON]\n1\nOne\n[$$end]\nZero\n[$$END]\n"), "A{} | 0:#0=Zero 1:#0=One"},
    {"caption_missing_at_end_of_input", AfterA("[$$HOTBUTTON]\n1\n"), "A{}"},
    {"empty_hot_button_section", AfterA("[$$HOTBUTTON]\n[$$END]\n"), "A{}"},
    // Long lines come out as pieces of at most 1,023 bytes, cut between characters.
    {"exactly_1023_bytes_is_one_line", InL(x1020 + "xyz"), "L{" + x1020 + "xyz}"},
    {"long_tag_line_is_a_tag_and_its_rest_the_next_line",
     "[$$CHECKLIST]" + std::string(1010, ' ') + "Name\nitem\n", "Name{item}"},
    {"two_byte_character_across_the_limit", InL(x1020 + "xxéy"), "L{" + x1020 + "xx,éy}"},
    {"four_byte_character_across_the_limit", InL(x1020 + "x😀y"), "L{" + x1020 + "x,😀y}"},
    {"three_byte_character_ending_at_the_limit", InL(x1020 + "€y"), "L{" + x1020 + "€,y}"},
    {"carriage_return_at_the_limit_moves_to_the_next_piece", InL(x1020 + "xx\ry"),
     "L{" + x1020 + "xx,\ry}"},
    {"carriage_returns_before_the_line_end_of_a_long_line", InL(x1020 + "xx\r\r"),
     "L{" + x1020 + "xx}"},
    {"carriage_returns_filling_a_piece", InL(std::string(1500, '\r') + "y"),
     "L{," + std::string(477, '\r') + "y}"},
    {"windows1252_line_grows_past_the_limit", InL(std::string(600, '\xE9')),
     "L{" + QByteArray("é").repeated(511).toStdString() + "," +
         QByteArray("é").repeated(89).toStdString() + "}"},
};

class ReadText : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadText, AbsorbsTheInputAndWritesAFixedPoint) {
    ChecklistDoc doc;
    ChecklistFile::ReadText(doc, GetParam().input);
    EXPECT_EQ(Describe(doc), GetParam().expected);
    EXPECT_TRUE(RingsAreSound(doc));
    std::string once = ChecklistFile::WriteText(doc);
    EXPECT_EQ(Rewritten(once), once);
}

INSTANTIATE_TEST_SUITE_P(Rows, ReadText, ::testing::ValuesIn(readCases), RowName<ReadCase>);

// Valid: two, three and four bytes, the largest code point. Invalid: a lone continuation byte,
// overlong "/" in two and three bytes, a surrogate, past U+10FFFF, a character cut off at the
// end, a bad byte right after eight ASCII bytes.
TEST(ChecklistFile, TellsWellFormedUtf8) {
    EXPECT_TRUE(ChecklistFile::IsValidUtf8("é€😀\xF4\x8F\xBF\xBF"));
    for (const char* invalid : {"a\x80", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                                "\xF4\x90\x80\x80", "abcdefgh\xE2\x82", "abcdefgh\xFF"}) {
        EXPECT_FALSE(ChecklistFile::IsValidUtf8(invalid)) << invalid;
    }
}

struct FileCase {
    const char* name; // of the file, without ".ckl"
    std::string expected;
    // Prints as its name, so that test lists stay readable and the same from run to run.
    friend void PrintTo(const FileCase& row, std::ostream* os) { *os << row.name; }
};

const FileCase fileCases[] = {
    {"empty", ""},
    {"bom", "Bom{first}"},
    {"crlf", "CrLf{item,} | 1:#0=Caption"},
    {"cr_cr_lf", "Twice{item}"},
    {"windows1252", "Café{€ 5,“quoted”,\u0081\u008D\u008F\u0090\u009D,Ÿ\u00A0ÿ}"},
    {"utf8_with_one_stray_byte", "CafÃ©{naïve}"},
    {"long_line", "Long{" + std::string(1023, 'a') + "," + std::string(1023, 'b') + "," +
                      std::string(454, 'c') + ",short}"},
    {"no_final_newline", "A{last item}"},
    {"end_tag_without_newline", "A{item}"},
    {"nul_bytes", "Name{item}"},
    // Read in chunks of 64 KiB but judged whole: a byte-order mark starts the second chunk (its
    // line is no tag), and "é" straddles the second and the third.
    {"bom_and_character_across_read_chunks", "L{é}"},
};

class LoadFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(LoadFile, ReadsTheFileAsReadTextReadsItsBytes) {
    std::string path = std::string(TARVASTO_TEST_DATA) + "/" + GetParam().name + ".ckl";
    ChecklistDoc doc;
    ASSERT_TRUE(doc.LoadFile(path.c_str()));
    EXPECT_EQ(Describe(doc), GetParam().expected);
    EXPECT_EQ(Rewritten(ReadAll(path)), ChecklistFile::WriteText(doc));
}

INSTANTIATE_TEST_SUITE_P(Files, LoadFile, ::testing::ValuesIn(fileCases), RowName<FileCase>);

TEST(ChecklistFile, LoadFileThatCannotBeReadLeavesTheDocumentUntouched) {
    const std::pair<const char*, std::string> failures[] = {
        {TARVASTO_TEST_DATA "/missing.ckl", "No such file or directory"},
        {TARVASTO_TEST_DATA, "Is a directory"},
        {"/dev/zero", "File too large"}, // endless: refused rather than read forever
    };
    for (const auto& [path, expectedError] : failures) {
        ChecklistDoc doc;
        std::string error;
        EXPECT_FALSE(doc.LoadFile(path, &error));
        EXPECT_EQ(error, expectedError);
        EXPECT_EQ(Describe(doc), " | modified");
        EXPECT_EQ(doc.fileName, nullptr);
    }
}

// A pipe can be read only once: it is taken in whole and read as a file would be.
TEST(ChecklistFile, LoadFileReadsAPipe) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    const std::string bytes = "[$$CHECKLIST]\nPiped\nPUMP ..... ON\r\n[$$END]\n";
    ASSERT_EQ(write(ends[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(ends[1]);
    ChecklistDoc doc;
    EXPECT_TRUE(doc.LoadFile(("/proc/self/fd/" + std::to_string(ends[0])).c_str()));
    close(ends[0]);
    EXPECT_EQ(Describe(doc), "Piped{PUMP ..... ON}");
}

// Saving through a link replaces the file it points to, which keeps its mode; a new file gets
// the usual mode. Nothing else is left in the folder.
TEST(ChecklistFile, SaveFileReplacesTheFileThatLoadFileReadsBack) {
    QTemporaryDir dir;
    std::string target = dir.filePath("target.ckl").toStdString();
    std::string link = dir.filePath("link.ckl").toStdString();
    WriteAll(target, "old");
    chmod(target.c_str(), 0640);
    ASSERT_TRUE(QFile::link(QStringLiteral("target.ckl"), QString::fromStdString(link)));
    ChecklistDoc doc; // large enough to cross the writer's and the reader's chunks
    for (int c = 0; c < 300; ++c) {
        AddChecklist(doc, "List " + std::to_string(c), {"Item ..... é", "", std::string(900, 'x')});
    }
    ASSERT_TRUE(doc.SaveFile(link.c_str()));
    EXPECT_EQ(ReadAll(target), ChecklistFile::WriteText(doc));
    struct stat info {};
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(lastSyncedInode, info.st_ino); // flushed to disk before it got its name
    ChecklistDoc back;
    ASSERT_TRUE(back.LoadFile(link.c_str()));
    EXPECT_EQ(Describe(back), Describe(doc));
    // Save hands in the document's own file name, which replacing the name must not spoil.
    ASSERT_TRUE(doc.SaveFile(doc.fileName));
    EXPECT_STREQ(doc.fileName, link.c_str());
    mode_t oldMask = umask(022);
    EXPECT_TRUE(doc.SaveFile(dir.filePath("fresh.ckl").toStdString().c_str()));
    umask(oldMask);
    ASSERT_EQ(stat(dir.filePath("fresh.ckl").toStdString().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({"fresh.ckl", "link.ckl", "target.ckl"}));
}

// Every file and folder below folder with its bytes, to prove that nothing changed.
std::set<std::string> Snapshot(const QString& folder) {
    std::set<std::string> files;
    for (QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                         QDirIterator::Subdirectories);
         it.hasNext();) {
        std::string path = it.next().toStdString();
        files.insert(path + "=" + ReadAll(path));
    }
    return files;
}

struct FailingSaveCase {
    const char* name;
    const char* existing; // a file made first, with its folders; null for none
    const char* target;   // below the test's folder unless absolute
    bool diskFull;
    // Prints as its name, so that test lists stay readable and the same from run to run.
    friend void PrintTo(const FailingSaveCase& row, std::ostream* os) { *os << row.name; }
};

const FailingSaveCase failingSaveCases[] = {
    {"target_is_a_directory", "list.ckl/keep.txt", "list.ckl", false},
    {"path_under_a_regular_file", "plain", "plain/list.ckl", false},
    {"missing_folder", nullptr, "missing/list.ckl", false},
    // Not even root may create files in /proc: a folder that cannot be written.
    {"folder_that_refuses_new_files", nullptr, "/proc/tarvasto-list.ckl", false},
    {"disk_full_over_an_existing_file", "list.ckl", "list.ckl", true},
    {"disk_full_for_a_new_file", nullptr, "new.ckl", true},
};

class FailingSave : public ::testing::TestWithParam<FailingSaveCase> {};

TEST_P(FailingSave, LeavesTheOldFileAndTheDocumentAsTheyWere) {
    const FailingSaveCase& c = GetParam();
    QTemporaryDir dir;
    if (c.existing) {
        QDir().mkpath(QFileInfo(dir.filePath(c.existing)).path());
        WriteAll(dir.filePath(c.existing).toStdString(), "[$$CHECKLIST]\nOld\nkept\n");
    }
    std::string path = c.target[0] == '/' ? c.target : dir.filePath(c.target).toStdString();
    std::set<std::string> before = Snapshot(dir.path());
    ChecklistDoc doc;
    AddChecklist(doc, "Big", {std::string(200'000, 'x')});
    rlimit unlimited{};
    getrlimit(RLIMIT_FSIZE, &unlimited);
    std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of ending the program
    doc.SetFileName("previous.ckl");
    std::string error;
    rlimit full = {c.diskFull ? 100'000 : unlimited.rlim_cur, unlimited.rlim_max};
    setrlimit(RLIMIT_FSIZE, &full); // a full disk, as far as this program can tell
    EXPECT_FALSE(doc.SaveFile(path.c_str(), &error));
    setrlimit(RLIMIT_FSIZE, &unlimited);
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(doc.modified);
    EXPECT_STREQ(doc.fileName, "previous.ckl");
    EXPECT_EQ(Snapshot(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Rows, FailingSave, ::testing::ValuesIn(failingSaveCases),
                         RowName<FailingSaveCase>);

} // namespace
