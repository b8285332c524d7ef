// ForeFlight files: made by hand with openssl, written and read back.
#include "ChecklistDoc.h"
#include "ChecklistFile.h"
#include "CklConventions.h"
#include "Conversion.h"
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

} // namespace convert

using namespace convert;
using Json = nlohmann::json;

namespace {

constexpr std::string_view foreFlightKey = "81e06e41a93f3848";
const auto rowName = [](const auto& info) { return std::string(info.param.name); };

std::string ReadFile(const std::string& name) {
    std::ifstream in(std::string(TARVASTO_CONVERT_FILES) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

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

std::string Joined(const Warnings& warnings) {
    std::string all;
    for (const std::string& line : warnings.lines) {
        all += line + "\n";
    }
    return all;
}

std::string Hex(std::string_view bytes) {
    std::string hex;
    for (unsigned char byte : bytes) {
        hex += "0123456789abcdef"[byte >> 4];
        hex += "0123456789abcdef"[byte & 15];
    }
    return hex;
}

// AES-128-CBC through OpenSSL, in process, for the tables: encrypts with a fixed IV in front,
// or decrypts what follows the IV; empty when OpenSSL refuses.
std::string Cipher(std::string_view bytes, bool encrypt, std::string_view key = foreFlightKey) {
    std::unique_ptr<EVP_CIPHER_CTX, void (*)(EVP_CIPHER_CTX*)> context(EVP_CIPHER_CTX_new(),
                                                                       EVP_CIPHER_CTX_free);
    std::string iv = encrypt ? std::string(16, '\x5A') : std::string(bytes.substr(0, 16));
    std::string_view in = encrypt ? bytes : bytes.substr(16);
    std::string out(in.size() + 16, '\0');
    int length = 0;
    int last = 0;
    auto u = [](const char* p) { return reinterpret_cast<const unsigned char*>(p); };
    auto* to = reinterpret_cast<unsigned char*>(out.data());
    if (EVP_CipherInit_ex(context.get(), EVP_aes_128_cbc(), nullptr, u(key.data()), u(iv.data()),
                          encrypt ? 1 : 0) != 1 ||
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

TEST(ForeFlightFile, HandMadeFileReadsEveryPart) {
    Warnings warnings;
    Book book = Read(ReadFile("every_kind.fmd"), warnings);
    EXPECT_TRUE(warnings.Empty()) << Joined(warnings);
    EXPECT_EQ(book.metadata.name, "Every kind");
    EXPECT_EQ(book.metadata.detail, "Cessna 172S");
    EXPECT_EQ(book.metadata.aircraft, "N172SP");
    EXPECT_TRUE(book.carriesMetadata);
    const std::vector<std::pair<std::string_view, std::vector<Item>>> expected = {
        {"Preflight",
         {Response("Fuel quantity", "Check"), Challenge("Master switch"),
          NoteUnder("Watch the ammeter"), Heading("Engine start"), Text("Prime as needed."),
          NoteUnder("Cold days: more"), Caution("Starter limits"), Warning("Propeller"),
          Note("Lean for altitude"), Text("Just information"), Blank(),
          Response("Brakes", "Test\nand hold"), Heading("Ready")}},
        {"Cruise: Level off", {Response("Power", "Set"), NoteUnder("65 %\nor less")}},
        {"Cruise: Empty list", {}},
        {"Abnormal: Electrical: Low voltage", {Response("Alternator", "Reset once")}},
        {"Emergency: Engine fire", {Warning("Fire"), Response("Mixture", "Idle cut-off")}},
    };
    ASSERT_EQ(book.lists.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(book.lists[i].name, expected[i].first);
        EXPECT_EQ(book.lists[i].items, expected[i].second) << expected[i].first;
    }
}

TEST(ForeFlightFile, GroupsACklCannotHoldAreReadWithWarnings) {
    Warnings warnings;
    Book book = Read(ReadFile("odd_groups.fmd"), warnings);
    ASSERT_EQ(book.lists.size(), 2u);
    EXPECT_EQ(book.lists[0].name, "Oral: Weather");
    EXPECT_EQ(book.lists[0].items, std::vector{Response("METAR", "Decode")});
    EXPECT_EQ(book.lists[1].name, "A: B: C");
    std::string all = Joined(warnings);
    EXPECT_EQ(warnings.lines.size(), 4u) << all;
    for (const char* warning :
         {"group of the unknown type \"checkride\" is read as normal",
          "unknown type \"question\" are read as items to tick off",
          "subgroup \"Nothing here\" of the normal checklists holds no checklist",
          "subgroup \"A: B\" holds \": \""}) {
        EXPECT_NE(all.find(warning), std::string::npos) << warning << "\n" << all;
    }
}

struct BadCase {
    const char* name;
    std::string bytes;
    std::string what;
    friend void PrintTo(const BadCase& row, std::ostream* os) { *os << row.name; }
};

class ForeFlightBadFile : public testing::TestWithParam<BadCase> {};

TEST_P(ForeFlightBadFile, IsRefusedInWords) {
    Book book;
    Warnings warnings;
    std::optional<ReadError> error = ReadForeFlight(GetParam().bytes, book, warnings);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->at, ReadError::nowhere);
    EXPECT_NE(error->what.find(GetParam().what), std::string::npos) << error->what;
}

INSTANTIATE_TEST_SUITE_P(
    Files, ForeFlightBadFile,
    testing::ValuesIn(std::vector<BadCase>{
        {"Empty", "", "not a ForeFlight file: the file is shorter than an IV and one AES block"},
        {"IvOnly", std::string(16, 'x'), "shorter than an IV and one AES block"},
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

// --- reading items ---

struct ReadItemCase {
    const char* name;
    std::string json; // the items of one checklist
    std::vector<Item> items;
    friend void PrintTo(const ReadItemCase& row, std::ostream* os) { *os << row.name; }
};

class ForeFlightReadItems : public testing::TestWithParam<ReadItemCase> {};

TEST_P(ForeFlightReadItems, ReadAsTheirItems) {
    Warnings warnings;
    Book book = Read(FileOfItems(GetParam().json), warnings);
    EXPECT_TRUE(warnings.Empty()) << Joined(warnings);
    ASSERT_EQ(book.lists.size(), 1u);
    EXPECT_EQ(book.lists[0].name, "S: L");
    EXPECT_EQ(book.lists[0].items, GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(
    Items, ForeFlightReadItems,
    testing::ValuesIn(std::vector<ReadItemCase>{
        {"CheckWithoutMembers", R"({})", Items{Challenge("")}},
        {"CheckWithNullTexts", R"({"title":"A","detail":null,"note":null})", Items{Challenge("A")}},
        {"ResponseWithoutChallenge", R"({"detail":"On"})", Items{Response("", "On")}},
        {"NoteOfAComment", R"({"type":"comment","detail":"CAUTION: Hot","note":"n"})",
         Items{Caution("Hot"), NoteUnder("n")}},
        {"NoteOfABlank", R"({"type":"comment","note":"n"})", Items{Blank(), NoteUnder("n")}},
        {"HeadingKeepsPrefixedText", R"({"type":"comment","title":"T","detail":"NOTE: x"})",
         Items{Heading("T"), Text("NOTE: x")}},
        {"PrefixOnlyInCapitals", R"({"type":"comment","detail":"Note: x"})",
         Items{Text("Note: x")}},
        {"PrefixNeedsItsSpace", R"({"type":"comment","detail":"WARNING:x"})",
         Items{Text("WARNING:x")}},
        {"EmptyPrefixedText", R"({"type":"comment","detail":"NOTE: "})", Items{Note("")}},
        {"NullTypeIsACheck", R"({"type":null,"title":"A"})", Items{Challenge("A")}},
        {"UnknownMembersSkipped",
         R"({"actions":[{"deep":[[[]]]}],"title":"A","extra":{"type":5},"detail":"B"})",
         Items{Response("A", "B")}},
        {"NullElementsSkipped", R"(null,{"title":"A"})", Items{Challenge("A")}},
        {"EscapesAndLineBreaks", R"({"title":"\"Q\" \u00e9\r\nx","detail":"a\\b"})",
         Items{Response("\"Q\" \xC3\xA9\r\nx", "a\\b")}},
    }),
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
    std::ofstream(file + ".fmd", std::ios::binary) << bytes.substr(16);
    std::string command = "openssl enc -d -aes-128-cbc -K " + Hex(foreFlightKey) + " -iv " +
                          Hex(bytes.substr(0, 16)) + " -in '" + file + ".fmd' -out '" + file +
                          ".json'";
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
    std::size_t items = 0;
    std::function<void(const Json&, int)> check = [&](const Json& object, int depth) {
        std::string id = object.value("objectId", "");
        EXPECT_TRUE(id.size() == 32 && id.find_first_not_of("0123456789abcdef") == id.npos &&
                    id[12] == '4' && std::string_view("89ab").find(id[16]) != id.npos)
            << id;
        EXPECT_TRUE(ids.insert(id).second) << "twice: " << id;
        EXPECT_TRUE(depth < 2 || object.value("title", Json()).is_string()) << object.dump();
        groupType = depth == 1 ? object.value("groupType", "") : groupType;
        if (depth == 2) {
            subgroups.push_back(groupType + " " + object.value("title", ""));
        }
        if (depth == 4) {
            ++items;
            EXPECT_TRUE(object.value("detail", Json()).is_string() &&
                        object.value("note", Json()).is_string())
                << object.dump();
        }
        for (const Json& below : object.value(depth == 0 ? "groups" : "items", Json::array())) {
            check(below, depth + 1);
        }
    };
    check(payload, 0);
    EXPECT_EQ(items, 14u); // the notes and the heading's text go into their items
    EXPECT_EQ(subgroups, (std::vector<std::string>{"normal Normal", "normal Cruise",
                                                   "abnormal Electrical", "emergency Emergency"}));
    EXPECT_NE(Write(Book{}, warnings).substr(0, 16), bytes.substr(0, 16)) << "the IV is random";
}

struct WriteItemCase {
    const char* name;
    std::vector<Item> items;
    std::vector<Json> written; // the items of the file, without their ids
    std::string warning = {};  // a part of the one warning, or empty for none
    friend void PrintTo(const WriteItemCase& row, std::ostream* os) { *os << row.name; }
};

Json Check(std::string_view title, std::string_view detail = {}, std::string_view note = {}) {
    return {{"title", title}, {"detail", detail}, {"note", note}};
}
Json Comment(std::string_view title, std::string_view detail = {}, std::string_view note = {}) {
    return {{"type", "comment"}, {"title", title}, {"detail", detail}, {"note", note}};
}

using Written = std::vector<Json>;

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
    testing::ValuesIn(std::vector<WriteItemCase>{
        {"Checks", Items{Challenge("A"), Response("B", "On")},
         Written{Check("A"), Check("B", "On")}},
        {"NoteUnderACheckIsItsNote", Items{Response("A", "On"), NoteUnder("n")},
         Written{Check("A", "On", "n")}},
        {"HeadingTakesItsTextAndNote", Items{Heading("T"), Text("p"), NoteUnder("n")},
         Written{Comment("T", "p", "n")}},
        {"HeadingTakesItsNoteBeforeText", Items{Heading("T"), NoteUnder("n"), Text("p")},
         Written{Comment("T", "", "n"), Comment("", "p")}},
        {"HeadingTakesNoCheck", Items{Heading("T"), Challenge("A")},
         Written{Comment("T"), Check("A")}},
        {"KindsInTheirPrefixes",
         Items{Note("n"), Caution("c"), Warning("w\nx"), Text("p"), Blank()},
         Written{Comment("", "NOTE: n"), Comment("", "CAUTION: c"), Comment("", "WARNING: w\nx"),
                 Comment("", "p"), Comment("")}},
        {"AnyItemTakesANote", Items{Caution("c"), NoteUnder("n"), Blank(), NoteUnder("m")},
         Written{Comment("", "CAUTION: c", "n"), Comment("", "", "m")}},
        {"EmptyNoteStandsAlone", Items{Challenge("A"), Note("")},
         Written{Check("A"), Comment("", "NOTE: ")}},
        {"SecondNoteStandsAloneAndLosesItsIndent",
         Items{Challenge("A"), NoteUnder("a"), NoteUnder("b")},
         Written{Check("A", "", "a"), Comment("", "NOTE: b")}, indentLost},
        {"DeeperNoteLosesItsIndent", Items{Challenge("A"), NoteUnder("a", 3)},
         Written{Check("A", "", "a")}, indentLost},
        {"IndentedItemsWarnOnce",
         Items{MakeItem(ItemKind::Challenge, "A", {}, 1),
               MakeItem(ItemKind::Challenge, "B", {}, 2)},
         Written{Check("A"), Check("B")}, indentLost},
        {"CentredHeading", Items{MakeItem(ItemKind::Title, "T", {}, 0, true)},
         Written{Comment("T")}, indentLost},
        {"CentredNote", Items{Challenge("A"), NoteUnder("a", 1, true)},
         Written{Check("A", "", "a")}, indentLost},
        {"EmptyResponse", Items{Response("A", "")}, Written{Check("A")},
         "item 1: a challenge with an empty response reads back as a challenge alone"},
        {"TextLikeACaution", Items{Text("CAUTION: Hot")}, Written{Comment("", "CAUTION: Hot")},
         "item 1: plain text \"CAUTION: Hot\" reads back as a caution"},
        {"EmptyText", Items{Text("")}, Written{Comment("")}, "empty plain text reads back as"},
        {"HeadingTakesNoEmptyText", Items{Heading("T"), Text("")},
         Written{Comment("T"), Comment("")}, "item 2: empty plain text reads back as a blank line"},
        {"EmptyHeadingTakesNoText", Items{Heading(""), Text("p")},
         Written{Comment(""), Comment("", "p")},
         "item 1: an empty title reads back as a blank line"},
    }),
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

TEST(ForeFlightRoundTrip, FileToCklToFileKeepsEverything) {
    for (const char* name : {"every_kind.fmd", "odd_groups.fmd"}) {
        Warnings warnings;
        Book first = Read(ReadFile(name), warnings);
        // As the program reads a saved conversion for a grouped format with several lines.
        Warnings quiet;
        ChecklistDoc doc;
        ChecklistDoc saved;
        BookToDoc(first, doc, quiet);
        ChecklistFile::ReadText(saved, ChecklistFile::WriteText(doc));
        Book second = DocToBook(saved, true, true);
        EXPECT_EQ(second, first) << name;
        EXPECT_EQ(Read(Write(second, quiet), warnings), first) << name;
        EXPECT_TRUE(quiet.Empty()) << name << ": " << Joined(quiet);
    }
}

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
        {"ForeFlightToEfisJson", "foreflight", "every_kind.fmd", "efis-json",
         "the file's detail is left out: efis-json files"},
        {"ForeFlightToDynon", "foreflight", "every_kind.fmd", "dynon",
         "item 13: \"| AND HOLD\" reads back as another item"},
    }),
    rowName);

} // namespace
