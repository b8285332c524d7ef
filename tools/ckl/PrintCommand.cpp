#include "ChecklistDoc.h"
#include "CklConventions.h"
#include "CklSupport.h"
#include "Commands.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#ifdef TARVASTO_HAVE_PRINT
#include <QBuffer>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>

#include <memory>
#endif

namespace ckl {
namespace {

struct PrintOptions {
    std::string input;
    std::string output;
    std::string page = "a4";
    int columns = 1;
};

// Reads the command line into options. Returns nothing when it is complete, else the status
// to end with (0 after --help, 2 after a complaint).
std::optional<int> ParsePrintOptions(const std::vector<std::string>& args, PrintOptions& options,
                                     std::ostream& out, std::ostream& err) {
    bool haveOutput = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            out << UsageText();
            return 0;
        }
        // Options take their value as the next word or after "=" ("--page=a5", "-oOUT.pdf").
        auto [name, value] = SplitOption(arg);
        if (!value && arg.starts_with("-o") && arg.size() > 2 && !arg.starts_with("--")) {
            name = "-o";
            value = arg.substr(2);
        }
        bool takesValue =
            name == "-o" || name == "--output" || name == "--page" || name == "--columns";
        if (takesValue && !value) {
            if (i + 1 == args.size()) {
                return UsageError(err, "print: " + name + " needs a value");
            }
            value = args[++i];
        }
        if (name == "-o" || name == "--output") {
            options.output = *value;
            haveOutput = true;
        } else if (name == "--page") {
            if (*value != "a4" && *value != "letter" && *value != "a5" && *value != "kneeboard") {
                return UsageError(err, "print: unknown page '" + *value +
                                           "' (a4, letter, a5 or kneeboard)");
            }
            options.page = *value;
        } else if (name == "--columns") {
            if (*value != "1" && *value != "2") {
                return UsageError(err, "print: --columns takes 1 or 2, not '" + *value + "'");
            }
            options.columns = *value == "1" ? 1 : 2;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError(err, "print: unknown option '" + arg + "'");
        } else if (!options.input.empty()) {
            return UsageError(err, "print expects one file, got '" + options.input + "' and '" +
                                       arg + "'");
        } else {
            options.input = arg;
        }
    }
    if (options.input.empty()) {
        return UsageError(err, "print expects a checklist file");
    }
    if (!haveOutput || options.output.empty()) {
        return UsageError(err, "print expects -o OUT.pdf");
    }
    return std::nullopt;
}

#ifdef TARVASTO_HAVE_PRINT

// Paper and type for one page choice. Sizes in points and millimetres.
struct PaperStyle {
    QPageSize size;
    QMarginsF marginsMm;
    qreal itemPoints;
    qreal headingPoints;
};

PaperStyle PaperFor(const std::string& page) {
    if (page == "letter") {
        return {QPageSize(QPageSize::Letter), {16, 15, 16, 12}, 11, 13};
    }
    if (page == "a5") {
        return {QPageSize(QPageSize::A5), {12, 12, 12, 10}, 10, 12};
    }
    if (page == "kneeboard") {
        // A kneeboard's clip covers the top of the sheet.
        return {
            QPageSize(QSizeF(5.5, 8.5), QPageSize::Inch, "Kneeboard"), {10, 22, 10, 8}, 10, 11.5};
    }
    return {QPageSize(QPageSize::A4), {16, 15, 16, 12}, 11, 13};
}

// What a piece of text on the page is, which decides its font and colour.
enum class Ink {
    Title,
    Subtitle,
    Heading,
    HotButton,
    Item,
    Remark,
    Footer,
    ListTitle,    // a title inside a checklist
    Note,         // the text of a note
    Label,        // "NOTE:" and "CAUTION:"
    WarningLabel, // "WARNING:", white on black
    WarningText,
};

struct Fonts {
    QFont title, subtitle, heading, hotButton, item, remark, footer, listTitle, note, label,
        warningText;

