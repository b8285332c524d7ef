#include "GarminPilotFormat.h"

#include "LineRules.h"

#include "CklConventions.h"
#include "ItemRules.h"
#include "JsonRoom.h"
#include "JsonText.h"

#include <archive.h>
#include <archive_entry.h>
#include <openssl/rand.h>
#include <simdjson.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <ctime>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

namespace convert {
namespace {

namespace dom = simdjson::dom;
using LineRules::QuotedForDisplay;

// --- what a .gplt holds ---

constexpr std::string_view contentName = "content.json";

// How large content.json may inflate before it is taken for a bomb rather than for checklists:
// 64 MiB, or more for a large file as long as it grows no more than 16 times. Checklists do not
// pack that tightly, as every item holds a random uuid twice; a bomb packs a thousandfold.
constexpr std::size_t maxContentBytes = std::size_t(64) << 20;
constexpr std::size_t maxInflation = 16;

std::size_t ContentLimit(std::size_t packedBytes) {
    return std::max(maxContentBytes, packedBytes * maxInflation);
}

// What a content.json beyond its limit is told: it is beyond both.
constexpr std::string_view tooLarge =
    "content.json is larger than 64 MiB and 16 times the packed file";

constexpr std::string_view notGarminPilot = "not a Garmin Pilot file";
constexpr std::string_view packageType = "checklistBinder";

// The numbers of content.json. A checklist's type counts as Category does, a normal checklist's
// subtype as Phase does, its completion item as Completion does; item types 1 to maxLiveData
// show live data or start an action.
constexpr int typeCount = 3;
constexpr int subtypeOther = 3;
constexpr int subtypeNotNormal = 4;
constexpr int itemTypeNote = 11;

// How a note says it is a caution or a warning, Garmin Pilot having notes only: by the item
// rules' prefixes.
constexpr std::string_view cautionPrefix = ItemRules::PrefixOf(ItemRules::Kind::Caution);
constexpr std::string_view warningPrefix = ItemRules::PrefixOf(ItemRules::Kind::Warning);

ReadError Refused(std::string what) {
    return ReadError{ReadError::nowhere, std::move(what)};
}

// --- the archive ---

// What bytes that are not gzip are instead, in words; empty when they look like nothing known.
std::string_view OtherKind(std::string_view bytes) {
    struct Signature {
        std::size_t at;
        std::string_view bytes;
        std::string_view words;
    };
    static constexpr std::array<Signature, 5> signatures = {{
        {0, "\xF0\xF0\xF0\xF0", "a Garmin .ace checklist file"},
        {0, "PK\x03\x04", "a zip archive"},
        {257, "ustar", "a tar archive without gzip compression"},
        {0, "BZh", "compressed with bzip2"},
        {0,
         "\xFD"
         "7zXZ",
         "compressed with xz"},
    }};
    for (const Signature& signature : signatures) {
        if (bytes.size() >= signature.at + signature.bytes.size() &&
            bytes.substr(signature.at, signature.bytes.size()) == signature.bytes) {
            return signature.words;
        }
    }
    std::size_t start = bytes.find_first_not_of(" \t\r\n");
    if (start != std::string_view::npos && (bytes[start] == '{' || bytes[start] == '[')) {
        return "JSON text";
    }
    return {};
}

struct ReadArchiveFree {
    void operator()(archive* reader) const { archive_read_free(reader); }
};
struct WriteArchiveFree {
    void operator()(archive* writer) const { archive_write_free(writer); }
};
struct EntryFree {
    void operator()(archive_entry* entry) const { archive_entry_free(entry); }
};

// Why libarchive stopped, in its words as a message may show them.
std::string ArchiveWords(archive* handle) {
    const char* words = handle ? archive_error_string(handle) : nullptr;
    return LineRules::Displayed(words ? words : "no reason given");
}

ReadError Damaged(archive* reader) {
    return Refused("the archive is damaged: " + ArchiveWords(reader));
}

// Why an archive cannot be opened: libarchive recognises no tar in it (and says so with
// EILSEQ), or the gzip data is broken.
ReadError Unreadable(archive* reader) {
    if (archive_errno(reader) == EILSEQ) {
        return Refused(std::string(notGarminPilot) + ": the gzip data is not a tar archive");
    }
    return Damaged(reader);
}

// Why the archive's member cannot be content.json of a file of packedBytes, or nothing when it
// can.
std::optional<ReadError> RefusedMember(archive_entry* entry, std::size_t packedBytes) {
    const char* path = archive_entry_pathname(entry);
    std::string_view name = path ? path : "";
    if (name != contentName) {
        return Refused(name.find('/') != std::string_view::npos
                           ? "the archive holds " + QuotedForDisplay(name) +
                                 ", a file with a path: Garmin Pilot files hold content.json alone"
                           : "the archive holds " + QuotedForDisplay(name) +
                                 " instead of content.json");
    }
    if (archive_entry_filetype(entry) != AE_IFREG || archive_entry_hardlink(entry) != nullptr) {
        return Refused("content.json in the archive is not a regular file");
    }
    if (archive_entry_size_is_set(entry) &&
        archive_entry_size(entry) > static_cast<la_int64_t>(ContentLimit(packedBytes))) {
        return Refused(std::string(tooLarge));
    }
    return std::nullopt;
}

// Takes content.json out of the gzip-compressed tar in bytes, in memory, with simdjson's padding
// after its end. Inflates no more than the largest content.json taken, plus a block.
std::optional<ReadError> Unpack(std::string_view bytes, std::string& content) {
    if (bytes.empty()) {
        return Refused(std::string(notGarminPilot) + ": the file is empty");
    }
    if (!bytes.starts_with("\x1F\x8B")) {
        std::string_view kind = OtherKind(bytes);
        if (kind.empty()) {
            return Refused(std::string(notGarminPilot) +
                           " (an encrypted .gplts cannot be read; export the checklists "
                           "unencrypted as .gplt)");
        }
        return Refused(std::string(notGarminPilot) + ": it is " + std::string(kind) +
                       ", not a gzip-compressed tar archive");
    }
    std::unique_ptr<archive, ReadArchiveFree> reader(archive_read_new());
    if (!reader || archive_read_support_filter_gzip(reader.get()) < ARCHIVE_WARN ||
        archive_read_support_format_tar(reader.get()) != ARCHIVE_OK) {
        return Refused("the archive cannot be read: " + ArchiveWords(reader.get()));
    }
    if (archive_read_open_memory(reader.get(), bytes.data(), bytes.size()) != ARCHIVE_OK) {
        return Unreadable(reader.get());
    }
    archive_entry* entry = nullptr;
    int status = archive_read_next_header(reader.get(), &entry);
    if (status == ARCHIVE_EOF) {
        return Refused("the archive holds no file: Garmin Pilot files hold content.json");
    }
    if (status < ARCHIVE_WARN) {
        return Unreadable(reader.get());
    }
    if (std::optional<ReadError> refusal = RefusedMember(entry, bytes.size())) {
        return refusal;
    }
    constexpr std::size_t block = std::size_t(1) << 16;
    content.clear();
    if (archive_entry_size_is_set(entry)) {
        content.reserve(static_cast<std::size_t>(archive_entry_size(entry)) + block +
                        simdjson::SIMDJSON_PADDING);
    }
    for (;;) {
        std::size_t had = content.size();
        content.resize(had + block);
        la_ssize_t got = archive_read_data(reader.get(), content.data() + had, block);
        if (got < 0) {
            return Damaged(reader.get());
        }
        content.resize(had + static_cast<std::size_t>(got));
        if (content.size() > ContentLimit(bytes.size())) {
            return Refused(std::string(tooLarge));
        }
        if (got == 0) {
            break;
        }
    }
    status = archive_read_next_header(reader.get(), &entry);
    if (status == ARCHIVE_OK || status == ARCHIVE_WARN) {
        const char* path = archive_entry_pathname(entry);
        return Refused("the archive holds more than content.json: also " +
                       QuotedForDisplay(path ? path : ""));
    }
    if (status != ARCHIVE_EOF) {
        return Damaged(reader.get());
    }
    content.append(simdjson::SIMDJSON_PADDING, '\0');
    return std::nullopt;
}

// Collects what libarchive writes and hands it to a sink in pieces of chunkBytes.
class ArchiveOutput {
public:
    explicit ArchiveOutput(const ChunkSink& sink) : sink(sink) { pending.reserve(2 * chunkBytes); }

