#include "CheckCommand.h"
#include "CklSupport.h"
#include "Commands.h"

#include "ChecklistDoc.h"
#include "ChecklistFile.h"
#include "LineRules.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// The checker watches the program's own reader at work and notes every line that the reader
// takes differently from what its author most likely meant. Each finding names what the program
// does with the line and how the author can fix it.

namespace ckl {
namespace {

using ChecklistFile::checklistTag;
using ChecklistFile::endTag;
using ChecklistFile::headerTag;
using ChecklistFile::hotButtonTag;
constexpr std::array<std::string_view, 4> knownTags = {headerTag, checklistTag, hotButtonTag,
                                                       endTag};

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

using ChecklistFile::CodePage;
using ChecklistFile::LineRole;
using ChecklistFile::ReadLine;
using ChecklistFile::Section;
using LineRules::IsTagLine;
using LineRules::QuotedForDisplay;
using LineRules::TagOf;

// A finding: what the program does with the line, then how its author can fix it. A note that
// needs no fix has none.
CheckFinding Finding(int line, bool warning, std::string what, std::string_view fix) {
    if (!fix.empty()) {
        what += " \u2014 ";
        what += fix;
    }
    return {line, warning, std::move(what)};
}

CheckFinding Warn(int line, std::string what, std::string_view fix) {
    return Finding(line, true, std::move(what), fix);
}

CheckFinding Note(int line, std::string what, std::string_view fix = {}) {
    return Finding(line, false, std::move(what), fix);
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
    const std::string digits = std::to_string(value);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            grouped.push_back(',');
        }
        grouped.push_back(digits[i]);
    }
    return grouped;
}

