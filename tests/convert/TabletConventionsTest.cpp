// How a .ckl carries what the tablet apps hold: categories and subgroups in list names, texts of
// several lines as continuation items, and the facts of lists in "Checklist info".
#include "ChecklistDoc.h"
#include "ChecklistFile.h"
#include "CklConventions.h"
#include "ConvertTestSupport.h"
#include "Formats.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace convert;
using namespace converttest;

namespace {

// The .ckl text of lists given by name and items.
std::string CklOfLists(const std::vector<std::pair<std::string, std::vector<std::string>>>& lists) {
    ChecklistDoc doc;
    for (const auto& [name, items] : lists) {
        Checklist* checklist = doc.CreateChecklist();
        checklist->SetName(name);
        for (const std::string& item : items) {
            checklist->AppendItem(item);
        }
        doc.AppendChecklist(checklist);
    }
    return ChecklistFile::WriteText(doc);
}

Item Made(ItemKind kind, std::string_view prompt, std::string_view expectation = {},
          int indent = 0) {
    Item item;
    item.kind = kind;
    item.prompt = prompt;
    item.expectation = expectation;
    item.indent = indent;
    return item;
}

// The items of the one list of a .ckl text, as stored.
std::vector<std::string> StoredItems(const std::string& ckl, std::string_view listName) {
    ChecklistDoc doc;
    ChecklistFile::ReadText(doc, ckl);
    std::vector<std::string> items;
    for (const Checklist& checklist : doc.Checklists()) {
        if (std::string_view(checklist.name) == listName) {
            for (const ChecklistItem& item : checklist.Items()) {
                items.emplace_back(item.text);
            }
        }
    }
    return items;
}

// --- categories and subgroups in a name ---

struct NameRow {
    const char* test;
    const char* name;
    Category category;
    const char* subgroup;
    const char* title;
    const char* canonical; // what JoinListName makes of the parts
};

void PrintTo(const NameRow& row, std::ostream* os) {
    *os << row.test;
}

class ListNames : public testing::TestWithParam<NameRow> {};

TEST_P(ListNames, SplitAndJoinAgree) {
    const NameRow& row = GetParam();
    ListName parts = SplitListName(row.name);
    EXPECT_EQ(parts.category, row.category);
    EXPECT_EQ(parts.subgroup, row.subgroup);
    EXPECT_EQ(parts.title, row.title);
    const std::string joined = JoinListName(parts.category, parts.subgroup, parts.title);
    EXPECT_EQ(joined, row.canonical);
    ListName again = SplitListName(joined);
    EXPECT_EQ(again.category, parts.category);
    EXPECT_EQ(again.subgroup, parts.subgroup);
    EXPECT_EQ(again.title, parts.title);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ListNames,
    testing::ValuesIn(std::vector<NameRow>{
        {"PlainNameIsNormalWithoutSubgroup", "Before start", Category::Normal, "", "Before start",
         "Before start"},
        {"GroupIsANormalSubgroup", "Preflight: Cabin", Category::Normal, "Preflight", "Cabin",
         "Preflight: Cabin"},
        {"CategoryAndSubgroup", "Emergency: Engine: Engine fire in flight", Category::Emergency,
         "Engine", "Engine fire in flight", "Emergency: Engine: Engine fire in flight"},
        {"CategoryAlone", "Abnormal: Icing", Category::Abnormal, "", "Icing", "Abnormal: Icing"},
        {"CategoryInAnyCase", "EMERGENCY: Ditching", Category::Emergency, "", "Ditching",
         "Emergency: Ditching"},
        {"NormalWordIsLeftOut", "Normal: Taxi", Category::Normal, "", "Taxi", "Taxi"},
        {"SubgroupCalledAsItsCategoryIsNone", "Emergency: Emergency: Fire", Category::Emergency, "",
         "Fire", "Emergency: Fire"},
        {"TitleWithColonKeepsItsSubgroupWord", "Normal: Normal: Note: read first", Category::Normal,
         "", "Note: read first", "Normal: Normal: Note: read first"},
        {"NormalSubgroupCalledAsACategory", "Normal: Emergency: Drill", Category::Normal,
         "Emergency", "Drill", "Normal: Emergency: Drill"},
        {"WordInsideAGroupIsNoCategory", "Emergency procedures: Fire", Category::Normal,
         "Emergency procedures", "Fire", "Emergency procedures: Fire"},
        {"ColonWithoutSpaceIsText", "Emergency:Fire", Category::Normal, "", "Emergency:Fire",
         "Emergency:Fire"},
    }),
    [](const auto& info) { return std::string(info.param.test); });

// Every category, subgroup and title made of awkward pieces comes back from its name.
TEST(ListNames, JoinedNamesSplitBack) {
    const std::vector<std::string_view> pieces = {
        "", "Fire", "Normal", "Emergency", "abnormal", "A: B", "Engine: Left: Fire", " ", ":"};
    for (Category category : {Category::Normal, Category::Abnormal, Category::Emergency}) {
        for (std::string_view subgroup : pieces) {
            if (subgroup.find(": ") != std::string_view::npos) {
                continue; // a subgroup cannot hold the separator of the name
            }
            for (std::string_view title : pieces) {
                const std::string name = JoinListName(category, subgroup, title);
                ListName parts = SplitListName(name);
                SCOPED_TRACE(name);
                EXPECT_EQ(parts.category, category);
                EXPECT_EQ(parts.subgroup, subgroup == CategoryWord(category) ? "" : subgroup);
                EXPECT_EQ(parts.title, title);
            }
        }
    }
}

// --- texts of several lines ---

TEST(ContinuationItems, SeveralLinesTravelAsItemsAndJoinBack) {
    Book book;
    BookList& list = book.lists.emplace_back();
    list.name = "Engine fire";
    list.items = {
        Made(ItemKind::ChallengeResponse, "MIXTURE", "IDLE CUT-OFF\nwhen the fire is out"),
        Made(ItemKind::Note, "Land as soon as possible.\n\nDo not restart.", {}, 1),
        Made(ItemKind::PlainText, "line one\r\nline two"),
    };
    Warnings warnings;
    const std::string ckl = CklOf(book, warnings);
    EXPECT_TRUE(warnings.Empty()) << Joined(warnings);
    EXPECT_EQ(StoredItems(ckl, "Engine fire"),
              (std::vector<std::string>{"MIXTURE ..... IDLE CUT-OFF", "| when the fire is out",
                                        "  NOTE: Land as soon as possible.", "  |",
                                        "  | Do not restart.", "- line one", "| line two"}));

    Book joined = BookOfCkl(ckl, true, true);
    ASSERT_EQ(joined.lists.size(), 1u);
    ASSERT_EQ(joined.lists[0].items.size(), 3u);
    EXPECT_EQ(joined.lists[0].items[0], book.lists[0].items[0]);
    EXPECT_EQ(joined.lists[0].items[1], book.lists[0].items[1]);
    EXPECT_EQ(joined.lists[0].items[2].prompt, "line one\nline two");

    // Formats whose texts are one line keep the continuation items as items of their own.
    Book apart = BookOfCkl(ckl, true, false);
    EXPECT_EQ(apart.lists[0].items.size(), 7u);
    EXPECT_EQ(apart.lists[0].items[1].prompt, "| when the fire is out");
}

TEST(ContinuationItems, ABarThatBeginsAListOrAnItemIsText) {
    Book book = BookOfCkl(CklOfLists({{"Pipes", {"| first", "A ..... B", "|x"}}}), true, true);
    ASSERT_EQ(book.lists[0].items.size(), 3u);
    EXPECT_EQ(book.lists[0].items[0].prompt, "| first");
    EXPECT_EQ(book.lists[0].items[2].prompt, "|x");

    // An item that would read back as a continuation is told of.
    Book pipes;
    BookList& list = pipes.lists.emplace_back();
    list.name = "Pipes";
    list.items = {Made(ItemKind::Challenge, "A"), Made(ItemKind::Challenge, "| B")};
    Warnings warnings;
    CklOf(pipes, warnings);
    EXPECT_NE(Joined(warnings).find("reads back as going on the item before it"), std::string::npos)
        << Joined(warnings);
}

// --- facts of lists and the file in "Checklist info" ---

TEST(ChecklistInfo, FactsOfListsAndItemsComeBack) {
    Book book;
    book.metadata.name = "C172S";
    book.metadata.detail = "Normal and emergency procedures";
    book.metadata.aircraft = "N12345";
    const char* names[] = {"Preflight: Cabin", "Emergency: Engine: Fire \"left\": in flight",
                           "Landing"};
    for (const char* name : names) {
        BookList& list = book.lists.emplace_back();
        list.name = name;
        list.items = {Made(ItemKind::ChallengeResponse, "FUEL", "BOTH\nchecked"),
                      Made(ItemKind::ChallengeResponse, "OIL PRESSURE", "GREEN")};
    }
    book.lists[0].phase = Phase::Preflight;
    book.lists[1].completion = Completion::NextChecklist;
    book.lists[2].phase = Phase::Landing;
    book.lists[2].completion = Completion::Map;
    book.lists[1].items[1].liveData = 4; // the second item, the third .ckl item
    Warnings warnings;
    const std::string ckl = CklOf(book, warnings);
    EXPECT_TRUE(warnings.Empty()) << Joined(warnings);
    EXPECT_EQ(StoredItems(ckl, "Checklist info"),
              (std::vector<std::string>{
                  "Name: C172S", "Aircraft: N12345", "Detail: Normal and emergency procedures",
                  "Phase of \"Preflight: Cabin\": preflight",
                  "Completion of \"Emergency: Engine: Fire \"left\": in flight\": next checklist",
                  "Live data of \"Emergency: Engine: Fire \"left\": in flight\" item 3: 4",
                  "Phase of \"Landing\": landing", "Completion of \"Landing\": map"}));

    Book back = BookOfCkl(ckl, true, true);
    EXPECT_EQ(back, book);
}

TEST(ChecklistInfo, AFactOfAnUnknownListIsDroppedAndABrokenOneKeepsTheListAList) {
    Book known = BookOfCkl(CklOfLists({{"Taxi", {"BRAKES"}},
                                       {"Checklist info",
                                        {"Name: N", "Phase of \"Gone\": landing",
                                         "Completion of \"Taxi\": SAFETAXI"}}}),
                           true, true);
    ASSERT_EQ(known.lists.size(), 1u);
    EXPECT_EQ(known.metadata.name, "N");
    EXPECT_EQ(known.lists[0].completion, Completion::SafeTaxi);

    for (const char* broken : {"Phase of \"Taxi\": cruise", "Live data of \"Taxi\" item 0: 4",
                               "Live data of \"Taxi\" item 1: 11", "Completion of Taxi: map"}) {
        Book book = BookOfCkl(
            CklOfLists({{"Taxi", {"BRAKES"}}, {"Checklist info", {"Name: N", broken}}}), true);
        SCOPED_TRACE(broken);
        EXPECT_EQ(book.lists.size(), 2u);
        EXPECT_TRUE(book.metadata.IsEmpty());
    }
}

// --- what a format cannot keep ---

TEST(WhatIsLost, EachFormatTellsOfTheFieldsAndFactsItHasNoPlaceFor) {
    Book book;
    book.metadata.detail = "D";
    book.metadata.modifiedTime = 5;
    BookList& list = book.lists.emplace_back();
    list.name = "Taxi";
    list.completion = Completion::NextChecklist;
    list.items = {Made(ItemKind::Challenge, "BRAKES", {}, 2)};
    auto lost = [&book](std::string_view format) {
        Warnings warnings;
        WarnOfWhatIsLost(book, *FormatNamed(format), warnings);
        return Joined(warnings);
    };
    EXPECT_EQ(lost("ckl"), "");
    EXPECT_EQ(lost("efis-json"),
              "the file's detail is left out: efis-json files have no place for it\n"
              "what lists offer when done (Garmin Pilot) is left out: efis-json files have no "
              "place for them\n");
    EXPECT_NE(lost("ace").find("the file's time of change is left out"), std::string::npos);
    EXPECT_NE(lost("garmin-pilot").find("indentation and centring of items are left out"),
              std::string::npos);
    EXPECT_EQ(lost("garmin-pilot").find("what lists offer"), std::string::npos);
}

} // namespace
