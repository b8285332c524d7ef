#include "EfisJsonFormat.h"

#include "LineRules.h"

#include "CklConventions.h"
#include "JsonRoom.h"
#include "JsonText.h"

#include <nlohmann/json.hpp>
#include <simdjson.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

namespace convert {
namespace {

using Json = nlohmann::json;
namespace dom = simdjson::dom;

// --- the names of the message's fields and values: the reader and the writer use only these ---

// The messages of the file, each an object of its own fields.
enum class Message { File, Metadata, Group, Checklist, Item };

// Every field, in the order of the table below.
enum class Field {
    Metadata,
    Groups,
    Name,
    DefaultGroupIndex,
    DefaultChecklistIndex,
    MakeAndModel,
    AircraftInfo,
    ManufacturerInfo,
    CopyrightInfo,
    ModifiedTime,
    Checklists,
    Title,
    Items,
    Prompt,
    Expectation,
    Type,
    Indent,
    Centered,
};

// What a field holds; the words say so in a message.
enum class Holds { Object, Array, String, WholeNumber, ItemType, Truth };

constexpr std::string_view Words(Holds holds) {
    constexpr std::array<std::string_view, 6> words = {
        "an object", "an array", "a string", "a whole number", "an item type", "true or false"};
    return words[static_cast<std::size_t>(holds)];
}

struct FieldName {
    Field field;
    std::string_view name; // in lowerCamelCase
    Holds holds;
};

constexpr std::array<FieldName, 18> fieldNames = {{
    {Field::Metadata, "metadata", Holds::Object},
    {Field::Groups, "groups", Holds::Array},
    {Field::Name, "name", Holds::String},
    {Field::DefaultGroupIndex, "defaultGroupIndex", Holds::WholeNumber},
    {Field::DefaultChecklistIndex, "defaultChecklistIndex", Holds::WholeNumber},
    {Field::MakeAndModel, "makeAndModel", Holds::String},
    {Field::AircraftInfo, "aircraftInfo", Holds::String},
    {Field::ManufacturerInfo, "manufacturerInfo", Holds::String},
    {Field::CopyrightInfo, "copyrightInfo", Holds::String},
    {Field::ModifiedTime, "modifiedTime", Holds::WholeNumber},
    {Field::Checklists, "checklists", Holds::Array},
    {Field::Title, "title", Holds::String},
    {Field::Items, "items", Holds::Array},
    {Field::Prompt, "prompt", Holds::String},
    {Field::Expectation, "expectation", Holds::String},
    {Field::Type, "type", Holds::ItemType},
    {Field::Indent, "indent", Holds::WholeNumber},
    {Field::Centered, "centered", Holds::Truth},
}};

constexpr bool FieldsInOrder() {
    for (std::size_t i = 0; i < fieldNames.size(); ++i) {
        if (static_cast<std::size_t>(fieldNames[i].field) != i) {
            return false;
        }
    }
    return true;
}
static_assert(FieldsInOrder(), "the table is indexed by Field");

// The fields of each message, a run of the table: a group and a checklist share "title".
struct FieldRun {
    Field first;
    Field last;
};
constexpr std::array<FieldRun, 5> messageFields = {{
    {Field::Metadata, Field::Groups},
    {Field::Name, Field::ModifiedTime},
    {Field::Checklists, Field::Title},
    {Field::Title, Field::Items},
    {Field::Prompt, Field::Centered},
}};

constexpr std::string_view NameOf(Field field) {
    return fieldNames[static_cast<std::size_t>(field)].name;
}

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

// Whether key names the field written camel in lowerCamelCase, or in the message definition's
// snake_case (makeAndModel, make_and_model).
constexpr bool IsNamed(std::string_view key, std::string_view camel) {
    if (key == camel) {
        return true;
    }
    std::size_t at = 0;
    for (char c : camel) {
        if (c >= 'A' && c <= 'Z') {
            if (key.size() < at + 2 || key[at] != '_' || key[at + 1] != c - 'A' + 'a') {
                return false;
            }
            at += 2;
        } else {
            if (at == key.size() || key[at] != c) {
                return false;
            }
            ++at;
        }
    }
    return at == key.size();
}
static_assert(IsNamed("make_and_model", "makeAndModel") &&
              !IsNamed("make_andModel", "makeAndModel"));

// The field of message that key names, or null for a field this reader does not know.
const FieldName* FindField(Message message, std::string_view key) {
    FieldRun run = messageFields[static_cast<std::size_t>(message)];
    for (auto i = static_cast<std::size_t>(run.first); i <= static_cast<std::size_t>(run.last);
         ++i) {
        if (IsNamed(key, fieldNames[i].name)) {
            return &fieldNames[i];
        }
    }
    return nullptr;
}

// --- positions in the text ---

// Where a byte sits: its line from 1 and its column from 1, counted in characters.
struct Place {
    std::size_t line = 1;
    std::size_t column = 1;
};

Place PlaceOf(std::string_view text, std::size_t offset) {
    std::string_view before = text.substr(0, std::min(offset, text.size()));
    std::size_t lineStart = before.rfind('\n');
    lineStart = lineStart == std::string_view::npos ? 0 : lineStart + 1;
    return {1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n')),
            1 + CharacterCount(before.substr(lineStart))};
}

// The offset just after the last byte before offset that is not white space.
std::size_t AfterLastNonBlank(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    while (offset > 0 &&
           std::string_view(" \t\r\n").find(text[offset - 1]) != std::string_view::npos) {
        --offset;
    }
    return offset;
}

// Which value of the document: the index of each member or element on the way down to it.
using ValuePath = std::vector<std::size_t>;

// An input iterator over the bytes that remembers how far the parser has read, so that a value
// can be given its place.
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

// Reads the text again with nlohmann's parser, which tells where it stops: at the first fault of
// the JSON, or at a value sought by its path. Optionally writes what it reads as plain JSON, for
// JSON that simdjson does not take as it stands.
class Retrace : public nlohmann::json_sax<Json> {
public:
    // Reads text to its end, or to the value at sought (to where that value ends, with atEnd).
    Retrace(std::string_view text, const ValuePath* sought = nullptr, bool atEnd = false,
            std::string* restated = nullptr)
        : sought(sought), atEnd(atEnd), restated(restated), furthest(text.data()) {
        TrackingIterator begin(text.data(), &furthest);
        TrackingIterator end(text.data() + text.size(), &furthest);
        Json::sax_parse(begin, end, this);
        readTo = static_cast<std::size_t>(furthest - text.data());
    }

