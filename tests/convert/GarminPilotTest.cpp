// Garmin Pilot files: packed by hand with tar, written and read back by tar, refused with words.
#include "ChecklistDoc.h"
#include "ChecklistFile.h"
#include "CklConventions.h"
#include "Conversion.h"
#include "Formats.h"
#include "GarminPilotFormat.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

using namespace convert;
using Json = nlohmann::json;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string TestFile(const std::string& name) {
    return ReadFile(std::string(TARVASTO_CONVERT_FILES) + "/" + name);
}

void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Joined(const Warnings& warnings) {
    std::string all;
    for (const std::string& line : warnings.lines) {
        all += line + "\n";
    }
    return all;
}

std::string Written(const Book& book, Warnings& warnings) {
    std::string written;
    EXPECT_TRUE(WriteGarminPilot(book, warnings, [&written](std::string_view chunk) {
        written += chunk;
        return true;
    }));
    return written;
}

// The .ckl text of book, as the program saves it: what a failed comparison shows.
std::string CklOf(const Book& book) {
    ChecklistDoc doc;
    Warnings ignored;
    BookToDoc(book, doc, ignored);
    return ChecklistFile::WriteText(doc);
}

bool HasTar() {
    return std::system("tar --version >/dev/null 2>&1") == 0;
}

// What a shell command prints.
std::string Output(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        while (std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) {
            output.append(buffer, got);
        }
        pclose(pipe);
    }
    return output;
}

// content.json packed into a .gplt by the tar command, as a person would pack it.
std::string PackedByTar(std::string_view json) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    WriteFile(folder + "/content.json", json);
    const std::string packed = folder + "/packed.gplt";
    if (std::system(("tar czf '" + packed + "' -C '" + folder + "' content.json").c_str()) != 0) {
        ADD_FAILURE() << "tar failed";
        return {};
    }
    return ReadFile(packed);
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

// --- reading files packed by hand ---

