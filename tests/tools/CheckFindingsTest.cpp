#include "CheckCommand.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// What `ckl check` says about small files, word for word as the user reads it.

namespace {

// Every finding of bytes as "LINE: warning: TEXT" or "LINE: note: TEXT", in order.
std::vector<std::string> FindingsOf(std::string_view bytes) {
    std::vector<std::string> said;
    for (const ckl::CheckFinding& finding : ckl::CheckChecklistText(bytes)) {
        said.push_back(std::to_string(finding.line) +
                       (finding.warning ? ": warning: " : ": note: ") + finding.text);
    }
    return said;
}

struct FindingRow {
    const char* name;
    std::string file;
    std::vector<std::string> findings;
    friend void PrintTo(const FindingRow& row, std::ostream* os) { *os << row.name; }
};

class CheckFindingWords : public testing::TestWithParam<FindingRow> {};

TEST_P(CheckFindingWords, SaysExactlyThis) {
    EXPECT_EQ(FindingsOf(GetParam().file), GetParam().findings);
}

const std::string taxi = "[$$CHECKLIST]\nTaxi\n[$$END]\n";

// A word at most two edits from one of the program's tags (letter case and blanks aside) is
// taken for a mistyped tag; three edits make it ordinary text in brackets.
const std::vector<FindingRow> tagDistanceRows = {
    {"ItemTwoEditsFromATagIsAMistypedTag",
     "[$$CHECKLIST]\nTaxi\n[HOTBUTTON]\n",
     {"3: warning: \"[HOTBUTTON]\" ends checklist \"Taxi\" but opens nothing: the program skips "
      "the tag line that ends a checklist, and ignores what follows up to the next tag \u2014 put "
      "\"[$$END]\" on the line before it"}},
    {"ItemThreeEditsFromATagIsAnItem",
     "[$$CHECKLIST]\nTaxi\n[OTBUTTON]\n",
     {"3: warning: the item \"[OTBUTTON]\" begins with \"[\" and contains \"]\", so the program "
      "reads it as a tag line that ends checklist \"Taxi\" early \u2014 begin the item with "
      "another character"}},
    {"OpeningTwoEditsFromTheChecklistTag",
     "[CHECKLIST]\nTaxi\n[$$END]\n",
     {"1: note: \"[CHECKLIST]\" is not \"[$$CHECKLIST]\", but it opens a checklist all the same, "
      "as any unknown tag does \u2014 write \"[$$CHECKLIST]\""}},
    {"OpeningThreeEditsFromTheChecklistTag",
     "[HECKLIST]\nTaxi\n[$$END]\n",
     {"1: warning: the unknown tag \"[HECKLIST]\" opens a checklist named \"Taxi\" (the next "
      "line) \u2014 write \"[$$CHECKLIST]\" for a checklist, or delete the line"}},
    {"IndexTwoEditsFromTheEndTag",
     taxi + "[$$HOTBUTTON]\n[END]\n",
     {"5: warning: \"[END]\" does not close the hot-button section (tags are compared exactly): "
      "the program reads it as index 0, which sets the button with index 0, with the next line "
      "as its caption \u2014 write \"[$$END]\"",
      "5: warning: the file ends before the caption for index 0, so no hot button is set \u2014 "
      "add a caption line and \"[$$END]\""}},
    {"IndexThreeEditsFromTheEndTag",
     taxi + "[$$HOTBUTTON]\n[ENDS]\n",
     {"5: warning: the tag line \"[ENDS]\" inside the hot-button section is read as index 0, "
      "which sets the button with index 0, with the next line as its caption \u2014 close the "
      "section with \"[$$END]\" before it",
      "5: warning: the file ends before the caption for index 0, so no hot button is set \u2014 "
      "add a caption line and \"[$$END]\""}},
    {"HeaderLineTwoEditsFromTheEndTag",
     "[$$HEADER]\n[$EN]\n[$$END]\n",
     {"2: warning: \"[$EN]\" does not close the header (tags are compared exactly), so the "
      "program skips everything up to the next \"[$$END]\" \u2014 write \"[$$END]\""}},
    {"HeaderLineThreeEditsFromTheEndTag",
     "[$$HEADER]\n[XEN]\n[$$END]\n",
     {"2: note: 1 line of text inside the header is skipped; the program keeps nothing from the "
      "header \u2014 move the text into a checklist"}},
};

INSTANTIATE_TEST_SUITE_P(TagDistance, CheckFindingWords, testing::ValuesIn(tagDistanceRows),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
