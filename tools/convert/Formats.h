#pragma once

#include "ChecklistBook.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Every checklist format ckl converts, as one table: what each is called, how its files are
// named and recognised, what it holds and how it is read and written. Whatever lists formats
// (ckl convert, its usage, the completion of ckl, the tests, the fuzzers) reads this table, so
// that a new format is one reader, one writer and one row.
namespace convert {

// What a writer is told besides the book.
struct WriteOptions {
    int width = 0; // for a format that wraps: the longest line in characters; 0 for no wrapping
};

// What a format keeps besides lists of items, groups and line breaks: each a bit.
enum Keeps : unsigned {
    KeepsName = 1u << 0, // the metadata fields
    KeepsMakeAndModel = 1u << 1,
    KeepsAircraft = 1u << 2,
    KeepsManufacturer = 1u << 3,
    KeepsCopyright = 1u << 4,
    KeepsDetail = 1u << 5,
    KeepsDefault = 1u << 6, // the default group and checklist
    KeepsModified = 1u << 7,
    KeepsLayout = 1u << 8,      // items' indentation and centring
    KeepsPhase = 1u << 9,       // BookList::phase
    KeepsCompletion = 1u << 10, // BookList::completion
    KeepsLiveData = 1u << 11,   // Item::liveData
    KeepsEverything = ~0u,
};

using FormatReader = std::optional<ReadError> (*)(std::string_view bytes, Book& book,
                                                  Warnings& warnings);
using FormatWriter = bool (*)(const Book& book, const WriteOptions& options, Warnings& warnings,
                              const ChunkSink& sink);

struct Format {
    std::string_view name;  // as --from and --to take it
    std::string_view maker; // whose displays or program write it, for the usage; may be empty
    std::span<const std::string_view> extensions; // the endings of its files, in lower case
    // For an ending that several formats share: whether bytes are a file of this format. Null
    // for a format whose ending alone tells it.
    bool (*recognise)(std::string_view bytes);
    bool holdsGroups;      // keeps "GROUP: TITLE" names as groups of lists
    bool positionsInBytes; // its reading errors name a byte offset, not a line
    bool wraps;            // its writer wraps long lines at WriteOptions::width
    bool holdsLineBreaks;  // its texts may hold several lines: continuation items join
    unsigned keeps;        // Keeps bits
    // Null for the program's own .ckl, which is loaded and saved as the program does.
    FormatReader read;
    FormatWriter write;
};

// The formats, the program's own first.
std::span<const Format> Formats();
// The format called name, or null.
const Format* FormatNamed(std::string_view name);
// The formats whose files end in path's ending (case ignored); empty for an unknown ending.
std::vector<const Format*> FormatsOfName(std::string_view path);
// The ending of path after its last dot, in lower case; empty when it has none.
std::string ExtensionOf(std::string_view path);
// Adds a warning for each thing book holds that format keeps nowhere (metadata fields, the
// layout of items, the facts of lists), once each.
void WarnOfWhatIsLost(const Book& book, const Format& format, Warnings& warnings);

} // namespace convert