// Binders in their sort order, a checklist of no binder last, every item type, and notes with
// their text in the title, the action or both.
TEST(GarminPilotRead, EveryKindReadsAsPackedByHand) {
    Book book;
    Warnings warnings;
    ASSERT_FALSE(ReadGarminPilot(TestFile("garmin_pilot_every_kind.gplt"), book, warnings));
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

TEST(GarminPilotRead, OddBindersReadWithWarnings) {
    Book book;
    Warnings warnings;
    ASSERT_FALSE(ReadGarminPilot(TestFile("garmin_pilot_odd_binders.gplt"), book, warnings));
    ASSERT_EQ(book.lists.size(), 2u) << CklOf(book);
    EXPECT_EQ(book.lists[0].name, "First: Doors");
    EXPECT_EQ(book.lists[1].name, "Day: Night: Lights");
    const std::string all = Joined(warnings);
    ASSERT_EQ(warnings.lines.size(), 3u) << all;
    EXPECT_NE(all.find("the binder \"Empty\" holds no checklist and is left out"),
              std::string::npos)
        << all;
    EXPECT_NE(all.find("\"Doors\" is in the binder \"First\" and again in the binder \"Second\""),
              std::string::npos)
        << all;
    EXPECT_NE(all.find("read back as the binder \"Day\" and the checklist \"Night: Lights\""),
              std::string::npos)
        << all;
}

// --- refusals ---

struct RefusedCase {
    const char* name;
    std::string bytes;
    const char* words;
    friend void PrintTo(const RefusedCase& row, std::ostream* os) { *os << row.name; }
};

class GarminPilotRefuses : public testing::TestWithParam<RefusedCase> {};

// Each is refused in one line that says why, and nothing is read.
TEST_P(GarminPilotRefuses, WithItsWords) {
    const RefusedCase& row = GetParam();
    Book book;
    Warnings warnings;
    std::optional<ReadError> error = ReadGarminPilot(row.bytes, book, warnings);
    ASSERT_TRUE(error);
    EXPECT_NE(error->what.find(row.words), std::string::npos) << error->what;
    EXPECT_EQ(error->what.find('\n'), std::string::npos) << error->what;
    EXPECT_EQ(error->at, ReadError::nowhere);
}

// Names a test after its row.
struct RowName {
    template <class Row> std::string operator()(const testing::TestParamInfo<Row>& info) const {
        return info.param.name;
    }
};

std::string FirstHalf(const std::string& bytes) {
    return bytes.substr(0, bytes.size() / 2);
}

INSTANTIATE_TEST_SUITE_P(
    Files, GarminPilotRefuses,
    testing::ValuesIn(std::vector<RefusedCase>{
        {"EmptyFile", "", "not a Garmin Pilot file: the file is empty"},
        {"Encrypted", TestFile("garmin_pilot_encrypted.gplts"),
         "not a Garmin Pilot file (an encrypted .gplts cannot be read; export the checklists "
         "unencrypted as .gplt)"},
        {"AceFile", TestFile("every_kind.ace"), "it is a Garmin .ace checklist file"},
        {"JsonAlone", TestFile("every_kind.json"), "it is JSON text"},
        {"GzipOfText", TestFile("garmin_pilot_gzip_not_tar.gplt"),
         "the gzip data is not a tar archive"},
        {"TruncatedGzip", FirstHalf(TestFile("garmin_pilot_every_kind.gplt")),
         "the archive is damaged"},
        {"EmptyTar", TestFile("garmin_pilot_empty_tar.gplt"), "the archive holds no file"},
        {"TwoMembers", TestFile("garmin_pilot_two_members.gplt"),
         "more than content.json: also \"extra.txt\""},
        {"ParentPath", TestFile("garmin_pilot_parent_path.gplt"), "\"../x\", a file with a path"},
        {"AbsolutePath", TestFile("garmin_pilot_absolute_path.gplt"),
         "\"/etc/x\", a file with a path"},
        {"InFolder", TestFile("garmin_pilot_in_folder.gplt"),
         "\"dir/content.json\", a file with a path"},
        {"OtherName", TestFile("garmin_pilot_other_name.gplt"), "\"x\" instead of content.json"},
        {"Link", TestFile("garmin_pilot_member_is_link.gplt"), "not a regular file"},
        {"BrokenJson", TestFile("garmin_pilot_broken_json.gplt"),
         "content.json is not valid JSON: "},
        {"ItemPointsNowhere", TestFile("garmin_pilot_item_points_nowhere.gplt"),
         "the checklist \"Doors\" lists the item \"I2\", which is not in the file"},
        {"ChecklistPointsNowhere", TestFile("garmin_pilot_checklist_points_nowhere.gplt"),
         "the binder \"Ground\" lists the checklist \"C9\", which is not in the file"},
        {"TypeOutOfRange", TestFile("garmin_pilot_type_out_of_range.gplt"),
         "\"type\" of a checklist is 7, where Garmin Pilot knows 0 to 2"},
    }),
    RowName());

struct RefusedJsonCase {
    const char* name;
    const char* json;
    const char* words;
    friend void PrintTo(const RefusedJsonCase& row, std::ostream* os) { *os << row.name; }
};

class GarminPilotRefusesContent : public testing::TestWithParam<RefusedJsonCase> {};

TEST_P(GarminPilotRefusesContent, WithItsWords) {
    if (!HasTar()) {
        GTEST_SKIP() << "no tar command";
    }
    const RefusedJsonCase& row = GetParam();
    Book book;
    Warnings warnings;
    std::optional<ReadError> error = ReadGarminPilot(PackedByTar(row.json), book, warnings);
    ASSERT_TRUE(error);
    EXPECT_NE(error->what.find(row.words), std::string::npos) << error->what;
}

#define CHECKLIST(members)                                                                         \
    "{\"objects\": [{\"checklists\": [{\"uuid\": \"C\", \"name\": \"Doors\", " members "}]}]}"
#define ITEM(members)                                                                              \
    "{\"objects\": [{\"checklists\": [{\"uuid\": \"C\", \"checklistItems\": [\"I\"]}], "           \
    "\"checklistItems\": [{\"uuid\": \"I\", " members "}]}]}"

INSTANTIATE_TEST_SUITE_P(
    Numbers, GarminPilotRefusesContent,
    testing::ValuesIn(std::vector<RefusedJsonCase>{
        {"NegativeType", CHECKLIST("\"type\": -1"), "\"type\" of a checklist is -1"},
        {"SubtypeFive", CHECKLIST("\"subtype\": 5"), "\"subtype\" of a checklist is 5"},
        {"CompletionNine", CHECKLIST("\"completionItem\": 9"),
         "\"completionItem\" of a checklist is 9, where Garmin Pilot knows 0 to 5"},
        {"FractionType", CHECKLIST("\"type\": 1.5"), "\"type\" of a checklist must be a whole"},
        {"ItemTypeTwelve", ITEM("\"itemType\": 12"),
         "\"itemType\" of an item is 12, where Garmin Pilot knows 0 to 11"},
        {"ItemTypeString", ITEM("\"itemType\": \"note\""), "\"itemType\" of an item must be"},
        {"TitleNumber", ITEM("\"title\": 5"), "\"title\" of an item must be a string"},
        {"NameArray", CHECKLIST("\"checklistItems\": [], \"name\": []"),
         "\"name\" of a checklist must be a string"},
        {"ItemsNotArray", CHECKLIST("\"checklistItems\": {}"),
         "\"checklistItems\" of a checklist must be an array"},
        {"ItemIdNumber", CHECKLIST("\"checklistItems\": [3]"),
         "an element of \"checklistItems\" must be a uuid string"},
        {"OtherPackage", "{\"type\": \"aircraftProfile\"}",
         "a package of the type \"aircraftProfile\", not checklists"},
        {"RootArray", "[]", "content.json must hold one JSON object"},
        {"ObjectsOfNumbers", "{\"objects\": [1]}", "an element of \"objects\" must be an object"},
        {"BinderSortOrderText",
         "{\"objects\": [{\"binders\": [{\"sortOrder\": \"first\", \"checklists\": []}]}]}",
         "\"sortOrder\" of a binder must be a number"},
    }),
    RowName());

#undef CHECKLIST
#undef ITEM

// A member that inflates past the limit is refused by its size, without inflating it all.
TEST(GarminPilotRead, RefusesAMemberOf65MiB) {
    if (!HasTar()) {
        GTEST_SKIP() << "no tar command";
    }
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    {
        std::ofstream zeros(folder + "/content.json", std::ios::binary);
        const std::string block(1 << 20, '\0');
        for (int i = 0; i < 65; ++i) {
            zeros.write(block.data(), static_cast<std::streamsize>(block.size()));
        }
    }
    ASSERT_EQ(
        std::system(("tar czf '" + folder + "/big.gplt' -C '" + folder + "' content.json").c_str()),
        0);
    const std::string packed = ReadFile(folder + "/big.gplt");
    EXPECT_LT(packed.size(), 1u << 20);
    Book book;
    Warnings warnings;
    std::optional<ReadError> error = ReadGarminPilot(packed, book, warnings);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->what, "content.json is larger than 64 MiB and 16 times the packed file");
}

