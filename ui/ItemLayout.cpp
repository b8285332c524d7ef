#include "ItemLayout.h"

#include "ItemRules.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace {

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Sets out lines of text one under the other from a top, each line a run.
class Setter {
public:
    Setter(const ItemMeasure& measure, double left, double width)
        : measure(measure), left(left), width(std::max(width, 1.0)) {}

    // Words of text in ink, wrapped to the room; the first line starts firstIndent further in.
    // Returns the width of the last line.
    double Words(const QString& text, ItemInk ink, double firstIndent, bool centred) {
        double indent = firstIndent;
        QString line;
        const auto flush = [&] {
            const double used = measure.advance(line, ink);
            const double x = centred ? left + std::max(0.0, (width - used) / 2) : left + indent;
            runs.push_back({line, ink, x, y});
            lastWidth = indent + used;
            y += measure.lineHeight;
            indent = 0;
            line.clear();
        };
        const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty()) {
            lastWidth = indent;
            y += measure.lineHeight;
            return lastWidth;
        }
        for (const QString& word : words) {
            const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (measure.advance(longer, ink) <= width - indent) {
                line = longer;
                continue;
            }
            if (!line.isEmpty()) {
                flush();
            }
            // A word wider than the whole room is broken between its characters.
            QString rest = word;
            while (measure.advance(rest, ink) > width - indent && rest.size() > 1) {
                qsizetype fits = 1;
                while (fits < rest.size() &&
                       measure.advance(rest.left(fits + 1), ink) <= width - indent) {
                    ++fits;
                }
                line = rest.left(fits);
                flush();
                rest = rest.mid(fits);
            }
            line = rest;
        }
        flush();
        return lastWidth;
    }

    // text alone at the right edge of the room, on the line below the last one.
    void AtRight(const QString& text, ItemInk ink, double lineTop) {
        runs.push_back({text, ink, left + width - measure.advance(text, ink), lineTop});
    }

    const ItemMeasure& measure;
    double left;
    double width;
    double y = 0;
    double lastWidth = 0;
    std::vector<ItemRun> runs;
};

// The dots that lead from `from` to `to` on the line at lineTop, each a dot's width apart with a
// space's width left free at either end; none when there is no room for three.
void AddLeader(Setter& setter, double from, double to, double lineTop) {
    const double gap = setter.measure.advance(QStringLiteral(" "), ItemInk::Leader);
    const double dot = setter.measure.advance(QStringLiteral(". "), ItemInk::Leader);
    if (dot <= 0) {
        return;
    }
    const double room = to - from - 2 * gap;
    const auto count = static_cast<qsizetype>(std::floor(room / dot));
    if (count < 3) {
        return;
    }
    QString dots = QStringLiteral(". ").repeated(count);
    dots.chop(1);
    // Flush against the response, so that the dots of all items end in one column.
    setter.runs.push_back(
        {dots, ItemInk::Leader, to - gap - setter.measure.advance(dots, ItemInk::Leader), lineTop});
}

} // namespace

ItemLook LayOutItem(const char* item, double width, const ItemMeasure& measure) {
    const ItemRules::Parts parts = ItemRules::Parse(item != nullptr ? item : "");
    ItemLook look;
    const double em = measure.advance(QStringLiteral("M"), ItemInk::Text);
    const double indent = std::min(parts.indent * 2 * em, width / 2);
    const QString prompt = FromView(parts.prompt);
    Setter setter(measure, indent, width - indent);

    switch (parts.kind) {
    case ItemRules::Kind::Space:
        setter.y = measure.lineHeight;
        break;
    case ItemRules::Kind::Note: {
        const QString label = FromView(ItemRules::LabelOf(parts.kind)) + QLatin1Char(' ');
        setter.runs.push_back({label.trimmed(), ItemInk::Label, indent, 0});
        setter.Words(prompt, ItemInk::NoteText, measure.advance(label, ItemInk::Label),
                     parts.centered);
        break;
    }
    case ItemRules::Kind::Caution:
    case ItemRules::Kind::Warning: {
        // Set apart in a frame, with room inside it, as on paper.
        const double pad = std::max(3.0, std::round(measure.lineHeight / 3));
        Setter inner(measure, indent + pad, width - indent - 2 * pad);
        inner.y = pad;
        const QString label = FromView(ItemRules::LabelOf(parts.kind)) + QLatin1Char(' ');
        inner.runs.push_back({label.trimmed(), ItemInk::Label, indent + pad, pad});
        inner.Words(prompt, ItemInk::Text, measure.advance(label, ItemInk::Label), parts.centered);
        look.frame =
            parts.kind == ItemRules::Kind::Caution ? ItemFrame::Caution : ItemFrame::Warning;
        look.frameRect = QRectF(indent, 0, width - indent, inner.y + pad);
        look.runs = std::move(inner.runs);
        look.height = inner.y + pad;
        return look;
    }
    case ItemRules::Kind::Title:
        setter.Words(prompt, ItemInk::Heading, 0, parts.centered);
        break;
    case ItemRules::Kind::ChallengeResponse: {
        const double lastWidth = setter.Words(prompt, ItemInk::Text, 0, parts.centered);
        const QString response = FromView(parts.expectation);
        const double responseWidth = measure.advance(response, ItemInk::Text);
        const double lastTop = setter.y - measure.lineHeight;
        const double gap = measure.advance(QStringLiteral(" . . . "), ItemInk::Leader);
        if (indent + lastWidth + gap + responseWidth <= width) {
            // On the challenge's last line, at the right, behind the dots.
            setter.AtRight(response, ItemInk::Text, lastTop);
            AddLeader(setter, indent + lastWidth, width - responseWidth, lastTop);
        } else if (responseWidth <= width - indent) {
            setter.AtRight(response, ItemInk::Text, setter.y);
            AddLeader(setter, indent, width - responseWidth, setter.y);
            setter.y += measure.lineHeight;
        } else {
            // Longer than a line: wrapped below the challenge, from the indentation.
            setter.Words(response, ItemInk::Text, 0, false);
        }
        break;
    }
    case ItemRules::Kind::Challenge:
    case ItemRules::Kind::PlainText:
        // A line of plain text keeps its mark: it tells the pilot there is nothing to do.
        setter.Words(parts.kind == ItemRules::Kind::PlainText ? QStringLiteral("- ") + prompt
                                                              : prompt,
                     ItemInk::Text, 0, parts.centered);
        break;
    }
    look.runs = std::move(setter.runs);
    look.height = setter.y;
    return look;
}
