#pragma once

#include "ChecklistBook.h"

#include <optional>
#include <string>
#include <string_view>

// efis-editor's raw JSON backup: its ChecklistFile message in the protocol-buffer JSON form
// ("metadata" with "name", "defaultGroupIndex" ..., "groups" of "title" and "checklists" of
// "title" and "items" with "prompt", "expectation", "type" (ITEM_CHALLENGE ...), "indent" and
// "centered"). Fields at their default value are left out.
namespace convert {

// Reads the JSON into book. Field names are taken in lowerCamelCase or as in the message
// definition; fields it does not know are skipped; a byte-order mark is skipped and a NUL byte
// ends the text. On failure returns the line and what is wrong: malformed JSON (with the column
// of the fault, or of the end of the text when it ends too soon), a field of the wrong type, an
// unknown item type, an indent beyond 9. Groups without checklists are left out with a warning.
std::optional<ReadError> ReadEfisJson(std::string_view bytes, Book& book, Warnings& warnings);
// Writes the JSON for book to sink, in pieces, indented by two spaces as efis-editor writes it
// but with each item on one line; false when the sink failed.
bool WriteEfisJson(const Book& book, const ChunkSink& sink);
// The whole JSON for book.
std::string WriteEfisJson(const Book& book);

} // namespace convert