struct ToleratedCase {
    const char* name;
    const char* json;
    const char* lists;    // the names of the lists read, each on a line
    std::size_t warnings; // how many
    friend void PrintTo(const ToleratedCase& row, std::ostream* os) { *os << row.name; }
};

class GarminPilotTolerates : public testing::TestWithParam<ToleratedCase> {};

// What content.json leaves out reads as nothing, and what it holds beyond what Garmin Pilot
// writes is passed over.
TEST_P(GarminPilotTolerates, WhatItLeavesOut) {
    if (!HasTar()) {
        GTEST_SKIP() << "no tar command";
    }
    const ToleratedCase& row = GetParam();
    Book book;
    Warnings warnings;
    std::optional<ReadError> error = ReadGarminPilot(PackedByTar(row.json), book, warnings);
    ASSERT_FALSE(error) << error->what;
    std::string lists;
    for (const BookList& list : book.lists) {
        lists.append(list.name).append("\n");
    }
    EXPECT_EQ(lists, row.lists);
    EXPECT_EQ(warnings.lines.size(), row.warnings) << Joined(warnings);
}

INSTANTIATE_TEST_SUITE_P(
    Json, GarminPilotTolerates,
    testing::ValuesIn(std::vector<ToleratedCase>{
        {"NothingAtAll", "{}", "", 0},
        {"ChecklistWithoutItemsOrName", "{\"objects\": [{\"checklists\": [{\"uuid\": \"C\"}]}]}",
         "\n", 0},
        {"BinderWithoutChecklists",
         "{\"objects\": [{\"binders\": [{\"name\": \"B\"}], \"checklists\": [{\"name\": "
         "\"X\", \"checklistItems\": null}]}]}",
         "X\n", 1},
        {"UnknownMembersAndNulls",
         "{\"future\": {\"a\": [1, 2]}, \"name\": null, \"objects\": [{\"version\": 3, "
         "\"checklists\": [{\"name\": \"X\", \"subtype\": null, \"icon\": \"star\"}]}]}",
         "X\n", 0},
        {"TwoObjects",
         "{\"objects\": [{\"checklists\": [{\"name\": \"A\"}]}, {\"checklists\": "
         "[{\"name\": \"B\", \"type\": 2}]}]}",
         "A\nEmergency: B\n", 0},
        {"NewerVersion", "{\"dataModelVersion\": 2}", "", 1},
    }),
    RowName());

