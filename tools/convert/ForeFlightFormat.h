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

// Reads an .fmd file into book. On failure returns what is wrong (at ReadError::nowhere, or a
// byte of the JSON inside): a file too short or not a whole number of blocks, a wrong key or
// padding, broken JSON, a member of the wrong type. Empty subgroups are left out with a
// warning.
std::optional<ReadError> ReadForeFlight(std::string_view bytes, Book& book, Warnings& warnings);
// Writes the .fmd file for book to sink; false when the sink failed. What ForeFlight cannot
// hold (indentation, centring) is reported.
bool WriteForeFlight(const Book& book, Warnings& warnings, const ChunkSink& sink);

} // namespace convert
