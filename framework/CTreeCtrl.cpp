#include "CTreeCtrl.h"

#include "CImageList.h"
#include "DialogTemplate.h"
#include "TextConversion.h"

#include <QHeaderView>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Draws an item view's check indicators with the two state images and sizes them to the images;
// everything else is drawn by the application's style. Each image is drawn at the size of the
// text and the density of the screen it lands on, from its sharper versions where it has them.
class StateImageStyle : public QProxyStyle {
public:
    StateImageStyle(std::vector<QPixmap> empty, std::vector<QPixmap> ticked, QSize size)
        : emptyBox(std::move(empty)), tickedBox(std::move(ticked)), size(size) {}

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element != PE_IndicatorItemViewItemCheck) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        const std::vector<QPixmap>& image = (option->state & State_On) ? tickedBox : emptyBox;
        QRect target(QPoint(), Size());
        target.moveCenter(option->rect.center());
        // On a dark background the white boxes are dimmed, so as not to dazzle at night.
        const bool dark = option->palette.color(QPalette::Base).lightness() < 96;
        painter->save();
        painter->setOpacity(dark ? 0.6 : 1.0);
        // The smallest version with at least the pixels the box takes on the painter's device
        // (a dense screen, large text, or both), else the sharpest there is.
        const qreal density =
            painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
        const int needed = static_cast<int>(std::ceil(target.width() * density));
        const auto chosen =
            std::find_if(image.begin(), image.end(),
                         [needed](const QPixmap& version) { return version.width() >= needed; });
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawPixmap(target, chosen != image.end() ? *chosen : image.back());
        painter->restore();
    }

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_IndicatorWidth) {
            return Size().width();
        }
        if (metric == PM_IndicatorHeight) {
            return Size().height();
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    void SetScale(double factor) { scale = factor; }

private:
    QSize Size() const { return (QSizeF(size) * scale).toSize(); }

    std::vector<QPixmap> emptyBox; // from the plain image to the sharpest
    std::vector<QPixmap> tickedBox;
    QSize size; // in the screen's logical pixels, at the normal text size
    double scale = 1.0;
};

// Measures an item's height for the width its column gives its text, so that a wrapped item gets
// the lines it needs: an item view asks for heights without saying how wide the row is.
class WrappingDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const auto* view = qobject_cast<const QTreeView*>(option.widget);
        if (view == nullptr) {
            return QStyledItemDelegate::sizeHint(option, index);
        }
        const QStyle* style = view->style();
        // The check box and its margins take their share of the row before the text.
        const int checkWidth =
            style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, view) +
            4 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1);
        QStyleOptionViewItem measured = option;
        measured.rect = QRect(0, 0, std::max(1, view->columnWidth(index.column()) - checkWidth), 1);
        return QStyledItemDelegate::sizeHint(measured, index);
    }
};

// Tree items keep their data pointer under this role.
constexpr int itemDataRole = Qt::UserRole;

} // namespace

bool CTreeCtrl::Attach(QWidget* candidate) {
    if (!CControl<QTreeWidget>::Attach(candidate)) {
        return false;
    }
    checkBoxes = (candidate->property("templateStyle").toUInt() & TVS_CHECKBOXES) != 0;
    return true;
}

void CTreeCtrl::DeleteAllItems() {
    if (QTreeWidget* tree = GetControl()) {
        tree->clear();
        tree->setCurrentItem(nullptr);
    }
}

CTreeCtrl::Item CTreeCtrl::InsertItem(const QString& text, void* itemData) {
    QTreeWidget* tree = GetControl();
    if (tree == nullptr) {
        return nullptr;
    }
    auto* item = new QTreeWidgetItem({ReadBackText(text)});
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (checkBoxes) {
        flags |= Qt::ItemIsUserCheckable;
    }
    item->setFlags(flags);
    if (checkBoxes) {
        item->setCheckState(0, Qt::Unchecked);
    }
    tree->addTopLevelItem(item);
    SetItemData(item, itemData);
    return item;
}

CTreeCtrl::Item CTreeCtrl::InsertItem(const char* text, void* itemData) {
    return InsertItem(WidenText(text), itemData);
}