    explicit Fonts(const PaperStyle& paper) {
        QFont base("DejaVu Sans");
        // No ligatures: "ff" must stay two letters for anyone who copies or searches the text.
        base.setStyleHint(QFont::SansSerif, QFont::PreferNoShaping);
        auto sized = [&base](qreal points, QFont::Weight weight = QFont::Normal) {
            QFont font = base;
            font.setPointSizeF(points);
            font.setWeight(weight);
            return font;
        };
        title = sized(paper.headingPoints + 4, QFont::Bold);
        subtitle = sized(paper.itemPoints - 1.5);
        heading = sized(paper.headingPoints, QFont::Bold);
        hotButton = sized(paper.itemPoints - 1, QFont::DemiBold);
        item = sized(paper.itemPoints);
        remark = sized(paper.itemPoints - 1);
        remark.setItalic(true);
        footer = sized(8);
        listTitle = sized(paper.itemPoints + 0.5, QFont::Bold);
        listTitle.setCapitalization(QFont::AllUppercase);
        note = sized(paper.itemPoints);
        note.setItalic(true);
        label = sized(paper.itemPoints, QFont::Bold);
        warningText = sized(paper.itemPoints, QFont::Bold);
    }

    const QFont& For(Ink ink) const {
        switch (ink) {
        case Ink::Title:
            return title;
        case Ink::Subtitle:
            return subtitle;
        case Ink::Heading:
            return heading;
        case Ink::HotButton:
            return hotButton;
        case Ink::Item:
            return item;
        case Ink::Remark:
            return remark;
        case Ink::ListTitle:
            return listTitle;
        case Ink::Note:
            return note;
        case Ink::Label:
        case Ink::WarningLabel:
            return label;
        case Ink::WarningText:
            return warningText;
        case Ink::Footer:
            break;
        }
        return footer;
    }
};

QColor ColorFor(Ink ink) {
    switch (ink) {
    case Ink::Subtitle:
    case Ink::Remark:
    case Ink::Footer:
        return QColor(90, 90, 90);
    case Ink::HotButton:
        return QColor(40, 40, 40);
    case Ink::WarningLabel:
        return Qt::white;
    default:
        return Qt::black;
    }
}

struct PlacedText {
    int page;
    QPointF baseline;
    QString text;
    Ink ink;
};
struct PlacedBox {
    int page;
    QRectF rect;
    qreal widthMm = 0.3;
    bool filled = false;
};
struct PlacedRule {
    int page;
    QLineF line;
    qreal widthMm;
    bool dotted = false;
};

// One printed line of an item: its texts, each at its own place from the item's left edge,
// and a dot leader between a challenge and its response.
struct Piece {
    QString text;
    Ink ink;
    qreal x;
};
struct Row {
    std::vector<Piece> pieces;
    qreal height = 0;
    qreal ascent = 0;
    qreal leaderFrom = 0;
    qreal leaderTo = 0; // no leader when not beyond leaderFrom
};
// An item as it is printed: its lines, whether it gets a box to tick, and the frame that sets
// cautions and warnings apart.
struct Block {
    enum class Frame { None, Caution, Warning };
    std::vector<Row> rows;
    bool box = false;
    Frame frame = Frame::None;
    qreal indent = 0;
    qreal gapAbove = 0;
};

// Where everything goes: pages, columns, and the checklists flowing through them. Works in
// the PDF's device units with the top left of the printable area at (0, 0).
class PrintLayout {
public:
    PrintLayout(const Fonts& fonts, QPaintDevice* device, QSizeF area, int columns,
                qreal unitsPerMm)
        : fonts(fonts), device(device), area(area), columns(columns), unitsPerMm(unitsPerMm) {
        gutter = columns > 1 ? Mm(8) : 0;
        columnWidth = (area.width() - gutter * (columns - 1)) / columns;
        QFontMetricsF footerMetrics(fonts.footer, device);
        columnBottom = area.height() - footerMetrics.lineSpacing() * 2;
        QFontMetricsF itemMetrics(fonts.item, device);
        boxSide = itemMetrics.ascent() * 0.85;
        itemIndent = boxSide + Mm(2.5);
        itemGap = itemMetrics.lineSpacing() * 0.45;
    }

