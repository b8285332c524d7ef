#include "PrintLayout.h"
#include "../data/ItemKindRows.h"
#include "ChecklistDoc.h"
#include "ItemRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The print layout laid out against type of fixed measurements, so that where every block
// goes can be worked out by hand: every character is 1 unit wide, every line 1 unit high.
// On the test sheet (24 units high, 1 mm = 0.1 units) a column ends at 22, above the two
// footer lines; a list heading takes 1.25 and a one-line item 1.45 with its gap, so a fresh
// column holds a heading and 14 items.

namespace {

using ckl::BlockKind;
using ckl::Ink;
using ckl::PlacedBlock;
using ckl::PrintPlan;

std::size_t Characters(std::string_view text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

class FixedMeasurer : public ckl::PrintMeasurer {
public:
    double Advance(std::string_view text, Ink) const override {
        return static_cast<double>(Characters(text));
    }
    double LineSpacing(Ink) const override { return 1; }
    double Ascent(Ink) const override { return 0.75; }
    double Descent(Ink) const override { return 0.25; }

    // Greedy: words while they fit, a word wider than a line cut where the line ends.
    std::vector<std::string> Wrap(std::string_view text, Ink, double width) const override {
        std::size_t room = std::max<std::size_t>(1, static_cast<std::size_t>(std::floor(width)));
        std::vector<std::string> lines(1);
        std::size_t at = 0;
        while (at < text.size()) {
            std::size_t end = std::min(text.find(' ', at), text.size());
            std::string_view word = text.substr(at, end - at);
            at = end + 1;
            while (!word.empty()) {
                std::string& line = lines.back();
                std::size_t used = Characters(line);
                std::size_t needed = Characters(word) + (line.empty() ? 0 : 1);
                if (used + needed <= room) {
                    line += (line.empty() ? "" : " ") + std::string(word);
                    word = {};
                } else if (!line.empty()) {
                    lines.emplace_back();
                } else {
                    line = word.substr(0, room);
                    word.remove_prefix(room);
                    lines.emplace_back();
                }
            }
        }
        if (lines.size() > 1 && lines.back().empty()) {
            lines.pop_back();
        }
        return lines;
    }
};

ckl::PrintSheet Sheet(int columns, double height = 24) {
    return {30, height, 0.1, columns};
}

bool IsItem(BlockKind kind) {
    return kind != BlockKind::DocumentTitle && kind != BlockKind::ListHeading &&
           kind != BlockKind::ContinuedHeading && kind != BlockKind::Remark &&
           kind != BlockKind::Footer && kind != BlockKind::Cover && kind != BlockKind::Contents &&
           kind != BlockKind::NextChecklist;
}

std::string Joined(const PlacedBlock& block, Ink ink) {
    std::string text;
    for (const ckl::PlacedText& placed : block.texts) {
        if (placed.ink == ink) {
            text += (text.empty() ? "" : " ") + placed.text;
        }
    }
    return text;
}

// Where the lists went, column by column: "p1c2 B:8" is list B's heading and 8 items in the
// second column of the first page; "B+" is its "(continued)" heading, "B:-" says "no items" and
// "B:8>" ends in a line naming the next checklist.
std::string Outline(const PrintPlan& plan) {
    std::string outline;
    for (std::size_t p = 0; p < plan.pages.size(); ++p) {
        for (std::size_t c = 0; c < plan.pages[p].columns.size(); ++c) {
            const std::vector<PlacedBlock>& blocks = plan.pages[p].columns[c].blocks;
            if (blocks.empty()) {
                continue;
            }
            outline += (outline.empty() ? "" : " | ") + ("p" + std::to_string(p + 1)) + "c" +
                       std::to_string(c + 1);
            int items = -1;
            auto endList = [&] {
                if (items >= 0) {
                    outline += ":" + std::to_string(items);
                }
                items = -1;
            };
            for (const PlacedBlock& block : blocks) {
                if (block.kind == BlockKind::ListHeading) {
                    endList();
                    outline += " " + Joined(block, Ink::Heading);
                    items = 0;
                } else if (block.kind == BlockKind::ContinuedHeading) {
                    endList();
                    std::string name = Joined(block, Ink::Heading);
                    outline += " " + name.substr(0, name.find(" (continued)")) + "+";
                    items = 0;
                } else if (block.kind == BlockKind::Remark) {
                    outline += ":-";
                    items = -1;
                } else if (block.kind == BlockKind::NextChecklist) {
                    endList();
                    outline += ">";
                } else if (IsItem(block.kind)) {
                    ++items;
                }
            }
            endList();
        }
    }
    return outline;
}

struct TestList {
    std::string name;
    std::vector<std::string> items;
    std::optional<std::string> next{}; // the name of the list it leads on to
};

// A list named name of count items "<name>1", "<name>2" ...
TestList Numbered(const std::string& name, int count) {
    TestList list{name, {}};
    for (int i = 1; i <= count; ++i) {
        list.items.push_back(name + std::to_string(i));
    }
    return list;
}

// The lists laid out; with title, under a title of two lines that ends at 2.8.
PrintPlan LayOut(const std::vector<TestList>& lists, int columns, bool title = false,
                 double height = 24, ckl::ListStart start = ckl::ListStart::Below) {
    FixedMeasurer measurer;
    ckl::PrintLayout layout(measurer, Sheet(columns, height));
    if (title) {
        layout.AddTitle("test.ckl", "some checklists");
    }
    for (const TestList& list : lists) {
        std::vector<std::string_view> items(list.items.begin(), list.items.end());
        layout.AddChecklist(list.name, {}, items, start,
                            list.next ? std::optional<std::string_view>(*list.next) : std::nullopt);
    }
    return layout.Finish("test.ckl");
}

// What holds for every plan: each page has its columns and a footer that numbers it, nothing
// reaches below the foot of a column or out of its side, and every item's text is printed
// once, in order, under its own list.
void ExpectSoundPlan(const PrintPlan& plan, const std::vector<TestList>& lists, int columns,
                     double height) {
    ASSERT_FALSE(plan.pages.empty());
    double columnBottom = height - 2;
    double width = Sheet(columns).width;
    double columnWidth = columns == 1 ? width : (width - 0.8) / 2;
    std::vector<std::string> printed(lists.size());
    std::size_t list = 0;
    for (std::size_t p = 0; p < plan.pages.size(); ++p) {
        const ckl::PlanPage& page = plan.pages[p];
        ASSERT_EQ(page.columns.size(), static_cast<std::size_t>(columns));
        ASSERT_EQ(page.footer.texts.size(), 2u);
        EXPECT_EQ(page.footer.texts[0].text, "test.ckl");
        EXPECT_EQ(page.footer.texts[1].text,
                  "Page " + std::to_string(p + 1) + " of " + std::to_string(plan.pages.size()));
        for (std::size_t c = 0; c < page.columns.size(); ++c) {
            double left = static_cast<double>(c) * (columnWidth + 0.8);
            double lastBaseline = 0;
            for (const PlacedBlock& block : page.columns[c].blocks) {
                for (const ckl::PlacedText& text : block.texts) {
                    EXPECT_GE(text.baseline, lastBaseline) << text.text;
                    lastBaseline = text.baseline;
                    EXPECT_LE(text.baseline + 0.25, columnBottom + 1e-9) << text.text;
                    EXPECT_GE(text.x, left - 1e-9) << text.text;
                    EXPECT_LE(text.x + Characters(text.text), left + columnWidth + 1e-9)
                        << text.text;
                }
                if (block.kind == BlockKind::ListHeading) {
                    while (list < lists.size() && Joined(block, Ink::Heading) != lists[list].name) {
                        ++list;
                    }
                    ASSERT_LT(list, lists.size()) << Joined(block, Ink::Heading);
                } else if (IsItem(block.kind)) {
                    for (const ckl::PlacedText& text : block.texts) {
                        printed[list] += text.text;
                    }
                }
            }
        }
    }
    for (std::size_t i = 0; i < lists.size(); ++i) {
        std::string expected;
        for (const std::string& item : lists[i].items) {
            expected += item;
        }
        std::erase(expected, ' ');
        std::erase(printed[i], ' ');
        EXPECT_EQ(printed[i], expected) << lists[i].name;
    }
}

struct FlowCase {
    const char* name;
    int columns;
    std::vector<TestList> lists;
    std::string outline;
    bool title = false;
    double height = 24;
    ckl::ListStart start = ckl::ListStart::Below;

    friend void PrintTo(const FlowCase& row, std::ostream* os) { *os << row.name; }
};

class Flow : public testing::TestWithParam<FlowCase> {};

// Three lists of three items.
const std::vector<TestList> shortLists = {Numbered("A", 3), Numbered("B", 3), Numbered("C", 3)};

FlowCase Starting(ckl::ListStart start, FlowCase row) {
    row.start = start;
    return row;
}

TEST_P(Flow, PlacesListsInColumnsAndPages) {
    const FlowCase& row = GetParam();
    PrintPlan plan = LayOut(row.lists, row.columns, row.title, row.height, row.start);
    EXPECT_EQ(Outline(plan), row.outline);
    ExpectSoundPlan(plan, row.lists, row.columns, row.height);
}

const std::string tallText(1000, 'x');

INSTANTIATE_TEST_SUITE_P(
    PrintLayout, Flow,
    testing::Values(
        // A ends at 15.75; B needs 13.1 whole, more than is left.
        FlowCase{"ShortListMovesWholeToTheNextColumn",
                 2,
                 {Numbered("A", 10), Numbered("B", 8)},
                 "p1c1 A:10 | p1c2 B:8"},
        FlowCase{"ShortListMovesWholeToTheNextPage",
                 1,
                 {Numbered("A", 10), Numbered("B", 8)},
                 "p1c1 A:10 | p2c1 B:8"},
        FlowCase{
            "ShortListStaysWhereItFits", 1, {Numbered("A", 4), Numbered("B", 8)}, "p1c1 A:4 B:8"},
        FlowCase{
            "LongListSplitsUnderContinuedHeading", 1, {Numbered("A", 20)}, "p1c1 A:14 | p2c1 A+:6"},
        // A list that fits no column starts right after the one before it.
        FlowCase{"LongListStartsWhereItIs",
                 1,
                 {Numbered("A", 3), Numbered("B", 20)},
                 "p1c1 A:3 B:10 | p2c1 B+:10"},
        FlowCase{"HeadingNeverStandsAloneAtTheFoot",
                 1,
                 {Numbered("A", 13), Numbered("B", 20)},
                 "p1c1 A:13 | p2c1 B:14 | p3c1 B+:6"},
        // 14 would fit, but the last one would then be carried over alone.
        FlowCase{
            "LastItemsAreNeverCarriedOverAlone", 1, {Numbered("A", 15)}, "p1c1 A:12 | p2c1 A+:3"},
        FlowCase{"FullPageGoesOnToTheNextPageInOneColumn",
                 1,
                 {Numbered("A", 40)},
                 "p1c1 A:14 | p2c1 A+:14 | p3c1 A+:12"},
        FlowCase{"FullPageGoesOnToTheNextPageInTwoColumns",
                 2,
                 {Numbered("A", 40)},
                 "p1c1 A:14 | p1c2 A+:14 | p2c1 A+:12"},
        FlowCase{"EmptyListSaysSo", 1, {Numbered("A", 0), Numbered("B", 2)}, "p1c1 A:- B:2"},
        FlowCase{"EmptyListMovesWholeToo",
                 2,
                 {Numbered("A", 14), Numbered("B", 0)},
                 "p1c1 A:14 | p1c2 B:-"},
        FlowCase{"NoListsNoBlocks", 2, {}, ""},
        // The 14th item ends at 21.1, just above or just below the foot of the column.
        FlowCase{"ItemEndingJustAboveTheFootStays",
                 1,
                 {Numbered("A", 20)},
                 "p1c1 A:14 | p2c1 A+:6",
                 false,
                 23.15},
        FlowCase{"ItemEndingJustBelowTheFootMoves",
                 1,
                 {Numbered("A", 20)},
                 "p1c1 A:13 | p2c1 A+:7",
                 false,
                 23.05},
        // A fresh page would hold the list whole, but it starts under the title rather than
        // leave the first page empty.
        FlowCase{
            "FirstListStartsUnderTheTitle", 1, {Numbered("A", 14)}, "p1c1 A:11 | p2c1 A+:3", true},
        // The second column starts under the title too, so B would not fit there whole.
        FlowCase{"NextColumnStartsUnderTheTitle",
                 2,
                 {Numbered("A", 4), Numbered("B", 14)},
                 "p1c1 A:4 B:7 | p1c2 B+:7",
                 true},
        FlowCase{"LaterPagesStartAtTheTop",
                 1,
                 {Numbered("A", 40)},
                 "p1c1 A:12 | p2c1 A+:14 | p3c1 A+:14",
                 true},
        // 35 lines of 29 characters: 20 fit under the heading, 15 go on.
        FlowCase{"ItemTallerThanAColumnBreaksBetweenLines",
                 1,
                 {{"A", {tallText}}},
                 "p1c1 A:1 | p2c1 A+:1"},
        // A framed item of 20 lines does not move whole: it starts where its first line fits,
        // 6 lines above the foot.
        FlowCase{"ItemTallerThanAColumnStartsAtTheFoot",
                 2,
                 {{"A",
                   {"A1", "A2", "A3", "A4", "A5", "A6", "A7", "A8", "A9", "A10",
                    "WARNING: " + std::string(100, 'x'), "A12", "A13", "A14"}}},
                 "p1c1 A:11 | p1c2 A+:4"},
        // --start column and page: each list atop a column or page of its own, however much
        // room the one before left, but never leaving a column or page empty behind it.
        Starting(ckl::ListStart::Column,
                 {"StartColumn", 2, shortLists, "p1c1 A:3 | p1c2 B:3 | p2c1 C:3"}),
        Starting(ckl::ListStart::Page,
                 {"StartPage", 2, shortLists, "p1c1 A:3 | p2c1 B:3 | p3c1 C:3"}),
        Starting(ckl::ListStart::Page,
                 {"StartPageUnderTheTitle", 2, shortLists, "p1c1 A:3 | p2c1 B:3 | p3c1 C:3", true}),
        // The line naming the next checklist belongs to its list: it moves with it and is never
        // carried over alone. B ends at 21.75 without its last line, 23.35 with it.
        FlowCase{"NextLineEndsItsList", 1, {{"A", {"A1"}, "B"}, Numbered("B", 2)}, "p1c1 A:1> B:2"},
        FlowCase{"WithoutNextLineTheListFits", 2, {{"A", {}}, Numbered("B", 12)}, "p1c1 A:- B:12"},
        FlowCase{"NextLineCounts",
                 2,
                 {{"A", {}}, {"B", Numbered("B", 12).items, "C"}},
                 "p1c1 A:- | p1c2 B:12>"},
        FlowCase{
            "NextLineGoesOver", 1, {{"A", Numbered("A", 14).items, "B"}}, "p1c1 A:12 | p2c1 A+:2>"},
        FlowCase{"NextLineAfterNoItems", 1, {{"A", {}, "B"}}, "p1c1 A:->"}),
    [](const testing::TestParamInfo<FlowCase>& info) { return std::string(info.param.name); });

// Every kind of item becomes a block of its kind, its texts under the right labels and inks,
// with a box to tick only where there is something to tick.
struct KindCase {
    const char* name;
    std::string item;
    BlockKind kind;
    std::vector<std::pair<std::string, Ink>> texts;
    int indent = 0;
    bool centered = false;
    std::size_t boxes = 0;
    std::size_t rules = 0;

    friend void PrintTo(const KindCase& row, std::ostream* os) { *os << row.name; }
};

class Kinds : public testing::TestWithParam<KindCase> {};

TEST_P(Kinds, GiveTheirBlocks) {
    const KindCase& row = GetParam();
    PrintPlan plan = LayOut({{"List", {row.item}}}, 1);
    const std::vector<PlacedBlock>& blocks = plan.pages[0].columns[0].blocks;
    ASSERT_EQ(blocks.size(), 2u); // the heading, then the item
    const PlacedBlock& block = blocks[1];
    EXPECT_EQ(block.kind, row.kind);
    EXPECT_EQ(block.indent, row.indent);
    EXPECT_EQ(block.centered, row.centered);
    std::vector<std::pair<std::string, Ink>> texts;
    for (const ckl::PlacedText& text : block.texts) {
        texts.emplace_back(text.text, text.ink);
    }
    EXPECT_EQ(texts, row.texts);
    EXPECT_EQ(block.boxes.size(), row.boxes);
    EXPECT_EQ(block.rules.size(), row.rules);
}

INSTANTIATE_TEST_SUITE_P(
    PrintLayout, Kinds,
    testing::Values(
        KindCase{"Challenge",
                 "Check lights",
                 BlockKind::Challenge,
                 {{"Check lights", Ink::Item}},
                 0,
                 false,
                 1},
        KindCase{"ChallengeResponse",
                 "Flaps ..... UP",
                 BlockKind::ChallengeResponse,
                 {{"Flaps", Ink::Item}, {"UP", Ink::Item}},
                 0,
                 false,
                 1,
                 1},
        KindCase{"TitleIsAHeading", "** Engine **", BlockKind::Title, {{"Engine", Ink::ListTitle}}},
        KindCase{"NoteAfterItsLabel",
                 "NOTE: Fuel may be low",
                 BlockKind::Note,
                 {{"NOTE:", Ink::Label}, {"Fuel may be low", Ink::Note}}},
        KindCase{"CautionFramed",
                 "CAUTION: Hot",
                 BlockKind::Caution,
                 {{"CAUTION:", Ink::Label}, {"Hot", Ink::Item}},
                 0,
                 false,
                 1},
        KindCase{"WarningFramedWithBlackLabel",
                 "WARNING: Fire",
                 BlockKind::Warning,
                 {{"WARNING:", Ink::WarningLabel}, {"Fire", Ink::WarningText}},
                 0,
                 false,
                 2},
        KindCase{
            "PlainTextWithoutBox", "- Declare", BlockKind::PlainText, {{"Declare", Ink::Item}}},
        KindCase{
            "Centred", ">> Middle <<", BlockKind::Challenge, {{"Middle", Ink::Item}}, 0, true, 1},
        KindCase{"Indented",
                 "    Pump ..... ON",
                 BlockKind::ChallengeResponse,
                 {{"Pump", Ink::Item}, {"ON", Ink::Item}},
                 2,
                 false,
                 1,
                 1},
        KindCase{"BlankLine", "", BlockKind::Space, {}}),
    [](const testing::TestParamInfo<KindCase>& info) { return std::string(info.param.name); });

BlockKind BlockOf(ItemRules::Kind kind) {
    using enum ItemRules::Kind;
    switch (kind) {
    case Challenge:
        return BlockKind::Challenge;
    case ChallengeResponse:
        return BlockKind::ChallengeResponse;
    case PlainText:
        return BlockKind::PlainText;
    case Note:
        return BlockKind::Note;
    case Caution:
        return BlockKind::Caution;
    case Warning:
        return BlockKind::Warning;
    case Title:
        return BlockKind::Title;
    case Space:
        break;
    }
    return BlockKind::Space;
}

std::string WithoutSpaces(std::string_view text) {
    std::string kept(text);
    std::erase(kept, ' ');
    return kept;
}

// Every line of the item rules' table is printed as its kind says: a note, caution or warning
// after the kind's own label in its ink, a title as a heading, the response at the right edge,
// a box to tick left of what is ticked off and none beside headings, notes and plain text.
class ItemKindsPrinted : public testing::TestWithParam<ItemKindRow> {};

TEST_P(ItemKindsPrinted, AsTheirKindSays) {
    const ItemKindRow& row = GetParam();
    PrintPlan plan = LayOut({{"List", {std::string(row.line)}}}, 1);
    const std::vector<PlacedBlock>& blocks = plan.pages[0].columns[0].blocks;
    ASSERT_EQ(blocks.size(), 2u); // the heading, then the item
    const PlacedBlock& block = blocks[1];
    EXPECT_EQ(block.kind, BlockOf(row.kind));
    EXPECT_EQ(block.indent, row.indent);
    EXPECT_EQ(block.centered, row.centered);
    std::vector<ckl::PlacedText> texts = block.texts;
    if (std::string_view label = ItemRules::LabelOf(row.kind); !label.empty()) {
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(texts[0].text, label);
        EXPECT_EQ(texts[0].ink,
                  row.kind == ItemRules::Kind::Warning ? Ink::WarningLabel : Ink::Label);
        texts.erase(texts.begin());
    }
    if (row.kind == ItemRules::Kind::ChallengeResponse) {
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(texts.back().text, row.expectation);
        EXPECT_DOUBLE_EQ(texts.back().x + static_cast<double>(Characters(texts.back().text)),
                         Sheet(1).width);
        texts.pop_back();
    }
    std::string prompt;
    for (const ckl::PlacedText& text : texts) {
        prompt += text.text;
        EXPECT_EQ(text.ink == Ink::ListTitle, row.kind == ItemRules::Kind::Title) << text.text;
    }
    EXPECT_EQ(WithoutSpaces(prompt), WithoutSpaces(row.prompt));
    using enum ItemRules::Kind;
    if (row.kind == Challenge || row.kind == ChallengeResponse) {
        ASSERT_FALSE(block.boxes.empty());
        for (const ckl::PlacedText& text : block.texts) {
            EXPECT_GE(text.x, block.boxes[0].left + block.boxes[0].width) << text.text;
        }
    } else if (row.kind == Title || row.kind == Note || row.kind == PlainText) {
        EXPECT_TRUE(block.boxes.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(ItemRules, ItemKindsPrinted, testing::ValuesIn(itemKindRows::rows),
                         [](const testing::TestParamInfo<ItemKindRow>& info) {
                             return std::string(info.param.name);
                         });

// Where the marks of an item stand, which the painter copies as they are.
TEST(PrintLayout, SetsItemsApartOnTheLine) {
    PrintPlan plan = LayOut({{"L",
                              {"Flaps ..... UP", "  Pump ..... ON", ">> Mid <<", "WARNING: Fire",
                               "CAUTION: Hot", "NOTE: Low"}}},
                            1);
    const std::vector<PlacedBlock>& blocks = plan.pages[0].columns[0].blocks;
    ASSERT_EQ(blocks.size(), 7u);
    const PlacedBlock& response = blocks[1];
    // The response ends at the column's right edge, behind a leader from the challenge.
    EXPECT_DOUBLE_EQ(response.texts[1].x + 2, 30);
    EXPECT_TRUE(response.rules[0].dotted);
    EXPECT_GT(response.rules[0].x1, response.texts[0].x + 5);
    EXPECT_LT(response.rules[0].x2, response.texts[1].x);
    // Two levels in is 8 mm further right; the response still ends at the edge.
    EXPECT_DOUBLE_EQ(blocks[2].texts[0].x - response.texts[0].x, 0.4);
    EXPECT_DOUBLE_EQ(blocks[2].texts[1].x + 2, 30);
    // Centred in the room right of the box.
    const ckl::PlacedText& mid = blocks[3].texts[0];
    double boxRight = blocks[3].boxes[0].left + blocks[3].boxes[0].width;
    EXPECT_NEAR((mid.x - boxRight) - (30 - mid.x - 3), 0.25, 1e-9);
    // A warning's frame is heavy, its label white on a black box beneath it; a caution's frame
    // is light, a note has none.
    const PlacedBlock& warning = blocks[4];
    ASSERT_EQ(warning.boxes.size(), 2u);
    EXPECT_TRUE(warning.boxes[0].filled);
    EXPECT_LE(warning.boxes[0].left, warning.texts[0].x);
    EXPECT_GE(warning.boxes[0].left + warning.boxes[0].width, warning.texts[0].x + 8);
    EXPECT_FALSE(warning.boxes[1].filled);
    EXPECT_GT(warning.boxes[1].lineMm, blocks[5].boxes[0].lineMm);
    EXPECT_TRUE(blocks[6].boxes.empty());
}

// The document walk: the title, a list's hot buttons under its name, "(no name)", and a page
// that says a document holds nothing.
TEST(PrintLayout, LaysOutTheDocument) {
    FixedMeasurer measurer;
    {
        ChecklistDoc doc;
        Checklist* first = doc.CreateChecklist();
        first->SetName("Start");
        first->AppendItem("Battery ..... ON");
        doc.AppendChecklist(first);
        Checklist* second = doc.CreateChecklist();
        second->SetName("");
        doc.AppendChecklist(second);
        doc.SetSlot(0, "Go", first);
        doc.SetSlot(2, "Again", first);
        PrintPlan plan = ckl::LayOutDocument(doc, "doc.ckl", measurer, Sheet(1));
        ASSERT_EQ(plan.pages.size(), 1u);
        ASSERT_EQ(plan.pages[0].top.size(), 1u);
        EXPECT_EQ(Joined(plan.pages[0].top[0], Ink::Title), "doc.ckl");
        EXPECT_EQ(Joined(plan.pages[0].top[0], Ink::Subtitle), "2 checklists");
        const std::vector<PlacedBlock>& blocks = plan.pages[0].columns[0].blocks;
        ASSERT_EQ(blocks.size(), 4u);
        EXPECT_EQ(Joined(blocks[0], Ink::Heading), "Start");
        EXPECT_EQ(Joined(blocks[0], Ink::HotButton), "★ Hot button 1: Go ★ Hot button 3: Again");
        EXPECT_EQ(blocks[1].kind, BlockKind::ChallengeResponse);
        EXPECT_EQ(Joined(blocks[2], Ink::Heading), "(no name)");
        EXPECT_EQ(Joined(blocks[3], Ink::Remark), "(no items)");
        // The lists start under the title.
        EXPECT_GT(blocks[0].texts[0].baseline, plan.pages[0].top[0].rules[0].y1);
    }
    {
        ChecklistDoc empty;
        PrintPlan plan = ckl::LayOutDocument(empty, "empty.ckl", measurer, Sheet(2));
        ASSERT_EQ(plan.pages.size(), 1u);
        EXPECT_EQ(Joined(plan.pages[0].top[0], Ink::Subtitle), "0 checklists");
        ASSERT_EQ(plan.pages[0].columns[0].blocks.size(), 1u);
        EXPECT_EQ(Joined(plan.pages[0].columns[0].blocks[0], Ink::Remark), "(no checklists)");
        EXPECT_EQ(plan.pages[0].footer.texts[1].text, "Page 1 of 1");
    }
}

} // namespace

namespace {

// --- paper, margins and type ---

// What print makes of "--page P": "210x297 11" for the paper's size and its type for items; of
// "--margins M": "10,12.5,8,14" for top, right, bottom and left; "" for a value refused, which the
// option's check then complains of, and only then. Of "--page P --margins M --columns N": "room"
// or "no room" for the columns.
std::string Read(const std::string& options) {
    char page[32] = "";
    char given[32] = "";
    int columns = 0;
    if (std::sscanf(options.c_str(), "--page %31s --margins %31s --columns %d", page, given,
                    &columns) == 3) {
        return ckl::RoomComplaint(ckl::PaperFor(page)->size, *ckl::ReadMargins(given), columns)
                   ? "no room"
                   : "room";
    }
    char text[64] = "";
    const std::string_view value = std::string_view(options).substr(options.find(' ') + 1);
    if (options.starts_with("--page ")) {
        std::optional<ckl::Paper> paper = ckl::PaperFor(value);
        // A named paper is no size, which is all the size check speaks of.
        EXPECT_EQ(ckl::CheckPaperSize(value).has_value(),
                  !paper || std::isalpha(static_cast<unsigned char>(value[0])));
        if (paper) {
            std::snprintf(text, sizeof text, "%gx%g %g", paper->size.widthMm, paper->size.heightMm,
                          paper->type.item);
        }
    } else if (std::optional<ckl::PaperMargins> margins = ckl::ReadMargins(value)) {
        std::snprintf(text, sizeof text, "%g,%g,%g,%g", margins->topMm, margins->rightMm,
                      margins->bottomMm, margins->leftMm);
    }
    if (options.starts_with("--margins ")) {
        EXPECT_EQ(ckl::CheckMargins(value).has_value(), *text == '\0');
    }
    return text;
}

struct ReadCase {
    const char* name;
    std::string options;
    std::string read;

    friend void PrintTo(const ReadCase& row, std::ostream* os) { *os << row.name; }
};

// A paper set at least as large as A4 across takes A4's type, a smaller one A5's. 110 mm across
// less the margins and three gaps of 8 mm leave 4 columns of exactly 20 mm, the least.
const ReadCase paperOptions[] = {
    {"PageA4", "--page a4", "210x297 11"},
    {"PageKneeboard", "--page kneeboard", "139.7x215.9 10"},
    {"PageMillimetres", "--page 100x150mm", "100x150 10"},
    {"PageInches", "--page 5.5x8.5in", "139.7x215.9 10"},
    {"PageLargeSetLikeA4", "--page 300x400mm", "300x400 11"},
    {"PageLyingAsGiven", "--page 297x210mm", "297x210 11"},
    {"PageSmallestSides", "--page 50x50mm", "50x50 10"},
    {"PageLargestSides", "--page 600x600mm", "600x600 11"},
    {"PageNameInCapitals", "--page A4", ""},
    {"PageCentimetres", "--page 10x15cm", ""},
    {"PageNoUnit", "--page 100x150", ""},
    {"PageUnitInCapitals", "--page 100x150MM", ""},
    {"PageOneSide", "--page 100mm", ""},
    {"PageThreeSides", "--page 100x150x20mm", ""},
    {"PageNoWidth", "--page x150mm", ""},
    {"PageSideTooShort", "--page 49.9x150mm", ""},
    {"PageSideTooLong", "--page 100x601mm", ""},
    {"PageNegative", "--page -100x150mm", ""},
    {"PageExponent", "--page 1e2x150mm", ""},
    {"PageNotANumber", "--page nanx150mm", ""},
    {"PageTwoPoints", "--page 100.0.0x150mm", ""},
    {"PageSpaces", "--page 100 x 150mm", ""},
    {"PageEmpty", "--page ", ""},
    {"MarginsOneForEverySide", "--margins 12mm", "12,12,12,12"},
    {"MarginsInches", "--margins 0.5in", "12.7,12.7,12.7,12.7"},
    {"MarginsFourInOrder", "--margins 10,12.5,8,14mm", "10,12.5,8,14"},
    {"MarginsNone", "--margins 0mm", "0,0,0,0"},
    {"MarginsWidest", "--margins 100mm", "100,100,100,100"},
    {"MarginsTooWide", "--margins 100.5mm", ""},
    {"MarginsOneOfFourTooWide", "--margins 10,10,10,4in", ""},
    {"MarginsNoUnit", "--margins 12", ""},
    {"MarginsCentimetres", "--margins 1cm", ""},
    {"MarginsTwo", "--margins 10,12mm", ""},
    {"MarginsThree", "--margins 10,12,10mm", ""},
    {"MarginsFive", "--margins 1,2,3,4,5mm", ""},
    {"MarginsEmptySide", "--margins 10,,10,10mm", ""},
    {"MarginsNegative", "--margins -1mm", ""},
    {"MarginsUnitOnEachSide", "--margins 10mm,10mm,10mm,10mm", ""},
    {"MarginsEmpty", "--margins ", ""},
    {"RoomOnA4", "--page a4 --margins 15,16,12,16mm --columns 4", "room"},
    {"RoomOnAKneeboard", "--page kneeboard --margins 22,10,8,10mm --columns 4", "room"},
    {"RoomForColumnsOfTheLeastWidth", "--page 110x150mm --margins 0,0,0,6mm --columns 4", "room"},
    {"NoRoomForNarrowerColumns", "--page 110x150mm --margins 0,0.5,0,6mm --columns 4", "no room"},
    {"RoomOfTheLeastHeight", "--page a5 --margins 85,10,85,10mm --columns 1", "room"},
    {"NoRoomLowerByAHair", "--page a5 --margins 85,10,85.1,10mm --columns 1", "no room"},
};

class PaperOptions : public testing::TestWithParam<ReadCase> {};

TEST_P(PaperOptions, AreReadOrRefused) {
    EXPECT_EQ(Read(GetParam().options), GetParam().read);
}

INSTANTIATE_TEST_SUITE_P(PrintLayout, PaperOptions, testing::ValuesIn(paperOptions),
                         [](const testing::TestParamInfo<ReadCase>& info) {
                             return std::string(info.param.name);
                         });

// --font-size scales every ink alike, so that the page keeps its proportions.
TEST(PrintLayout, FontSizeScalesEveryInk) {
    for (int ink = static_cast<int>(Ink::Title); ink <= static_cast<int>(Ink::NextChecklist);
         ++ink) {
        const double usual = ckl::InkPoints(static_cast<Ink>(ink), {10, 11.5});
        EXPECT_GT(usual, 0) << ink;
        EXPECT_DOUBLE_EQ(ckl::InkPoints(static_cast<Ink>(ink), {10, 11.5}, 50), usual / 2) << ink;
    }
}

// --- the document: its facts, the cover and the groups ---

// What a reader finds, page by page: "1 test.ckl 2 checklists" for the title, the cover and
// "Contents" over the contents, "1 Climb 2" for an entry of them, whose page number ends at the
// sheet's right edge above columnBottom, "2 Climb" for a list's heading, "2 Next: Climb" for the
// line that ends a list, and the remarks.
std::vector<std::string> Landmarks(const PrintPlan& plan, double columnBottom) {
    std::vector<std::string> marks;
    for (std::size_t p = 0; p < plan.pages.size(); ++p) {
        auto mark = [&](const PlacedBlock& block) {
            std::string text = std::to_string(p + 1);
            for (const ckl::PlacedText& placed : block.texts) {
                text += " " + placed.text;
            }
            marks.push_back(text);
        };
        for (const PlacedBlock& block : plan.pages[p].top) {
            mark(block);
            if (block.kind == BlockKind::Contents) {
                EXPECT_EQ(block.texts.back().x + Characters(block.texts.back().text), 30);
                EXPECT_LE(block.texts.back().baseline + 0.25, columnBottom + 1e-9);
            }
        }
        for (const ckl::PlanColumn& column : plan.pages[p].columns) {
            for (const PlacedBlock& block : column.blocks) {
                if (block.kind == BlockKind::ListHeading || block.kind == BlockKind::Remark ||
                    block.kind == BlockKind::NextChecklist) {
                    mark(block);
                }
            }
        }
    }
    return marks;
}

// A file as a converter writes it, the facts of the lists last in "Checklist info".
const std::vector<std::string> facts = {"Name: Cessna 172S",
                                        "Aircraft: D-EXAM",
                                        "Copyright: Example Flying Club",
                                        "Detail: Normal procedures",
                                        "Completion of \"Before takeoff\": next checklist",
                                        "Completion of \"Climb\": map",
                                        "Completion of \"\": next checklist"};

struct DocumentCase {
    const char* name;
    std::vector<std::string> lists; // each of one item, "Checklist info" of the facts
    ckl::PrintContents contents;
    std::vector<std::string> marks;
    int columns = 2;
    double height = 24;

    friend void PrintTo(const DocumentCase& row, std::ostream* os) { *os << row.name; }
};

DocumentCase Document(const char* name, const std::vector<std::string>& lists,
                      ckl::PrintContents contents, const std::vector<std::string>& marks,
                      int columns = 2, double height = 24) {
    return {name, lists, contents, marks, columns, height};
}

class Documents : public testing::TestWithParam<DocumentCase> {};

TEST_P(Documents, PrintWhatTheirFactsAndTheOptionsSay) {
    const DocumentCase& row = GetParam();
    ChecklistDoc doc;
    for (const std::string& name : row.lists) {
        Checklist* list = doc.CreateChecklist();
        list->SetName(name);
        for (const std::string& item : name == "Checklist info" ? facts : std::vector{name + "1"}) {
            list->AppendItem(item);
        }
        doc.AppendChecklist(list);
    }
    FixedMeasurer measurer;
    PrintPlan plan = ckl::LayOutDocument(doc, "test.ckl", measurer, Sheet(row.columns, row.height),
                                         row.contents);
    EXPECT_EQ(Landmarks(plan, row.height - 2), row.marks);
}

const std::vector<std::string> aircraft = {"Before takeoff", "Climb", "", "Checklist info"};
const std::vector<std::string> groups = {"Normal: Preflight", "Normal: Takeoff", "Normal: Climb",
                                         "Emergency: Fire",   "Notes",           "Normal: Landing"};

// Only a completion that leads on gives a "Next:" line, and the last checklist has none, the
// "Checklist info" list being none to fly. With --cover that list becomes the cover, whose
// contents give each list's page, going on over the next page when they must. --group-pages: a
// group (lists named alike before the first ": ") begins a new page; a list named without ": "
// is a group of its own; lists of a group still begin where --start says.
INSTANTIATE_TEST_SUITE_P(
    PrintLayout, Documents,
    testing::Values(
        Document("NextLines", aircraft, {},
                 {"1 test.ckl 4 checklists", "1 Before takeoff", "1 Next: Climb", "1 Climb",
                  "1 (no name)", "1 Checklist info"}),
        Document("Cover", aircraft, {.cover = true},
                 {"1 Cessna 172S Normal procedures Aircraft: D-EXAM Copyright: Example Flying Club",
                  "1 Contents", "1 Before takeoff 2", "1 Climb 2", "1 (no name) 2",
                  "2 Before takeoff", "2 Next: Climb", "2 Climb", "2 (no name)"},
                 1),
        Document("CoverOfNoChecklists", {}, {.cover = true}, {"1 test.ckl", "2 (no checklists)"}),
        Document("ContentsGoOnOverThePage", {"A", "B", "C", "D", "E", "F"},
                 {.cover = true, .start = ckl::ListStart::Page},
                 {"1 test.ckl", "1 Contents", "1 A 3", "1 B 4", "2 C 5", "2 D 6", "2 E 7", "2 F 8",
                  "3 A", "4 B", "5 C", "6 D", "7 E", "8 F"},
                 1, 10),
        Document("GroupPages", groups, {.groupPages = true},
                 {"1 test.ckl 6 checklists", "1 Normal: Preflight", "1 Normal: Takeoff",
                  "1 Normal: Climb", "2 Emergency: Fire", "3 Notes", "4 Normal: Landing"}),
        Document("GroupPagesStartingColumns", groups,
                 {.groupPages = true, .start = ckl::ListStart::Column},
                 {"1 test.ckl 6 checklists", "1 Normal: Preflight", "1 Normal: Takeoff",
                  "2 Normal: Climb", "3 Emergency: Fire", "4 Notes", "5 Normal: Landing"})),
    [](const testing::TestParamInfo<DocumentCase>& info) { return std::string(info.param.name); });

} // namespace
