#include "CheckCommand.h"
#include "ChecklistDoc.h"
#include "ChecklistFile.h"
#include "Commands.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string checkFiles = std::string(TARVASTO_CKL_TEST_FILES) + "/../check";

struct CheckOutcome {
    int status;
    std::string out;
    std::string err;
};

CheckOutcome Check(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    int status = ckl::RunCheck(args, out, err);
    return {status, out.str(), err.str()};
}

// --- one file per finding -----------------------------------------------------------------

struct FindingCase {
    const char* file;
    int status;
    std::vector<std::string> lines; // each line of the output after "FILE"
};

void PrintTo(const FindingCase& c, std::ostream* os) {
    *os << c.file;
}

class CheckFindings : public testing::TestWithParam<FindingCase> {};

TEST_P(CheckFindings, ReportsExactlyWhatTheReaderDoes) {
    const FindingCase& c = GetParam();
    std::string path = checkFiles + "/" + c.file;
    CheckOutcome result = Check({path});
    std::string expected;
    for (const std::string& line : c.lines) {
        expected += path + line + "\n";
    }
    EXPECT_EQ(result.out, expected);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, c.status);
}

std::string CaseName(const testing::TestParamInfo<FindingCase>& info) {
    std::string name = info.param.file;
    name = name.substr(0, name.find('.'));
    std::erase(name, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(
    Files, CheckFindings,
    testing::Values(
        FindingCase{"clean.ckl", 0, {}},
        FindingCase{
            "item_looks_like_tag.ckl",
            1,
            {":6: warning: the item \"[Check] fuel ..... ON\" begins with \"[\" and contains "
             "\"]\", so the program reads it as a tag line that ends checklist \"Before start\" "
             "early — begin the item with another character",
             ":7: warning: the line lies outside any section and is ignored — put it inside a "
             "checklist or delete it",
             ":8: warning: \"[$$END]\" outside any section opens an extra checklist named \"\" "
             "(the next line) — delete this line",
             ":10: warning: \"[$$CHECKLIST]\" ends checklist \"\" but opens nothing: the program "
             "skips the tag line that ends a checklist, and ignores what follows up to the next "
             "tag — put \"[$$END]\" on the line before it",
             ":11: warning: this line and the next lines up to line 12 (2 lines) lie outside any "
             "section and are ignored — put them inside a checklist or delete them",
             ":13: warning: \"[$$END]\" outside any section opens an extra checklist named \"\" "
             "(the next line) — delete this line"}},
        FindingCase{"caption_looks_like_tag.ckl",
                    1,
                    {":10: warning: the caption \"[Run-up]\" begins with \"[\" and contains \"]\", "
                     "so the program reads it as a tag line that ends the hot-button section, "
                     "and no hot button is set — begin the caption with another character",
                     ":11: warning: \"[$$END]\" outside any section opens an extra checklist "
                     "named \"nocaption\" — delete this line"}},
        FindingCase{"lowercase_end_tag.ckl",
                    1,
                    {":2: warning: \"[$$end]\" does not close the header (tags are compared "
                     "exactly), so the program skips everything up to the next \"[$$END]\" — "
                     "write \"[$$END]\"",
                     ":3: warning: \"[$$CHECKLIST]\" lies inside the header, which the program "
                     "skips up to its \"[$$END]\", so this section is lost — close the header "
                     "with \"[$$END]\" before it",
                     ":4: note: 2 lines of text inside the header are skipped; the program keeps "
                     "nothing from the header — move the text into a checklist"}},
        FindingCase{"lowercase_end_closes_checklist.ckl",
                    0,
                    {":6: note: \"[$$end]\" is not \"[$$END]\", but it ends checklist \"Taxi\" all "
                     "the same: the program does not look at the tag line that ends a checklist "
                     "— write \"[$$END]\""}},
        FindingCase{"lowercase_checklist_tag.ckl",
                    0,
                    {":3: note: \"[$$Checklist]\" is not \"[$$CHECKLIST]\", but it opens a "
                     "checklist all the same, as any unknown tag does — write "
                     "\"[$$CHECKLIST]\""}},
        FindingCase{"misspelled_hotbutton_tag.ckl",
                    1,
                    {":8: warning: \"[$$HOTBUTON]\" is not \"[$$HOTBUTTON]\" (tags are compared "
                     "exactly), so it opens a checklist named \"0\" (the next line) — write "
                     "\"[$$HOTBUTTON]\""}},
        FindingCase{"unknown_tag.ckl",
                    1,
                    {":3: warning: the unknown tag \"[NOTES]\" opens a checklist named \"Fuel "
                     "prices\" (the next line) — write \"[$$CHECKLIST]\" for a checklist, or "
                     "delete the line"}},
        FindingCase{"name_after_tag.ckl",
                    1,
                    {":3: warning: the text after \"]\", \"Taxi\", is ignored: the checklist is "
                     "named \"Brakes ..... CHECK\" (the next line) — put the name on a line of "
                     "its own"}},
        FindingCase{"text_after_tag.ckl",
                    1,
                    {":2: warning: the text after \"]\", \"header ends here\", is ignored — put "
                     "it on a line of its own or delete it"}},
        FindingCase{"text_outside_sections.ckl",
                    1,
                    {":3: warning: the line lies outside any section and is ignored — put it "
                     "inside a checklist or delete it",
                     ":9: warning: this line and the next lines up to line 10 (2 lines) lie "
                     "outside any section and are ignored — put them inside a checklist or "
                     "delete them"}},
        FindingCase{"unclosed_header.ckl",
                    1,
                    {":1: warning: the header is never closed, so the program skips everything "
                     "after it (4 lines) — put \"[$$END]\" on the line after it"}},
        FindingCase{"checklist_without_name.ckl",
                    1,
                    {":8: warning: the checklist has no name line: the file ends here, so the "
                     "program names it \"nocaption\" — add the name on the next line"}},
        FindingCase{
            "checklist_name_missing.ckl",
            1,
            {":4: warning: the checklist has no name line: the program takes this line, "
             "\"[$$END]\", as its name — put the name on the line after \"[$$CHECKLIST]\"",
             ":6: warning: \"[$$CHECKLIST]\" ends checklist \"[$$END]\" but opens nothing: the "
             "program skips the tag line that ends a checklist, and ignores what follows up to "
             "the next tag — put \"[$$END]\" on the line before it",
             ":7: warning: this line and the next lines up to line 8 (2 lines) lie outside any "
             "section and are ignored — put them inside a checklist or delete them",
             ":9: warning: \"[$$END]\" outside any section opens an extra checklist named "
             "\"nocaption\" — delete this line"}},
        FindingCase{
            "missing_end_before_checklist.ckl",
            1,
            {":6: warning: \"[$$CHECKLIST]\" ends checklist \"Taxi\" but opens nothing: the "
             "program skips the tag line that ends a checklist, and ignores what follows up to "
             "the next tag — put \"[$$END]\" on the line before it",
             ":7: warning: this line and the next lines up to line 8 (2 lines) lie outside any "
             "section and are ignored — put them inside a checklist or delete them",
             ":9: warning: \"[$$END]\" outside any section opens an extra checklist named "
             "\"nocaption\" — delete this line"}},
        FindingCase{"indented_end_tag.ckl",
                    1,
                    {":6: note: \"[$$END]\" is not a tag line (it has blanks before \"[\"), so the "
                     "program reads it as an item of checklist \"Taxi\" — write the tag at the "
                     "start of the line, in brackets",
                     ":8: warning: \"[$$CHECKLIST]\" ends checklist \"Taxi\" but opens nothing: "
                     "the program skips the tag line that ends a checklist, and ignores what "
                     "follows up to the next tag — put \"[$$END]\" on the line before it",
                     ":9: warning: this line and the next lines up to line 10 (2 lines) lie "
                     "outside any section and are ignored — put them inside a checklist or "
                     "delete them",
                     ":11: warning: \"[$$END]\" outside any section opens an extra checklist "
                     "named \"nocaption\" — delete this line"}},
        FindingCase{"unclosed_checklist.ckl",
                    0,
                    {":3: note: checklist \"Taxi\" is not closed; the program reads it up to the "
                     "end of the file — add \"[$$END]\" after its last item"}},
        FindingCase{"hotbutton_before_checklist.ckl",
                    1,
                    {":3: warning: the hot-button section comes before the first checklist, so "
                     "its button gets a caption but no checklist to show — move the section "
                     "after the checklist it belongs to"}},
        FindingCase{"index_out_of_range.ckl",
                    1,
                    {":9: warning: the hot-button index 7 is outside 0 to 3, which sets no hot "
                     "button — write 0, 1, 2 or 3"}},
        FindingCase{"negative_index.ckl",
                    1,
                    {":9: warning: the hot-button index -1 is outside 0 to 3, which sets the "
                     "button with index 0 — write 0, 1, 2 or 3"}},
        FindingCase{"index_not_a_number.ckl",
                    1,
                    {":9: warning: the hot-button index \"Taxi\" is not a number; the program "
                     "reads it as 0, which sets the button with index 0 — write 0, 1, 2 or 3"}},
        FindingCase{"caption_missing.ckl",
                    1,
                    {":10: warning: the hot-button section ends before the caption for index 1, "
                     "so no hot button is set — put the caption on the line before \"[$$END]\""}},
        FindingCase{"empty_hotbutton_section.ckl",
                    1,
                    {":8: warning: the hot-button section holds no index and caption, so no hot "
                     "button is set — add an index line and a caption line"}},
        FindingCase{"two_sections_one_button.ckl",
                    1,
                    {":18: warning: the hot button with index 1 is set again (first on line 9); "
                     "the later setting wins — remove one of them"}},
        FindingCase{"two_buttons_one_checklist.ckl",
                    1,
                    {":11: warning: checklist \"Taxi\" already has the hot button with index 0 "
                     "(line 9); both buttons work, but the program saves only that one — give "
                     "each checklist one hot button"}},
        FindingCase{"long_line.ckl",
                    1,
                    {":5: warning: the line is 1,500 bytes long, more than the 1,023 the program "
                     "reads at once: it becomes 2 items — shorten it"}},
        FindingCase{"nul_byte.ckl",
                    1,
                    {":5: warning: the line holds NUL bytes, which the program drops — remove "
                     "them"}},
        FindingCase{"windows1252.ckl",
                    0,
                    {":4: note: the text is not UTF-8; the program reads the file as "
                     "Windows-1252 and converts it to UTF-8 when it saves"}},
        FindingCase{"utf8_with_stray_byte.ckl",
                    1,
                    {":5: warning: this line is not valid UTF-8, so the program reads the whole "
                     "file as Windows-1252 and the UTF-8 text of other lines (first line 4) "
                     "turns into wrong characters — fix this line's characters"}},
        FindingCase{"crlf.ckl",
                    0,
                    {":1: note: lines end with CR LF; the program reads them as line ends and "
                     "writes LF when it saves"}},
        FindingCase{"cr_line_ends.ckl",
                    1,
                    {":1: warning: lines end with CR alone, which the program does not take as a "
                     "line end: it reads the whole file as one line — save the file with LF or "
                     "CR LF line ends"}},
        FindingCase{"byte_order_mark.ckl",
                    0,
                    {":1: note: the byte-order mark at the start is skipped; the program writes "
                     "none when it saves"}},
        FindingCase{"utf16.ckl",
                    1,
                    {":1: warning: file is UTF-16 text, which the program reads byte by byte "
                     "with the NUL bytes dropped, so no line means what it says — save the file "
                     "as UTF-8"}}),
    CaseName);

// --- files the program wrote ---------------------------------------------------------------

// Documents whose texts look like trouble to a careless checker but that the program writes
// and reads back unchanged.
void FillTrickyDocuments(std::vector<std::unique_ptr<ChecklistDoc>>& docs) {
    auto add = [&docs] { return docs.emplace_back(std::make_unique<ChecklistDoc>()).get(); };
    add(); // no checklists at all

    ChecklistDoc* names = add();
    for (const char* name : {"[$$END]", "[$$CHECKLIST]", "[$$HOTBUTTON]", "[$$HEADER]", "[x] y", "",
                             "  ", "0", "nocaption"}) {
        Checklist* c = names->CreateChecklist();
        c->SetName(name);
        c->AppendItem("BRAKES ..... SET");
        c->AppendItem("");
        names->AppendChecklist(c);
    }
    names->SetSlot(0, "Start [x] engine", names->ChecklistAt(0));
    names->SetSlot(3, "Header", names->ChecklistAt(3));

    ChecklistDoc* empties = add();
    for (int i = 0; i < 3; ++i) {
        Checklist* c = empties->CreateChecklist();
        c->SetName(i == 0 ? "[$$END]" : "");
        empties->AppendChecklist(c);
    }
    empties->SetSlot(1, "", empties->ChecklistAt(2));

    ChecklistDoc* unicode = add();
    Checklist* c = unicode->CreateChecklist();
    c->SetName("Avant le départ ✈ 出発前");
    c->AppendItem("Température huile ..... 60 °C");
    c->AppendItem("Ölstand ..... PRÜFEN");
    c->AppendItem(std::string(1000, 'x') + "é"); // 1,002 bytes: still one line
    unicode->AppendChecklist(c);
    // Two buttons on one checklist: the program saves only the lower one.
    unicode->SetSlot(1, "Départ", c);
    unicode->SetSlot(2, "Départ again", c);
    // A caption without a checklist is not saved at all.
    unicode->SetSlot(3, "Orphan", nullptr);
}

TEST(CheckWrittenFiles, GiveNoFindingAtAll) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::vector<std::unique_ptr<ChecklistDoc>> docs;
    FillTrickyDocuments(docs);
    for (std::size_t i = 0; i < docs.size(); ++i) {
        std::string path = dir.filePath(QString("written%1.ckl").arg(i)).toStdString();
        ASSERT_TRUE(docs[i]->SaveFile(path.c_str()));
        CheckOutcome result = Check({path});
        EXPECT_EQ(result.out, "") << "document " << i;
        EXPECT_EQ(result.status, 0) << "document " << i;
    }
}

TEST(CheckWrittenFiles, TheSampleIsClean) {
    std::string sample = std::string(TARVASTO_SAMPLES) + "/aviation.ckl";
    if (!std::ifstream(sample)) {
        GTEST_SKIP() << "no sample at " << sample;
    }
    CheckOutcome result = Check({sample});
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.status, 0);
}

