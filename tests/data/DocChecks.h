#pragma once

#include "ChecklistDoc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Checks and compact descriptions of a document, shared by the model and the file tests.

namespace DocChecks {

// Walks a ring forward and backward from its end marker; the two walks must meet the same
// elements in opposite orders, and every link must be answered by the link back.
template <typename T>
::testing::AssertionResult RingIsSound(const T* end, const char* what, std::size_t* count) {
    constexpr std::size_t stepLimit = 10'000'000; // a ring that never closes stops here
    std::vector<const T*> forward;
    for (const T* e = end->next; e != end; e = e->next) {
        if (e->next->prev != e) {
            return ::testing::AssertionFailure()
                   << what << ": element " << forward.size() << " is not its successor's prev";
        }
        forward.push_back(e);
        if (forward.size() > stepLimit) {
            return ::testing::AssertionFailure() << what << ": forward walk never closes";
        }
    }
    if (end->next->prev != end) {
        return ::testing::AssertionFailure() << what << ": end marker's successor points away";
    }
    std::vector<const T*> backward;
    for (const T* e = end->prev; e != end; e = e->prev) {
        backward.push_back(e);
        if (backward.size() > forward.size()) {
            return ::testing::AssertionFailure() << what << ": backward walk is longer";
        }
    }
    if (std::vector<const T*>(backward.rbegin(), backward.rend()) != forward) {
        return ::testing::AssertionFailure()
               << what << ": forward walk (" << forward.size() << ") and backward walk ("
               << backward.size() << ") disagree";
    }
    if (count) {
        *count = forward.size();
    }
    return ::testing::AssertionSuccess();
}

// Every ring of the document is sound and the slot ring holds exactly four slots.
inline ::testing::AssertionResult RingsAreSound(const ChecklistDoc& doc) {
    std::size_t slots = 0;
    if (auto result = RingIsSound(&doc.hotButtons, "slot ring", &slots); !result) {
        return result;
    }
    if (slots != ChecklistDoc::slotCount) {
        return ::testing::AssertionFailure() << "slot ring holds " << slots << " slots";
    }
    if (auto result = RingIsSound(&doc.checklists, "checklist ring", nullptr); !result) {
        return result;
    }
    if (doc.checklists.items.next != &doc.checklists.items) {
        return ::testing::AssertionFailure() << "the checklist end marker holds items";
    }
    int index = 0;
    for (const Checklist* c = doc.checklists.next; c != &doc.checklists; c = c->next, ++index) {
        std::string what = "item ring of checklist " + std::to_string(index);
        if (auto result = RingIsSound(&c->items, what.c_str(), nullptr); !result) {
            return result;
        }
    }
    return ::testing::AssertionSuccess();
}

// The checklists in order as "name{item,item} name{}".
inline std::string DescribeChecklists(ChecklistDoc& doc) {
    std::string out;
    for (Checklist* c = doc.checklists.next; !doc.IsEnd(c); c = c->next) {
        if (!out.empty()) {
            out += ' ';
        }
        out += c->name;
        out += '{';
        for (ChecklistItem* item = c->items.next; !c->IsEnd(item); item = item->next) {
            if (item != c->items.next) {
                out += ',';
            }
            out += item->text;
        }
        out += '}';
    }
    return out;
}

// The slots that differ from a new document's, as "1:#0=Caption 2:-=Caption", where #n is the
// position of the slot's checklist in the document (#? when it is not in the document) and -
// stands for no checklist.
inline std::string DescribeSlots(ChecklistDoc& doc) {
    std::string out;
    for (int i = 0; i < ChecklistDoc::slotCount; ++i) {
        HotButtonSlot* slot = doc.SlotAt(i);
        if (slot->checklist == nullptr && std::string(slot->caption) == "(empty)") {
            continue;
        }
        if (!out.empty()) {
            out += ' ';
        }
        out += std::to_string(i) + ':';
        if (slot->checklist == nullptr) {
            out += '-';
        } else if (int position = doc.IndexOfChecklist(slot->checklist); position >= 0) {
            out += '#' + std::to_string(position);
        } else {
            out += "#?";
        }
        out += '=';
        out += slot->caption;
    }
    return out;
}

} // namespace DocChecks
