#pragma once

#include "CWindow.h"

#include <QTreeWidget>

class CImageList;

// The tree widget a dialog template's tree control becomes: a QTreeWidget that can leave room at
// its foot, inside its frame, for something shown over it.
class CTreeWidget : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;
    // Keeps the bottom pixels of the tree free of items (0 for none); the items scroll above.
    void SetFootRoom(int pixels);

protected:
    // The tree view sets its margins afresh whenever it lays itself out; the foot room stays.
    void updateGeometries() override;

private:
    int footRoom = 0;
};

// A tree control whose items all sit at the root, in insertion order. In a tree made with check
// boxes every item has one, starting empty; the user ticks it by clicking the box or pressing
// Space on the current item, and assistive tools see the item as checkable.
class CTreeCtrl : public CControl<QTreeWidget> {
public:
    using Item = QTreeWidgetItem*; // nullptr stands for "no item"

    // Binds to a tree widget of a dialog; whether it has check boxes is read from its template
    // style once here, not for every inserted item.
    bool Attach(QWidget* candidate) override;

    // Deletes every item; afterwards no item is current or selected.
    void DeleteAllItems();

    // Inserts an item at the root after the last one, with text and itemData attached. Its check
    // box (in a tree with check boxes) starts empty. Returns the item, or nullptr when unbound.
    Item InsertItem(const QString& text, void* itemData = nullptr);
    Item InsertItem(const char* text, void* itemData = nullptr);

    void SetItemData(Item item, void* itemData);
    // The data attached to item, or nullptr when there is none.
    void* GetItemData(Item item) const;

    // The selected item (the caret item), or nullptr when no item is selected.
    Item GetSelectedItem() const;
    // Makes item the current and selected one; nullptr clears the selection.
    void SelectItem(Item item);

    int GetCount() const;
    // The item at position index from the top, or nullptr outside the tree.
    Item GetItem(int index) const;
    QString GetItemText(Item item) const;
    // Replaces item's text in place; its check box, selection and position stay.
    void SetItemText(Item item, const char* text);

    bool GetCheck(Item item) const;
    void SetCheck(Item item, bool checked);

    // Wraps a long item onto further lines at the width of the tree, word by word, instead of
    // letting it run off the edge behind a sideways scroll bar; rows grow to their text.
    void WrapLongItems();

    // Keeps the bottom pixels of the tree free of items, with the current item still in view;
    // 0 gives the whole tree back to the items. Nothing in a tree not made from a template.
    void SetFootRoom(int pixels);

    // Draws the check boxes with the images of images: image 1 for an empty box, image 2 for a
    // ticked one. The images are copied; images may go away afterwards.
    void SetStateImageList(const CImageList& images);
    // Draws the check boxes factor times their images' size, from the images' sharper versions
    // where there are any, so that they grow with the text.
    void SetStateImageScale(double factor);

private:
    bool checkBoxes = false;
};
