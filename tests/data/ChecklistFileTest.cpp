#include "ChecklistFile.h"
#include "ChecklistDoc.h"
#include "DocChecks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using DocChecks::DescribeChecklists;
using DocChecks::DescribeSlots;
using DocChecks::RingsAreSound;

namespace {

std::string Rewritten(std::string_view bytes) {
    ChecklistDoc doc;
    ChecklistFile::ReadText(doc, bytes);
    return ChecklistFile::WriteText(doc);
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteAll(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::vector<std::string> ItemTexts(Checklist* checklist) {
    std::vector<std::string> texts;
    for (ChecklistItem* i = checklist->items.next; !checklist->IsEnd(i); i = i->next) {
        texts.emplace_back(i->text);
    }
    return texts;
}

// A string literal with its NUL bytes, all but the terminating one.
template <std::size_t N> std::string Bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

std::string FilePath(const char* name) {
    return std::string(TARVASTO_TEST_DATA) + "/" + name;
}

TEST(ChecklistFile, WritesTheTwelveLinesOfOneAssignedChecklist) {
    ChecklistDoc doc;
    Checklist* checklist = doc.CreateChecklist();
    checklist->SetName("PreStart");
    checklist->AppendItem("Belts ..... FASTENED");
    checklist->AppendItem("Brakes ..... SET");
    doc.AppendChecklist(checklist);
    doc.SetSlot(0, "PreStart", checklist);
    EXPECT_EQ(ChecklistFile::WriteText(doc), "[$$HEADER]\n[$$END]\n"
                                             "[$$CHECKLIST]\nPreStart\n"
                                             "Belts ..... FASTENED\nBrakes ..... SET\n"
                                             "[$$END]\n\n"
                                             "[$$HOTBUTTON]\n0\nPreStart\n[$$END]\n");
}

TEST(ChecklistFile, WritesEmptyItemsEmptyChecklistsAndOnlyTheLowestSlotOfAChecklist) {
    ChecklistDoc doc;
    Checklist* a = doc.CreateChecklist();
    a->SetName("A");
    a->AppendItem("");
    doc.AppendChecklist(a);
    Checklist* b = doc.CreateChecklist();
    b->SetName("B");
    doc.AppendChecklist(b);
    doc.SetSlot(3, "High", a);
    doc.SetSlot(2, "Low", a);
    doc.SetSlot(0, "Unassigned", nullptr);
    EXPECT_EQ(ChecklistFile::WriteText(doc), "[$$HEADER]\n[$$END]\n"
                                             "[$$CHECKLIST]\nA\n\n[$$END]\n\n"
                                             "[$$HOTBUTTON]\n2\nLow\n[$$END]\n"
                                             "[$$CHECKLIST]\nB\n[$$END]\n\n");
}

// Everything the format can hold comes back unchanged, "HEADER" and tag-like names included.
TEST(ChecklistFile, RoundTripKeepsEverythingTheFormatCanHold) {
    ChecklistDoc doc;
    const char* names[] = {"[$$END]", "HEADER", "", "Ünïcödé €", "  spaced  ", "Empty"};
    const std::vector<std::vector<std::string>> items = {{"HEADER", "after the header text"},
                                                         {"", "", "x"},
                                                         {"[not closed", "] first", "mid\rline"},
                                                         {std::string(1023, 'z'), "😀 four bytes"},
                                                         {"  leading and trailing  "},
                                                         {}};
    for (std::size_t i = 0; i < items.size(); ++i) {
        Checklist* checklist = doc.CreateChecklist();
        checklist->SetName(names[i]);
        for (const std::string& text : items[i]) {
            checklist->AppendItem(text);
        }
        doc.AppendChecklist(checklist);
    }
    doc.SetSlot(0, "HEADER", doc.ChecklistAt(1));
    doc.SetSlot(1, "[$$END", doc.ChecklistAt(0));
    doc.SetSlot(2, "", doc.ChecklistAt(5));
    doc.SetSlot(3, "Ünï", doc.ChecklistAt(3));

    ChecklistDoc back;
    ChecklistFile::ReadText(back, ChecklistFile::WriteText(doc));
    EXPECT_EQ(DescribeChecklists(back), DescribeChecklists(doc));
    EXPECT_EQ(DescribeSlots(back), DescribeSlots(doc));
    EXPECT_EQ(back.ChecklistCount(), 6);
    EXPECT_FALSE(back.modified);
    EXPECT_TRUE(RingsAreSound(back));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(ItemTexts(back.ChecklistAt(i)), items[i]) << "checklist " << i;
    }
}

TEST(ChecklistFile, RoundTripDropsUnassignedCaptionsAndSecondSlotsOfAChecklist) {
    ChecklistDoc doc;
    Checklist* a = doc.CreateChecklist();
    a->SetName("A");
    doc.AppendChecklist(a);
    doc.SetSlot(0, "Nowhere", nullptr);
    doc.SetSlot(1, "First", a);
    doc.SetSlot(2, "Second", a);
    ChecklistDoc back;
    ChecklistFile::ReadText(back, ChecklistFile::WriteText(doc));
    EXPECT_EQ(DescribeSlots(back), "1:#0=First");
}

TEST(ChecklistFile, LargeDocumentSurvivesRoundTripAcrossReadAndWriteChunks) {
    ChecklistDoc doc;
    for (int c = 0; c < 300; ++c) {
        Checklist* checklist = doc.CreateChecklist();
        checklist->SetName("List " + std::to_string(c));
        for (int i = 0; i < 60; ++i) {
            checklist->AppendItem("Item " + std::to_string(i) + " of list " + std::to_string(c) +
                                  std::string(static_cast<std::size_t>(i * 7 % 50), '.') + "é");
        }
        doc.AppendChecklist(checklist);
    }
    doc.SetSlot(0, "First", doc.ChecklistAt(0));
    doc.SetSlot(3, "Last", doc.ChecklistAt(299));
    std::string written = ChecklistFile::WriteText(doc);
    ASSERT_GT(written.size(), 4u * 64 * 1024);
    ChecklistDoc back;
    ChecklistFile::ReadText(back, written);
    EXPECT_EQ(DescribeChecklists(back), DescribeChecklists(doc));
    EXPECT_EQ(DescribeSlots(back), "0:#0=First 3:#299=Last");
    EXPECT_EQ(ChecklistFile::WriteText(back), written);
}

struct ReadCase {
    const char* name;
    std::string input;
    const char* checklists;
    const char* hotButtons;
};

void PrintTo(const ReadCase& row, std::ostream* out) {
    *out << row.name;
}

class ReadTextTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadTextTest, AbsorbsTheFileAsTheReaderRulesSay) {
    const ReadCase& c = GetParam();
    ChecklistDoc doc;
    ChecklistFile::ReadText(doc, c.input);
    EXPECT_EQ(DescribeChecklists(doc), c.checklists);
    EXPECT_EQ(DescribeSlots(doc), c.hotButtons);
    EXPECT_FALSE(doc.modified);
    EXPECT_TRUE(RingsAreSound(doc));
    // Whatever was read, writing it and reading that back is a fixed point.
    std::string once = Rewritten(c.input);
    EXPECT_EQ(Rewritten(once), once);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ReadTextTest,
    ::testing::Values(
        ReadCase{"empty_input", "", "", ""},
        ReadCase{"twelve_line_example",
                 "[$$HEADER]\n[$$END]\n[$$CHECKLIST]\nPreStart\none\ntwo\n[$$END]\n\n"
                 "[$$HOTBUTTON]\n0\nPreStart\n[$$END]\n",
                 "PreStart{one,two}", "0:#0=PreStart"},
        ReadCase{"plain_lines_outside_sections_ignored", "stray\n\n[x\n]\n", "", ""},
        ReadCase{"header_skips_plain_lines_and_other_tags",
                 "[$$HEADER]\nplain\n[$$CHECKLIST]\n[$$end]\n[$$END]\n[$$CHECKLIST]\nA\n", "A{}",
                 ""},
        ReadCase{"header_without_end_swallows_the_rest", "[$$HEADER]\n[$$CHECKLIST]\nA\na\n", "",
                 ""},
        ReadCase{"name_of_tag_form_is_not_tested", "[$$CHECKLIST]\n[$$END]\nitem\n[$$END]\n",
                 "[$$END]{item}", ""},
        ReadCase{"name_missing_at_end_of_input_is_nocaption", "[$$CHECKLIST]\n", "nocaption{}", ""},
        ReadCase{"checklist_without_end_takes_items_to_end_of_input", "[$$CHECKLIST]\nA\na\nb",
                 "A{a,b}", ""},
        ReadCase{"any_other_tag_opens_a_checklist", "[whatever]trailing\nW\nw\n[$$END]\n", "W{w}",
                 ""},
        ReadCase{"stray_end_opens_a_checklist", "[$$END]\nX\nx1\n", "X{x1}", ""},
        ReadCase{"lower_case_end_still_ends_a_checklist_as_any_tag",
                 "[$$CHECKLIST]\nA\na\n[$$end]\nb\n[$$END]\nB\n", "A{a} B{}", ""},
        // The terminating tag is consumed unseen: this hot-button section is never read.
        ReadCase{"terminating_tag_consumed_without_being_looked_at",
                 "[$$CHECKLIST]\nA\na\n[$$HOTBUTTON]\n0\ncap\n[$$END]\n", "A{a} nocaption{}", ""},
        ReadCase{"item_of_tag_form_ends_the_checklist_early",
                 "[$$HEADER]\n[$$END]\n[$$CHECKLIST]\nA\none\n[odd]\ntwo\n[$$END]\n\n"
                 "[$$CHECKLIST]\nB\nb1\n[$$END]\n\n",
                 "A{one} {} {}", ""},
        ReadCase{"caption_of_tag_form_ends_the_section_unassigned",
                 "[$$CHECKLIST]\nA\n[$$END]\n\n[$$HOTBUTTON]\n0\n[cap]\n[$$END]\n"
                 "[$$CHECKLIST]\nB\nb1\n[$$END]\n\n",
                 "A{} [$$CHECKLIST]{B,b1}", ""},
        ReadCase{"caption_of_tag_form_in_the_last_section",
                 "[$$CHECKLIST]\nA\n[$$END]\n\n[$$HOTBUTTON]\n0\n[cap]\n[$$END]\n",
                 "A{} nocaption{}", ""},
        ReadCase{"hot_button_before_any_checklist_has_no_checklist",
                 "[$$HOTBUTTON]\n2\nCap\n[$$END]\n[$$CHECKLIST]\nA\n", "A{}", "2:-=Cap"},
        ReadCase{"hot_button_for_the_last_checklist_read",
                 "[$$CHECKLIST]\nA\n[$$END]\n[$$CHECKLIST]\nB\n[$$END]\n[$$HOTBUTTON]\n3\nToB\n"
                 "[$$END]\n",
                 "A{} B{}", "3:#1=ToB"},
        ReadCase{"hot_button_index_minus_one_sets_slot_zero",
                 "[$$CHECKLIST]\nA\n[$$END]\n[$$HOTBUTTON]\n-1\nCap\n[$$END]\n", "A{}", "0:#0=Cap"},
        ReadCase{"hot_button_index_seven_sets_nothing",
                 "[$$CHECKLIST]\nA\n[$$END]\n[$$HOTBUTTON]\n7\nCap\n[$$END]\n", "A{}", ""},
        ReadCase{"hot_button_index_four_sets_nothing",
                 "[$$CHECKLIST]\nA\n[$$END]\n[$$HOTBUTTON]\n4\nCap\n[$$END]\n", "A{}", ""},
        ReadCase{"hot_button_index_with_blanks_sign_and_trailing_text",
                 "[$$CHECKLIST]\nA\n[$$END]\n[$$HOTBUTTON]\n \t+3 buttons\nCap\n[$$END]\n", "A{}",
                 "3:#0=Cap"},
        ReadCase{"hot_button_index_without_digits_is_zero",
                 "[$$CHECKLIST]\nA\n[$$END]\n[$$HOTBUTTON]\nthird\nCap\n[$$END]\n", "A{}",
                 "0:#0=Cap"},
        ReadCase{"hot_button_index_too_large_for_int_sets_nothing",
                 "[$$CHECKLIST]\nA\n[$$END]\n[$$HOTBUTTON]\n99999999999999999999\nCap\n[$$END]\n",
                 "A{}", ""},
        ReadCase{"hot_button_index_too_small_for_int_sets_slot_zero",
                 "[$$CHECKLIST]\nA\n[$$END]\n[$$HOTBUTTON]\n-99999999999999999999\nCap\n"
                 "[$$END]\n",
                 "A{}", "0:#0=Cap"},
        ReadCase{"hot_button_index_past_int_does_not_wrap",
                 "[$$CHECKLIST]\nA\n[$$END]\n[$$HOTBUTTON]\n4294967297\nCap\n[$$END]\n", "A{}", ""},
        ReadCase{"hot_button_section_with_several_pairs",
                 "[$$CHECKLIST]\nA\n[$$END]\n[$$HOTBUTTON]\n1\nOne\n2\nTwo\n[$$END]\n", "A{}",
                 "1:#0=One 2:#0=Two"},
        ReadCase{"hot_button_lower_case_end_is_an_index_line",
                 "[$$CHECKLIST]\nA\n[$$END]\n[$$HOTBUTTON]\n1\nOne\n[$$end]\nZero\n[$$END]\n",
                 "A{}", "0:#0=Zero 1:#0=One"},
        ReadCase{"hot_button_caption_missing_at_end_of_input",
                 "[$$CHECKLIST]\nA\n[$$END]\n[$$HOTBUTTON]\n1\n", "A{}", ""},
        ReadCase{"hot_button_empty_section", "[$$CHECKLIST]\nA\n[$$END]\n[$$HOTBUTTON]\n[$$END]\n",
                 "A{}", ""},
        ReadCase{"hot_button_without_end_at_end_of_input",
                 "[$$CHECKLIST]\nA\n[$$END]\n[$$HOTBUTTON]\n1\nCap", "A{}", "1:#0=Cap"},
        ReadCase{"hot_button_later_section_replaces_slot",
                 "[$$CHECKLIST]\nA\n[$$END]\n[$$HOTBUTTON]\n1\nOld\n[$$END]\n[$$CHECKLIST]\nB\n"
                 "[$$END]\n[$$HOTBUTTON]\n1\nNew\n[$$END]\n",
                 "A{} B{}", "1:#1=New"},
        ReadCase{"final_end_without_line_end_stays_a_tag", "[$$CHECKLIST]\nA\nitem\n[$$END]",
                 "A{item}", ""},
        ReadCase{"last_line_without_line_end_is_read_whole", "[$$CHECKLIST]\nA\nlast item",
                 "A{last item}", ""},
        ReadCase{"crlf_line_ends", "[$$CHECKLIST]\r\nA\r\nitem\r\n\r\n[$$END]\r\n", "A{item,}", ""},
        ReadCase{"cr_before_missing_final_line_end", "[$$CHECKLIST]\nA\nitem\r", "A{item}", ""},
        ReadCase{"cr_inside_a_line_is_text", "[$$CHECKLIST]\nA\nx\ry\n", "A{x\ry}", ""},
        ReadCase{"lone_bracket_is_not_a_tag", "[$$CHECKLIST]\nA\n[\n]\n[]\n", "A{[,]}", ""},
        ReadCase{"bom_only_skipped_at_the_start",
                 "\xEF\xBB\xBF[$$CHECKLIST]\n\xEF\xBB\xBF"
                 "A\n",
                 "\xEF\xBB\xBF"
                 "A{}",
                 ""},
        ReadCase{"nul_bytes_dropped_before_the_tag_test", Bytes("[$$CHECK\0LIST]\nA\0\n"), "A{}",
                 ""},
        ReadCase{"header_text_is_ordinary_text",
                 "[$$CHECKLIST]\nHEADER\nHEADER\nafter\n[$$END]\n[$$HOTBUTTON]\n1\nHEADER\n"
                 "[$$END]\n[$$CHECKLIST]\nB\n[$$END]\n",
                 "HEADER{HEADER,after} B{}", "1:#0=HEADER"}),
    [](const auto& info) { return std::string(info.param.name); });

struct LongLineCase {
    const char* name;
    std::string line;
    std::vector<std::string> pieces;
};

void PrintTo(const LongLineCase& row, std::ostream* out) {
    *out << row.name;
}

std::string Repeat(std::string_view text, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += text;
    }
    return out;
}

