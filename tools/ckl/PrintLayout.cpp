#include "PrintLayout.h"

#include "ChecklistDoc.h"
#include "CklConventions.h"
#include "ItemRules.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>

namespace ckl {
namespace {

// Between the columns of a page.
constexpr double columnGapMm = 8;
// The least a column may be across and down, so that a word or two fit on a line and a list
// heading with a few items in a column.
constexpr double leastColumnWidthMm = 20;
constexpr double leastColumnHeightMm = 40;

constexpr double leastPageSideMm = 50;
constexpr double mostPageSideMm = 600;
constexpr double mostMarginMm = 100;
constexpr double mmPerInch = 25.4;

struct NamedPaper {
    std::string_view name;
    Paper paper;
};
// A kneeboard's clip covers the top of the sheet.
constexpr std::array<NamedPaper, 4> namedPapers = {{
    {"a4", {{210, 297}, {15, 16, 12, 16}, {11, 13}}},
    {"letter", {{8.5 * mmPerInch, 11 * mmPerInch}, {15, 16, 12, 16}, {11, 13}}},
    {"a5", {{148, 210}, {12, 12, 10, 12}, {10, 12}}},
    {"kneeboard", {{5.5 * mmPerInch, 8.5 * mmPerInch}, {22, 10, 8, 10}, {10, 11.5}}},
}};

// A decimal number that fills text: digits with at most one point, no sign, no exponent.
std::optional<double> ReadDecimal(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string_view::npos) {
        return std::nullopt;
    }
    double value = 0;
    auto [end, ec] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// Numbers separated by separator and followed by "mm" or "in", in millimetres.
std::vector<double> ReadLengths(std::string_view text, char separator) {
    double mmPerUnit = text.ends_with("mm") ? 1 : text.ends_with("in") ? mmPerInch : 0;
    if (mmPerUnit == 0) {
        return {};
    }
    text.remove_suffix(2);
    std::vector<double> lengths;
    for (;;) {
        std::size_t end = text.find(separator);
        std::optional<double> number = ReadDecimal(text.substr(0, end));
        if (!number) {
            return {};
        }
        lengths.push_back(*number * mmPerUnit);
        if (end == std::string_view::npos) {
            return lengths;
        }
        text.remove_prefix(end + 1);
    }
}

std::optional<PaperSize> ReadPaperSize(std::string_view text) {
    std::vector<double> sides = ReadLengths(text, 'x');
    if (sides.size() != 2 || std::any_of(sides.begin(), sides.end(), [](double side) {
            return side < leastPageSideMm || side > mostPageSideMm;
        })) {
        return std::nullopt;
    }
    return PaperSize{sides[0], sides[1]};
}

std::string Millimetres(double mm) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", mm);
    return text;
}

double ColumnWidthMm(double widthMm, int columns) {
    return (widthMm - columnGapMm * (columns - 1)) / columns;
}

} // namespace

double InkPoints(Ink ink, const TypeSizes& type, int percent) {
    double points = type.item;
    switch (ink) {
    case Ink::Title:
        points = type.heading + 4;
        break;
    case Ink::Subtitle:
        points = type.item - 1.5;
        break;
    case Ink::Heading:
        points = type.heading;
        break;
    case Ink::HotButton:
    case Ink::Remark:
        points = type.item - 1;
        break;
    case Ink::Footer:
        points = 8;
        break;
    case Ink::ListTitle:
        points = type.item + 0.5;
        break;
    case Ink::CoverTitle:
        points = type.heading * 2;
        break;
    case Ink::Item:
    case Ink::Note:
    case Ink::Label:
    case Ink::WarningLabel:
    case Ink::WarningText:
    case Ink::NextChecklist:
        break;
    }
    return points * percent / 100;
}

std::vector<std::string_view> PaperNames() {
    std::vector<std::string_view> names;
    for (const NamedPaper& named : namedPapers) {
        names.push_back(named.name);
    }
    return names;
}

std::optional<Paper> PaperFor(std::string_view page) {
    for (const NamedPaper& named : namedPapers) {
        if (named.name == page) {
            return named.paper;
        }
    }
    std::optional<PaperSize> size = ReadPaperSize(page);
    if (!size) {
        return std::nullopt;
    }
    Paper paper = namedPapers[std::min(size->widthMm, size->heightMm) < 160 ? 2 : 0].paper;
    paper.size = *size;
    return paper;
}

std::optional<PaperMargins> ReadMargins(std::string_view text) {
    std::vector<double> sides = ReadLengths(text, ',');
    if ((sides.size() != 1 && sides.size() != 4) ||
        std::any_of(sides.begin(), sides.end(), [](double side) { return side > mostMarginMm; })) {
        return std::nullopt;
    }
    if (sides.size() == 1) {
        return PaperMargins{sides[0], sides[0], sides[0], sides[0]};
    }
    return PaperMargins{sides[0], sides[1], sides[2], sides[3]};
}

