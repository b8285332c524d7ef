#pragma once

#include "ItemLayout.h"

#include <QFont>
#include <QStyledItemDelegate>

// Draws the tree's items by their kind (see ItemLayout): the item's own line stays its text, for
// editing, for assistive tools and for everything that reads the tree; only its look changes.
// Rows grow to the lines an item takes at the width of the tree, and ticked items are dimmer.
class ItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // How wide the row of index is drawn, as far as the view tells; the height of an item is
    // measured for that width.
    static int RowWidth(const QStyleOptionViewItem& option, const QModelIndex& index);
    // The measure of text in font's inks, as the tree draws them.
    static ItemMeasure MeasureFor(const QFont& font);
    // The font of ink, made from the item's font.
    static QFont FontFor(const QFont& font, ItemInk ink);
};
