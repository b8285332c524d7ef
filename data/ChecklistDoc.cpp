#include "ChecklistDoc.h"

#include <cstring>
#include <new>

namespace {

const char* const endMarkerText = "HEADER";
const char* const emptyCaption = "(empty)";

// Links element directly after target in a ring of the element's type.
template <typename T> void LinkAfter(T* element, T* target) {
    element->next = target->next;
    element->prev = target;
    target->next->prev = element;
    target->next = element;
}

template <typename T> void Unlink(T* element) {
    element->prev->next = element->next;
    element->next->prev = element->prev;
    element->next = element;
    element->prev = element;
}

} // namespace

Checklist::Checklist(ChecklistDoc* owner) : owner(owner) {
    items.text = endMarkerText;
}

ChecklistItem* Checklist::AppendItem(const char* text, ChecklistItem* after) {
    return AppendItem(std::string_view(text ? text : ""), after);
}

ChecklistItem* Checklist::AppendItem(std::string_view text, ChecklistItem* after) {
    auto* item = new (owner->Allocate(sizeof(ChecklistItem), alignof(ChecklistItem))) ChecklistItem;
    item->text = owner->CopyText(text);
    LinkAfter(item, after ? after : items.prev);
    return item;
}

void Checklist::UnlinkItem(ChecklistItem* item) {
    Unlink(item);
}

void Checklist::MoveItemAfter(ChecklistItem* item, ChecklistItem* target) {
    if (item == target) {
        return;
    }
    Unlink(item);
    LinkAfter(item, target);
}

void Checklist::MoveItemUp(ChecklistItem* item) {
    if (item->prev == &items) {
        return;
    }
    MoveItemAfter(item, item->prev->prev);
}

void Checklist::MoveItemDown(ChecklistItem* item) {
    if (item->next == &items) {
        return;
    }
    MoveItemAfter(item, item->next);
}

void Checklist::SetName(const char* text) {
    name = owner->CopyText(text);
}

void Checklist::SetName(std::string_view text) {
    name = owner->CopyText(text);
}

ChecklistDoc::ChecklistDoc() : checklists(this) {
    checklists.name = endMarkerText;
    hotButtons.caption = endMarkerText;
    for (int i = 0; i < slotCount; ++i) {
        auto* slot =
            new (memory.allocate(sizeof(HotButtonSlot), alignof(HotButtonSlot))) HotButtonSlot;
        slot->caption = emptyCaption;
        LinkAfter(slot, hotButtons.prev);
    }
}

// Every element lives in the monotonic buffer and is trivially destructible: releasing the
// buffer releases the whole document at once.
ChecklistDoc::~ChecklistDoc() = default;

void* ChecklistDoc::Allocate(std::size_t size, std::size_t alignment) {
    return memory.allocate(size, alignment);
}

const char* ChecklistDoc::CopyText(const char* text) {
    return CopyText(std::string_view(text ? text : ""));
}

const char* ChecklistDoc::CopyText(std::string_view text) {
    auto* copy = static_cast<char*>(memory.allocate(text.size() + 1, 1));
    if (!text.empty()) {
        std::memcpy(copy, text.data(), text.size());
    }
    copy[text.size()] = '\0';
    return copy;
}

Checklist* ChecklistDoc::CreateChecklist() {
    return new (memory.allocate(sizeof(Checklist), alignof(Checklist))) Checklist(this);
}

void ChecklistDoc::AppendChecklist(Checklist* checklist, Checklist* after) {
    LinkAfter(checklist, after ? after : checklists.prev);
    modified = true;
}

void ChecklistDoc::RemoveChecklist(Checklist* checklist) {
    if (HotButtonSlot* slot = SlotFor(checklist)) {
        slot->checklist = nullptr;
        slot->caption = CopyText(emptyCaption);
    }
    Unlink(checklist);
    modified = true;
}

Checklist* ChecklistDoc::ChecklistAt(int n) {
    for (Checklist& checklist : Checklists()) {
        if (n <= 0) {
            return &checklist;
        }
        --n;
    }
    return nullptr;
}

int ChecklistDoc::IndexOfChecklist(const Checklist* checklist) const {
    int index = 0;
    for (const Checklist& each : Checklists()) {
        if (&each == checklist) {
            return index;
        }
        ++index;
    }
    return -1;
}

int ChecklistDoc::ChecklistCount() const {
    return static_cast<int>(Checklists().size());
}

HotButtonSlot* ChecklistDoc::SlotAt(int i) {
    for (HotButtonSlot& slot : HotButtons()) {
        if (i <= 0) {
            return &slot;
        }
        --i;
    }
    return nullptr;
}

int ChecklistDoc::SlotIndex(const HotButtonSlot* slot) const {
    int index = 0;
    for (const HotButtonSlot& each : HotButtons()) {
        if (&each == slot) {
            return index;
        }
        ++index;
    }
    return -1;
}

HotButtonSlot* ChecklistDoc::SlotFor(const Checklist* checklist) {
    for (HotButtonSlot& slot : HotButtons()) {
        if (slot.checklist == checklist) {
            return &slot;
        }
    }
    return nullptr;
}

void ChecklistDoc::SetSlot(int i, const char* caption, Checklist* checklist) {
    SetSlot(i, std::string_view(caption ? caption : ""), checklist);
}

void ChecklistDoc::SetSlot(int i, std::string_view caption, Checklist* checklist) {
    if (HotButtonSlot* slot = SlotAt(i)) {
        slot->caption = CopyText(caption);
        slot->checklist = checklist;
    }
}

void ChecklistDoc::SetFileName(const char* path) {
    fileName = path ? CopyText(path) : nullptr;
}