std::optional<std::string> CheckPaperSize(std::string_view value) {
    if (ReadPaperSize(value)) {
        return std::nullopt;
    }
    return "a size WxH such as 100x150mm or 5.5x8.5in, each side " + Millimetres(leastPageSideMm) +
           " to " + Millimetres(mostPageSideMm) + " mm";
}

std::optional<std::string> CheckMargins(std::string_view value) {
    if (ReadMargins(value)) {
        return std::nullopt;
    }
    return "one margin for every side or four (top, right, bottom, left) such as 12mm, 0.5in "
           "or 10,12,10,12mm, each 0 to " +
           Millimetres(mostMarginMm) + " mm";
}

std::optional<std::string> RoomComplaint(PaperSize size, const PaperMargins& margins, int columns) {
    double width = size.widthMm - margins.leftMm - margins.rightMm;
    double height = size.heightMm - margins.topMm - margins.bottomMm;
    if (ColumnWidthMm(width, columns) >= leastColumnWidthMm && height >= leastColumnHeightMm) {
        return std::nullopt;
    }
    return "the margins leave " + Millimetres(std::max(width, 0.0)) + " by " +
           Millimetres(std::max(height, 0.0)) + " mm of the " + Millimetres(size.widthMm) + " by " +
           Millimetres(size.heightMm) + " mm page, too little for " + std::to_string(columns) +
           (columns == 1 ? " column" : " columns") + " of at least " +
           Millimetres(leastColumnWidthMm) + " by " + Millimetres(leastColumnHeightMm) + " mm";
}

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
    gutter = columns > 1 ? Mm(columnGapMm) : 0;
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

void PrintLayout::AddCover(std::string_view name, std::string_view detail,
                           const std::vector<std::pair<std::string, std::string>>& fields,
                           const std::vector<std::string>& contents) {
    // The name stands a little down the page, as on the cover of a book.
    y = std::min(sheet.height / 8, Mm(30));
    PlacedBlock cover{.kind = BlockKind::Cover};
    PlaceLines(cover, measurer.Wrap(name, Ink::CoverTitle, sheet.width), Ink::CoverTitle, 0);
    if (!detail.empty()) {
        y += Mm(2);
        PlaceLines(cover, measurer.Wrap(detail, Ink::Subtitle, sheet.width), Ink::Subtitle, 0);
    }
    y += Mm(3);
    cover.rules.push_back({0, y, sheet.width, y, 0.6});
    y += Mm(6);
    // The values stand in one column after the longest label.
    double labelWidth = 0;
    for (const auto& [label, value] : fields) {
        labelWidth = std::max(labelWidth, measurer.Advance(label + ":", Ink::Label) + Mm(3));
    }
    labelWidth = std::min(labelWidth, sheet.width / 2);
    for (const auto& [label, value] : fields) {
        cover.texts.push_back({0, y + measurer.Ascent(Ink::Label), label + ":", Ink::Label});
        PlaceLines(cover, measurer.Wrap(value, Ink::Item, sheet.width - labelWidth), Ink::Item,
                   labelWidth);
        y += itemGap;
    }
    plan.pages[page].top.push_back(std::move(cover));
    if (!contents.empty()) {
        y += Mm(8);
        PlacedBlock heading{.kind = BlockKind::Cover};
        PlaceLines(heading, {"Contents"}, Ink::Heading, 0);
        y += Mm(1);
        heading.rules.push_back({0, y, sheet.width, y, 0.3});
        y += Mm(2.5);
        plan.pages[page].top.push_back(std::move(heading));
    }
    // Room on the right of each entry for its page number behind a leader.
    double numberRoom = measurer.Advance("0000", Ink::Item) + Mm(8);
    for (const std::string& entry : contents) {
        std::vector<std::string> lines =
            measurer.Wrap(entry, Ink::Item, std::max(sheet.width - numberRoom, Mm(15)));
        if (y + Height(lines, Ink::Item) > columnBottom) {
            plan.pages.push_back(
                {.columns = std::vector<PlanColumn>(plan.pages[0].columns.size())});
            ++page;
            y = 0;
        }
        PlacedBlock row{.kind = BlockKind::Contents};
        PlaceLines(row, lines, Ink::Item, 0);
        const PlacedText& last = row.texts.back();
        contentsEntries.push_back({page, plan.pages[page].top.size(), last.baseline,
                                   measurer.Advance(last.text, Ink::Item)});
        plan.pages[page].top.push_back(std::move(row));
        y += itemGap * 0.5;
    }
    Break(true, Carry::Nothing);
    columnTop = 0;
    y = 0;
}

