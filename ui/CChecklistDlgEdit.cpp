// The Edit menu's commands, the hot-button configuration and the About box.
#include "CAboutDlg.h"
#include "CChecklistDlg.h"
#include "CHotButtonsDlg.h"
#include "CTextEntryDlg.h"
#include "ChecklistDoc.h"
#include "LineRules.h"
#include "MessageBox.h"
#include "TextRules.h"
#include "resource.h"

namespace {

// Shows one of the Edit commands' error messages.
void ShowError(QWidget* owner, const char* text) {
    MessageBox(owner, QString::fromUtf8(text), QStringLiteral("Error"), MB_OK);
}

} // namespace

void CChecklistDlg::OnNewChecklist() {
    char name[1024] = "";
    if (RunTextEntry("Create Checklist", "Enter the name for the new list:", name) != IDOK) {
        return;
    }
    Checklist* checklist = document->CreateChecklist();
    checklist->SetName(name);
    document->AppendChecklist(checklist);
    ShowChecklist(checklist);
    RebuildListsMenu();
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
    document->RemoveChecklist(currentChecklist);
    currentChecklist = nullptr;
    RefreshAll();
}

void CChecklistDlg::OnAddItem() {
    if (currentChecklist == nullptr) {
        ShowError(this, "Please select (or add) a checklist first");
        return;
    }
    char text[1024] = "";
    if (RunTextEntry("Add Item", "Enter the text of the new item:", text) == IDOK) {
        // Such a line would be read back as a tag and garble the rest of the file.
        if (LineRules::IsStorableLine(text)) {
            currentChecklist->AppendItem(text);
        } else {
            ShowError(this, "An item that begins with [ and contains ] cannot be stored in a "
                            "checklist file.");
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

void CChecklistDlg::OnDeleteItem() {
    ChecklistItem* item = SelectedChecklistItem();
    if (item == nullptr) {
        return;
    }
    Checklist::UnlinkItem(item);
    Refill();
    document->modified = true;
}

void CChecklistDlg::OnMoveItemUp() {
    ChecklistItem* item = SelectedChecklistItem();
    if (item == nullptr) {
        return;
    }
    currentChecklist->MoveItemUp(item);
    Refill();
    document->modified = true;
}

void CChecklistDlg::OnMoveItemDown() {
    ChecklistItem* item = SelectedChecklistItem();
    if (item == nullptr) {
        return;
    }
    currentChecklist->MoveItemDown(item);
    Refill();
    document->modified = true;
}

void CChecklistDlg::OnConfigureHotButtons() {
    CHotButtonsDlg dialog;
    dialog.document = document.get();
    if (dialog.DoModal() == IDOK) {
        document->modified = true;
        SetHotButtonCaptions();
    }
}

void CChecklistDlg::OnAbout() {
    CAboutDlg dialog;
    dialog.DoModal();
}