std::string QuoteTag(std::string_view tag) {
    return QuotedForDisplay("[" + std::string(tag) + "]");
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

// "write 0, 1, 2 or 3": every index that names a hot button.
std::string WriteASlotIndex() {
    std::string text = "write 0";
    for (int i = 1; i < ChecklistDoc::slotCount; ++i) {
        text += i + 1 < ChecklistDoc::slotCount ? ", " : " or ";
        text += std::to_string(i);
    }
    return text;
}

// Byte-level findings (line ends, code page, NUL bytes) are kept apart from the findings about
// sections: a file that is no text the reader can make sense of (UTF-16, or CR alone as line
// end) gets only the finding that says so, as the rest would be noise.
class Checker : public ChecklistFile::ReadObserver {
public:
    // Watches the reader read into doc, which must start out new.
    explicit Checker(ChecklistDoc& doc) : doc(doc) {}

    // Every finding, the byte-level ones first within a line, in line order.
    std::vector<CheckFinding> Findings() {
        std::vector<CheckFinding> all = std::move(byteFindings);
        if (meaningful) {
            all.insert(all.end(), sectionFindings.begin(), sectionFindings.end());
        }
        std::stable_sort(all.begin(), all.end(), [](const CheckFinding& a, const CheckFinding& b) {
            return a.line < b.line;
        });
        return all;
    }

    void OnStart(CodePage chosen, bool byteOrderMark) override {
        codePage = chosen;
        hadByteOrderMark = byteOrderMark;
        if (byteOrderMark) {
            SayOfBytes(Note(1, "the byte-order mark at the start is skipped; the program writes "
                               "none when it saves"));
        }
    }

    void OnLine(const ReadLine& line, LineRole role) override {
        Take(line, role);
        switch (role) {
        case LineRole::Outside:
            OutsideLine(line);
            break;
        case LineRole::InHeader:
            HeaderLine(line);
            break;
        case LineRole::Name:
            ChecklistNamed(&line);
            break;
        case LineRole::Item:
            ItemLine(line);
            break;
        case LineRole::Index:
            IndexLine(line);
            break;
        case LineRole::Caption:
            CaptionLine(line);
            break;
        }
    }

    void OnSectionOpen(Section section, const ReadLine& tagLine) override {
        Take(tagLine, LineRole::Outside);
        FlushIgnored();
        switch (section) {
        case Section::Header:
            CheckTrailingText(tagLine);
            OpenHeader(tagLine);
            break;
        case Section::HotButton:
            CheckTrailingText(tagLine);
            OpenHotButtons(tagLine);
            break;
        case Section::Checklist:
            OpenChecklist(tagLine);
            break;
        }
    }

    // A closing line is taken in the role of the lines it stands among.
    void OnSectionClose(Section section, const ReadLine* closingLine) override {
        switch (section) {
        case Section::Header:
            if (closingLine) {
                Take(*closingLine, LineRole::InHeader);
            }
            CloseHeader(closingLine);
            break;
        case Section::Checklist:
            if (closingLine) {
                Take(*closingLine, LineRole::Item);
            }
            CloseChecklist(closingLine);
            break;
        case Section::HotButton:
            if (closingLine) {
                Take(*closingLine, hotButtons.indexLine ? LineRole::Caption : LineRole::Index);
            }
            CloseHotButtons(closingLine);
            break;
        }
    }

    void OnHotButton(int index, std::string_view /*caption*/, Checklist* /*checklist*/) override {
        ++hotButtons.pairs;
        SlotSet(hotButtons.indexLine, index);
        hotButtons.indexLine = 0;
    }

    void OnEnd(int /*lineCount*/) override {
        FlushIgnored();
        CheckSharedChecklists();
        EndBytes();
    }

private:
    void Say(CheckFinding finding) { sectionFindings.push_back(std::move(finding)); }
    void SayOfBytes(CheckFinding finding) { byteFindings.push_back(std::move(finding)); }

    // Every line the reader takes: what its bytes say, and a long line when its first piece is
    // read, in the terms of the role it is read in.
    void Take(const ReadLine& line, LineRole role) {
        lastLine = line.number;
        if (line.piece != 0) {
            return;
        }
        CheckBytes(line);
        if (line.pieceCount > 1) {
            std::string what = "the line is " + WithThousands(line.lineBytes) +
                               " bytes long, more than the " + WithThousands(LineRules::maxBytes) +
                               " the program reads at once: ";
            if (role == LineRole::Item) {
                what += "it becomes " + std::to_string(line.pieceCount) + " items";
            } else if (role == LineRole::Name) {
                what += "the checklist's name is cut short and the rest becomes items";
            } else {
                what += "it is read as " + std::to_string(line.pieceCount) + " separate lines";
            }
            Say(Warn(line.number, what, "shorten it"));
        }
    }

    void CheckBytes(const ReadLine& line) {
        if (line.number == 1) {
            if (!hadByteOrderMark &&
                (line.raw.starts_with("\xFF\xFE") || line.raw.starts_with("\xFE\xFF"))) {
                SayOfBytes(Warn(1,
                                "file is UTF-16 text, which the program reads byte by byte with "
                                "the NUL bytes dropped, so no line means what it says",
                                "save the file as UTF-8"));
                meaningful = false;
            }
            // A file without a single LF is one line, however many carriage returns it holds.
            if (meaningful && !line.endedByLineFeed &&
                line.raw.find('\r') != std::string_view::npos) {
                SayOfBytes(Warn(1,
                                "lines end with CR alone, which the program does not take as a "
                                "line end: it reads the whole file as one line",
                                "save the file with LF or CR LF line ends"));
                meaningful = false;
            }
        }
        if (codePage == CodePage::Windows1252) {
            bool validLine = ChecklistFile::IsValidUtf8(line.raw);
            if (!validLine && firstInvalid == 0) {
                firstInvalid = line.number;
            }
            if (validLine && firstUtf8 == 0 &&
                std::any_of(line.raw.begin(), line.raw.end(), [](char c) { return c & 0x80; })) {
                firstUtf8 = line.number;
            }
        }
        if (line.nulDropped && meaningful) {
            SayOfBytes(Warn(line.number, "the line holds NUL bytes, which the program drops",
                            "remove them"));
        }
        if (line.crBeforeEnd && firstCrLf == 0) {
            firstCrLf = line.number;
        }
        if (meaningful && line.strayCr) {
            SayOfBytes(Warn(line.number,
                            "a carriage return without a line feed stays part of the line's text",
                            "end lines with LF or CR LF"));
        }
    }

    // What the whole file's bytes say, once all lines are seen.
    void EndBytes() {
        if (!meaningful) {
            return;
        }
        if (firstCrLf != 0) {
            SayOfBytes(Note(firstCrLf, "lines end with CR LF; the program reads them as line ends "
                                       "and writes LF when it saves"));
        }
        if (codePage == CodePage::Windows1252 && firstUtf8 != 0) {
            SayOfBytes(Warn(firstInvalid,
                            "this line is not valid UTF-8, so the program reads the whole file as "
                            "Windows-1252 and the UTF-8 text of other lines (first line " +
                                std::to_string(firstUtf8) + ") turns into wrong characters",
                            "fix this line's characters"));
        } else if (codePage == CodePage::Windows1252) {
            SayOfBytes(Note(firstInvalid, "the text is not UTF-8; the program reads the file as "
                                          "Windows-1252 and converts it to UTF-8 when it saves"));
        }
    }

    std::string ChecklistName() const { return "checklist " + QuotedForDisplay(checklist.name); }

    // Text after the "]" of a tag line is never read.
    void CheckTrailingText(const ReadLine& line) {
        std::string_view after = line.text.substr(line.text.find(']', 1) + 1);
        if (!IsBlankLine(after)) {
            Say(Warn(line.number,
                     "the text after \"]\", " + QuotedForDisplay(Trim(after)) + ", is ignored",
                     "put it on a line of its own or delete it"));
        }
    }

    // A plain line where the reader looks for tags: it passes over it.
    void OutsideLine(const ReadLine& line) {
        std::string reason = NotATagReason(line.text);
        if (!reason.empty()) {
            FlushIgnored();
            Say(Warn(line.number,
                     QuotedForDisplay(Trim(line.text)) + " is not a tag line (" + reason +
                         "), so the program ignores it",
                     "write the tag at the start of the line, in brackets"));
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
            Say(Warn(ignoredFirst, "the line lies outside any section and is ignored",
                     "put it inside a checklist or delete it"));
        } else if (ignoredCount > 1) {
            Say(Warn(ignoredFirst,
                     "this line and the next lines up to line " + std::to_string(ignoredLast) +
                         " (" + std::to_string(ignoredCount) +
                         " lines) lie outside any section and are ignored",
                     "put them inside a checklist or delete them"));
        }
        ignoredCount = 0;
        ignoredLast = 0;
    }

    // The reader skips everything up to a tag line whose tag is exactly "$$END". What is said
    // about the lines inside waits for the end of the header: a header never closed swallows
    // the rest of the file, and that is the one thing to say then.
    void OpenHeader(const ReadLine& opening) {
        header = {};
        header.opening = opening.number;
    }

    void HeaderLine(const ReadLine& line) {
        if (IsTagLine(line.text)) {
            std::string_view tag = TagOf(line.text);
            TagInfo info = Classify(tag);
            if (info.kind == TagKind::Misspelled && info.meant == endTag) {
                header.misspelledEnds.push_back(
                    Warn(line.number,
                         QuoteTag(tag) + " does not close the header (tags are compared exactly), "
                                         "so the program skips everything up to the next "
                                         "\"[$$END]\"",
                         "write \"[$$END]\""));
            } else if (LooksLikeTag(info)) {
                header.inside.push_back(Warn(line.number,
                                             QuoteTag(tag) +
                                                 " lies inside the header, which the program "
                                                 "skips up to its \"[$$END]\", so this section "
                                                 "is lost",
                                             "close the header with \"[$$END]\" before it"));
            } else {
                CountSkipped(line);
            }
        } else if (std::string reason = NotATagReason(line.text); !reason.empty()) {
            header.misspelledEnds.push_back(Warn(line.number,
                                                 QuotedForDisplay(Trim(line.text)) +
                                                     " is not a tag line (" + reason +
                                                     "), so it does not close the header",
                                                 "write the tag at the start of the line"));
        } else if (!IsBlankLine(line.text)) {
            CountSkipped(line);
        }
    }

    void CountSkipped(const ReadLine& line) {
        if (header.skipped++ == 0) {
            header.firstSkipped = line.number;
        }
    }

    void CloseHeader(const ReadLine* closingLine) {
        sectionFindings.insert(sectionFindings.end(), header.misspelledEnds.begin(),
                               header.misspelledEnds.end());
        if (closingLine) {
            CheckTrailingText(*closingLine);
            sectionFindings.insert(sectionFindings.end(), header.inside.begin(),
                                   header.inside.end());
            if (header.skipped > 0) {
                int skipped = header.skipped;
                Say(Note(header.firstSkipped,
                         std::to_string(skipped) + (skipped == 1 ? " line" : " lines") +
                             " of text inside the header " + (skipped == 1 ? "is" : "are") +
                             " skipped; the program keeps nothing from the header",
                         "move the text into a checklist"));
            }
            return;
        }
        int after = lastLine - header.opening;
        if (after == 0) {
            Say(Note(header.opening, "the header is not closed",
                     "put \"[$$END]\" on the line after it"));
            return;
        }
        Say(Warn(header.opening,
                 "the header is never closed, so the program skips everything after it (" +
                     std::to_string(after) + (after == 1 ? " line" : " lines") + ")",
                 "put \"[$$END]\" on the line after it"));
    }

    // Any tag but the header's and the hot buttons' opens a checklist: the next line is its
    // name, whatever it holds, and the items run up to the next tag line, which is consumed.
    // What the opening tag means is told once the name is known.
    void OpenChecklist(const ReadLine& opening) {
        ++checklistCount;
        checklist = {};
        checklist.opening = opening.number;
        checklist.openingText = opening.text;
    }

    void ChecklistNamed(const ReadLine* nameLine) {
        std::string_view openingText = checklist.openingText;
        std::string_view tag = TagOf(openingText);
        TagInfo info = Classify(tag);
        bool hasName = nameLine != nullptr;
        checklist.name = hasName ? std::string(nameLine->text) : Checklist::defaultName;
        checklist.nameLine = hasName ? nameLine->number : 0;
        checklist.opensChecklist = info.meant == checklistTag;
        std::string named =
            "named " + QuotedForDisplay(checklist.name) + (hasName ? " (the next line)" : "");
        int opening = checklist.opening;
        if (info.kind == TagKind::Exact && tag == checklistTag) {
            std::string_view after = openingText.substr(openingText.find(']', 1) + 1);
            if (!IsBlankLine(after)) {
                Say(Warn(opening,
                         "the text after \"]\", " + QuotedForDisplay(Trim(after)) +
                             ", is ignored: the checklist is " + named,
                         "put the name on a line of its own"));
            }
        } else if (info.kind == TagKind::Exact && tag == endTag) {
            Say(Warn(opening, "\"[$$END]\" outside any section opens an extra checklist " + named,
                     "delete this line"));
        } else if (info.kind == TagKind::Misspelled && info.meant == checklistTag) {
            Say(Note(opening,
                     QuoteTag(tag) + " is not \"[$$CHECKLIST]\", but it opens a checklist all the "
                                     "same, as any unknown tag does",
                     "write \"[$$CHECKLIST]\""));
        } else if (info.kind == TagKind::Misspelled) {
            Say(Warn(opening,
                     QuoteTag(tag) + " is not " + QuoteTag(info.meant) +
                         " (tags are compared exactly), so it opens a checklist " + named,
                     "write " + QuoteTag(info.meant)));
        } else {
            Say(Warn(opening, "the unknown tag " + QuoteTag(tag) + " opens a checklist " + named,
                     "write \"[$$CHECKLIST]\" for a checklist, or delete the line"));
        }
        if (!hasName && checklist.opensChecklist) {
            Say(Warn(opening,
                     "the checklist has no name line: the file ends here, so the program names "
                     "it " +
                         QuotedForDisplay(Checklist::defaultName),
                     "add the name on the next line"));
        }
        const std::string& name = checklist.name;
        checklist.nameIsTag = hasName && IsTagLine(name) &&
                              Classify(TagOf(name)).kind != TagKind::Text &&
                              Classify(TagOf(name)).kind != TagKind::Dollar;
    }

    void ItemLine(const ReadLine& line) {
        if (std::string reason = NotATagReason(line.text); !reason.empty()) {
            // A note only: the program's own writer stores such an item text as it is.
            Say(Note(line.number,
                     QuotedForDisplay(Trim(line.text)) + " is not a tag line (" + reason +
                         "), so the program reads it as an item of " + ChecklistName(),
                     "write the tag at the start of the line, in brackets"));
        }
    }

    void CloseChecklist(const ReadLine* closingLine) {
        if (checklist.nameLine == 0) {
            ChecklistNamed(nullptr); // the file ended right after the opening tag
            return;
        }
        bool closedByEnd = closingLine && TagOf(closingLine->text) == endTag;
        if (checklist.nameIsTag && checklist.opensChecklist && !closedByEnd) {
            Say(Warn(checklist.nameLine,
                     "the checklist has no name line: the program takes this line, " +
                         QuotedForDisplay(checklist.name) + ", as its name",
                     "put the name on the line after \"[$$CHECKLIST]\""));
        }
        if (!closingLine) {
            if (checklist.opensChecklist) {
                Say(Note(checklist.opening,
                         ChecklistName() + " is not closed; the program reads it up to the end "
                                           "of the file",
                         "add \"[$$END]\" after its last item"));
            }
            return;
        }
        EndOfChecklist(*closingLine);
    }

    // The tag line that ends a checklist's items; the reader consumes it without looking.
    void EndOfChecklist(const ReadLine& line) {
        std::string_view tag = TagOf(line.text);
        TagInfo info = Classify(tag);
        if (info.kind == TagKind::Exact && tag == endTag) {
            CheckTrailingText(line);
        } else if (info.meant == endTag) {
            CheckTrailingText(line);
            Say(Note(line.number,
                     QuoteTag(tag) + " is not \"[$$END]\", but it ends " + ChecklistName() +
                         " all the same: the program does not look at the tag line that ends a "
                         "checklist",
                     "write \"[$$END]\""));
        } else if (LooksLikeTag(info)) {
            Say(Warn(line.number,
                     QuoteTag(tag) + " ends " + ChecklistName() +
                         " but opens nothing: the program skips the tag line that ends a "
                         "checklist, and ignores what follows up to the next tag",
                     "put \"[$$END]\" on the line before it"));
        } else {
            Say(Warn(line.number,
                     "the item " + QuotedForDisplay(line.text) +
                         " begins with \"[\" and contains \"]\", so the program reads it as a tag "
                         "line that ends " +
                         ChecklistName() + " early",
                     "begin the item with another character"));
        }
    }

    // Index and caption pairs for the checklist read last, up to "[$$END]".
    void OpenHotButtons(const ReadLine& opening) {
        hotButtons = {};
        hotButtons.opening = opening.number;
        if (checklistCount == 0) {
            Say(Warn(opening.number,
                     "the hot-button section comes before the first checklist, so its button "
                     "gets a caption but no checklist to show",
                     "move the section after the checklist it belongs to"));
        }
    }

    // What the document's SetSlot does with an index, for messages.
    std::string SlotEffect(int index) const {
        const HotButtonSlot* slot = doc.SlotAt(index);
        if (slot == nullptr) {
            return "which sets no hot button";
        }
        return "which sets the button with index " + std::to_string(doc.SlotIndex(slot));
    }

    void IndexLine(const ReadLine& line) {
        int value = ChecklistFile::ParseSlotIndex(line.text);
        hotButtons.indexLine = line.number;
        hotButtons.index = value;
        std::string reads = std::to_string(value) + ", " + SlotEffect(value);
        if (IsTagLine(line.text)) {
            std::string_view tag = TagOf(line.text);
            TagInfo info = Classify(tag);
            if (info.kind == TagKind::Misspelled && info.meant == endTag) {
                Say(Warn(line.number,
                         QuoteTag(tag) +
                             " does not close the hot-button section (tags are "
                             "compared exactly): the program reads it as index " +
                             reads + ", with the next line as its caption",
                         "write \"[$$END]\""));
            } else {
                Say(Warn(line.number,
                         "the tag line " + QuoteTag(tag) +
                             " inside the hot-button section is read as index " + reads +
                             ", with the next line as its caption",
                         "close the section with \"[$$END]\" before it"));
            }
        } else if (std::string reason = NotATagReason(line.text); !reason.empty()) {
            Say(Warn(line.number,
                     QuotedForDisplay(Trim(line.text)) + " is not a tag line (" + reason +
                         "), so the program reads it as index " + reads +
                         ", with the next line as its caption",
                     "write the tag at the start of the line, in brackets"));
        } else if (!IsPlainNumber(line.text)) {
            Say(Warn(line.number,
                     "the hot-button index " + QuotedForDisplay(line.text) +
                         " is not a number; the program reads it as " + reads,
                     WriteASlotIndex()));
        } else if (value < 0 || value >= ChecklistDoc::slotCount) {
            Say(Warn(line.number,
                     "the hot-button index " + std::to_string(value) + " is outside 0 to " +
                         std::to_string(ChecklistDoc::slotCount - 1) + ", " + SlotEffect(value),
                     WriteASlotIndex()));
        }
    }

    void CaptionLine(const ReadLine& line) {
        if (std::string reason = NotATagReason(line.text); !reason.empty()) {
            Say(Note(line.number,
                     QuotedForDisplay(Trim(line.text)) + " is not a tag line (" + reason +
                         "), so the program takes it as the caption for index " +
                         std::to_string(hotButtons.index),
                     "write the tag at the start of the line, in brackets"));
        }
    }

    void CloseHotButtons(const ReadLine* closingLine) {
        bool awaitingCaption = hotButtons.indexLine != 0;
        if (closingLine && awaitingCaption) {
            CaptionIsTagLine(*closingLine, hotButtons.index);
        } else if (closingLine) {
            CheckTrailingText(*closingLine);
            if (hotButtons.pairs == 0) {
                Say(Warn(hotButtons.opening,
                         "the hot-button section holds no index and caption, so no hot button "
                         "is set",
                         "add an index line and a caption line"));
            }
        } else if (awaitingCaption) {
            Say(Warn(hotButtons.indexLine,
                     "the file ends before the caption for index " +
                         std::to_string(hotButtons.index) + ", so no hot button is set",
                     "add a caption line and \"[$$END]\""));
        } else if (hotButtons.pairs == 0) {
            Say(Warn(hotButtons.opening,
                     "the file ends after \"[$$HOTBUTTON]\", so no hot button is set",
                     "add an index line, a caption line and \"[$$END]\""));
        } else {
            Say(Note(hotButtons.opening,
                     "the hot-button section is not closed; the program reads it up to the end "
                     "of the file",
                     "add \"[$$END]\" after the caption"));
        }
    }

    // A tag line where the caption belongs ends the section, consumed, with no button set.
    void CaptionIsTagLine(const ReadLine& line, int value) {
        std::string_view tag = TagOf(line.text);
        TagInfo info = Classify(tag);
        std::string forIndex = "the caption for index " + std::to_string(value);
        if (info.meant == endTag) {
            Say(Warn(line.number,
                     "the hot-button section ends before " + forIndex + ", so no hot button is set",
                     "put the caption on the line before \"[$$END]\""));
        } else if (LooksLikeTag(info)) {
            Say(Warn(line.number,
                     QuoteTag(tag) + " stands where " + forIndex +
                         " belongs: it ends the hot-button section without setting a button, "
                         "and opens nothing",
                     "add the caption and \"[$$END]\" on the lines before it"));
        } else {
            Say(Warn(line.number,
                     "the caption " + QuotedForDisplay(line.text) +
                         " begins with \"[\" and contains \"]\", so the program reads it as a "
                         "tag line that ends the hot-button section, and no hot button is set",
                     "begin the caption with another character"));
        }
    }

    // The reader has just set the slot that the document's SetSlot picks for the index.
    void SlotSet(int indexLine, int value) {
        const HotButtonSlot* slot = doc.SlotAt(value);
        if (slot == nullptr) {
            return;
        }
        int index = doc.SlotIndex(slot);
        int& setOn = slotLines[static_cast<std::size_t>(index)];
        if (setOn != 0) {
            Say(Warn(indexLine,
                     "the hot button with index " + std::to_string(index) +
                         " is set again (first on line " + std::to_string(setOn) +
                         "); the later setting wins",
                     "remove one of them"));
        }
        setOn = indexLine;
    }

    // The program saves a checklist's hot-button section only for the slot that SlotFor gives.
    void CheckSharedChecklists() {
        for (const HotButtonSlot& slot : doc.HotButtons()) {
            const HotButtonSlot* saved = slot.checklist ? doc.SlotFor(slot.checklist) : nullptr;
            if (saved == nullptr || saved == &slot) {
                continue;
            }
            int savedIndex = doc.SlotIndex(saved);
            Say(Warn(slotLines[static_cast<std::size_t>(doc.SlotIndex(&slot))],
                     "checklist " + QuotedForDisplay(slot.checklist->name) +
                         " already has the hot button with index " + std::to_string(savedIndex) +
                         " (line " +
                         std::to_string(slotLines[static_cast<std::size_t>(savedIndex)]) +
                         "); both buttons work, but the program saves only that one",
                     "give each checklist one hot button"));
        }
    }

    struct HeaderState {
        int opening = 0;
        std::vector<CheckFinding> inside; // kept only when the header is closed
        std::vector<CheckFinding> misspelledEnds;
        int skipped = 0;
        int firstSkipped = 0;
    };
    struct ChecklistState {
        int opening = 0;
        std::string openingText;
        int nameLine = 0; // 0 until the name line is read
        std::string name;
        bool nameIsTag = false;
        bool opensChecklist = false;
    };
    struct HotButtonState {
        int opening = 0;
        int indexLine = 0; // the index line waiting for its caption, 0 when none
        int index = 0;
        int pairs = 0;
    };

    ChecklistDoc& doc;
    std::vector<CheckFinding> byteFindings;
    std::vector<CheckFinding> sectionFindings;
    bool meaningful = true;
    CodePage codePage = CodePage::Utf8;
    bool hadByteOrderMark = false;
    int firstCrLf = 0;
    int firstInvalid = 0;
    int firstUtf8 = 0;
    int lastLine = 0;
    int ignoredFirst = 0;
    int ignoredLast = 0;
    int ignoredCount = 0;
    int checklistCount = 0;
    HeaderState header;
    ChecklistState checklist;
    HotButtonState hotButtons;
    // For each slot, the index line that last set it; 0 while unset.
    std::array<int, ChecklistDoc::slotCount> slotLines{};
};

} // namespace