    // The file's name across the top of the first page.
    void AddTitle(const QString& title, const QString& subtitle) {
        Place(Wrap(title, Ink::Title, area.width()), Ink::Title, 0);
        Place(Wrap(subtitle, Ink::Subtitle, area.width()), Ink::Subtitle, 0);
        y += Mm(3);
        rules.push_back({page, QLineF(0, y, area.width(), y), 0.4});
        y += Mm(5);
        columnTop = y;
    }

    void AddChecklist(const QString& name, const std::vector<QString>& hotButtons,
                      const std::vector<QString>& items) {
        std::vector<QString> heading = Wrap(name, Ink::Heading, columnWidth);
        std::vector<std::vector<QString>> buttonLines;
        qreal headingHeight = Height(heading, Ink::Heading) + Mm(2.5);
        for (const QString& button : hotButtons) {
            buttonLines.push_back(Wrap(button, Ink::HotButton, columnWidth));
            headingHeight += Height(buttonLines.back(), Ink::HotButton);
        }
        std::vector<Block> blocks;
        for (const QString& item : items) {
            blocks.push_back(MakeBlock(item));
        }
        qreal firstHeight = LineHeight(Ink::Remark);
        if (!blocks.empty()) {
            firstHeight = 0;
            for (std::size_t i = 0; i < blocks[0].rows.size() && i < 3; ++i) {
                firstHeight += blocks[0].rows[i].height;
            }
        }
        qreal wholeHeight = headingHeight + Mm(2.5) + (blocks.empty() ? firstHeight : 0);
        for (const Block& block : blocks) {
            wholeHeight += Height(block) + itemGap;
        }
        if (y > columnTop) {
            y += Mm(6);
        }
        // A list that fits in a column is never split: turning the page halfway through a
        // checklist is what a paper copy must spare its reader. Longer lists start where they
        // are, but a heading never stands alone at the foot of a column.
        qreal nextColumnTop = column + 1 < columns ? columnTop : 0;
        bool fitsWhole = y + wholeHeight <= columnBottom;
        bool fitsInNextColumn = nextColumnTop + wholeHeight <= columnBottom;
        if (y > columnTop &&
            ((!fitsWhole && fitsInNextColumn) || y + headingHeight + firstHeight > columnBottom)) {
            NextColumn();
        }
        Place(heading, Ink::Heading, 0);
        for (const std::vector<QString>& lines : buttonLines) {
            Place(lines, Ink::HotButton, 0);
        }
        y += Mm(1);
        rules.push_back({page, QLineF(X(), y, X() + columnWidth, y), 0.3});
        y += Mm(1.5);
        if (blocks.empty()) {
            Place({QStringLiteral("(no items)")}, Ink::Remark, itemIndent);
            return;
        }
        continuedName = name;
        itemsInColumn = 0;
        constexpr std::size_t shortestTail = 3;
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            // A list carried over takes at least a few items with it, never a lone last one.
            if (blocks.size() - i == shortestTail && itemsInColumn >= shortestTail) {
                qreal tail = 0;
                for (std::size_t j = i; j < blocks.size(); ++j) {
                    tail += Height(blocks[j]) + itemGap;
                }
                if (y + tail - itemGap > columnBottom) {
                    ContinueInNextColumn();
                }
            }
            AddBlock(blocks[i]);
        }
    }

    // A document without checklists still prints a page that says so.
    void AddNothing() { Place({QStringLiteral("(no checklists)")}, Ink::Remark, 0); }

    int PageCount() const { return page + 1; }

    std::vector<PlacedText> texts;
    std::vector<PlacedBox> boxes;
    std::vector<PlacedRule> rules;

