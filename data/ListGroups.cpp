#include "ListGroups.h"

#include "ChecklistDoc.h"

#include <cctype>

namespace ListGroups {

namespace {

bool IsWordCharacter(char c) {
    // Bytes of UTF-8 characters count as letters: "émergency" is another word.
    return std::isalnum(static_cast<unsigned char>(c)) != 0 ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool EqualsIgnoringCase(std::string_view text, std::string_view lowerWord) {
    if (text.size() != lowerWord.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != lowerWord[i]) {
            return false;
        }
    }
    return true;
}

// Whether the checklist is one of doc's: a removed checklist keeps links of its own.
bool InDocument(ChecklistDoc& doc, const Checklist* checklist) {
    return checklist != nullptr && doc.IndexOfChecklist(checklist) >= 0;
}

} // namespace

std::optional<std::string_view> GroupOf(std::string_view name) {
    const std::size_t colon = name.find(": ");
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    return name.substr(0, colon);
}

bool SameGroup(std::string_view first, std::string_view second) {
    return GroupOf(first) == GroupOf(second);
}

bool IsEmergencyGroup(std::string_view group) {
    constexpr std::string_view word = "emergency";
    for (std::size_t at = 0; at + word.size() <= group.size(); ++at) {
        const bool startsWord = at == 0 || !IsWordCharacter(group[at - 1]);
        const std::size_t end = at + word.size();
        const bool endsWord = end == group.size() || !IsWordCharacter(group[end]);
        if (startsWord && endsWord && EqualsIgnoringCase(group.substr(at, word.size()), word)) {
            return true;
        }
    }
    return false;
}

bool IsEmergencyList(std::string_view name) {
    const std::optional<std::string_view> group = GroupOf(name);
    return group.has_value() && IsEmergencyGroup(*group);
}

Checklist* NextInGroup(ChecklistDoc& doc, const Checklist* checklist) {
    if (!InDocument(doc, checklist) || doc.IsEnd(checklist->next) ||
        !SameGroup(checklist->name, checklist->next->name)) {
        return nullptr;
    }
    return checklist->next;
}

Checklist* PreviousInGroup(ChecklistDoc& doc, const Checklist* checklist) {
    if (!InDocument(doc, checklist) || doc.IsEnd(checklist->prev) ||
        !SameGroup(checklist->prev->name, checklist->name)) {
        return nullptr;
    }
    return checklist->prev;
}

} // namespace ListGroups
