#include "EfisJsonFormat.h"

#include "CklConventions.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace convert {
namespace {

using Json = nlohmann::json;

struct KindName {
    ItemKind kind;
    std::string_view name;
    int number;
};
constexpr std::array<KindName, 8> kindNames = {{
    {ItemKind::Challenge, "ITEM_CHALLENGE", 1},
    {ItemKind::ChallengeResponse, "ITEM_CHALLENGE_RESPONSE", 2},
    {ItemKind::Title, "ITEM_TITLE", 3},
    {ItemKind::PlainText, "ITEM_PLAINTEXT", 4},
    {ItemKind::Warning, "ITEM_WARNING", 5},
    {ItemKind::Caution, "ITEM_CAUTION", 6},
    {ItemKind::Note, "ITEM_NOTE", 7},
    {ItemKind::Space, "ITEM_SPACE", 8},
}};

// An input iterator over the bytes that remembers how far the parser has read, so that an
// error found in a value can be given its line.
class TrackingIterator {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    TrackingIterator(const char* at, const char** furthest) : at(at), furthest(furthest) {}
    reference operator*() const {
        if (at >= *furthest) {
            *furthest = at + 1;
        }
        return *at;
    }
    TrackingIterator& operator++() {
        ++at;
        return *this;
    }
    TrackingIterator operator++(int) {
        TrackingIterator before = *this;
        ++at;
        return before;
    }
    friend bool operator==(const TrackingIterator& a, const TrackingIterator& b) {
        return a.at == b.at;
    }

private:
    const char* at;
    const char** furthest;
};

// Where a value sits in the message: each object or array the parser is inside.
enum class Frame {
    Root,
    Metadata,
    Groups,
    Group,
    Checklists,
    Checklist,
    Items,
    Item,
    Skipped, // inside a value of a field this reader does not know
};

// Builds the book from the parser's events, checking each field's type as it comes.
class BookBuilder : public nlohmann::json_sax<Json> {
public:
    BookBuilder(Book& book, Warnings& warnings) : book(book), warnings(warnings) {}

    std::string failure; // what is wrong, when an event returned false
    bool syntaxError = false;
    std::size_t syntaxLine = 0;

    bool null() override { return Scalar(Value::Null); }
    bool boolean(bool value) override {
        boolValue = value;
        return Scalar(Value::Bool);
    }
    bool number_integer(number_integer_t value) override {
        intValue = value;
        return Scalar(Value::Integer);
    }
    bool number_unsigned(number_unsigned_t value) override {
        intValue = value > static_cast<number_unsigned_t>(LLONG_MAX)
                       ? LLONG_MAX
                       : static_cast<long long>(value);
        return Scalar(Value::Integer);
    }
    bool number_float(number_float_t value, const string_t&) override {
        // Only a whole number within range counts as one; anything else is refused where a
        // number is expected.
        bool whole = value >= -9e18 && value <= 9e18 && value == std::trunc(value);
        intValue = whole ? static_cast<long long>(value) : 0;
        return Scalar(whole ? Value::Integer : Value::Fraction);
    }
    bool string(string_t& value) override {
        // Copied, not moved: both buffers keep their room for the next string.
        stringValue.assign(value);
        return Scalar(Value::String);
    }
    bool binary(binary_t&) override { return Fail("binary data"); }
    bool start_object(std::size_t) override { return Open(true); }
    bool key(string_t& name) override {
        field.assign(name);
        return true;
    }
    bool end_object() override { return Close(); }
    bool start_array(std::size_t) override { return Open(false); }
    bool end_array() override { return Close(); }
    bool parse_error(std::size_t, const std::string&,
                     const nlohmann::detail::exception& error) override {
        syntaxError = true;
        failure = error.what();
        // "[json.exception.parse_error.101] parse error at line 3, column 5: ..."
        std::size_t at = failure.find("line ");
        if (at != std::string::npos) {
            syntaxLine = std::strtoul(failure.c_str() + at + 5, nullptr, 10);
        }
        std::size_t colon = failure.find(": ", failure.find("parse error"));
        failure =
            "not valid JSON: " + (colon == std::string::npos ? failure : failure.substr(colon + 2));
        return false;
    }

private:
    enum class Value { Null, Bool, Integer, Fraction, String };