private:
    qreal Mm(qreal mm) const { return mm * unitsPerMm; }
    qreal X() const { return column * (columnWidth + gutter); }

    qreal LineHeight(Ink ink) const { return QFontMetricsF(fonts.For(ink), device).lineSpacing(); }

    qreal Height(const std::vector<QString>& lines, Ink ink) const {
        return LineHeight(ink) * static_cast<qreal>(lines.size());
    }

    // Breaks text into lines that fit width, at word boundaries where it can.
    std::vector<QString> Wrap(const QString& text, Ink ink, qreal width) const {
        std::vector<QString> lines;
        QTextLayout layout(text, fonts.For(ink), device);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines.push_back(text.mid(line.textStart(), line.textLength()));
        }
        layout.endLayout();
        if (lines.empty()) {
            lines.emplace_back();
        }
        return lines;
    }

    void Place(const std::vector<QString>& lines, Ink ink, qreal indent) {
        QFontMetricsF metrics(fonts.For(ink), device);
        for (const QString& line : lines) {
            texts.push_back({page, QPointF(X() + indent, y + metrics.ascent()), line, ink});
            y += metrics.lineSpacing();
        }
    }

    void NextColumn() {
        if (++column == columns) {
            column = 0;
            ++page;
            columnTop = 0;
        }
        y = columnTop;
    }

    // Starts a new column for the checklist being printed, under its name and "(continued)".
    void ContinueInNextColumn() {
        NextColumn();
        itemsInColumn = 0;
        Place(Wrap(continuedName + QStringLiteral(" (continued)"), Ink::Heading, columnWidth),
              Ink::Heading, 0);
        y += Mm(1);
        rules.push_back({page, QLineF(X(), y, X() + columnWidth, y), 0.3});
        y += Mm(1.5);
    }

    qreal Advance(const QString& text, Ink ink) const {
        return QFontMetricsF(fonts.For(ink), device).horizontalAdvance(text);
    }

    Row TextRow(const QString& text, Ink ink, qreal x) const {
        QFontMetricsF metrics(fonts.For(ink), device);
        return {{{text, ink, x}}, metrics.lineSpacing(), metrics.ascent()};
    }

    // Rows for text wrapped to width, the first starting after a label.
    std::vector<Row> LabelledRows(const QString& label, Ink labelInk, const QString& text, Ink ink,
                                  qreal width) const {
        qreal labelWidth = Advance(label + QStringLiteral(" "), labelInk) +
                           Mm(labelInk == Ink::WarningLabel ? 1.5 : 0);
        std::vector<Row> rows;
        for (const QString& line : Wrap(text, ink, qMax(width - labelWidth, Mm(15)))) {
            rows.push_back(TextRow(line, ink, labelWidth));
        }
        rows[0].pieces.insert(rows[0].pieces.begin(), {label, labelInk, 0});
        return rows;
    }

    // How an item is printed, by the conventions its text follows: titles as headings inside
    // the list, notes, cautions and warnings set apart in ways that survive black and white
    // copies, and each response at the right edge behind a dot leader.
    Block MakeBlock(const QString& text) const {
        std::string utf8 = text.toStdString();
        convert::Item item = convert::ParseItem(utf8, convert::ItemStyle::Ckl);
        auto toQString = [](std::string_view part) {
            return QString::fromUtf8(part.data(), static_cast<qsizetype>(part.size()));
        };
        QString prompt = toQString(item.prompt);
        Block block;
        block.indent = Mm(4) * item.indent;
        qreal width = columnWidth - block.indent;
        qreal inset = Mm(1.5);
        switch (item.kind) {
        case convert::ItemKind::Space:
            block.rows.push_back(TextRow({}, Ink::Item, 0));
            block.rows[0].height *= 0.5;
            return block;
        case convert::ItemKind::Title:
            block.gapAbove = Mm(1.5);
            for (const QString& line : Wrap(prompt, Ink::ListTitle, width)) {
                block.rows.push_back(TextRow(line, Ink::ListTitle, 0));
            }
            break;
        case convert::ItemKind::Note:
            // Notes and plain text stand in line with the texts of the items, not their boxes.
            block.indent += itemIndent;
            width -= itemIndent;
            block.rows =
                LabelledRows(QStringLiteral("NOTE:"), Ink::Label, prompt, Ink::Note, width);
            break;
        case convert::ItemKind::Caution:
            block.frame = Block::Frame::Caution;
            block.rows = LabelledRows(QStringLiteral("CAUTION:"), Ink::Label, prompt, Ink::Item,
                                      width - 2 * inset);
            break;
        case convert::ItemKind::Warning:
            block.frame = Block::Frame::Warning;
            block.rows = LabelledRows(QStringLiteral("WARNING:"), Ink::WarningLabel, prompt,
                                      Ink::WarningText, width - 2 * inset);
            break;
        case convert::ItemKind::PlainText:
            block.indent += itemIndent;
            width -= itemIndent;
            for (const QString& line : Wrap(prompt, Ink::Item, width)) {
                block.rows.push_back(TextRow(line, Ink::Item, 0));
            }
            break;
        case convert::ItemKind::ChallengeResponse:
            block.box = true;
            block.rows = ResponseRows(prompt, toQString(item.expectation), width - itemIndent);
            break;
        case convert::ItemKind::Challenge:
            block.box = true;
            for (const QString& line : Wrap(prompt, Ink::Item, width - itemIndent)) {
                block.rows.push_back(TextRow(line, Ink::Item, 0));
            }
            break;
        }
        if (item.centered) {
            qreal room = width - (block.box ? itemIndent : 0);
            for (Row& row : block.rows) {
                if (row.pieces.size() == 1) {
                    row.pieces[0].x =
                        qMax<qreal>(0, (room - Advance(row.pieces[0].text, row.pieces[0].ink)) / 2);
                }
            }
        }
        return block;
    }

    // The challenge wrapped from the left, the response at the right edge of the last line
    // behind a dot leader, or on a line of its own when the two do not fit together.
    std::vector<Row> ResponseRows(const QString& challenge, const QString& response,
                                  qreal width) const {
        qreal gap = Mm(1.5);
        qreal leastLeader = Mm(6);
        std::vector<QString> responseLines = Wrap(response, Ink::Item, width * 0.6);
        std::vector<Row> rows;
        for (const QString& line : Wrap(challenge, Ink::Item, width)) {
            rows.push_back(TextRow(line, Ink::Item, 0));
        }
        qreal responseWidth = Advance(responseLines[0], Ink::Item);
        qreal lastWidth =
            challenge.isEmpty() ? -gap : Advance(rows.back().pieces[0].text, Ink::Item);
        if (lastWidth + 2 * gap + leastLeader + responseWidth > width) {
            rows.push_back(TextRow({}, Ink::Item, 0));
            lastWidth = -gap;
        }
        for (std::size_t i = 0; i < responseLines.size(); ++i) {
            if (i > 0) {
                rows.push_back(TextRow({}, Ink::Item, 0));
            }
            qreal lineWidth = Advance(responseLines[i], Ink::Item);
            rows.back().pieces.push_back({responseLines[i], Ink::Item, width - lineWidth});
            if (i == 0) {
                rows.back().leaderFrom = lastWidth + gap;
                rows.back().leaderTo = width - lineWidth - gap;
            }
        }
        return rows;
    }

    qreal Height(const Block& block) const {
        qreal height = block.gapAbove + (block.frame != Block::Frame::None ? Mm(2) : 0);
        for (const Row& row : block.rows) {
            height += row.height;
        }
        return height;
    }

    // An item with its box; kept in one piece unless it is taller than a whole column.
    void AddBlock(const Block& block) {
        qreal lineHeight = LineHeight(Ink::Item);
        qreal height = Height(block);
        if (y + height > columnBottom && height <= columnBottom - columnTop - 4 * lineHeight) {
            ContinueInNextColumn();
        }
        y += block.gapAbove;
        bool framed = block.frame != Block::Frame::None;
        qreal inset = framed ? Mm(1.5) : 0;
        qreal frameTop = y;
        auto closeFrame = [&] {
            if (framed) {
                qreal left = X() + block.indent;
                bool warning = block.frame == Block::Frame::Warning;
                boxes.push_back(
                    {page, QRectF(left, frameTop, columnWidth - block.indent, y + Mm(1) - frameTop),
                     warning ? 0.8 : 0.35});
            }
        };
        if (framed) {
            y += Mm(1);
        }
        for (std::size_t i = 0; i < block.rows.size(); ++i) {
            const Row& row = block.rows[i];
            if (y + row.height > columnBottom) {
                closeFrame();
                ContinueInNextColumn();
                frameTop = y;
            }
            qreal left = X() + block.indent + inset + (block.box ? itemIndent : 0);
            qreal baseline = y + row.ascent;
            if (i == 0 && block.box) {
                boxes.push_back(
                    {page, QRectF(X() + block.indent, baseline - boxSide, boxSide, boxSide)});
            }
            for (const Piece& piece : row.pieces) {
                if (piece.ink == Ink::WarningLabel) {
                    QFontMetricsF metrics(fonts.label, device);
                    boxes.push_back({page,
                                     QRectF(left + piece.x - Mm(0.6), baseline - metrics.ascent(),
                                            Advance(piece.text, piece.ink) + Mm(1.2),
                                            metrics.ascent() + metrics.descent()),
                                     0, true});
                }
                texts.push_back({page, QPointF(left + piece.x, baseline), piece.text, piece.ink});
            }
            if (row.leaderTo > row.leaderFrom) {
                rules.push_back(
                    {page, QLineF(left + row.leaderFrom, baseline, left + row.leaderTo, baseline),
                     0.35, true});
            }
            y += row.height;
        }
        if (framed) {
            closeFrame();
            y += Mm(1);
        }
        ++itemsInColumn;
        y += itemGap;
    }

    const Fonts& fonts;
    QPaintDevice* device;
    QSizeF area;
    int columns;
    qreal unitsPerMm;
    qreal gutter = 0;
    qreal columnWidth = 0;
    qreal columnTop = 0;
    qreal columnBottom = 0;
    qreal boxSide = 0;
    qreal itemIndent = 0;
    qreal itemGap = 0;
    int page = 0;
    int column = 0;
    qreal y = 0;
    QString continuedName;
    std::size_t itemsInColumn = 0;
};

