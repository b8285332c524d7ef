#include "ForeFlightFormat.h"

#include "CklConventions.h"
#include "ItemRules.h"
#include "JsonRoom.h"
#include "JsonText.h"
#include "LineRules.h"

#include <openssl/evp.h>
#include <openssl/rand.h>
#include <simdjson.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

namespace convert {
namespace {

namespace dom = simdjson::dom;
using LineRules::QuotedForDisplay;

// --- the cipher ---

// Every copy of ForeFlight encrypts its checklist files under this one key.
constexpr std::string_view foreFlightKey = "81e06e41a93f3848";
// AES's block, which is also the size of the IV in front of the ciphertext.
constexpr std::size_t blockBytes = 16;
// OpenSSL counts bytes in an int: larger texts go through it in pieces of whole blocks.
constexpr std::size_t cipherPieceBytes = std::size_t(1) << 30;

const unsigned char* Bytes(const char* text) {
    return reinterpret_cast<const unsigned char*>(text);
}
unsigned char* Bytes(char* text) {
    return reinterpret_cast<unsigned char*>(text);
}

struct FreeCipher {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, FreeCipher>;

// Decrypts the ciphertext after the IV into plain; what is wrong when it cannot.
std::optional<std::string> Decrypt(std::string_view bytes, JsonRoom& plain) {
    constexpr std::string_view notForeFlight = "not a ForeFlight file: ";
    if (bytes.size() < 2 * blockBytes) {
        return std::string(notForeFlight) + "the file is shorter than an IV and one AES block";
    }
    std::string_view cipher = bytes.substr(blockBytes);
    if (cipher.size() % blockBytes != 0) {
        return std::string(notForeFlight) +
               "the file does not end on a whole AES block (is it cut short?)";
    }
    CipherContext context(EVP_CIPHER_CTX_new());
    if (!context || EVP_DecryptInit_ex(context.get(), EVP_aes_128_cbc(), nullptr,
                                       Bytes(foreFlightKey.data()), Bytes(bytes.data())) != 1) {
        return std::string("the file cannot be decrypted: OpenSSL fails to start AES");
    }
    // The last block waits in OpenSSL for its padding, so the pieces need one block of room more.
    if (!plain.Make(cipher.size() + blockBytes)) {
        return std::string("the file is too large to decrypt in memory");
    }
    unsigned char* out = Bytes(plain.Data());
    std::size_t written = 0;
    for (std::size_t at = 0; at < cipher.size(); at += cipherPieceBytes) {
        int length = 0;
        auto piece = static_cast<int>(std::min(cipherPieceBytes, cipher.size() - at));
        if (EVP_DecryptUpdate(context.get(), out + written, &length, Bytes(cipher.data() + at),
                              piece) != 1) {
            return std::string("the file cannot be decrypted: OpenSSL fails in AES");
        }
        written += static_cast<std::size_t>(length);
    }
    int length = 0;
    if (EVP_DecryptFinal_ex(context.get(), out + written, &length) != 1) {
        return std::string(notForeFlight) +
               "it does not decrypt under ForeFlight's key (a wrong key or padding)";
    }
    written += static_cast<std::size_t>(length);
    plain.SetSize(written);
    return std::nullopt;
}

// --- the members of the JSON: the reader and the writer use only these ---

constexpr std::string_view typeMember = "type";
constexpr std::string_view payloadMember = "payload";
constexpr std::string_view objectIdMember = "objectId";
constexpr std::string_view schemaVersionMember = "schemaVersion";
constexpr std::string_view metadataMember = "metadata";
constexpr std::string_view nameMember = "name";
constexpr std::string_view detailMember = "detail";
constexpr std::string_view tailNumberMember = "tailNumber";
constexpr std::string_view groupsMember = "groups";
constexpr std::string_view groupTypeMember = "groupType";
constexpr std::string_view itemsMember = "items";
constexpr std::string_view titleMember = "title";
constexpr std::string_view noteMember = "note";

constexpr std::string_view checklistType = "checklist"; // of the whole file
constexpr std::string_view commentType = "comment";     // of an item that is not ticked off
constexpr std::string_view schemaVersion = "1.0";

// The group types, in the order the groups are written.
constexpr std::array<std::pair<Category, std::string_view>, 3> groupTypes = {{
    {Category::Normal, "normal"},
    {Category::Abnormal, "abnormal"},
    {Category::Emergency, "emergency"},
}};

// The kind a comment's lone detail reads as, and the detail without its prefix: a note, a
// caution or a warning by the item rules' prefixes, else plain text.
ItemKind KindOfDetail(std::string_view& detail) {
    for (ItemKind kind : {ItemKind::Note, ItemKind::Caution, ItemKind::Warning}) {
        if (std::string_view prefix = ItemRules::PrefixOf(kind); detail.starts_with(prefix)) {
            detail.remove_prefix(prefix.size());
            return kind;
        }
    }
    return ItemKind::PlainText;
}

// --- reading ---

// Where a member sits, for complaints.
enum class Level { File, Payload, Metadata, Group, Subgroup, Checklist, Item };

std::string_view Words(Level level) {
    constexpr std::array<std::string_view, 7> words = {"the file", "the payload", "the metadata",
                                                       "a group",  "a subgroup",  "a checklist",
                                                       "an item"};
    return words[static_cast<std::size_t>(level)];
}

std::string_view Words(dom::element_type type) {
    switch (type) {
    case dom::element_type::ARRAY:
        return "an array";
    case dom::element_type::OBJECT:
        return "an object";
    case dom::element_type::STRING:
        return "a string";
    case dom::element_type::BOOL:
        return "true or false";
    case dom::element_type::NULL_VALUE:
        return "null";
    default:
        break;
    }
    return "a number";
}

// The object or array that element is known to be, as a value of its own: the result it is
// taken from is a temporary.
dom::object ObjectOf(dom::element element) {
    return element.get_object().value_unsafe();
}
dom::array ArrayOf(dom::element element) {
    return element.get_array().value_unsafe();
}

// Builds the book from the JSON, checking each known member as it comes. When it fails,
// failure says what is wrong.
class BookReader {
public:
    BookReader(Book& book, Warnings& warnings) : book(book), warnings(warnings) {}

