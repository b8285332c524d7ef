#include "ChecklistFile.h"
#include "DocChecks.h"
#include "ReadEvents.h"

#include <QTemporaryDir>

#include <fstream>
#include <random>
#include <string>
#include <vector>

using namespace DocChecks;
using ChecklistFile::CodePage;
using ChecklistFile::LineRole;
using ChecklistFile::ReadLine;
using ChecklistFile::Section;

namespace {

// Writes what the reader reports as one short line per report, e.g. "3 item A" or
// "5 close checklist by [$$END]"; a line's pieces and how it was taken follow in brackets.
class Trace : public ChecklistFile::ReadObserver {
public:
    std::string text;

    void OnStart(CodePage codePage, bool byteOrderMark) override {
        text += codePage == CodePage::Utf8 ? "utf-8" : "windows-1252";
        text += byteOrderMark ? " bom" : "";
    }
    void OnLine(const ReadLine& line, LineRole role) override {
        static const char* const roles[] = {"outside", "header", "name",
                                            "item",    "index",  "caption"};
        Add(line, roles[static_cast<int>(role)]);
    }
    void OnSectionOpen(Section section, const ReadLine& tagLine) override {
        Add(tagLine, std::string("open ") + Name(section));
    }
    void OnSectionClose(Section section, const ReadLine* closingLine) override {
        if (closingLine) {
            Add(*closingLine, std::string("close ") + Name(section) + " by");
        } else {
            text += std::string(" | close ") + Name(section) + " at end";
        }
    }
    void OnHotButton(int index, std::string_view caption, Checklist* checklist) override {
        text += " | slot " + std::to_string(index) + "=" + std::string(caption) +
                (checklist ? " for " + std::string(checklist->name) : " for none");
    }
    void OnEnd(int lineCount) override { text += " | end " + std::to_string(lineCount); }

private:
    static const char* Name(Section section) {
        return section == Section::Header      ? "header"
               : section == Section::Checklist ? "checklist"
                                               : "hot button";
    }
    void Add(const ReadLine& line, const std::string& what) {
        text += " | " + std::to_string(line.number) + ' ' + what + ' ' + std::string(line.text);
        std::string how;
        if (line.pieceCount > 1) {
            how += " piece " + std::to_string(line.piece + 1) + "/" +
                   std::to_string(line.pieceCount) + " of " + std::to_string(line.lineBytes);
        }
        how += line.nulDropped ? " nul" : "";
        how += line.crBeforeEnd ? " crlf" : "";
        how += line.strayCr ? " cr" : "";
        how += line.endedByLineFeed ? "" : " last";
        if (!how.empty()) {
            text += " (" + how.substr(1) + ")";
        }
    }
};

struct TraceCase {
    const char* name;
    std::string input;
    std::string trace;
};

const std::vector<TraceCase> traceCases = {
    {"sections_as_written",
     "[$$HEADER]\n[$$END]\n[$$CHECKLIST]\nTaxi\nBrakes\n[$$END]\n\n[$$HOTBUTTON]\n0\nGo\n[$$END]\n",
     "utf-8 | 1 open header [$$HEADER] | 2 close header by [$$END] | 3 open checklist "
     "[$$CHECKLIST] | 4 name Taxi | 5 item Brakes | 6 close checklist by [$$END] | 7 outside  | "
     "8 open hot button [$$HOTBUTTON] | 9 index 0 | 10 caption Go | slot 0=Go for Taxi | 11 close "
     "hot button by [$$END] | end 11"},
    {"header_skips_to_its_end_and_an_unknown_tag_opens_a_checklist",
     "x\n[$$HEADER]\nnote\n[TAG]\n[$$END]\n[NOTES]\n",
     "utf-8 | 1 outside x | 2 open header [$$HEADER] | 3 header note | 4 header [TAG] | 5 close "
     "header by [$$END] | 6 open checklist [NOTES] | close checklist at end | end 6"},
    {"caption_of_tag_form_closes_the_section", "[$$HOTBUTTON]\n1\n[Go]\n",
     "utf-8 | 1 open hot button [$$HOTBUTTON] | 2 index 1 | 3 close hot button by [Go] | end 3"},
    {"sections_open_at_the_end", "[$$CHECKLIST]\n[$$HOTBUTTON]\n2\n",
     "utf-8 | 1 open checklist [$$CHECKLIST] | 2 name [$$HOTBUTTON] | 3 item 2 | close checklist "
     "at end | end 3"},
    {"line_ends_nul_bytes_and_byte_order_mark",
     std::string("\xEF\xBB\xBF[$$CHECKLIST]\r\nA\rB\r\nC\0D\nE\r", 29),
     "utf-8 bom | 1 open checklist [$$CHECKLIST] (crlf) | 2 name A\rB (crlf cr) | 3 item CD (nul) "
     "| 4 item E (crlf last) | close checklist at end | end 4"},
    {"windows_1252_is_converted", "[$$CHECKLIST]\ncaf\xE9\n",
     "windows-1252 | 1 open checklist [$$CHECKLIST] | 2 name caf\xC3\xA9 | close checklist at end "
     "| end 2"},
    {"long_line_in_pieces", "[$$CHECKLIST]\nN\n" + std::string(2100, 'a') + "\n",
     "utf-8 | 1 open checklist [$$CHECKLIST] | 2 name N | 3 item " + std::string(1023, 'a') +
         " (piece 1/3 of 2100) | 3 item " + std::string(1023, 'a') +
         " (piece 2/3 of 2100) | 3 item aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa "
         "(piece 3/3 of 2100) | close checklist at end | end 3"},
    {"empty_input", "", "utf-8 | end 0"},
};

void PrintTo(const TraceCase& row, std::ostream* out) {
    *out << row.name;
}

class ReadObserver : public testing::TestWithParam<TraceCase> {};

// The reader tells every line it takes once, in file order, with what it did with it.
TEST_P(ReadObserver, ReportsEveryLineAndSection) {
    ChecklistDoc doc;
    Trace trace;
    ChecklistFile::ReadText(doc, GetParam().input, &trace);
    EXPECT_EQ(trace.text, GetParam().trace);

    // Watching changes nothing: the same document as an unwatched read.
    ChecklistDoc unwatched;
    ChecklistFile::ReadText(unwatched, GetParam().input);
    EXPECT_EQ(Describe(doc), Describe(unwatched));
}

INSTANTIATE_TEST_SUITE_P(Rows, ReadObserver, testing::ValuesIn(traceCases), RowName<TraceCase>);

// Random files from lines that drive the reader down every path: what the reader reports is
// enough to build the very document it read, from a file on disk as from memory.
TEST(ReadObserverSimulation, ReportsRebuildTheDocument) {
    std::vector<std::string> pool = {"[$$HEADER]", "[$$END]",   "[$$CHECKLIST]", "[$$HOTBUTTON]",
                                     "[$$end]",    "[$$END] x", "[x] item",      "[]"};
    pool.insert(pool.end(),
                {"[", "]", "0", "1", "3", "-1", "7", " 2x", "Taxi", "", "  [$$END]", "caf\xC3\xA9",
                 "caf\xE9", "text\r", "\r", "x\ry", "\r\r", std::string("a\0b", 3)});
    // Long lines, cut near carriage returns, characters and tags.
    pool.insert(pool.end(),
                {std::string(1500, 'A'), std::string(1022, 'A') + "\r\r" + std::string(10, 'B'),
                 std::string(1022, 'A') + "\xC3\xA9tail", "[" + std::string(1100, 'A') + "]",
                 std::string(1023, 'A') + "[$$END]", std::string(1023, '\r') + "A", ""});
    for (int i = 0; i < 700; ++i) {
        pool.back() += "\xC3\xA9"; // a long line of two-byte characters
    }
    const char* lineEnds[] = {"\n", "\n", "\n", "\r\n", "\r\r\n"};
    QTemporaryDir dir;
    const std::string path = dir.filePath("random.ckl").toStdString();
    std::mt19937 random(20240601);
    for (int round = 0; round < 1500; ++round) {
        std::string bytes = random() % 10 == 0 ? "\xEF\xBB\xBF" : "";
        for (int i = 0, count = static_cast<int>(random() % 16); i < count; ++i) {
            bytes += pool[random() % pool.size()];
            if (i + 1 < count || random() % 2) {
                bytes += lineEnds[random() % std::size(lineEnds)];
            }
        }
        SCOPED_TRACE("input: " + testing::PrintToString(bytes));
        ChecklistDoc doc;
        ReadEvents events;
        ChecklistFile::ReadText(doc, bytes, &events);
        ASSERT_EQ(events.faults, std::vector<std::string>{});
        ASSERT_TRUE(events.ended);
        ASSERT_EQ(Describe(events.rebuilt), Describe(doc));

        if (round % 10 == 0) {
            std::ofstream(path, std::ios::binary) << bytes;
            ChecklistDoc loaded;
            ReadEvents fromFile;
            std::string error;
            ASSERT_TRUE(ChecklistFile::LoadFile(loaded, path.c_str(), &error, &fromFile)) << error;
            ASSERT_EQ(fromFile.faults, std::vector<std::string>{});
            ASSERT_EQ(Describe(fromFile.rebuilt), Describe(doc));
        }
    }
}

// A file that cannot be read tells the observer nothing.
TEST(ReadObserverSimulation, FileThatCannotBeOpenedReportsNothing) {
    ChecklistDoc doc;
    Trace trace;
    std::string error;
    EXPECT_FALSE(ChecklistFile::LoadFile(doc, TARVASTO_TEST_DATA, &error, &trace));
    EXPECT_EQ(error, "Is a directory");
    EXPECT_EQ(trace.text, "");
}

} // namespace
