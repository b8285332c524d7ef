#pragma once

#include "ChecklistBook.h"

#include <optional>
#include <string>
#include <string_view>

// Garmin checklist files (.ace) of the G3X, G3X Touch and GTN: a six-byte header, the default
// group and checklist, CR LF lines of ISO-8859-1 text (five metadata lines, groups "<0",
// checklists "(0", items as a type letter and an indent digit, ")" ">" "END") and a CRC-32 of
// everything before it, inverted and little-endian.
namespace convert {

// Reads an .ace file into book. On failure returns the byte offset and what is wrong there:
// a wrong header or checksum, a truncated file, an unknown item letter or indent, a line that
// does not end in CR LF, a NUL byte. Groups without checklists are left out with a warning.
std::optional<ReadError> ReadAce(std::string_view bytes, Book& book, Warnings& warnings);
// Writes the .ace file for book to sink, in pieces; false when the sink failed. Characters
// outside ISO-8859-1 become "?" and are reported, as are texts the file cannot give back as
// they were.
bool WriteAce(const Book& book, Warnings& warnings, const ChunkSink& sink);
// The whole .ace file for book.
std::string WriteAce(const Book& book, Warnings& warnings);

} // namespace convert
