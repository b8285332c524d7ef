#pragma once

#include <string>
#include <string_view>
#include <vector>

// The checker behind `ckl check`, open to the tests: it watches the program's reader read a
// checklist file and notes every line that the program reads differently from what its author
// most likely meant.
namespace ckl {

struct CheckFinding {
    int line;     // 1-based line of the file
    bool warning; // false for a note: harmless, changed only when the program saves
    std::string text;
};

// Checks the bytes of one checklist file. Never fails: any bytes give findings, in line order.
std::vector<CheckFinding> CheckChecklistText(std::string_view bytes);
// Checks the file at path as the program loads it. A file that cannot be opened or read
// returns false with why in error.
bool CheckChecklistFile(const std::string& path, std::vector<CheckFinding>& findings,
                        std::string& error);

} // namespace ckl
