#include "CheckCommand.h"
#include "CklSupport.h"
#include "Commands.h"

#include "ChecklistFile.h"
#include "DevicePath.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// The checker reads a file the way the program's reader does: the same line rules and the
// same state machine over the lines, so that it only ever reports what the reader really does.
// Each finding names what the program does with the line and how the author can fix it.

namespace ckl {
namespace {

constexpr std::string_view headerTag = "$$HEADER";
constexpr std::string_view checklistTag = "$$CHECKLIST";
constexpr std::string_view hotButtonTag = "$$HOTBUTTON";
constexpr std::string_view endTag = "$$END";
constexpr std::array<std::string_view, 4> knownTags = {headerTag, checklistTag, hotButtonTag,
                                                       endTag};
constexpr std::string_view dash = " \u2014 ";

// One line as the reader hands it out: a whole line of the file, or one piece of a long one.
struct ReadLine {
    std::string text;
    int number;             // 1-based line in the file
    int piece;              // 0 for the first piece of the line
    int pieceCount;         // 1 unless the line is longer than the reader takes at once
    std::size_t totalBytes; // length of the whole line as read
};

// How a tag relates to the four that the program writes.
enum class TagKind {
    Exact,      // one of the four, spelled exactly
    Misspelled, // close to one of the four: letter case, blanks or a small typo
    Dollar,     // some other word that begins with "$", as the program's tags do
    Text,       // ordinary text in brackets
};

struct TagInfo {
    TagKind kind;
    std::string_view meant; // the tag it is or resembles; empty for Dollar and Text
};

using ChecklistFile::IsTagLine;
using ChecklistFile::TagOf;

bool IsTag(std::string_view line, std::string_view tag) {
    return IsTagLine(line) && TagOf(line) == tag;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsBlankLine(std::string_view line) {
    return std::all_of(line.begin(), line.end(), IsBlank);
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Levenshtein distance, for telling a mistyped tag from an unknown word.
std::size_t EditDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

TagInfo Classify(std::string_view tag) {
    for (std::string_view known : knownTags) {
        if (tag == known) {
            return {TagKind::Exact, known};
        }
    }
    std::string folded;
    for (char c : tag) {
        if (!IsBlank(c)) {
            folded.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
        }
    }
    std::string_view nearest;
    std::size_t best = SIZE_MAX;
    for (std::string_view known : knownTags) {
        std::size_t distance = EditDistance(folded, known);
        if (distance < best) {
            best = distance;
            nearest = known;
        }
    }
    if (best == 0 || (best <= 2 && folded.size() >= 3)) {
        return {TagKind::Misspelled, nearest};
    }
    if (!tag.empty() && tag[0] == '$') {
        return {TagKind::Dollar, {}};
    }
    return {TagKind::Text, {}};
}

bool LooksLikeTag(const TagInfo& info) {
    return info.kind != TagKind::Text;
}

// Why a plain line that was surely meant as one of the program's tags is not a tag line;
// empty when it was not meant as a tag.
std::string NotATagReason(std::string_view line) {
    std::string_view trimmed = Trim(line);
    std::string_view tag;
    std::string reason;
    if (!trimmed.empty() && trimmed[0] == '[') {
        std::string_view inside = trimmed.substr(1);
        std::size_t close = inside.find(']');
        if (close != std::string_view::npos) {
            tag = inside.substr(0, close);
            reason = "it has blanks before \"[\"";
        } else {
            tag = inside;
            reason = "it has no \"]\"";
        }
    } else if (trimmed.starts_with("$$")) {
        tag = trimmed.substr(0, trimmed.find(']'));
        reason = "it does not begin with \"[\"";
    } else {
        return {};
    }
    TagInfo info = Classify(Trim(tag));
    if (info.kind != TagKind::Exact && info.kind != TagKind::Misspelled) {
        return {};
    }
    return reason;
}

std::string WithThousands(std::size_t value) {
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), ",");
    }
    return digits;
}

// A file's text in double quotes for a message: control characters shown as \xNN, and long
// texts cut after 40 characters.
std::string Quote(std::string_view text) {
    constexpr int maxCharacters = 40;
    std::string out = "\"";
    int characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) != 0x80 && ++characters > maxCharacters) {
            out += "\u2026";
            break;
        }
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        } else {
            out.push_back(static_cast<char>(byte));
        }
    }
    return out + "\"";
}

