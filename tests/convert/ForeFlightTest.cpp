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
#include <memory>
#include <random>
#include <set>

namespace convert {

// Items print as what they are, so that a failing comparison reads.
static void PrintTo(const Item& item, std::ostream* os) {
    *os << "{kind " << static_cast<int>(item.kind) << ", \"" << item.prompt << "\"";
    if (!item.expectation.empty()) {
        *os << " / \"" << item.expectation << "\"";
    }
    if (item.indent != 0 || item.centered) {
        *os << ", indent " << item.indent << (item.centered ? ", centred" : "");
    }
    *os << "}";
}

} // namespace convert

using namespace convert;
using Json = nlohmann::json;

namespace {

constexpr std::string_view foreFlightKey = "81e06e41a93f3848";
constexpr const char* keyHex = "38316530366534316139336633383438";

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

std::string Joined(const Warnings& warnings) {
    std::string all;
    for (const std::string& line : warnings.lines) {
        all += line + "\n";
    }
    return all;
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

// The JSON inside a written file.
Json Inside(std::string_view bytes) {
    std::string json = Cipher(bytes, false);
    EXPECT_FALSE(json.empty());
    return Json::parse(json, nullptr, false);
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

using enum ItemKind;

// --- files made by hand ---

TEST(ForeFlightFile, HandMadeFileReadsEveryPart) {
    Book book;
    Warnings warnings;
    std::optional<ReadError> error = ReadForeFlight(ReadFile("every_kind.fmd"), book, warnings);
    ASSERT_FALSE(error) << error->what;
    EXPECT_TRUE(warnings.Empty()) << Joined(warnings);
    EXPECT_EQ(book.metadata.name, "Every kind");
    EXPECT_EQ(book.metadata.detail, "Cessna 172S");
    EXPECT_EQ(book.metadata.aircraft, "N172SP");
    EXPECT_TRUE(book.carriesMetadata);
    const std::vector<std::pair<std::string_view, std::vector<Item>>> expected = {
        {"Preflight",
         {MakeItem(ChallengeResponse, "Fuel quantity", "Check"),
          MakeItem(Challenge, "Master switch"), MakeItem(Note, "Watch the ammeter", {}, 1),
          MakeItem(Title, "Engine start"), MakeItem(PlainText, "Prime as needed."),
          MakeItem(Note, "Cold days: more", {}, 1), MakeItem(Caution, "Starter limits"),
          MakeItem(Warning, "Propeller"), MakeItem(Note, "Lean for altitude"),
          MakeItem(PlainText, "Just information"), MakeItem(Space, ""),
          MakeItem(ChallengeResponse, "Brakes", "Test\nand hold"), MakeItem(Title, "Ready")}},
        {"Cruise: Level off",
         {MakeItem(ChallengeResponse, "Power", "Set"), MakeItem(Note, "65 %\nor less", {}, 1)}},
        {"Cruise: Empty list", {}},
        {"Abnormal: Electrical: Low voltage",
         {MakeItem(ChallengeResponse, "Alternator", "Reset once")}},
        {"Emergency: Engine fire",
         {MakeItem(Warning, "Fire"), MakeItem(ChallengeResponse, "Mixture", "Idle cut-off")}},
    };
    ASSERT_EQ(book.lists.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(book.lists[i].name, expected[i].first);
        EXPECT_EQ(book.lists[i].items, expected[i].second) << expected[i].first;
    }
}

TEST(ForeFlightFile, GroupsACklCannotHoldAreReadWithWarnings) {
    Book book;
    Warnings warnings;
    std::optional<ReadError> error = ReadForeFlight(ReadFile("odd_groups.fmd"), book, warnings);
    ASSERT_FALSE(error) << error->what;
    ASSERT_EQ(book.lists.size(), 2u);
    EXPECT_EQ(book.lists[0].name, "Oral: Weather");
    EXPECT_EQ(book.lists[0].items,
              std::vector<Item>{MakeItem(ChallengeResponse, "METAR", "Decode")});
    EXPECT_EQ(book.lists[1].name, "A: B: C");
    std::string all = Joined(warnings);
    ASSERT_EQ(warnings.lines.size(), 4u) << all;
    EXPECT_NE(all.find("group of the unknown type \"checkride\" is read as normal"),
              std::string::npos)
        << all;
    EXPECT_NE(all.find("unknown type \"question\" are read as items to tick off"),
              std::string::npos)
        << all;
    EXPECT_NE(all.find("subgroup \"Nothing here\" of the normal checklists holds no checklist"),
              std::string::npos)
        << all;
    EXPECT_NE(all.find("subgroup \"A: B\" holds \": \""), std::string::npos) << all;
}

struct BadCase {
    const char* name;
    std::string bytes;
    std::string what;
    friend void PrintTo(const BadCase& row, std::ostream* os) { *os << row.name; }
};

class ForeFlightBadFile : public testing::TestWithParam<BadCase> {};

TEST_P(ForeFlightBadFile, IsRefusedInWords) {
    const BadCase& row = GetParam();
    Book book;
    Warnings warnings;
    std::optional<ReadError> error = ReadForeFlight(row.bytes, book, warnings);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->at, ReadError::nowhere);
    EXPECT_NE(error->what.find(row.what), std::string::npos) << error->what;
}

INSTANTIATE_TEST_SUITE_P(
    Files, ForeFlightBadFile,
    testing::ValuesIn(std::vector<BadCase>{
        {"Empty", "", "not a ForeFlight file: the file is shorter than an IV and one AES block"},
        {"IvOnly", std::string(16, 'x'), "shorter than an IV and one AES block"},
        {"TooShort", ReadFile("too_short.fmd"), "shorter than an IV and one AES block"},
        {"Truncated", ReadFile("truncated.fmd"),
         "not a ForeFlight file: the file does not end on a whole AES block"},
        {"WrongKey", ReadFile("wrong_key.fmd"),
         "not a ForeFlight file: it does not decrypt under ForeFlight's key"},
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
        {"ObjectIdANumber", FileOfItems(R"({"objectId":5})"),
         "\"objectId\" of an item must be a string"},
        {"ItemAString", FileOfItems(R"("Brakes")"),
         "an element of \"items\" of a checklist must be an object"},
        {"TrailingText", Encrypted(R"({"payload":{}} x)"), "not valid JSON"},
        {"NotUtf8", FileOfItems("{\"title\":\"\xC3\"}"), "not valid JSON"},
    }),
    [](const auto& info) { return std::string(info.param.name); });

// --- reading items ---

struct ReadItemCase {
    const char* name;
    std::string json; // the items of one checklist
    std::vector<Item> items;
    friend void PrintTo(const ReadItemCase& row, std::ostream* os) { *os << row.name; }
};

class ForeFlightReadItems : public testing::TestWithParam<ReadItemCase> {};

TEST_P(ForeFlightReadItems, ReadAsTheirItems) {
    const ReadItemCase& row = GetParam();
    Book book;
    Warnings warnings;
    std::optional<ReadError> error = ReadForeFlight(FileOfItems(row.json), book, warnings);
    ASSERT_FALSE(error) << error->what;
    EXPECT_TRUE(warnings.Empty()) << Joined(warnings);
    ASSERT_EQ(book.lists.size(), 1u);
    EXPECT_EQ(book.lists[0].name, "S: L");
    EXPECT_EQ(book.lists[0].items, row.items);
}

INSTANTIATE_TEST_SUITE_P(
    Items, ForeFlightReadItems,
    testing::ValuesIn(std::vector<ReadItemCase>{
        {"CheckWithoutMembers", R"({})", {MakeItem(Challenge, "")}},
        {"CheckWithNullTexts",
         R"({"title":"A","detail":null,"note":null})",
         {MakeItem(Challenge, "A")}},
        {"ResponseWithoutChallenge", R"({"detail":"On"})", {MakeItem(ChallengeResponse, "", "On")}},
        {"NoteOfAComment",
         R"({"type":"comment","detail":"CAUTION: Hot","note":"n"})",
         {MakeItem(Caution, "Hot"), MakeItem(Note, "n", {}, 1)}},
        {"NoteOfABlank",
         R"({"type":"comment","note":"n"})",
         {MakeItem(Space, ""), MakeItem(Note, "n", {}, 1)}},
        {"HeadingKeepsPrefixedText",
         R"({"type":"comment","title":"T","detail":"NOTE: x"})",
         {MakeItem(Title, "T"), MakeItem(PlainText, "NOTE: x")}},
        {"PrefixOnlyInCapitals",
         R"({"type":"comment","detail":"Note: x"})",
         {MakeItem(PlainText, "Note: x")}},
        {"PrefixNeedsItsSpace",
         R"({"type":"comment","detail":"WARNING:x"})",
         {MakeItem(PlainText, "WARNING:x")}},
        {"EmptyPrefixedText", R"({"type":"comment","detail":"NOTE: "})", {MakeItem(Note, "")}},
        {"NullTypeIsACheck", R"({"type":null,"title":"A"})", {MakeItem(Challenge, "A")}},
        {"UnknownMembersSkipped",
         R"({"actions":[{"deep":[[[]]]}],"title":"A","extra":{"type":5},"detail":"B"})",
         {MakeItem(ChallengeResponse, "A", "B")}},
        {"NullElementsSkipped", R"(null,{"title":"A"})", {MakeItem(Challenge, "A")}},
        {"EscapesAndLineBreaks",
         R"({"title":"\"Q\" \u00e9\r\nx","detail":"a\\b"})",
         {MakeItem(ChallengeResponse, "\"Q\" \xC3\xA9\r\nx", "a\\b")}},
    }),
    [](const auto& info) { return std::string(info.param.name); });

