// ForeFlight files: made by hand with openssl, written and read back.
#include "ChecklistDoc.h"
#include "ChecklistFile.h"
#include "CklConventions.h"
#include "Conversion.h"
#include "ConvertTestSupport.h"
#include "ForeFlightFormat.h"
#include "Formats.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <openssl/evp.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <set>

namespace convert {

// Items print as what they are, so that a failing comparison reads.
static void PrintTo(const Item& item, std::ostream* os) {
    *os << "{kind " << static_cast<int>(item.kind) << ", \"" << item.prompt << "\" / \""
        << item.expectation << "\", indent " << item.indent << (item.centered ? ", centred}" : "}");
}

static void PrintTo(const BookList& list, std::ostream* os) {
    *os << "\"" << list.name << "\": " << testing::PrintToString(list.items);
}

} // namespace convert

using namespace convert;
using namespace converttest;
using Json = nlohmann::json;

namespace {

constexpr std::string_view foreFlightKey = "81e06e41a93f3848";
constexpr const char* keyHex = "38316530366534316139336633383438";
const auto rowName = [](const auto& info) { return std::string(info.param.name); };

std::string Write(const Book& book, Warnings& warnings) {
    std::string written;
    EXPECT_TRUE(WriteForeFlight(book, warnings, [&written](std::string_view chunk) {
        written += chunk;
        return true;
    }));
    return written;
}

// The book in bytes, which must read without an error.
Book Read(std::string_view bytes, Warnings& warnings) {
    Book book;
    std::optional<ReadError> error = ReadForeFlight(bytes, book, warnings);
    EXPECT_FALSE(error) << error->what;
    return book;
}

// AES-128-CBC through OpenSSL, in process, for the tables: encrypts with a fixed IV in front,
// or decrypts what follows the IV; empty when OpenSSL refuses.
std::string Cipher(std::string_view bytes, bool encrypt) {
    std::unique_ptr<EVP_CIPHER_CTX, void (*)(EVP_CIPHER_CTX*)> context(EVP_CIPHER_CTX_new(),
                                                                       EVP_CIPHER_CTX_free);
    std::string iv = encrypt ? std::string(16, '\x5A') : std::string(bytes.substr(0, 16));
    std::string_view in = encrypt ? bytes : bytes.substr(16);
    std::string out(in.size() + 16, '\0');
    int length = 0;
    int last = 0;
    auto u = [](const char* p) { return reinterpret_cast<const unsigned char*>(p); };
    auto* to = reinterpret_cast<unsigned char*>(out.data());
    if (EVP_CipherInit_ex(context.get(), EVP_aes_128_cbc(), nullptr, u(foreFlightKey.data()),
                          u(iv.data()), encrypt ? 1 : 0) != 1 ||
        EVP_CipherUpdate(context.get(), to, &length, u(in.data()), static_cast<int>(in.size())) !=
            1 ||
        EVP_CipherFinal_ex(context.get(), to + length, &last) != 1) {
        return {};
    }
    out.resize(static_cast<std::size_t>(length + last));
    return encrypt ? iv + out : out;
}

std::string Encrypted(std::string_view json) {
    return Cipher(json, true);
}

// A file of one normal checklist "L" in the subgroup "S" holding the JSON items.
std::string FileOfItems(std::string_view items) {
    return Encrypted(R"({"type":"checklist","payload":{"groups":[{"groupType":"normal","items":[)"
                     R"({"title":"S","items":[{"title":"L","items":[)" +
                     std::string(items) + "]}]}]}]}}");
}

Item MakeItem(ItemKind kind, std::string_view prompt, std::string_view expectation = {},
              int indent = 0, bool centered = false) {
    return {kind, prompt, expectation, indent, centered, 0};
}

// Items of each kind, short enough for the tables' rows.
using Items = std::vector<Item>;
const auto Challenge = [](std::string_view text) { return MakeItem(ItemKind::Challenge, text); };
const auto Response = [](std::string_view text, std::string_view response) {
    return MakeItem(ItemKind::ChallengeResponse, text, response);
};
const auto Heading = [](std::string_view text) { return MakeItem(ItemKind::Title, text); };
const auto Text = [](std::string_view text) { return MakeItem(ItemKind::PlainText, text); };
const auto Note = [](std::string_view text) { return MakeItem(ItemKind::Note, text); };
const auto Caution = [](std::string_view text) { return MakeItem(ItemKind::Caution, text); };
const auto Warning = [](std::string_view text) { return MakeItem(ItemKind::Warning, text); };
const auto Blank = [] { return MakeItem(ItemKind::Space, ""); };
// A note indented under the item before it.
const auto NoteUnder = [](std::string_view text, int indent = 1, bool centered = false) {
    return MakeItem(ItemKind::Note, text, {}, indent, centered);
};

// --- files made by hand ---

struct HandMadeCase {
    const char* name;
    std::string file;
    std::string metadata; // name, detail and aircraft
    std::vector<BookList> lists;
    std::vector<std::string> warnings; // a part of each warning
    friend void PrintTo(const HandMadeCase& row, std::ostream* os) { *os << row.name; }
};

class ForeFlightHandMade : public testing::TestWithParam<HandMadeCase> {};

// Each file reads as it was made, and goes through a .ckl and back into a file unchanged.
TEST_P(ForeFlightHandMade, ReadsEveryPartAndGoesThroughCkl) {
    const HandMadeCase& row = GetParam();
    Warnings warnings;
    Book book = Read(ReadFile(row.file), warnings);
    std::string all = Joined(warnings);
    EXPECT_EQ(warnings.lines.size(), row.warnings.size()) << all;
    for (const std::string& warning : row.warnings) {
        EXPECT_NE(all.find(warning), std::string::npos) << warning << "\n" << all;
    }
    const Metadata& m = book.metadata;
    EXPECT_EQ(m.name + " / " + m.detail + " / " + m.aircraft, row.metadata);
    EXPECT_TRUE(book.carriesMetadata);
    EXPECT_EQ(book.lists, row.lists);
    // As the program reads a saved conversion for a grouped format with several lines.
    Warnings quiet;
    ChecklistDoc doc;
    ChecklistDoc saved;
    BookToDoc(book, doc, quiet);
    ChecklistFile::ReadText(saved, ChecklistFile::WriteText(doc));
    Book second = DocToBook(saved, true, true);
    EXPECT_EQ(second, book);
    EXPECT_EQ(Read(Write(second, quiet), warnings), book);
    EXPECT_TRUE(quiet.Empty()) << Joined(quiet);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ForeFlightHandMade,
    testing::Values(
        HandMadeCase{
            "EveryKind",
            "every_kind.fmd",
            "Every kind / Cessna 172S / N172SP",
            {{"Preflight",
              {Response("Fuel quantity", "Check"), Challenge("Master switch"),
               NoteUnder("Watch the ammeter"), Heading("Engine start"), Text("Prime as needed."),
               NoteUnder("Cold days: more"), Caution("Starter limits"), Warning("Propeller"),
               Note("Lean for altitude"), Text("Just information"), Blank(),
               Response("Brakes", "Test\nand hold"), Heading("Ready")}},
             {"Cruise: Level off", {Response("Power", "Set"), NoteUnder("65 %\nor less")}},
             {"Cruise: Empty list", {}},
             {"Abnormal: Electrical: Low voltage", {Response("Alternator", "Reset once")}},
             {"Emergency: Engine fire", {Warning("Fire"), Response("Mixture", "Idle cut-off")}}},
            {}},
        // Groups a .ckl cannot hold as they are.
        HandMadeCase{"OddGroups",
                     "odd_groups.fmd",
                     " /  / ",
                     {{"Oral: Weather", {Response("METAR", "Decode")}}, {"A: B: C", {}}},
                     {"group of the unknown type \"checkride\" is read as normal",
                      "unknown type \"question\" are read as items to tick off",
                      "subgroup \"Nothing here\" of the normal checklists holds no checklist",
                      "subgroup \"A: B\" holds \": \""}}),
    rowName);

// What the reader makes of a file: the items of its one list "S: L", or a refusal in words.
struct ReadCase {
    const char* name;
    std::string bytes;
    std::string refusal;          // a part of it, or empty when the file reads
    std::vector<Item> items = {}; // when the file reads
    friend void PrintTo(const ReadCase& row, std::ostream* os) { *os << row.name; }
};

// A row of a file whose one list holds the JSON items.
ReadCase Reads(const char* name, std::string_view json, std::vector<Item> items) {
    return {name, FileOfItems(json), "", std::move(items)};
}

class ForeFlightRead : public testing::TestWithParam<ReadCase> {};

TEST_P(ForeFlightRead, ReadsItsItemsOrIsRefusedInWords) {
    const ReadCase& row = GetParam();
    Book book;
    Warnings warnings;
    std::optional<ReadError> error = ReadForeFlight(row.bytes, book, warnings);
    if (!row.refusal.empty()) {
        ASSERT_TRUE(error);
        EXPECT_EQ(error->at, ReadError::nowhere);
        EXPECT_NE(error->what.find(row.refusal), std::string::npos) << error->what;
        return;
    }
    ASSERT_FALSE(error) << error->what;
    EXPECT_TRUE(warnings.Empty()) << Joined(warnings);
    EXPECT_EQ(book.lists, (std::vector<BookList>{{"S: L", row.items}}));
}

INSTANTIATE_TEST_SUITE_P(
    Refused, ForeFlightRead,
    testing::ValuesIn(std::vector<ReadCase>{
        {"Empty", "", "not a ForeFlight file: the file is shorter than an IV and one AES block"},
        {"TooShort", ReadFile("too_short.fmd"), "shorter than an IV and one AES block"},
        {"Truncated", ReadFile("truncated.fmd"), "file does not end on a whole AES block"},
        {"WrongKey", ReadFile("wrong_key.fmd"), "it does not decrypt under ForeFlight's key"},
        {"WrongPadding", ReadFile("wrong_padding.fmd"), "(a wrong key or padding)"},
        {"BrokenJson", ReadFile("broken_json.fmd"), "the checklist inside is not valid JSON: "},
        {"TitleANumber", ReadFile("title_number.fmd"),
         "\"title\" of a checklist must be a string, not a number"},
        {"ItemsNotAnArray", ReadFile("items_not_array.fmd"),
         "\"items\" of a subgroup must be an array, not an object"},
        {"NoPayload", ReadFile("no_payload.fmd"), "the file holds no \"payload\""},
        {"NotAChecklist", ReadFile("not_checklist.fmd"), "the file holds \"navlog\", not a"},
        {"NotAnObject", ReadFile("not_an_object.fmd"), "not a JSON object but an array"},
        {"PayloadAString", Encrypted(R"({"payload":"x"})"),
         "\"payload\" of the file must be an object, not a string"},
        {"GroupsAnObject", Encrypted(R"({"payload":{"groups":{}}})"),
         "\"groups\" of the payload must be an array"},
        {"GroupAString", Encrypted(R"({"payload":{"groups":["normal"]}})"),
         "an element of \"groups\" of the payload must be an object, not a string"},
        {"GroupTypeANumber", Encrypted(R"({"payload":{"groups":[{"groupType":1}]}})"),
         "\"groupType\" of a group must be a string"},
        {"SubgroupTitleTrue", Encrypted(R"({"payload":{"groups":[{"items":[{"title":true}]}]}})"),
         "\"title\" of a subgroup must be a string, not true or false"},
        {"MetadataAnArray", Encrypted(R"({"payload":{"metadata":[]}})"),
         "\"metadata\" of the payload must be an object"},
        {"TailNumberANumber", Encrypted(R"({"payload":{"metadata":{"tailNumber":172}}})"),
         "\"tailNumber\" of the metadata must be a string"},
        {"NoteAnArray", FileOfItems(R"({"title":"x","note":[]})"),
         "\"note\" of an item must be a string, not an array"},
        {"ItemTypeAnObject", FileOfItems(R"({"type":{}})"), "\"type\" of an item must be a"},
        {"ObjectIdANumber", FileOfItems(R"({"objectId":5})"), "\"objectId\" of an item must be"},
        {"ItemAString", FileOfItems(R"("Brakes")"),
         "an element of \"items\" of a checklist must be an object"},
        {"TrailingText", Encrypted(R"({"payload":{}} x)"), "not valid JSON"},
        {"NotUtf8", FileOfItems("{\"title\":\"\xC3\"}"), "not valid JSON"},
    }),
    rowName);

INSTANTIATE_TEST_SUITE_P(
    Items, ForeFlightRead,
    testing::Values(
        Reads("CheckWithoutMembers", R"({})", {Challenge("")}),
        Reads("CheckWithNullTexts", R"({"title":"A","detail":null,"note":null})", {Challenge("A")}),
        Reads("ResponseWithoutChallenge", R"({"detail":"On"})", {Response("", "On")}),
        Reads("NoteOfAComment", R"({"type":"comment","detail":"CAUTION: Hot","note":"n"})",
              {Caution("Hot"), NoteUnder("n")}),
        Reads("NoteOfABlank", R"({"type":"comment","note":"n"})", {Blank(), NoteUnder("n")}),
        Reads("HeadingKeepsPrefixedText", R"({"type":"comment","title":"T","detail":"NOTE: x"})",
              {Heading("T"), Text("NOTE: x")}),
        Reads("PrefixOnlyInCapitals", R"({"type":"comment","detail":"Note: x"})",
              {Text("Note: x")}),
        Reads("PrefixNeedsItsSpace", R"({"type":"comment","detail":"WARNING:x"})",
              {Text("WARNING:x")}),
        Reads("EmptyPrefixedText", R"({"type":"comment","detail":"NOTE: "})", {Note("")}),
        Reads("NullTypeIsACheck", R"({"type":null,"title":"A"})", {Challenge("A")}),
        Reads("UnknownMembersSkipped",
              R"({"actions":[{"deep":[[[]]]}],"title":"A","extra":{"type":5},"detail":"B"})",
              {Response("A", "B")}),
        Reads("NullElementsSkipped", R"(null,{"title":"A"})", {Challenge("A")}),
        Reads("EscapesAndLineBreaks", R"({"title":"\"Q\" \u00e9\r\nx","detail":"a\\b"})",
              {Response("\"Q\" \xC3\xA9\r\nx", "a\\b")})),
    rowName);

