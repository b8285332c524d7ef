#pragma once

#include "ChecklistBook.h"

#include <optional>
#include <string>
#include <string_view>

// ForeFlight's checklist files (.fmd): a random 16-byte IV, then AES-128-CBC with PKCS#7
// padding under ForeFlight's fixed key, of UTF-8 JSON: a payload with metadata (name, detail,
// tail number) and always three groups (normal, abnormal, emergency) of subgroups of
// checklists of items.
namespace convert {

// Reads an .fmd file into book. On failure returns what is wrong, at ReadError::nowhere: a file
// too short or not a whole number of blocks, a wrong key or padding, broken JSON, a member of
// the wrong type (named). A group of an unknown type is read as normal lists, an item of an
// unknown type as an item to tick off, and an empty subgroup is left out, each with a warning.
std::optional<ReadError> ReadForeFlight(std::string_view bytes, Book& book, Warnings& warnings);
// Writes the .fmd file for book to sink, encrypted in pieces; false when the sink or OpenSSL
// failed. Lists go in ForeFlight's order (normal, abnormal, emergency, each subgroup's
// together); that, and indentation and centring, are reported when they change anything. A
// note indented under an item becomes the item's note, which the reader gives back so.
bool WriteForeFlight(const Book& book, Warnings& warnings, const ChunkSink& sink);

} // namespace convert