std::vector<LongLineCase> LongLineCases() {
    const std::string x1022(1022, 'x');
    return {
        {"exactly_1023_bytes_is_one_line", std::string(1023, 'x'), {std::string(1023, 'x')}},
        {"1024_bytes_split_after_1023", std::string(1024, 'x'), {std::string(1023, 'x'), "x"}},
        {"2047_bytes_in_three_pieces",
         std::string(2047, 'x'),
         {std::string(1023, 'x'), std::string(1023, 'x'), "x"}},
        {"two_byte_character_across_the_limit", x1022 + "éy", {x1022, "éy"}},
        {"four_byte_character_across_the_limit",
         std::string(1021, 'x') + "😀y",
         {std::string(1021, 'x'), "😀y"}},
        {"three_byte_character_ending_at_the_limit",
         std::string(1020, 'x') + "€y",
         {std::string(1020, 'x') + "€", "y"}},
        {"carriage_return_at_the_limit_moves_to_the_next_piece", x1022 + "\ry", {x1022, "\ry"}},
        {"carriage_returns_before_the_line_end_of_a_long_line", x1022 + "\r\r", {x1022}},
        {"carriage_returns_filling_a_piece",
         std::string(1500, '\r') + "y",
         {"", std::string(477, '\r') + "y"}},
        {"windows1252_line_grows_past_the_limit",
         std::string(600, '\xE9'),
         {Repeat("é", 511), Repeat("é", 89)}},
    };
}

