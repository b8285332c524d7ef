#include "AceFormat.h"
#include "ChecklistDoc.h"
#include "ChecklistFile.h"
#include "CklConventions.h"
#include "ConvertTestSupport.h"
#include "EfisJsonFormat.h"
#include "Formats.h"
#include "TextFormats.h"

#include <QString>

#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <fstream>
#include <random>
#include <sstream>

using namespace convert;
using namespace converttest;

namespace {

enum class Format { Ace, Dynon, Grt, EfisJson };

const char* NameOf(Format format) {
    switch (format) {
    case Format::Ace:
        return "Ace";
    case Format::Dynon:
        return "Dynon";
    case Format::Grt:
        return "Grt";
    case Format::EfisJson:
        break;
    }
    return "EfisJson";
}

// Prints as its name, so that test lists stay readable.
void PrintTo(Format format, std::ostream* os) {
    *os << NameOf(format);
}

// The row of the table of formats that a test's format stands for.
const convert::Format& Row(Format format) {
    static const std::array<std::string_view, 4> names = {"ace", "dynon", "grt", "efis-json"};
    return *FormatNamed(names[static_cast<std::size_t>(format)]);
}

bool IsGrouped(Format format) {
    return Row(format).holdsGroups;
}

std::optional<ReadError> Read(Format format, std::string_view bytes, Book& book,
                              Warnings& warnings) {
    return Row(format).read(bytes, book, warnings);
}

std::string Write(Format format, const Book& book, Warnings& warnings, int width = 0) {
    std::string written;
    Row(format).write(book, {width}, warnings, [&written](std::string_view chunk) {
        written += chunk;
        return true;
    });
    return written;
}

std::string UpperCase(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
        .toUpper()
        .toStdString();
}

// --- one item, one line of text ---

Item MakeItem(ItemKind kind, std::string_view prompt, std::string_view expectation = {},
              int indent = 0, bool centered = false) {
    return {kind, prompt, expectation, indent, centered};
}

struct ItemCase {
    const char* name;
    ItemStyle style;
    std::string text;
    Item item;
    bool canonical; // whether the item is written back as exactly this text
    friend void PrintTo(const ItemCase& row, std::ostream* os) { *os << row.name; }
};

class ItemText : public testing::TestWithParam<ItemCase> {};

// Every convention reads as its item, and the item always reads back from what it is written
// as; a canonical text is written back byte for byte.
TEST_P(ItemText, ReadsAsItsItemAndWritesBack) {
    const ItemCase& row = GetParam();
    EXPECT_EQ(ParseItem(row.text, row.style), row.item);
    std::string written = FormatItem(row.item, row.style);
    EXPECT_EQ(ParseItem(written, row.style), row.item) << written;
    if (row.canonical) {
        EXPECT_EQ(written, row.text);
    }
    if (row.style == ItemStyle::Ckl) {
        EXPECT_FALSE(LineRules::IsTagLine(written)) << written;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Conventions, ItemText,
    testing::ValuesIn(std::vector<ItemCase>{
        {"Blank", ItemStyle::Ckl, "", MakeItem(ItemKind::Space, ""), true},
        {"Challenge", ItemStyle::Ckl, "Fuel pump on", MakeItem(ItemKind::Challenge, "Fuel pump on"),
         true},
        {"ChallengeResponse", ItemStyle::Ckl, "Brakes ..... Set",
         MakeItem(ItemKind::ChallengeResponse, "Brakes", "Set"), true},
        {"ThreeDotsSplitToo", ItemStyle::Ckl, "Brakes ... Set",
         MakeItem(ItemKind::ChallengeResponse, "Brakes", "Set"), false},
        {"FirstDotRunSplits", ItemStyle::Ckl, "A ..... B ..... C",
         MakeItem(ItemKind::ChallengeResponse, "A", "B ..... C"), true},
        {"DotsWithoutSpacesDoNotSplit", ItemStyle::Ckl, "Wait...then go",
         MakeItem(ItemKind::Challenge, "Wait...then go"), true},
        {"DotsAfterAWordDoNotSplit", ItemStyle::Ckl, "Wait... then go",
         MakeItem(ItemKind::Challenge, "Wait... then go"), true},
        {"TwoDotsDoNotSplit", ItemStyle::Ckl, "A .. B", MakeItem(ItemKind::Challenge, "A .. B"),
         true},
        {"EmptyResponse", ItemStyle::Ckl, "Brakes ..... ",
         MakeItem(ItemKind::ChallengeResponse, "Brakes", ""), true},
        {"Note", ItemStyle::Ckl, "NOTE: Hold brakes", MakeItem(ItemKind::Note, "Hold brakes"),
         true},
        {"NoteKeepsDots", ItemStyle::Ckl, "NOTE: A ..... B", MakeItem(ItemKind::Note, "A ..... B"),
         true},
        {"LowerCaseNoteIsAChallenge", ItemStyle::Ckl, "Note: x",
         MakeItem(ItemKind::Challenge, "Note: x"), true},
        {"Caution", ItemStyle::Ckl, "CAUTION: Hot", MakeItem(ItemKind::Caution, "Hot"), true},
        {"Warning", ItemStyle::Ckl, "WARNING: Fire", MakeItem(ItemKind::Warning, "Fire"), true},
        {"Title", ItemStyle::Ckl, "** Engine start **", MakeItem(ItemKind::Title, "Engine start"),
         true},
        {"EmptyTitle", ItemStyle::Ckl, "**  **", MakeItem(ItemKind::Title, ""), true},
        {"HalfATitleIsAChallenge", ItemStyle::Ckl, "** Engine",
         MakeItem(ItemKind::Challenge, "** Engine"), true},
        {"PlainText", ItemStyle::Ckl, "- Read the placards",
         MakeItem(ItemKind::PlainText, "Read the placards"), true},
        {"IndentTwoLevels", ItemStyle::Ckl, "    NOTE: x", MakeItem(ItemKind::Note, "x", "", 2),
         true},
        {"OddSpaceStaysInText", ItemStyle::Ckl, "   x", MakeItem(ItemKind::Challenge, " x", "", 1),
         true},
        {"IndentStopsAtNine", ItemStyle::Ckl, std::string(20, ' ') + "x",
         MakeItem(ItemKind::Challenge, "  x", "", 9), true},
        {"OnlySpaces", ItemStyle::Ckl, "  ", MakeItem(ItemKind::Challenge, "", "", 1), true},
        {"Centered", ItemStyle::Ckl, ">> ** Ready ** <<",
         MakeItem(ItemKind::Title, "Ready", "", 0, true), true},
        {"CenteredResponse", ItemStyle::Ckl, ">> Fuel ..... Off <<",
         MakeItem(ItemKind::ChallengeResponse, "Fuel", "Off", 0, true), true},
        {"TagLookingItemGetsASpace", ItemStyle::Ckl, " [Avionics] off",
         MakeItem(ItemKind::Challenge, "[Avionics] off"), true},
        {"TagLookingResponse", ItemStyle::Ckl, " [A] ..... [B]",
         MakeItem(ItemKind::ChallengeResponse, "[A]", "[B]"), true},
        {"BracketWithoutCloseIsNoTag", ItemStyle::Ckl, "[x", MakeItem(ItemKind::Challenge, "[x"),
         true},
        {"TextDash", ItemStyle::Text, "Brakes - Set",
         MakeItem(ItemKind::ChallengeResponse, "Brakes", "Set"), true},
        {"TextDotsAreText", ItemStyle::Text, "Brakes ..... Set",
         MakeItem(ItemKind::Challenge, "Brakes ..... Set"), true},
        {"TextTagNeedsNoSpace", ItemStyle::Text, "[Avionics] off",
         MakeItem(ItemKind::Challenge, "[Avionics] off"), true},
        {"TextIndentedCaution", ItemStyle::Text, "  CAUTION: Hot",
         MakeItem(ItemKind::Caution, "Hot", "", 1), true},
    }),
    [](const auto& info) { return std::string(info.param.name); });

// A name without ": " stays a group of its own, even before lists of a group of that title.
TEST(Groups, ConsecutiveNamesWithOneGroupTextFormOneGroupAndReadBack) {
    std::vector<BookList> lists;
    for (const char* name : {"Normal: Before start", "Normal: Taxi", "Emergency", "Emergency: Fire",
                             "Normal: Climb", ": Untitled group", "A: B: C"}) {
        lists.push_back({name, {}});
    }
    std::vector<Group> groups = GroupLists(lists);
    std::vector<std::pair<std::string, std::size_t>> shape;
    for (const Group& group : groups) {
        shape.emplace_back(group.title, group.lists.size());
        for (const auto& [title, list] : group.lists) {
            EXPECT_EQ(GroupedName(group.title, title, group.lists.size()), list->name);
        }
    }
    EXPECT_EQ(
        shape,
        (std::vector<std::pair<std::string, std::size_t>>{
            {"Normal", 2}, {"Emergency", 1}, {"Emergency", 1}, {"Normal", 1}, {"", 1}, {"A", 1}}));
    EXPECT_EQ(groups[5].lists[0].first, "B: C");
}

// --- named files ---

struct FileCase {
    const char* name;
    Format format;
    const char* file;
    const char* ckl; // what it reads as, saved as the program saves
    friend void PrintTo(const FileCase& row, std::ostream* os) { *os << row.name; }
};

class NamedFile : public testing::TestWithParam<FileCase> {};

// Each format's file of every item kind reads as the .ckl, and the .ckl writes it back byte for
// byte, without a warning either way.
TEST_P(NamedFile, ReadsAsTheCklAndWritesBackByteForByte) {
    const FileCase& row = GetParam();
    std::string bytes = ReadFile(row.file);
    ASSERT_FALSE(bytes.empty());
    Book book;
    Warnings warnings;
    std::optional<ReadError> error = Read(row.format, bytes, book, warnings);
    ASSERT_FALSE(error) << error->at << ": " << error->what;
    EXPECT_EQ(CklOf(book, warnings), ReadFile(row.ckl));
    Book back = BookOfCkl(ReadFile(row.ckl), IsGrouped(row.format));
    std::string written = Write(row.format, back, warnings);
    EXPECT_EQ(written, bytes);
    EXPECT_TRUE(warnings.Empty()) << Joined(warnings);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, NamedFile,
                         testing::ValuesIn(std::vector<FileCase>{
                             {"Ace", Format::Ace, "every_kind.ace", "every_kind.ckl"},
                             {"EfisJson", Format::EfisJson, "every_kind.json", "every_kind.ckl"},
                             {"Grt", Format::Grt, "every_kind_grt.txt", "every_kind_lists.ckl"},
                         }),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NamedFile, DynonReadsInCapitals) {
    Book book;
    Warnings warnings;
    ASSERT_FALSE(ReadTextChecklists(ReadFile("every_kind_dynon.txt"), TextFlavour::Dynon, book));
    std::string expected = ReadFile("every_kind_lists.ckl");
    for (char& c : expected) {
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
    }
    for (const char* tag : {"[$$HEADER]", "[$$END]", "[$$CHECKLIST]"}) {
        std::string upper = tag;
        EXPECT_NE(expected.find(upper), std::string::npos);
    }
    EXPECT_EQ(CklOf(book, warnings), expected);
    Book lists = BookOfCkl(ReadFile("every_kind_lists.ckl"), false);
    EXPECT_EQ(WriteTextChecklists(lists, TextFlavour::Dynon, 0, warnings),
              ReadFile("every_kind_dynon.txt"));
    EXPECT_TRUE(warnings.Empty()) << Joined(warnings);
}

// efis-editor's own export indents every field of an item on a line of its own.
TEST(NamedFile, EfisJsonInAnyLayoutReadsTheSame) {
    Book book;
    Warnings warnings;
    ASSERT_FALSE(ReadEfisJson(ReadFile("every_kind_pretty.json"), book, warnings));
    EXPECT_EQ(CklOf(book, warnings), ReadFile("every_kind.ckl"));
    EXPECT_TRUE(warnings.Empty()) << Joined(warnings);
}

// A byte-order mark changes nothing: every shape of text, with and without one, gives the same
// book, the same warnings and the same error.
struct JsonCase {
    const char* name;
    std::string json;
    friend void PrintTo(const JsonCase& row, std::ostream* os) { *os << row.name; }
};

class EfisJsonReaders : public testing::TestWithParam<JsonCase> {};

TEST_P(EfisJsonReaders, ReadTheSameWithAByteOrderMark) {
    const JsonCase& row = GetParam();
    Book quick;
    Book general;
    Warnings quickWarnings;
    Warnings generalWarnings;
    std::optional<ReadError> quickError = ReadEfisJson(row.json, quick, quickWarnings);
    std::optional<ReadError> generalError =
        ReadEfisJson("\xEF\xBB\xBF" + row.json, general, generalWarnings);
    ASSERT_EQ(quickError.has_value(), generalError.has_value());
    if (quickError) {
        // The parser quotes what it last read, the mark too when that is on the first line.
        std::string generalWhat = generalError->what;
        if (std::size_t mark = generalWhat.find("\xEF\xBB\xBF"); mark != std::string::npos) {
            generalWhat.erase(mark, 3);
        }
        EXPECT_EQ(quickError->at, generalError->at);
        EXPECT_EQ(quickError->what, generalWhat);
        return;
    }
    EXPECT_EQ(quick, general);
    EXPECT_EQ(quickWarnings.lines, generalWarnings.lines);
}

const std::string jsonItem = R"({"groups": [{"title": "G", "checklists": [{"title": "L", )"
                             R"("items": [{"type": "ITEM_CHALLENGE_RESPONSE", "prompt": )";

INSTANTIATE_TEST_SUITE_P(
    Shapes, EfisJsonReaders,
    testing::ValuesIn(std::vector<JsonCase>{
        {"EveryKind", ReadFile("every_kind.json")},
        {"EveryKindPretty", ReadFile("every_kind_pretty.json")},
        {"Escapes", jsonItem + R"("a\"b\\c\/d\be\ff\ng\rh\ti", "expectation": "x"}]}]}]})"},
        {"EscapesAfterLongPlainRuns",
         jsonItem + R"("0123456789abcdef\"0123456789abcdef\\0123456789abcdef", )" +
             "\"expectation\": \"0123456789ab\xC3\xA9 0123456789abcdef\"}]}]}]}"},
        {"ControlCharacterAfterLongPlainRun", jsonItem + "\"0123456789abcdef\x01\"}]}]}]}"},
        {"UnicodeEscape", jsonItem + R"("caf\u00e9 \ud83d\ude00", "expectation": "x"}]}]}]})"},
        {"Utf8OfEveryLength", jsonItem + "\"\xC3\xA9 \xE2\x9C\x88 \xF0\x9F\x98\x80\", "
                                         "\"expectation\": \"\xC3\x9F\"}]}]}]}"},
        {"Utf8Surrogate", jsonItem + "\"\xED\xA0\x80\"}]}]}]}"},
        {"Utf8Overlong", jsonItem + "\"\xC0\xAF\"}]}]}]}"},
        {"Utf8Truncated", jsonItem + "\"\xE2\x9C\"}]}]}]}"},
        {"ControlCharacter", jsonItem + "\"a\tb\"}]}]}]}"},
        {"NumbersAsStringsAndSnakeCase",
         R"({"metadata": {"default_group_index": "1", "defaultChecklistIndex": 0, )"
         R"("modified_time": -5, "make_and_model": "M"}, "groups": []})"},
        {"NumberTooLarge", R"({"metadata": {"modifiedTime": 123456789012345678901}})"},
        {"NumberWithFraction", R"({"metadata": {"modifiedTime": 1.0}})"},
        {"NumberWithLeadingZero", R"({"metadata": {"modifiedTime": 01}})"},
        {"IndentOutOfRange", jsonItem + R"("p", "indent": 10}]}]}]})"},
        {"NullsEverywhere",
         R"({"metadata": null, "groups": [null, {"title": null, "checklists": [{"title": )"
         R"("L", "items": [{"type": "ITEM_NOTE", "prompt": null, "centered": null}]}]}]})"},
        {"UnknownFieldsOfEveryShape",
         R"({"x": [1, -2, true, false, null, {"y": [[]]}, "s"], "groups": [{"title": "G", )"
         R"("z": {}, "checklists": [{"title": "L", "items": []}]}]})"},
        {"EmptyGroupWarns", R"({"groups": [{"title": "Empty"}, {"title": "G", )"
                            R"("checklists": [{"title": "L"}]}]})"},
        {"WhitespaceOfEveryKind", "\t{\r\n \"groups\" :\t[ ] }\r\n"},
        {"TrailingComma", jsonItem + R"("p", }]}]}]})"},
        {"TrailingText", "{} x"},
        {"Truncated", jsonItem + R"("p)"},
        {"NotAnObject", "[]"},
        {"Empty", ""},
        {"UnknownType", R"({"groups": [{"checklists": [{"items": [{"type": "ITEM_X"}]}]}]})"},
    }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NamedFile, TextFormatIsToldByItsContent) {
    EXPECT_EQ(DetectTextFlavour(ReadFile("every_kind_dynon.txt")), TextFlavour::Dynon);
    EXPECT_EQ(DetectTextFlavour(ReadFile("every_kind_grt.txt")), TextFlavour::Grt);
    EXPECT_EQ(DetectTextFlavour("# comment\r\n\r\nITEM x\r\n"), TextFlavour::Grt);
    EXPECT_EQ(DetectTextFlavour("[$$HEADER]\n"), std::nullopt);
    EXPECT_EQ(DetectTextFlavour(""), std::nullopt);
}