    static la_ssize_t Write(archive*, void* self, const void* data, std::size_t size) {
        auto* output = static_cast<ArchiveOutput*>(self);
        output->pending.append(static_cast<const char*>(data), size);
        output->total += size;
        if (output->pending.size() >= chunkBytes && !output->Flush()) {
            return -1;
        }
        return static_cast<la_ssize_t>(size);
    }

    bool Flush() {
        if (!failed && !pending.empty()) {
            failed = !sink(pending);
        }
        pending.clear();
        return !failed;
    }

    bool failed = false;
    std::size_t total = 0; // bytes written

private:
    const ChunkSink& sink;
    std::string pending;
};

// Packs parts, one after the other, as content.json into a gzip-compressed tar for sink.
bool Pack(std::span<const std::string_view> parts, Warnings& warnings, const ChunkSink& sink) {
    std::size_t size = 0;
    for (std::string_view part : parts) {
        size += part.size();
    }
    ArchiveOutput output(sink);
    std::unique_ptr<archive, WriteArchiveFree> writer(archive_write_new());
    std::unique_ptr<archive_entry, EntryFree> entry(archive_entry_new());
    archive* w = writer.get();
    // No padding after the gzip stream: gzip itself would complain of trailing bytes.
    bool ok = w && entry && archive_write_add_filter_gzip(w) >= ARCHIVE_WARN &&
              archive_write_set_format_ustar(w) == ARCHIVE_OK &&
              archive_write_set_bytes_in_last_block(w, 1) == ARCHIVE_OK &&
              archive_write_open(w, &output, nullptr, ArchiveOutput::Write, nullptr) == ARCHIVE_OK;
    if (ok) {
        archive_entry_set_pathname(entry.get(), std::string(contentName).c_str());
        archive_entry_set_filetype(entry.get(), AE_IFREG);
        archive_entry_set_perm(entry.get(), 0644);
        archive_entry_set_size(entry.get(), static_cast<la_int64_t>(size));
        archive_entry_set_mtime(entry.get(), std::time(nullptr), 0);
        ok = archive_write_header(w, entry.get()) == ARCHIVE_OK;
    }
    for (std::string_view part : parts) {
        while (ok && !part.empty()) {
            la_ssize_t written = archive_write_data(w, part.data(), part.size());
            ok = written > 0;
            part.remove_prefix(ok ? static_cast<std::size_t>(written) : part.size());
        }
    }
    ok = ok && archive_write_finish_entry(w) == ARCHIVE_OK && archive_write_close(w) == ARCHIVE_OK;
    if (!ok && !output.failed) {
        warnings.Add("the archive could not be made: " + ArchiveWords(w));
    }
    if (ok && size > ContentLimit(output.total)) {
        warnings.Add(std::string(tooLarge) + ", more than ckl reads back from a Garmin Pilot file");
    }
    return ok && output.Flush();
}

// --- reading content.json ---

// A whole number of content.json: false when value is none.
bool WholeNumber(dom::element value, long long& number) {
    switch (value.type()) {
    case dom::element_type::INT64:
        number = value.get_int64().value_unsafe();
        return true;
    case dom::element_type::UINT64:
        number = LLONG_MAX; // only beyond the signed range: as large as a number is here
        return true;
    case dom::element_type::DOUBLE: {
        double fraction = value.get_double().value_unsafe();
        if (!(fraction >= -9e18 && fraction <= 9e18) || fraction != std::trunc(fraction)) {
            return false;
        }
        number = static_cast<long long>(fraction);
        return true;
    }
    default:
        return false;
    }
}

// The object or array that value is known to be; a copy, as the range of a loop must be.
dom::object ObjectOf(dom::element value) {
    dom::object object = value.get_object().value_unsafe();
    return object;
}
dom::array ArrayOf(dom::element value) {
    dom::array array = value.get_array().value_unsafe();
    return array;
}

// Things a file lists by uuid, and the one a uuid names: the one after the thing found last, as
// files list things in the order they are used, else the first that has it, by an index made
// only when first needed, as the index of a million uuids costs more than all the rest.
template <class Thing> class ByUuid {
public:
    std::vector<Thing> things;

    Thing* Find(std::string_view uuid) {
        if (next < things.size() && things[next].hasUuid && things[next].uuid == uuid) {
            return &things[next++];
        }
        if (!indexed) {
            indexed = true;
            index.reserve(things.size());
            for (std::size_t i = 0; i < things.size(); ++i) {
                if (things[i].hasUuid) {
                    index.emplace(things[i].uuid, i);
                }
            }
        }
        auto found = index.find(uuid);
        if (found == index.end()) {
            return nullptr;
        }
        next = found->second + 1;
        return &things[found->second];
    }

private:
    std::size_t next = 0;
    bool indexed = false;
    std::unordered_map<std::string_view, std::size_t> index;
};

struct RawItem {
    std::string_view uuid;
    bool hasUuid = false;
    std::string_view title;
    std::string_view action;
    int type = 0;
};

struct RawChecklist {
    std::string_view uuid;
    bool hasUuid = false;
    std::string_view name;
    int type = 0;
    int subtype = 0;
    int completion = 0;
    std::optional<dom::array> items; // of uuids; none when absent or null
    std::string_view binder;
    bool read = false; // into a list already, from binder
};

struct RawBinder {
    std::string_view name;
    double sortOrder = 0;
    std::optional<dom::array> checklists; // of uuids; none when absent or null
};

// Builds the book from content.json: first every object as it stands, then the lists in binder
// order, finding checklists and items by their uuids. When it fails, failure says why.
class ContentReader {
public:
    ContentReader(Book& book, Warnings& warnings) : book(book), warnings(warnings) {}

