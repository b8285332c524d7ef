#include "AceFormat.h"

#include "CklConventions.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace convert {
namespace {

constexpr std::string_view header("\xF0\xF0\xF0\xF0\x00\x01", 6);
constexpr std::string_view lineEnd = "\r\n";
constexpr std::string_view groupOpen = "<0";
constexpr std::string_view groupClose = ">";
constexpr std::string_view listOpen = "(0";
constexpr std::string_view listClose = ")";
constexpr std::string_view fileEnd = "END";
constexpr std::size_t crcBytes = 4;

struct KindLetter {
    ItemKind kind;
    char letter;
};
constexpr std::array<KindLetter, 7> kindLetters = {{
    {ItemKind::Challenge, 'c'},
    {ItemKind::ChallengeResponse, 'r'},
    {ItemKind::PlainText, 'p'},
    {ItemKind::Note, 'n'},
    {ItemKind::Title, 't'},
    {ItemKind::Warning, 'w'},
    {ItemKind::Caution, 'a'},
}};

std::uint32_t Crc32(std::string_view bytes) {
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib takes at most what fits its length type in one call.
    while (!bytes.empty()) {
        auto chunk = static_cast<uInt>(std::min<std::size_t>(bytes.size(), 1u << 30));
        crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.data()), chunk);
        bytes.remove_prefix(chunk);
    }
    return static_cast<std::uint32_t>(crc);
}

std::string Hex(std::uint32_t value) {
    char text[9];
    for (int i = 7; i >= 0; --i, value >>= 4) {
        text[i] = "0123456789ABCDEF"[value & 0xF];
    }
    return std::string(text, 8);
}

std::string Latin1ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out.push_back(c);
        } else {
            out.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return out;
}

// Walks the lines of an .ace file, knowing the offset of each.
class AceLines {
public:
    explicit AceLines(std::string_view bytes) : bytes(bytes) {}

    std::size_t Offset() const { return offset; }

    // The next line without its CR LF, in UTF-8. Fails at a truncated line, a line feed
    // without its carriage return, or a NUL byte.
    std::optional<ReadError> Next(std::string& line, const char* inside) {
        std::size_t end = bytes.find(lineEnd, offset);
        if (end == std::string_view::npos) {
            return ReadError{bytes.size(), std::string("the file ends inside ") + inside};
        }
        std::string_view raw = bytes.substr(offset, end - offset);
        if (std::size_t at = raw.find('\n'); at != std::string_view::npos) {
            return ReadError{offset + at, "a line feed without a carriage return in a line"};
        }
        if (std::size_t at = raw.find('\0'); at != std::string_view::npos) {
            return ReadError{offset + at, "a NUL byte in a line"};
        }
        line = Latin1ToUtf8(raw);
        lineStart = offset;
        offset = end + lineEnd.size();
        return std::nullopt;
    }
    std::size_t LineStart() const { return lineStart; }

private:
    std::string_view bytes;
    std::size_t offset = header.size() + 2 + lineEnd.size();
    std::size_t lineStart = 0;
};

std::optional<ReadError> ReadItem(const std::string& line, std::size_t at, Item& item) {
    if (line.empty()) {
        item.kind = ItemKind::Space;
        return std::nullopt;
    }
    if (line.size() < 2) {
        return ReadError{at, "an item needs a type letter and an indent digit"};
    }
    auto known = std::find_if(kindLetters.begin(), kindLetters.end(),
                              [&line](const KindLetter& k) { return k.letter == line[0]; });
    if (known == kindLetters.end()) {
        return ReadError{at,
                         "unknown item type '" + line.substr(0, 1) + "' (c, r, p, n, t, w or a)"};
    }
    item.kind = known->kind;
    if (line[1] == 'c') {
        item.centered = true;
    } else if (line[1] >= '0' && line[1] <= '0' + maxIndent) {
        item.indent = line[1] - '0';
    } else {
        return ReadError{at + 1, "unknown indent '" + line.substr(1, 1) + "' (0 to 9 or c)"};
    }
    std::string_view text = std::string_view(line).substr(2);
    if (item.kind == ItemKind::ChallengeResponse) {
        std::size_t tilde = text.find('~');
        item.prompt = text.substr(0, tilde);
        if (tilde != std::string_view::npos) {
            item.expectation = text.substr(tilde + 1);
        }
    } else {
        item.prompt = text;
    }
    return std::nullopt;
}

