#pragma once

#include "ChecklistDoc.h"

#include <gtest/gtest.h>

#include <string>

// Building, checking and describing documents, shared by the model and the file tests.
namespace DocChecks {

// Appends a checklist of the given name and items at the end of the document.
inline Checklist* AddChecklist(ChecklistDoc& doc, std::string_view name,
                               std::initializer_list<std::string_view> items = {}) {
    Checklist* checklist = doc.CreateChecklist();
    checklist->SetName(name);
    for (std::string_view item : items) {
        checklist->AppendItem(item);
    }
    doc.AppendChecklist(checklist);
    return checklist;
}

// The number of elements in a ring, or -1 when a walk forward and a walk backward from its end
// marker do not meet the same elements in opposite orders.
template <typename T> long RingSize(const T* end) {
    long size = 0;
    for (const T* e = end->next; e != end; e = e->next, ++size) {
        if (e->next->prev != e || size > 10'000'000) {
            return -1;
        }
    }
    long back = 0;
    for (const T* e = end->prev; e != end && back <= size; e = e->prev, ++back) {
    }
    return back == size ? size : -1;
}

// Every ring of the document is sound, and the slot ring holds four slots.
inline bool RingsAreSound(const ChecklistDoc& doc) {
    bool sound = RingSize(&doc.hotButtons) == ChecklistDoc::slotCount &&
                 RingSize(&doc.checklists) >= 0 && RingSize(&doc.checklists.items) == 0;
    if (!sound) {
        return false; // a walk along a broken ring may never end
    }
    for (const Checklist& checklist : doc.Checklists()) {
        if (RingSize(&checklist.items) < 0) {
            return false;
        }
    }
    return true;
}

// The document as "name{item,item} name{} | 1:#0=Caption 2:-=Caption | modified": the
// checklists in order, then the slots that differ from a new document's, where #n is the
// position of the slot's checklist, #? one no longer in the document and - none.
inline std::string Describe(ChecklistDoc& doc) {
    std::string out;
    for (const Checklist& checklist : doc.Checklists()) {
        out += (out.empty() ? "" : " ") + std::string(checklist.name) + '{';
        const char* separator = "";
        for (const ChecklistItem& item : checklist.Items()) {
            out += separator + std::string(item.text);
            separator = ",";
        }
        out += '}';
    }
    const char* separator = " | ";
    for (int i = 0; i < ChecklistDoc::slotCount; ++i) {
        HotButtonSlot* slot = doc.SlotAt(i);
        if (slot->checklist || std::string_view(slot->caption) != "(empty)") {
            int position = doc.IndexOfChecklist(slot->checklist);
            out += separator + std::to_string(i) + ':' +
                   (!slot->checklist ? "-"
                    : position < 0   ? "#?"
                                     : '#' + std::to_string(position)) +
                   '=' + slot->caption;
            separator = " ";
        }
    }
    return out + (doc.modified ? " | modified" : "");
}

// Names a table row's test after the row.
template <typename Row> std::string RowName(const ::testing::TestParamInfo<Row>& info) {
    return info.param.name;
}

} // namespace DocChecks
