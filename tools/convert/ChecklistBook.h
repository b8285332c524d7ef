#pragma once

#include "ChecklistFile.h"
#include "ItemRules.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <memory_resource>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the checklist pages of aircraft displays hold, in the shape the converters share: flat
// lists named as a .ckl names them ("GROUP: TITLE"), items with a kind, an indentation and an
// optional response, and the file's metadata. The readers of outside formats fill it, the
// writers read it, and CklConventions moves it into and out of a ChecklistDoc.
namespace convert {

// An item's kind, as its .ckl line says it.
using ItemKind = ItemRules::Kind;
using ItemRules::maxIndent;

// An item as the displays hold it: its parts by the item rules, and what only some displays
// add. Its texts are views: of the text it was parsed from, or of its book's store.
struct Item : ItemRules::Parts {
    // Garmin Pilot's item type of an item that shows live data or starts an action, 1 to 10;
    // 0 for an ordinary item. A .ckl keeps it in the "Checklist info" list.
    int liveData = 0;

    friend bool operator==(const Item&, const Item&) = default;
};

inline constexpr int maxLiveData = 10;

// How the tablet apps sort lists. A .ckl says it in front of the name (see SplitListName).
enum class Category { Normal, Abnormal, Emergency };

// What Garmin Pilot holds about a list besides its items; a .ckl keeps it in the
// "Checklist info" list.
enum class Phase { Unsaid = -1, Preflight, TakeoffCruise, Landing, Other };
enum class Completion { None, NextChecklist, OpenFlightPlan, CloseFlightPlan, SafeTaxi, Map };
inline constexpr int phaseCount = 4;
inline constexpr int completionCount = 6;

struct BookList {
    std::string_view name; // "GROUP: TITLE", or a name of its own
    std::vector<Item> items;
    Phase phase = Phase::Unsaid;              // of a normal list
    Completion completion = Completion::None; // what the list offers when it is done

    friend bool operator==(const BookList& a, const BookList& b) {
        return a.name == b.name && a.items == b.items && a.phase == b.phase &&
               a.completion == b.completion;
    }
};

struct Metadata {
    std::string name;
    std::string makeAndModel;
    std::string aircraft;
    std::string manufacturer;
    std::string copyright;
    int defaultGroup = 0; // 0-based, as the displays count
    int defaultChecklist = 0;
    std::int64_t modifiedTime = 0; // seconds since 1970, 0 when unknown
    std::string detail; // a line that describes the file, as ForeFlight shows under its name

    bool IsEmpty() const { return *this == Metadata{}; }
    friend bool operator==(const Metadata&, const Metadata&) = default;
};

// A whole file. Its texts live in its store (shared by its copies) or, for a book taken from
// a ChecklistDoc, in that document.
struct Book {
    Metadata metadata;
    std::vector<BookList> lists;
    bool carriesMetadata = false; // read from a format with fields for the metadata

    // A copy of text that lives as long as the book or a copy of it.
    std::string_view Keep(std::string_view text) {
        if (text.empty()) {
            return {};
        }
        if (!store) {
            store = std::make_shared<std::pmr::monotonic_buffer_resource>();
        }
        char* copy = static_cast<char*>(store->allocate(text.size(), 1));
        std::memcpy(copy, text.data(), text.size());
        return {copy, text.size()};
    }

    friend bool operator==(const Book& a, const Book& b) {
        return a.metadata == b.metadata && a.lists == b.lists;
    }

private:
    std::shared_ptr<std::pmr::monotonic_buffer_resource> store;
};

// Takes the next piece of a file being written; false when it could not be written, which
// ends the writing.
using ChunkSink = std::function<bool(std::string_view chunk)>;

// How large the pieces handed to a ChunkSink grow before they are handed on: as large as the
// pieces in which the .ckl writer writes.
using ChecklistFile::chunkBytes;

// Why a file could not be read: where (a line number from 1, or a byte offset for binary
// formats) and what is wrong, in words for the person converting.
struct ReadError {
    static constexpr std::size_t nowhere = static_cast<std::size_t>(-1);
    std::size_t at = 0; // nowhere for a fault of the whole file (a wrong key, a broken archive)
    std::string what;
    std::size_t column = 0; // the column in line at, counted from 1; 0 when not known
};

// Things a conversion changed or left out, one line each without "warning:". Only the first
// maxShown are kept; the rest are counted.
class Warnings {
public:
    static constexpr std::size_t maxShown = 20;

    void Add(std::string line) {
        if (lines.size() < maxShown) {
            lines.push_back(std::move(line));
        } else {
            ++notShown;
        }
    }
    bool Empty() const { return lines.empty(); }

    std::vector<std::string> lines;
    std::size_t notShown = 0;
};

} // namespace convert
