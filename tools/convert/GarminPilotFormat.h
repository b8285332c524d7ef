#pragma once

#include "ChecklistBook.h"

#include <optional>
#include <string>
#include <string_view>

// Garmin Pilot's checklist files (.gplt): a gzip-compressed tar of one file, content.json, that
// holds a binder package: checklists (with a type, a subtype and a completion action), binders
// that list checklists, and checklist items, each with a uuid.
namespace convert {

// Reads a .gplt file into book. On failure returns what is wrong (at ReadError::nowhere, or a
// byte of content.json): not gzip or tar, an encrypted .gplts, no member, several members or a
// member with a path, a member larger than 64 MiB, broken JSON, an id that points nowhere.
// Empty binders are left out with a warning.
std::optional<ReadError> ReadGarminPilot(std::string_view bytes, Book& book, Warnings& warnings);
// Writes the .gplt file for book to sink; false when the sink failed. What Garmin Pilot cannot
// hold (cautions, titles, indentation) is reported.
bool WriteGarminPilot(const Book& book, Warnings& warnings, const ChunkSink& sink);

} // namespace convert