    bool faulted = false;
    std::size_t faultOffset = 0; // the byte the parser stopped at, or the text's size at its end
    std::string faultWords;
    std::size_t readTo = 0; // how far the parser had read when it stopped

    bool null() override { return Scalar(nullptr); }
    bool boolean(bool value) override { return Scalar(value); }
    bool number_integer(number_integer_t value) override { return Scalar(value); }
    bool number_unsigned(number_unsigned_t value) override { return Scalar(value); }
    bool number_float(number_float_t value, const string_t&) override {
        // Written back with a fraction or an exponent: simdjson holds it as the same double, where
        // it refuses an integer beyond 64 bits.
        return Scalar(value);
    }
    bool string(string_t& value) override { return Scalar(value); }
    bool binary(binary_t&) override { return false; }
    bool start_object(std::size_t) override { return Open('{'); }
    bool key(string_t& name) override {
        if (restated) {
            Separate();
            *restated += Json(name).dump();
            *restated += ':';
        }
        return true;
    }
    bool end_object() override { return Close('}'); }
    bool start_array(std::size_t) override { return Open('['); }
    bool end_array() override { return Close(']'); }
    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception& error) override {
        faulted = true;
        // The parser counts the byte it stopped at as read.
        faultOffset = position > 0 ? position - 1 : 0;
        faultWords = Described(error.what());
        return false;
    }

private:
    // The parser's words without their place, which the caller gives, and without the bytes it
    // last read, which may be anything: "[json.exception.parse_error.101] parse error at line 3,
    // column 5: syntax error while parsing value - invalid literal; last read: 'x'; expected
    // end of input" gives "syntax error while parsing value - invalid literal; expected end of
    // input".
    static std::string Described(std::string what) {
        std::size_t start = what.find("] ");
        start = start == std::string::npos ? 0 : start + 2;
        if (std::size_t place = what.find("parse error", start); place != std::string::npos) {
            std::size_t colon = what.find(": ", place);
            start = colon == std::string::npos ? start : colon + 2;
        }
        what.erase(0, start);
        constexpr std::string_view lastRead = "; last read: '";
        constexpr std::string_view expected = "'; expected ";
        if (std::size_t read = what.find(lastRead); read != std::string::npos) {
            std::size_t after = what.rfind(expected);
            what.erase(read, after != std::string::npos && after > read ? after + 1 - read
                                                                        : std::string::npos);
        }
        return what;
    }