    std::string failure;

    bool File(dom::element root) {
        if (root.type() != dom::element_type::OBJECT) {
            return Fail("the checklist inside is not a JSON object but " +
                        std::string(Words(root.type())));
        }
        std::string_view type;
        dom::element payload;
        bool hasPayload = false;
        for (dom::key_value_pair member : ObjectOf(root)) {
            if (member.key == typeMember) {
                if (!Text(Level::File, member, type)) {
                    return false;
                }
            } else if (member.key == payloadMember) {
                if (!Holds(Level::File, member, dom::element_type::OBJECT, hasPayload)) {
                    return false;
                }
                payload = member.value;
            }
        }
        if (!type.empty() && type != checklistType) {
            return Fail("the file holds " + QuotedForDisplay(type) + ", not a checklist");
        }
        if (!hasPayload) {
            return Fail("the file holds no \"payload\"");
        }
        return Payload(payload);
    }

private:
    bool Fail(std::string what) {
        failure = std::move(what);
        return false;
    }

    bool WrongType(Level level, std::string_view member, std::string_view wanted,
                   dom::element_type is) {
        return Fail("\"" + std::string(member) + "\" of " + std::string(Words(level)) +
                    " must be " + std::string(wanted) + ", not " + std::string(Words(is)));
    }

    // A string member; null is empty. False when it is neither.
    bool Text(Level level, dom::key_value_pair member, std::string_view& text) {
        dom::element_type is = member.value.type();
        if (is == dom::element_type::STRING) {
            text = member.value.get_string().value_unsafe();
            return true;
        }
        text = {};
        return is == dom::element_type::NULL_VALUE || WrongType(level, member.key, "a string", is);
    }

    // Whether a member that holds an object or an array holds one (present) or null (not
    // present); false when it holds something else.
    bool Holds(Level level, dom::key_value_pair member, dom::element_type wanted, bool& present) {
        dom::element_type is = member.value.type();
        present = is == wanted;
        return present || is == dom::element_type::NULL_VALUE ||
               WrongType(level, member.key,
                         wanted == dom::element_type::OBJECT ? "an object" : "an array", is);
    }