    std::string failure;

    bool Read(dom::element root) {
        if (root.type() != dom::element_type::OBJECT) {
            return Fail("content.json must hold one JSON object");
        }
        for (dom::key_value_pair member : ObjectOf(root)) {
            std::string_view key = member.key;
            dom::element value = member.value;
            bool ok = true;
            if (key == "name") {
                std::string_view name;
                ok = String(value, key, "the file", name);
                book.metadata.name.assign(name);
            } else if (key == "type") {
                std::string_view type;
                ok = String(value, key, "the file", type);
                if (ok && !type.empty() && type != packageType) {
                    ok = Fail("content.json holds a package of the type " + QuotedForDisplay(type) +
                              ", not checklists");
                }
            } else if (key == "dataModelVersion" || key == "packageTypeVersion") {
                long long version = 1;
                if (WholeNumber(value, version) && version != 1) {
                    warnings.Add("content.json says " + std::string(key) + " " +
                                 std::to_string(version) + "; it is read as version 1");
                }
            } else if (key == "objects") {
                ok = Elements(value, key, "the file",
                              [this](dom::element objects) { return Objects(objects); });
            }
            if (!ok) {
                return false;
            }
        }
        return Lists();
    }

private:
    bool Fail(std::string what) {
        failure = std::move(what);
        return false;
    }