    // A comma before a member or an element that is not the first of its object or array.
    void Separate() {
        if (!restated->empty() && restated->back() != '{' && restated->back() != '[' &&
            restated->back() != ':') {
            *restated += ',';
        }
    }

    bool IsSought() const {
        return sought && sought->size() == nextIndex.size() &&
               std::equal(sought->begin(), sought->end(), nextIndex.begin());
    }

    // A value begins; false stops the parser when it is the one sought.
    bool Begin() { return atEnd || !IsSought(); }
    // A value has ended; the next in the same object or array has the next index.
    bool End() {
        if (atEnd && IsSought()) {
            return false;
        }
        if (!nextIndex.empty()) {
            ++nextIndex.back();
        }
        return true;
    }

    // A value of any kind but an object or an array; nlohmann writes it as JSON.
    template <class Value> bool Scalar(const Value& value) {
        if (!Begin()) {
            return false;
        }
        if (restated) {
            Separate();
            *restated += Json(value).dump();
        }
        return End();
    }
    bool Open(char bracket) {
        if (!Begin()) {
            return false;
        }
        if (restated) {
            Separate();
            *restated += bracket;
        }
        nextIndex.push_back(0);
        return true;
    }
    bool Close(char bracket) {
        nextIndex.pop_back();
        if (restated) {
            *restated += bracket;
        }
        return End();
    }

    const ValuePath* sought;
    bool atEnd;
    std::string* restated;
    const char* furthest;
    ValuePath nextIndex; // of the next value in each object or array open
};

// Parses a copy of text, in room with the padding simdjson reads beyond its end.
simdjson::error_code Parse(dom::parser& parser, std::string_view text, dom::element& root) {
    JsonRoom room;
    if (!room.Make(text.size())) {
        return simdjson::MEMALLOC;
    }
    std::memcpy(room.Data(), text.data(), text.size());
    room.SetSize(text.size());
    return ParseJson(parser, room.Text(), root);
}

// --- reading ---

// A value other than an object or an array, as the fields take it: numbers that are whole and
// within 64 bits are integers, others fractions.
struct Scalar {
    enum class Is { Null, Bool, Integer, Fraction, String, Container } is = Is::Null;
    long long integer = 0;
    bool truth = false;
    std::string_view text;
};

Scalar ScalarOf(dom::element value) {
    Scalar scalar;
    using Is = Scalar::Is;
    switch (value.type()) {
    case dom::element_type::NULL_VALUE:
        scalar.is = Is::Null;
        break;
    case dom::element_type::BOOL:
        scalar.is = Is::Bool;
        scalar.truth = value.get_bool().value_unsafe();
        break;
    case dom::element_type::INT64:
        scalar.is = Is::Integer;
        scalar.integer = value.get_int64().value_unsafe();
        break;
    case dom::element_type::UINT64: {
        // Only beyond the signed range: as large as a whole number can be here.
        scalar.is = Is::Integer;
        scalar.integer = LLONG_MAX;
        break;
    }
    case dom::element_type::DOUBLE: {
        double number = value.get_double().value_unsafe();
        bool whole = number >= -9e18 && number <= 9e18 && number == std::trunc(number);
        scalar.is = whole ? Is::Integer : Is::Fraction;
        scalar.integer = whole ? static_cast<long long>(number) : 0;
        break;
    }
    case dom::element_type::STRING:
        scalar.is = Is::String;
        scalar.text = value.get_string().value_unsafe();
        break;
    case dom::element_type::ARRAY:
    case dom::element_type::OBJECT:
        scalar.is = Is::Container;
        break;
    }
    return scalar;
}

// Builds the book from the document, checking each field's value as it comes, in the order of
// the text, so that the first fault of the text is the one told. When it fails, failure says
// what is wrong and failedPath which value, its end with failedAtEnd.
class BookWalker {
public:
    BookWalker(Book& book, Warnings& warnings) : book(book), warnings(warnings) {}