std::vector<CheckFinding> CheckChecklistText(std::string_view bytes) {
    ChecklistDoc doc;
    Checker checker(doc);
    ChecklistFile::ReadText(doc, bytes, &checker);
    return checker.Findings();
}

bool CheckChecklistFile(const std::string& path, std::vector<CheckFinding>& findings,
                        std::string& error) {
    ChecklistDoc doc;
    Checker checker(doc);
    if (!ChecklistFile::LoadFile(doc, InputPath(path).c_str(), &error, &checker)) {
        return false;
    }
    findings = checker.Findings();
    return true;
}

int RunCheck(const CommandLine& line, std::ostream& out, std::ostream& err) {
    const std::vector<std::string>& files = line.files;
    int status = 0;
    for (const std::string& file : files) {
        std::vector<CheckFinding> findings;
        std::string error;
        // A file's name is a stranger's text too.
        const std::string shown = LineRules::Displayed(file);
        if (!CheckChecklistFile(file, findings, error)) {
            err << "ckl: cannot open '" << shown << "': " << error << '\n';
            status = 1;
            continue;
        }
        for (const CheckFinding& finding : findings) {
            out << shown << ':' << finding.line << ": " << (finding.warning ? "warning" : "note")
                << ": " << finding.text << '\n';
            if (finding.warning) {
                status = 1;
            }
        }
    }
    return status;
}

} // namespace ckl