    static bool IsNull(dom::element value) { return value.type() == dom::element_type::NULL_VALUE; }

    // A string member; null leaves it empty.
    bool String(dom::element value, std::string_view key, std::string_view of,
                std::string_view& target) {
        if (value.type() == dom::element_type::STRING) {
            target = value.get_string().value_unsafe();
            return true;
        }
        target = {};
        return IsNull(value) ||
               Fail("\"" + std::string(key) + "\" of " + std::string(of) + " must be a string");
    }

    // A whole-number member from 0 to last; null is 0.
    bool Number(dom::element value, std::string_view key, std::string_view of, int last,
                int& target) {
        long long number = 0;
        if (!IsNull(value) && !WholeNumber(value, number)) {
            return Fail("\"" + std::string(key) + "\" of " + std::string(of) +
                        " must be a whole number");
        }
        if (number < 0 || number > last) {
            return Fail("\"" + std::string(key) + "\" of " + std::string(of) + " is " +
                        std::to_string(number) + ", where Garmin Pilot knows 0 to " +
                        std::to_string(last));
        }
        target = static_cast<int>(number);
        return true;
    }

    // An array member, or null.
    bool Array(dom::element value, std::string_view key, std::string_view of) {
        return value.type() == dom::element_type::ARRAY || IsNull(value) ||
               Fail("\"" + std::string(key) + "\" of " + std::string(of) + " must be an array");
    }

    // Hands each object of an array member to take.
    template <class Take>
    bool Elements(dom::element value, std::string_view key, std::string_view of, Take take) {
        if (!Array(value, key, of)) {
            return false;
        }
        if (IsNull(value)) {
            return true;
        }
        for (dom::element element : ArrayOf(value)) {
            if (element.type() != dom::element_type::OBJECT) {
                return Fail("an element of \"" + std::string(key) + "\" must be an object");
            }
            if (!take(element)) {
                return false;
            }
        }
        return true;
    }

    bool Objects(dom::element objects) {
        for (dom::key_value_pair member : ObjectOf(objects)) {
            std::string_view key = member.key;
            bool ok = true;
            if (key == "checklistItems") {
                if (member.value.type() == dom::element_type::ARRAY) {
                    items.things.reserve(items.things.size() + ArrayOf(member.value).size());
                }
                ok = Elements(member.value, key, "the file",
                              [this](dom::element item) { return ReadItem(item); });
            } else if (key == "checklists") {
                ok = Elements(member.value, key, "the file",
                              [this](dom::element checklist) { return ReadChecklist(checklist); });
            } else if (key == "binders") {
                ok = Elements(member.value, key, "the file",
                              [this](dom::element binder) { return ReadBinder(binder); });
            }
            if (!ok) {
                return false;
            }
        }
        return true;
    }

