#include "PrintLayout.h"

#include "ChecklistDoc.h"
#include "CklConventions.h"

#include <algorithm>

namespace ckl {

// One printed line of an item: its texts, each at its own place from the item's left edge,
// and a dot leader between a challenge and its response.
struct PrintLayout::Row {
    struct Piece {
        std::string text;
        Ink ink;
        double x;
    };
    std::vector<Piece> pieces;
    double height = 0;
    double ascent = 0;
    double leaderFrom = 0;
    double leaderTo = 0; // no leader when not beyond leaderFrom
};

// An item as it is printed: its lines, whether it gets a box to tick, and the frame that sets
// cautions and warnings apart.
struct PrintLayout::Block {
    enum class Frame { None, Caution, Warning };
    BlockKind kind = BlockKind::Challenge;
    int indentLevels = 0;
    bool centered = false;
    std::vector<Row> rows;
    bool box = false;
    Frame frame = Frame::None;
    double indent = 0;
    double gapAbove = 0;
};

PrintLayout::PrintLayout(const PrintMeasurer& measurer, const PrintSheet& sheet)
    : measurer(measurer), sheet(sheet) {
    int columns = std::max(sheet.columns, 1);
    this->sheet.columns = columns;
    gutter = columns > 1 ? Mm(8) : 0;
    columnWidth = (sheet.width - gutter * (columns - 1)) / columns;
    columnBottom = sheet.height - measurer.LineSpacing(Ink::Footer) * 2;
    boxSide = measurer.Ascent(Ink::Item) * 0.85;
    itemIndent = boxSide + Mm(2.5);
    itemGap = measurer.LineSpacing(Ink::Item) * 0.45;
    plan.pages.push_back({.columns = std::vector<PlanColumn>(static_cast<std::size_t>(columns))});
}

void PrintLayout::AddTitle(std::string_view title, std::string_view subtitle) {
    PlacedBlock block{.kind = BlockKind::DocumentTitle};
    PlaceLines(block, measurer.Wrap(title, Ink::Title, sheet.width), Ink::Title, 0);
    PlaceLines(block, measurer.Wrap(subtitle, Ink::Subtitle, sheet.width), Ink::Subtitle, 0);
    y += Mm(3);
    block.rules.push_back({0, y, sheet.width, y, 0.4});
    y += Mm(5);
    columnTop = y;
    plan.pages[page].top.push_back(std::move(block));
}

void PrintLayout::AddChecklist(std::string_view name, const std::vector<std::string>& hotButtons,
                               const std::vector<std::string_view>& items) {
    std::vector<std::string> heading = measurer.Wrap(name, Ink::Heading, columnWidth);
    std::vector<std::vector<std::string>> buttonLines;
    double headingHeight = Height(heading, Ink::Heading) + Mm(2.5);
    for (const std::string& button : hotButtons) {
        buttonLines.push_back(measurer.Wrap(button, Ink::HotButton, columnWidth));
        headingHeight += Height(buttonLines.back(), Ink::HotButton);
    }
    std::vector<Block> blocks;
    for (std::string_view item : items) {
        blocks.push_back(MakeBlock(item));
    }
    double firstHeight = LineHeight(Ink::Remark);
    if (!blocks.empty()) {
        firstHeight = 0;
        for (std::size_t i = 0; i < blocks[0].rows.size() && i < 3; ++i) {
            firstHeight += blocks[0].rows[i].height;
        }
    }
    double wholeHeight = headingHeight + Mm(2.5) + (blocks.empty() ? firstHeight : 0);
    for (const Block& block : blocks) {
        wholeHeight += Height(block) + itemGap;
    }
    if (y > columnTop) {
        y += Mm(6);
    }
    // A list that fits in a column is never split: turning the page halfway through a
    // checklist is what a paper copy must spare its reader. Longer lists start where they
    // are, but a heading never stands alone at the foot of a column.
    double nextColumnTop = column + 1 < plan.pages[page].columns.size() ? columnTop : 0;
    bool fitsInNextColumn = nextColumnTop + wholeHeight <= columnBottom;
    MakeRoom(fitsInNextColumn ? wholeHeight : headingHeight + firstHeight, Carry::Nothing);
    PlaceHeading(BlockKind::ListHeading, heading, buttonLines);
    if (blocks.empty()) {
        PlacedBlock remark{.kind = BlockKind::Remark};
        PlaceLines(remark, {"(no items)"}, Ink::Remark, itemIndent);
        Column().blocks.push_back(std::move(remark));
        return;
    }
    continuedName = name;
    itemsInColumn = 0;
    constexpr std::size_t shortestTail = 3;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        // A list carried over takes at least a few items with it, never a lone last one.
        if (blocks.size() - i == shortestTail && itemsInColumn >= shortestTail) {
            double tail = 0;
            for (std::size_t j = i; j < blocks.size(); ++j) {
                tail += Height(blocks[j]) + itemGap;
            }
            MakeRoom(tail - itemGap, Carry::List);
        }
        PlaceBlock(blocks[i]);
    }
}