    bool Fail(std::string what) {
        failure = std::move(what);
        return false;
    }

    Frame Top() const { return frames.empty() ? Frame::Root : frames.back(); }

    static bool Is(const std::string& name, std::string_view camel, std::string_view snake = {}) {
        return name == camel || (!snake.empty() && name == snake);
    }

    // A field of a message, or an element of an array, that opens an object or array.
    bool Open(bool isObject) {
        if (frames.empty() && !started) {
            started = true;
            if (!isObject) {
                return Fail("the file must hold one JSON object");
            }
            frames.push_back(Frame::Root);
            return true;
        }
        Frame top = Top();
        if (IsScalarField(top)) {
            return Fail("\"" + field + "\" must be " + ScalarKind(top));
        }
        Frame next = Frame::Skipped;
        bool wantObject = true;
        switch (top) {
        case Frame::Root:
            if (Is(field, "metadata")) {
                next = Frame::Metadata;
            } else if (Is(field, "groups")) {
                next = Frame::Groups;
                wantObject = false;
            }
            break;
        case Frame::Groups:
            next = Frame::Group;
            groupTitle.clear();
            groupLists.clear();
            break;
        case Frame::Group:
            if (Is(field, "checklists")) {
                next = Frame::Checklists;
                wantObject = false;
            }
            break;
        case Frame::Checklists:
            next = Frame::Checklist;
            // As many items as the checklist before, which most checklists come near: at most
            // the items read so far, reserved once instead of grown step by step.
            groupLists.emplace_back().second.reserve(lastItemCount);
            break;
        case Frame::Checklist:
            if (Is(field, "items")) {
                next = Frame::Items;
                wantObject = false;
            }
            break;
        case Frame::Items:
            next = Frame::Item;
            groupLists.back().second.emplace_back();
            itemHasType = false;
            break;
        default:
            break;
        }
        if (next != Frame::Skipped && isObject != wantObject) {
            return Fail(
                top == Frame::Groups || top == Frame::Checklists || top == Frame::Items
                    ? std::string("an element of \"") + ArrayName(top) + "\" must be an object"
                    : "\"" + field + "\" must be " + (wantObject ? "an object" : "an array"));
        }
        frames.push_back(next);
        return true;
    }

    // Whether key names a field of the message open at frame that holds a string, number or
    // truth value.
    bool IsScalarField(Frame frame) const {
        switch (frame) {
        case Frame::Metadata:
            return Is(field, "name") || Is(field, "makeAndModel", "make_and_model") ||
                   Is(field, "aircraftInfo", "aircraft_info") ||
                   Is(field, "manufacturerInfo", "manufacturer_info") ||
                   Is(field, "copyrightInfo", "copyright_info") ||
                   Is(field, "defaultGroupIndex", "default_group_index") ||
                   Is(field, "defaultChecklistIndex", "default_checklist_index") ||
                   Is(field, "modifiedTime", "modified_time");
        case Frame::Group:
        case Frame::Checklist:
            return Is(field, "title");
        case Frame::Item:
            return Is(field, "prompt") || Is(field, "expectation") || Is(field, "type") ||
                   Is(field, "indent") || Is(field, "centered");
        default:
            return false;
        }
    }

    const char* ScalarKind(Frame frame) const {
        if (frame == Frame::Item && (Is(field, "indent") || Is(field, "type"))) {
            return Is(field, "indent") ? "a whole number" : "an item type";
        }
        if (frame == Frame::Item && Is(field, "centered")) {
            return "true or false";
        }
        if (frame == Frame::Metadata && field.find("ndex") != std::string::npos) {
            return "a whole number";
        }
        if (frame == Frame::Metadata && (Is(field, "modifiedTime", "modified_time"))) {
            return "a whole number";
        }
        return "a string";
    }

