#include "ListGroups.h"
#include "ChecklistDoc.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct EmergencyRow {
    const char* name;
    bool emergency;
};

TEST(ListGroupsTest, EmergencyIsAWordOfTheGroupInAnyCase) {
    const EmergencyRow rows[] = {
        {"Emergency: Engine fire", true},
        {"EMERGENCY PROCEDURES: Ditching", true},
        {"In-flight emergency: Smoke", true},
        {"Emergency", false},              // no group at all
        {"Engine fire: Emergency", false}, // the word in the title, not the group
        {"Nonemergency: Cabin", false},    // part of another word
        {"Emergencys: Cabin", false},      // likewise
        {"Abnormal: Emergency: x", false}, // the group is the text before the first ": "
        {"emergency/2: Fuel", true},       // a slash ends the word
        {"\xC3\xA9mergency: Fuel", false}, // a letter of another script does not
        {"Emergency:Fire", false},         // no space after the colon: no group
        {": Emergency", false},
    };
    for (const EmergencyRow& row : rows) {
        EXPECT_EQ(ListGroups::IsEmergencyList(row.name), row.emergency) << row.name;
    }
}

// The checklists of a document named as given, and what Next and Previous make of each: the
// names one after the other as "a>b" for Next and "b<a" for Previous.
class GroupWalk : public testing::Test {
protected:
    void Make(const std::vector<std::string>& names) {
        for (const std::string& name : names) {
            Checklist* list = doc.CreateChecklist();
            list->SetName(name.c_str());
            doc.AppendChecklist(list);
        }
    }
    std::string Walk() {
        std::string walked;
        for (Checklist& list : doc.Checklists()) {
            if (Checklist* next = ListGroups::NextInGroup(doc, &list)) {
                walked += std::string(list.name) + ">" + next->name + " ";
                EXPECT_EQ(ListGroups::PreviousInGroup(doc, next), &list) << next->name;
            } else if (!doc.IsEnd(list.next)) {
                EXPECT_EQ(ListGroups::PreviousInGroup(doc, list.next), nullptr) << list.next->name;
            }
        }
        return walked;
    }
    ChecklistDoc doc;
};

TEST_F(GroupWalk, PlainNamesAreOneGroupAndNamedGroupsEndAtTheirBorders) {
    Make({"Preflight", "Start", "Emergency: Fire", "Emergency: Ditching", "Abnormal: Icing", "Taxi",
          "Emergency: Smoke", ": odd", ": odder"});
    EXPECT_EQ(Walk(), "Preflight>Start Emergency: Fire>Emergency: Ditching : odd>: odder ");
    EXPECT_EQ(ListGroups::PreviousInGroup(doc, doc.FirstChecklist()), nullptr);
}

TEST_F(GroupWalk, AChecklistOutsideTheDocumentHasNoNeighbours) {
    Make({"A", "B", "C"});
    Checklist* middle = doc.ChecklistAt(1);
    doc.RemoveChecklist(middle);
    EXPECT_EQ(ListGroups::NextInGroup(doc, middle), nullptr);
    EXPECT_EQ(ListGroups::PreviousInGroup(doc, middle), nullptr);
    EXPECT_EQ(ListGroups::NextInGroup(doc, nullptr), nullptr);
    EXPECT_EQ(Walk(), "A>C ");
}

} // namespace