TEST(GarminPilotRead, CrLfIsOneLineBreak) {
    if (!HasTar()) {
        GTEST_SKIP() << "no tar command";
    }
    Book book;
    Warnings warnings;
    ASSERT_FALSE(ReadGarminPilot(
        PackedByTar("{\"objects\": [{\"checklists\": [{\"name\": \"A\", \"checklistItems\": "
                    "[\"I\"]}], \"checklistItems\": [{\"uuid\": \"I\", \"title\": \"x\\r\\ny\\r\", "
                    "\"action\": \"z\\r\\n\"}]}]}"),
        book, warnings));
    ASSERT_EQ(book.lists.size(), 1u);
    ASSERT_EQ(book.lists[0].items.size(), 1u);
    EXPECT_EQ(book.lists[0].items[0].prompt, "x\ny\r");
    EXPECT_EQ(book.lists[0].items[0].expectation, "z\n");
}

// A .ckl tells the facts of a list by its name: a second list of the name with facts of its own
// is told of, as they read back as the first one's.
TEST(GarminPilotRead, ListsOfOneNameWarnOfTheirFacts) {
    Book book;
    book.lists = {MakeList("Doors", {}), MakeList("Doors", {}, Phase::Landing)};
    ChecklistDoc doc;
    Warnings warnings;
    BookToDoc(book, doc, warnings);
    ASSERT_EQ(warnings.lines.size(), 1u) << Joined(warnings);
    EXPECT_EQ(warnings.lines[0], "checklist \"Doors\": its phase, completion and live data read "
                                 "back from .ckl as those of the first checklist of that name");
    book.lists = {MakeList("Doors", {}, Phase::Landing), MakeList("Doors", {})};
    warnings = {};
    BookToDoc(book, doc, warnings);
    EXPECT_TRUE(warnings.Empty()) << Joined(warnings);
}

// content.json beyond 64 MiB is read when it packs no tighter than checklists do, and refused
// when it packs like a bomb; the writer tells when its file would be refused.
TEST(GarminPilotRead, ReadsALargeFileThatPacksAsChecklistsDo) {
    std::string noise(std::size_t(65) << 20, ' ');
    std::uint32_t state = 1;
    for (char& c : noise) {
        state = state * 1664525u + 1013904223u;
        c = "0123456789ABCDEF"[state >> 28];
    }
    Book book;
    book.lists = {MakeList("Long", {MakeItem(ItemKind::Note, noise)})};
    Warnings warnings;
    std::string written = Written(book, warnings);
    EXPECT_TRUE(warnings.Empty()) << Joined(warnings);
    Book back;
    ASSERT_FALSE(ReadGarminPilot(written, back, warnings));
    EXPECT_TRUE(back == book);

    std::fill(noise.begin(), noise.end(), 'A');
    written = Written(book, warnings);
    ASSERT_EQ(warnings.lines.size(), 1u) << Joined(warnings);
    EXPECT_EQ(warnings.lines[0], "content.json is larger than 64 MiB and 16 times the packed "
                                 "file, more than ckl reads back from a Garmin Pilot file");
    std::optional<ReadError> error = ReadGarminPilot(written, back, warnings);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->what, "content.json is larger than 64 MiB and 16 times the packed file");
}

// --- writing ---