    // Hands each object of the array of an "items" or "groups" member to take; null elements are
    // skipped.
    template <class Take>
    bool Elements(Level level, std::string_view member, dom::element array, Take take) {
        for (dom::element element : ArrayOf(array)) {
            dom::element_type is = element.type();
            if (is == dom::element_type::OBJECT) {
                if (!take(element)) {
                    return false;
                }
            } else if (is != dom::element_type::NULL_VALUE) {
                return Fail("an element of \"" + std::string(member) + "\" of " +
                            std::string(Words(level)) + " must be an object, not " +
                            std::string(Words(is)));
            }
        }
        return true;
    }

    // The object's "items" array, if any, and its text members by name; the rest must be
    // strings when they are known and are skipped when they are not.
    struct Parts {
        dom::element items;
        bool hasItems = false;
        std::string_view title;
        std::string_view groupType;
        bool typed = false;
    };
    bool PartsOf(Level level, dom::element object, Parts& parts) {
        for (dom::key_value_pair member : ObjectOf(object)) {
            std::string_view text;
            if (member.key == itemsMember) {
                if (!Holds(level, member, dom::element_type::ARRAY, parts.hasItems)) {
                    return false;
                }
                parts.items = member.value;
            } else if (member.key == titleMember && level != Level::Group) {
                if (!Text(level, member, parts.title)) {
                    return false;
                }
            } else if (member.key == groupTypeMember && level == Level::Group) {
                if (!Text(level, member, parts.groupType)) {
                    return false;
                }
                parts.typed = true;
            } else if (member.key == objectIdMember && !Text(level, member, text)) {
                return false;
            }
        }
        return true;
    }

    bool Payload(dom::element payload) {
        book.carriesMetadata = true;
        for (dom::key_value_pair member : ObjectOf(payload)) {
            std::string_view text;
            bool present = false;
            if (member.key == objectIdMember || member.key == schemaVersionMember) {
                if (!Text(Level::Payload, member, text)) {
                    return false;
                }
            } else if (member.key == metadataMember) {
                if (!Holds(Level::Payload, member, dom::element_type::OBJECT, present) ||
                    (present && !MetadataOf(member.value))) {
                    return false;
                }
            } else if (member.key == groupsMember) {
                if (!Holds(Level::Payload, member, dom::element_type::ARRAY, present) ||
                    (present && !Elements(Level::Payload, member.key, member.value,
                                          [this](dom::element group) { return Group(group); }))) {
                    return false;
                }
            }
        }
        return true;
    }

    bool MetadataOf(dom::element metadata) {
        Metadata& m = book.metadata;
        for (dom::key_value_pair member : ObjectOf(metadata)) {
            std::string* field = member.key == nameMember         ? &m.name
                                 : member.key == detailMember     ? &m.detail
                                 : member.key == tailNumberMember ? &m.aircraft
                                                                  : nullptr;
            std::string_view text;
            if (field != nullptr) {
                if (!Text(Level::Metadata, member, text)) {
                    return false;
                }
                field->assign(text);
            }
        }
        return true;
    }

    bool Group(dom::element group) {
        Parts parts;
        if (!PartsOf(Level::Group, group, parts)) {
            return false;
        }
        auto known = std::find_if(groupTypes.begin(), groupTypes.end(),
                                  [&](const auto& type) { return type.second == parts.groupType; });
        Category category = Category::Normal;
        if (known != groupTypes.end()) {
            category = known->first;
        } else {
            // A kind of group of a later ForeFlight perhaps: its lists are kept all the same.
            warnings.Add((parts.typed
                              ? "a group of the unknown type " + QuotedForDisplay(parts.groupType)
                              : std::string("a group without a \"groupType\"")) +
                         " is read as normal checklists");
        }
        return !parts.hasItems ||
               Elements(Level::Group, itemsMember, parts.items,
                        [&](dom::element subgroup) { return Subgroup(subgroup, category); });
    }

