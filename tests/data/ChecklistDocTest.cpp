#include "DocChecks.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

using namespace DocChecks;

namespace {

TEST(ChecklistDoc, NewDocumentAndNewChecklistHoldNothing) {
    ChecklistDoc doc;
    EXPECT_TRUE(RingsAreSound(doc));
    EXPECT_EQ(Describe(doc), " | modified"); // four slots "(empty)" without a checklist
    EXPECT_EQ(doc.fileName, nullptr);
    EXPECT_EQ(doc.ChecklistAt(-1), nullptr);
    EXPECT_EQ(doc.IndexOfChecklist(doc.CreateChecklist()), -1); // made, but linked to nothing
}

// The elements of the ring closed by end, as its backward links give them, in forward order.
template <typename Element> std::vector<const Element*> ByBackwardLinks(const Element* end) {
    std::vector<const Element*> elements;
    for (const Element* e = end->prev; e != end; e = e->prev) {
        elements.push_back(e);
    }
    std::reverse(elements.begin(), elements.end());
    return elements;
}

template <typename Range> auto Walk(const Range& range) {
    std::vector<const std::remove_cvref_t<decltype(*range.begin())>*> elements;
    for (const auto& element : range) {
        elements.push_back(&element);
    }
    return elements;
}

// Every range of the document, const or not, walks its ring in the order of the ring's links,
// the checklists and slots in the order of their positions, and ItemCount counts the items.
void ExpectRangesFollowTheRings(ChecklistDoc& doc) {
    const ChecklistDoc& constant = doc;
    const auto lists = ByBackwardLinks(&doc.checklists);
    EXPECT_EQ(Walk(doc.Checklists()), lists);
    EXPECT_EQ(Walk(constant.Checklists()), lists);
    EXPECT_EQ(constant.Checklists().size(), lists.size());
    EXPECT_EQ(constant.Checklists().empty(), lists.empty());
    EXPECT_EQ(doc.ChecklistCount(), static_cast<int>(lists.size()));
    for (int i = 0; i < static_cast<int>(lists.size()); ++i) {
        EXPECT_EQ(doc.ChecklistAt(i), lists[i]);
        EXPECT_EQ(doc.IndexOfChecklist(lists[i]), i);
    }
    EXPECT_EQ(doc.ChecklistAt(static_cast<int>(lists.size())), nullptr);
    for (Checklist& checklist : doc.Checklists()) {
        const auto items = ByBackwardLinks(&checklist.items);
        EXPECT_EQ(Walk(checklist.Items()), items);
        EXPECT_EQ(Walk(std::as_const(checklist).Items()), items);
        EXPECT_EQ(checklist.ItemCount(), static_cast<int>(items.size()));
        EXPECT_EQ(checklist.Items().empty(), items.empty());
    }
    const auto slots = ByBackwardLinks(&doc.hotButtons);
    EXPECT_EQ(Walk(doc.HotButtons()), slots);
    EXPECT_EQ(Walk(constant.HotButtons()), slots);
    for (int i = 0; i < ChecklistDoc::slotCount; ++i) {
        EXPECT_EQ(doc.SlotAt(i), slots.at(i));
        EXPECT_EQ(doc.SlotIndex(slots[i]), i);
    }
}

TEST(ChecklistDoc, RangesOfEmptyRingsWalkNothing) {
    ChecklistDoc doc;
    Checklist* made = doc.CreateChecklist();
    EXPECT_TRUE(doc.Checklists().empty());
    EXPECT_EQ(doc.Checklists().begin(), doc.Checklists().end());
    EXPECT_EQ(std::as_const(doc).Checklists().size(), 0u);
    EXPECT_EQ(made->ItemCount(), 0);
    EXPECT_TRUE(std::as_const(*made).Items().empty());
    ExpectRangesFollowTheRings(doc);
    // Emptied again, a checklist's ring walks nothing either.
    doc.AppendChecklist(made);
    Checklist::UnlinkItem(made->AppendItem("only"));
    EXPECT_EQ(made->ItemCount(), 0);
    EXPECT_EQ(made->Items().begin(), made->Items().end());
    ExpectRangesFollowTheRings(doc);
}

// "A{a,b,c} B{}" with slot 1 leading to B, unmodified: where every operation below starts.
struct Start {
    Start() {
        doc.SetSlot(1, "ToB", b);
        doc.modified = false;
    }
    ChecklistDoc doc;
    Checklist* a = AddChecklist(doc, "A");
    ChecklistItem* items[3] = {a->AppendItem("a"), a->AppendItem("b"), a->AppendItem("c")};
    Checklist* b = AddChecklist(doc, "B");
};

struct OperationCase {
    const char* name;
    void (*operation)(Start&);
    const char* expected;
    // Prints as its name, so that test lists stay readable and the same from run to run.
    friend void PrintTo(const OperationCase& row, std::ostream* os) { *os << row.name; }
};

const OperationCase operationCases[] = {
    {"positions_below_zero_give_the_first_and_four_gives_none",
     [](Start& s) {
         EXPECT_EQ(s.doc.ChecklistAt(INT_MIN), s.a);
         s.doc.SetSlot(-1, "Low", s.a);
         s.doc.SetSlot(4, "High", s.a);
     },
     "A{a,b,c} B{} | 0:#0=Low 1:#1=ToB"},
    {"up_on_first_item_and_down_on_last_change_nothing",
     [](Start& s) {
         s.a->MoveItemUp(s.items[0]);
         s.a->MoveItemDown(s.items[2]);
     },
     "A{a,b,c} B{} | 1:#1=ToB"},
    {"up_on_second_item_makes_it_first", [](Start& s) { s.a->MoveItemUp(s.items[1]); },
     "A{b,a,c} B{} | 1:#1=ToB"},
    {"down_on_second_item_makes_it_last", [](Start& s) { s.a->MoveItemDown(s.items[1]); },
     "A{a,c,b} B{} | 1:#1=ToB"},
    {"move_after_itself_changes_nothing",
     [](Start& s) { Checklist::MoveItemAfter(s.items[1], s.items[1]); }, "A{a,b,c} B{} | 1:#1=ToB"},
    {"append_item_after_an_item_at_the_end_and_after_the_end_marker",
     [](Start& s) {
         s.a->AppendItem("x", s.items[0]);
         s.a->AppendItem("y");
         s.a->AppendItem("z", &s.a->items);
     },
     "A{z,a,x,b,c,y} B{} | 1:#1=ToB"},
    {"unlinked_item_points_to_itself_and_keeps_its_text",
     [](Start& s) {
         Checklist::UnlinkItem(s.items[1]);
         EXPECT_EQ(s.items[1]->next, s.items[1]->prev);
         EXPECT_STREQ(s.items[1]->next->text, "b");
     },
     "A{a,c} B{} | 1:#1=ToB"},
    {"texts_are_copies_and_a_null_file_name_clears_it",
     [](Start& s) {
         char buffer[16] = "text";
         s.a->SetName(buffer);
         s.a->AppendItem(buffer);
         s.doc.SetSlot(0, buffer, s.a);
         s.doc.SetFileName(buffer);
         std::strcpy(buffer, "changed");
         EXPECT_STREQ(s.doc.fileName, "text");
         s.doc.SetFileName(nullptr);
         EXPECT_EQ(s.doc.fileName, nullptr);
     },
     "text{a,b,c,text} B{} | 0:#0=text 1:#1=ToB"},
    {"append_checklist_after_a_given_one",
     [](Start& s) { s.doc.AppendChecklist(s.doc.CreateChecklist(), s.a); },
     "A{a,b,c} nocaption{} B{} | 1:#2=ToB | modified"},
    // A second slot may still lead to a removed checklist: it stays whole, items and all.
    {"remove_checklist_clears_only_its_first_slot",
     [](Start& s) {
         s.doc.SetSlot(3, "Later", s.a);
         s.doc.SetSlot(2, "Earlier", s.a);
         s.doc.RemoveChecklist(s.a);
         EXPECT_EQ(Describe(s.doc), "B{} | 1:#0=ToB 3:#?=Later | modified");
         EXPECT_EQ(s.a->next, s.a);
         EXPECT_STREQ(s.doc.SlotAt(3)->checklist->name, "A");
         EXPECT_STREQ(s.items[2]->next->next->text, "a");
         s.doc.RemoveChecklist(s.a); // removing it again clears the second slot
     },
     "B{} | 1:#0=ToB | modified"},
    {"remove_checklist_without_slot_leaves_the_slots", [](Start& s) { s.doc.RemoveChecklist(s.a); },
     "B{} | 1:#0=ToB | modified"},
    // The end markers are told apart by identity: their text is ordinary text anywhere else.
    {"header_as_item_text_hides_nothing",
     [](Start& s) {
         s.a->AppendItem("HEADER", s.items[0]);
         s.a->MoveItemUp(s.items[1]);
     },
     "A{a,b,HEADER,c} B{} | 1:#1=ToB"},
};

class Operation : public ::testing::TestWithParam<OperationCase> {};

TEST_P(Operation, KeepsTheRingsSoundAndChangesWhatItSays) {
    Start s;
    GetParam().operation(s);
    EXPECT_TRUE(RingsAreSound(s.doc));
    EXPECT_EQ(Describe(s.doc), GetParam().expected);
    ExpectRangesFollowTheRings(s.doc);
}

INSTANTIATE_TEST_SUITE_P(Rows, Operation, ::testing::ValuesIn(operationCases),
                         RowName<OperationCase>);

} // namespace