    std::string failure;
    ValuePath failedPath;
    bool failedAtEnd = false;

    bool File(dom::element root) {
        if (root.type() != dom::element_type::OBJECT) {
            return Fail("the file must hold one JSON object");
        }
        return Members(root, Message::File, [this](const FieldName& field, dom::element value) {
            if (field.field == Field::Metadata) {
                return Holding(field, value) && (IsNull(value) || MetadataMembers(value));
            }
            return Holding(field, value) &&
                   (IsNull(value) ||
                    Elements(value, field, [this](dom::element group) { return Group(group); }));
        });
    }

private:
    using Is = Scalar::Is;

    bool Fail(std::string what, bool atEnd = false) {
        failure = std::move(what);
        failedPath.assign(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(depth));
        failedAtEnd = atEnd;
        return false;
    }
    bool FailHolding(const FieldName& field) {
        return Fail("\"" + std::string(key) + "\" must be " + std::string(Words(field.holds)));
    }

    static bool IsNull(dom::element value) { return value.type() == dom::element_type::NULL_VALUE; }

    // Whether the value of a field that holds an object or an array is one, or null; fails if not.
    bool Holding(const FieldName& field, dom::element value) {
        dom::element_type wanted =
            field.holds == Holds::Object ? dom::element_type::OBJECT : dom::element_type::ARRAY;
        return value.type() == wanted || IsNull(value) || FailHolding(field);
    }

    // Hands each member of object that message knows to take, with its value, in order; the
    // members it does not know are skipped whatever they hold.
    template <class Take> bool Members(dom::element object, Message message, Take take) {
        std::size_t index = 0;
        dom::object fields = object.get_object().value_unsafe();
        for (dom::key_value_pair member : fields) {
            Enter(index++);
            const FieldName* field = FindField(message, member.key);
            key = member.key;
            bool ok = field == nullptr || take(*field, member.value);
            --depth;
            if (!ok) {
                return false;
            }
        }
        return true;
    }

    // Hands each object of the array that field holds to take; null elements are skipped.
    template <class Take> bool Elements(dom::element array, const FieldName& field, Take take) {
        std::size_t index = 0;
        dom::array elements = array.get_array().value_unsafe();
        for (dom::element element : elements) {
            Enter(index++);
            bool ok =
                element.type() == dom::element_type::OBJECT ? take(element)
                : IsNull(element)
                    ? true
                    : Fail("an element of \"" + std::string(field.name) + "\" must be an object");
            --depth;
            if (!ok) {
                return false;
            }
        }
        return true;
    }

    void Enter(std::size_t index) {
        if (depth == path.size()) {
            path.push_back(index);
        } else {
            path[depth] = index;
        }
        ++depth;
    }

    // A string field; null leaves it empty.
    bool TakeString(const FieldName& field, dom::element value, std::string_view& target) {
        Scalar scalar = ScalarOf(value);
        if (scalar.is != Is::String) {
            target = {};
            return scalar.is == Is::Null || FailHolding(field);
        }
        target = scalar.text;
        return true;
    }
    bool TakeString(const FieldName& field, dom::element value, std::string& target) {
        std::string_view text;
        bool ok = TakeString(field, value, text);
        target.assign(text);
        return ok;
    }