std::string QuoteTag(std::string_view tag) {
    return Quote("[" + std::string(tag) + "]");
}

// True when the line is a decimal number and nothing else (blanks around it allowed).
bool IsPlainNumber(std::string_view line) {
    std::string_view trimmed = Trim(line);
    if (!trimmed.empty() && (trimmed[0] == '+' || trimmed[0] == '-')) {
        trimmed.remove_prefix(1);
    }
    return !trimmed.empty() &&
           std::all_of(trimmed.begin(), trimmed.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// What SetSlot does with an index, for messages.
std::string SlotEffect(int index) {
    if (index > 3) {
        return "which sets no hot button";
    }
    return "which sets the button with index " + std::to_string(std::max(index, 0));
}

// Turns a file's bytes into the lines the reader hands out, with the findings that belong to
// the bytes rather than to the sections: line ends, code page, NUL bytes and long lines.
class LineSplitter {
public:
    LineSplitter(std::string_view bytes, std::vector<CheckFinding>& findings)
        : bytes(bytes), findings(findings) {}

    // Fills lines; false when the file is not text the reader can make sense of, so that
    // findings about its sections would only be noise.
    bool Split(std::vector<ReadLine>& lines) {
        bool meaningful = true;
        if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
            Warn(1, "file is UTF-16 text, which the program reads byte by byte with the NUL "
                    "bytes dropped, so no line means what it says" +
                        std::string(dash) + "save the file as UTF-8");
            meaningful = false;
        }
        bool fromWindows1252 = !ChecklistFile::IsValidUtf8(bytes);
        if (bytes.starts_with("\xEF\xBB\xBF")) {
            bytes.remove_prefix(3);
            Note(1, "the byte-order mark at the start is skipped; the program writes none when it "
                    "saves");
        }
        bool lineFeeds = bytes.find('\n') != std::string_view::npos;
        if (meaningful && !lineFeeds && bytes.find('\r') != std::string_view::npos) {
            Warn(1, "lines end with CR alone, which the program does not take as a line end: it "
                    "reads the whole file as one line" +
                        std::string(dash) + "save the file with LF or CR LF line ends");
            meaningful = false;
        }
        int firstCrLf = 0;
        int firstInvalid = 0;
        int firstUtf8 = 0;
        int number = 0;
        std::size_t position = 0;
        while (position < bytes.size()) {
            ++number;
            std::size_t newline = bytes.find('\n', position);
            std::string_view raw;
            if (newline == std::string_view::npos) {
                raw = bytes.substr(position); // a last line without a line end is read whole
                position = bytes.size();
            } else {
                raw = bytes.substr(position, newline - position);
                position = newline + 1;
            }
            bool validLine = ChecklistFile::IsValidUtf8(raw);
            if (!validLine && firstInvalid == 0) {
                firstInvalid = number;
            }
            if (validLine && firstUtf8 == 0 &&
                std::any_of(raw.begin(), raw.end(), [](char c) { return c & 0x80; })) {
                firstUtf8 = number;
            }
            std::string text =
                fromWindows1252 ? ChecklistFile::Windows1252ToUtf8(raw) : std::string(raw);
            if (text.find('\0') != std::string::npos) {
                std::erase(text, '\0');
                if (meaningful) {
                    Warn(number, "the line holds NUL bytes, which the program drops" +
                                     std::string(dash) + "remove them");
                }
            }
            // Carriage returns at the end belong to the line end.
            if (text.ends_with('\r')) {
                while (text.ends_with('\r')) {
                    text.pop_back();
                }
                if (firstCrLf == 0) {
                    firstCrLf = number;
                }
            }
            if (meaningful && text.find('\r') != std::string::npos) {
                Warn(number, "a carriage return without a line feed stays part of the line's text" +
                                 std::string(dash) + "end lines with LF or CR LF");
            }
            Cut(std::move(text), number, lines);
        }
        if (!meaningful) {
            return false;
        }
        if (firstCrLf != 0) {
            Note(firstCrLf, "lines end with CR LF; the program reads them as line ends and writes "
                            "LF when it saves");
        }
        if (fromWindows1252 && firstUtf8 != 0) {
            Warn(firstInvalid, "this line is not valid UTF-8, so the program reads the whole file "
                               "as Windows-1252 and the UTF-8 text of other lines (first line " +
                                   std::to_string(firstUtf8) + ") turns into wrong characters" +
                                   std::string(dash) + "fix this line's characters");
        } else if (fromWindows1252) {
            Note(firstInvalid, "the text is not UTF-8; the program reads the file as "
                               "Windows-1252 and converts it to UTF-8 when it saves");
        }
        return true;
    }

private:
    static bool IsContinuation(char byte) {
        return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
    }

    // Where the reader ends the first piece of an over-long line: within maxLineBytes, never
    // inside a character and, where it can, never right after a carriage return.
    static std::size_t PieceEnd(std::string_view text) {
        std::size_t cut = ChecklistFile::maxLineBytes;
        while (cut > 0 && (IsContinuation(text[cut]) || text[cut - 1] == '\r')) {
            --cut;
        }
        if (cut > 0) {
            return cut;
        }
        cut = ChecklistFile::maxLineBytes;
        while (cut > 0 && IsContinuation(text[cut])) {
            --cut;
        }
        return cut > 0 ? cut : ChecklistFile::maxLineBytes;
    }

    // Cuts a line into the pieces the reader hands out; a piece loses carriage returns at its
    // end as a line does.
    static void Cut(std::string text, int number, std::vector<ReadLine>& lines) {
        std::size_t first = lines.size();
        std::size_t total = text.size();
        std::string_view rest = text;
        do {
            std::size_t cut =
                rest.size() > ChecklistFile::maxLineBytes ? PieceEnd(rest) : rest.size();
            std::string_view piece = rest.substr(0, cut);
            rest.remove_prefix(cut);
            while (piece.ends_with('\r')) {
                piece.remove_suffix(1);
            }
            lines.push_back({std::string(piece), number, 0, 1, total});
        } while (!rest.empty());
        int count = static_cast<int>(lines.size() - first);
        for (int piece = 0; piece < count; ++piece) {
            lines[first + piece].piece = piece;
            lines[first + piece].pieceCount = count;
        }
    }

    void Warn(int line, std::string text) { findings.push_back({line, true, std::move(text)}); }
    void Note(int line, std::string text) { findings.push_back({line, false, std::move(text)}); }

    std::string_view bytes;
    std::vector<CheckFinding>& findings;
};

// Walks the lines through the reader's state machine and records what goes astray.
class SectionChecker {
public:
    // Fills report.s checklists and hot buttons as the reader fills a document; findings go to
    // findings.
    SectionChecker(std::vector<ReadLine>& lines, CheckReport& report,
                   std::vector<CheckFinding>& findings)
        : lines(lines), report(report), findings(findings) {}

    void Run() {
        const ReadLine* line;
        while (Next(line, Reading::Outside)) {
            if (!IsTagLine(line->text)) {
                OutsideLine(*line);
                continue;
            }
            FlushIgnored();
            std::string_view tag = TagOf(line->text);
            if (tag == headerTag) {
                CheckTrailingText(*line);
                ReadHeader(*line);
            } else if (tag == hotButtonTag) {
                CheckTrailingText(*line);
                ReadHotButtons(*line);
            } else {
                ReadChecklist(*line);
            }
        }
        FlushIgnored();
        CheckSharedChecklists();
    }

private:
    enum class Reading { Outside, Header, Name, Items, Index, Caption };

    // The reader's next line, or false at the end of the file. Reports a long line when its
    // first piece is read, in the terms of what is being read.
    bool Next(const ReadLine*& line, Reading reading) {
        if (next == lines.size()) {
            return false;
        }
        line = &lines[next++];
        if (line->piece == 0 && line->pieceCount > 1) {
            std::string what =
                "the line is " + WithThousands(line->totalBytes) + " bytes long, more than the " +
                WithThousands(ChecklistFile::maxLineBytes) + " the program reads at once: ";
            if (reading == Reading::Items) {
                what += "it becomes " + std::to_string(line->pieceCount) + " items";
            } else if (reading == Reading::Name) {
                what += "the checklist's name is cut short and the rest becomes items";
            } else {
                what += "it is read as " + std::to_string(line->pieceCount) + " separate lines";
            }
            Warn(line->number, what + std::string(dash) + "shorten it");
        }
        return true;
    }

    void Warn(int line, std::string text) { findings.push_back({line, true, std::move(text)}); }
    void Note(int line, std::string text) { findings.push_back({line, false, std::move(text)}); }

    std::string ChecklistName(int position) const {
        return "checklist " + Quote(report.checklists[static_cast<std::size_t>(position)].name);
    }

    // Text after the "]" of a tag line is never read.
    void CheckTrailingText(const ReadLine& line) {
        std::string_view after = std::string_view(line.text).substr(line.text.find(']', 1) + 1);
        if (!IsBlankLine(after)) {
            Warn(line.number, "the text after \"]\", " + Quote(Trim(after)) + ", is ignored" +
                                  std::string(dash) + "put it on a line of its own or delete it");
        }
    }

    // A plain line where the main loop looks for tags: the reader passes over it.
    void OutsideLine(const ReadLine& line) {
        std::string reason = NotATagReason(line.text);
        if (!reason.empty()) {
            FlushIgnored();
            Warn(line.number, Quote(Trim(line.text)) + " is not a tag line (" + reason +
                                  "), so the program ignores it" + std::string(dash) +
                                  "write the tag at the start of the line, in brackets");
            return;
        }
        if (IsBlankLine(line.text)) {
            return;
        }
        if (ignoredCount == 0) {
            ignoredFirst = line.number;
        }
        if (line.number != ignoredLast) {
            ++ignoredCount;
        }
        ignoredLast = line.number;
    }

    void FlushIgnored() {
        if (ignoredCount == 1) {
            Warn(ignoredFirst, "the line lies outside any section and is ignored" +
                                   std::string(dash) + "put it inside a checklist or delete it");
        } else if (ignoredCount > 1) {
            Warn(ignoredFirst,
                 "this line and the next lines up to line " + std::to_string(ignoredLast) + " (" +
                     std::to_string(ignoredCount) +
                     " lines) lie outside any section and are ignored" + std::string(dash) +
                     "put them inside a checklist or delete them");
        }
        ignoredCount = 0;
        ignoredLast = 0;
    }

    // The reader skips everything up to a tag line whose tag is exactly "$$END".
    void ReadHeader(const ReadLine& opening) {
        std::vector<CheckFinding> inside; // kept only when the header is closed
        std::vector<CheckFinding> misspelledEnds;
        int skipped = 0;
        int firstSkipped = 0;
        auto countSkipped = [&](const ReadLine& line) {
            if (skipped++ == 0) {
                firstSkipped = line.number;
            }
        };
        const ReadLine* line;
        while (Next(line, Reading::Header)) {
            if (IsTagLine(line->text)) {
                std::string_view tag = TagOf(line->text);
                TagInfo info = Classify(tag);
                if (tag == endTag) {
                    CheckTrailingText(*line);
                    findings.insert(findings.end(), misspelledEnds.begin(), misspelledEnds.end());
                    findings.insert(findings.end(), inside.begin(), inside.end());
                    if (skipped > 0) {
                        Note(firstSkipped,
                             std::to_string(skipped) + (skipped == 1 ? " line" : " lines") +
                                 " of text inside the header " + (skipped == 1 ? "is" : "are") +
                                 " skipped; the program keeps nothing from the header" +
                                 std::string(dash) + "move the text into a checklist");
                    }
                    return;
                }
                if (info.kind == TagKind::Misspelled && info.meant == endTag) {
                    misspelledEnds.push_back(
                        {line->number, true,
                         QuoteTag(tag) +
                             " does not close the header (tags are compared exactly), so the "
                             "program skips everything up to the next \"[$$END]\"" +
                             std::string(dash) + "write \"[$$END]\""});
                } else if (LooksLikeTag(info)) {
                    inside.push_back({line->number, true,
                                      QuoteTag(tag) +
                                          " lies inside the header, which the program skips up "
                                          "to its \"[$$END]\", so this section is lost" +
                                          std::string(dash) +
                                          "close the header with \"[$$END]\" before it"});
                } else {
                    countSkipped(*line);
                }
            } else if (std::string reason = NotATagReason(line->text); !reason.empty()) {
                misspelledEnds.push_back({line->number, true,
                                          Quote(Trim(line->text)) + " is not a tag line (" +
                                              reason + "), so it does not close the header" +
                                              std::string(dash) +
                                              "write the tag at the start of the line"});
            } else if (!IsBlankLine(line->text)) {
                countSkipped(*line);
            }
        }
        findings.insert(findings.end(), misspelledEnds.begin(), misspelledEnds.end());
        int after = lines.back().number - opening.number;
        if (after == 0) {
            Note(opening.number, "the header is not closed" + std::string(dash) +
                                     "put \"[$$END]\" on the line after it");
            return;
        }
        Warn(opening.number, "the header is never closed, so the program skips everything after "
                             "it (" +
                                 std::to_string(after) + (after == 1 ? " line" : " lines") + ")" +
                                 std::string(dash) + "put \"[$$END]\" on the line after it");
    }

    // Any tag but the header's and the hot buttons' opens a checklist: the next line is its
    // name, whatever it holds, and the items run up to the next tag line, which is consumed.
    void ReadChecklist(const ReadLine& opening) {
        std::string_view tag = TagOf(opening.text);
        TagInfo info = Classify(tag);
        const ReadLine* nameLine = nullptr;
        bool hasName = Next(nameLine, Reading::Name);
        std::string name = hasName ? nameLine->text : "nocaption";
        std::string named = "named " + Quote(name) + (hasName ? " (the next line)" : "");
        if (info.kind == TagKind::Exact && tag == checklistTag) {
            std::string_view after =
                std::string_view(opening.text).substr(opening.text.find(']', 1) + 1);
            if (!IsBlankLine(after)) {
                Warn(opening.number, "the text after \"]\", " + Quote(Trim(after)) +
                                         ", is ignored: the checklist is " + named +
                                         std::string(dash) + "put the name on a line of its own");
            }
        } else if (info.kind == TagKind::Exact && tag == endTag) {
            Warn(opening.number, "\"[$$END]\" outside any section opens an extra checklist " +
                                     named + std::string(dash) + "delete this line");
        } else if (info.kind == TagKind::Misspelled && info.meant == checklistTag) {
            Note(opening.number, QuoteTag(tag) +
                                     " is not \"[$$CHECKLIST]\", but it opens a checklist all "
                                     "the same, as any unknown tag does" +
                                     std::string(dash) + "write \"[$$CHECKLIST]\"");
        } else if (info.kind == TagKind::Misspelled) {
            Warn(opening.number, QuoteTag(tag) + " is not " + QuoteTag(info.meant) +
                                     " (tags are compared exactly), so it opens a checklist " +
                                     named + std::string(dash) + "write " + QuoteTag(info.meant));
        } else {
            Warn(opening.number, "the unknown tag " + QuoteTag(tag) + " opens a checklist " +
                                     named + std::string(dash) +
                                     "write \"[$$CHECKLIST]\" for a checklist, or delete the "
                                     "line");
        }
        bool opensChecklist = info.meant == checklistTag;
        if (!hasName) {
            if (opensChecklist) {
                Warn(opening.number, "the checklist has no name line: the file ends here, so "
                                     "the program names it \"nocaption\"" +
                                         std::string(dash) + "add the name on the next line");
            }
            report.checklists.push_back({name, {}});
            return;
        }
        bool nameIsTag = IsTagLine(name) && Classify(TagOf(name)).kind != TagKind::Text &&
                         Classify(TagOf(name)).kind != TagKind::Dollar;
        int position = static_cast<int>(report.checklists.size());
        report.checklists.push_back({name, {}});
        const ReadLine* line = nullptr;
        bool closed = false;
        while (Next(line, Reading::Items)) {
            if (IsTagLine(line->text)) {
                closed = true;
                break;
            }
            if (std::string reason = NotATagReason(line->text); !reason.empty()) {
                // A note only: the program's own writer stores such an item text as it is.
                Note(line->number, Quote(Trim(line->text)) + " is not a tag line (" + reason +
                                       "), so the program reads it as an item of " +
                                       ChecklistName(position) + std::string(dash) +
                                       "write the tag at the start of the line, in brackets");
            }
            // Items are the bulk of a file and no line is looked at twice: move, not copy.
            report.checklists.back().items.push_back(std::move(lines[next - 1].text));
        }
        if (nameIsTag && opensChecklist && !(closed && TagOf(line->text) == endTag)) {
            Warn(nameLine->number, "the checklist has no name line: the program takes this "
                                   "line, " +
                                       Quote(name) + ", as its name" + std::string(dash) +
                                       "put the name on the line after \"[$$CHECKLIST]\"");
        }
        if (!closed) {
            if (!opensChecklist) {
                return;
            }
            Note(opening.number, ChecklistName(position) +
                                     " is not closed; the program reads it up to the end of the "
                                     "file" +
                                     std::string(dash) + "add \"[$$END]\" after its last item");
            return;
        }
        EndOfChecklist(*line, position);
    }

    // The tag line that ends a checklist's items; the reader consumes it without looking.
    void EndOfChecklist(const ReadLine& line, int position) {
        std::string_view tag = TagOf(line.text);
        TagInfo info = Classify(tag);
        if (info.kind == TagKind::Exact && tag == endTag) {
            CheckTrailingText(line);
        } else if (info.meant == endTag) {
            CheckTrailingText(line);
            Note(line.number, QuoteTag(tag) + " is not \"[$$END]\", but it ends " +
                                  ChecklistName(position) +
                                  " all the same: the program does not look at the tag line "
                                  "that ends a checklist" +
                                  std::string(dash) + "write \"[$$END]\"");
        } else if (LooksLikeTag(info)) {
            Warn(line.number, QuoteTag(tag) + " ends " + ChecklistName(position) +
                                  " but opens nothing: the program skips the tag line that ends "
                                  "a checklist, and ignores what follows up to the next tag" +
                                  std::string(dash) + "put \"[$$END]\" on the line before it");
        } else {
            Warn(line.number, "the item " + Quote(line.text) +
                                  " begins with \"[\" and contains \"]\", so the program reads it "
                                  "as a tag line that ends " +
                                  ChecklistName(position) + " early" + std::string(dash) +
                                  "begin the item with another character");
        }
    }

    // Index and caption pairs for the checklist read last, up to "[$$END]".
    void ReadHotButtons(const ReadLine& opening) {
        if (lastChecklist() < 0) {
            Warn(opening.number, "the hot-button section comes before the first checklist, so "
                                 "its button gets a caption but no checklist to show" +
                                     std::string(dash) +
                                     "move the section after the checklist it belongs to");
        }
        const ReadLine* index;
        if (!Next(index, Reading::Index)) {
            Warn(opening.number, "the file ends after \"[$$HOTBUTTON]\", so no hot button is set" +
                                     std::string(dash) +
                                     "add an index line, a caption line and \"[$$END]\"");
            return;
        }
        int pairs = 0;
        for (;;) {
            if (IsTag(index->text, endTag)) {
                CheckTrailingText(*index);
                if (pairs == 0) {
                    Warn(opening.number, "the hot-button section holds no index and caption, so "
                                         "no hot button is set" +
                                             std::string(dash) +
                                             "add an index line and a caption line");
                }
                return;
            }
            int value = ChecklistFile::ParseSlotIndex(index->text);
            CheckIndexLine(*index, value);
            const ReadLine* caption;
            if (!Next(caption, Reading::Caption)) {
                Warn(index->number, "the file ends before the caption for index " +
                                        std::to_string(value) + ", so no hot button is set" +
                                        std::string(dash) + "add a caption line and \"[$$END]\"");
                return;
            }
            if (IsTagLine(caption->text)) {
                CaptionIsTagLine(*caption, value);
                return;
            }
            if (std::string reason = NotATagReason(caption->text); !reason.empty()) {
                Note(caption->number, Quote(Trim(caption->text)) + " is not a tag line (" + reason +
                                          "), so the program takes it as the caption for index " +
                                          std::to_string(value) + std::string(dash) +
                                          "write the tag at the start of the line, in brackets");
            }
            SetSlot(*index, value, caption->text);
            ++pairs;
            if (!Next(index, Reading::Index)) {
                Note(opening.number, "the hot-button section is not closed; the program reads "
                                     "it up to the end of the file" +
                                         std::string(dash) + "add \"[$$END]\" after the caption");
                return;
            }
        }
    }

    void CheckIndexLine(const ReadLine& line, int value) {
        std::string reads = std::to_string(value) + ", " + SlotEffect(value);
        if (IsTagLine(line.text)) {
            std::string_view tag = TagOf(line.text);
            TagInfo info = Classify(tag);
            if (info.kind == TagKind::Misspelled && info.meant == endTag) {
                Warn(line.number, QuoteTag(tag) +
                                      " does not close the hot-button section (tags are compared "
                                      "exactly): the program reads it as index " +
                                      reads + ", with the next line as its caption" +
                                      std::string(dash) + "write \"[$$END]\"");
            } else {
                Warn(line.number, "the tag line " + QuoteTag(tag) +
                                      " inside the hot-button section is read as index " + reads +
                                      ", with the next line as its caption" + std::string(dash) +
                                      "close the section with \"[$$END]\" before it");
            }
        } else if (std::string reason = NotATagReason(line.text); !reason.empty()) {
            Warn(line.number, Quote(Trim(line.text)) + " is not a tag line (" + reason +
                                  "), so the program reads it as index " + reads +
                                  ", with the next line as its caption" + std::string(dash) +
                                  "write the tag at the start of the line, in brackets");
        } else if (!IsPlainNumber(line.text)) {
            Warn(line.number, "the hot-button index " + Quote(line.text) +
                                  " is not a number; the program reads it as " + reads +
                                  std::string(dash) + "write 0, 1, 2 or 3");
        } else if (value < 0 || value > 3) {
            Warn(line.number, "the hot-button index " + std::to_string(value) +
                                  " is outside 0 to 3, " + SlotEffect(value) + std::string(dash) +
                                  "write 0, 1, 2 or 3");
        }
    }

    // A tag line where the caption belongs ends the section, consumed, with no button set.
    void CaptionIsTagLine(const ReadLine& line, int value) {
        std::string_view tag = TagOf(line.text);
        TagInfo info = Classify(tag);
        std::string forIndex = "the caption for index " + std::to_string(value);
        if (info.meant == endTag) {
            Warn(line.number, "the hot-button section ends before " + forIndex +
                                  ", so no hot button is set" + std::string(dash) +
                                  "put the caption on the line before \"[$$END]\"");
        } else if (LooksLikeTag(info)) {
            Warn(line.number, QuoteTag(tag) + " stands where " + forIndex +
                                  " belongs: it ends the hot-button section without setting a "
                                  "button, and opens nothing" +
                                  std::string(dash) +
                                  "add the caption and \"[$$END]\" on the lines before it");
        } else {
            Warn(line.number, "the caption " + Quote(line.text) +
                                  " begins with \"[\" and contains \"]\", so the program reads it "
                                  "as a tag line that ends the hot-button section, and no hot "
                                  "button is set" +
                                  std::string(dash) + "begin the caption with another character");
        }
    }

    void SetSlot(const ReadLine& indexLine, int value, const std::string& caption) {
        if (value > 3) {
            return;
        }
        auto slot = static_cast<std::size_t>(std::max(value, 0));
        if (slotLines[slot] != 0) {
            Warn(indexLine.number,
                 "the hot button with index " + std::to_string(slot) +
                     " is set again (first on line " + std::to_string(slotLines[slot]) +
                     "); the later setting wins" + std::string(dash) + "remove one of them");
        }
        slotLines[slot] = indexLine.number;
        report.hotButtons[slot] = {caption, lastChecklist()};
    }

    // The program saves a hot-button section only for the lowest-numbered slot of a checklist.
    void CheckSharedChecklists() {
        const auto& buttons = report.hotButtons;
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            if (buttons[i].checklist < 0) {
                continue;
            }
            for (std::size_t lower = 0; lower < i; ++lower) {
                if (buttons[lower].checklist == buttons[i].checklist) {
                    Warn(slotLines[i],
                         ChecklistName(buttons[i].checklist) +
                             " already has the hot button with index " + std::to_string(lower) +
                             " (line " + std::to_string(slotLines[lower]) +
                             "); both buttons work, but the program saves only "
                             "that one" +
                             std::string(dash) + "give each checklist one hot button");
                    break;
                }
            }
        }
    }

    int lastChecklist() const { return static_cast<int>(report.checklists.size()) - 1; }

    std::vector<ReadLine>& lines; // item texts are moved out into report as they are read
    CheckReport& report;
    std::vector<CheckFinding>& findings;
    std::size_t next = 0;
    std::array<int, 4> slotLines{}; // index line that last set each slot, 0 while unset
    int ignoredFirst = 0;
    int ignoredLast = 0;
    int ignoredCount = 0;
};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Reads the whole file; false with errno's text in error when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error) {
    std::unique_ptr<std::FILE, FileCloser> file(
        std::fopen(HostPath(InputPath(path).c_str()).c_str(), "rb"));
    if (!file) {
        error = std::strerror(errno);
        return false;
    }
    char buffer[64 * 1024];
    while (std::size_t count = std::fread(buffer, 1, sizeof buffer, file.get())) {
        bytes.append(buffer, count);
    }
    if (std::ferror(file.get())) {
        error = std::strerror(errno ? errno : EIO);
        return false;
    }
    return true;
}

} // namespace

