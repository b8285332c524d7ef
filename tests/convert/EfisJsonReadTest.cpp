#include "EfisJsonFormat.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

using namespace convert;

namespace {

std::optional<ReadError> Read(const std::string& json, Book& book) {
    Warnings warnings;
    return ReadEfisJson(json, book, warnings);
}

// --- where a text that is not JSON goes wrong: a line and a column in characters ---

struct SyntaxCase {
    const char* name;
    std::string json;
    std::size_t line;
    std::size_t column;
    friend void PrintTo(const SyntaxCase& row, std::ostream* os) { *os << row.name; }
};

class JsonSyntaxFaults : public testing::TestWithParam<SyntaxCase> {};

// Each row also holds with a byte-order mark before the text, which moves no column.
TEST_P(JsonSyntaxFaults, AreToldAtTheirLineAndColumn) {
    const SyntaxCase& row = GetParam();
    Book book;
    std::optional<ReadError> error = Read(row.json, book);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->at, row.line) << error->what;
    EXPECT_EQ(error->column, row.column) << error->what;
    EXPECT_EQ(error->what.rfind("not valid JSON: ", 0), 0u) << error->what;
    // The place is given apart; the bytes the parser last read, which may be anything, are not
    // repeated.
    EXPECT_EQ(error->what.find("last read"), std::string::npos) << error->what;
    EXPECT_EQ(error->what.find("column"), std::string::npos) << error->what;

    Book marked;
    std::optional<ReadError> markedError = Read("\xEF\xBB\xBF" + row.json, marked);
    ASSERT_TRUE(markedError);
    EXPECT_EQ(markedError->at, error->at);
    EXPECT_EQ(markedError->column, error->column);
    EXPECT_EQ(markedError->what, error->what);
}

INSTANTIATE_TEST_SUITE_P(
    Places, JsonSyntaxFaults,
    testing::ValuesIn(std::vector<SyntaxCase>{
        {"Empty", "", 1, 1},
        {"OnlyBlanks", " \n\t\n", 1, 1},
        {"WrongFirstByte", "x{}", 1, 1},
        {"CommaWhereAKeyBelongs", "{\n  \"groups\": [\n    {,\n", 3, 6},
        {"AfterMultiByteCharacters", "{\"title\": \"caf\xC3\xA9 \xE2\x9C\x88\" x}", 1, 20},
        {"AfterAFourByteCharacterOnALaterLine", "{\"a\": 1,\n\"\xF0\x9F\x98\x80\": tru}", 2, 9},
        {"TruncatedInAString", "{\"groups\": [\n  {\"title\": \"G", 2, 15},
        {"TruncatedAfterAValue", "{\"groups\": [\n  {\"title\": \"G\"\n\n", 2, 16},
        {"TruncatedAfterTheFirstBrace", "{", 1, 2},
        {"BrokenUtf8InAString",
         "{\"title\":\n \"ab\xFF"
         "cd\"}",
         2, 5},
        {"Utf8CutShortInAString", "{\"title\": \"\xC3\xA9\xE2\x9C\"}", 1, 14},
        {"SurrogateEncodedInUtf8", "{\"title\": \"\xED\xA0\x80\"}", 1, 13},
        {"ControlCharacterInAString", "{\"title\": \"a\tb\"}", 1, 13},
        {"TrailingComma", "{\"groups\": [1, ]}", 1, 16},
        {"TrailingText", "{}\nx", 2, 1},
        {"NumberBeyondADouble", "{\"a\": 1e400}", 1, 11},
        {"LoneSurrogateEscape", "{\"title\": \"\\udc00\"}", 1, 17},
    }),
    [](const auto& info) { return std::string(info.param.name); });

// --- a value the reader refuses is told at its line, and no column; text follows each fault, so
// that the line is the value's and not the text's last ---

struct FieldCase {
    const char* name;
    std::string json;
    std::size_t line;
    const char* what;
    friend void PrintTo(const FieldCase& row, std::ostream* os) { *os << row.name; }
};

class JsonFieldFaults : public testing::TestWithParam<FieldCase> {};

TEST_P(JsonFieldFaults, AreToldAtTheLineOfTheValue) {
    const FieldCase& row = GetParam();
    Book book;
    std::optional<ReadError> error = Read(row.json, book);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->at, row.line);
    EXPECT_EQ(error->what, row.what);
    EXPECT_EQ(error->column, 0u);
}