    // Whole numbers come as numbers or, as the JSON form of the messages allows, as strings;
    // null is 0.
    bool TakeNumber(const FieldName& field, dom::element value, long long low, long long high,
                    long long& target) {
        Scalar scalar = ScalarOf(value);
        target = 0;
        if (scalar.is == Is::Null) {
            return true;
        }
        if (scalar.is == Is::String) {
            std::string digits(scalar.text); // strtoll reads to the first NUL, as it always has
            char* end = nullptr;
            errno = 0;
            scalar.integer = std::strtoll(digits.c_str(), &end, 10);
            if (digits.empty() || *end != '\0' || errno != 0) {
                return FailHolding(field);
            }
        } else if (scalar.is != Is::Integer) {
            return FailHolding(field);
        }
        if (scalar.integer < low || scalar.integer > high) {
            return Fail("\"" + std::string(key) + "\" is " + std::to_string(scalar.integer) +
                        ", outside " + std::to_string(low) + " to " + std::to_string(high));
        }
        target = scalar.integer;
        return true;
    }
    bool TakeInt(const FieldName& field, dom::element value, long long low, long long high,
                 int& target) {
        long long number = 0;
        bool ok = TakeNumber(field, value, low, high, number);
        target = static_cast<int>(number);
        return ok;
    }

    bool MetadataMembers(dom::element metadata) {
        Metadata& m = book.metadata;
        return Members(metadata, Message::Metadata,
                       [&](const FieldName& field, dom::element value) {
                           switch (field.field) {
                           case Field::Name:
                               return TakeString(field, value, m.name);
                           case Field::MakeAndModel:
                               return TakeString(field, value, m.makeAndModel);
                           case Field::AircraftInfo:
                               return TakeString(field, value, m.aircraft);
                           case Field::ManufacturerInfo:
                               return TakeString(field, value, m.manufacturer);
                           case Field::CopyrightInfo:
                               return TakeString(field, value, m.copyright);
                           case Field::DefaultGroupIndex:
                               return TakeInt(field, value, 0, INT_MAX, m.defaultGroup);
                           case Field::DefaultChecklistIndex:
                               return TakeInt(field, value, 0, INT_MAX, m.defaultChecklist);
                           default: {
                               long long time = 0;
                               bool ok = TakeNumber(field, value, INT_MIN, INT_MAX, time);
                               m.modifiedTime = time;
                               return ok;
                           }
                           }
                       });
    }

    // A group's checklists become lists named after the group, once its title is known.
    bool Group(dom::element group) {
        std::string_view groupTitle;
        groupLists.clear();
        bool ok = Members(group, Message::Group, [&](const FieldName& field, dom::element value) {
            if (field.field == Field::Title) {
                return TakeString(field, value, groupTitle);
            }
            return Holding(field, value) &&
                   (IsNull(value) || Elements(value, field, [this](dom::element checklist) {
                        return Checklist(checklist);
                    }));
        });
        if (!ok) {
            return false;
        }
        if (groupLists.empty()) {
            warnings.Add("the group " + LineRules::QuotedForDisplay(groupTitle) +
                         " holds no checklist and is left out");
        }
        for (auto& [title, items] : groupLists) {
            BookList& list = book.lists.emplace_back();
            list.name = book.Keep(GroupedName(groupTitle, title, groupLists.size()));
            list.items = std::move(items);
        }
        return true;
    }

    bool Checklist(dom::element checklist) {
        auto& list = groupLists.emplace_back();
        std::string_view& title = list.first;
        std::vector<Item>& items = list.second;
        return Members(checklist, Message::Checklist,
                       [&](const FieldName& field, dom::element value) {
                           if (field.field == Field::Title) {
                               return TakeString(field, value, title);
                           }
                           if (!Holding(field, value) || IsNull(value)) {
                               return IsNull(value);
                           }
                           if (items.empty()) {
                               items.reserve(value.get_array().value_unsafe().size());
                           }
                           return Elements(value, field, [&](dom::element item) {
                               return ItemOf(item, items.emplace_back());
                           });
                       });
    }