// The writer's file as tar sees it: exactly one member, content.json, a regular file of mode
// 0644, whose JSON has the documented shape and whose ids all point somewhere.
TEST(GarminPilotWrite, TarReadsOneContentJsonOfTheDocumentedShape) {
    if (!HasTar()) {
        GTEST_SKIP() << "no tar command";
    }
    Book book;
    Warnings warnings;
    ASSERT_FALSE(ReadGarminPilot(TestFile("garmin_pilot_every_kind.gplt"), book, warnings));
    const std::string written = Written(book, warnings);
    EXPECT_TRUE(warnings.Empty()) << Joined(warnings);

    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    WriteFile(folder + "/written.gplt", written);
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

    const std::string listing = Output("tar tzvf '" + folder + "/written.gplt' 2>&1");
    EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 1) << listing;
    EXPECT_TRUE(listing.starts_with("-rw-r--r--")) << listing;
    EXPECT_TRUE(listing.ends_with(" content.json\n")) << listing;
    ASSERT_EQ(std::system(("tar xzf '" + folder + "/written.gplt' -C '" + folder + "'").c_str()),
              0);
    Json content = Json::parse(ReadFile(folder + "/content.json"));

    EXPECT_EQ(content["dataModelVersion"], 1);
    EXPECT_EQ(content["packageTypeVersion"], 1);
    EXPECT_EQ(content["name"], "Every kind N123");
    EXPECT_EQ(content["type"], "checklistBinder");
    ASSERT_EQ(content["objects"].size(), 1u);
    Json& objects = content["objects"][0];
    EXPECT_TRUE(objects["version"].is_null());

    const std::regex uuidForm(
        "[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    std::set<std::string> uuids;
    auto takeUuid = [&](const Json& object) {
        std::string uuid = object["uuid"];
        EXPECT_TRUE(std::regex_match(uuid, uuidForm)) << uuid;
        EXPECT_TRUE(uuids.insert(uuid).second) << "twice: " << uuid;
        return uuid;
    };
    std::map<std::string, Json> items;
    for (const Json& item : objects["checklistItems"]) {
        items[takeUuid(item)] = item;
        EXPECT_EQ(item["checked"], false);
        EXPECT_TRUE(item["title"].is_string() && item["action"].is_string()) << item;
    }
    std::map<std::string, Json> checklists;
    for (const Json& checklist : objects["checklists"]) {
        checklists[takeUuid(checklist)] = checklist;
        for (const Json& uuid : checklist["checklistItems"]) {
            EXPECT_TRUE(items.count(uuid)) << uuid;
        }
    }
    struct Expected {
        const char* binder;
        std::vector<std::string> checklists; // name type subtype completionItem
    };
    const std::vector<Expected> expected = {
        {"Preflight", {"Cockpit 0 0 1", "Cruise 0 1 2", "Before landing 0 2 3"}},
        {"Emergencies", {"Engine fire 2 4 0", "Icing 1 4 5"}},
        {"Normal", {"Loose 0 3 4"}},
    };
    ASSERT_EQ(objects["binders"].size(), expected.size()) << objects["binders"];
    for (std::size_t b = 0; b < expected.size(); ++b) {
        const Json& binder = objects["binders"][b];
        takeUuid(binder);
        EXPECT_TRUE(binder["sourceTemplateUUID"].is_null());
        EXPECT_EQ(binder["sortOrder"], b);
        EXPECT_EQ(binder["name"], expected[b].binder);
        std::vector<std::string> seen;
        for (const Json& uuid : binder["checklists"]) {
            const Json& checklist = checklists[uuid];
            seen.push_back(checklist["name"].get<std::string>() + " " + checklist["type"].dump() +
                           " " + checklist["subtype"].dump() + " " +
                           checklist["completionItem"].dump());
        }
        EXPECT_EQ(seen, expected[b].checklists);
    }
    // Each item as Garmin Pilot holds it, in the order of the checklists.
    std::vector<std::string> seen;
    for (const Json& checklist : objects["checklists"]) {
        for (const Json& uuid : checklist["checklistItems"]) {
            const Json& item = items[uuid];
            seen.push_back(item["itemType"].dump() + " " + item["title"].dump() + " " +
                           item["action"].dump());
        }
    }
    const std::vector<std::string> expectedItems = {
        R"(0 "Battery" "ON")",
        R"(0 "Look around" "")",
        R"(1 "Altimeter" "")",
        R"(11 "Lean for best power" "")",
        R"(5 "Weather" "Check")",
        R"(11 "Brakes are hot\nafter landing" "")",
        R"(11 "CAUTION: Do not restart" "")",
        R"(11 "WARNING: Land as soon as possible" "")",
        R"(11 "" "")",
        R"(11 "Fuel\nSelector OFF" "")",
        R"(0 "Pitot heat" "ON\nand check the amps")",
        R"(10 "Center" "")",
        R"(0 "Mixture" "RICH")",
    };
    EXPECT_EQ(seen, expectedItems);
}