void PrintLayout::AddNothing() {
    PlacedBlock remark{.kind = BlockKind::Remark};
    PlaceLines(remark, {"(no checklists)"}, Ink::Remark, 0);
    Column().blocks.push_back(std::move(remark));
}

PrintPlan PrintLayout::Finish(std::string_view fileName) {
    double lineSpacing = measurer.LineSpacing(Ink::Footer);
    double ruleY = sheet.height - lineSpacing * 1.4;
    double baseline = sheet.height - measurer.Descent(Ink::Footer);
    std::string pages = std::to_string(plan.pages.size());
    for (std::size_t i = 0; i < plan.pages.size(); ++i) {
        std::string number = "Page " + std::to_string(i + 1) + " of " + pages;
        PlacedBlock& footer = plan.pages[i].footer;
        footer = {.kind = BlockKind::Footer};
        footer.rules.push_back({0, ruleY, sheet.width, ruleY, 0.2, false, Ink::Footer});
        footer.texts.push_back({0, baseline, std::string(fileName), Ink::Footer});
        footer.texts.push_back(
            {sheet.width - measurer.Advance(number, Ink::Footer), baseline, number, Ink::Footer});
    }
    return std::move(plan);
}

double PrintLayout::Height(const std::vector<std::string>& lines, Ink ink) const {
    return LineHeight(ink) * static_cast<double>(lines.size());
}

double PrintLayout::Height(const Block& block) const {
    double height = block.gapAbove + (block.frame != Block::Frame::None ? Mm(2) : 0);
    for (const Row& row : block.rows) {
        height += row.height;
    }
    return height;
}

// The one place that breaks columns and pages. When a piece height tall does not fit between
// the flow and the foot of a column that already holds something, leaving is called and the
// flow goes on atop the next column, or the next page after the last column; a list carried
// on is headed there by its name and "(continued)". A piece at the top of a column stays
// there however tall it is, so every piece is placed after at most one break.
bool PrintLayout::MakeRoom(double height, Carry carry, const std::function<void()>& leaving) {
    if (y <= columnTop || y + height <= columnBottom) {
        return false;
    }
    if (leaving) {
        leaving();
    }
    if (++column == plan.pages[page].columns.size()) {
        column = 0;
        ++page;
        columnTop = 0;
        plan.pages.push_back({.columns = std::vector<PlanColumn>(plan.pages[0].columns.size())});
    }
    y = columnTop;
    if (carry == Carry::List) {
        itemsInColumn = 0;
        PlaceHeading(BlockKind::ContinuedHeading,
                     measurer.Wrap(continuedName + " (continued)", Ink::Heading, columnWidth), {});
    }
    return true;
}

void PrintLayout::PlaceLines(PlacedBlock& block, const std::vector<std::string>& lines, Ink ink,
                             double indent) {
    double ascent = measurer.Ascent(ink);
    double lineSpacing = measurer.LineSpacing(ink);
    for (const std::string& line : lines) {
        block.texts.push_back({X() + indent, y + ascent, line, ink});
        y += lineSpacing;
    }
}

// A list's name with its hot buttons, ruled off from its items.
void PrintLayout::PlaceHeading(BlockKind kind, const std::vector<std::string>& lines,
                               const std::vector<std::vector<std::string>>& buttonLines) {
    PlacedBlock block{.kind = kind};
    PlaceLines(block, lines, Ink::Heading, 0);
    for (const std::vector<std::string>& button : buttonLines) {
        PlaceLines(block, button, Ink::HotButton, 0);
    }
    y += Mm(1);
    block.rules.push_back({X(), y, X() + columnWidth, y, 0.3});
    y += Mm(1.5);
    Column().blocks.push_back(std::move(block));
}

