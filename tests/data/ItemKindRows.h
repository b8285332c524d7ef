#pragma once

#include "ItemRules.h"

#include <ostream>
#include <string_view>

// Lines of a .ckl and what the item rules read them as. One table for the rules' own test and
// for everything that shows, prints or reads items aloud by their kind, so that all of them
// are held to the same lines. Prompts stay short enough to print on one line of a narrow column.
struct ItemKindRow {
    const char* name;
    std::string_view line;
    ItemRules::Kind kind;
    std::string_view prompt;
    std::string_view expectation = {};
    int indent = 0;
    bool centered = false;
    bool canonical = true; // written back as exactly this line

    ItemRules::Parts Expected() const { return {kind, prompt, expectation, indent, centered}; }
    friend void PrintTo(const ItemKindRow& row, std::ostream* os) { *os << row.name; }
};

namespace itemKindRows {
using enum ItemRules::Kind;

inline constexpr ItemKindRow rows[] = {
    {"Challenge", "Check lights", Challenge, "Check lights"},
    {"ChallengeResponse", "Flaps ..... UP", ChallengeResponse, "Flaps", "UP"},
    {"ThreeDotsSplit", "Flaps ... UP", ChallengeResponse, "Flaps", "UP", 0, false, false},
    {"LongDotRunSplits", "Flaps .......... UP", ChallengeResponse, "Flaps", "UP", 0, false, false},
    {"TwoDotsDoNotSplit", "A .. B", Challenge, "A .. B"},
    {"DotsWithoutSpacesDoNotSplit", "Wait...then go", Challenge, "Wait...then go"},
    {"DotsWithASpaceOnOneSideDoNotSplit", "Wait... then ...go", Challenge, "Wait... then ...go"},
    {"FirstOfSeveralRunsSplits", "A ..... B ..... C", ChallengeResponse, "A", "B ..... C"},
    {"RunAfterOneThatCannotSplit", "Wait...now ..... GO", ChallengeResponse, "Wait...now", "GO"},
    {"Note", "NOTE: Fuel may be low", Note, "Fuel may be low"},
    {"NoteKeepsItsDots", "NOTE: A ..... B", Note, "A ..... B"},
    {"LowerCaseLabelIsAChallenge", "Note: x", Challenge, "Note: x"},
    {"LabelWithoutItsSpaceIsAChallenge", "CAUTION:Hot", Challenge, "CAUTION:Hot"},
    {"Caution", "CAUTION: Hot", Caution, "Hot"},
    {"Warning", "WARNING: Fire", Warning, "Fire"},
    {"Title", "** Engine **", Title, "Engine"},
    {"HalfATitleIsAChallenge", "** Engine", Challenge, "** Engine"},
    {"PlainText", "- Declare", PlainText, "Declare"},
    {"DashWithoutSpaceIsAChallenge", "-5 degrees", Challenge, "-5 degrees"},
    {"IndentedTwoLevels", "    Pump ..... ON", ChallengeResponse, "Pump", "ON", 2},
    {"IndentedNote", "  NOTE: Low", Note, "Low", {}, 1},
    {"OddSpaceStaysInTheText", "   Pump", Challenge, " Pump", {}, 1},
    {"IndentStopsAtNine", "                    x", Challenge, "  x", {}, 9},
    {"OnlySpaces", "  ", Challenge, "", {}, 1},
    {"Centred", ">> Middle <<", Challenge, "Middle", {}, 0, true},
    {"CentredTitle", ">> ** Ready ** <<", Title, "Ready", {}, 0, true},
    {"CentredResponse", ">> Fuel ..... Off <<", ChallengeResponse, "Fuel", "Off", 0, true},
    {"IndentedCentredWarning", "  >> WARNING: Fire <<", Warning, "Fire", {}, 1, true},
    {"LabelInsideTheTitleIsATitle", "** NOTE: x **", Title, "NOTE: x"},
    {"TagLineLosesTheSpaceInFront", " [Avionics] off", Challenge, "[Avionics] off"},
    {"TagLookingResponse", " [A] ..... [B]", ChallengeResponse, "[A]", "[B]"},
    {"SpaceBeforeAnythingElseStays", " x", Challenge, " x"},
    {"Blank", "", Space, ""},
};

} // namespace itemKindRows
