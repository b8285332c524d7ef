#pragma once

#include "ChecklistBook.h"
#include "Formats.h"

#include <optional>
#include <string>
#include <string_view>

class ChecklistDoc;

// A conversion between the program's document and a format of the table, as ckl convert and
// the program's Import and Export make it.
namespace convert {

// Which of the formats that share path's ending the bytes are; null, with the complaint
// ("neither a Dynon nor a Grand Rapids checklist file"), when none of them.
const Format* RecogniseFormat(std::string_view path, std::string_view bytes,
                              std::string& complaint);
// Reads bytes of format (one with a reader) into doc, after the lists it holds; the error of
// the reader when it fails, doc then unchanged.
std::optional<ReadError> ReadIntoDoc(const Format& format, std::string_view bytes,
                                     ChecklistDoc& doc, Warnings& warnings);
// Where error is, to follow a file's name: ":LINE", ":LINE:COLUMN", ": byte N" or nothing.
std::string PlaceOf(const Format& format, const ReadError& error);
// Writes doc in format (one with a writer) to sink, adding to warnings what the format cannot
// keep; false when the sink failed.
bool WriteFromDoc(ChecklistDoc& doc, const Format& format, const WriteOptions& options,
                  Warnings& warnings, const ChunkSink& sink);

} // namespace convert