// --- the checker walks the lines as the reader does ------------------------------------------

// Lines that drive the reader down every path: tags exact and not, hot-button indexes,
// carriage returns, NUL bytes, Windows-1252 bytes, long lines and cuts near characters.
std::vector<std::string> TrickyLines() {
    std::vector<std::string> lines = {"[$$HEADER]",
                                      "[$$END]",
                                      "[$$CHECKLIST]",
                                      "[$$HOTBUTTON]",
                                      "[$$end]",
                                      "[$$END] x",
                                      "[x] item",
                                      "[]",
                                      "[",
                                      "]",
                                      "0",
                                      "1",
                                      "3",
                                      "-1",
                                      "7",
                                      " 2x",
                                      "Taxi",
                                      "",
                                      "  [$$END]",
                                      "caf\xC3\xA9",
                                      "caf\xE9",
                                      std::string("a\0b", 3),
                                      "text\r",
                                      "\r",
                                      "x\ry",
                                      "\r\r",
                                      std::string(1500, 'A'),
                                      std::string(1022, 'A') + "\r\r" + std::string(10, 'B'),
                                      std::string(1022, 'A') + "\xC3\xA9" + "tail",
                                      "[" + std::string(1100, 'A') + "]",
                                      std::string(1023, 'A') + "[$$END]",
                                      std::string(1023, '\r') + "A"};
    std::string accents;
    for (int i = 0; i < 700; ++i) {
        accents += "\xC3\xA9";
    }
    lines.push_back(accents);
    return lines;
}