    static const char* ArrayName(Frame frame) {
        return frame == Frame::Groups       ? "groups"
               : frame == Frame::Checklists ? "checklists"
                                            : "items";
    }

    bool Close() {
        Frame closing = Top();
        frames.pop_back();
        if (closing == Frame::Item && !itemHasType) {
            return Fail("an item without a \"type\"");
        }
        if (closing == Frame::Checklist) {
            lastItemCount = groupLists.back().second.size();
        }
        if (closing == Frame::Group) {
            if (groupLists.empty()) {
                warnings.Add("the group \"" + groupTitle + "\" holds no checklist and is left out");
            }
            for (auto& [title, items] : groupLists) {
                BookList& list = book.lists.emplace_back();
                list.name = book.Keep(GroupedName(groupTitle, title, groupLists.size()));
                list.items = std::move(items);
            }
            groupLists.clear();
        }
        return true;
    }

    bool Scalar(Value value) {
        if (!started) {
            return Fail("the file must hold one JSON object");
        }
        switch (Top()) {
        case Frame::Root:
            if (value != Value::Null && (Is(field, "metadata") || Is(field, "groups"))) {
                return Fail("\"" + field + "\" must be " +
                            (Is(field, "metadata") ? "an object" : "an array"));
            }
            return true;
        case Frame::Metadata:
            return MetadataField(value);
        case Frame::Group:
            if (value != Value::Null && Is(field, "checklists")) {
                return Fail("\"checklists\" must be an array");
            }
            return Is(field, "title") ? TakeString(value, groupTitle) : true;
        case Frame::Checklist:
            if (value != Value::Null && Is(field, "items")) {
                return Fail("\"items\" must be an array");
            }
            return Is(field, "title") ? TakeString(value, groupLists.back().first) : true;
        case Frame::Item:
            return ItemField(value, groupLists.back().second.back());
        case Frame::Groups:
        case Frame::Checklists:
        case Frame::Items:
            return value == Value::Null || Fail(std::string("an element of \"") + ArrayName(Top()) +
                                                "\" must be an object");
        default:
            return true;
        }
    }

    bool TakeString(Value value, std::string_view& target) {
        if (value != Value::String) {
            target = {};
            return value == Value::Null || Fail("\"" + field + "\" must be a string");
        }
        target = book.Keep(stringValue);
        return true;
    }
    bool TakeString(Value value, std::string& target) {
        if (value == Value::Null) {
            target.clear();
            return true;
        }
        if (value != Value::String) {
            return Fail("\"" + field + "\" must be a string");
        }
        target = std::move(stringValue);
        return true;
    }

    // Whole numbers come as numbers or, as the JSON form of the messages allows, as strings.
    bool TakeNumber(Value value, long long low, long long high, long long& target) {
        if (value == Value::Null) {
            target = 0;
            return true;
        }
        if (value == Value::String) {
            char* end = nullptr;
            errno = 0;
            intValue = std::strtoll(stringValue.c_str(), &end, 10);
            if (stringValue.empty() || *end != '\0' || errno != 0) {
                return Fail("\"" + field + "\" must be a whole number");
            }
        } else if (value != Value::Integer) {
            return Fail("\"" + field + "\" must be a whole number");
        }
        if (intValue < low || intValue > high) {
            return Fail("\"" + field + "\" is " + std::to_string(intValue) + ", outside " +
                        std::to_string(low) + " to " + std::to_string(high));
        }
        target = intValue;
        return true;
    }