    bool ItemOf(dom::element object, Item& item) {
        bool typed = false;
        bool ok = Members(object, Message::Item, [&](const FieldName& field, dom::element value) {
            switch (field.field) {
            case Field::Prompt:
            case Field::Expectation: {
                std::string_view& target =
                    field.field == Field::Prompt ? item.prompt : item.expectation;
                bool taken = TakeString(field, value, target);
                target = book.Keep(target);
                return taken;
            }
            case Field::Indent:
                return TakeInt(field, value, 0, maxIndent, item.indent);
            case Field::Centered: {
                Scalar scalar = ScalarOf(value);
                item.centered = scalar.is == Is::Bool && scalar.truth;
                return scalar.is == Is::Bool || scalar.is == Is::Null || FailHolding(field);
            }
            default:
                return TakeType(field, value, item, typed);
            }
        });
        return ok && (typed || Fail("an item without a \"type\"", true));
    }

    // The type by its name or, as the JSON form of the messages allows, by its number.
    bool TakeType(const FieldName& field, dom::element value, Item& item, bool& typed) {
        Scalar scalar = ScalarOf(value);
        if (scalar.is == Is::Container) {
            return FailHolding(field);
        }
        auto known = std::find_if(kindNames.begin(), kindNames.end(), [&](const KindName& k) {
            return scalar.is == Is::String ? k.name == scalar.text
                                           : scalar.is == Is::Integer && k.number == scalar.integer;
        });
        if (known == kindNames.end()) {
            return Fail(scalar.is == Is::String
                            ? "unknown item type \"" + std::string(scalar.text) + "\""
                            : "\"" + std::string(key) + "\" must be " +
                                  std::string(Words(field.holds)) + " such as \"" +
                                  std::string(kindNames.front().name) + "\"");
        }
        item.kind = known->kind;
        typed = true;
        return true;
    }

    Book& book;
    Warnings& warnings;
    std::string_view key; // of the member being taken
    ValuePath path;       // to the value being taken, as far as depth
    std::size_t depth = 0;
    // The checklists of the group being read, titled, until the group's title is known.
    std::vector<std::pair<std::string_view, std::vector<Item>>> groupLists;
};

// --- writing ---

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

    // Opens an object or array, as a field's value or as an element.
    void Open(char bracket) {
        Member();
        out += bracket;
        ++depth;
        first = true;
    }
    void Open(Field field, char bracket) {
        Member();
        Key(field);
        out += bracket;
        ++depth;
        first = true;
    }
    void Close(char bracket) {
        --depth;
        if (!first) {
            NewLine();
        }
        out += bracket;
        first = false;
    }
    // A field left out at its default value, as the messages' JSON form does.
    void String(Field field, std::string_view value) {
        if (!value.empty()) {
            Member();
            Key(field);
            Text(value);
        }
    }
    void Number(Field field, long long value) {
        if (value != 0) {
            Member();
            Key(field);
            Digits(value);
        }
    }
    // An item on a line of its own, so that long files stay of a size to handle; written
    // straight into room made for it once, as a million items want.
    void ItemLine(const Item& item) {
        Member();
        std::string escapedPrompt;
        std::string escapedExpectation;
        std::string_view prompt = JsonEscaped(item.prompt, escapedPrompt);
        std::string_view expectation = item.kind == ItemKind::ChallengeResponse
                                           ? JsonEscaped(item.expectation, escapedExpectation)
                                           : std::string_view();
        std::string_view type =
            std::find_if(kindNames.begin(), kindNames.end(), [&item](const KindName& k) {
                return k.kind == item.kind;
            })->name;
        // Room for the texts and at most every field's name, punctuation, type and number.
        std::size_t start = out.size();
        out.resize(start + prompt.size() + expectation.size() + 160);
        char* at = out.data() + start;
        auto put = [&at](std::string_view piece) {
            if (!piece.empty()) { // an empty view may hold no pointer, which memcpy refuses
                std::memcpy(at, piece.data(), piece.size());
                at += piece.size();
            }
        };
        const char* first = at + 1;
        auto member = [&](Field field, std::string_view value, std::string_view quote) {
            put(at == first ? "\"" : ", \"");
            put(NameOf(field));
            put("\": ");
            put(quote);
            put(value);
            put(quote);
        };
        put("{");
        if (!prompt.empty()) {
            member(Field::Prompt, prompt, "\"");
        }
        if (!expectation.empty()) {
            member(Field::Expectation, expectation, "\"");
        }
        member(Field::Type, type, "\"");
        if (item.indent != 0) {
            char digits[24];
            auto [end, error] = std::to_chars(std::begin(digits), std::end(digits), item.indent);
            member(Field::Indent, std::string_view(digits, static_cast<std::size_t>(end - digits)),
                   {});
        }
        if (item.centered) {
            member(Field::Centered, "true", {});
        }
        put("}");
        out.resize(static_cast<std::size_t>(at - out.data()));
    }

private:
    void Text(std::string_view text) { AppendJsonString(out, text); }
    void Digits(long long value) {
        char digits[24];
        auto [end, error] = std::to_chars(std::begin(digits), std::end(digits), value);
        out.append(digits, end);
    }
    void Key(Field field) {
        out += '"';
        out += NameOf(field);
        out.append("\": ", 3);
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
    // Starts a member or an element on a line of its own, after a comma unless it is the first.
    void Member() {
        if (depth > 0) {
            if (!first) {
                out += ',';
            }
            NewLine();
        }
        first = false;
    }

    const ChunkSink& sink;
    int depth = 0;
    bool first = true;
};

} // namespace