TEST(CheckSimulation, BuildsTheSameDocumentAsTheReader) {
    std::vector<std::string> pool = TrickyLines();
    const char* lineEnds[] = {"\n", "\n", "\n", "\r\n", "\r\r\n"};
    std::mt19937 random(20240601);
    for (int round = 0; round < 1500; ++round) {
        std::string bytes = random() % 10 == 0 ? "\xEF\xBB\xBF" : "";
        int count = static_cast<int>(random() % 16);
        for (int i = 0; i < count; ++i) {
            bytes += pool[random() % pool.size()];
            if (i + 1 < count || random() % 2) {
                bytes += lineEnds[random() % std::size(lineEnds)];
            }
        }
        ChecklistDoc doc;
        ChecklistFile::ReadText(doc, bytes);
        ckl::CheckReport report = ckl::CheckChecklistText(bytes);

        SCOPED_TRACE("input: " + testing::PrintToString(bytes));
        ASSERT_EQ(static_cast<int>(report.checklists.size()), doc.ChecklistCount());
        for (int i = 0; i < doc.ChecklistCount(); ++i) {
            Checklist* checklist = doc.ChecklistAt(i);
            const ckl::CheckedChecklist& simulated = report.checklists[static_cast<std::size_t>(i)];
            ASSERT_EQ(simulated.name, checklist->name);
            std::vector<std::string> items;
            for (ChecklistItem* item = checklist->items.next; !checklist->IsEnd(item);
                 item = item->next) {
                items.emplace_back(item->text);
            }
            ASSERT_EQ(simulated.items, items);
        }
        for (int i = 0; i < ChecklistDoc::slotCount; ++i) {
            const ckl::CheckedSlot& simulated = report.hotButtons[static_cast<std::size_t>(i)];
            ASSERT_EQ(simulated.caption, doc.SlotAt(i)->caption) << "slot " << i;
            ASSERT_EQ(simulated.checklist, doc.IndexOfChecklist(doc.SlotAt(i)->checklist))
                << "slot " << i;
        }
    }
}