// --- what the writer makes ---

// The written file, decrypted by the openssl command with the IV read off its first 16 bytes,
// holds JSON of ForeFlight's shape: three groups in their order, every object with a fresh id.
TEST(ForeFlightWriter, OpensslDecryptsJsonOfForeFlightsShape) {
    if (std::system("openssl version >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "no openssl command";
    }
    Warnings warnings;
    std::string bytes = Write(Read(ReadFile("every_kind.fmd"), warnings), warnings);
    EXPECT_TRUE(warnings.Empty()) << Joined(warnings);
    QTemporaryDir dir;
    std::string file = dir.filePath("written").toStdString();
    std::ofstream(file + ".fmd", std::ios::binary) << bytes;
    std::string command = "tail -c +17 '" + file + ".fmd' | openssl enc -d -aes-128-cbc -K " +
                          keyHex + " -iv $(head -c 16 '" + file +
                          ".fmd' | od -An -tx1 | tr -d ' \\n') >'" + file + ".json'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    Json json = Json::parse(std::ifstream(file + ".json", std::ios::binary), nullptr, false);
    EXPECT_EQ(json["type"], "checklist");
    const Json& payload = json["payload"];
    EXPECT_EQ(payload["schemaVersion"], "1.0");
    EXPECT_EQ(payload["metadata"],
              Json({{"name", "Every kind"}, {"detail", "Cessna 172S"}, {"tailNumber", "N172SP"}}));
    // Every object from the payload down to the items has a fresh random UUID of version 4.
    std::set<std::string> ids;
    std::vector<std::string> subgroups; // each after its group's type
    std::string groupType;
    std::function<void(const Json&, int)> check = [&](const Json& object, int depth) {
        std::string id = object.value("objectId", "");
        EXPECT_TRUE(id.size() == 32 && id.find_first_not_of("0123456789abcdef") == id.npos &&
                    id[12] == '4' && std::string_view("89ab").find(id[16]) != id.npos)
            << id;
        EXPECT_TRUE(ids.insert(id).second) << "twice: " << id;
        groupType = depth == 1 ? object.value("groupType", "") : groupType;
        if (depth == 2) {
            subgroups.push_back(groupType + " " + object.value("title", ""));
        }
        for (const Json& below : object.value(depth == 0 ? "groups" : "items", Json::array())) {
            check(below, depth + 1);
        }
    };
    check(payload, 0);
    // The payload, 3 groups, 4 subgroups, 5 lists and 14 items: notes and a heading's text go
    // into their items.
    EXPECT_EQ(ids.size(), 27u);
    EXPECT_EQ(subgroups, (std::vector<std::string>{"normal Normal", "normal Cruise",
                                                   "abnormal Electrical", "emergency Emergency"}));
    EXPECT_NE(Write(Book{}, warnings).substr(0, 16), bytes.substr(0, 16)) << "the IV is random";
}

struct WriteItemCase {
    const char* name;
    std::vector<Item> items;
    std::vector<Json> written; // the items of the file, without their ids
    std::string warning;       // a part of the one warning, or empty for none
    friend void PrintTo(const WriteItemCase& row, std::ostream* os) { *os << row.name; }
};

Json Check(std::string_view title, std::string_view detail = {}, std::string_view note = {}) {
    return {{"title", title}, {"detail", detail}, {"note", note}};
}
Json Comment(std::string_view title, std::string_view detail = {}, std::string_view note = {}) {
    return {{"type", "comment"}, {"title", title}, {"detail", detail}, {"note", note}};
}

WriteItemCase Writes(const char* name, std::vector<Item> items, std::vector<Json> written,
                     std::string warning = {}) {
    return {name, std::move(items), std::move(written), std::move(warning)};
}

class ForeFlightWriteItems : public testing::TestWithParam<WriteItemCase> {};

// Each item is written as ForeFlight holds it and, unless a warning says otherwise, reads back
// as it was; the groups without lists are there all the same.
TEST_P(ForeFlightWriteItems, WriteAsForeFlightItems) {
    const WriteItemCase& row = GetParam();
    Book book;
    book.lists.push_back({"Preflight", row.items});
    Warnings warnings;
    std::string bytes = Write(book, warnings);
    const Json groups = Json::parse(Cipher(bytes, false), nullptr, false)["payload"]["groups"];
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[2]["items"], Json::array());
    Json items = groups[0]["items"][0]["items"][0]["items"];
    for (Json& item : items) {
        item.erase("objectId");
    }
    EXPECT_EQ(items, Json(row.written));
    if (row.warning.empty()) {
        EXPECT_TRUE(warnings.Empty()) << Joined(warnings);
        Book back = Read(bytes, warnings);
        ASSERT_EQ(back.lists.size(), 1u);
        EXPECT_EQ(back.lists[0].items, row.items);
    } else {
        ASSERT_EQ(warnings.lines.size(), 1u) << Joined(warnings);
        EXPECT_NE(warnings.lines[0].find(row.warning), std::string::npos) << warnings.lines[0];
    }
}

