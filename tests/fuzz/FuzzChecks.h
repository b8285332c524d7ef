#pragma once

#include "ChecklistDoc.h"
#include "ChecklistFile.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// What the fuzz targets demand of every document the reader builds; any breach aborts with a
// description, which libFuzzer then keeps as a crash.
namespace FuzzChecks {

[[noreturn]] inline void Fail(const char* what, std::string_view detail = {}) {
    std::fprintf(stderr, "%s %.*s\n", what, static_cast<int>(detail.size()), detail.data());
    std::abort();
}

// Walks a ring both ways and demands the same number of elements, all linked back.
template <typename T> std::size_t CheckRing(const T* end) {
    std::size_t forward = 0;
    for (const T* e = end->next; e != end; e = e->next, ++forward) {
        if (e->next->prev != e) {
            Fail("ring link not answered");
        }
    }
    std::size_t backward = 0;
    for (const T* e = end->prev; e != end; e = e->prev, ++backward) {
    }
    if (forward != backward) {
        Fail("ring walks disagree");
    }
    return forward;
}

// A text read from a file fits one line of the file and reads back unchanged.
inline void CheckText(const char* text) {
    std::string_view view(text);
    if (view.size() > LineRules::maxBytes) {
        Fail("text longer than a line:", view);
    }
    if (view.find('\n') != std::string_view::npos || (!view.empty() && view.back() == '\r')) {
        Fail("text holds a line end:", view);
    }
    if (!ChecklistFile::IsValidUtf8(view)) {
        Fail("text is not UTF-8:", view);
    }
}

inline void CheckDocument(ChecklistDoc& doc) {
    if (doc.modified) {
        Fail("reading left the document modified");
    }
    if (CheckRing(&doc.hotButtons) != ChecklistDoc::slotCount) {
        Fail("slot ring does not hold four slots");
    }
    CheckRing(&doc.checklists);
    for (const Checklist& checklist : doc.Checklists()) {
        CheckText(checklist.name);
        CheckRing(&checklist.items);
        for (const ChecklistItem& item : checklist.Items()) {
            CheckText(item.text);
        }
    }
    for (const HotButtonSlot& slot : doc.HotButtons()) {
        CheckText(slot.caption);
    }
}

// Both documents hold the same checklists and items, and the same assignments of slots to
// checklists with the same captions.
inline void CompareDocuments(ChecklistDoc& first, ChecklistDoc& second) {
    if (first.ChecklistCount() != second.ChecklistCount()) {
        Fail("checklist counts differ");
    }
    auto b = second.Checklists().begin();
    for (Checklist& a : first.Checklists()) {
        Checklist& other = *b++;
        if (std::string_view(a.name) != other.name) {
            Fail("checklist names differ:", a.name);
        }
        if (a.ItemCount() != other.ItemCount()) {
            Fail("item counts differ in", a.name);
        }
        auto y = other.Items().begin();
        for (const ChecklistItem& x : a.Items()) {
            if (std::string_view(x.text) != (y++)->text) {
                Fail("item texts differ:", x.text);
            }
        }
        HotButtonSlot* slotA = first.SlotFor(&a);
        HotButtonSlot* slotB = second.SlotFor(&other);
        if ((slotA == nullptr) != (slotB == nullptr) ||
            (slotA && (first.SlotIndex(slotA) != second.SlotIndex(slotB) ||
                       std::string_view(slotA->caption) != slotB->caption))) {
            Fail("hot-button assignment differs for", a.name);
        }
    }
}

} // namespace FuzzChecks