    bool Subgroup(dom::element subgroup, Category category) {
        Parts parts;
        if (!PartsOf(Level::Subgroup, subgroup, parts)) {
            return false;
        }
        std::size_t before = book.lists.size();
        if (parts.hasItems &&
            !Elements(Level::Subgroup, itemsMember, parts.items, [&](dom::element checklist) {
                return Checklist(checklist, category, parts.title);
            })) {
            return false;
        }
        if (book.lists.size() == before) {
            warnings.Add("the subgroup " + QuotedForDisplay(parts.title) + " of the " +
                         LowerCase(CategoryWord(category)) +
                         " checklists holds no checklist and is left out: a .ckl has no place "
                         "for it");
        }
        return true;
    }

    bool Checklist(dom::element checklist, Category category, std::string_view subgroup) {
        Parts parts;
        if (!PartsOf(Level::Checklist, checklist, parts)) {
            return false;
        }
        std::string name = JoinListName(category, subgroup, parts.title);
        ListName back = SplitListName(name);
        if (back.title != parts.title ||
            (back.subgroup != subgroup && subgroup != CategoryWord(category))) {
            warnings.Add(Where(name) + ": the subgroup " + QuotedForDisplay(subgroup) +
                         " holds \": \", and the name reads back as another subgroup");
        }
        BookList& list = book.lists.emplace_back();
        list.name = book.Keep(name);
        if (!parts.hasItems) {
            return true;
        }
        list.items.reserve(ArrayOf(parts.items).size());
        return Elements(Level::Checklist, itemsMember, parts.items,
                        [&](dom::element item) { return ItemOf(item, list.items); });
    }

    // One item of the file: one item of the book, or a heading and its text, and its note.
    bool ItemOf(dom::element object, std::vector<Item>& items) {
        std::string_view type;
        std::string_view title;
        std::string_view detail;
        std::string_view note;
        bool typed = false;
        for (dom::key_value_pair member : ObjectOf(object)) {
            std::string_view key = member.key;
            std::string_view id;
            std::string_view* text = key == titleMember      ? &title
                                     : key == detailMember   ? &detail
                                     : key == noteMember     ? &note
                                     : key == typeMember     ? &type
                                     : key == objectIdMember ? &id
                                                             : nullptr;
            if (text != nullptr && !Text(Level::Item, member, *text)) {
                return false;
            }
            typed = typed || (text == &type && member.value.type() == dom::element_type::STRING);
        }
        bool comment = typed && type == commentType;
        if (typed && !comment && !unknownTypeTold) {
            // An item type of a later ForeFlight perhaps: its texts are kept as a check item's.
            warnings.Add("items of the unknown type " + QuotedForDisplay(type) +
                         " are read as items to tick off");
            unknownTypeTold = true;
        }
        Item& item = items.emplace_back();
        if (!comment) {
            item.kind = detail.empty() ? ItemKind::Challenge : ItemKind::ChallengeResponse;
            item.prompt = book.Keep(title);
            item.expectation = book.Keep(detail);
        } else if (!title.empty()) {
            item.kind = ItemKind::Title;
            item.prompt = book.Keep(title);
            if (!detail.empty()) {
                items.push_back(Item{{ItemKind::PlainText, book.Keep(detail), {}, 0, false}, 0});
            }
        } else if (!detail.empty()) {
            item.kind = KindOfDetail(detail);
            item.prompt = book.Keep(detail);
        } else {
            item.kind = ItemKind::Space;
        }
        if (!note.empty()) {
            // An indented note under an item is the item's note.
            items.push_back(Item{{ItemKind::Note, book.Keep(note), {}, 1, false}, 0});
        }
        return true;
    }

    static std::string LowerCase(std::string_view word) {
        std::string lower(word);
        for (char& c : lower) {
            c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        }
        return lower;
    }