const std::string indentLost = "indentation and centring of items are left out";

INSTANTIATE_TEST_SUITE_P(
    Items, ForeFlightWriteItems,
    testing::Values(
        Writes("Checks", {Challenge("A"), Response("B", "On")}, {Check("A"), Check("B", "On")}),
        Writes("NoteUnderACheckIsItsNote", {Response("A", "On"), NoteUnder("n")},
               {Check("A", "On", "n")}),
        Writes("HeadingTakesItsTextAndNote", {Heading("T"), Text("p"), NoteUnder("n")},
               {Comment("T", "p", "n")}),
        Writes("HeadingTakesItsNoteBeforeText", {Heading("T"), NoteUnder("n"), Text("p")},
               {Comment("T", "", "n"), Comment("", "p")}),
        Writes("HeadingTakesNoCheck", {Heading("T"), Challenge("A")}, {Comment("T"), Check("A")}),
        Writes("KindsInTheirPrefixes",
               {Note("n"), Caution("c"), Warning("w\nx"), Text("p"), Blank()},
               {Comment("", "NOTE: n"), Comment("", "CAUTION: c"), Comment("", "WARNING: w\nx"),
                Comment("", "p"), Comment("")}),
        Writes("AnyItemTakesANote", {Caution("c"), NoteUnder("n"), Blank(), NoteUnder("m")},
               {Comment("", "CAUTION: c", "n"), Comment("", "", "m")}),
        Writes("EmptyNoteStandsAlone", {Challenge("A"), Note("")},
               {Check("A"), Comment("", "NOTE: ")}),
        Writes("SecondNoteStandsAloneAndLosesItsIndent",
               {Challenge("A"), NoteUnder("a"), NoteUnder("b")},
               {Check("A", "", "a"), Comment("", "NOTE: b")}, indentLost),
        Writes("DeeperNoteLosesItsIndent", {Challenge("A"), NoteUnder("a", 3)},
               {Check("A", "", "a")}, indentLost),
        Writes("IndentedItemsWarnOnce",
               {MakeItem(ItemKind::Challenge, "A", {}, 1),
                MakeItem(ItemKind::Challenge, "B", {}, 2)},
               {Check("A"), Check("B")}, indentLost),
        Writes("CentredHeading", {MakeItem(ItemKind::Title, "T", {}, 0, true)}, {Comment("T")},
               indentLost),
        Writes("CentredNote", {Challenge("A"), NoteUnder("a", 1, true)}, {Check("A", "", "a")},
               indentLost),
        Writes("EmptyResponse", {Response("A", "")}, {Check("A")},
               "item 1: a challenge with an empty response reads back as a challenge alone"),
        Writes("TextLikeACaution", {Text("CAUTION: Hot")}, {Comment("", "CAUTION: Hot")},
               "item 1: plain text \"CAUTION: Hot\" reads back as a caution"),
        Writes("EmptyText", {Text("")}, {Comment("")}, "empty plain text reads back as"),
        Writes("HeadingTakesNoEmptyText", {Heading("T"), Text("")}, {Comment("T"), Comment("")},
               "item 2: empty plain text reads back as a blank line"),
        Writes("EmptyHeadingTakesNoText", {Heading(""), Text("p")}, {Comment(""), Comment("", "p")},
               "item 1: an empty title reads back as a blank line")),
    rowName);