// .gplt -> .ckl -> .gplt keeps every binder, category, title, phase, completion, item kind,
// live data and text: the books read from the first and the last file are the same.
TEST(GarminPilotWrite, RoundTripThroughCklKeepsEverything) {
    for (const char* name : {"garmin_pilot_every_kind.gplt", "garmin_pilot_odd_binders.gplt"}) {
        SCOPED_TRACE(name);
        Book first;
        Warnings readWarnings;
        ASSERT_FALSE(ReadGarminPilot(TestFile(name), first, readWarnings));

        ChecklistDoc doc;
        Warnings cklWarnings;
        BookToDoc(first, doc, cklWarnings);
        EXPECT_TRUE(cklWarnings.Empty()) << Joined(cklWarnings);
        ChecklistDoc saved;
        ChecklistFile::ReadText(saved, ChecklistFile::WriteText(doc));
        Book second = DocToBook(saved, true, true);

        Warnings writeWarnings;
        const std::string written = Written(second, writeWarnings);
        EXPECT_TRUE(writeWarnings.Empty()) << Joined(writeWarnings);
        Book last;
        Warnings lastWarnings;
        ASSERT_FALSE(ReadGarminPilot(written, last, lastWarnings));
        EXPECT_TRUE(lastWarnings.Empty()) << Joined(lastWarnings);
        EXPECT_TRUE(last == first) << CklOf(last) << "\nfirst:\n" << CklOf(first);
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
    if (row.words) {
        ASSERT_EQ(warnings.lines.size(), 1u) << Joined(warnings);
        EXPECT_NE(warnings.lines[0].find(row.words), std::string::npos) << warnings.lines[0];
    } else {
        EXPECT_TRUE(warnings.Empty()) << Joined(warnings);
    }
    Book back;
    Warnings readWarnings;
    ASSERT_FALSE(ReadGarminPilot(written, back, readWarnings));
    if (!row.words) {
        EXPECT_TRUE(back == book) << CklOf(back);
    }
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

TEST(GarminPilotWrite, FailsWhenTheSinkFails) {
    Book book;
    book.lists = {MakeList("Start", {MakeItem(ItemKind::Challenge, "Go")})};
    Warnings warnings;
    EXPECT_FALSE(WriteGarminPilot(book, warnings, [](std::string_view) { return false; }));
}

// --- conversions with the other formats ---

struct OtherFormatCase {
    const char* name;
    const char* format;
    friend void PrintTo(const OtherFormatCase& row, std::ostream* os) { *os << row.name; }
};

class GarminPilotConverts : public testing::TestWithParam<OtherFormatCase> {};

// Both ways, a conversion succeeds and tells what the other format has no place for.
TEST_P(GarminPilotConverts, BothWaysWithWarnings) {
    const Format& other = *FormatNamed(GetParam().format);
    const Format& garminPilot = *FormatNamed("garmin-pilot");

    ChecklistDoc fromGarminPilot;
    Warnings readWarnings;
    ASSERT_FALSE(ReadIntoDoc(garminPilot, TestFile("garmin_pilot_every_kind.gplt"), fromGarminPilot,
                             readWarnings));
    Warnings toOther;
    std::string written;
    EXPECT_TRUE(WriteFromDoc(fromGarminPilot, other, {}, toOther, [&](std::string_view chunk) {
        written += chunk;
        return true;
    }));
    EXPECT_FALSE(toOther.Empty()) << "phases, completions and live data are lost";
    Book back;
    Warnings ignored;
    EXPECT_FALSE(other.read(written, back, ignored));

    ChecklistDoc fromOther;
    ASSERT_FALSE(ReadIntoDoc(other, written, fromOther, ignored));
    Warnings toGarminPilot;
    std::string gplt;
    EXPECT_TRUE(
        WriteFromDoc(fromOther, garminPilot, {}, toGarminPilot, [&](std::string_view chunk) {
            gplt += chunk;
            return true;
        }));
    EXPECT_FALSE(ReadGarminPilot(gplt, back, ignored));
}

INSTANTIATE_TEST_SUITE_P(Formats, GarminPilotConverts,
                         testing::ValuesIn(std::vector<OtherFormatCase>{
                             {"Ace", "ace"},
                             {"EfisJson", "efis-json"},
                             {"ForeFlight", "foreflight"},
                         }),
                         RowName());

// An .ace file's headings, metadata and indentation have no place in Garmin Pilot: told.
TEST(GarminPilotWrite, FromAceTellsWhatIsLost) {
    ChecklistDoc doc;
    Warnings warnings;
    ASSERT_FALSE(ReadIntoDoc(*FormatNamed("ace"), TestFile("every_kind.ace"), doc, warnings));
    warnings = {};
    std::string gplt;
    ASSERT_TRUE(
        WriteFromDoc(doc, *FormatNamed("garmin-pilot"), {}, warnings, [&](std::string_view chunk) {
            gplt += chunk;
            return true;
        }));
    const std::string all = Joined(warnings);
    EXPECT_NE(all.find("headings and plain text are written as notes"), std::string::npos) << all;
    EXPECT_NE(all.find("garmin-pilot files have no place for"), std::string::npos) << all;
}

} // namespace