const std::string items = R"({"groups": [{"title": "G", "checklists": [{"title": "L", "items": [)";

INSTANTIATE_TEST_SUITE_P(
    Places, JsonFieldFaults,
    testing::ValuesIn(std::vector<FieldCase>{
        {"SecondOfTwoSameNamedFields",
         "{\"metadata\": {\"name\": \"a\",\n\"name\": 5,\n\"x\": 1},\n\"y\": 2}", 2,
         "\"name\" must be a string"},
        {"AfterDeepUnknownValues",
         "{\"x\": [[[{\"y\": [1, 2]}]]],\n\"metadata\": {\"modified_time\": true,\n\"name\": "
         "\"n\"}}",
         2, "\"modified_time\" must be a whole number"},
        {"ThirdItemWithoutType",
         items + "\n{\"type\": 1},\n{\"type\": 2},\n{\"prompt\": \"p\"\n\n},\n{\"type\": 3}]}]}]}",
         6, "an item without a \"type\""},
        {"SecondChecklistOfSecondGroup",
         "{\"groups\": [{\"checklists\": [{}]},\n{\"checklists\": [{},\n{\"items\": 3},\n{}]}]}", 3,
         "\"items\" must be an array"},
        {"AfterAnIntegerBeyond64Bits",
         "{\"x\": 123456789012345678901,\n\"metadata\": {\"name\": []},\n\"y\": 1}", 2,
         "\"name\" must be a string"},
        {"BeforeANulByte", "{\n\"groups\": 5,\n\"y\": 1}" + std::string(1, '\0') + "{", 2,
         "\"groups\" must be an array"},
        {"IntegerBeyond64BitsWhereAWholeNumberBelongs",
         "{\"metadata\":\n{\"defaultGroupIndex\": 18446744073709551616,\n\"name\": \"n\"}}", 2,
         "\"defaultGroupIndex\" must be a whole number"},
        {"IndexBeyondInt",
         "{\"metadata\":\n{\"default_checklist_index\": \"2147483648\",\n\"name\": \"n\"}}", 2,
         "\"default_checklist_index\" is 2147483648, outside 0 to 2147483647"},
        {"TypeOfUnknownNumber", items + "\n{\"type\": 9},\n{\"type\": 1}]}]}]}", 2,
         "\"type\" must be an item type such as \"ITEM_CHALLENGE\""},
        {"ScalarDocument", "\n\n\"x\"", 3, "the file must hold one JSON object"},
    }),
    [](const auto& info) { return std::string(info.param.name); });

// --- field names in either form ---

struct NameCase {
    const char* name;
    std::string metadata; // the members of "metadata"
    Metadata expected;
    friend void PrintTo(const NameCase& row, std::ostream* os) { *os << row.name; }
};

Metadata WithNames(std::string name, std::string makeAndModel) {
    Metadata m;
    m.name = std::move(name);
    m.makeAndModel = std::move(makeAndModel);
    return m;
}

class JsonFieldNames : public testing::TestWithParam<NameCase> {};