// --- what the writer makes ---

// The written file, decrypted by the openssl command with the IV read off its first 16 bytes,
// holds JSON of ForeFlight's shape: three groups in their order, every object with a fresh id.
TEST(ForeFlightWriter, OpensslDecryptsJsonOfForeFlightsShape) {
    if (std::system("openssl version >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "no openssl command";
    }
    Book book;
    Warnings warnings;
    ASSERT_FALSE(ReadForeFlight(ReadFile("every_kind.fmd"), book, warnings));
    std::string bytes = Write(book, warnings);
    EXPECT_TRUE(warnings.Empty()) << Joined(warnings);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::string folder = dir.path().toStdString();
    std::ofstream(folder + "/written.fmd", std::ios::binary) << bytes.substr(16);
    std::string iv;
    for (unsigned char byte : bytes.substr(0, 16)) {
        iv += "0123456789abcdef"[byte >> 4];
        iv += "0123456789abcdef"[byte & 15];
    }
    std::string command = "openssl enc -d -aes-128-cbc -K " + std::string(keyHex) + " -iv " + iv +
                          " -in '" + folder + "/written.fmd' -out '" + folder + "/written.json'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::ifstream in(folder + "/written.json", std::ios::binary);
    Json json = Json::parse(in, nullptr, false);
    ASSERT_FALSE(json.is_discarded());

    EXPECT_EQ(json["type"], "checklist");
    const Json& payload = json["payload"];
    EXPECT_EQ(payload["schemaVersion"], "1.0");
    EXPECT_EQ(payload["metadata"],
              Json({{"name", "Every kind"}, {"detail", "Cessna 172S"}, {"tailNumber", "N172SP"}}));
    std::set<std::string> ids;
    auto checkId = [&ids](const Json& object) {
        std::string id = object.value("objectId", "");
        EXPECT_EQ(id.size(), 32u) << object.dump();
        EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos) << id;
        EXPECT_EQ(id[12], '4') << id; // a version 4 UUID
        EXPECT_NE(std::string("89ab").find(id[16]), std::string::npos) << id;
        EXPECT_TRUE(ids.insert(id).second) << "twice: " << id;
    };
    checkId(payload);
    ASSERT_EQ(payload["groups"].size(), 3u);
    const std::vector<std::vector<std::string>> subgroupTitles = {
        {"Normal", "Cruise"}, {"Electrical"}, {"Emergency"}};
    const char* types[] = {"normal", "abnormal", "emergency"};
    std::size_t items = 0;
    for (std::size_t g = 0; g < 3; ++g) {
        const Json& group = payload["groups"][g];
        checkId(group);
        EXPECT_EQ(group["groupType"], types[g]);
        std::vector<std::string> titles;
        for (const Json& subgroup : group["items"]) {
            checkId(subgroup);
            titles.push_back(subgroup["title"]);
            for (const Json& checklist : subgroup["items"]) {
                checkId(checklist);
                EXPECT_TRUE(checklist["title"].is_string());
                for (const Json& item : checklist["items"]) {
                    checkId(item);
                    for (const char* member : {"title", "detail", "note"}) {
                        EXPECT_TRUE(item[member].is_string()) << item.dump();
                    }
                    ++items;
                }
            }
        }
        EXPECT_EQ(titles, subgroupTitles[g]);
    }
    EXPECT_EQ(items, 14u); // the notes and the heading's text go into their items
    EXPECT_NE(Write(book, warnings).substr(0, 16), bytes.substr(0, 16)) << "the IV is random";
}

