#include "ChecklistDoc.h"
#include "DocChecks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using DocChecks::DescribeChecklists;
using DocChecks::DescribeSlots;
using DocChecks::RingsAreSound;

namespace {

// Appends a checklist of the given name and items at the end of the document.
Checklist* AddChecklist(ChecklistDoc& doc, const char* name,
                        std::initializer_list<const char*> items = {}) {
    Checklist* checklist = doc.CreateChecklist();
    checklist->SetName(name);
    for (const char* item : items) {
        checklist->AppendItem(item);
    }
    doc.AppendChecklist(checklist);
    return checklist;
}

std::vector<ChecklistItem*> ItemsOf(Checklist* checklist) {
    std::vector<ChecklistItem*> items;
    for (ChecklistItem* i = checklist->items.next; !checklist->IsEnd(i); i = i->next) {
        items.push_back(i);
    }
    return items;
}

TEST(ChecklistDoc, NewDocumentIsEmptyModifiedAndUnnamed) {
    ChecklistDoc doc;
    EXPECT_TRUE(RingsAreSound(doc));
    EXPECT_EQ(doc.ChecklistCount(), 0);
    EXPECT_EQ(doc.FirstChecklist(), nullptr);
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(doc.fileName, nullptr);
    for (int i = 0; i < ChecklistDoc::slotCount; ++i) {
        HotButtonSlot* slot = doc.SlotAt(i);
        ASSERT_NE(slot, nullptr);
        EXPECT_STREQ(slot->caption, "(empty)");
        EXPECT_EQ(slot->checklist, nullptr);
    }
}

TEST(ChecklistDoc, NewChecklistIsNamedNocaptionAndLinkedToNothing) {
    ChecklistDoc doc;
    Checklist* checklist = doc.CreateChecklist();
    EXPECT_STREQ(checklist->name, "nocaption");
    EXPECT_EQ(checklist->FirstItem(), nullptr);
    EXPECT_EQ(doc.ChecklistCount(), 0);
    EXPECT_EQ(doc.IndexOfChecklist(checklist), -1);
}

struct PositionCase {
    const char* name;
    int position;
    int expected; // position of the checklist expected, -1 for none
};

void PrintTo(const PositionCase& row, std::ostream* out) {
    *out << row.name;
}

class ChecklistAtTest : public ::testing::TestWithParam<PositionCase> {};

TEST_P(ChecklistAtTest, WalksFromTheFirstChecklist) {
    ChecklistDoc doc;
    std::array<Checklist*, 3> checklists = {AddChecklist(doc, "A"), AddChecklist(doc, "B"),
                                            AddChecklist(doc, "C")};
    Checklist* found = doc.ChecklistAt(GetParam().position);
    if (GetParam().expected < 0) {
        EXPECT_EQ(found, nullptr);
    } else {
        EXPECT_EQ(found, checklists[GetParam().expected]);
    }
}

INSTANTIATE_TEST_SUITE_P(Positions, ChecklistAtTest,
                         ::testing::Values(PositionCase{"far_below_zero", -2, 0},
                                           PositionCase{"just_below_zero", -1, 0},
                                           PositionCase{"first", 0, 0}, PositionCase{"last", 2, 2},
                                           PositionCase{"equal_to_count", 3, -1},
                                           PositionCase{"far_past_the_end", 1000, -1},
                                           PositionCase{"int_min", INT32_MIN, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ChecklistDoc, ChecklistAtOnEmptyDocumentYieldsNoneForAnyPosition) {
    ChecklistDoc doc;
    EXPECT_EQ(doc.ChecklistAt(-1), nullptr);
    EXPECT_EQ(doc.ChecklistAt(0), nullptr);
    EXPECT_EQ(doc.ChecklistAt(1), nullptr);
}

class SlotAtTest : public ::testing::TestWithParam<PositionCase> {};

TEST_P(SlotAtTest, YieldsSlotsZeroToThreeOnly) {
    ChecklistDoc doc;
    HotButtonSlot* slot = doc.SlotAt(GetParam().position);
    if (GetParam().expected < 0) {
        EXPECT_EQ(slot, nullptr);
    } else {
        ASSERT_NE(slot, nullptr);
        EXPECT_EQ(doc.SlotIndex(slot), GetParam().expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Indices, SlotAtTest,
                         ::testing::Values(PositionCase{"far_below_zero", -5, 0},
                                           PositionCase{"just_below_zero", -1, 0},
                                           PositionCase{"first", 0, 0}, PositionCase{"last", 3, 3},
                                           PositionCase{"four", 4, -1},
                                           PositionCase{"far_past_the_end", 100, -1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ChecklistDoc, SetSlotBelowZeroChangesSlotZeroAndFourChangesNothing) {
    ChecklistDoc doc;
    Checklist* a = AddChecklist(doc, "A");
    doc.modified = false;
    doc.SetSlot(-1, "Low", a);
    doc.SetSlot(4, "High", a);
    EXPECT_EQ(DescribeSlots(doc), "0:#0=Low");
    EXPECT_FALSE(doc.modified);
    EXPECT_TRUE(RingsAreSound(doc));
}

TEST(ChecklistDoc, TextsAreCopiedNotBorrowed) {
    ChecklistDoc doc;
    char buffer[16];
    std::strcpy(buffer, "name");
    Checklist* checklist = doc.CreateChecklist();
    checklist->SetName(buffer);
    std::strcpy(buffer, "item");
    checklist->AppendItem(buffer);
    std::strcpy(buffer, "caption");
    doc.SetSlot(1, buffer, checklist);
    std::strcpy(buffer, "path.ckl");
    doc.SetFileName(buffer);
    std::strcpy(buffer, "overwritten");
    doc.AppendChecklist(checklist);
    EXPECT_EQ(DescribeChecklists(doc), "name{item}");
    EXPECT_EQ(DescribeSlots(doc), "1:#0=caption");
    EXPECT_STREQ(doc.fileName, "path.ckl");
}

TEST(ChecklistDoc, NullTextsBecomeEmptyTexts) {
    ChecklistDoc doc;
    Checklist* checklist = AddChecklist(doc, "A");
    checklist->AppendItem(static_cast<const char*>(nullptr));
    checklist->SetName(static_cast<const char*>(nullptr));
    doc.SetSlot(0, static_cast<const char*>(nullptr), checklist);
    doc.SetFileName(nullptr);
    EXPECT_EQ(DescribeChecklists(doc), "{}");
    EXPECT_EQ(DescribeSlots(doc), "0:#0=");
    EXPECT_EQ(doc.fileName, nullptr);
}

struct MoveCase {
    const char* name;
    int items;        // the checklist holds items "a", "b", ... of this count
    const char* move; // "up" or "down"
    int item;         // 0-based position of the item moved
    const char* expected;
};

void PrintTo(const MoveCase& row, std::ostream* out) {
    *out << row.name;
}

class MoveItemTest : public ::testing::TestWithParam<MoveCase> {};

TEST_P(MoveItemTest, SwapsWithTheNeighbourOrLeavesTheEndsAlone) {
    const MoveCase& c = GetParam();
    ChecklistDoc doc;
    Checklist* checklist = AddChecklist(doc, "L");
    for (int i = 0; i < c.items; ++i) {
        checklist->AppendItem(std::string(1, char('a' + i)));
    }
    ChecklistItem* item = ItemsOf(checklist)[c.item];
    doc.modified = false;
    if (std::string(c.move) == "up") {
        checklist->MoveItemUp(item);
    } else {
        checklist->MoveItemDown(item);
    }
    EXPECT_EQ(DescribeChecklists(doc), c.expected);
    EXPECT_FALSE(doc.modified);
    EXPECT_TRUE(RingsAreSound(doc));
}

INSTANTIATE_TEST_SUITE_P(
    Moves, MoveItemTest,
    ::testing::Values(MoveCase{"up_on_first_changes_nothing", 3, "up", 0, "L{a,b,c}"},
                      MoveCase{"down_on_last_changes_nothing", 3, "down", 2, "L{a,b,c}"},
                      MoveCase{"up_on_only_item_changes_nothing", 1, "up", 0, "L{a}"},
                      MoveCase{"down_on_only_item_changes_nothing", 1, "down", 0, "L{a}"},
                      MoveCase{"up_on_second_makes_it_first", 3, "up", 1, "L{b,a,c}"},
                      MoveCase{"up_on_last", 3, "up", 2, "L{a,c,b}"},
                      MoveCase{"down_on_first", 3, "down", 0, "L{b,a,c}"},
                      MoveCase{"down_on_second_makes_it_last", 3, "down", 1, "L{a,c,b}"},
                      MoveCase{"up_on_second_of_two", 2, "up", 1, "L{b,a}"},
                      MoveCase{"down_on_first_of_two", 2, "down", 0, "L{b,a}"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChecklistDoc, MoveItemUpAndDownTestTheEndMarkerNotItsText) {
    ChecklistDoc doc;
    Checklist* checklist = AddChecklist(doc, "L", {"HEADER", "HEADER"});
    std::vector<ChecklistItem*> items = ItemsOf(checklist);
    checklist->MoveItemUp(items[1]);
    EXPECT_EQ(ItemsOf(checklist), (std::vector<ChecklistItem*>{items[1], items[0]}));
    checklist->MoveItemDown(items[1]);
    EXPECT_EQ(ItemsOf(checklist), items);
    EXPECT_TRUE(RingsAreSound(doc));
}

TEST(ChecklistDoc, MoveItemAfterItselfChangesNothingAndAfterTheEndMarkerMakesItFirst) {
    ChecklistDoc doc;
    Checklist* checklist = AddChecklist(doc, "L", {"a", "b", "c"});
    std::vector<ChecklistItem*> items = ItemsOf(checklist);
    Checklist::MoveItemAfter(items[1], items[1]);
    EXPECT_EQ(DescribeChecklists(doc), "L{a,b,c}");
    Checklist::MoveItemAfter(items[2], &checklist->items);
    EXPECT_EQ(DescribeChecklists(doc), "L{c,a,b}");
    Checklist::MoveItemAfter(items[2], items[1]);
    EXPECT_EQ(DescribeChecklists(doc), "L{a,b,c}");
    EXPECT_TRUE(RingsAreSound(doc));
}

TEST(ChecklistDoc, AppendItemLinksAfterTheGivenItemOrAtTheEnd) {
    ChecklistDoc doc;
    Checklist* checklist = AddChecklist(doc, "L", {"a", "c"});
    ChecklistItem* first = checklist->FirstItem();
    checklist->AppendItem("b", first);
    checklist->AppendItem("d");
    checklist->AppendItem("start", &checklist->items);
    EXPECT_EQ(DescribeChecklists(doc), "L{start,a,b,c,d}");
    EXPECT_TRUE(RingsAreSound(doc));
}

TEST(ChecklistDoc, UnlinkedItemPointsToItselfAndStaysReadable) {
    ChecklistDoc doc;
    Checklist* checklist = AddChecklist(doc, "L", {"a", "b"});
    std::vector<ChecklistItem*> items = ItemsOf(checklist);
    doc.modified = false;
    Checklist::UnlinkItem(items[0]);
    Checklist::UnlinkItem(items[1]);
    EXPECT_EQ(items[0]->next, items[0]);
    EXPECT_EQ(items[0]->prev, items[0]);
    EXPECT_STREQ(items[1]->text, "b");
    // A checklist whose items are all gone is still a checklist.
    EXPECT_EQ(DescribeChecklists(doc), "L{}");
    EXPECT_EQ(checklist->FirstItem(), nullptr);
    EXPECT_FALSE(doc.modified);
    EXPECT_TRUE(RingsAreSound(doc));
}

TEST(ChecklistDoc, AppendChecklistLinksAfterTheGivenOneAndSetsModified) {
    ChecklistDoc doc;
    Checklist* a = AddChecklist(doc, "A");
    AddChecklist(doc, "C");
    doc.modified = false;
    Checklist* b = doc.CreateChecklist();
    b->SetName("B");
    doc.AppendChecklist(b, a);
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(DescribeChecklists(doc), "A{} B{} C{}");
    EXPECT_EQ(doc.IndexOfChecklist(b), 1);
    EXPECT_TRUE(RingsAreSound(doc));
}

TEST(ChecklistDoc, RemoveChecklistClearsOnlyTheFirstSlotThatRefersToIt) {
    ChecklistDoc doc;
    Checklist* a = AddChecklist(doc, "A", {"a1"});
    Checklist* b = AddChecklist(doc, "B", {"b1", "b2"});
    doc.SetSlot(0, "ToA", a);
    doc.SetSlot(1, "FirstB", b);
    doc.SetSlot(3, "SecondB", b);
    EXPECT_EQ(doc.SlotFor(b), doc.SlotAt(1));
    doc.modified = false;

    doc.RemoveChecklist(b);

    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(DescribeChecklists(doc), "A{a1}");
    EXPECT_EQ(DescribeSlots(doc), "0:#0=ToA 3:#?=SecondB");
    EXPECT_EQ(b->next, b);
    EXPECT_EQ(b->prev, b);
    EXPECT_EQ(doc.IndexOfChecklist(b), -1);
    // The second slot still names the removed checklist, which must stay whole.
    EXPECT_EQ(doc.SlotFor(b), doc.SlotAt(3));
    EXPECT_STREQ(doc.SlotAt(3)->checklist->name, "B");
    EXPECT_EQ(ItemsOf(b).size(), 2u);
    EXPECT_TRUE(RingsAreSound(doc));

    doc.RemoveChecklist(b); // removing it again clears the second slot
    EXPECT_EQ(DescribeSlots(doc), "0:#0=ToA");
    EXPECT_TRUE(RingsAreSound(doc));
}

TEST(ChecklistDoc, RemoveChecklistWithoutSlotLeavesSlotsAlone) {
    ChecklistDoc doc;
    Checklist* a = AddChecklist(doc, "A");
    Checklist* b = AddChecklist(doc, "B");
    doc.SetSlot(2, "ToA", a);
    doc.RemoveChecklist(b);
    EXPECT_EQ(DescribeSlots(doc), "2:#0=ToA");
    EXPECT_EQ(doc.ChecklistCount(), 1);
}

TEST(ChecklistDoc, SlotForYieldsTheLowestNumberedSlot) {
    ChecklistDoc doc;
    Checklist* a = AddChecklist(doc, "A");
    doc.SetSlot(3, "Three", a);
    doc.SetSlot(2, "Two", a);
    EXPECT_EQ(doc.SlotFor(a), doc.SlotAt(2));
    EXPECT_EQ(doc.SlotFor(AddChecklist(doc, "B")), nullptr);
}

TEST(ChecklistDoc, IndexLookupsOfForeignElementsYieldMinusOne) {
    ChecklistDoc doc;
    ChecklistDoc other;
    AddChecklist(doc, "A");
    EXPECT_EQ(doc.IndexOfChecklist(AddChecklist(other, "A")), -1);
    EXPECT_EQ(doc.IndexOfChecklist(nullptr), -1);
    EXPECT_EQ(doc.SlotIndex(other.SlotAt(0)), -1);
    EXPECT_EQ(doc.SlotIndex(&doc.hotButtons), -1);
}

// The text of an end marker is ordinary text anywhere else: walks pass it by.
TEST(ChecklistDoc, HeaderAsUserTextHidesNothing) {
    ChecklistDoc doc;
    AddChecklist(doc, "A");
    Checklist* header = AddChecklist(doc, "HEADER", {"HEADER", "after"});
    Checklist* last = AddChecklist(doc, "Last");
    doc.SetSlot(0, "HEADER", header);
    doc.SetSlot(1, "HEADER", nullptr);
    doc.SetSlot(2, "ToLast", last);

    EXPECT_EQ(doc.ChecklistCount(), 3);
    EXPECT_EQ(doc.ChecklistAt(2), last);
    EXPECT_EQ(doc.IndexOfChecklist(last), 2);
    EXPECT_EQ(doc.SlotFor(last), doc.SlotAt(2));
    EXPECT_EQ(doc.SlotIndex(doc.SlotAt(3)), 3);
    EXPECT_EQ(DescribeChecklists(doc), "A{} HEADER{HEADER,after} Last{}");
    EXPECT_TRUE(RingsAreSound(doc));
}

// Drives random operations against a plain model of the document and checks, after every
// single operation, that the rings are sound, that order and contents match the model, and
// that only the checklist operations set modified.
TEST(ChecklistDoc, RandomOperationsKeepRingsSoundAndMatchAPlainModel) {
    struct ModelChecklist {
        Checklist* checklist;
        std::vector<ChecklistItem*> items;
    };
    std::vector<ModelChecklist> model;
    std::array<Checklist*, ChecklistDoc::slotCount> slotTargets{};
    std::array<std::string, ChecklistDoc::slotCount> slotCaptions;
    slotCaptions.fill("(empty)");

    ChecklistDoc doc;
    std::mt19937 random(20240601);
    auto pick = [&random](std::size_t size) {
        return std::uniform_int_distribution<std::size_t>(0, size - 1)(random);
    };
    std::vector<Checklist*> removed;

    for (int step = 0; step < 3000; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        doc.modified = false;
        bool expectModified = false;
        int operation = static_cast<int>(pick(9));
        ModelChecklist* target = model.empty() ? nullptr : &model[pick(model.size())];
        // Few, short checklists reach the ends of the rings often.
        if (model.empty() || (operation == 0 && model.size() < 8)) {
            Checklist* checklist = doc.CreateChecklist();
            checklist->SetName("L" + std::to_string(step));
            std::size_t at = model.empty() ? 0 : pick(model.size() + 1);
            doc.AppendChecklist(checklist, at == 0 ? &doc.checklists : model[at - 1].checklist);
            model.insert(model.begin() + at, {checklist, {}});
            expectModified = true;
        } else if (operation <= 1 && pick(3) == 0) {
            std::size_t at = pick(model.size());
            Checklist* checklist = model[at].checklist;
            doc.RemoveChecklist(checklist);
            for (std::size_t i = 0; i < slotTargets.size(); ++i) {
                if (slotTargets[i] == checklist) {
                    slotTargets[i] = nullptr;
                    slotCaptions[i] = "(empty)";
                    break;
                }
            }
            model.erase(model.begin() + at);
            removed.push_back(checklist);
            expectModified = true;
        } else if (((operation == 2 || operation == 3) && target->items.size() < 12) ||
                   target->items.empty()) {
            std::string text = "i" + std::to_string(step);
            std::size_t at = pick(target->items.size() + 1);
            ChecklistItem* after = at == 0 ? &target->checklist->items : target->items[at - 1];
            bool atEnd = pick(3) == 0;
            ChecklistItem* item = target->checklist->AppendItem(text, atEnd ? nullptr : after);
            at = atEnd ? target->items.size() : at;
            target->items.insert(target->items.begin() + at, item);
        } else if (operation == 4) {
            std::size_t at = pick(target->items.size());
            Checklist::UnlinkItem(target->items[at]);
            target->items.erase(target->items.begin() + at);
        } else if (operation == 5) {
            std::size_t from = pick(target->items.size());
            std::size_t to = pick(target->items.size() + 1); // 0: after the end marker
            ChecklistItem* item = target->items[from];
            ChecklistItem* after = to == 0 ? &target->checklist->items : target->items[to - 1];
            Checklist::MoveItemAfter(item, after);
            if (item != after) {
                target->items.erase(target->items.begin() + from);
                auto place = after == &target->checklist->items
                                 ? target->items.begin()
                                 : std::find(target->items.begin(), target->items.end(), after) + 1;
                target->items.insert(place, item);
            }
        } else if (operation == 6) {
            std::size_t at = pick(target->items.size());
            target->checklist->MoveItemUp(target->items[at]);
            if (at > 0) {
                std::swap(target->items[at], target->items[at - 1]);
            }
        } else if (operation == 7) {
            std::size_t at = pick(target->items.size());
            target->checklist->MoveItemDown(target->items[at]);
            if (at + 1 < target->items.size()) {
                std::swap(target->items[at], target->items[at + 1]);
            }
        } else {
            int index = static_cast<int>(pick(8)) - 2; // -2 .. 5
            Checklist* checklist = pick(5) == 0 ? nullptr : target->checklist;
            if (!removed.empty() && pick(10) == 0) {
                checklist = removed[pick(removed.size())];
            }
            std::string caption = "c" + std::to_string(step);
            doc.SetSlot(index, caption, checklist);
            if (index < ChecklistDoc::slotCount) {
                std::size_t slot = static_cast<std::size_t>(std::max(index, 0));
                slotTargets[slot] = checklist;
                slotCaptions[slot] = caption;
            }
        }

        ASSERT_TRUE(RingsAreSound(doc));
        ASSERT_EQ(doc.modified, expectModified);
        ASSERT_EQ(doc.ChecklistCount(), static_cast<int>(model.size()));
        int position = 0;
        for (Checklist* c = doc.checklists.next; !doc.IsEnd(c); c = c->next, ++position) {
            ASSERT_EQ(c, model[position].checklist);
            ASSERT_EQ(ItemsOf(c), model[position].items);
            ASSERT_EQ(doc.IndexOfChecklist(c), position);
        }
        for (int i = 0; i < ChecklistDoc::slotCount; ++i) {
            ASSERT_EQ(doc.SlotAt(i)->checklist, slotTargets[i]);
            ASSERT_EQ(doc.SlotAt(i)->caption, slotCaptions[i]);
        }
    }
}

} // namespace