    bool MetadataField(Value value) {
        Metadata& m = book.metadata;
        long long number = 0;
        if (Is(field, "name")) {
            return TakeString(value, m.name);
        }
        if (Is(field, "makeAndModel", "make_and_model")) {
            return TakeString(value, m.makeAndModel);
        }
        if (Is(field, "aircraftInfo", "aircraft_info")) {
            return TakeString(value, m.aircraft);
        }
        if (Is(field, "manufacturerInfo", "manufacturer_info")) {
            return TakeString(value, m.manufacturer);
        }
        if (Is(field, "copyrightInfo", "copyright_info")) {
            return TakeString(value, m.copyright);
        }
        if (Is(field, "defaultGroupIndex", "default_group_index")) {
            bool ok = TakeNumber(value, 0, INT_MAX, number);
            m.defaultGroup = static_cast<int>(number);
            return ok;
        }
        if (Is(field, "defaultChecklistIndex", "default_checklist_index")) {
            bool ok = TakeNumber(value, 0, INT_MAX, number);
            m.defaultChecklist = static_cast<int>(number);
            return ok;
        }
        if (Is(field, "modifiedTime", "modified_time")) {
            bool ok = TakeNumber(value, INT_MIN, INT_MAX, number);
            m.modifiedTime = number;
            return ok;
        }
        return true;
    }

    bool ItemField(Value value, Item& item) {
        long long number = 0;
        if (Is(field, "prompt")) {
            return TakeString(value, item.prompt);
        }
        if (Is(field, "expectation")) {
            return TakeString(value, item.expectation);
        }
        if (Is(field, "indent")) {
            bool ok = TakeNumber(value, 0, maxIndent, number);
            item.indent = static_cast<int>(number);
            return ok;
        }
        if (Is(field, "centered")) {
            if (value != Value::Bool && value != Value::Null) {
                return Fail("\"centered\" must be true or false");
            }
            item.centered = value == Value::Bool && boolValue;
            return true;
        }
        if (Is(field, "type")) {
            auto known = std::find_if(kindNames.begin(), kindNames.end(), [&](const KindName& k) {
                return value == Value::String ? k.name == stringValue
                                              : value == Value::Integer && k.number == intValue;
            });
            if (known == kindNames.end()) {
                return Fail(value == Value::String
                                ? "unknown item type \"" + stringValue + "\""
                                : std::string("\"type\" must be an item type such as "
                                              "\"ITEM_CHALLENGE\""));
            }
            item.kind = known->kind;
            itemHasType = true;
        }
        return true;
    }

    Book& book;
    Warnings& warnings;
    std::vector<Frame> frames;
    bool started = false;
    std::string field; // the name of the field whose value comes next
    bool boolValue = false;
    long long intValue = 0;
    std::string stringValue;
    std::string groupTitle;
    std::vector<std::pair<std::string, std::vector<Item>>> groupLists;
    bool itemHasType = false;
    std::size_t lastItemCount = 0; // of the checklist read last
};

// Reads JSON as efis-editor and this program write it (plain numbers, strings without "\u"
// escapes) and reports it to builder as the full parser would. Gives up, returning false, at
// anything else and whenever builder refuses an event: the full parser then reads the file
// again, so that it alone decides what is wrong and says so in its own words.
class CommonJsonReader {
public:
    CommonJsonReader(std::string_view bytes, BookBuilder& builder)
        : at(bytes.data()), end(bytes.data() + bytes.size()), builder(builder) {}