TEST_P(JsonFieldNames, AreTakenInCamelOrSnakeCase) {
    const NameCase& row = GetParam();
    Book book;
    ASSERT_FALSE(Read("{\"metadata\": {" + row.metadata + "}}", book));
    EXPECT_EQ(book.metadata, row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, JsonFieldNames,
    testing::ValuesIn(std::vector<NameCase>{
        {"Camel",
         R"("name": "N", "makeAndModel": "M", "aircraftInfo": "A", "manufacturerInfo": "F", )"
         R"("copyrightInfo": "C", "defaultGroupIndex": 1, "defaultChecklistIndex": 2, )"
         R"("modifiedTime": 3)",
         Metadata{"N", "M", "A", "F", "C", 1, 2, 3, ""}},
        {"Snake",
         R"("name": "N", "make_and_model": "M", "aircraft_info": "A", "manufacturer_info": "F", )"
         R"("copyright_info": "C", "default_group_index": 1, "default_checklist_index": 2, )"
         R"("modified_time": 3)",
         Metadata{"N", "M", "A", "F", "C", 1, 2, 3, ""}},
        {"BothFormsTheLaterWins", R"("makeAndModel": "M", "make_and_model": "S")",
         WithNames("", "S")},
        {"HalfSnakeIsUnknown", R"("make_andModel": "M", "default_groupIndex": "x")", Metadata{}},
        {"CapitalisedIsUnknown", R"("Name": "N", "MakeAndModel": "M")", Metadata{}},
        {"SnakeWithCapitalsIsUnknown", R"("Make_And_Model": "M", "make__and_model": "M")",
         Metadata{}},
        {"EscapedNameIsTheName", R"("n\u0061me": "N")", WithNames("N", "")},
    }),
    [](const auto& info) { return std::string(info.param.name); });

// --- JSON that is read though it is unusual ---

struct UnusualCase {
    const char* name;
    std::string json;
    friend void PrintTo(const UnusualCase& row, std::ostream* os) { *os << row.name; }
};

class UnusualJson : public testing::TestWithParam<UnusualCase> {};

TEST_P(UnusualJson, IsReadAsAnyOther) {
    Book book;
    std::optional<ReadError> error = Read(GetParam().json, book);
    ASSERT_FALSE(error) << error->what;
    ASSERT_EQ(book.lists.size(), 1u);
    EXPECT_EQ(book.lists[0].name, "G: L");
    ASSERT_EQ(book.lists[0].items.size(), 1u);
    EXPECT_EQ(book.lists[0].items[0].prompt, "p");
}

const std::string oneItem =
    R"("groups": [{"title": "G", "checklists": [{"title": "L", "items": [{"type": 1, )"
    R"("prompt": "p"}, null]}, null]}, null])";

INSTANTIATE_TEST_SUITE_P(
    Shapes, UnusualJson,
    testing::ValuesIn(std::vector<UnusualCase>{
        {"Plain", "{" + oneItem + "}"},
        {"IntegerBeyond64Bits", "{\"x\": -123456789012345678901, " + oneItem + "}"},
        {"NulByteEndsTheText", "{" + oneItem + "}" + std::string("\n\0\0garbage", 10)},
        {"DeepNestingOfAnUnknownField",
         "{\"x\": " + std::string(3000, '[') + std::string(3000, ']') + ", " + oneItem + "}"},
        {"ByteOrderMark", "\xEF\xBB\xBF{" + oneItem + "}"},
    }),
    [](const auto& info) { return std::string(info.param.name); });

// --- an item is written on a line of its own, its fields in one order, and reads back ---

struct ItemLineCase {
    const char* name;
    Item item;
    std::string line;
    friend void PrintTo(const ItemLineCase& row, std::ostream* os) { *os << row.name; }
};

class EfisJsonItemLines : public testing::TestWithParam<ItemLineCase> {};

TEST_P(EfisJsonItemLines, AreWrittenWholeAndReadBack) {
    const ItemLineCase& row = GetParam();
    Book book;
    BookList& list = book.lists.emplace_back();
    list.name = "G: L";
    list.items = {row.item};
    std::string json = WriteEfisJson(book);
    EXPECT_NE(json.find("\n            " + row.line + "\n"), std::string::npos) << json;
    Book back;
    ASSERT_FALSE(Read(json, back));
    ASSERT_EQ(back.lists.size(), 1u);
    ASSERT_EQ(back.lists[0].items.size(), 1u);
    Item expected = row.item;
    if (expected.kind != ItemKind::ChallengeResponse) {
        expected.expectation = {};
    }
    EXPECT_EQ(back.lists[0].items[0], expected);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, EfisJsonItemLines,
    testing::ValuesIn(std::vector<ItemLineCase>{
        {"EveryField",
         {ItemKind::ChallengeResponse, "a", "b", 3, true},
         R"({"prompt": "a", "expectation": "b", "type": "ITEM_CHALLENGE_RESPONSE", )"
         R"("indent": 3, "centered": true})"},
        {"EveryFieldEscaped",
         {ItemKind::ChallengeResponse, "a\"q", "b\n\x01", 9, true},
         R"({"prompt": "a\"q", "expectation": "b\n\u0001", )"
         R"("type": "ITEM_CHALLENGE_RESPONSE", "indent": 9, "centered": true})"},
        {"OnlyTheType", {ItemKind::Space, "", "", 0, false}, R"({"type": "ITEM_SPACE"})"},
        {"ExpectationOfAChallengeLeftOut",
         {ItemKind::Challenge, "p", "x", 0, true},
         R"({"prompt": "p", "type": "ITEM_CHALLENGE", "centered": true})"},
    }),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
