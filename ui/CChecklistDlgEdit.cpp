// The Edit menu's commands, the hot-button configuration and the About box.
#include "CAboutDlg.h"
#include "CChecklistDlg.h"
#include "CHotButtonsDlg.h"
#include "CTextEntryDlg.h"
#include "ChecklistDoc.h"
#include "LineRules.h"
#include "MessageBox.h"
#include "TextConversion.h"
#include "UndoSteps.h"
#include "resource.h"

namespace {

// Shows one of the Edit commands' error messages.
void ShowError(QWidget* owner, const char* text) {
    MessageBox(owner, QString::fromUtf8(text), QStringLiteral("Error"), MB_OK);
}

const char unstorableItem[] =
    "An item that begins with [ and contains ] cannot be stored in a checklist file.";

} // namespace

void CChecklistDlg::OnUndo() {
    history.undo();
}

void CChecklistDlg::OnRedo() {
    history.redo();
}

void CChecklistDlg::OnNewChecklist() {
    char name[textBufferSize] = "";
    if (RunTextEntry("Create Checklist", "Enter the name for the new list:", name) != IDOK) {
        return;
    }
    history.push(new NewChecklistStep(*this, name));
}

void CChecklistDlg::OnDeleteChecklist() {
    // The question comes first, even when there is nothing to delete.
    if (MessageBox(this, QStringLiteral("Confirm deletion of current checklist ?"),
                   QStringLiteral("Confirm"), MB_YESNO) != IDYES) {
        return;
    }
    if (currentChecklist == nullptr) {
        ShowError(this, "Please select (or add) a checklist first");
        return;
    }
    history.push(new DeleteChecklistStep(*this, currentChecklist));
}

void CChecklistDlg::OnRenameChecklist() {
    if (currentChecklist == nullptr) {
        ShowError(this, "Please select (or add) a checklist first");
        return;
    }
    char name[textBufferSize];
    NarrowText(WidenText(currentChecklist->name), name, sizeof name);
    if (RunTextEntry("Rename Checklist", "Enter the new name for the list:", name) == IDOK) {
        history.push(new RenameChecklistStep(*this, currentChecklist, name));
    }
}

void CChecklistDlg::OnAddItem() {
    if (currentChecklist == nullptr) {
        ShowError(this, "Please select (or add) a checklist first");
        return;
    }
    char text[textBufferSize] = "";
    if (RunTextEntry("Add Item", "Enter the text of the new item:", text) == IDOK) {
        // Such a line would be read back as a tag and garble the rest of the file.
        if (LineRules::IsStorableLine(text)) {
            history.push(new AddItemStep(*this, currentChecklist, text));
        } else {
            ShowError(this, unstorableItem);
        }
    }
    Refill();
    document->modified = true;
}

ChecklistItem* CChecklistDlg::SelectedChecklistItem() {
    if (currentChecklist == nullptr) {
        ShowError(this, "Please select a checklist first");
        return nullptr;
    }
    const CTreeCtrl::Item selected = tree.GetSelectedItem();
    if (selected == nullptr) {
        ShowError(this, "Please select an item in the checklist first");
        return nullptr;
    }
    return static_cast<ChecklistItem*>(tree.GetItemData(selected));
}

void CChecklistDlg::OnEditItem() {
    ChecklistItem* item = SelectedChecklistItem();
    if (item == nullptr) {
        return;
    }
    char text[textBufferSize];
    NarrowText(WidenText(item->text), text, sizeof text);
    if (RunTextEntry("Edit Item", "Enter the new text of the item:", text) != IDOK) {
        return;
    }
    // The same refusal as Add Item's; the list stays as it was, ticks and all.
    if (!LineRules::IsStorableLine(text)) {
        ShowError(this, unstorableItem);
        return;
    }
    history.push(new EditItemStep(*this, currentChecklist, item, text));
}

void CChecklistDlg::OnDeleteItem() {
    if (ChecklistItem* item = SelectedChecklistItem()) {
        history.push(new DeleteItemStep(*this, currentChecklist, item));
    }
}

void CChecklistDlg::OnMoveItemUp() {
    if (ChecklistItem* item = SelectedChecklistItem()) {
        history.push(new MoveItemStep(*this, currentChecklist, item, true));
    }
}

void CChecklistDlg::OnMoveItemDown() {
    if (ChecklistItem* item = SelectedChecklistItem()) {
        history.push(new MoveItemStep(*this, currentChecklist, item, false));
    }
}

void CChecklistDlg::OnConfigureHotButtons() {
    CHotButtonsDlg dialog;
    dialog.document = document.get();
    const HotButtonsStep::Slots before = HotButtonsStep::Take(*document);
    if (dialog.DoModal() == IDOK) {
        history.push(new HotButtonsStep(*this, before, HotButtonsStep::Take(*document)));
    }
}

void CChecklistDlg::OnAbout() {
    CAboutDlg dialog;
    dialog.DoModal();
}