TEST(ForeFlightWriter, AnEmptyBookHasItsThreeEmptyGroups) {
    Warnings warnings;
    Json json = Inside(Write(Book{}, warnings));
    const Json& groups = json["payload"]["groups"];
    ASSERT_EQ(groups.size(), 3u);
    for (const Json& group : groups) {
        EXPECT_EQ(group["items"], Json::array());
    }
    EXPECT_EQ(json["payload"]["metadata"],
              Json({{"name", ""}, {"detail", ""}, {"tailNumber", ""}}));
    EXPECT_TRUE(warnings.Empty()) << Joined(warnings);
}

struct WriteItemCase {
    const char* name;
    std::vector<Item> items;
    Json written;        // the items of the file, without their ids
    std::string warning; // a part of the one warning, or empty for none
    friend void PrintTo(const WriteItemCase& row, std::ostream* os) { *os << row.name; }
};

Json Check(std::string_view title, std::string_view detail = {}, std::string_view note = {}) {
    return {{"title", title}, {"detail", detail}, {"note", note}};
}
Json Comment(std::string_view title, std::string_view detail = {}, std::string_view note = {}) {
    return {{"type", "comment"}, {"title", title}, {"detail", detail}, {"note", note}};
}

class ForeFlightWriteItems : public testing::TestWithParam<WriteItemCase> {};