// --- what cannot be read ---

// An .ace file of the given lines after the metadata, with its header and a correct checksum.
std::string AceOf(std::string_view lines) {
    std::string bytes("\xF0\xF0\xF0\xF0\x00\x01\x00\x00\r\nname\r\n \r\n \r\n \r\n \r\n", 28);
    bytes += lines;
    uLong crc = ~crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()),
                       static_cast<uInt>(bytes.size()));
    for (int i = 0; i < 4; ++i) {
        bytes += static_cast<char>((crc >> (8 * i)) & 0xFF);
    }
    return bytes;
}

struct ErrorCase {
    const char* name;
    Format format;
    std::string bytes;
    std::size_t at; // byte offset for ace, else line
    std::string what;
    friend void PrintTo(const ErrorCase& row, std::ostream* os) { *os << row.name; }
};

class BadInput : public testing::TestWithParam<ErrorCase> {};

TEST_P(BadInput, IsRefusedWithWhereAndWhat) {
    const ErrorCase& row = GetParam();
    Book book;
    Warnings warnings;
    std::optional<ReadError> error = Read(row.format, row.bytes, book, warnings);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->at, row.at) << error->what;
    EXPECT_NE(error->what.find(row.what), std::string::npos) << error->what;
}

const std::string goodAce = AceOf("<0G\r\n(0L\r\nc0x\r\n)\r\n>\r\nEND\r\n");

