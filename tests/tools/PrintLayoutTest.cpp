#include "PrintLayout.h"
#include "ChecklistDoc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
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
        FlowCase{"StartColumnGivesEachListAColumn",
                 2,
                 {Numbered("A", 3), Numbered("B", 3), Numbered("C", 3)},
                 "p1c1 A:3 | p1c2 B:3 | p2c1 C:3",
                 false,
                 24,
                 ckl::ListStart::Column},
        FlowCase{"StartColumnInOneColumnGivesEachListAPage",
                 1,
                 {Numbered("A", 3), Numbered("B", 3)},
                 "p1c1 A:3 | p2c1 B:3",
                 false,
                 24,
                 ckl::ListStart::Column},
        FlowCase{"StartPageSkipsTheRestOfThePage",
                 2,
                 {Numbered("A", 3), Numbered("B", 3)},
                 "p1c1 A:3 | p2c1 B:3",
                 false,
                 24,
                 ckl::ListStart::Page},
        FlowCase{"StartPageFirstListStaysUnderTheTitle",
                 2,
                 {Numbered("A", 3), Numbered("B", 3)},
                 "p1c1 A:3 | p2c1 B:3",
                 true,
                 24,
                 ckl::ListStart::Page},
        // A ends atop the second column; B begins on the next page, not in the rest of it.
        FlowCase{"StartPageAfterAListCarriedOver",
                 2,
                 {Numbered("A", 20), Numbered("B", 2)},
                 "p1c1 A:14 | p1c2 A+:6 | p2c1 B:2",
                 false,
                 24,
                 ckl::ListStart::Page},
        FlowCase{"StartColumnStillCarriesLongListsOver",
                 2,
                 {Numbered("A", 2), Numbered("B", 20)},
                 "p1c1 A:2 | p1c2 B:14 | p2c1 B+:6",
                 false,
                 24,
                 ckl::ListStart::Column},
        // The line naming the next checklist belongs to its list: it moves with it and is never
        // carried over alone.
        FlowCase{"NextLineEndsItsList",
                 1,
                 {{"A", {"A1", "A2"}, "B"}, Numbered("B", 2)},
                 "p1c1 A:2> B:2"},
        // B ends at 21.75 without its last line, 23.35 with it.
        FlowCase{"WithoutNextLineTheListFits",
                 2,
                 {Numbered("A", 0), Numbered("B", 12)},
                 "p1c1 A:- B:12"},
        FlowCase{"NextLineCountsInTheWholeList",
                 2,
                 {Numbered("A", 0), {"B", Numbered("B", 12).items, "C"}},
                 "p1c1 A:- | p1c2 B:12>"},
        FlowCase{"NextLineGoesOverWithTheLastItems",
                 1,
                 {{"A", Numbered("A", 14).items, "B"}},
                 "p1c1 A:12 | p2c1 A+:2>"},
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

struct PaperCase {
    const char* name;
    std::string page;
    std::optional<ckl::PaperSize> size; // nothing for a value --page refuses
    double itemPoints = 0;              // the type it is set in

    friend void PrintTo(const PaperCase& row, std::ostream* os) { *os << row.name; }
};

class Papers : public testing::TestWithParam<PaperCase> {};

TEST_P(Papers, AreNamedOrMeasured) {
    const PaperCase& row = GetParam();
    std::optional<ckl::Paper> paper = ckl::PaperFor(row.page);
    EXPECT_EQ(ckl::CheckPaperSize(row.page).has_value(),
              !row.size || row.page == "a4" || row.page == "kneeboard");
    ASSERT_EQ(paper.has_value(), row.size.has_value());
    if (paper) {
        EXPECT_NEAR(paper->size.widthMm, row.size->widthMm, 1e-9);
        EXPECT_NEAR(paper->size.heightMm, row.size->heightMm, 1e-9);
        EXPECT_EQ(paper->type.item, row.itemPoints);
    }
}