    Book& book;
    Warnings& warnings;
    bool unknownTypeTold = false;
};

// --- writing ---

// A member's name and its colon.
void AppendKey(std::string& json, std::string_view name) {
    json += '"';
    json += name;
    json += "\":";
}

// A string member after a comma.
void AppendMember(std::string& json, std::string_view name, std::string_view text) {
    json += ',';
    AppendKey(json, name);
    AppendJsonString(json, text);
}

// An "items" member after a comma, opened.
void OpenItems(std::string& json) {
    json += ',';
    AppendKey(json, itemsMember);
    json += '[';
}

// Random bytes from OpenSSL, drawn many at a time, as the ids of a million items want.
class RandomBytes {
public:
    // Fills out with size random bytes; false when OpenSSL has none to give.
    bool Take(unsigned char* out, std::size_t size) {
        if (pool.size() - used < size) {
            if (RAND_bytes(pool.data(), static_cast<int>(pool.size())) != 1) {
                return false;
            }
            used = 0;
        }
        std::memcpy(out, pool.data() + used, size);
        used += size;
        return true;
    }

private:
    std::array<unsigned char, 4096> pool{};
    std::size_t used = pool.size();
};

// Each byte's two lower-case hex digits, at twice its value.
constexpr std::array<char, 512> hexDigits = [] {
    constexpr std::string_view digits = "0123456789abcdef";
    std::array<char, 512> pairs{};
    for (std::size_t byte = 0; byte < 256; ++byte) {
        pairs[2 * byte] = digits[byte >> 4];
        pairs[2 * byte + 1] = digits[byte & 0x0F];
    }
    return pairs;
}();

// Collects the JSON and hands it to the sink encrypted, a piece at a time, so that a large
// file is never held whole.
class EncryptingWriter {
public:
    explicit EncryptingWriter(const ChunkSink& sink) : sink(sink) {
        json.reserve(chunkBytes + 4096);
    }

    std::string json;

    // Draws the IV and starts the cipher; false when OpenSSL cannot.
    bool Start() {
        unsigned char iv[blockBytes];
        if (!context || !random.Take(iv, blockBytes) ||
            EVP_EncryptInit_ex(context.get(), EVP_aes_128_cbc(), nullptr,
                               Bytes(foreFlightKey.data()), iv) != 1) {
            return false;
        }
        cipher.assign(reinterpret_cast<const char*>(iv), blockBytes);
        return true;
    }

    // A new object's "objectId" member: a random UUID of version 4 in lower-case hex without
    // dashes, as ForeFlight writes its ids.
    void Id() {
        unsigned char id[16];
        failed = failed || !random.Take(id, sizeof id);
        id[6] = static_cast<unsigned char>((id[6] & 0x0F) | 0x40);
        id[8] = static_cast<unsigned char>((id[8] & 0x3F) | 0x80);
        char hex[2 * sizeof id];
        for (std::size_t i = 0; i < sizeof id; ++i) {
            std::memcpy(hex + 2 * i, hexDigits.data() + 2 * id[i], 2);
        }
        AppendKey(json, objectIdMember);
        json += '"';
        json.append(hex, sizeof hex);
        json += '"';
    }

    // Encrypts what was collected and hands it on once it is large enough.
    void Flush() {
        if (json.size() >= chunkBytes) {
            Encrypt(false);
        }
    }

    // Encrypts the rest and the padding and hands them on; false when anything failed.
    bool Finish() {
        Encrypt(true);
        return !failed;
    }

private:
    // Encrypts json, and with last the padding, and hands the ciphertext to the sink.
    void Encrypt(bool last) {
        if (failed) {
            json.clear(); // nothing more is written, and nothing piles up
            return;
        }
        std::size_t start = cipher.size();
        cipher.resize(start + json.size() + 2 * blockBytes);
        std::size_t written = start;
        for (std::size_t at = 0; at < json.size() && !failed; at += cipherPieceBytes) {
            int length = 0;
            auto piece = static_cast<int>(std::min(cipherPieceBytes, json.size() - at));
            failed = EVP_EncryptUpdate(context.get(), Bytes(cipher.data() + written), &length,
                                       Bytes(json.data() + at), piece) != 1;
            written += static_cast<std::size_t>(length);
        }
        if (last && !failed) {
            int length = 0;
            failed =
                EVP_EncryptFinal_ex(context.get(), Bytes(cipher.data() + written), &length) != 1;
            written += static_cast<std::size_t>(length);
        }
        cipher.resize(written);
        json.clear();
        failed = failed || !sink(cipher);
        cipher.clear();
    }