void CTreeCtrl::SetItemData(Item item, void* itemData) {
    if (item != nullptr) {
        item->setData(0, itemDataRole, QVariant::fromValue(reinterpret_cast<quintptr>(itemData)));
    }
}

void* CTreeCtrl::GetItemData(Item item) const {
    if (item == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<void*>(item->data(0, itemDataRole).value<quintptr>());
}

CTreeCtrl::Item CTreeCtrl::GetSelectedItem() const {
    const QTreeWidget* tree = GetControl();
    if (tree == nullptr) {
        return nullptr;
    }
    // The current item alone is not a selection: the tree makes its first item current when it
    // receives the focus from the keyboard, without selecting it.
    QTreeWidgetItem* current = tree->currentItem();
    return current != nullptr && current->isSelected() ? current : nullptr;
}

void CTreeCtrl::SelectItem(Item item) {
    if (QTreeWidget* tree = GetControl()) {
        tree->setCurrentItem(item);
        if (item == nullptr) {
            tree->clearSelection();
        }
    }
}

int CTreeCtrl::GetCount() const {
    const QTreeWidget* tree = GetControl();
    return tree == nullptr ? 0 : tree->topLevelItemCount();
}

CTreeCtrl::Item CTreeCtrl::GetItem(int index) const {
    const QTreeWidget* tree = GetControl();
    return tree == nullptr ? nullptr : tree->topLevelItem(index);
}

QString CTreeCtrl::GetItemText(Item item) const {
    return item == nullptr ? QString() : ReadBackText(item->text(0));
}

void CTreeCtrl::SetItemText(Item item, const char* text) {
    if (item != nullptr) {
        item->setText(0, WidenText(text));
    }
}

bool CTreeCtrl::GetCheck(Item item) const {
    return item != nullptr && item->checkState(0) == Qt::Checked;
}

void CTreeCtrl::SetCheck(Item item, bool checked) {
    if (item != nullptr && (item->flags() & Qt::ItemIsUserCheckable)) {
        item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    }
}

void CTreeCtrl::WrapLongItems() {
    QTreeWidget* tree = GetControl();
    if (tree == nullptr) {
        return;
    }
    tree->setItemDelegate(new WrappingDelegate(tree));
    tree->setWordWrap(true);
    tree->setTextElideMode(Qt::ElideNone);
    tree->setUniformRowHeights(false);
    tree->header()->setStretchLastSection(true);
    tree->header()->setSectionResizeMode(QHeaderView::Stretch);
    tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The view keeps the heights it measured; a new width needs them measured anew.
    QObject::connect(tree->header(), &QHeaderView::sectionResized, tree,
                     [tree] { tree->doItemsLayout(); });
}

void CTreeCtrl::SetStateImageList(const CImageList& images) {
    QTreeWidget* tree = GetControl();
    if (tree == nullptr || images.GetImageCount() < 3) {
        return;
    }
    // The style belongs to the tree; a widget holds its style through a guarded pointer, so the
    // order in which the two go away does not matter.
    QStyle* previous = tree->style();
    auto* style = new StateImageStyle(images.GetVersions(1), images.GetVersions(2),
                                      images.GetImage(1).size());
    style->setParent(tree);
    tree->setStyle(style);
    if (dynamic_cast<StateImageStyle*>(previous) != nullptr) {
        delete previous;
    }
}

void CTreeCtrl::SetFootRoom(int pixels) {
    if (auto* tree = dynamic_cast<CTreeWidget*>(GetControl())) {
        tree->SetFootRoom(pixels);
        if (tree->currentItem() != nullptr) {
            tree->scrollToItem(tree->currentItem());
        }
    }
}

void CTreeWidget::SetFootRoom(int pixels) {
    footRoom = pixels;
    updateGeometries();
}

void CTreeWidget::updateGeometries() {
    QTreeWidget::updateGeometries();
    const QMargins margins = viewportMargins();
    if (margins.bottom() != footRoom) {
        setViewportMargins(margins.left(), margins.top(), margins.right(), footRoom);
    }
}

void CTreeCtrl::SetStateImageScale(double factor) {
    QTreeWidget* tree = GetControl();
    if (auto* style = tree != nullptr ? dynamic_cast<StateImageStyle*>(tree->style()) : nullptr) {
        style->SetScale(factor);
        tree->doItemsLayout();
    }
}