// Appends text in ISO-8859-1; characters beyond it become "?". Returns the first one replaced,
// or an empty text.
std::string AppendLatin1(std::string& out, std::string_view text) {
    std::string first;
    for (std::size_t i = 0; i < text.size();) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            out.push_back(text[i++]);
            continue;
        }
        std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
        length = std::min(length, text.size() - i);
        if ((byte == 0xC2 || byte == 0xC3) && length == 2) {
            out.push_back(static_cast<char>(((byte & 0x03) << 6) |
                                            (static_cast<unsigned char>(text[i + 1]) & 0x3F)));
        } else {
            out.push_back('?');
            if (first.empty()) {
                first = text.substr(i, length);
            }
        }
        i += length;
    }
    return first;
}

class AceWriter {
public:
    explicit AceWriter(Warnings& warnings) : warnings(warnings) {}

    void Line(std::string_view text, const std::string& where) {
        std::string replaced = AppendLatin1(out, text);
        if (!replaced.empty()) {
            warnings.Add(where + ": \"" + replaced +
                         "\" and any other character outside ISO-8859-1 is written as \"?\"");
        }
        out += lineEnd;
    }
    void Raw(std::string_view bytes) { out += bytes; }

    std::string out;

private:
    Warnings& warnings;
};

char ByteOf(int value) {
    return static_cast<char>(static_cast<unsigned char>(std::clamp(value, 0, 255)));
}

} // namespace

std::optional<ReadError> ReadAce(std::string_view bytes, Book& book, Warnings& warnings) {
    if (bytes.size() < header.size() || bytes.substr(0, header.size()) != header) {
        return ReadError{0, "not a Garmin checklist: the file does not start with the bytes "
                            "F0 F0 F0 F0 00 01"};
    }
    if (bytes.size() < header.size() + 2 + lineEnd.size()) {
        return ReadError{bytes.size(), "the file ends inside its header"};
    }
    if (bytes.substr(header.size() + 2, lineEnd.size()) != lineEnd) {
        return ReadError{header.size() + 2, "the header does not end with CR LF"};
    }
    book.metadata.defaultGroup = static_cast<unsigned char>(bytes[header.size()]);
    book.metadata.defaultChecklist = static_cast<unsigned char>(bytes[header.size() + 1]);

    AceLines lines(bytes);
    std::string line;
    for (std::string* field :
         {&book.metadata.name, &book.metadata.makeAndModel, &book.metadata.aircraft,
          &book.metadata.manufacturer, &book.metadata.copyright}) {
        if (auto error = lines.Next(line, "the file's metadata lines")) {
            return error;
        }
        // An empty field is written as one space, which Garmin's own tools need.
        *field = line == " " ? std::string() : line;
    }
    for (;;) {
        if (auto error = lines.Next(line, "the list of groups (no END line)")) {
            return error;
        }
        if (line == fileEnd) {
            break;
        }
        if (!line.starts_with(groupOpen)) {
            return ReadError{lines.LineStart(), "expected a group (\"<0\") or the END line"};
        }
        std::string group = line.substr(groupOpen.size());
        std::size_t groupAt = lines.LineStart();
        std::vector<BookList> lists;
        std::vector<std::string> titles;
        for (;;) {
            if (auto error = lines.Next(line, "a group (no \">\" line)")) {
                return error;
            }
            if (line == groupClose) {
                break;
            }
            if (!line.starts_with(listOpen)) {
                return ReadError{lines.LineStart(),
                                 "expected a checklist (\"(0\") or the end of the group (\">\")"};
            }
            BookList& list = lists.emplace_back();
            titles.push_back(line.substr(listOpen.size()));
            list.where = lines.LineStart();
            for (;;) {
                if (auto error = lines.Next(line, "a checklist (no \")\" line)")) {
                    return error;
                }
                if (line == listClose) {
                    break;
                }
                Item& item = list.items.emplace_back();
                if (auto error = ReadItem(line, lines.LineStart(), item)) {
                    return error;
                }
            }
        }
        if (lists.empty()) {
            warnings.Add("the group \"" + group + "\" at byte " + std::to_string(groupAt) +
                         " holds no checklist and is left out");
        }
        for (std::size_t i = 0; i < lists.size(); ++i) {
            lists[i].name = GroupedName(group, titles[i], lists.size());
            book.lists.push_back(std::move(lists[i]));
        }
    }
    std::size_t end = lines.Offset();
    if (bytes.size() < end + crcBytes) {
        return ReadError{bytes.size(), "the file ends before its checksum"};
    }
    if (bytes.size() > end + crcBytes) {
        return ReadError{end + crcBytes, "bytes after the checksum"};
    }
    std::uint32_t stored = 0;
    for (std::size_t i = 0; i < crcBytes; ++i) {
        stored |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[end + i])) << (8 * i);
    }
    std::uint32_t expected = ~Crc32(bytes.substr(0, end));
    if (stored != expected) {
        return ReadError{end, "wrong checksum: the file says " + Hex(stored) +
                                  ", its contents give " + Hex(expected)};
    }
    return std::nullopt;
}