INSTANTIATE_TEST_SUITE_P(
    Formats, BadInput,
    testing::ValuesIn(std::vector<ErrorCase>{
        {"AceWithWrongHeader", Format::Ace, "\xF0\xF0\xF0\xF0\x00\x02\x00\x00\r\n", 0,
         "F0 F0 F0 F0 00 01"},
        {"AceEmpty", Format::Ace, "", 0, "does not start with"},
        {"AceHeaderOnly", Format::Ace, std::string("\xF0\xF0\xF0\xF0\x00\x01", 6), 6,
         "ends inside its header"},
        {"AceHeaderWithoutLineEnd", Format::Ace,
         std::string("\xF0\xF0\xF0\xF0\x00\x01\x00\x00xx", 10), 8, "does not end with CR LF"},
        {"AceTruncatedInMetadata", Format::Ace, goodAce.substr(0, 14), 14, "metadata"},
        {"AceTruncatedInChecklist", Format::Ace, goodAce.substr(0, 40), 40,
         "ends inside a checklist"},
        {"AceWithoutChecksum", Format::Ace, goodAce.substr(0, goodAce.size() - 4), 54,
         "ends before its checksum"},
        {"AceWithWrongChecksum", Format::Ace, goodAce.substr(0, goodAce.size() - 1) + "\x01", 54,
         "wrong checksum"},
        {"AceWithBytesAfterChecksum", Format::Ace, goodAce + "x", 58, "after the checksum"},
        {"AceUnknownItemLetter", Format::Ace, AceOf("<0G\r\n(0L\r\nx0x\r\n)\r\n>\r\nEND\r\n"), 38,
         "unknown item type 'x'"},
        {"AceUnknownIndent", Format::Ace, AceOf("<0G\r\n(0L\r\ncxx\r\n)\r\n>\r\nEND\r\n"), 39,
         "unknown indent 'x'"},
        {"AceItemOfOneLetter", Format::Ace, AceOf("<0G\r\n(0L\r\nc\r\n)\r\n>\r\nEND\r\n"), 38,
         "type letter and an indent"},
        {"AceBareLineFeed", Format::Ace, AceOf("<0G\r\n(0L\r\nc0a\nb\r\n)\r\n>\r\nEND\r\n"), 41,
         "line feed without"},
        {"AceNulByte", Format::Ace,
         AceOf(std::string("<0G\r\n(0L\r\nc0a\0b\r\n)\r\n>\r\nEND\r\n", 27)), 41, "NUL"},
        {"AceListOutsideGroup", Format::Ace, AceOf("(0L\r\n)\r\nEND\r\n"), 28, "expected a group"},
        {"AceNoEndLine", Format::Ace, AceOf("<0G\r\n>\r\n"), 40, "no END line"},
        {"AceGroupHoldsText", Format::Ace, AceOf("<0G\r\nc0x\r\n>\r\nEND\r\n"), 33,
         "expected a checklist"},
        {"DynonUnknownLine", Format::Dynon, "CHKLST0.TITLE, A\r\nCHKLST0.ITEM1, x\r\n", 2,
         "not a Dynon checklist line"},
        {"DynonLineOfAnotherList", Format::Dynon, "CHKLST0.TITLE, A\r\nCHKLST1.LINE1, x\r\n", 2,
         "outside that checklist"},
        {"DynonLineBeforeAnyTitle", Format::Dynon, "# x\nCHKLST0.LINE1, x\n", 2,
         "outside that checklist"},
        {"DynonInLowerCase", Format::Dynon, "chklst0.title, a\n", 1, "not a Dynon"},
        {"GrtItemBeforeList", Format::Grt, "# x\r\n\r\nITEM Brakes - Set\r\n", 3,
         "before the first LIST"},
        {"GrtUnknownWord", Format::Grt, "LIST A\nITEMS x\n", 2, "not a Grand Rapids"},
        {"GrtNulByte", Format::Grt, std::string("LIST A\nITEM a\0b\n", 16), 2, "NUL"},
        {"JsonSyntax", Format::EfisJson, "{\n  \"groups\": [\n    {,\n", 3, "not valid JSON"},
        {"JsonNotAnObject", Format::EfisJson, "[]", 1, "one JSON object"},
        {"JsonPromptNotAString", Format::EfisJson,
         "{\"groups\": [{\"checklists\": [{\"items\": [\n{\"prompt\": 5}]}]}]}", 2,
         "\"prompt\" must be a string"},
        {"JsonPromptIsAnObject", Format::EfisJson,
         "{\"groups\": [{\"checklists\": [{\"items\": [\n{\"prompt\": {}}]}]}]}", 2,
         "\"prompt\" must be a string"},
        {"JsonUnknownType", Format::EfisJson,
         "{\"groups\": [{\"checklists\": [{\"items\": [\n{\"type\": \"ITEM_CHECK\"}]}]}]}", 2,
         "unknown item type \"ITEM_CHECK\""},
        {"JsonItemWithoutType", Format::EfisJson,
         "{\"groups\": [{\"checklists\": [{\"items\": [{\"prompt\": \"x\"\n}]}]}]}", 2,
         "without a \"type\""},
        {"JsonIndentTooDeep", Format::EfisJson,
         "{\"groups\": [{\"checklists\": [{\"items\": [{\"type\": 1,\n\n \"indent\": 12}]}]}]}", 3,
         "outside 0 to 9"},
        {"JsonGroupsNotAnArray", Format::EfisJson, "{\n\"groups\": {}}", 2,
         "\"groups\" must be an array"},
        {"JsonTrailingText", Format::EfisJson, "{}\nx", 2, "not valid JSON"},
    }),
    [](const auto& info) { return std::string(info.param.name); });