TEST(ForeFlightWriter, ListsGoInForeFlightsOrderWithOneWarning) {
    Book book;
    for (std::string_view name : {"Emergency: Fire", "Preflight", "Abnormal: Icing",
                                  "Cruise: Climb", "Normal: Landing", "Cruise: Descent"}) {
        book.lists.push_back({name, {Challenge(name)}});
    }
    Warnings warnings;
    Book back = Read(Write(book, warnings), warnings);
    ASSERT_EQ(warnings.lines.size(), 1u) << Joined(warnings);
    EXPECT_EQ(warnings.lines[0], "the checklists are written in ForeFlight's order: the normal, "
                                 "abnormal and emergency ones, each subgroup's together");
    std::vector<std::string_view> names;
    for (const BookList& list : back.lists) {
        names.push_back(list.name);
    }
    EXPECT_EQ(names, (std::vector<std::string_view>{"Preflight", "Landing", "Cruise: Climb",
                                                    "Cruise: Descent", "Abnormal: Icing",
                                                    "Emergency: Fire"}));
    // Written again in that order, the lists go as they are.
    Warnings again;
    Write(back, again);
    EXPECT_TRUE(again.Empty()) << Joined(again);
}

// A large file goes to the sink encrypted in pieces of about the .ckl writer's size, which put
// together are the file; a sink that fails ends the writing.
TEST(ForeFlightWriter, LargeFilesGoInPiecesAndStopWhenTheSinkFails) {
    Book book;
    book.lists.push_back({"Long", std::vector(20000, Response("Pump", "On"))});
    std::vector<std::size_t> sizes;
    std::string whole;
    Warnings warnings;
    ASSERT_TRUE(WriteForeFlight(book, warnings, [&](std::string_view chunk) {
        sizes.push_back(chunk.size());
        whole += chunk;
        return true;
    }));
    ASSERT_GT(sizes.size(), 4u);
    for (std::size_t i = 0; i + 1 < sizes.size(); ++i) {
        EXPECT_GE(sizes[i], chunkBytes);
        EXPECT_LT(sizes[i], chunkBytes + 4096);
    }
    EXPECT_EQ(Read(whole, warnings), book);
    int calls = 0;
    EXPECT_FALSE(
        WriteForeFlight(book, warnings, [&calls](std::string_view) { return ++calls < 2; }));
    EXPECT_EQ(calls, 2);
}