    const ChunkSink& sink;
    CipherContext context{EVP_CIPHER_CTX_new()};
    RandomBytes random;
    std::string cipher;
    bool failed = false;
};

// A list taken apart for ForeFlight's groups.
struct Subgroup {
    std::string_view title;
    std::vector<std::pair<std::string_view, const BookList*>> lists; // each with its title
};

// The subgroups of each category in the order they first come, each holding its lists in their
// order; lists of no subgroup go into one titled as their category.
std::array<std::vector<Subgroup>, 3> SubgroupsOf(const std::vector<BookList>& lists) {
    std::array<std::vector<Subgroup>, 3> subgroups;
    std::array<std::unordered_map<std::string_view, std::size_t>, 3> indexOf;
    for (const BookList& list : lists) {
        ListName parts = SplitListName(list.name);
        auto category = static_cast<std::size_t>(parts.category);
        std::string_view title =
            parts.subgroup.empty() ? CategoryWord(parts.category) : parts.subgroup;
        auto [at, added] = indexOf[category].try_emplace(title, subgroups[category].size());
        if (added) {
            subgroups[category].push_back({title, {}});
        }
        subgroups[category][at->second].lists.emplace_back(parts.title, &list);
    }
    return subgroups;
}

// Writes the items of a list, each ForeFlight item in one piece: a heading takes the plain text
// after it as its detail, and any item takes an indented note after it as its note.
class ItemWriter {
public:
    ItemWriter(EncryptingWriter& out, Warnings& warnings) : out(out), warnings(warnings) {}

    bool layoutLost = false;

    void Items(const BookList& list) {
        const std::vector<Item>& items = list.items;
        std::string& json = out.json;
        for (std::size_t i = 0; i < items.size(); ++i) {
            const Item& item = items[i];
            std::size_t number = i + 1;
            NoteLayout(item, 0);
            std::string_view type;
            std::string_view title;
            std::string_view detail;
            std::string_view prefix;
            switch (item.kind) {
            case ItemKind::Challenge:
                title = item.prompt;
                break;
            case ItemKind::ChallengeResponse:
                title = item.prompt;
                detail = item.expectation;
                if (detail.empty()) {
                    warnings.Add(Where(list.name, number) +
                                 ": a challenge with an empty response reads back as a "
                                 "challenge alone");
                }
                break;
            case ItemKind::Title:
                type = commentType;
                title = item.prompt;
                if (title.empty()) {
                    warnings.Add(Where(list.name, number) +
                                 ": an empty title reads back as a blank line");
                } else if (i + 1 < items.size() && items[i + 1].kind == ItemKind::PlainText &&
                           !items[i + 1].prompt.empty()) {
                    ++i;
                    detail = items[i].prompt;
                    NoteLayout(items[i], 0);
                }
                break;
            case ItemKind::PlainText: {
                type = commentType;
                detail = item.prompt;
                std::string_view rest = detail;
                if (ItemKind kind = KindOfDetail(rest); kind != ItemKind::PlainText) {
                    warnings.Add(Where(list.name, number) + ": plain text " +
                                 QuotedForDisplay(detail) + " reads back as " +
                                 (kind == ItemKind::Note      ? "a note"
                                  : kind == ItemKind::Caution ? "a caution"
                                                              : "a warning"));
                } else if (detail.empty()) {
                    warnings.Add(Where(list.name, number) +
                                 ": empty plain text reads back as a blank line");
                }
                break;
            }
            case ItemKind::Note:
            case ItemKind::Caution:
            case ItemKind::Warning:
                type = commentType;
                detail = item.prompt;
                prefix = ItemRules::PrefixOf(item.kind);
                break;
            case ItemKind::Space:
                type = commentType;
                break;
            }
            std::string_view note;
            if (i + 1 < items.size() && items[i + 1].kind == ItemKind::Note &&
                items[i + 1].indent >= 1 && !items[i + 1].prompt.empty()) {
                ++i;
                note = items[i].prompt;
                NoteLayout(items[i], 1);
            }
            json += '{';
            out.Id();
            if (!type.empty()) {
                AppendMember(json, typeMember, type);
            }
            AppendMember(json, titleMember, title);
            if (prefix.empty()) {
                AppendMember(json, detailMember, detail);
            } else {
                std::string prefixed(prefix);
                prefixed += detail;
                AppendMember(json, detailMember, prefixed);
            }
            AppendMember(json, noteMember, note);
            json += i + 1 < items.size() ? "}," : "}";
            out.Flush();
        }
    }

private:
    // Notes whether item is laid out otherwise than ForeFlight shows it: indented by other than
    // indent, or centred.
    void NoteLayout(const Item& item, int indent) {
        layoutLost = layoutLost || item.indent != indent || item.centered;
    }