// Each item is written as ForeFlight holds it and, unless a warning says otherwise, reads back
// as it was.
TEST_P(ForeFlightWriteItems, WriteAsForeFlightItems) {
    const WriteItemCase& row = GetParam();
    Book book;
    book.lists.push_back({"Preflight", row.items});
    Warnings warnings;
    std::string bytes = Write(book, warnings);
    Json json = Inside(bytes);
    Json items = json["payload"]["groups"][0]["items"][0]["items"][0]["items"];
    for (Json& item : items) {
        EXPECT_EQ(item["objectId"].get<std::string>().size(), 32u);
        item.erase("objectId");
    }
    EXPECT_EQ(items, row.written);
    if (row.warning.empty()) {
        EXPECT_TRUE(warnings.Empty()) << Joined(warnings);
        Book back;
        ASSERT_FALSE(ReadForeFlight(bytes, back, warnings));
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
        {"Checks",
         {MakeItem(Challenge, "A"), MakeItem(ChallengeResponse, "B", "On")},
         {Check("A"), Check("B", "On")},
         ""},
        {"NoteUnderACheckIsItsNote",
         {MakeItem(ChallengeResponse, "A", "On"), MakeItem(Note, "n", {}, 1)},
         {Check("A", "On", "n")},
         ""},
        {"HeadingTakesItsTextAndNote",
         {MakeItem(Title, "T"), MakeItem(PlainText, "p"), MakeItem(Note, "n", {}, 1)},
         {Comment("T", "p", "n")},
         ""},
        {"HeadingTakesItsNoteBeforeText",
         {MakeItem(Title, "T"), MakeItem(Note, "n", {}, 1), MakeItem(PlainText, "p")},
         {Comment("T", "", "n"), Comment("", "p")},
         ""},
        {"HeadingTakesNoCheck",
         {MakeItem(Title, "T"), MakeItem(Challenge, "A")},
         {Comment("T"), Check("A")},
         ""},
        {"KindsInTheirPrefixes",
         {MakeItem(Note, "n"), MakeItem(Caution, "c"), MakeItem(Warning, "w\nx"),
          MakeItem(PlainText, "p"), MakeItem(Space, "")},
         {Comment("", "NOTE: n"), Comment("", "CAUTION: c"), Comment("", "WARNING: w\nx"),
          Comment("", "p"), Comment("")},
         ""},
        {"AnyItemTakesANote",
         {MakeItem(Caution, "c"), MakeItem(Note, "n", {}, 1), MakeItem(Space, ""),
          MakeItem(Note, "m", {}, 1)},
         {Comment("", "CAUTION: c", "n"), Comment("", "", "m")},
         ""},
        {"EmptyNoteStandsAlone",
         {MakeItem(Challenge, "A"), MakeItem(Note, "")},
         {Check("A"), Comment("", "NOTE: ")},
         ""},
        {"SecondNoteStandsAloneAndLosesItsIndent",
         {MakeItem(Challenge, "A"), MakeItem(Note, "a", {}, 1), MakeItem(Note, "b", {}, 1)},
         {Check("A", "", "a"), Comment("", "NOTE: b")},
         indentLost},
        {"DeeperNoteLosesItsIndent",
         {MakeItem(Challenge, "A"), MakeItem(Note, "a", {}, 3)},
         {Check("A", "", "a")},
         indentLost},
        {"IndentedItemsWarnOnce",
         {MakeItem(Challenge, "A", {}, 1), MakeItem(Challenge, "B", {}, 2)},
         {Check("A"), Check("B")},
         indentLost},
        {"CentredHeading", {MakeItem(Title, "T", {}, 0, true)}, {Comment("T")}, indentLost},
        {"CentredNote",
         {MakeItem(Challenge, "A"), MakeItem(Note, "a", {}, 1, true)},
         {Check("A", "", "a")},
         indentLost},
        {"EmptyResponse",
         {MakeItem(ChallengeResponse, "A", "")},
         {Check("A")},
         "item 1: a challenge with an empty response reads back as a challenge alone"},
        {"TextLikeACaution",
         {MakeItem(PlainText, "CAUTION: Hot")},
         {Comment("", "CAUTION: Hot")},
         "item 1: plain text \"CAUTION: Hot\" reads back as a caution"},
        {"EmptyText", {MakeItem(PlainText, "")}, {Comment("")}, "empty plain text reads back as"},
        {"HeadingTakesNoEmptyText",
         {MakeItem(Title, "T"), MakeItem(PlainText, "")},
         {Comment("T"), Comment("")},
         "item 2: empty plain text reads back as a blank line"},
        {"EmptyHeadingTakesNoText",
         {MakeItem(Title, ""), MakeItem(PlainText, "p")},
         {Comment(""), Comment("", "p")},
         "item 1: an empty title reads back as a blank line"},
    }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ForeFlightWriter, ListsGoInForeFlightsOrderWithOneWarning) {
    Book book;
    for (std::string_view name : {"Emergency: Fire", "Preflight", "Abnormal: Icing",
                                  "Cruise: Climb", "Normal: Landing", "Cruise: Descent"}) {
        book.lists.push_back({name, {MakeItem(Challenge, name)}});
    }
    Warnings warnings;
    std::string bytes = Write(book, warnings);
    ASSERT_EQ(warnings.lines.size(), 1u) << Joined(warnings);
    EXPECT_EQ(warnings.lines[0], "the checklists are written in ForeFlight's order: the normal, "
                                 "abnormal and emergency ones, each subgroup's together");
    Book back;
    ASSERT_FALSE(ReadForeFlight(bytes, back, warnings));
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
    BookList& list = book.lists.emplace_back();
    list.name = "Long";
    list.items.assign(20000, MakeItem(ChallengeResponse, "Fuel pump", "On"));
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
    Book back;
    ASSERT_FALSE(ReadForeFlight(whole, back, warnings));
    EXPECT_EQ(back, book);

    int calls = 0;
    EXPECT_FALSE(WriteForeFlight(book, warnings, [&calls](std::string_view) {
        ++calls;
        return calls < 2;
    }));
    EXPECT_EQ(calls, 2);
}