// An item with its box; kept in one piece unless it is taller than a whole column, when it
// starts where its first line fits and breaks between lines.
void PrintLayout::PlaceBlock(const Block& block) {
    bool framed = block.frame != Block::Frame::None;
    double inset = framed ? Mm(1.5) : 0;
    double height = Height(block);
    double tallest = columnBottom - columnTop - 4 * LineHeight(Ink::Item);
    double firstRow = block.gapAbove + (framed ? Mm(1) : 0) + block.rows[0].height;
    MakeRoom(height <= tallest ? height : firstRow, Carry::List);
    y += block.gapAbove;
    PlacedBlock piece{.kind = block.kind, .indent = block.indentLevels, .centered = block.centered};
    double frameTop = y;
    auto closeFrame = [&] {
        if (framed) {
            double left = X() + block.indent;
            bool warning = block.frame == Block::Frame::Warning;
            piece.boxes.push_back({left, frameTop, columnWidth - block.indent, y + Mm(1) - frameTop,
                                   warning ? 0.8 : 0.35});
        }
    };
    if (framed) {
        y += Mm(1);
    }
    for (std::size_t i = 0; i < block.rows.size(); ++i) {
        const Row& row = block.rows[i];
        bool moved = i > 0 && MakeRoom(row.height, Carry::List, [&] {
                         closeFrame();
                         Column().blocks.push_back(std::move(piece));
                     });
        if (moved) {
            piece = {.kind = block.kind, .indent = block.indentLevels, .centered = block.centered};
            frameTop = y;
        }
        double left = X() + block.indent + inset + (block.box ? itemIndent : 0);
        double baseline = y + row.ascent;
        if (i == 0 && block.box) {
            piece.boxes.push_back({X() + block.indent, baseline - boxSide, boxSide, boxSide});
        }
        for (const Row::Piece& text : row.pieces) {
            if (text.ink == Ink::WarningLabel) {
                double ascent = measurer.Ascent(Ink::WarningLabel);
                piece.boxes.push_back({left + text.x - Mm(0.6), baseline - ascent,
                                       measurer.Advance(text.text, text.ink) + Mm(1.2),
                                       ascent + measurer.Descent(Ink::WarningLabel), 0, true});
            }
            if (!text.text.empty()) {
                piece.texts.push_back({left + text.x, baseline, text.text, text.ink});
            }
        }
        if (row.leaderTo > row.leaderFrom) {
            piece.rules.push_back(
                {left + row.leaderFrom, baseline, left + row.leaderTo, baseline, 0.35, true});
        }
        y += row.height;
    }
    if (framed) {
        closeFrame();
        y += Mm(1);
    }
    Column().blocks.push_back(std::move(piece));
    ++itemsInColumn;
    y += itemGap;
}

PrintLayout::Row PrintLayout::TextRow(std::string text, Ink ink, double x) const {
    return {{{std::move(text), ink, x}}, measurer.LineSpacing(ink), measurer.Ascent(ink)};
}

// Rows for text wrapped to width, the first starting after a label.
std::vector<PrintLayout::Row> PrintLayout::LabelledRows(std::string_view label, Ink labelInk,
                                                        std::string_view text, Ink ink,
                                                        double width) const {
    double labelWidth = measurer.Advance(std::string(label) + " ", labelInk) +
                        Mm(labelInk == Ink::WarningLabel ? 1.5 : 0);
    std::vector<Row> rows;
    for (std::string& line : measurer.Wrap(text, ink, std::max(width - labelWidth, Mm(15)))) {
        rows.push_back(TextRow(std::move(line), ink, labelWidth));
    }
    rows[0].pieces.insert(rows[0].pieces.begin(), {std::string(label), labelInk, 0});
    return rows;
}