class LongLineTest : public ::testing::TestWithParam<LongLineCase> {};

TEST_P(LongLineTest, ComesOutInPiecesThatWriteBackUnchanged) {
    const LongLineCase& c = GetParam();
    std::string input = "[$$CHECKLIST]\nL\n" + c.line + "\n";
    ChecklistDoc doc;
    ChecklistFile::ReadText(doc, input);
    ASSERT_EQ(doc.ChecklistCount(), 1);
    EXPECT_EQ(ItemTexts(doc.FirstChecklist()), c.pieces);
    std::string once = ChecklistFile::WriteText(doc);
    EXPECT_EQ(Rewritten(once), once);
}

INSTANTIATE_TEST_SUITE_P(Pieces, LongLineTest, ::testing::ValuesIn(LongLineCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ChecklistFile, LongTagLineIsATagAndItsRestTheNextLine) {
    ChecklistDoc doc;
    ChecklistFile::ReadText(doc, "[$$CHECKLIST]" + std::string(1010, ' ') + "Name\nitem\n");
    EXPECT_EQ(DescribeChecklists(doc), "Name{item}");
}

TEST(ChecklistFile, Windows1252UndefinedBytesBecomeControlsOfTheSameNumber) {
    EXPECT_EQ(ChecklistFile::Windows1252ToUtf8("\x81\x8D\x8F\x90\x9D"),
              "\u0081\u008D\u008F\u0090\u009D");
    EXPECT_EQ(ChecklistFile::Windows1252ToUtf8("\x80\x9F\xA0\xFF"), "€Ÿ\u00A0ÿ");
}

struct Utf8Case {
    const char* name;
    std::string bytes;
    bool valid;
};

void PrintTo(const Utf8Case& row, std::ostream* out) {
    *out << row.name;
}

class Utf8Test : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Test, TellsWellFormedUtf8) {
    EXPECT_EQ(ChecklistFile::IsValidUtf8(GetParam().bytes), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, Utf8Test,
    ::testing::Values(Utf8Case{"ascii", "plain text, long enough for whole words", true},
                      Utf8Case{"two_three_four_bytes", "é€😀", true},
                      Utf8Case{"lone_continuation", "a\x80", false},
                      Utf8Case{"overlong_slash", "\xC0\xAF", false},
                      Utf8Case{"overlong_three_bytes", "\xE0\x80\xAF", false},
                      Utf8Case{"surrogate", "\xED\xA0\x80", false},
                      Utf8Case{"past_u10ffff", "\xF4\x90\x80\x80", false},
                      Utf8Case{"largest_code_point", "\xF4\x8F\xBF\xBF", true},
                      Utf8Case{"truncated_at_the_end", "abcdefgh\xE2\x82", false},
                      Utf8Case{"invalid_after_eight_ascii_bytes", "abcdefgh\xFF", false}),
    [](const auto& info) { return std::string(info.param.name); });

struct FileCase {
    const char* file;
    std::string checklists;
    const char* hotButtons;
};

void PrintTo(const FileCase& row, std::ostream* out) {
    *out << row.file;
}

class LoadFileTest : public ::testing::TestWithParam<FileCase> {};

TEST_P(LoadFileTest, ReadsTheFileAndAgreesWithReadText) {
    const FileCase& c = GetParam();
    std::string path = FilePath(c.file);
    ChecklistDoc doc;
    std::string error;
    ASSERT_TRUE(doc.LoadFile(path.c_str(), &error)) << error;
    EXPECT_EQ(DescribeChecklists(doc), c.checklists);
    EXPECT_EQ(DescribeSlots(doc), c.hotButtons);
    EXPECT_FALSE(doc.modified);
    EXPECT_STREQ(doc.fileName, path.c_str());
    EXPECT_TRUE(RingsAreSound(doc));
    ChecklistDoc fromText;
    ChecklistFile::ReadText(fromText, ReadAll(path));
    EXPECT_EQ(ChecklistFile::WriteText(fromText), ChecklistFile::WriteText(doc));
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadFileTest,
    ::testing::Values(FileCase{"empty.ckl", "", ""}, FileCase{"bom.ckl", "Bom{first}", ""},
                      FileCase{"crlf.ckl", "CrLf{item,}", "1:#0=Caption"},
                      FileCase{"cr_cr_lf.ckl", "Twice{item}", ""},
                      FileCase{"windows1252.ckl",
                               "Café{€ 5,“quoted”,\u0081\u008D\u008F\u0090\u009D}", ""},
                      FileCase{"utf8_with_one_stray_byte.ckl", "CafÃ©{naïve}", ""},
                      FileCase{"long_line.ckl",
                               "Long{" + std::string(1023, 'a') + "," + std::string(1023, 'b') +
                                   "," + std::string(454, 'c') + ",short}",
                               ""},
                      FileCase{"no_final_newline.ckl", "A{last item}", ""},
                      FileCase{"end_tag_without_newline.ckl", "A{item}", ""},
                      FileCase{"nul_bytes.ckl", "Name{item}", ""}),
    [](const auto& info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

// The code page is decided over the whole file, read in chunks: a character or a byte-order
// mark that straddles or starts a chunk must be judged as in one piece.
TEST(ChecklistFile, LoadFileJudgesTheWholeFileAcrossReadChunks) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::string path = dir.filePath("chunks.ckl").toStdString();
    std::string bytes = "[$$CHECKLIST]\nL\n";
    bytes += std::string(65535 - bytes.size(), 'x') + "\n"; // the next line starts a new chunk
    bytes += "\xEF\xBB\xBF"
             "bom in the middle\n";
    bytes += std::string(65536 * 2 - 1 - bytes.size(), 'y') + "é\n"; // é straddles two chunks
    WriteAll(path, bytes);
    ChecklistDoc doc;
    ASSERT_TRUE(doc.LoadFile(path.c_str()));
    std::vector<std::string> items = ItemTexts(doc.FirstChecklist());
    ASSERT_GE(items.size(), 3u);
    EXPECT_EQ(items[items.size() - 1].substr(items.back().size() - 3), "yé");
    EXPECT_NE(std::find(items.begin(), items.end(),
                        "\xEF\xBB\xBF"
                        "bom in the middle"),
              items.end());
    ChecklistDoc fromText;
    ChecklistFile::ReadText(fromText, bytes);
    EXPECT_EQ(DescribeChecklists(fromText), DescribeChecklists(doc));
}

TEST(ChecklistFile, LoadFileThatCannotBeOpenedLeavesTheDocumentUntouched) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string missing = dir.filePath("missing.ckl").toStdString();
    const std::string folder = dir.path().toStdString();
    for (const std::string& path : {missing, folder}) {
        SCOPED_TRACE(path);
        ChecklistDoc doc;
        std::string error;
        EXPECT_FALSE(doc.LoadFile(path.c_str(), &error));
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(doc.modified);
        EXPECT_EQ(doc.fileName, nullptr);
        EXPECT_EQ(doc.ChecklistCount(), 0);
    }
    std::string error;
    ChecklistDoc doc;
    doc.LoadFile(missing.c_str(), &error);
    EXPECT_EQ(error, "No such file or directory");
}

// A pipe cannot be read twice: it is taken in whole and read as a file would be.
TEST(ChecklistFile, LoadFileReadsAPipe) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    const std::string bytes = "[$$CHECKLIST]\nPiped\nPUMP ..... ON\r\n[$$END]\n";
    ASSERT_EQ(write(ends[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(ends[1]);
    const std::string path = "/proc/self/fd/" + std::to_string(ends[0]);
    ChecklistDoc doc;
    std::string error;
    EXPECT_TRUE(doc.LoadFile(path.c_str(), &error)) << error;
    close(ends[0]);
    ChecklistDoc fromText;
    ChecklistFile::ReadText(fromText, bytes);
    EXPECT_EQ(DescribeChecklists(doc), DescribeChecklists(fromText));
    EXPECT_FALSE(doc.modified);
}

// An endless device is refused rather than read forever.
TEST(ChecklistFile, LoadFileRefusesAnEndlessDevice) {
    ChecklistDoc doc;
    std::string error;
    EXPECT_FALSE(doc.LoadFile("/dev/zero", &error));
    EXPECT_EQ(error, "File too large");
    EXPECT_EQ(doc.ChecklistCount(), 0);
    EXPECT_EQ(doc.fileName, nullptr);
}

TEST(ChecklistFile, SaveFileWritesTheTextClearsModifiedAndNamesTheDocument) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::string path = dir.filePath("saved.ckl").toStdString();
    ChecklistDoc doc;
    ChecklistFile::ReadText(doc, "[$$CHECKLIST]\nA\na\n[$$END]\n[$$HOTBUTTON]\n2\nCap\n[$$END]\n");
    doc.modified = true;
    std::string error;
    ASSERT_TRUE(doc.SaveFile(path.c_str(), &error)) << error;
    EXPECT_FALSE(doc.modified);
    EXPECT_STREQ(doc.fileName, path.c_str());
    EXPECT_EQ(ReadAll(path), ChecklistFile::WriteText(doc));

    ChecklistDoc back;
    ASSERT_TRUE(back.LoadFile(path.c_str()));
    EXPECT_EQ(DescribeChecklists(back), "A{a}");
    EXPECT_EQ(DescribeSlots(back), "2:#0=Cap");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 1);
}

// Save hands in the document's own file name: the new copy must not be made from a text that
// replacing the name has already released.
TEST(ChecklistFile, SaveFileToTheDocumentsOwnFileName) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::string path = dir.filePath("own.ckl").toStdString();
    ChecklistDoc doc;
    ASSERT_TRUE(doc.SaveFile(path.c_str()));
    const char* own = doc.fileName;
    ASSERT_TRUE(doc.SaveFile(own));
    EXPECT_STREQ(doc.fileName, path.c_str());
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

TEST(ChecklistFile, SaveFileKeepsTheModeOfAnExistingFileAndGivesANewOneTheUsualMode) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::string existing = dir.filePath("existing.ckl").toStdString();
    std::string fresh = dir.filePath("fresh.ckl").toStdString();
    WriteAll(existing, "old");
    chmod(existing.c_str(), 0640);
    mode_t oldMask = umask(022);
    ChecklistDoc doc;
    bool savedExisting = doc.SaveFile(existing.c_str());
    bool savedFresh = doc.SaveFile(fresh.c_str());
    umask(oldMask);
    ASSERT_TRUE(savedExisting);
    ASSERT_TRUE(savedFresh);
    EXPECT_EQ(ModeOf(existing), 0640u);
    EXPECT_EQ(ModeOf(fresh), 0644u);
}

