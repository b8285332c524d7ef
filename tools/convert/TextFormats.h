#pragma once

#include "ChecklistBook.h"

#include <optional>
#include <string>
#include <string_view>

// The text checklist files of Dynon (SkyView, AFS: "CHKLSTn.TITLE, NAME" and
// "CHKLSTn.LINEm, TEXT") and Grand Rapids ("LIST NAME" and "ITEM TEXT"). A checklist's title
// is its .ckl name; an item is written with the .ckl conventions, " - " between challenge and
// response. Lines end with CR LF; blank lines and lines starting with "#" are ignored on
// reading. A line whose text (after its indentation) starts with "|" continues the item before
// it, if the list has one: "| " joins with a space, "|" without one.
namespace convert {

enum class TextFlavour { Dynon, Grt };

// Which text format bytes are in, by their first line that is neither blank nor a comment;
// nothing when it is neither.
std::optional<TextFlavour> DetectTextFlavour(std::string_view bytes);
// Reads a text checklist file (UTF-8, or Windows-1252 when it is not UTF-8) into book. On
// failure returns the line number and what is wrong: a line of another kind, an item before
// the first checklist, a NUL byte.
std::optional<ReadError> ReadTextChecklists(std::string_view bytes, TextFlavour flavour,
                                            Book& book);
// Writes the text file for book to sink, in pieces; false when the sink failed. Dynon's is in
// upper case. With width > 0, an item longer than width
// characters (indentation included, the line's prefix not) is wrapped onto continuation lines.
// Items that would read back as something else are reported.
bool WriteTextChecklists(const Book& book, TextFlavour flavour, int width, Warnings& warnings,
                         const ChunkSink& sink);
// The whole text file for book.
std::string WriteTextChecklists(const Book& book, TextFlavour flavour, int width,
                                Warnings& warnings);

} // namespace convert