// The lines under a checklist's name that say which hot buttons lead to it, numbered 1 to 4
// as the buttons stand under the list.
std::vector<QString> HotButtonLines(ChecklistDoc& doc, const Checklist* checklist) {
    std::vector<QString> lines;
    for (int i = 0; i < ChecklistDoc::slotCount; ++i) {
        HotButtonSlot* slot = doc.SlotAt(i);
        if (slot->checklist == checklist) {
            lines.push_back(QStringLiteral("\u2605 Hot button %1: %2")
                                .arg(i + 1)
                                .arg(QString::fromUtf8(slot->caption)));
        }
    }
    return lines;
}

void Paint(QPainter& painter, QPdfWriter& writer, const PrintLayout& layout, const Fonts& fonts,
           QSizeF area, qreal unitsPerMm, const QString& fileName) {
    QFontMetricsF footerMetrics(fonts.footer, &writer);
    int pages = layout.PageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0) {
            writer.newPage();
        }
        for (const PlacedRule& rule : layout.rules) {
            if (rule.page == page) {
                QPen pen(Qt::black, rule.widthMm * unitsPerMm);
                if (rule.dotted) {
                    // Round dots a little apart, as a leader is printed.
                    pen.setCapStyle(Qt::RoundCap);
                    pen.setDashPattern({0.01, 3.5});
                }
                painter.setPen(pen);
                painter.drawLine(rule.line);
            }
        }
        for (const PlacedBox& box : layout.boxes) {
            if (box.page == page) {
                painter.setPen(box.filled ? QPen(Qt::NoPen)
                                          : QPen(Qt::black, box.widthMm * unitsPerMm));
                painter.setBrush(box.filled ? QBrush(Qt::black) : QBrush(Qt::NoBrush));
                painter.drawRect(box.rect);
            }
        }
        painter.setBrush(Qt::NoBrush);
        for (const PlacedText& text : layout.texts) {
            if (text.page == page) {
                painter.setFont(fonts.For(text.ink));
                painter.setPen(ColorFor(text.ink));
                painter.drawText(text.baseline, text.text);
            }
        }
        qreal ruleY = area.height() - footerMetrics.lineSpacing() * 1.4;
        painter.setPen(QPen(ColorFor(Ink::Footer), 0.2 * unitsPerMm));
        painter.drawLine(QLineF(0, ruleY, area.width(), ruleY));
        painter.setFont(fonts.footer);
        qreal baseline = area.height() - footerMetrics.descent();
        painter.drawText(QPointF(0, baseline), fileName);
        QString number = QStringLiteral("Page %1 of %2").arg(page + 1).arg(pages);
        painter.drawText(QPointF(area.width() - footerMetrics.horizontalAdvance(number), baseline),
                         number);
    }
}