    EncryptingWriter& out;
    Warnings& warnings;
};

} // namespace

std::optional<ReadError> ReadForeFlight(std::string_view bytes, Book& book, Warnings& warnings) {
    JsonRoom plain;
    if (std::optional<std::string> wrong = Decrypt(bytes, plain)) {
        return ReadError{ReadError::nowhere, std::move(*wrong)};
    }
    std::string_view text = plain.Text();
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3); // a byte-order mark, which some tools write
    }
    dom::parser parser;
    dom::element root;
    if (simdjson::error_code error = ParseJson(parser, text, root)) {
        return ReadError{ReadError::nowhere, "the checklist inside is not valid JSON: " +
                                                 std::string(simdjson::error_message(error))};
    }
    BookReader reader(book, warnings);
    if (!reader.File(root)) {
        return ReadError{ReadError::nowhere, std::move(reader.failure)};
    }
    return std::nullopt;
}

bool WriteForeFlight(const Book& book, Warnings& warnings, const ChunkSink& sink) {
    std::array<std::vector<Subgroup>, 3> subgroups = SubgroupsOf(book.lists);
    std::size_t next = 0;
    bool reordered = false;
    for (const std::vector<Subgroup>& category : subgroups) {
        for (const Subgroup& subgroup : category) {
            for (const auto& entry : subgroup.lists) {
                reordered = reordered || entry.second != &book.lists[next];
                ++next;
            }
        }
    }
    if (reordered) {
        warnings.Add("the checklists are written in ForeFlight's order: the normal, abnormal and "
                     "emergency ones, each subgroup's together");
    }
    EncryptingWriter out(sink);
    if (!out.Start()) {
        return false;
    }
    std::string& json = out.json;
    json += '{';
    AppendKey(json, typeMember);
    AppendJsonString(json, checklistType);
    json += ',';
    AppendKey(json, payloadMember);
    json += '{';
    out.Id();
    AppendMember(json, schemaVersionMember, schemaVersion);
    json += ',';
    AppendKey(json, metadataMember);
    json += '{';
    AppendKey(json, nameMember);
    AppendJsonString(json, book.metadata.name);
    AppendMember(json, detailMember, book.metadata.detail);
    AppendMember(json, tailNumberMember, book.metadata.aircraft);
    json += "},";
    AppendKey(json, groupsMember);
    json += '[';
    ItemWriter items(out, warnings);
    for (const auto& [category, groupType] : groupTypes) {
        json += category == Category::Normal ? "{" : ",{";
        out.Id();
        AppendMember(json, groupTypeMember, groupType);
        OpenItems(json);
        const std::vector<Subgroup>& ofCategory = subgroups[static_cast<std::size_t>(category)];
        for (const Subgroup& subgroup : ofCategory) {
            json += &subgroup == &ofCategory.front() ? "{" : ",{";
            out.Id();
            AppendMember(json, titleMember, subgroup.title);
            OpenItems(json);
            for (const auto& [title, list] : subgroup.lists) {
                json += &title == &subgroup.lists.front().first ? "{" : ",{";
                out.Id();
                AppendMember(json, titleMember, title);
                OpenItems(json);
                items.Items(*list);
                json += "]}";
            }
            json += "]}";
        }
        json += "]}";
    }
    json += "]}}";
    if (items.layoutLost) {
        warnings.Add("indentation and centring of items are left out: ForeFlight files have no "
                     "place for them, but an indented note under an item is that item's note");
    }
    return out.Finish();
}

} // namespace convert
