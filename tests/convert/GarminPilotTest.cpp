// Garmin Pilot files: packed by hand with tar, written and read back by tar, refused with words.
#include "ChecklistDoc.h"
#include "ChecklistFile.h"
#include "CklConventions.h"
#include "Conversion.h"
#include "ConvertTestSupport.h"
#include "Formats.h"
#include "GarminPilotFormat.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

using namespace convert;
using namespace converttest;
using Json = nlohmann::json;

namespace {

std::string Written(const Book& book, Warnings& warnings) {
    std::string written;
    EXPECT_TRUE(WriteGarminPilot(book, warnings, [&written](std::string_view chunk) {
        written += chunk;
        return true;
    }));
    return written;
}

// The names of book's lists, each on a line with its items' texts in brackets.
std::string Summary(const Book& book) {
    std::string summary;
    for (const BookList& list : book.lists) {
        summary += list.name;
        for (const Item& item : list.items) {
            summary.append(" [").append(item.prompt).append("|").append(item.expectation) += ']';
        }
        summary += '\n';
    }
    return summary;
}

bool HasTar() {
    return std::system("tar --version >/dev/null 2>&1") == 0;
}

// content.json packed into a .gplt by the tar command, as a person would pack it.
std::string PackedByTar(std::string_view json) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    std::ofstream(folder + "/content.json", std::ios::binary) << json;
    const std::string packed = folder + "/packed.gplt";
    if (std::system(("tar czf '" + packed + "' -C '" + folder + "' content.json").c_str()) != 0) {
        ADD_FAILURE() << "tar failed";
        return {};
    }
    return ReadPath(packed);
}

// Checks that bytes are refused in one line that holds words.
void ExpectRefused(std::string_view bytes, const char* words) {
    Book book;
    Warnings warnings;
    std::optional<ReadError> error = ReadGarminPilot(bytes, book, warnings);
    ASSERT_TRUE(error) << Summary(book);
    EXPECT_NE(error->what.find(words), std::string::npos) << error->what;
    EXPECT_EQ(error->what.find('\n'), std::string::npos) << error->what;
    EXPECT_EQ(error->at, ReadError::nowhere);
}

Item MakeItem(ItemKind kind, std::string_view prompt, std::string_view expectation = {},
              int liveData = 0) {
    Item item{kind, prompt, expectation};
    item.liveData = liveData;
    return item;
}

BookList MakeList(std::string_view name, std::vector<Item> items, Phase phase = Phase::Unsaid,
                  Completion completion = Completion::None) {
    BookList list{name, std::move(items)};
    list.phase = phase;
    list.completion = completion;
    return list;
}

// Names a test after its row.
struct RowName {
    template <class Row> std::string operator()(const testing::TestParamInfo<Row>& info) const {
        return info.param.name;
    }
};

// --- reading files packed by hand ---

// Binders in their sort order, a checklist of no binder last, every item type, and notes with
// their text in the title, the action or both.
TEST(GarminPilotRead, EveryKindReadsAsPackedByHand) {
    Book book;
    Warnings warnings;
    ASSERT_FALSE(ReadGarminPilot(ReadFile("garmin_pilot_every_kind.gplt"), book, warnings));
    EXPECT_TRUE(warnings.Empty()) << Joined(warnings);
    Book expected;
    expected.metadata.name = "Every kind N123";
    expected.lists = {
        MakeList("Preflight: Cockpit",
                 {MakeItem(ItemKind::ChallengeResponse, "Battery", "ON"),
                  MakeItem(ItemKind::Challenge, "Look around"),
                  MakeItem(ItemKind::Challenge, "Altimeter", "", 1)},
                 Phase::Preflight, Completion::NextChecklist),
        MakeList("Preflight: Cruise", {MakeItem(ItemKind::Note, "Lean for best power")},
                 Phase::TakeoffCruise, Completion::OpenFlightPlan),
        MakeList("Preflight: Before landing",
                 {MakeItem(ItemKind::ChallengeResponse, "Weather", "Check", 5),
                  MakeItem(ItemKind::Note, "Brakes are hot\nafter landing")},
                 Phase::Landing, Completion::CloseFlightPlan),
        MakeList("Emergency: Emergencies: Engine fire",
                 {MakeItem(ItemKind::Caution, "Do not restart"),
                  MakeItem(ItemKind::Warning, "Land as soon as possible"),
                  MakeItem(ItemKind::Space, ""), MakeItem(ItemKind::Note, "Fuel\nSelector OFF")}),
        MakeList("Abnormal: Emergencies: Icing",
                 {MakeItem(ItemKind::ChallengeResponse, "Pitot heat", "ON\nand check the amps")},
                 Phase::Unsaid, Completion::Map),
        MakeList("Loose",
                 {MakeItem(ItemKind::Challenge, "Center", "", 10),
                  MakeItem(ItemKind::ChallengeResponse, "Mixture", "RICH")},
                 Phase::Unsaid, Completion::SafeTaxi),
    };
    EXPECT_TRUE(book == expected) << CklOf(book) << "\nexpected:\n" << CklOf(expected);
}