// --- what is changed, and said so ---

TEST(Warnings, CharactersOutsideLatin1AreReplacedAndReported) {
    Book book = BookOfCkl("[$$CHECKLIST]\nCaf\xC3\xA9\nFuel \xE2\x82\xAC ..... 5\n[$$END]\n", true);
    Warnings warnings;
    std::string bytes = WriteAce(book, warnings);
    ASSERT_EQ(warnings.lines.size(), 1u) << Joined(warnings);
    EXPECT_NE(warnings.lines[0].find("checklist \"Caf\xC3\xA9\" item 1: \"\xE2\x82\xAC\""),
              std::string::npos)
        << warnings.lines[0];
    EXPECT_NE(bytes.find("(0Caf\xE9\r\nr0Fuel ?~5\r\n"), std::string::npos);
    Book back;
    EXPECT_FALSE(ReadAce(bytes, back, warnings));
}

TEST(Warnings, ItemsThatReadBackOtherwiseAreReported) {
    Book book;
    book.lists.push_back({"L",
                          {MakeItem(ItemKind::Challenge, "NOTE: looks like a note"),
                           MakeItem(ItemKind::Challenge, "Wait ... then go"),
                           MakeItem(ItemKind::Challenge, ""), MakeItem(ItemKind::Note, "fine")}});
    Warnings warnings;
    CklOf(book, warnings);
    ASSERT_EQ(warnings.lines.size(), 3u) << Joined(warnings);
    EXPECT_NE(warnings.lines[0].find("item 1: a challenge that reads back from .ckl as a note"),
              std::string::npos);
    EXPECT_NE(warnings.lines[1].find("item 2: a challenge that reads back from .ckl as a "
                                     "challenge and response"),
              std::string::npos);
    EXPECT_NE(warnings.lines[2].find("as a blank item"), std::string::npos);
}