// --- round trips ---

// The book a .ckl text gives, as the program reads a saved conversion for a grouped format
// with several lines to a text.
Book BookThroughCkl(const Book& book, Warnings& warnings, ChecklistDoc& saved) {
    ChecklistDoc doc;
    BookToDoc(book, doc, warnings);
    ChecklistFile::ReadText(saved, ChecklistFile::WriteText(doc));
    return DocToBook(saved, true, true);
}

TEST(ForeFlightRoundTrip, FileToCklToFileKeepsEverything) {
    for (const char* name : {"every_kind.fmd", "odd_groups.fmd"}) {
        Book first;
        Warnings warnings;
        ASSERT_FALSE(ReadForeFlight(ReadFile(name), first, warnings)) << name;
        Warnings cklWarnings;
        ChecklistDoc saved;
        Book second = BookThroughCkl(first, cklWarnings, saved);
        EXPECT_TRUE(cklWarnings.Empty()) << name << ": " << Joined(cklWarnings);
        EXPECT_EQ(second, first) << name;
        Warnings writeWarnings;
        std::string bytes = Write(second, writeWarnings);
        EXPECT_TRUE(writeWarnings.Empty()) << name << ": " << Joined(writeWarnings);
        Book last;
        ASSERT_FALSE(ReadForeFlight(bytes, last, warnings)) << name;
        EXPECT_EQ(last, first) << name;
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
                std::string text;
                for (int p = 0, n = static_cast<int>(random() % 5); p < n; ++p) {
                    text += pieces[random() % pieces.size()];
                }
                ckl += text + "\n";
            }
            ckl += "[$$END]\n";
        }
        ChecklistDoc doc;
        ChecklistFile::ReadText(doc, ckl);
        Warnings warnings;
        std::string before = ChecklistFile::WriteText(doc);
        std::string bytes = Write(DocToBook(doc, true, true), warnings);
        Book read;
        ASSERT_FALSE(ReadForeFlight(bytes, read, warnings)) << ckl;
        ChecklistDoc after;
        BookToDoc(read, after, warnings);
        if (warnings.Empty()) {
            ++quiet;
            ASSERT_EQ(ChecklistFile::WriteText(after), before) << ckl;
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
    Warnings readWarnings;
    if (from->read == nullptr) {
        ChecklistFile::ReadText(doc, ReadFile(row.file));
    } else {
        std::optional<ReadError> error = ReadIntoDoc(*from, ReadFile(row.file), doc, readWarnings);
        ASSERT_FALSE(error) << error->what;
    }
    Warnings warnings;
    std::string bytes;
    ASSERT_TRUE(WriteFromDoc(doc, *to, {}, warnings, [&bytes](std::string_view chunk) {
        bytes += chunk;
        return true;
    }));
    std::string all = Joined(warnings);
    EXPECT_NE(all.find(row.warning), std::string::npos) << all;
    Book back;
    Warnings ignored;
    EXPECT_FALSE(to->read(bytes, back, ignored));
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
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