// --- round trips ---

// ckl -> ForeFlight -> ckl gives the same document, or says what it changed: random items from
// fragments that collide with every convention, in lists of every category named as the tablet
// formats name them.
TEST(ForeFlightRoundTrip, CklToFileToCklChangesNothingUnreported) {
    static const std::vector<std::string> pieces = {
        "Fuel", " ",       "  ",  "NOTE: ", "CAUTION: ", "WARNING: ", "** ", " **",         "- ",
        " - ",  " ..... ", ">> ", " <<",    "|",         "x",         ": ",  "caf\xC3\xA9", "\t"};
    static const std::vector<std::string> names = {"List", "Group: List", "Emergency: Fire",
                                                   "Abnormal: Sub: List", "Normal: Normal: A: B"};
    std::mt19937 random(11);
    std::size_t quiet = 0;
    for (int round = 0; round < 400; ++round) {
        std::string ckl;
        for (int l = 0, lists = 1 + static_cast<int>(random() % 2); l < lists; ++l) {
            ckl += "[$$CHECKLIST]\n" + names[random() % names.size()] + "\n";
            for (int i = 0, count = static_cast<int>(random() % 6); i < count; ++i) {
                for (int p = 0, n = static_cast<int>(random() % 5); p < n; ++p) {
                    ckl += pieces[random() % pieces.size()];
                }
                ckl += "\n";
            }
            ckl += "[$$END]\n";
        }
        ChecklistDoc doc;
        ChecklistFile::ReadText(doc, ckl);
        Warnings warnings;
        Book read = Read(Write(DocToBook(doc, true, true), warnings), warnings);
        ChecklistDoc after;
        BookToDoc(read, after, warnings);
        if (warnings.Empty()) {
            ++quiet;
            ASSERT_EQ(ChecklistFile::WriteText(after), ChecklistFile::WriteText(doc)) << ckl;
        }
    }
    EXPECT_GT(quiet, 40u) << "too few documents went through unchanged to tell anything";
}