TEST(Warnings, TooLongTextsAreCutBetweenCharacters) {
    std::string prompt;
    for (int i = 0; i < 600; ++i) {
        prompt += "\xC3\xA9"; // 1,200 bytes
    }
    Book book;
    book.lists.push_back({"L", {MakeItem(ItemKind::Challenge, prompt)}});
    Warnings warnings;
    ChecklistDoc doc;
    BookToDoc(book, doc, warnings);
    std::string text = doc.FirstChecklist()->FirstItem()->text;
    EXPECT_EQ(text.size(), 1022u);
    EXPECT_TRUE(ChecklistFile::IsValidUtf8(text));
    ASSERT_EQ(warnings.lines.size(), 1u);
    EXPECT_NE(warnings.lines[0].find("cut to 1023 bytes"), std::string::npos);
}

// A .ckl item is one line: line breaks and NUL bytes from a display's file become spaces.
TEST(Warnings, LineBreaksBecomeContinuationItemsAndNulBytesSpaces) {
    Book book;
    Warnings warnings;
    ASSERT_FALSE(ReadEfisJson(R"({"groups": [{"title": "G", "checklists": [{"title": "L", )"
                              R"("items": [{"type": "ITEM_CHALLENGE", "prompt": "a\nb"}, )"
                              R"({"type": "ITEM_CHALLENGE", "prompt": "c\u0000d"}]}]}]})",
                              book, warnings));
    std::string ckl = CklOf(book, warnings);
    EXPECT_NE(ckl.find("\na\n| b\n"), std::string::npos) << ckl;
    EXPECT_NE(ckl.find("\nc d\n"), std::string::npos) << ckl;
    ASSERT_EQ(warnings.lines.size(), 1u);
    EXPECT_NE(warnings.lines[0].find("written with spaces"), std::string::npos) << Joined(warnings);
}