    bool Read() {
        SkipSpace();
        if (at == end || *at != '{') {
            return false;
        }
        // Whether each open value is an object; its members and elements follow one another.
        std::vector<bool> open;
        bool expectValue = true;
        while (true) {
            SkipSpace();
            if (at == end) {
                return false;
            }
            if (expectValue) {
                char c = *at;
                if (c == '{' || c == '[') {
                    ++at;
                    bool isObject = c == '{';
                    if (!(isObject ? builder.start_object(std::size_t(-1))
                                   : builder.start_array(std::size_t(-1)))) {
                        return false;
                    }
                    open.push_back(isObject);
                    SkipSpace();
                    if (at != end && *at == (isObject ? '}' : ']')) {
                        ++at;
                        open.pop_back();
                        if (!(isObject ? builder.end_object() : builder.end_array())) {
                            return false;
                        }
                        expectValue = false;
                    } else if (isObject && !Key()) {
                        return false;
                    }
                    if (open.empty()) {
                        break;
                    }
                    continue;
                }
                if (!Scalar()) {
                    return false;
                }
                expectValue = false;
                continue;
            }
            // After a value: the next member or element, or the end of what holds it.
            bool isObject = open.back();
            if (*at == ',') {
                ++at;
                if (isObject && !Key()) {
                    return false;
                }
                expectValue = true;
                continue;
            }
            if (*at != (isObject ? '}' : ']')) {
                return false;
            }
            ++at;
            open.pop_back();
            if (!(isObject ? builder.end_object() : builder.end_array())) {
                return false;
            }
            if (open.empty()) {
                break;
            }
        }
        SkipSpace();
        return at == end;
    }

private:
    void SkipSpace() {
        const char* p = at;
        while (p != end && (*p == ' ' || *p == '\n' || *p == '\r' || *p == '\t')) {
            ++p;
        }
        at = p;
    }

    // A member's name and its colon.
    bool Key() {
        SkipSpace();
        if (at == end || *at != '"' || !String()) {
            return false;
        }
        SkipSpace();
        if (at == end || *at != ':') {
            return false;
        }
        ++at;
        return builder.key(text);
    }

    bool Scalar() {
        switch (*at) {
        case '"':
            return String() && builder.string(text);
        case 't':
            return Word("true") && builder.boolean(true);
        case 'f':
            return Word("false") && builder.boolean(false);
        case 'n':
            return Word("null") && builder.null();
        default:
            return Number();
        }
    }

    bool Word(std::string_view word) {
        if (static_cast<std::size_t>(end - at) < word.size() ||
            std::string_view(at, word.size()) != word) {
            return false;
        }
        at += word.size();
        return true;
    }

    // A whole number of at most 18 digits, which fits either kind of the parser's numbers.
    bool Number() {
        bool negative = at != end && *at == '-';
        const char* digits = negative ? at + 1 : at;
        const char* after = digits;
        unsigned long long value = 0;
        while (after != end && *after >= '0' && *after <= '9') {
            value = value * 10 + static_cast<unsigned>(*after - '0');
            ++after;
        }
        std::size_t count = static_cast<std::size_t>(after - digits);
        if (count == 0 || count > 18 || (*digits == '0' && count > 1) ||
            (after != end && (*after == '.' || *after == 'e' || *after == 'E'))) {
            return false;
        }
        at = after;
        if (negative) {
            return builder.number_integer(-static_cast<long long>(value));
        }
        return builder.number_unsigned(value);
    }

    // A string starting at the quote at `at`, into text: valid UTF-8 without control
    // characters, escapes other than "\u" taken as they stand for.
    bool String() {
        text.clear();
        ++at;
        while (true) {
            const char* run = at;
            const char* p = at;
            // Eight bytes at a time while none of them needs a closer look, then byte by byte.
            while (end - p >= 8 && !NeedsLook(p)) {
                p += 8;
            }
            while (p != end && plainBytes[static_cast<unsigned char>(*p)]) {
                ++p;
            }
            at = p;
            text.append(run, static_cast<std::size_t>(at - run));
            if (at == end) {
                return false;
            }
            auto byte = static_cast<unsigned char>(*at);
            if (byte == '"') {
                ++at;
                return true;
            }
            if (byte == '\\') {
                if (end - at < 2) {
                    return false;
                }
                char escaped = Escaped(at[1]);
                if (escaped == 0) {
                    return false;
                }
                text += escaped;
                at += 2;
            } else if (byte >= 0x80) {
                std::size_t length = Utf8Length(at);
                if (length == 0) {
                    return false;
                }
                text.append(at, length);
                at += length;
            } else {
                return false; // a control character
            }
        }
    }