    bool ReadItem(dom::element object) {
        RawItem& item = items.things.emplace_back();
        for (dom::key_value_pair member : ObjectOf(object)) {
            std::string_view key = member.key;
            bool ok = true;
            if (key == "uuid") {
                ok = String(member.value, key, "an item", item.uuid);
                item.hasUuid = !IsNull(member.value);
            } else if (key == "itemType") {
                ok = Number(member.value, key, "an item", itemTypeNote, item.type);
            } else if (key == "title") {
                ok = String(member.value, key, "an item", item.title);
            } else if (key == "action") {
                ok = String(member.value, key, "an item", item.action);
            }
            if (!ok) {
                return false;
            }
        }
        return true;
    }

    bool ReadChecklist(dom::element object) {
        RawChecklist& checklist = checklists.things.emplace_back();
        for (dom::key_value_pair member : ObjectOf(object)) {
            std::string_view key = member.key;
            bool ok = true;
            if (key == "uuid") {
                ok = String(member.value, key, "a checklist", checklist.uuid);
                checklist.hasUuid = !IsNull(member.value);
            } else if (key == "name") {
                ok = String(member.value, key, "a checklist", checklist.name);
            } else if (key == "type") {
                ok = Number(member.value, key, "a checklist", typeCount - 1, checklist.type);
            } else if (key == "subtype") {
                ok = Number(member.value, key, "a checklist", subtypeNotNormal, checklist.subtype);
            } else if (key == "completionItem") {
                ok = Number(member.value, key, "a checklist", completionCount - 1,
                            checklist.completion);
            } else if (key == "checklistItems") {
                ok = Array(member.value, key, "a checklist");
                checklist.items = ArrayIn(member.value);
            }
            if (!ok) {
                return false;
            }
        }
        return true;
    }

    bool ReadBinder(dom::element object) {
        RawBinder& binder = binders.emplace_back();
        for (dom::key_value_pair member : ObjectOf(object)) {
            std::string_view key = member.key;
            bool ok = true;
            if (key == "name") {
                ok = String(member.value, key, "a binder", binder.name);
            } else if (key == "sortOrder") {
                ok = SortOrder(member.value, binder.sortOrder);
            } else if (key == "checklists") {
                ok = Array(member.value, key, "a binder");
                binder.checklists = ArrayIn(member.value);
            }
            if (!ok) {
                return false;
            }
        }
        return true;
    }

    bool SortOrder(dom::element value, double& target) {
        switch (value.type()) {
        case dom::element_type::INT64:
            target = static_cast<double>(value.get_int64().value_unsafe());
            return true;
        case dom::element_type::UINT64:
            target = static_cast<double>(value.get_uint64().value_unsafe());
            return true;
        case dom::element_type::DOUBLE:
            target = value.get_double().value_unsafe();
            return true;
        case dom::element_type::NULL_VALUE:
            return true;
        default:
            return Fail("\"sortOrder\" of a binder must be a number");
        }
    }

    // The array that value is, or none.
    static std::optional<dom::array> ArrayIn(dom::element value) {
        if (value.type() != dom::element_type::ARRAY) {
            return std::nullopt;
        }
        return ArrayOf(value);
    }

    // Hands each uuid of an array member to take.
    template <class Take>
    bool Uuids(const std::optional<dom::array>& array, std::string_view key, Take take) {
        if (!array) {
            return true;
        }
        for (dom::element element : *array) {
            if (element.type() != dom::element_type::STRING) {
                return Fail("an element of \"" + std::string(key) + "\" must be a uuid string");
            }
            if (!take(element.get_string().value_unsafe())) {
                return false;
            }
        }
        return true;
    }

    // The lists: the binders' checklists in binder order, then the checklists of no binder.
    bool Lists() {
        std::stable_sort(
            binders.begin(), binders.end(),
            [](const RawBinder& a, const RawBinder& b) { return a.sortOrder < b.sortOrder; });
        book.lists.reserve(checklists.things.size());
        for (const RawBinder& binder : binders) {
            if (!binder.checklists || binder.checklists->size() == 0) {
                warnings.Add("the binder " + QuotedForDisplay(binder.name) +
                             " holds no checklist and is left out");
                continue;
            }
            bool ok = Uuids(binder.checklists, "checklists", [&](std::string_view uuid) {
                RawChecklist* found = checklists.Find(uuid);
                if (!found) {
                    return Fail("the binder " + QuotedForDisplay(binder.name) +
                                " lists the checklist " + QuotedForDisplay(uuid) +
                                ", which is not in the file");
                }
                RawChecklist& checklist = *found;
                if (checklist.read) {
                    warnings.Add("the checklist " + QuotedForDisplay(checklist.name) +
                                 " is in the binder " + QuotedForDisplay(checklist.binder) +
                                 " and again in the binder " + QuotedForDisplay(binder.name) +
                                 "; it is read once, in the first");
                    return true;
                }
                checklist.binder = binder.name;
                return List(checklist);
            });
            if (!ok) {
                return false;
            }
        }
        for (RawChecklist& checklist : checklists.things) {
            if (!checklist.read && !List(checklist)) {
                return false;
            }
        }
        return true;
    }

