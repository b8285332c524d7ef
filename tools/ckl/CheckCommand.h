#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

// The checker behind `ckl check`, open to the tests: it reads a checklist file's bytes with the
// program's line rules and walks them through the reader's sections, noting every line that
// the program reads differently from what its author most likely meant.
namespace ckl {

struct CheckFinding {
    int line;     // 1-based line of the file
    bool warning; // false for a note: harmless, changed only when the program saves
    std::string text;
};

// What the reader builds from the same bytes, kept to prove that the checker walks the lines
// exactly as the reader does.
struct CheckedChecklist {
    std::string name;
    std::vector<std::string> items;
};
struct CheckedSlot {
    std::string caption = "(empty)";
    int checklist = -1; // position in checklists, -1 for none
};

struct CheckReport {
    std::vector<CheckFinding> findings; // in line order
    std::vector<CheckedChecklist> checklists;
    std::array<CheckedSlot, 4> hotButtons;
};

// Checks the bytes of one checklist file. Never fails: any bytes give a report.
CheckReport CheckChecklistText(std::string_view bytes);

} // namespace ckl