void PrintLayout::AddChecklist(std::string_view name, const std::vector<std::string>& hotButtons,
                               const std::vector<std::string_view>& items, ListStart start,
                               std::optional<std::string_view> next) {
    StartAfresh(start);
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
    const bool noItems = blocks.empty();
    if (next) {
        blocks.push_back(NextBlock(*next));
    }
    double firstHeight = LineHeight(Ink::Remark);
    if (!noItems) {
        firstHeight = 0;
        for (std::size_t i = 0; i < blocks[0].rows.size() && i < 3; ++i) {
            firstHeight += blocks[0].rows[i].height;
        }
    }
    double wholeHeight = headingHeight + Mm(2.5) + (noItems ? firstHeight : 0);
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
    listPages.push_back(page);
    PlaceHeading(BlockKind::ListHeading, heading, buttonLines);
    if (noItems) {
        PlacedBlock remark{.kind = BlockKind::Remark};
        PlaceLines(remark, {"(no items)"}, Ink::Remark, itemIndent);
        Column().blocks.push_back(std::move(remark));
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
    // The cover's contents learn the pages only now that every list has found its place.
    double gap = Mm(1.5);
    for (std::size_t i = 0; i < contentsEntries.size() && i < listPages.size(); ++i) {
        const ContentsEntry& entry = contentsEntries[i];
        PlacedBlock& row = plan.pages[entry.page].top[entry.block];
        std::string number = std::to_string(listPages[i] + 1);
        double x = sheet.width - measurer.Advance(number, Ink::Item);
        row.texts.push_back({x, entry.baseline, number, Ink::Item});
        if (x - gap > entry.textEnd + gap) {
            row.rules.push_back(
                {entry.textEnd + gap, entry.baseline, x - gap, entry.baseline, 0.35, true});
        }
    }
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
    Break(false, carry);
    return true;
}

// Goes on atop the next column, or the next page after the last column or when toPage says so.
void PrintLayout::Break(bool toPage, Carry carry) {
    if (toPage || ++column == plan.pages[page].columns.size()) {
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
}

// Moves the flow atop a fresh column or page for a list that begins there, unless the flow
// stands there already: a list never leaves a column or page empty behind it.
void PrintLayout::StartAfresh(ListStart start) {
    bool columnEmpty = y <= columnTop;
    if (start == ListStart::Column && !columnEmpty) {
        Break(false, Carry::Nothing);
    } else if (start == ListStart::Page && !(columnEmpty && column == 0)) {
        Break(true, Carry::Nothing);
    }
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
    const ItemRules::Parts item = ItemRules::Parse(text);
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
    case ItemRules::Kind::Space:
        block.kind = BlockKind::Space;
        block.rows.push_back(TextRow({}, Ink::Item, 0));
        block.rows[0].height *= 0.5;
        return block;
    case ItemRules::Kind::Title:
        block.kind = BlockKind::Title;
        block.gapAbove = Mm(1.5);
        wrapped(Ink::ListTitle, width);
        break;
    case ItemRules::Kind::Note:
        // Notes and plain text stand in line with the texts of the items, not their boxes.
        block.kind = BlockKind::Note;
        block.indent += itemIndent;
        width -= itemIndent;
        block.rows =
            LabelledRows(ItemRules::LabelOf(item.kind), Ink::Label, item.prompt, Ink::Note, width);
        break;
    case ItemRules::Kind::Caution:
        block.kind = BlockKind::Caution;
        block.frame = Block::Frame::Caution;
        block.rows = LabelledRows(ItemRules::LabelOf(item.kind), Ink::Label, item.prompt, Ink::Item,
                                  width - 2 * inset);
        break;
    case ItemRules::Kind::Warning:
        block.kind = BlockKind::Warning;
        block.frame = Block::Frame::Warning;
        block.rows = LabelledRows(ItemRules::LabelOf(item.kind), Ink::WarningLabel, item.prompt,
                                  Ink::WarningText, width - 2 * inset);
        break;
    case ItemRules::Kind::PlainText:
        block.kind = BlockKind::PlainText;
        block.indent += itemIndent;
        width -= itemIndent;
        wrapped(Ink::Item, width);
        break;
    case ItemRules::Kind::ChallengeResponse:
        block.kind = BlockKind::ChallengeResponse;
        block.box = true;
        block.rows = ResponseRows(item.prompt, item.expectation, width - itemIndent);
        break;
    case ItemRules::Kind::Challenge:
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

// "Next: NAME" at the right edge of the column, where a pilot turns to next.
PrintLayout::Block PrintLayout::NextBlock(std::string_view next) const {
    Block block;
    block.kind = BlockKind::NextChecklist;
    block.gapAbove = Mm(1.5);
    for (std::string& line :
         measurer.Wrap("Next: " + std::string(next), Ink::NextChecklist, columnWidth)) {
        double x = columnWidth - measurer.Advance(line, Ink::NextChecklist);
        block.rows.push_back(TextRow(std::move(line), Ink::NextChecklist, std::max(x, 0.0)));
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

// The day of a time in seconds since 1970, as "2024-05-31" (UTC).
std::string DayOf(std::int64_t seconds) {
    using namespace std::chrono;
    const year_month_day day{floor<days>(sys_seconds{std::chrono::seconds{seconds}})};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(day.year()),
                  static_cast<unsigned>(day.month()), static_cast<unsigned>(day.day()));
    return text;
}

// What the cover says about the file besides its name and detail, the fields it has only.
std::vector<std::pair<std::string, std::string>> CoverFields(const convert::Metadata& metadata) {
    std::vector<std::pair<std::string, std::string>> fields;
    for (auto [label, value] : {std::pair{"Aircraft", &metadata.aircraft},
                                {"Make and model", &metadata.makeAndModel},
                                {"Manufacturer", &metadata.manufacturer},
                                {"Copyright", &metadata.copyright}}) {
        if (!value->empty()) {
            fields.emplace_back(label, *value);
        }
    }
    if (metadata.modifiedTime != 0) {
        fields.emplace_back("Modified", DayOf(metadata.modifiedTime));
    }
    return fields;
}

std::string_view ShownName(std::string_view name) {
    return name.empty() ? "(no name)" : name;
}

} // namespace

PrintPlan LayOutDocument(ChecklistDoc& doc, std::string_view fileName,
                         const PrintMeasurer& measurer, const PrintSheet& sheet,
                         const PrintContents& contents) {
    const convert::Book book = convert::DocToBook(doc, /*takeInfo*/ true, /*joinLines*/ false);
    // The book's names are the document's own texts, so each checklist finds its facts in the
    // book list whose name it holds; the one left without is the "Checklist info" list.
    struct Printed {
        const Checklist* list;
        const convert::BookList* facts;
    };
    std::vector<Printed> printed;
    auto bookList = book.lists.begin();
    for (const Checklist& list : doc.Checklists()) {
        const convert::BookList* facts = nullptr;
        if (bookList != book.lists.end() && bookList->name.data() == list.name) {
            facts = &*bookList++;
        }
        if (facts != nullptr || !contents.cover) {
            printed.push_back({&list, facts});
        }
    }
    // The lists that begin a group, by the one rule that groups lists by name.
    std::vector<bool> beginsGroup(printed.size(), false);
    if (contents.groupPages) {
        std::vector<convert::BookList> named(printed.size());
        for (std::size_t i = 0; i < printed.size(); ++i) {
            named[i].name = printed[i].list->name;
        }
        for (const convert::Group& group : convert::GroupLists(named)) {
            beginsGroup[static_cast<std::size_t>(group.lists.front().second - named.data())] = true;
        }
    }

    PrintLayout layout(measurer, sheet);
    if (contents.cover) {
        std::vector<std::string> names;
        for (const Printed& entry : printed) {
            names.emplace_back(ShownName(entry.list->name));
        }
        const convert::Metadata& metadata = book.metadata;
        layout.AddCover(metadata.name.empty() ? fileName : std::string_view(metadata.name),
                        metadata.detail, CoverFields(metadata), names);
    } else {
        int count = doc.ChecklistCount();
        layout.AddTitle(fileName,
                        count == 1 ? "1 checklist" : std::to_string(count) + " checklists");
    }
    if (printed.empty()) {
        layout.AddNothing();
    }
    for (std::size_t i = 0; i < printed.size(); ++i) {
        const Checklist& list = *printed[i].list;
        std::vector<std::string_view> items;
        items.reserve(static_cast<std::size_t>(list.ItemCount()));
        for (const ChecklistItem& item : list.Items()) {
            items.push_back(item.text);
        }
        // A list whose completion leads on names the checklist that follows it in the file.
        std::optional<std::string_view> next;
        if (printed[i].facts != nullptr &&
            printed[i].facts->completion == convert::Completion::NextChecklist) {
            auto following =
                std::find_if(printed.begin() + static_cast<std::ptrdiff_t>(i) + 1, printed.end(),
                             [](const Printed& p) { return p.facts != nullptr; });
            if (following != printed.end()) {
                next = ShownName(following->list->name);
            }
        }
        layout.AddChecklist(ShownName(list.name), HotButtonLines(doc, list), items,
                            beginsGroup[i] ? ListStart::Page : contents.start, next);
    }
    return layout.Finish(fileName);
}

} // namespace ckl