// --- command line ------------------------------------------------------------------------

TEST(CheckCommandLine, NoFileIsAUsageError) {
    CheckOutcome result = Check({});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("ckl: check expects at least one file"), std::string::npos);
}

TEST(CheckCommandLine, UnknownOptionIsAUsageError) {
    CheckOutcome result = Check({"--strict", checkFiles + "/clean.ckl"});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("ckl: check: unknown option '--strict'"), std::string::npos);
}

TEST(CheckCommandLine, MissingFileIsReportedAndTheOthersStillChecked) {
    std::string missing = checkFiles + "/no_such_file.ckl";
    std::string crlf = checkFiles + "/crlf.ckl";
    CheckOutcome result = Check({missing, crlf});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "ckl: cannot open '" + missing + "': No such file or directory\n");
    EXPECT_EQ(result.out.substr(0, crlf.size() + 9), crlf + ":1: note:");
}

TEST(CheckCommandLine, AFolderCannotBeChecked) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::string folder = dir.path().toStdString();
    CheckOutcome result = Check({folder});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err.substr(0, 20 + folder.size()), "ckl: cannot open '" + folder + "':");
}

TEST(CheckCommandLine, NotesAloneDoNotFail) {
    CheckOutcome result = Check({checkFiles + "/crlf.ckl", checkFiles + "/windows1252.ckl", "--",
                                 checkFiles + "/byte_order_mark.ckl"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 3) << result.out;
}

} // namespace