TEST(Warnings, EmptyGroupsAreLeftOutAndReported) {
    Book book;
    Warnings warnings;
    ASSERT_FALSE(ReadAce(AceOf("<0Empty\r\n>\r\n<0G\r\n(0L\r\n)\r\n>\r\nEND\r\n"), book, warnings));
    EXPECT_EQ(book.lists.size(), 1u);
    ASSERT_EQ(warnings.lines.size(), 1u);
    EXPECT_NE(warnings.lines[0].find("\"Empty\" at byte 28 holds no checklist"), std::string::npos);
    ASSERT_FALSE(ReadEfisJson(R"({"groups": [{"title": "Empty"}]})", book, warnings));
    EXPECT_EQ(warnings.lines.size(), 2u);
}

TEST(Warnings, StopCountingAfterTheFirstTwenty) {
    Warnings warnings;
    for (int i = 0; i < 25; ++i) {
        warnings.Add("w");
    }
    EXPECT_EQ(warnings.lines.size(), Warnings::maxShown);
    EXPECT_EQ(warnings.notShown, 5u);
}

TEST(Metadata, InfoListIsOnlyTakenWhenEveryLineIsKnown) {
    Book book = BookOfCkl("[$$CHECKLIST]\nCHECKLIST INFO\nNAME: X\nDEFAULT CHECKLIST: GROUP 3, "
                          "LIST 1\n[$$END]\n[$$CHECKLIST]\nChecklist info\nPilot: me\n[$$END]\n",
                          true);
    EXPECT_EQ(book.metadata.name, "X");
    EXPECT_EQ(book.metadata.defaultGroup, 2);
    EXPECT_EQ(book.metadata.defaultChecklist, 0);
    ASSERT_EQ(book.lists.size(), 1u); // the second is an ordinary checklist
    EXPECT_EQ(book.lists[0].items[0].prompt, "Pilot: me");
    EXPECT_EQ(BookOfCkl("[$$CHECKLIST]\nChecklist info\nName: X\n[$$END]\n", false).lists.size(),
              1u);
}

