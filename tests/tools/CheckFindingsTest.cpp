#include "CheckCommand.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

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

// Hot-button indexes name the document's slots as SetSlot takes them, a checklist's section is
// saved for its lowest slot, a checklist without a name line gets the document's default name,
// and a file's text is quoted by the one display rule.
const std::vector<FindingRow> documentRows = {
    {"IndexOfTheLastSlot", taxi + "[$$HOTBUTTON]\n3\nTaxi\n[$$END]\n", {}},
    {"IndexOneBeyondTheLastSlot",
     taxi + "[$$HOTBUTTON]\n4\nTaxi\n[$$END]\n",
     {"5: warning: the hot-button index 4 is outside 0 to 3, which sets no hot button \u2014 "
      "write 0, 1, 2 or 3"}},
    {"SameSlotTwiceInOneSection",
     taxi + "[$$HOTBUTTON]\n+2\nTaxi\n 2\nTaxi again\n[$$END]\n",
     {"7: warning: the hot button with index 2 is set again (first on line 5); the later "
      "setting wins \u2014 remove one of them"}},
    // The higher slot is read first: the one saved is still the lowest.
    {"LowestSlotOfAChecklistIsSaved",
     taxi + "[$$HOTBUTTON]\n3\nTaxi\n1\nGo\n[$$END]\n",
     {"5: warning: checklist \"Taxi\" already has the hot button with index 1 (line 7); both "
      "buttons work, but the program saves only that one \u2014 give each checklist one hot "
      "button"}},
    {"SlotOverwrittenByAnotherChecklist",
     taxi + "[$$HOTBUTTON]\n0\nTaxi\n[$$END]\n[$$CHECKLIST]\nRun-up\n[$$END]\n"
            "[$$HOTBUTTON]\n0\nRun-up\n[$$END]\n",
     {"12: warning: the hot button with index 0 is set again (first on line 5); the later "
      "setting wins \u2014 remove one of them"}},
    {"ChecklistEndsAtItsTag",
     "[$$CHECKLIST]",
     {"1: warning: the checklist has no name line: the file ends here, so the program names it "
      "\"nocaption\" \u2014 add the name on the next line"}},
    {"TabAndC1ControlInAName",
     "[$$CHECKLIST]\nTa\txi\xC2\x85\n",
     {"1: note: checklist \"Ta\\x09xi\\xC2\\x85\" is not closed; the program reads it up to "
      "the end of the file \u2014 add \"[$$END]\" after its last item"}},
    {"EscapeInAnItemCutAfterFortyCharacters",
     "[$$CHECKLIST]\nTaxi\n[x]\x1B[2J" + std::string(45, 'x') + "\n",
     {"3: warning: the item \"[x]\\x1B[2J" + std::string(33, 'x') +
      "\u2026\" begins with \"[\" and contains \"]\", so the program reads it as a tag line that "
      "ends checklist \"Taxi\" early \u2014 begin the item with another character"}},
};

INSTANTIATE_TEST_SUITE_P(Document, CheckFindingWords, testing::ValuesIn(documentRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The file name that leads every finding and complaint is a stranger's text as well: its
// controls reach the terminal only as escapes.
TEST(CheckFileName, ShowsControlCharactersAsEscapes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = QStringLiteral("taxi\x1B]0;owned\x07\t.ckl");
    QFile file(QDir(dir.path()).filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[$$CHECKLIST]\nTaxi\n");
    file.close();
    QProcess ckl;
    ckl.setWorkingDirectory(dir.path());
    ckl.start(QStringLiteral(TARVASTO_CKL_BINARY), {"check", name, "missing\x1B[2J.ckl"});
    ASSERT_TRUE(ckl.waitForFinished(-1));
    EXPECT_EQ(ckl.readAllStandardOutput().toStdString(),
              "taxi\\x1B]0;owned\\x07\\x09.ckl:1: note: checklist \"Taxi\" is not closed; the "
              "program reads it up to the end of the file \u2014 add \"[$$END]\" after its last "
              "item\n");
    EXPECT_EQ(ckl.readAllStandardError().toStdString(),
              "ckl: cannot open 'missing\\x1B[2J.ckl': No such file or directory\n");
    EXPECT_EQ(ckl.exitCode(), 1);
}

} // namespace