// An empty binder, a checklist in two binders and a binder whose name holds ": " are told of.
TEST(GarminPilotRead, OddBindersReadWithWarnings) {
    Book book;
    Warnings warnings;
    ASSERT_FALSE(ReadGarminPilot(ReadFile("garmin_pilot_odd_binders.gplt"), book, warnings));
    EXPECT_EQ(Summary(book) + Joined(warnings),
              "First: Doors [Latched|]\nDay: Night: Lights\n"
              "the binder \"Empty\" holds no checklist and is left out\n"
              "the checklist \"Doors\" is in the binder \"First\" and again in the binder "
              "\"Second\"; it is read once, in the first\n"
              "checklist \"Day: Night: Lights\": the binder \"Day: Night\" and the checklist "
              "\"Lights\" read back as the binder \"Day\" and the checklist \"Night: Lights\"\n");
}

// --- refusals ---

struct RefusedCase {
    const char* name;
    std::string bytes;
    const char* words;
    friend void PrintTo(const RefusedCase& row, std::ostream* os) { *os << row.name; }
};

class GarminPilotRefuses : public testing::TestWithParam<RefusedCase> {};

TEST_P(GarminPilotRefuses, WithItsWords) {
    ExpectRefused(GetParam().bytes, GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    Files, GarminPilotRefuses,
    testing::ValuesIn(std::vector<RefusedCase>{
        {"EmptyFile", "", "not a Garmin Pilot file: the file is empty"},
        {"Encrypted", ReadFile("garmin_pilot_encrypted.gplts"),
         "not a Garmin Pilot file (an encrypted .gplts cannot be read; export the checklists "
         "unencrypted as .gplt)"},
        {"AceFile", ReadFile("every_kind.ace"), "it is a Garmin .ace checklist file"},
        {"JsonAlone", ReadFile("every_kind.json"), "it is JSON text"},
        {"GzipOfText", ReadFile("garmin_pilot_gzip_not_tar.gplt"),
         "the gzip data is not a tar archive"},
        {"TruncatedGzip", ReadFile("garmin_pilot_every_kind.gplt").substr(0, 400),
         "the archive is damaged"},
        {"EmptyTar", ReadFile("garmin_pilot_empty_tar.gplt"), "the archive holds no file"},
        {"TwoMembers", ReadFile("garmin_pilot_two_members.gplt"),
         "more than content.json: also \"extra.txt\""},
        {"ParentPath", ReadFile("garmin_pilot_parent_path.gplt"), "\"../x\", a file with a path"},
        {"AbsolutePath", ReadFile("garmin_pilot_absolute_path.gplt"),
         "\"/etc/x\", a file with a path"},
        {"InFolder", ReadFile("garmin_pilot_in_folder.gplt"),
         "\"dir/content.json\", a file with a path"},
        {"OtherName", ReadFile("garmin_pilot_other_name.gplt"), "\"x\" instead of content.json"},
        {"Link", ReadFile("garmin_pilot_member_is_link.gplt"), "not a regular file"},
        {"BrokenJson", ReadFile("garmin_pilot_broken_json.gplt"),
         "content.json is not valid JSON: "},
        {"ItemPointsNowhere", ReadFile("garmin_pilot_item_points_nowhere.gplt"),
         "the checklist \"Doors\" lists the item \"I2\", which is not in the file"},
        {"ChecklistPointsNowhere", ReadFile("garmin_pilot_checklist_points_nowhere.gplt"),
         "the binder \"Ground\" lists the checklist \"C9\", which is not in the file"},
        {"TypeOutOfRange", ReadFile("garmin_pilot_type_out_of_range.gplt"),
         "\"type\" of a checklist is 7, where Garmin Pilot knows 0 to 2"},
    }),
    RowName());

struct ContentCase {
    const char* name;
    const char* json;
    const char* refusal = nullptr; // its words; null when the file reads
    const char* read = nullptr;    // the summary of what is read, and its warnings
    friend void PrintTo(const ContentCase& row, std::ostream* os) { *os << row.name; }
};

class GarminPilotContent : public testing::TestWithParam<ContentCase> {};

// A number or a member of the wrong kind is refused with its words; what content.json leaves
// out reads as nothing, and what it holds beyond what Garmin Pilot writes is passed over.
TEST_P(GarminPilotContent, IsRefusedOrRead) {
    if (!HasTar()) {
        GTEST_SKIP() << "no tar command";
    }
    const ContentCase& row = GetParam();
    const std::string bytes = PackedByTar(row.json);
    if (row.refusal) {
        return ExpectRefused(bytes, row.refusal);
    }
    Book book;
    Warnings warnings;
    std::optional<ReadError> error = ReadGarminPilot(bytes, book, warnings);
    ASSERT_FALSE(error) << error->what;
    EXPECT_EQ(Summary(book) + Joined(warnings), row.read);
}

#define CHECKLIST(members)                                                                         \
    R"({"objects": [{"checklists": [{"uuid": "C", "name": "Doors", )" members "}]}]}"
#define ITEM(members)                                                                              \
    R"({"objects": [{"checklists": [{"name": "A", "checklistItems": ["I"]}], )"                    \
    R"("checklistItems": [{"uuid": "I", )" members "}]}]}"

INSTANTIATE_TEST_SUITE_P(
    Json, GarminPilotContent,
    testing::ValuesIn(std::vector<ContentCase>{
        {"NegativeType", CHECKLIST(R"("type": -1)"), R"("type" of a checklist is -1)"},
        {"SubtypeFive", CHECKLIST(R"("subtype": 5)"), R"("subtype" of a checklist is 5)"},
        {"CompletionNine", CHECKLIST(R"("completionItem": 9)"),
         R"("completionItem" of a checklist is 9, where Garmin Pilot knows 0 to 5)"},
        {"FractionType", CHECKLIST(R"("type": 1.5)"), R"("type" of a checklist must be a whole)"},
        {"ItemTypeTwelve", ITEM(R"("itemType": 12)"),
         R"("itemType" of an item is 12, where Garmin Pilot knows 0 to 11)"},
        {"ItemTypeString", ITEM(R"("itemType": "note")"), R"("itemType" of an item must be)"},
        {"TitleNumber", ITEM(R"("title": 5)"), R"("title" of an item must be a string)"},
        {"NameArray", CHECKLIST(R"("checklistItems": [], "name": [])"),
         R"("name" of a checklist must be a string)"},
        {"ItemsNotArray", CHECKLIST(R"("checklistItems": {})"),
         R"("checklistItems" of a checklist must be an array)"},
        {"ItemIdNumber", CHECKLIST(R"("checklistItems": [3])"),
         R"(an element of "checklistItems" must be a uuid string)"},
        {"OtherPackage", R"({"type": "aircraftProfile"})",
         R"(a package of the type "aircraftProfile", not checklists)"},
        {"RootArray", "[]", "content.json must hold one JSON object"},
        {"ObjectsOfNumbers", R"({"objects": [1]})", R"(an element of "objects" must be an object)"},
        {"BinderSortOrderText", R"({"objects": [{"binders": [{"sortOrder": "first"}]}]})",
         R"("sortOrder" of a binder must be a number)"},
        {"NothingAtAll", "{}", nullptr, ""},
        {"ChecklistWithoutItemsOrName", R"({"objects": [{"checklists": [{"uuid": "C"}]}]})",
         nullptr, "\n"},
        {"BinderWithoutChecklists",
         R"({"objects": [{"binders": [{"name": "B"}], )"
         R"("checklists": [{"name": "X", "checklistItems": null}]}]})",
         nullptr, "X\nthe binder \"B\" holds no checklist and is left out\n"},
        {"UnknownMembersAndNulls",
         R"({"future": {"a": [1, 2]}, "name": null, "objects": [{"version": 3, )"
         R"("checklists": [{"name": "X", "subtype": null, "icon": "star"}]}]})",
         nullptr, "X\n"},
        {"TwoObjects",
         R"({"objects": [{"checklists": [{"name": "A"}]}, )"
         R"({"checklists": [{"name": "B", "type": 2}]}]})",
         nullptr, "A\nEmergency: B\n"},
        {"NewerVersion", R"({"dataModelVersion": 2})", nullptr,
         "content.json says dataModelVersion 2; it is read as version 1\n"},
        {"CrLfIsOneLineBreak", ITEM(R"("title": "x\r\ny\r", "action": "z\r\n")"), nullptr,
         "A [x\ny\r|z\n]\n"},
    }),
    RowName());

#undef CHECKLIST
#undef ITEM

// A .ckl tells the facts of a list by its name: a second list of the name with facts of its own
// is told of, as they read back as the first one's.
TEST(GarminPilotRead, ListsOfOneNameWarnOfTheirFacts) {
    ChecklistDoc doc;
    Warnings warnings;
    Book book;
    book.lists = {MakeList("Doors", {}, Phase::Landing), MakeList("Doors", {})};
    BookToDoc(book, doc, warnings);
    book.lists = {MakeList("Doors", {}), MakeList("Doors", {}, Phase::Landing)};
    BookToDoc(book, doc, warnings);
    EXPECT_EQ(Joined(warnings),
              "checklist \"Doors\": its phase, completion and live data read back "
              "from .ckl as those of the first checklist of that name\n");
}

// content.json beyond 64 MiB is read when it packs no tighter than checklists do, and refused
// when it packs like a bomb; the writer tells when its file would be refused.
TEST(GarminPilotRead, ReadsALargeFileThatPacksAsChecklistsDo) {
    // Eight random digits and a fixed phrase by turns: gzip packs it about ten times, and
    // quickly, where random text alone takes seconds to pack.
    const std::size_t size = (std::size_t(64) << 20) + 1;
    std::string text;
    text.reserve(size + 64);
    char digits[9];
    for (std::uint32_t state = 1; text.size() < size;) {
        state = state * 1664525u + 1013904223u;
        std::snprintf(digits, sizeof digits, "%08X", state);
        text.append(digits).append(" ..... tick off the item, then read the next one ...... ");
    }
    Book book;
    book.lists = {MakeList("Long", {MakeItem(ItemKind::Note, text)})};
    Warnings warnings;
    std::string written = Written(book, warnings);
    EXPECT_TRUE(warnings.Empty()) << Joined(warnings);
    EXPECT_GT(written.size() * 12, text.size()) << "packs tighter than checklists do";
    Book back;
    std::optional<ReadError> error = ReadGarminPilot(written, back, warnings);
    ASSERT_FALSE(error) << error->what;
    EXPECT_TRUE(back == book);

    const std::string bomb(size, 'A');
    book.lists = {
        MakeList("Long", {MakeItem(ItemKind::Note, std::string_view(bomb).substr(0, size / 64))})};
    error = ReadGarminPilot(Written(book, warnings), back, warnings);
    EXPECT_FALSE(error) << "under 64 MiB, however tightly it packs: " << error->what;
    book.lists = {MakeList("Long", {MakeItem(ItemKind::Note, bomb)})};
    written = Written(book, warnings);
    ASSERT_EQ(warnings.lines.size(), 1u) << Joined(warnings);
    EXPECT_EQ(warnings.lines[0], "content.json is larger than 64 MiB and 16 times the packed "
                                 "file, more than ckl reads back from a Garmin Pilot file");
    error = ReadGarminPilot(written, back, warnings);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->what, "content.json is larger than 64 MiB and 16 times the packed file");
}