QtMessageHandler previousMessageHandler = nullptr;

// Qt's remarks about the session it runs in (no runtime folder, no display) mean nothing to
// someone printing a checklist; everything else goes on as before.
void QuietMessageHandler(QtMsgType type, const QMessageLogContext& context,
                         const QString& message) {
    if (type == QtDebugMsg || type == QtInfoMsg || message.startsWith("QStandardPaths:")) {
        return;
    }
    previousMessageHandler(type, context, message);
}

int PrintDocument(ChecklistDoc& doc, const PrintOptions& options, std::ostream& out,
                  std::ostream& err) {
    QString fileName = QFileInfo(QString::fromStdString(options.input)).fileName();
    // Drawn in memory and written out only when complete, so that a failed print never leaves
    // half a PDF behind.
    QByteArray pdf;
    QBuffer file(&pdf);
    file.open(QIODevice::WriteOnly);
    PaperStyle paper = PaperFor(options.page);
    QPdfWriter writer(&file);
    writer.setTitle(fileName);
    writer.setCreator(QStringLiteral("tarvasto ckl"));
    writer.setPageLayout(
        QPageLayout(paper.size, QPageLayout::Portrait, paper.marginsMm, QPageLayout::Millimeter));
    qreal unitsPerMm = writer.resolution() / 25.4;
    QSizeF area = writer.pageLayout().paintRectPixels(writer.resolution()).size();

    Fonts fonts(paper);
    PrintLayout layout(fonts, &writer, area, options.columns, unitsPerMm);
    int count = doc.ChecklistCount();
    layout.AddTitle(fileName, count == 1 ? QStringLiteral("1 checklist")
                                         : QStringLiteral("%1 checklists").arg(count));
    if (count == 0) {
        layout.AddNothing();
    }
    for (Checklist* c = doc.checklists.next; !doc.IsEnd(c); c = c->next) {
        std::vector<QString> items;
        for (ChecklistItem* item = c->items.next; !c->IsEnd(item); item = item->next) {
            items.push_back(QString::fromUtf8(item->text));
        }
        QString name = QString::fromUtf8(c->name);
        layout.AddChecklist(name.isEmpty() ? QStringLiteral("(no name)") : name,
                            HotButtonLines(doc, c), items);
    }

    QPainter painter;
    if (!painter.begin(&writer)) {
        err << "ckl: cannot write '" << options.output << "': the PDF could not be started\n";
        return 1;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    Paint(painter, writer, layout, fonts, area, unitsPerMm, fileName);
    painter.end();
    return WriteOutput(options.output, std::string_view(pdf.constData(), pdf.size()), out, err) ? 0
                                                                                                : 1;
}

#endif

} // namespace

int RunPrint(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    PrintOptions options;
    if (std::optional<int> status = ParsePrintOptions(args, options, out, err)) {
        return *status;
    }
#ifdef TARVASTO_HAVE_PRINT
    ChecklistDoc doc;
    if (!LoadDocument(doc, options.input, err)) {
        return 1;
    }
    // Fonts and painting need a graphical application; a command-line run has none, and no
    // display either, so it draws through the offscreen platform unless told otherwise.
    previousMessageHandler = qInstallMessageHandler(QuietMessageHandler);
    struct MessageHandlerRestorer {
        ~MessageHandlerRestorer() { qInstallMessageHandler(previousMessageHandler); }
    } restorer;
    std::unique_ptr<QGuiApplication> application;
    if (QCoreApplication::instance() == nullptr) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static int argc = 1;
        static char name[] = "ckl";
        static char* argv[] = {name, nullptr};
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        err << "ckl: print needs a graphical application object\n";
        return 1;
    }
    return PrintDocument(doc, options, out, err);
#else
    err << "ckl: this ckl was built without printing\n";
    return 1;
#endif
}

} // namespace ckl