std::optional<ReadError> ReadEfisJson(std::string_view bytes, Book& book, Warnings& warnings) {
    book.carriesMetadata = true;
    std::string_view text = bytes;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3); // a byte-order mark, which some editors write
    }
    dom::parser parser;
    dom::element root;
    std::string restated;
    if (Parse(parser, text, root)) {
        Retrace retrace(text);
        if (retrace.faulted) {
            std::size_t offset = retrace.faultOffset;
            if (offset >= text.size()) {
                // The text ended too soon: the place is where it ended, blanks aside.
                offset = AfterLastNonBlank(text, text.size());
            }
            Place place = PlaceOf(text, offset);
            return ReadError{place.line, "not valid JSON: " + retrace.faultWords, place.column};
        }
        // JSON all the same that simdjson does not take as it stands: an integer beyond 64 bits,
        // a NUL byte, which ends the text. Read as nlohmann reads it, written plainly.
        Retrace plain(text, nullptr, false, &restated);
        if (simdjson::error_code error = Parse(parser, restated, root)) {
            return ReadError{1, "cannot be read: " + std::string(simdjson::error_message(error))};
        }
    }
    BookWalker walker(book, warnings);
    if (!walker.File(root)) {
        Retrace retrace(text, &walker.failedPath, walker.failedAtEnd);
        return ReadError{PlaceOf(text, AfterLastNonBlank(text, retrace.readTo)).line,
                         walker.failure};
    }
    return std::nullopt;
}

bool WriteEfisJson(const Book& book, const ChunkSink& sink) {
    JsonWriter json(sink);
    json.Open('{');
    const Metadata& m = book.metadata;
    json.Open(Field::Metadata, '{');
    json.String(Field::Name, m.name);
    json.Number(Field::DefaultGroupIndex, m.defaultGroup);
    json.Number(Field::DefaultChecklistIndex, m.defaultChecklist);
    json.String(Field::MakeAndModel, m.makeAndModel);
    json.String(Field::AircraftInfo, m.aircraft);
    json.String(Field::ManufacturerInfo, m.manufacturer);
    json.String(Field::CopyrightInfo, m.copyright);
    json.Number(Field::ModifiedTime, m.modifiedTime);
    json.Close('}');
    std::vector<Group> groups = GroupLists(book.lists);
    if (!groups.empty()) {
        json.Open(Field::Groups, '[');
        for (const Group& group : groups) {
            json.Open('{');
            json.String(Field::Title, group.title);
            json.Open(Field::Checklists, '[');
            for (const auto& [title, list] : group.lists) {
                json.Open('{');
                json.String(Field::Title, title);
                if (!list->items.empty()) {
                    json.Open(Field::Items, '[');
                    for (const Item& item : list->items) {
                        json.ItemLine(item);
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