    bool List(RawChecklist& checklist) {
        checklist.read = true;
        auto category = static_cast<Category>(checklist.type);
        std::string name = JoinListName(category, checklist.binder, checklist.name);
        // A binder's name with ": " of its own cannot travel whole in a list's name.
        ListName parts = SplitListName(name);
        std::string_view subgroup =
            checklist.binder == CategoryWord(category) ? std::string_view() : checklist.binder;
        if (parts.subgroup != subgroup || parts.title != checklist.name) {
            warnings.Add(Where(name) + ": the binder " + QuotedForDisplay(checklist.binder) +
                         " and the checklist " + QuotedForDisplay(checklist.name) +
                         " read back as the binder " + QuotedForDisplay(parts.subgroup) +
                         " and the checklist " + QuotedForDisplay(parts.title));
        }
        BookList& list = book.lists.emplace_back();
        list.name = book.Keep(name);
        if (category == Category::Normal && checklist.subtype < subtypeOther) {
            list.phase = static_cast<Phase>(checklist.subtype);
        }
        list.completion = static_cast<Completion>(checklist.completion);
        if (checklist.items) {
            list.items.reserve(checklist.items->size());
        }
        return Uuids(checklist.items, "checklistItems", [&](std::string_view uuid) {
            const RawItem* found = items.Find(uuid);
            if (!found) {
                return Fail("the checklist " + QuotedForDisplay(checklist.name) +
                            " lists the item " + QuotedForDisplay(uuid) +
                            ", which is not in the file");
            }
            list.items.push_back(BookItem(*found));
            return true;
        });
    }

    // A note's text is its title, its action, or both on lines of their own.
    Item BookItem(const RawItem& raw) {
        Item item;
        if (raw.type != itemTypeNote) {
            item.kind = raw.action.empty() ? ItemKind::Challenge : ItemKind::ChallengeResponse;
            item.prompt = Kept(raw.title);
            item.expectation = Kept(raw.action);
            item.liveData = raw.type;
            return item;
        }
        std::string joined;
        std::string_view text = raw.title.empty() ? raw.action : raw.title;
        if (!raw.title.empty() && !raw.action.empty()) {
            joined.append(raw.title).append(1, '\n').append(raw.action);
            text = joined;
        }
        if (text.empty()) {
            item.kind = ItemKind::Space;
        } else if (text.starts_with(cautionPrefix)) {
            item.kind = ItemKind::Caution;
            text.remove_prefix(cautionPrefix.size());
        } else if (text.starts_with(warningPrefix)) {
            item.kind = ItemKind::Warning;
            text.remove_prefix(warningPrefix.size());
        } else {
            item.kind = ItemKind::Note;
        }
        item.prompt = Kept(text);
        return item;
    }

    // text in the book's store, each CR LF as the line feed that breaks a line in a book.
    std::string_view Kept(std::string_view text) {
        if (text.find('\r') == std::string_view::npos) {
            return book.Keep(text);
        }
        std::string lines;
        lines.reserve(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '\r' || i + 1 == text.size() || text[i + 1] != '\n') {
                lines += text[i];
            }
        }
        return book.Keep(lines);
    }

    Book& book;
    Warnings& warnings;
    ByUuid<RawItem> items;
    ByUuid<RawChecklist> checklists;
    std::vector<RawBinder> binders;
};

// --- writing ---

// Fresh ids: version 4 uuids in capitals from OpenSSL's random bytes, drawn a batch at a time.
class UuidSource {
public:
    static constexpr std::size_t length = 36;

    // The next uuid into out; false when the system gives no random bytes.
    bool Next(char (&out)[length]) {
        if (used == pool.size()) {
            if (RAND_bytes(pool.data(), static_cast<int>(pool.size())) != 1) {
                return false;
            }
            used = 0;
        }
        unsigned char* bytes = pool.data() + used;
        used += 16;
        bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);
        bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);
        constexpr std::string_view digits = "0123456789ABCDEF";
        char* at = out;
        for (int i = 0; i < 16; ++i) {
            if (i == 4 || i == 6 || i == 8 || i == 10) {
                *at++ = '-';
            }
            *at++ = digits[bytes[i] >> 4];
            *at++ = digits[bytes[i] & 0x0F];
        }
        return true;
    }

private:
    std::array<unsigned char, 16 * 1024> pool{};
    std::size_t used = pool.size();
};