    // Whether any of the eight bytes at from is not plain: a control character, '"', '\\' or a
    // byte beyond ASCII. Bit tricks on a whole word: "less than n" sets a byte's top bit for
    // every byte below n, and equality is a zero byte after an exclusive or.
    static bool NeedsLook(const char* from) {
        constexpr std::uint64_t ones = 0x0101010101010101u;
        constexpr std::uint64_t highs = 0x8080808080808080u;
        std::uint64_t word = 0;
        std::memcpy(&word, from, sizeof word);
        auto below = [](std::uint64_t x, std::uint64_t n) { return (x - ones * n) & ~x & highs; };
        return ((word & highs) | below(word, 0x20) | below(word ^ (ones * '"'), 1) |
                below(word ^ (ones * '\\'), 1)) != 0;
    }

    // The bytes a string holds as they are: ASCII other than control characters, '"' and '\'.
    static constexpr std::array<bool, 256> plainBytes = [] {
        std::array<bool, 256> plain{};
        for (int byte = 0x20; byte < 0x80; ++byte) {
            plain[static_cast<std::size_t>(byte)] = byte != '"' && byte != '\\';
        }
        return plain;
    }();

    static char Escaped(char c) {
        switch (c) {
        case '"':
        case '\\':
        case '/':
            return c;
        case 'b':
            return '\b';
        case 'f':
            return '\f';
        case 'n':
            return '\n';
        case 'r':
            return '\r';
        case 't':
            return '\t';
        default:
            return 0;
        }
    }

    // The length of the well-formed UTF-8 character at `from` (no overlong forms, no
    // surrogates, nothing beyond U+10FFFF), or 0.
    std::size_t Utf8Length(const char* from) const {
        auto byte = [&](std::size_t i) {
            return from + i < end ? static_cast<unsigned char>(from[i]) : 0u;
        };
        auto continues = [&](std::size_t i, unsigned low = 0x80, unsigned high = 0xBF) {
            return byte(i) >= low && byte(i) <= high;
        };
        unsigned lead = byte(0);
        if (lead >= 0xC2 && lead <= 0xDF) {
            return continues(1) ? 2 : 0;
        }
        if (lead >= 0xE0 && lead <= 0xEF) {
            bool second = lead == 0xE0   ? continues(1, 0xA0)
                          : lead == 0xED ? continues(1, 0x80, 0x9F)
                                         : continues(1);
            return second && continues(2) ? 3 : 0;
        }
        if (lead >= 0xF0 && lead <= 0xF4) {
            bool second = lead == 0xF0   ? continues(1, 0x90)
                          : lead == 0xF4 ? continues(1, 0x80, 0x8F)
                                         : continues(1);
            return second && continues(2) && continues(3) ? 4 : 0;
        }
        return 0;
    }

    const char* at;
    const char* end;
    BookBuilder& builder;
    std::string text;
};

// The line of the last byte read before offset that is not white space.
std::size_t LineAt(std::string_view bytes, std::size_t offset) {
    offset = std::min(offset, bytes.size());
    while (offset > 0 &&
           std::string_view(" \t\r\n").find(bytes[offset - 1]) != std::string_view::npos) {
        --offset;
    }
    return 1 + static_cast<std::size_t>(std::count(bytes.begin(), bytes.begin() + offset, '\n'));
}

// Writes JSON text by hand, as two-space indented lines, so that a large book is written
// without first building a tree of it.
class JsonWriter {
public:
    explicit JsonWriter(const ChunkSink& sink) : sink(sink) { out.reserve(chunkBytes + 4096); }

    std::string out;
    bool failed = false;

    // Hands what was collected to the sink once it is large enough, or always with force.
    void Flush(bool force = false) {
        if ((out.size() >= chunkBytes || force) && !failed) {
            failed = !sink(out);
            out.clear();
        }
    }