INSTANTIATE_TEST_SUITE_P(
    PrintLayout, Papers,
    testing::Values(PaperCase{"A4", "a4", ckl::PaperSize{210, 297}, 11},
                    PaperCase{"Kneeboard", "kneeboard", ckl::PaperSize{139.7, 215.9}, 10},
                    PaperCase{"Millimetres", "100x150mm", ckl::PaperSize{100, 150}, 10},
                    PaperCase{"Inches", "5.5x8.5in", ckl::PaperSize{139.7, 215.9}, 10},
                    PaperCase{"LargeSetLikeA4", "300x400mm", ckl::PaperSize{300, 400}, 11},
                    PaperCase{"LyingAsGiven", "297x210mm", ckl::PaperSize{297, 210}, 11},
                    PaperCase{"SmallestSides", "50x50mm", ckl::PaperSize{50, 50}, 10},
                    PaperCase{"LargestSides", "600x600mm", ckl::PaperSize{600, 600}, 11},
                    PaperCase{"NameInCapitals", "A4", std::nullopt},
                    PaperCase{"Centimetres", "10x15cm", std::nullopt},
                    PaperCase{"NoUnit", "100x150", std::nullopt},
                    PaperCase{"UnitInCapitals", "100x150MM", std::nullopt},
                    PaperCase{"OneSide", "100mm", std::nullopt},
                    PaperCase{"ThreeSides", "100x150x20mm", std::nullopt},
                    PaperCase{"NoWidth", "x150mm", std::nullopt},
                    PaperCase{"SideTooShort", "49.9x150mm", std::nullopt},
                    PaperCase{"SideTooLong", "100x601mm", std::nullopt},
                    PaperCase{"Negative", "-100x150mm", std::nullopt},
                    PaperCase{"Exponent", "1e2x150mm", std::nullopt},
                    PaperCase{"NotANumber", "nanx150mm", std::nullopt},
                    PaperCase{"TwoPoints", "100.0.0x150mm", std::nullopt},
                    PaperCase{"Spaces", "100 x 150mm", std::nullopt},
                    PaperCase{"Empty", "", std::nullopt}),
    [](const testing::TestParamInfo<PaperCase>& info) { return std::string(info.param.name); });

struct MarginsCase {
    const char* name;
    std::string text;
    std::optional<std::array<double, 4>> margins; // top, right, bottom, left; nothing: refused

    friend void PrintTo(const MarginsCase& row, std::ostream* os) { *os << row.name; }
};

class Margins : public testing::TestWithParam<MarginsCase> {};