void AppendNumber(std::string& out, long long number) {
    char digits[24];
    auto [end, error] = std::to_chars(std::begin(digits), std::end(digits), number);
    out.append(digits, end);
}

// The lists gathered into binders named after their subgroups, or after their category when
// they have none, in the order the binders first appear.
struct Binder {
    std::string_view name;
    std::vector<std::pair<const BookList*, ListName>> lists;
};

std::vector<Binder> GatherBinders(const Book& book, Warnings& warnings) {
    std::vector<Binder> binders;
    std::unordered_map<std::string_view, std::size_t> binderOfName;
    bool gathered = false;
    for (const BookList& list : book.lists) {
        ListName parts = SplitListName(list.name);
        std::string_view name =
            parts.subgroup.empty() ? CategoryWord(parts.category) : parts.subgroup;
        auto [found, added] = binderOfName.emplace(name, binders.size());
        if (added) {
            binders.push_back({name, {}});
        } else if (found->second + 1 != binders.size() && !gathered) {
            gathered = true;
            warnings.Add(Where(list.name) + " goes into the binder " + QuotedForDisplay(name) +
                         " with the checklists of that binder before it");
        }
        binders[found->second].lists.emplace_back(&list, parts);
    }
    return binders;
}

// content.json in four parts: its start with the checklists, the binders, the items, its end.
class ContentWriter {
public:
    explicit ContentWriter(Warnings& warnings) : warnings(warnings) {}

    std::array<std::string, 4> parts;

    bool Write(const Book& book) {
        std::vector<Binder> binders = GatherBinders(book, warnings);
        std::size_t itemCount = 0;
        std::size_t textBytes = 0;
        for (const BookList& list : book.lists) {
            itemCount += list.items.size();
            for (const Item& item : list.items) {
                textBytes += item.prompt.size() + item.expectation.size();
            }
        }
        std::string& head = parts[0];
        std::string& binderPart = parts[1];
        std::string& itemPart = parts[2];
        head.reserve(book.lists.size() * 200 + itemCount * (UuidSource::length + 4));
        itemPart.reserve(textBytes + itemCount * 120);
        head += "{\"dataModelVersion\":1,\"packageTypeVersion\":1,\"name\":";
        AppendJsonString(head, book.metadata.name);
        head += ",\"type\":\"";
        head += packageType;
        head += "\",\"objects\":[{\"checklists\":[";
        binderPart += "],\"binders\":[";
        itemPart += "],\"checklistItems\":[";
        int sortOrder = 0;
        for (const Binder& binder : binders) {
            binderPart += sortOrder == 0 ? "\n" : ",\n";
            binderPart += "{\"uuid\":\"";
            if (!AppendUuid(binderPart)) {
                return false;
            }
            binderPart += "\",\"sourceTemplateUUID\":null,\"sortOrder\":";
            AppendNumber(binderPart, sortOrder++);
            binderPart += ",\"name\":";
            AppendJsonString(binderPart, binder.name);
            binderPart += ",\"checklists\":[";
            bool firstList = true;
            for (const auto& [list, name] : binder.lists) {
                head += firstChecklist ? "\n" : ",\n";
                firstChecklist = false;
                head += "{\"uuid\":\"";
                binderPart += firstList ? "\"" : ",\"";
                firstList = false;
                if (!AppendUuid(head, &binderPart)) {
                    return false;
                }
                binderPart += '"';
                if (!Checklist(*list, name)) {
                    return false;
                }
            }
            binderPart += "]}";
        }
        head += "\n";
        binderPart += "\n";
        itemPart += "\n";
        parts[3] = "],\"version\":null}]}\n";
        return true;
    }

private:
    // A fresh uuid onto out, and onto also when given; false without random bytes.
    bool AppendUuid(std::string& out, std::string* also = nullptr) {
        char uuid[UuidSource::length];
        if (!uuids.Next(uuid)) {
            warnings.Add("no random bytes for the ids of the file");
            return false;
        }
        out.append(uuid, sizeof uuid);
        if (also) {
            also->append(uuid, sizeof uuid);
        }
        return true;
    }