CheckReport CheckChecklistText(std::string_view bytes) {
    CheckReport report;
    std::vector<ReadLine> lines;
    std::vector<CheckFinding> sectionFindings;
    bool meaningful = LineSplitter(bytes, report.findings).Split(lines);
    SectionChecker(lines, report, sectionFindings).Run();
    if (meaningful) {
        report.findings.insert(report.findings.end(), sectionFindings.begin(),
                               sectionFindings.end());
    }
    std::stable_sort(report.findings.begin(), report.findings.end(),
                     [](const CheckFinding& a, const CheckFinding& b) { return a.line < b.line; });
    return report;
}

int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (!optionsEnded && (arg == "-h" || arg == "--help")) {
            out << UsageText();
            return 0;
        }
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            return UsageError(err, "check: unknown option '" + arg + "'");
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        return UsageError(err, "check expects at least one file");
    }
    int status = 0;
    for (const std::string& file : files) {
        std::string bytes;
        std::string error;
        if (!ReadWholeFile(file, bytes, error)) {
            err << "ckl: cannot open '" << file << "': " << error << '\n';
            status = 1;
            continue;
        }
        for (const CheckFinding& finding : CheckChecklistText(bytes).findings) {
            out << file << ':' << finding.line << ": " << (finding.warning ? "warning" : "note")
                << ": " << finding.text << '\n';
            if (finding.warning) {
                status = 1;
            }
        }
    }
    return status;
}

} // namespace ckl