std::string WriteAce(const Book& book, Warnings& warnings) {
    AceWriter writer(warnings);
    writer.out.reserve(1024);
    writer.Raw(header);
    const Metadata& metadata = book.metadata;
    writer.out += ByteOf(metadata.defaultGroup);
    writer.out += ByteOf(metadata.defaultChecklist);
    writer.Raw(lineEnd);
    std::string info = "the file's metadata";
    for (const std::string* field : {&metadata.name, &metadata.makeAndModel, &metadata.aircraft,
                                     &metadata.manufacturer, &metadata.copyright}) {
        writer.Line(field->empty() ? std::string_view(" ") : std::string_view(*field), info);
    }
    for (const Group& group : GroupLists(book.lists)) {
        std::string where = "the group \"" + group.title + "\"";
        writer.Raw(groupOpen);
        writer.Line(group.title, where);
        for (const auto& [title, list] : group.lists) {
            writer.Raw(listOpen);
            writer.Line(title, Where(list->name));
            std::size_t number = 0;
            std::string text;
            for (const Item& item : list->items) {
                ++number;
                if (item.kind == ItemKind::Space) {
                    writer.Raw(lineEnd);
                    continue;
                }
                auto letter =
                    std::find_if(kindLetters.begin(), kindLetters.end(),
                                 [&item](const KindLetter& k) { return k.kind == item.kind; });
                writer.out += letter->letter;
                writer.out += item.centered ? 'c' : static_cast<char>('0' + item.indent);
                text = item.prompt;
                if (item.kind == ItemKind::ChallengeResponse) {
                    if (item.prompt.find('~') != std::string::npos) {
                        warnings.Add(Where(list->name, number) +
                                     ": \"~\" in a challenge ends it early on the display");
                    }
                    text += '~';
                    text += item.expectation;
                }
                writer.Line(text, Where(list->name, number));
            }
            writer.Line(listClose, {});
        }
        writer.Line(groupClose, {});
    }
    writer.Line(fileEnd, {});
    std::uint32_t crc = ~Crc32(writer.out);
    for (std::size_t i = 0; i < crcBytes; ++i) {
        writer.out += static_cast<char>((crc >> (8 * i)) & 0xFF);
    }
    return std::move(writer.out);
}

} // namespace convert