    // Opens an object or array; an object on one line keeps its members on that line.
    void Open(std::string_view name, char bracket, bool oneLine = false) {
        Member(name);
        out += bracket;
        ++depth;
        first = true;
        inLine = oneLine;
    }
    void Close(char bracket) {
        --depth;
        if (!first && !inLine) {
            NewLine();
        }
        inLine = false;
        out += bracket;
        first = false;
    }
    void String(std::string_view name, std::string_view value) {
        if (!value.empty()) {
            Member(name);
            if (IsPlain(value)) {
                // Nothing to escape: the common case, written without a detour.
                out += '"';
                out += value;
                out += '"';
            } else {
                out += Json(value).dump(-1, ' ', false, Json::error_handler_t::replace);
            }
        }
    }
    void Number(std::string_view name, long long value) {
        if (value != 0) {
            Member(name);
            out += std::to_string(value);
        }
    }
    // A value of an enumeration, by its name, which needs no escaping.
    void Enum(std::string_view name, std::string_view value) {
        Member(name);
        out += '"';
        out += value;
        out += '"';
    }
    void Raw(std::string_view name, std::string_view value) {
        Member(name);
        out += value;
    }
    // Writes an item on a line of its own, as Open, String, Enum, Number, Raw and Close would,
    // in one piece; false, writing nothing, when a text needs escaping.
    bool PlainItem(std::string_view prompt, std::string_view expectation, std::string_view type,
                   int indent, bool centered) {
        if (!IsPlain(prompt) || !IsPlain(expectation) || indent < 0 || indent > 9) {
            return false;
        }
        Member({});
        constexpr std::string_view promptKey = "\"prompt\": \"";
        constexpr std::string_view expectationKey = "\"expectation\": \"";
        constexpr std::string_view typeKey = "\"type\": \"";
        constexpr std::string_view indentKey = ", \"indent\": ";
        constexpr std::string_view centeredMember = ", \"centered\": true";
        std::size_t start = out.size();
        out.resize(start + 8 + promptKey.size() + prompt.size() + expectationKey.size() +
                   expectation.size() + typeKey.size() + type.size() + indentKey.size() + 1 +
                   centeredMember.size());
        char* at = out.data() + start;
        auto put = [&at](std::string_view piece) {
            if (!piece.empty()) { // an empty view may hold no pointer, which memcpy refuses
                std::memcpy(at, piece.data(), piece.size());
                at += piece.size();
            }
        };
        put("{");
        std::string_view separator;
        if (!prompt.empty()) {
            put(promptKey);
            put(prompt);
            put("\"");
            separator = ", ";
        }
        if (!expectation.empty()) {
            put(separator);
            put(expectationKey);
            put(expectation);
            put("\"");
            separator = ", ";
        }
        put(separator);
        put(typeKey);
        put(type);
        put("\"");
        if (indent != 0) {
            put(indentKey);
            *at++ = static_cast<char>('0' + indent);
        }
        if (centered) {
            put(centeredMember);
        }
        put("}");
        out.resize(static_cast<std::size_t>(at - out.data()));
        return true;
    }

private:
    // Whether text needs no escaping; looks at every byte without stopping early, which lets
    // the compiler test many at a time.
    static bool IsPlain(std::string_view text) {
        unsigned char special = 0;
        for (char c : text) {
            auto byte = static_cast<unsigned char>(c);
            special |= static_cast<unsigned char>((byte == '"') | (byte == '\\') | (byte < 0x20));
        }
        return special == 0;
    }

    void NewLine() {
        // A line feed and the indentation in one piece where the depth allows.
        static constexpr std::string_view lineStart =
            "\n                                                                ";
        auto spaces = static_cast<std::size_t>(depth) * 2;
        if (spaces < lineStart.size()) {
            out.append(lineStart.data(), spaces + 1);
        } else {
            out += '\n';
            out.append(spaces, ' ');
        }
    }
    void Member(std::string_view name) {
        if (depth > 0) {
            if (inLine) {
                if (!first) {
                    out.append(", ", 2);
                }
            } else {
                if (!first) {
                    out += ',';
                }
                NewLine();
            }
        }
        first = false;
        if (!name.empty()) {
            out += '"';
            out.append(name.data(), name.size());
            out.append("\": ", 3);
        }
    }