// How an item is printed, by the conventions its text follows: titles as headings inside the
// list, notes, cautions and warnings set apart in ways that survive black and white copies,
// and each response at the right edge behind a dot leader.
PrintLayout::Block PrintLayout::MakeBlock(std::string_view text) const {
    convert::Item item = convert::ParseItem(text, convert::ItemStyle::Ckl);
    Block block;
    block.indentLevels = item.indent;
    block.centered = item.centered;
    block.indent = Mm(4) * item.indent;
    double width = columnWidth - block.indent;
    double inset = Mm(1.5);
    auto wrapped = [&](Ink ink, double wrapWidth) {
        for (std::string& line : measurer.Wrap(item.prompt, ink, wrapWidth)) {
            block.rows.push_back(TextRow(std::move(line), ink, 0));
        }
    };
    switch (item.kind) {
    case convert::ItemKind::Space:
        block.kind = BlockKind::Space;
        block.rows.push_back(TextRow({}, Ink::Item, 0));
        block.rows[0].height *= 0.5;
        return block;
    case convert::ItemKind::Title:
        block.kind = BlockKind::Title;
        block.gapAbove = Mm(1.5);
        wrapped(Ink::ListTitle, width);
        break;
    case convert::ItemKind::Note:
        // Notes and plain text stand in line with the texts of the items, not their boxes.
        block.kind = BlockKind::Note;
        block.indent += itemIndent;
        width -= itemIndent;
        block.rows = LabelledRows("NOTE:", Ink::Label, item.prompt, Ink::Note, width);
        break;
    case convert::ItemKind::Caution:
        block.kind = BlockKind::Caution;
        block.frame = Block::Frame::Caution;
        block.rows =
            LabelledRows("CAUTION:", Ink::Label, item.prompt, Ink::Item, width - 2 * inset);
        break;
    case convert::ItemKind::Warning:
        block.kind = BlockKind::Warning;
        block.frame = Block::Frame::Warning;
        block.rows = LabelledRows("WARNING:", Ink::WarningLabel, item.prompt, Ink::WarningText,
                                  width - 2 * inset);
        break;
    case convert::ItemKind::PlainText:
        block.kind = BlockKind::PlainText;
        block.indent += itemIndent;
        width -= itemIndent;
        wrapped(Ink::Item, width);
        break;
    case convert::ItemKind::ChallengeResponse:
        block.kind = BlockKind::ChallengeResponse;
        block.box = true;
        block.rows = ResponseRows(item.prompt, item.expectation, width - itemIndent);
        break;
    case convert::ItemKind::Challenge:
        block.kind = BlockKind::Challenge;
        block.box = true;
        wrapped(Ink::Item, width - itemIndent);
        break;
    }
    if (item.centered) {
        double room = width - (block.box ? itemIndent : 0);
        for (Row& row : block.rows) {
            if (row.pieces.size() == 1) {
                Row::Piece& only = row.pieces[0];
                only.x = std::max<double>(0, (room - measurer.Advance(only.text, only.ink)) / 2);
            }
        }
    }
    return block;
}

// The challenge wrapped from the left, the response at the right edge of the last line behind
// a dot leader, or on a line of its own when the two do not fit together.
std::vector<PrintLayout::Row> PrintLayout::ResponseRows(std::string_view challenge,
                                                        std::string_view response,
                                                        double width) const {
    double gap = Mm(1.5);
    double leastLeader = Mm(6);
    std::vector<std::string> responseLines = measurer.Wrap(response, Ink::Item, width * 0.6);
    std::vector<Row> rows;
    for (std::string& line : measurer.Wrap(challenge, Ink::Item, width)) {
        rows.push_back(TextRow(std::move(line), Ink::Item, 0));
    }
    double responseWidth = measurer.Advance(responseLines[0], Ink::Item);
    double lastWidth =
        challenge.empty() ? -gap : measurer.Advance(rows.back().pieces[0].text, Ink::Item);
    if (lastWidth + 2 * gap + leastLeader + responseWidth > width) {
        rows.push_back(TextRow({}, Ink::Item, 0));
        lastWidth = -gap;
    }
    for (std::size_t i = 0; i < responseLines.size(); ++i) {
        if (i > 0) {
            rows.push_back(TextRow({}, Ink::Item, 0));
        }
        double lineWidth = measurer.Advance(responseLines[i], Ink::Item);
        rows.back().pieces.push_back({responseLines[i], Ink::Item, width - lineWidth});
        if (i == 0) {
            rows.back().leaderFrom = lastWidth + gap;
            rows.back().leaderTo = width - lineWidth - gap;
        }
    }
    return rows;
}

namespace {

// The lines under a checklist's name that say which hot buttons lead to it, numbered 1 to 4
// as the buttons stand under the list.
std::vector<std::string> HotButtonLines(const ChecklistDoc& doc, const Checklist& list) {
    std::vector<std::string> lines;
    int number = 0;
    for (const HotButtonSlot& slot : doc.HotButtons()) {
        ++number;
        if (slot.checklist == &list) {
            lines.push_back("\u2605 Hot button " + std::to_string(number) + ": " + slot.caption);
        }
    }
    return lines;
}

} // namespace

PrintPlan LayOutDocument(const ChecklistDoc& doc, std::string_view fileName,
                         const PrintMeasurer& measurer, const PrintSheet& sheet) {
    PrintLayout layout(measurer, sheet);
    int count = doc.ChecklistCount();
    layout.AddTitle(fileName, count == 1 ? "1 checklist" : std::to_string(count) + " checklists");
    if (count == 0) {
        layout.AddNothing();
    }
    for (const Checklist& list : doc.Checklists()) {
        std::vector<std::string_view> items;
        items.reserve(static_cast<std::size_t>(list.ItemCount()));
        for (const ChecklistItem& item : list.Items()) {
            items.push_back(item.text);
        }
        std::string_view name = list.name;
        layout.AddChecklist(name.empty() ? "(no name)" : name, HotButtonLines(doc, list), items);
    }
    return layout.Finish(fileName);
}

} // namespace ckl