// --- wrapping the text formats ---

TEST(Wrap, LongItemsWrapWithinTheWidthAndReadBackWhole) {
    std::string word(30, 'W');
    std::string twoWords = word + " " + word;
    std::vector<Item> items = {
        MakeItem(ItemKind::ChallengeResponse, "Fuel selector valve position", "Both tanks, checked",
                 2),
        MakeItem(ItemKind::Note, twoWords, "", 1),
        MakeItem(ItemKind::Challenge,
                 "Temp\xC3\xA9rature \xC3\xA9l\xC3\xA9v\xC3\xA9\x65 du moteur"),
        MakeItem(ItemKind::Challenge, "two  spaces  between  every  word  here"),
    };
    for (int width : {8, 12, 20, 33}) {
        for (TextFlavour flavour : {TextFlavour::Grt, TextFlavour::Dynon}) {
            Book book;
            book.lists.push_back({"L", items});
            Warnings warnings;
            std::string bytes = WriteTextChecklists(book, flavour, width, warnings);
            Book back;
            ASSERT_FALSE(ReadTextChecklists(bytes, flavour, back));
            ASSERT_EQ(back.lists.size(), 1u);
            for (std::size_t i = 0; i < items.size(); ++i) {
                Item expected = items[i];
                if (flavour == TextFlavour::Dynon) {
                    expected.prompt = back.Keep(UpperCase(expected.prompt));
                    expected.expectation = back.Keep(UpperCase(expected.expectation));
                }
                EXPECT_EQ(back.lists[0].items[i], expected) << width << ": " << bytes;
            }
            std::istringstream lines(bytes);
            for (std::string line; std::getline(lines, line);) {
                std::size_t text = flavour == TextFlavour::Grt ? 5 : line.find(", ") + 2;
                if (line.starts_with("ITEM ") || line.find(".LINE") != std::string::npos) {
                    std::size_t indent = line.find_first_not_of(' ', text) - text;
                    EXPECT_LE(CharacterCount(line.substr(text)) - 1, // the carriage return
                              std::max<std::size_t>(width, indent + 3))
                        << line;
                }
            }
        }
    }
}

// --- random documents ---

std::string RandomText(std::mt19937& random, bool latin1Only) {
    static const std::vector<std::string> words = {
        "Fuel",    "pump", "ON",          "Brakes",       "set",   "Flaps",   "10\xC2\xB0",
        "mixture", "RICH", "caf\xC3\xA9", "\xE2\x82\xAC", "[x]",   "a:b",     "~",
        "|",       "-",    "...",         "(1)",          "CHECK", "\xC3\x9F"};
    std::string text;
    for (int i = 0, count = 1 + static_cast<int>(random() % 5); i < count; ++i) {
        std::string word = words[random() % words.size()];
        if ((latin1Only && word == "\xE2\x82\xAC") || word == "~" || word == "|" || word == "-" ||
            word == "..." || word == "[x]" || word == "\xC3\x9F") {
            continue; // kept for the tests of texts a format cannot hold
        }
        if (!text.empty()) {
            text += ' ';
        }
        text += word;
    }
    return text.empty() ? "Check" : text;
}

// A book of what every format holds: texts without the separators and markers the
// conventions use, every kind, indent and centring, groups of one and of several lists.
Book RandomBook(std::mt19937& random, bool latin1Only) {
    Book book;
    for (int g = 0, groups = static_cast<int>(random() % 4); g < groups; ++g) {
        std::string group = RandomText(random, latin1Only);
        int lists = 1 + static_cast<int>(random() % 3);
        for (int l = 0; l < lists; ++l) {
            BookList list;
            std::string title = lists == 1 && random() % 2 ? group : RandomText(random, latin1Only);
            list.name = book.Keep(GroupedName(group, title, static_cast<std::size_t>(lists)));
            for (int i = 0, count = static_cast<int>(random() % 8); i < count; ++i) {
                Item item;
                item.kind = static_cast<ItemKind>(random() % 8);
                if (item.kind != ItemKind::Space) {
                    item.prompt = book.Keep(RandomText(random, latin1Only));
                    item.indent = static_cast<int>(random() % 4 == 0 ? random() % 10 : 0);
                    item.centered = random() % 6 == 0;
                    if (item.centered) {
                        item.indent = 0;
                    }
                }
                if (item.kind == ItemKind::ChallengeResponse) {
                    item.expectation = book.Keep(RandomText(random, latin1Only));
                }
                list.items.push_back(std::move(item));
            }
            book.lists.push_back(std::move(list));
        }
    }
    if (random() % 2) {
        book.metadata.name = RandomText(random, latin1Only);
        book.metadata.copyright = RandomText(random, latin1Only);
        book.metadata.defaultGroup = static_cast<int>(random() % 3);
        book.metadata.defaultChecklist = static_cast<int>(random() % 3);
    }
    return book;
}

