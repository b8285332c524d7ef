#pragma once

#include <optional>
#include <string_view>

class Checklist;
class ChecklistDoc;

// How checklists fall into groups by their names, for the screen's Go commands and for the
// converter's grouped formats alike: "Emergency: Engine fire" belongs to the group "Emergency".
namespace ListGroups {

// The text before the first ": " of name, or none when name has no ": ".
std::optional<std::string_view> GroupOf(std::string_view name);

// Whether the checklists named first and second, one right after the other, are in one group
// as the screen walks them: the same text before the first ": ", or neither name with a ": ", so
// that a file of plain names is worked through from its first list to its last.
bool SameGroup(std::string_view first, std::string_view second);

// Whether group holds the word "emergency" in any case: "Emergency", "EMERGENCY PROCEDURES",
// but not "Nonemergency".
bool IsEmergencyGroup(std::string_view group);
// Whether the checklist named name belongs to an emergency group.
bool IsEmergencyList(std::string_view name);

// The checklist after checklist in doc, or before it, when it is of the same group; null at the
// group's end or when checklist is not in doc.
Checklist* NextInGroup(ChecklistDoc& doc, const Checklist* checklist);
Checklist* PreviousInGroup(ChecklistDoc& doc, const Checklist* checklist);

} // namespace ListGroups
