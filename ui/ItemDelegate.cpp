#include "ItemDelegate.h"

#include "ScreenColours.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QTreeView>
#include <array>
#include <cmath>
#include <memory>

namespace {

// Space between an item's text and the edges of its row.
constexpr int textMargin = 2;

// The room across for an item's text in a row of rect: what the style leaves beside the check
// box, less the margins.
int TextWidth(const QStyleOptionViewItem& item, const QRect& rect) {
    QStyleOptionViewItem placed = item;
    placed.rect = rect;
    const QWidget* widget = item.widget;
    const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    const QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &placed, widget);
    return std::max(1, room.width() - 2 * textMargin);
}

} // namespace

QFont ItemDelegate::FontFor(const QFont& font, ItemInk ink) {
    QFont inked = font;
    switch (ink) {
    case ItemInk::Label:
    case ItemInk::Heading:
        inked.setBold(true);
        break;
    case ItemInk::NoteText:
        inked.setItalic(true);
        break;
    case ItemInk::Text:
    case ItemInk::Leader:
        break;
    }
    return inked;
}

ItemMeasure ItemDelegate::MeasureFor(const QFont& font) {
    // One set of metrics per ink, shared by the measure's copies.
    auto metrics = std::make_shared<std::array<QFontMetricsF, 5>>(std::array<QFontMetricsF, 5>{
        QFontMetricsF(FontFor(font, ItemInk::Text)), QFontMetricsF(FontFor(font, ItemInk::Label)),
        QFontMetricsF(FontFor(font, ItemInk::NoteText)),
        QFontMetricsF(FontFor(font, ItemInk::Heading)),
        QFontMetricsF(FontFor(font, ItemInk::Leader))});
    ItemMeasure measure;
    measure.advance = [metrics](const QString& text, ItemInk ink) {
        return (*metrics)[static_cast<std::size_t>(ink)].horizontalAdvance(text);
    };
    measure.lineHeight = std::ceil((*metrics)[0].lineSpacing());
    return measure;
}

int ItemDelegate::RowWidth(const QStyleOptionViewItem& option, const QModelIndex& index) {
    // A view asks for heights without saying how wide the row is: the column says, and an item
    // at the root of a tree with lines at the root stands one indentation in.
    const auto* view = qobject_cast<const QTreeView*>(option.widget);
    return view != nullptr ? view->columnWidth(index.column()) -
                                 (view->rootIsDecorated() ? view->indentation() : 0)
                           : option.rect.width();
}

QSize ItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem measured = option;
    initStyleOption(&measured, index);
    const QSize plain = QStyledItemDelegate::sizeHint(measured, index);
    const int across = RowWidth(option, index);
    const ItemLook look = LayOutItem(measured.text.toUtf8().constData(),
                                     TextWidth(measured, QRect(0, 0, across, plain.height())),
                                     MeasureFor(measured.font));
    const int height = static_cast<int>(std::ceil(look.height)) + 2 * textMargin;
    return {plain.width(), std::max(plain.height(), height)};
}

void ItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString text = item.text;
    // The style draws the row (selection, check box, focus); the words are set out here.
    item.text.clear();
    const QWidget* widget = item.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

    const QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
    const ItemMeasure measure = MeasureFor(item.font);
    const ItemLook look =
        LayOutItem(text.toUtf8().constData(), std::max(1, room.width() - 2 * textMargin), measure);
    const QPalette& palette = item.palette;
    const bool selected = (item.state & QStyle::State_Selected) != 0;
    const QPalette::ColorGroup group =
        (item.state & QStyle::State_Enabled) == 0  ? QPalette::Disabled
        : (item.state & QStyle::State_Active) != 0 ? QPalette::Active
                                                   : QPalette::Inactive;
    QColor words = palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    if (!selected && item.checkState == Qt::Checked) {
        words = ScreenColours::TickedText(palette);
    }
    const QColor marked = look.frame == ItemFrame::Warning ? ScreenColours::Warning(palette)
                                                           : ScreenColours::Caution(palette);

    painter->save();
    // The block of lines sits in the middle of its row, as a single line of text would.
    const double top = room.top() + std::max(0.0, (room.height() - look.height) / 2);
    painter->translate(room.left() + textMargin, top);
    painter->setClipRect(QRectF(-textMargin, -top + room.top(), room.width(), room.height()));
    if (look.frame != ItemFrame::None) {
        // A warning's frame is doubled, so that it stands apart from a caution in black and white.
        const double line = std::max(1.0, std::round(measure.lineHeight / 12));
        painter->setPen(QPen(selected ? words : marked, line));
        painter->setBrush(Qt::NoBrush);
        const QRectF frame = look.frameRect.adjusted(line / 2, line / 2, -line / 2, -line / 2);
        painter->drawRect(frame);
        if (look.frame == ItemFrame::Warning) {
            painter->drawRect(frame.adjusted(2 * line, 2 * line, -2 * line, -2 * line));
        }
    }
    const QFontMetricsF metrics(item.font);
    for (const ItemRun& run : look.runs) {
        painter->setFont(FontFor(item.font, run.ink));
        const bool label = run.ink == ItemInk::Label && look.frame != ItemFrame::None;
        painter->setPen(label && !selected ? marked : words);
        painter->drawText(QPointF(run.x, run.y + metrics.ascent()), run.text);
    }
    painter->restore();
}
