#pragma once

#include <QUndoCommand>
#include <array>
#include <string>

class CChecklistDlg;
class Checklist;
class ChecklistDoc;
struct ChecklistItem;
enum class ChangedPart;

// The changes that the screen's Edit commands and the hot-button configuration make to its
// document, each one step of the Edit menu's Undo and Redo, named after its menu entry.
//
// A step's redo makes the change (the first time when the screen pushes it) and its undo takes it
// back exactly, down to the positions of checklists and items and the hot-button slots. Both mark
// the document modified, so that the save question still guards the file, and show the result
// on the screen (CChecklistDlg::ShowChange). A step holds elements of the screen's document, which
// keeps every element alive as long as itself; the screen empties its history before it lets a
// document go.
class ChecklistStep : public QUndoCommand {
protected:
    ChecklistStep(CChecklistDlg& screen, const char* name);
    // The document counts as changed; the screen shows what changed.
    void Shown(ChangedPart part, Checklist* checklist);

    CChecklistDlg& screen;
    ChecklistDoc& document;
};

// Add Item: text appended at the end of checklist.
class AddItemStep : public ChecklistStep {
public:
    AddItemStep(CChecklistDlg& screen, Checklist* checklist, const char* text);
    void redo() override;
    void undo() override;

private:
    Checklist* checklist;
    std::string text;
    ChecklistItem* item = nullptr; // made by the first redo
    ChecklistItem* after = nullptr;
};

// Edit Item: the item's text replaced in place.
class EditItemStep : public ChecklistStep {
public:
    EditItemStep(CChecklistDlg& screen, Checklist* checklist, ChecklistItem* item,
                 const char* text);
    void redo() override;
    void undo() override;

private:
    Checklist* checklist;
    ChecklistItem* item;
    const char* oldText;
    const char* newText;
};

// Delete Item: the item taken out of its checklist, and put back at its place.
class DeleteItemStep : public ChecklistStep {
public:
    DeleteItemStep(CChecklistDlg& screen, Checklist* checklist, ChecklistItem* item);
    void redo() override;
    void undo() override;

private:
    Checklist* checklist;
    ChecklistItem* item;
    ChecklistItem* after = nullptr;
};

// Move item Up or Move item down. A move that changes nothing (the first item up, the last one
// down) still shows the list again, but leaves no step in the history.
class MoveItemStep : public ChecklistStep {
public:
    MoveItemStep(CChecklistDlg& screen, Checklist* checklist, ChecklistItem* item, bool up);
    void redo() override;
    void undo() override;

private:
    Checklist* checklist;
    ChecklistItem* item;
    bool up;
    ChecklistItem* after = nullptr;
};

// New Checklist: a checklist of that name appended at the end, and shown.
class NewChecklistStep : public ChecklistStep {
public:
    NewChecklistStep(CChecklistDlg& screen, const char* name);
    void redo() override;
    void undo() override;

private:
    std::string name;
    Checklist* checklist = nullptr; // made by the first redo
    Checklist* after = nullptr;
};

// Delete Checklist: the checklist removed with the hot button that led to it; undo puts both back.
class DeleteChecklistStep : public ChecklistStep {
public:
    DeleteChecklistStep(CChecklistDlg& screen, Checklist* checklist);
    void redo() override;
    void undo() override;

private:
    Checklist* checklist;
    Checklist* after = nullptr;
    int slotIndex = -1; // the slot that led to it, or -1
    const char* slotCaption = nullptr;
};

// Rename Checklist: the checklist's name replaced.
class RenameChecklistStep : public ChecklistStep {
public:
    RenameChecklistStep(CChecklistDlg& screen, Checklist* checklist, const char* name);
    void redo() override;
    void undo() override;

private:
    Checklist* checklist;
    const char* oldName;
    std::string newName;
};

// Configure Hot Buttons: the four slots as they were before and after the dialog's OK.
class HotButtonsStep : public ChecklistStep {
public:
    struct Slot {
        const char* caption;
        Checklist* checklist;
    };
    using Slots = std::array<Slot, 4>;

    // The document's four slots as they are now.
    static Slots Take(ChecklistDoc& document);

    HotButtonsStep(CChecklistDlg& screen, const Slots& before, const Slots& after);
    void redo() override;
    void undo() override;

private:
    void Put(const Slots& values);

    Slots before;
    Slots after;
};
