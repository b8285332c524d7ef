#include "UndoSteps.h"

#include "CChecklistDlg.h"
#include "ChecklistDoc.h"

ChecklistStep::ChecklistStep(CChecklistDlg& screen, const char* name)
    : QUndoCommand(QString::fromUtf8(name)), screen(screen), document(*screen.Document()) {}

void ChecklistStep::Shown(ChangedPart part, Checklist* checklist) {
    document.modified = true;
    screen.ShowChange(part, checklist);
}

AddItemStep::AddItemStep(CChecklistDlg& screen, Checklist* checklist, const char* text)
    : ChecklistStep(screen, "Add Item"), checklist(checklist), text(text) {}

void AddItemStep::redo() {
    if (item == nullptr) {
        after = checklist->items.prev;
        item = checklist->AppendItem(std::string_view(text));
    } else {
        Checklist::MoveItemAfter(item, after);
    }
    Shown(ChangedPart::Items, checklist);
}

void AddItemStep::undo() {
    Checklist::UnlinkItem(item);
    Shown(ChangedPart::Items, checklist);
}

EditItemStep::EditItemStep(CChecklistDlg& screen, Checklist* checklist, ChecklistItem* item,
                           const char* text)
    : ChecklistStep(screen, "Edit Item"), checklist(checklist), item(item), oldText(item->text),
      newText(document.CopyText(text)) {}

void EditItemStep::redo() {
    item->text = newText;
    Shown(ChangedPart::Texts, checklist);
}

void EditItemStep::undo() {
    item->text = oldText;
    Shown(ChangedPart::Texts, checklist);
}

DeleteItemStep::DeleteItemStep(CChecklistDlg& screen, Checklist* checklist, ChecklistItem* item)
    : ChecklistStep(screen, "Delete Item"), checklist(checklist), item(item) {}

void DeleteItemStep::redo() {
    after = item->prev;
    Checklist::UnlinkItem(item);
    Shown(ChangedPart::Items, checklist);
}

void DeleteItemStep::undo() {
    Checklist::MoveItemAfter(item, after);
    Shown(ChangedPart::Items, checklist);
}

MoveItemStep::MoveItemStep(CChecklistDlg& screen, Checklist* checklist, ChecklistItem* item,
                           bool up)
    : ChecklistStep(screen, up ? "Move item Up" : "Move item down"), checklist(checklist),
      item(item), up(up) {}

void MoveItemStep::redo() {
    after = item->prev;
    if (up) {
        checklist->MoveItemUp(item);
    } else {
        checklist->MoveItemDown(item);
    }
    // Undo must never seem to do nothing: a move that moved nothing is no step.
    setObsolete(item->prev == after);
    Shown(ChangedPart::Items, checklist);
}

void MoveItemStep::undo() {
    Checklist::MoveItemAfter(item, after);
    Shown(ChangedPart::Items, checklist);
}

NewChecklistStep::NewChecklistStep(CChecklistDlg& screen, const char* name)
    : ChecklistStep(screen, "New Checklist"), name(name) {}

void NewChecklistStep::redo() {
    if (checklist == nullptr) {
        checklist = document.CreateChecklist();
        checklist->SetName(std::string_view(name));
        after = document.checklists.prev;
    }
    document.AppendChecklist(checklist, after);
    Shown(ChangedPart::Checklists, checklist);
}

void NewChecklistStep::undo() {
    document.RemoveChecklist(checklist);
    Shown(ChangedPart::Checklists, checklist);
}

DeleteChecklistStep::DeleteChecklistStep(CChecklistDlg& screen, Checklist* checklist)
    : ChecklistStep(screen, "Delete Checklist"), checklist(checklist) {}

void DeleteChecklistStep::redo() {
    after = checklist->prev;
    const HotButtonSlot* slot = document.SlotFor(checklist);
    slotIndex = document.SlotIndex(slot);
    slotCaption = slot != nullptr ? slot->caption : nullptr;
    document.RemoveChecklist(checklist);
    Shown(ChangedPart::Checklists, checklist);
}

void DeleteChecklistStep::undo() {
    document.AppendChecklist(checklist, after);
    if (slotIndex >= 0) {
        document.SetSlot(slotIndex, slotCaption, checklist);
    }
    Shown(ChangedPart::Checklists, checklist);
}

RenameChecklistStep::RenameChecklistStep(CChecklistDlg& screen, Checklist* checklist,
                                         const char* name)
    : ChecklistStep(screen, "Rename Checklist"), checklist(checklist), oldName(checklist->name),
      newName(name) {}

void RenameChecklistStep::redo() {
    checklist->SetName(std::string_view(newName));
    Shown(ChangedPart::Texts, checklist);
}

void RenameChecklistStep::undo() {
    checklist->SetName(oldName);
    Shown(ChangedPart::Texts, checklist);
}

HotButtonsStep::Slots HotButtonsStep::Take(ChecklistDoc& document) {
    Slots taken{};
    for (int i = 0; i < ChecklistDoc::slotCount; ++i) {
        const HotButtonSlot* slot = document.SlotAt(i);
        taken[i] = {slot->caption, slot->checklist};
    }
    return taken;
}

HotButtonsStep::HotButtonsStep(CChecklistDlg& screen, const Slots& before, const Slots& after)
    : ChecklistStep(screen, "Configure Hot Buttons"), before(before), after(after) {}

void HotButtonsStep::Put(const Slots& values) {
    for (int i = 0; i < ChecklistDoc::slotCount; ++i) {
        document.SetSlot(i, values[i].caption, values[i].checklist);
    }
    Shown(ChangedPart::HotButtons, nullptr);
}

void HotButtonsStep::redo() {
    Put(after);
}

void HotButtonsStep::undo() {
    Put(before);
}