TEST(ChecklistFile, SaveFileThroughASymbolicLinkReplacesTheFileItPointsTo) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir("real"));
    std::string target = dir.filePath("real/target.ckl").toStdString();
    std::string link = dir.filePath("link.ckl").toStdString();
    WriteAll(target, "old");
    ASSERT_TRUE(QFile::link(QStringLiteral("real/target.ckl"), dir.filePath("link.ckl")));
    ChecklistDoc doc;
    ASSERT_TRUE(doc.SaveFile(link.c_str()));
    EXPECT_TRUE(QFileInfo(dir.filePath("link.ckl")).isSymLink());
    EXPECT_EQ(ReadAll(target), ChecklistFile::WriteText(doc));
    EXPECT_STREQ(doc.fileName, link.c_str());
}

// Lowers the largest file this process may write, as a full disk would, for one scope.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved{};
    void (*previousHandler)(int) = SIG_DFL;
};

struct FailingSaveCase {
    const char* name;
    // Prepares the folder and returns the path to save to.
    std::function<std::string(const QString& folder)> prepare;
    bool diskFull;
};

void PrintTo(const FailingSaveCase& row, std::ostream* out) {
    *out << row.name;
}

class FailingSaveTest : public ::testing::TestWithParam<FailingSaveCase> {};

