#pragma once

#include "ChecklistBook.h"

#include <optional>
#include <string>
#include <string_view>

// Garmin Pilot's checklist files (.gplt): a gzip-compressed tar of one file, content.json, that
// holds a binder package: checklists (with a type, a subtype and a completion action), binders
// that list checklists, and checklist items, each with a uuid.
namespace convert {

// Reads a .gplt file into book, in memory. On failure returns what is wrong, at
// ReadError::nowhere: not gzip (an encrypted .gplts among others) or not tar, no member, several
// members, a member of another name or with a path or not a regular file, a member larger than
// both 64 MiB and 16 times the file (inflated no further), broken JSON, a number Garmin Pilot
// does not have, an id that points nowhere. Empty binders are left out, and a checklist in
// several binders is read once, with a warning.
std::optional<ReadError> ReadGarminPilot(std::string_view bytes, Book& book, Warnings& warnings);
// Writes the .gplt file for book to sink, with fresh uuids; false when the sink failed. What
// does not read back the same (headings and plain text written as notes, phases of abnormal
// lists, lists gathered into one binder, a file too large to read back) is reported.
bool WriteGarminPilot(const Book& book, Warnings& warnings, const ChunkSink& sink);

} // namespace convert