// --- writing ---

// The writer's file as tar and gzip see it: one member, content.json, a regular file of mode
// 0644, nothing after the gzip stream. Its JSON holds what Garmin Pilot reads and ckl passes
// over, and a fresh version 4 uuid for each object.
TEST(GarminPilotWrite, TarReadsOneContentJsonOfTheDocumentedShape) {
    if (!HasTar()) {
        GTEST_SKIP() << "no tar command";
    }
    Book book;
    Warnings warnings;
    ASSERT_FALSE(ReadGarminPilot(ReadFile("garmin_pilot_every_kind.gplt"), book, warnings));
    const std::string written = Written(book, warnings);

    // Nothing after the gzip stream: some readers refuse a file padded to a tar block.
    z_stream stream{};
    ASSERT_EQ(inflateInit2(&stream, 16 + MAX_WBITS), Z_OK);
    std::string inflated(1 << 20, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(written.data()));
    stream.avail_in = static_cast<uInt>(written.size());
    stream.next_out = reinterpret_cast<Bytef*>(inflated.data());
    stream.avail_out = static_cast<uInt>(inflated.size());
    EXPECT_EQ(inflate(&stream, Z_FINISH), Z_STREAM_END);
    EXPECT_EQ(stream.avail_in, 0u);
    inflateEnd(&stream);

    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    std::ofstream(folder + "/written.gplt", std::ios::binary) << written;
    ASSERT_EQ(std::system(("cd '" + folder + "' && tar tzvf written.gplt >listing 2>&1 && " +
                           "tar xzf written.gplt")
                              .c_str()),
              0);
    const std::string listing = ReadPath(folder + "/listing");
    EXPECT_TRUE(std::regex_match(listing, std::regex("-rw-r--r-- [^\n]* content\\.json\n")))
        << listing;

    Json content = Json::parse(ReadPath(folder + "/content.json"));
    Json objects = content["objects"];
    content.erase("objects");
    EXPECT_EQ(content, Json::parse(R"({"dataModelVersion": 1, "packageTypeVersion": 1,
        "name": "Every kind N123", "type": "checklistBinder"})"));
    ASSERT_EQ(objects.size(), 1u);
    std::string binders;
    for (const Json& binder : objects[0]["binders"]) {
        binders += binder["sortOrder"].dump() + " " + binder["name"].get<std::string>() + "\n";
    }
    EXPECT_EQ(binders, "0 Preflight\n1 Emergencies\n2 Normal\n");
    const std::regex uuidForm(
        "[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    std::set<std::string> uuids;
    const Json flat = objects.flatten();
    for (const auto& [pointer, value] : flat.items()) {
        if (pointer.ends_with("/uuid")) {
            EXPECT_TRUE(std::regex_match(value.get<std::string>(), uuidForm)) << value;
            EXPECT_TRUE(uuids.insert(value).second) << "twice: " << value;
        } else if (pointer.ends_with("/checked") || pointer.ends_with("/sourceTemplateUUID") ||
                   pointer == "/0/version") {
            EXPECT_EQ(value, pointer.ends_with("/checked") ? Json(false) : Json()) << pointer;
        }
    }
    EXPECT_EQ(uuids.size(), 3u + 6u + 13u);
}

// .gplt -> .ckl -> .gplt keeps every binder, category, title, phase, completion, item kind,
// live data and text: the books read from the first and the last file are the same.
TEST(GarminPilotWrite, RoundTripThroughCklKeepsEverything) {
    for (const char* name : {"garmin_pilot_every_kind.gplt", "garmin_pilot_odd_binders.gplt"}) {
        SCOPED_TRACE(name);
        Book first;
        Warnings ignored;
        ASSERT_FALSE(ReadGarminPilot(ReadFile(name), first, ignored));
        ChecklistDoc doc;
        Warnings warnings;
        BookToDoc(first, doc, warnings);
        ChecklistDoc saved;
        ChecklistFile::ReadText(saved, ChecklistFile::WriteText(doc));
        const std::string written = Written(DocToBook(saved, true, true), warnings);
        Book last;
        ASSERT_FALSE(ReadGarminPilot(written, last, warnings));
        EXPECT_TRUE(warnings.Empty()) << Joined(warnings);
        EXPECT_TRUE(last == first) << CklOf(last) << "\nfirst:\n" << CklOf(first);
        EXPECT_FALSE(WriteGarminPilot(first, warnings, [](std::string_view) { return false; }))
            << "a sink that fails fails the write";
    }
}

struct WriteCase {
    const char* name;
    std::vector<BookList> lists;
    const char* words; // in the one warning; null for none
    friend void PrintTo(const WriteCase& row, std::ostream* os) { *os << row.name; }
};

class GarminPilotWriteWarns : public testing::TestWithParam<WriteCase> {};

// What does not read back the same is told once; the file reads back all the same, and exactly
// as it was when nothing was told.
TEST_P(GarminPilotWriteWarns, OnceForWhatDoesNotReadBack) {
    const WriteCase& row = GetParam();
    Book book;
    book.lists = row.lists;
    Warnings warnings;
    const std::string written = Written(book, warnings);
    EXPECT_EQ(warnings.lines.size(), row.words ? 1u : 0u) << Joined(warnings);
    EXPECT_NE(Joined(warnings).find(row.words ? row.words : ""), std::string::npos);
    Book back;
    ASSERT_FALSE(ReadGarminPilot(written, back, warnings));
    EXPECT_TRUE(row.words || back == book) << CklOf(back);
}

INSTANTIATE_TEST_SUITE_P(
    Books, GarminPilotWriteWarns,
    testing::ValuesIn(std::vector<WriteCase>{
        {"NothingToTell",
         {MakeList("Emergency: Fire", {MakeItem(ItemKind::Warning, "Land")}),
          MakeList("Abnormal: Normal: Odd", {MakeItem(ItemKind::Caution, "Slow")}, Phase::Unsaid,
                   Completion::Map),
          MakeList("Normal: Normal: A: B", {MakeItem(ItemKind::Space, "")}, Phase::Landing)},
         nullptr},
        {"HeadingsAndTextOnce",
         {MakeList("Start", {MakeItem(ItemKind::Title, "Engine"), MakeItem(ItemKind::Title, "Prop"),
                             MakeItem(ItemKind::PlainText, "Read")})},
         "headings and plain text are written as notes"},
        {"NoteThatReadsAsCaution",
         {MakeList("Start", {MakeItem(ItemKind::Note, "CAUTION: hot")})},
         "the note \"CAUTION: hot\" reads back as a caution"},
        {"EmptyNote",
         {MakeList("Start", {MakeItem(ItemKind::Note, "")})},
         "an empty note reads back as a blank line"},
        {"EmptyResponse",
         {MakeList("Start", {MakeItem(ItemKind::ChallengeResponse, "Brakes", "")})},
         "reads back as a challenge alone"},
        {"LiveDataOfANote",
         {MakeList("Start", {MakeItem(ItemKind::Note, "Tower", "", 8)})},
         "live data 8 is left out: Garmin Pilot gives it to items to tick off only"},
        {"LiveDataOutOfRange",
         {MakeList("Start", {MakeItem(ItemKind::Challenge, "X", "", 11)})},
         "live data 11 is left out"},
        {"PhaseOfAnEmergency",
         {MakeList("Emergency: Fire", {MakeItem(ItemKind::Challenge, "Out")}, Phase::Landing)},
         "phase of flight is left out"},
        {"ListsGathered",
         {MakeList("A: One", {}), MakeList("B: Two", {}), MakeList("A: Three", {})},
         "checklist \"A: Three\" goes into the binder \"A\""},
    }),
    RowName());

// --- conversions with the other formats ---

struct ConversionCase {
    const char* name;
    const char* from;
    const char* file;
    const char* to;
    const char* words; // in the warnings
    friend void PrintTo(const ConversionCase& row, std::ostream* os) { *os << row.name; }
};

class GarminPilotConverts : public testing::TestWithParam<ConversionCase> {};

// A conversion succeeds, tells what the target has no place for, and its file reads back.
TEST_P(GarminPilotConverts, WithWarnings) {
    const ConversionCase& row = GetParam();
    const Format& to = *FormatNamed(row.to);
    ChecklistDoc doc;
    Warnings warnings;
    ASSERT_FALSE(ReadIntoDoc(*FormatNamed(row.from), ReadFile(row.file), doc, warnings));
    warnings = {};
    std::string written;
    ASSERT_TRUE(WriteFromDoc(doc, to, {}, warnings, [&written](std::string_view chunk) {
        written += chunk;
        return true;
    }));
    EXPECT_NE(Joined(warnings).find(row.words), std::string::npos) << Joined(warnings);
    Book back;
    EXPECT_FALSE(to.read(written, back, warnings));
    EXPECT_FALSE(back.lists.empty());
}

constexpr const char* gplt = "garmin_pilot_every_kind.gplt";

INSTANTIATE_TEST_SUITE_P(
    Formats, GarminPilotConverts,
    testing::ValuesIn(std::vector<ConversionCase>{
        {"ToAce", "garmin-pilot", gplt, "ace",
         "phases of flight of lists (Garmin Pilot) are left out: ace files"},
        {"ToEfisJson", "garmin-pilot", gplt, "efis-json",
         "live data and actions of items (Garmin Pilot) are left out: efis-json files"},
        {"ToForeFlight", "garmin-pilot", gplt, "foreflight",
         "what lists offer when done (Garmin Pilot) is left out: foreflight files"},
        {"FromAce", "ace", "every_kind.ace", "garmin-pilot",
         "headings and plain text are written as notes"},
        {"FromEfisJson", "efis-json", "every_kind.json", "garmin-pilot",
         "the file's copyright is left out: garmin-pilot files"},
        {"FromForeFlight", "foreflight", "every_kind.fmd", "garmin-pilot",
         "the file's detail is left out: garmin-pilot files"},
    }),
    RowName());

} // namespace