Book UpperCased(Book book) {
    auto upper = [&book](std::string_view& text) { text = book.Keep(UpperCase(text)); };
    for (BookList& list : book.lists) {
        upper(list.name);
        for (Item& item : list.items) {
            upper(item.prompt);
            upper(item.expectation);
        }
    }
    return book;
}

class RandomRoundTrip : public testing::TestWithParam<Format> {};

// FORMAT -> ckl -> FORMAT gives the same file, and the .ckl between gives the same lists,
// items, kinds, indents and metadata back: on the program's own reading of the saved .ckl,
// without a warning.
TEST_P(RandomRoundTrip, FormatToCklToFormatKeepsEverything) {
    Format format = GetParam();
    std::mt19937 random(20261207);
    for (int round = 0; round < 300; ++round) {
        Book book = RandomBook(random, format == Format::Ace);
        if (!IsGrouped(format)) {
            book.metadata = {};
        }
        if (format == Format::Dynon) {
            book = UpperCased(std::move(book));
        }
        Warnings warnings;
        std::string bytes = Write(format, book, warnings);
        Book read;
        std::optional<ReadError> error = Read(format, bytes, read, warnings);
        ASSERT_FALSE(error) << error->what << "\n" << bytes;
        ASSERT_EQ(read, book) << bytes;
        std::string ckl = CklOf(read, warnings);
        Book back = BookOfCkl(ckl, IsGrouped(format));
        ASSERT_EQ(back, book) << ckl;
        ASSERT_EQ(Write(format, back, warnings), bytes);
        ASSERT_TRUE(warnings.Empty()) << Joined(warnings) << ckl;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, RandomRoundTrip,
                         testing::Values(Format::Ace, Format::Dynon, Format::Grt, Format::EfisJson),
                         [](const auto& info) { return std::string(NameOf(info.param)); });

class RandomCkl : public testing::TestWithParam<Format> {};

// ckl -> FORMAT -> ckl gives the same document, or says what it changed: random items from
// fragments that collide with every convention and every format's markers.
TEST_P(RandomCkl, CklToFormatToCklChangesNothingUnreported) {
    Format format = GetParam();
    static const std::vector<std::string> pieces = {
        "Fuel", " ",           "  ",           "NOTE: ", "CAUTION: ", "** ", " **", "- ",
        " - ",  " ..... ",     " ... ",        ">> ",    " <<",       "[",   "]",   "~",
        "|",    "caf\xC3\xA9", "\xE2\x82\xAC", ": ",     "x",         "\t"};
    std::mt19937 random(7);
    for (int round = 0; round < 400; ++round) {
        std::string ckl = "[$$CHECKLIST]\n";
        ckl += round % 3 ? "Group: List\n" : "List\n";
        for (int i = 0, count = 1 + static_cast<int>(random() % 6); i < count; ++i) {
            std::string text;
            for (int p = 0, n = static_cast<int>(random() % 5); p < n; ++p) {
                text += pieces[random() % pieces.size()];
            }
            while (!text.empty() && text.back() == '\r') {
                text.pop_back();
            }
            if (LineRules::IsTagLine(text)) {
                text.insert(text.begin(), ' ');
            }
            ckl += text + "\n";
        }
        ckl += "[$$END]\n";
        ChecklistDoc doc;
        ChecklistFile::ReadText(doc, ckl);
        // The run of dots between a challenge and its response comes back as five; everything
        // else comes back as it was.
        Warnings spelling;
        std::string before = CklOf(DocToBook(doc, false), spelling);
        Warnings warnings;
        std::string bytes = Write(format, DocToBook(doc, IsGrouped(format)), warnings);
        Book read;
        ASSERT_FALSE(Read(format, bytes, read, warnings)) << bytes;
        std::string after = CklOf(read, warnings);
        if (format == Format::Dynon) {
            before = QString::fromStdString(before).toUpper().toStdString();
            after = QString::fromStdString(after).toUpper().toStdString();
        }
        if (warnings.Empty()) {
            ASSERT_EQ(after, before) << bytes;
        }
        ChecklistDoc reread;
        ChecklistFile::ReadText(reread, after);
        ASSERT_EQ(ChecklistFile::WriteText(reread), after) << "not a good .ckl";
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, RandomCkl,
                         testing::Values(Format::Ace, Format::Dynon, Format::Grt, Format::EfisJson),
                         [](const auto& info) { return std::string(NameOf(info.param)); });

} // namespace
