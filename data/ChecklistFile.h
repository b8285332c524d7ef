#pragma once

#include <string>
#include <string_view>

class ChecklistDoc;

// The .ckl reader and writer behind ChecklistDoc::LoadFile and ChecklistDoc::SaveFile.
//
// Lines end with LF or CR LF (carriage returns at the end of a line, and of the last line
// without LF, belong to the line end). Lines longer than maxLineBytes are read as several
// lines of at most maxLineBytes each, cut at character boundaries and never right after a
// carriage return. Text that is not valid UTF-8 is taken as Windows-1252 and converted; a
// leading UTF-8 byte-order mark is skipped; NUL bytes, which no text can hold, are dropped.
// The writer writes UTF-8 with LF line ends and no byte-order mark.
namespace ChecklistFile {

inline constexpr std::size_t maxLineBytes = 1023;

// Reads checklist text from memory into doc exactly as LoadFile reads a file, then clears
// modified. Never fails: every malformed input is absorbed.
void ReadText(ChecklistDoc& doc, std::string_view bytes);
// The exact bytes that SaveFile writes for doc.
std::string WriteText(ChecklistDoc& doc);

// A tag line begins with "[" and has a "]" further on; its tag is the text between the "[" and
// the first "]".
bool IsTagLine(std::string_view line);
std::string_view TagOf(std::string_view tagLine);
// A hot-button index line as the reader takes it: leading white space, an optional sign, digits
// up to the first non-digit; no digits give 0; values beyond int saturate.
int ParseSlotIndex(std::string_view line);

// True when bytes are well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view bytes);
// Converts Windows-1252 text to UTF-8; the five undefined values become the C1 controls of the
// same number.
std::string Windows1252ToUtf8(std::string_view bytes);

} // namespace ChecklistFile