// --- conversions with the other formats ---

struct ConversionCase {
    const char* name;
    std::string from;
    std::string file;
    std::string to;
    std::string warning; // a part of one of the warnings
    friend void PrintTo(const ConversionCase& row, std::ostream* os) { *os << row.name; }
};

class ForeFlightConversion : public testing::TestWithParam<ConversionCase> {};

TEST_P(ForeFlightConversion, GivesWarningsNotFailures) {
    const ConversionCase& row = GetParam();
    const convert::Format* from = FormatNamed(row.from);
    const convert::Format* to = FormatNamed(row.to);
    ASSERT_TRUE(from && to);
    ChecklistDoc doc;
    Warnings warnings;
    if (from->read == nullptr) {
        ChecklistFile::ReadText(doc, ReadFile(row.file));
    } else {
        std::optional<ReadError> error = ReadIntoDoc(*from, ReadFile(row.file), doc, warnings);
        ASSERT_FALSE(error) << error->what;
    }
    warnings = {};
    std::string bytes;
    ASSERT_TRUE(WriteFromDoc(doc, *to, {}, warnings, [&bytes](std::string_view chunk) {
        bytes += chunk;
        return true;
    }));
    std::string all = Joined(warnings);
    EXPECT_NE(all.find(row.warning), std::string::npos) << all;
    Book back;
    EXPECT_FALSE(to->read(bytes, back, warnings));
    EXPECT_FALSE(back.lists.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ForeFlightConversion,
    testing::ValuesIn(std::vector<ConversionCase>{
        {"AceToForeFlight", "ace", "every_kind.ace", "foreflight",
         "the file's make and model is left out: foreflight files have no place for it"},
        {"AceLayoutToForeFlight", "ace", "every_kind.ace", "foreflight", indentLost},
        {"EfisJsonToForeFlight", "efis-json", "every_kind.json", "foreflight",
         "the file's copyright is left out"},
        {"CklToForeFlight", "ckl", "every_kind.ckl", "foreflight",
         "the file's manufacturer is left out"},
        {"ForeFlightToAce", "foreflight", "every_kind.fmd", "ace",
         "the file's detail is left out: ace files have no place for it"},
        {"ForeFlightToDynon", "foreflight", "every_kind.fmd", "dynon",
         "item 13: \"| AND HOLD\" reads back as another item"},
    }),
    rowName);

} // namespace