    // The rest of a checklist's line in the head after its uuid, and its items.
    bool Checklist(const BookList& list, const ListName& name) {
        std::string& head = parts[0];
        std::string& itemPart = parts[2];
        head += "\",\"name\":";
        AppendJsonString(head, name.title);
        head += ",\"type\":";
        AppendNumber(head, static_cast<int>(name.category));
        int subtype = subtypeNotNormal;
        if (name.category == Category::Normal) {
            subtype = list.phase == Phase::Unsaid ? subtypeOther : static_cast<int>(list.phase);
        } else if (list.phase != Phase::Unsaid) {
            warnings.Add(Where(list.name) +
                         ": its phase of flight is left out: Garmin Pilot gives phases to "
                         "normal checklists only");
        }
        head += ",\"subtype\":";
        AppendNumber(head, subtype);
        head += ",\"completionItem\":";
        AppendNumber(head, static_cast<int>(list.completion));
        head += ",\"checklistItems\":[";
        std::size_t number = 0;
        for (const Item& item : list.items) {
            ++number;
            head += number == 1 ? "\"" : ",\"";
            itemPart += firstItem ? "\n" : ",\n";
            firstItem = false;
            itemPart += "{\"uuid\":\"";
            if (!AppendUuid(itemPart, &head)) {
                return false;
            }
            head += '"';
            ItemLine(list, number, item);
        }
        head += "]}";
        return true;
    }

    // The rest of an item's line after its uuid.
    void ItemLine(const BookList& list, std::size_t number, const Item& item) {
        std::string& out = parts[2];
        int type = itemTypeNote;
        std::string_view prefix;
        std::string_view action;
        switch (item.kind) {
        case ItemKind::ChallengeResponse:
            action = item.expectation;
            if (action.empty()) {
                warnings.Add(Where(list.name, number) +
                             ": a response left empty reads back as a challenge alone");
            }
            [[fallthrough]];
        case ItemKind::Challenge:
            type = item.liveData;
            if (type < 0 || type > maxLiveData) {
                warnings.Add(Where(list.name, number) + ": live data " +
                             std::to_string(item.liveData) +
                             " is left out: Garmin Pilot has none of that number");
                type = 0;
            }
            break;
        case ItemKind::Caution:
            prefix = cautionPrefix;
            break;
        case ItemKind::Warning:
            prefix = warningPrefix;
            break;
        case ItemKind::Title:
        case ItemKind::PlainText:
            if (!warnedOfText) {
                warnedOfText = true;
                warnings.Add(Where(list.name, number) +
                             ": headings and plain text are written as notes: Garmin Pilot "
                             "has no other lines that are not ticked off");
            }
            break;
        case ItemKind::Note:
            if (item.prompt.empty()) {
                warnings.Add(Where(list.name, number) + ": an empty note reads back as a blank "
                                                        "line");
            } else if (item.prompt.starts_with(cautionPrefix) ||
                       item.prompt.starts_with(warningPrefix)) {
                warnings.Add(Where(list.name, number) + ": the note " +
                             QuotedForDisplay(item.prompt) + " reads back as a " +
                             (item.prompt.starts_with(cautionPrefix) ? "caution" : "warning"));
            }
            break;
        case ItemKind::Space:
            break;
        }
        if (type == itemTypeNote && item.liveData != 0) {
            warnings.Add(Where(list.name, number) + ": live data " + std::to_string(item.liveData) +
                         " is left out: Garmin Pilot gives it to items to tick off only");
        }
        out += "\",\"checked\":false,\"itemType\":";
        AppendNumber(out, type);
        out += ",\"title\":";
        if (prefix.empty()) {
            AppendJsonString(out, item.kind == ItemKind::Space ? std::string_view() : item.prompt);
        } else {
            std::string text;
            text.reserve(prefix.size() + item.prompt.size());
            text.append(prefix).append(item.prompt);
            AppendJsonString(out, text);
        }
        out += ",\"action\":";
        AppendJsonString(out, action);
        out += '}';
    }

    Warnings& warnings;
    UuidSource uuids;
    bool warnedOfText = false;
    bool firstChecklist = true;
    bool firstItem = true;
};

} // namespace

std::optional<ReadError> ReadGarminPilot(std::string_view bytes, Book& book, Warnings& warnings) {
    book.carriesMetadata = true;
    std::string content;
    if (std::optional<ReadError> refusal = Unpack(bytes, content)) {
        return refusal;
    }
    dom::parser parser;
    dom::element root;
    const std::size_t size = content.size() - simdjson::SIMDJSON_PADDING;
    if (simdjson::error_code error = ParseJson(parser, {content.data(), size}, root)) {
        return Refused("content.json is not valid JSON: " +
                       std::string(simdjson::error_message(error)));
    }
    ContentReader reader(book, warnings);
    if (!reader.Read(root)) {
        return Refused(std::move(reader.failure));
    }
    return std::nullopt;
}

bool WriteGarminPilot(const Book& book, Warnings& warnings, const ChunkSink& sink) {
    ContentWriter content(warnings);
    if (!content.Write(book)) {
        return false;
    }
    std::array<std::string_view, 4> parts;
    std::copy(content.parts.begin(), content.parts.end(), parts.begin());
    return Pack(parts, warnings, sink);
}

} // namespace convert
