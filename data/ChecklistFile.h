#pragma once

#include "LineRules.h"

#include <cstddef>
#include <string>
#include <string_view>

class Checklist;
class ChecklistDoc;

// The .ckl reader and writer behind ChecklistDoc::LoadFile and ChecklistDoc::SaveFile.
//
// Lines end with LF or CR LF (carriage returns at the end of a line, and of the last line
// without LF, belong to the line end). Lines longer than LineRules::maxBytes are read as several
// lines of at most that many bytes each, cut at character boundaries and never right after a
// carriage return. Text that is not valid UTF-8 is taken as Windows-1252 and converted; a
// leading UTF-8 byte-order mark is skipped; NUL bytes, which no text can hold, are dropped.
// The writer writes UTF-8 with LF line ends and no byte-order mark.
namespace ChecklistFile {

// The tags of the sections, as they stand between the brackets of a tag line. The reader opens a
// checklist at any tag but the header's and the hot button's; the writer uses these four only.
constexpr std::string_view headerTag = "$$HEADER";
constexpr std::string_view checklistTag = "$$CHECKLIST";
constexpr std::string_view hotButtonTag = "$$HOTBUTTON";
constexpr std::string_view endTag = "$$END";

// How large the pieces grow in which files are read and written, so that a large file never
// needs a second copy of itself in memory.
inline constexpr std::size_t chunkBytes = 64 * 1024;

// One line as the reader takes it, with how it was taken from the file.
struct ReadLine {
    std::string_view text;     // what the reader takes: UTF-8, no line end, at most maxBytes bytes
    std::string_view raw;      // the whole line as stored in the file, without its LF
    int number = 0;            // 1-based line of the file
    int piece = 0;             // 0, or which piece of a line longer than maxBytes this is
    int pieceCount = 1;        // how many pieces the whole line is taken as
    std::size_t lineBytes = 0; // length of the whole line after conversion, without its line end
    bool nulDropped = false;   // the line held NUL bytes, which the reader dropped
    bool crBeforeEnd = false;  // carriage returns before the line end were taken as part of it
    bool strayCr = false;      // a carriage return stays inside the text
    bool endedByLineFeed = false; // false only for a last line without a line end
};

enum class CodePage { Utf8, Windows1252 };
enum class Section { Header, Checklist, HotButton };
// What the reader does with a line that opens or closes no section.
enum class LineRole {
    Outside,  // a plain line between sections, passed over
    InHeader, // skipped inside the header
    Name,     // a checklist's name
    Item,     // an item of the checklist just named
    Index,    // a hot-button index line
    Caption,  // a hot-button caption
};

// Watches the reader at work: every line taken is reported exactly once, either as a line with
// its role, or as the tag line of a section it opens or closes. The views passed stay valid only
// during the call.
class ReadObserver {
public:
    virtual ~ReadObserver() = default;
    // Before the first line: the code page the file is read in, and whether a UTF-8 byte-order
    // mark was skipped.
    virtual void OnStart(CodePage codePage, bool byteOrderMark);
    virtual void OnLine(const ReadLine& line, LineRole role);
    virtual void OnSectionOpen(Section section, const ReadLine& tagLine);
    // closingLine is the tag line that ended the section, or null when the input ended first.
    // A hot-button section also ends at a tag line where its caption belongs.
    virtual void OnSectionClose(Section section, const ReadLine* closingLine);
    // An index and caption pair of a hot-button section, applied as SetSlot(index, caption,
    // checklist); checklist is the last checklist read, or null before the first.
    virtual void OnHotButton(int index, std::string_view caption, Checklist* checklist);
    // After the last line; lineCount is the number of lines in the file.
    virtual void OnEnd(int lineCount);
};

// Reads checklist text from memory into doc exactly as LoadFile reads a file, then clears
// modified. Never fails: every malformed input is absorbed. observer, when given, watches.
void ReadText(ChecklistDoc& doc, std::string_view bytes, ReadObserver* observer = nullptr);
// ChecklistDoc::LoadFile with an observer: reads the file at path into doc, reporting to
// observer. A file that cannot be opened or read reports nothing and returns false with why.
bool LoadFile(ChecklistDoc& doc, const char* path, std::string* error, ReadObserver* observer);
// Reads the whole file at path into bytes, opened as LoadFile opens it: a pipe or a device only
// within the bound that LoadFile keeps. On failure returns false with why in error.
bool ReadWholeFile(const char* path, std::string& bytes, std::string* error);
// The exact bytes that SaveFile writes for doc.
std::string WriteText(ChecklistDoc& doc);
// A hot-button index line as the reader takes it: leading white space, an optional sign, digits
// up to the first non-digit; no digits give 0; values beyond int saturate.
int ParseSlotIndex(std::string_view line);

// True when bytes are well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view bytes);
// Converts Windows-1252 text to UTF-8; the five undefined values become the C1 controls of the
// same number.
std::string Windows1252ToUtf8(std::string_view bytes);

} // namespace ChecklistFile