    const ChunkSink& sink;
    int depth = 0;
    bool first = true;
    bool inLine = false;
};

} // namespace

std::optional<ReadError> ReadEfisJson(std::string_view bytes, Book& book, Warnings& warnings) {
    book.carriesMetadata = true;
    if (book == Book{}) {
        // The common file first, read quickly; its warnings count only if it is read to the end.
        Warnings quickWarnings;
        BookBuilder quick(book, quickWarnings);
        if (CommonJsonReader(bytes, quick).Read()) {
            for (std::string& line : quickWarnings.lines) {
                warnings.Add(std::move(line));
            }
            warnings.notShown += quickWarnings.notShown;
            return std::nullopt;
        }
        book = Book{};
        book.carriesMetadata = true;
    }
    BookBuilder builder(book, warnings);
    const char* furthest = bytes.data();
    TrackingIterator begin(bytes.data(), &furthest);
    TrackingIterator end(bytes.data() + bytes.size(), &furthest);
    bool ok = Json::sax_parse(begin, end, &builder);
    if (!ok) {
        std::size_t line = builder.syntaxError
                               ? std::max<std::size_t>(builder.syntaxLine, 1)
                               : LineAt(bytes, static_cast<std::size_t>(furthest - bytes.data()));
        return ReadError{line, builder.failure};
    }
    return std::nullopt;
}

bool WriteEfisJson(const Book& book, const ChunkSink& sink) {
    JsonWriter json(sink);
    json.Open({}, '{');
    const Metadata& m = book.metadata;
    json.Open("metadata", '{');
    json.String("name", m.name);
    json.Number("defaultGroupIndex", m.defaultGroup);
    json.Number("defaultChecklistIndex", m.defaultChecklist);
    json.String("makeAndModel", m.makeAndModel);
    json.String("aircraftInfo", m.aircraft);
    json.String("manufacturerInfo", m.manufacturer);
    json.String("copyrightInfo", m.copyright);
    json.Number("modifiedTime", m.modifiedTime);
    json.Close('}');
    std::vector<Group> groups = GroupLists(book.lists);
    if (!groups.empty()) {
        json.Open("groups", '[');
        for (const Group& group : groups) {
            json.Open({}, '{');
            json.String("title", group.title);
            json.Open("checklists", '[');
            for (const auto& [title, list] : group.lists) {
                json.Open({}, '{');
                json.String("title", title);
                if (!list->items.empty()) {
                    json.Open("items", '[');
                    for (const Item& item : list->items) {
                        // An item to a line, so that long files stay of a size to handle.
                        auto kind = std::find_if(
                            kindNames.begin(), kindNames.end(),
                            [&item](const KindName& k) { return k.kind == item.kind; });
                        std::string_view expectation = item.kind == ItemKind::ChallengeResponse
                                                           ? item.expectation
                                                           : std::string_view();
                        if (!json.PlainItem(item.prompt, expectation, kind->name, item.indent,
                                            item.centered)) {
                            json.Open({}, '{', true);
                            json.String("prompt", item.prompt);
                            json.String("expectation", expectation);
                            json.Enum("type", kind->name);
                            json.Number("indent", item.indent);
                            if (item.centered) {
                                json.Raw("centered", "true");
                            }
                            json.Close('}');
                        }
                        json.Flush();
                    }
                    json.Close(']');
                }
                json.Close('}');
            }
            json.Close(']');
            json.Close('}');
        }
        json.Close(']');
    }
    json.Close('}');
    json.out += '\n';
    json.Flush(true);
    return !json.failed;
}

std::string WriteEfisJson(const Book& book) {
    std::string all;
    WriteEfisJson(book, [&all](std::string_view chunk) {
        all += chunk;
        return true;
    });
    return all;
}

} // namespace convert