TEST_P(Margins, AreOneForEverySideOrFour) {
    const MarginsCase& row = GetParam();
    std::optional<ckl::PaperMargins> margins = ckl::ReadMargins(row.text);
    EXPECT_EQ(ckl::CheckMargins(row.text).has_value(), !row.margins.has_value());
    ASSERT_EQ(margins.has_value(), row.margins.has_value());
    if (margins) {
        std::array<double, 4> sides = {margins->topMm, margins->rightMm, margins->bottomMm,
                                       margins->leftMm};
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_NEAR(sides[i], (*row.margins)[i], 1e-9) << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    PrintLayout, Margins,
    testing::Values(MarginsCase{"OneForEverySide", "12mm", std::array<double, 4>{12, 12, 12, 12}},
                    MarginsCase{"Inches", "0.5in", std::array<double, 4>{12.7, 12.7, 12.7, 12.7}},
                    MarginsCase{"FourInOrder", "10,12.5,8,14mm",
                                std::array<double, 4>{10, 12.5, 8, 14}},
                    MarginsCase{"None", "0mm", std::array<double, 4>{0, 0, 0, 0}},
                    MarginsCase{"Widest", "100mm", std::array<double, 4>{100, 100, 100, 100}},
                    MarginsCase{"TooWide", "100.5mm", std::nullopt},
                    MarginsCase{"OneOfFourTooWide", "10,10,10,4in", std::nullopt},
                    MarginsCase{"NoUnit", "12", std::nullopt},
                    MarginsCase{"Centimetres", "1cm", std::nullopt},
                    MarginsCase{"Two", "10,12mm", std::nullopt},
                    MarginsCase{"Three", "10,12,10mm", std::nullopt},
                    MarginsCase{"Five", "1,2,3,4,5mm", std::nullopt},
                    MarginsCase{"EmptySide", "10,,10,10mm", std::nullopt},
                    MarginsCase{"Negative", "-1mm", std::nullopt},
                    MarginsCase{"UnitOnEachSide", "10mm,10mm,10mm,10mm", std::nullopt},
                    MarginsCase{"Empty", "", std::nullopt}),
    [](const testing::TestParamInfo<MarginsCase>& info) { return std::string(info.param.name); });

struct RoomCase {
    const char* name;
    ckl::PaperSize size;
    ckl::PaperMargins margins;
    int columns;
    bool fits;

    friend void PrintTo(const RoomCase& row, std::ostream* os) { *os << row.name; }
};

class Room : public testing::TestWithParam<RoomCase> {};

TEST_P(Room, IsLeftForEveryColumn) {
    const RoomCase& row = GetParam();
    std::optional<std::string> complaint = ckl::RoomComplaint(row.size, row.margins, row.columns);
    EXPECT_EQ(!complaint.has_value(), row.fits) << complaint.value_or("");
}

INSTANTIATE_TEST_SUITE_P(
    PrintLayout, Room,
    testing::Values(
        RoomCase{"FourColumnsOnA4", {210, 297}, {15, 16, 12, 16}, 4, true},
        RoomCase{"FourColumnsOnAKneeboard", {139.7, 215.9}, {22, 10, 8, 10}, 4, true},
        // 110 mm across less the margins and three gaps of 8 mm: 4 columns of exactly 20 mm.
        RoomCase{"ColumnsOfTheLeastWidth", {110, 150}, {0, 0, 0, 6}, 4, true},
        RoomCase{"ColumnsTooNarrow", {110, 150}, {0, 0.5, 0, 6}, 4, false},
        RoomCase{"MarginsMeetAcross", {148, 210}, {10, 74, 10, 74}, 1, false},
        RoomCase{"MarginsCrossDown", {148, 210}, {100, 10, 100, 10}, 1, false},
        RoomCase{"LeastHeight", {148, 210}, {85, 10, 85, 10}, 1, true},
        RoomCase{"TooLowByAHair", {148, 210}, {85, 10, 85.1, 10}, 1, false}),
    [](const testing::TestParamInfo<RoomCase>& info) { return std::string(info.param.name); });

// --font-size scales every ink alike, so that the page keeps its proportions.
TEST(PrintLayout, FontSizeScalesEveryInk) {
    const ckl::TypeSizes type{10, 11.5};
    for (int ink = static_cast<int>(Ink::Title); ink <= static_cast<int>(Ink::NextChecklist);
         ++ink) {
        const Ink each = static_cast<Ink>(ink);
        const double usual = ckl::InkPoints(each, type);
        EXPECT_GT(usual, 0) << ink;
        EXPECT_DOUBLE_EQ(ckl::InkPoints(each, type, 50), usual / 2) << ink;
        EXPECT_DOUBLE_EQ(ckl::InkPoints(each, type, 300), usual * 3) << ink;
    }
}

// --- the document: its facts, the cover and the groups ---

// A checklist of doc named name with items.
Checklist* AddList(ChecklistDoc& doc, std::string_view name,
                   const std::vector<std::string>& items) {
    Checklist* list = doc.CreateChecklist();
    list->SetName(name);
    for (const std::string& item : items) {
        list->AppendItem(item);
    }
    doc.AppendChecklist(list);
    return list;
}

// Every heading's text in the plan with the page it is on, "2:Before landing".
std::vector<std::string> Headings(const PrintPlan& plan) {
    std::vector<std::string> headings;
    for (std::size_t p = 0; p < plan.pages.size(); ++p) {
        for (const ckl::PlanColumn& column : plan.pages[p].columns) {
            for (const PlacedBlock& block : column.blocks) {
                if (block.kind == BlockKind::ListHeading) {
                    headings.push_back(std::to_string(p + 1) + ":" + Joined(block, Ink::Heading));
                }
            }
        }
    }
    return headings;
}

// The "Next:" lines in order, each after the heading of the list it ends.
std::vector<std::string> NextLines(const PrintPlan& plan) {
    std::vector<std::string> lines;
    std::string list;
    for (const ckl::PlanPage& page : plan.pages) {
        for (const ckl::PlanColumn& column : page.columns) {
            for (const PlacedBlock& block : column.blocks) {
                if (block.kind == BlockKind::ListHeading) {
                    list = Joined(block, Ink::Heading);
                } else if (block.kind == BlockKind::NextChecklist) {
                    lines.push_back(list + " -> " + Joined(block, Ink::NextChecklist));
                }
            }
        }
    }
    return lines;
}

// A file as a converter writes it: three lists, the metadata and the facts of the lists last.
void FillAircraftFile(ChecklistDoc& doc) {
    AddList(doc, "Before takeoff", {"Flaps ..... SET"});
    AddList(doc, "Climb", {"Power ..... FULL"});
    AddList(doc, "Before landing", {"Mixture ..... RICH"});
    AddList(doc, "Checklist info",
            {"Name: Cessna 172S", "Aircraft: D-EXAM", "Copyright: Example Flying Club",
             "Detail: Normal procedures", "Completion of \"Before takeoff\": next checklist",
             "Completion of \"Climb\": map", "Completion of \"Before landing\": next checklist"});
}

TEST(PrintLayout, CompletionLeadsToTheNextChecklist) {
    FixedMeasurer measurer;
    ChecklistDoc doc;
    FillAircraftFile(doc);
    for (bool cover : {false, true}) {
        SCOPED_TRACE(cover ? "cover" : "no cover");
        PrintPlan plan = ckl::LayOutDocument(doc, "c172.ckl", measurer, Sheet(1), {.cover = cover});
        // Another completion gives no line, nor does the last list: nothing follows it, the
        // "Checklist info" list is no checklist to fly.
        EXPECT_EQ(NextLines(plan), std::vector<std::string>{"Before takeoff -> Next: Climb"});
    }
}

TEST(PrintLayout, WithoutCoverTheInfoListPrintsAsToday) {
    FixedMeasurer measurer;
    ChecklistDoc doc;
    FillAircraftFile(doc);
    PrintPlan plan = ckl::LayOutDocument(doc, "c172.ckl", measurer, Sheet(2));
    EXPECT_EQ(Joined(plan.pages[0].top[0], Ink::Subtitle), "4 checklists");
    EXPECT_EQ(Headings(plan).back(), "1:Checklist info");
}

TEST(PrintLayout, CoverShowsTheFileAndItsContents) {
    FixedMeasurer measurer;
    ChecklistDoc doc;
    FillAircraftFile(doc);
    Checklist* unnamed = doc.CreateChecklist(); // a list without a name before the info list
    unnamed->SetName("");
    doc.AppendChecklist(unnamed, doc.ChecklistAt(2));
    PrintPlan plan = ckl::LayOutDocument(doc, "c172.ckl", measurer, Sheet(1), {.cover = true});
    ASSERT_GE(plan.pages.size(), 2u);
    const ckl::PlanPage& cover = plan.pages[0];
    for (const ckl::PlanColumn& column : cover.columns) {
        EXPECT_TRUE(column.blocks.empty()); // the cover holds nothing but itself
    }
    ASSERT_FALSE(cover.top.empty());
    EXPECT_EQ(Joined(cover.top[0], Ink::CoverTitle), "Cessna 172S");
    EXPECT_EQ(Joined(cover.top[0], Ink::Subtitle), "Normal procedures");
    EXPECT_EQ(Joined(cover.top[0], Ink::Label), "Aircraft: Copyright:");
    EXPECT_EQ(Joined(cover.top[0], Ink::Item), "D-EXAM Example Flying Club");
    // Each entry of the contents gives the page its list begins on.
    std::vector<std::string> contents;
    for (const ckl::PlanPage& page : plan.pages) {
        for (const PlacedBlock& block : page.top) {
            if (block.kind == BlockKind::Contents) {
                ASSERT_EQ(block.texts.size(), 2u);
                EXPECT_EQ(block.texts[1].x + Characters(block.texts[1].text), 30);
                contents.push_back(block.texts[1].text + ":" + block.texts[0].text);
            }
        }
    }
    EXPECT_EQ(contents, Headings(plan));
    EXPECT_EQ(contents, (std::vector<std::string>{"2:Before takeoff", "2:Climb", "2:Before landing",
                                                  "2:(no name)"}));
    EXPECT_EQ(Joined(plan.pages[0].footer, Ink::Footer), "c172.ckl Page 1 of 2");
}

// Contents longer than a page go on over the next, and still give the right pages.
TEST(PrintLayout, LongContentsGoOnOverThePage) {
    FixedMeasurer measurer;
    ChecklistDoc doc;
    for (int i = 1; i <= 40; ++i) {
        AddList(doc, "List " + std::to_string(i), {"Item"});
    }
    PrintPlan plan = ckl::LayOutDocument(doc, "many.ckl", measurer, Sheet(1),
                                         {.cover = true, .start = ckl::ListStart::Page});
    std::vector<std::string> contents;
    for (std::size_t p = 0; p < plan.pages.size(); ++p) {
        for (const PlacedBlock& block : plan.pages[p].top) {
            if (block.kind == BlockKind::Contents) {
                contents.push_back(block.texts[1].text + ":" + block.texts[0].text);
                for (const ckl::PlacedText& text : block.texts) {
                    EXPECT_LE(text.baseline + 0.25, 22 + 1e-9) << text.text;
                }
            }
        }
    }
    EXPECT_EQ(contents, Headings(plan));
    ASSERT_EQ(contents.size(), 40u);
    EXPECT_EQ(contents.front(), "4:List 1"); // after three pages of contents
    EXPECT_EQ(contents.back(), "43:List 40");
}

TEST(PrintLayout, CoverOfNoChecklists) {
    FixedMeasurer measurer;
    ChecklistDoc doc;
    PrintPlan plan = ckl::LayOutDocument(doc, "empty.ckl", measurer, Sheet(2), {.cover = true});
    ASSERT_EQ(plan.pages.size(), 2u);
    EXPECT_EQ(Joined(plan.pages[0].top[0], Ink::CoverTitle), "empty.ckl");
    EXPECT_EQ(Joined(plan.pages[1].columns[0].blocks[0], Ink::Remark), "(no checklists)");
}

// --group-pages: a group (lists named alike before the first ": ") begins a new page; a list
// named without ": " is a group of its own.
TEST(PrintLayout, GroupsBeginNewPages) {
    FixedMeasurer measurer;
    ChecklistDoc doc;
    for (const char* name : {"Normal: Preflight", "Normal: Takeoff", "Emergency: Fire",
                             "Emergency: Ditching", "Notes", "Normal: Landing"}) {
        AddList(doc, name, {"Item"});
    }
    PrintPlan plan =
        ckl::LayOutDocument(doc, "groups.ckl", measurer, Sheet(2), {.groupPages = true});
    EXPECT_EQ(Headings(plan), (std::vector<std::string>{
                                  "1:Normal: Preflight", "1:Normal: Takeoff", "2:Emergency: Fire",
                                  "2:Emergency: Ditching", "3:Notes", "4:Normal: Landing"}));
    // Lists of a group still begin where --start says.
    plan = ckl::LayOutDocument(doc, "groups.ckl", measurer, Sheet(2),
                               {.groupPages = true, .start = ckl::ListStart::Column});
    EXPECT_EQ(Outline(plan), "p1c1 Normal: Preflight:1 | p1c2 Normal: Takeoff:1 | p2c1 Emergency: "
                             "Fire:1 | p2c2 Emergency: Ditching:1 | p3c1 Notes:1 | p4c1 Normal: "
                             "Landing:1");
}

} // namespace
