#include "PrintLayout.h"
#include "ChecklistDoc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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
           kind != BlockKind::Footer;
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
// second column of the first page; "B+" is its "(continued)" heading and "B:-" says "no items".
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
                 double height = 24) {
    FixedMeasurer measurer;
    ckl::PrintLayout layout(measurer, Sheet(columns, height));
    if (title) {
        layout.AddTitle("test.ckl", "some checklists");
    }
    for (const TestList& list : lists) {
        std::vector<std::string_view> items(list.items.begin(), list.items.end());
        layout.AddChecklist(list.name, {}, items);
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

    friend void PrintTo(const FlowCase& row, std::ostream* os) { *os << row.name; }
};

class Flow : public testing::TestWithParam<FlowCase> {};

TEST_P(Flow, PlacesListsInColumnsAndPages) {
    const FlowCase& row = GetParam();
    PrintPlan plan = LayOut(row.lists, row.columns, row.title, row.height);
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
                 "p1c1 A:11 | p1c2 A+:4"}),
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