// A listing of every file below folder with its bytes, to prove nothing changed.
std::string Snapshot(const QString& folder) {
    std::string out;
    QDir dir(folder);
    for (const QFileInfo& entry :
         dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name)) {
        out += entry.fileName().toStdString();
        if (entry.isDir()) {
            out += "/{" + Snapshot(entry.filePath()) + "}";
        } else {
            out += "=" + ReadAll(entry.filePath().toStdString());
        }
        out += ";";
    }
    return out;
}

TEST_P(FailingSaveTest, LeavesTheOldFileAndTheDocumentAsTheyWere) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::string path = GetParam().prepare(dir.path());
    std::string before = Snapshot(dir.path());

    ChecklistDoc doc;
    Checklist* checklist = doc.CreateChecklist();
    checklist->SetName("Big");
    for (int i = 0; i < 5000; ++i) {
        checklist->AppendItem("An item long enough to fill the disk quickly, number " +
                              std::to_string(i));
    }
    doc.AppendChecklist(checklist);
    for (bool modified : {true, false}) {
        SCOPED_TRACE(modified ? "modified" : "unmodified");
        doc.modified = modified;
        doc.SetFileName("previous.ckl");
        std::string error;
        bool saved;
        if (GetParam().diskFull) {
            FileSizeLimit limit(100'000);
            saved = doc.SaveFile(path.c_str(), &error);
        } else {
            saved = doc.SaveFile(path.c_str(), &error);
        }
        EXPECT_FALSE(saved);
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(doc.modified, modified);
        EXPECT_STREQ(doc.fileName, "previous.ckl");
        EXPECT_EQ(Snapshot(dir.path()), before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FailingSaveTest,
    ::testing::Values(
        FailingSaveCase{"target_is_a_directory",
                        [](const QString& folder) {
                            QDir(folder).mkpath("list.ckl/inside");
                            WriteAll((folder + "/list.ckl/keep.txt").toStdString(), "kept");
                            return (folder + "/list.ckl").toStdString();
                        },
                        false},
        FailingSaveCase{"path_under_a_regular_file",
                        [](const QString& folder) {
                            WriteAll((folder + "/plain").toStdString(), "plain bytes");
                            return (folder + "/plain/list.ckl").toStdString();
                        },
                        false},
        FailingSaveCase{
            "missing_folder",
            [](const QString& folder) { return (folder + "/missing/list.ckl").toStdString(); },
            false},
        // Not even root may create files in /proc: a folder that cannot be written.
        FailingSaveCase{"folder_that_refuses_new_files",
                        [](const QString&) { return std::string("/proc/tarvasto-list.ckl"); },
                        false},
        FailingSaveCase{"disk_full_over_an_existing_file",
                        [](const QString& folder) {
                            std::string path = (folder + "/list.ckl").toStdString();
                            WriteAll(path, "[$$HEADER]\n[$$END]\n[$$CHECKLIST]\nOld\nkept\n");
                            return path;
                        },
                        true},
        FailingSaveCase{"disk_full_for_a_new_file",
                        [](const QString& folder) { return (folder + "/new.ckl").toStdString(); },
                        true}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
