#include "AceFormat.h"

#include "LineRules.h"

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
    std::optional<ReadError> Next(std::string_view& line, const char* inside) {
        // The common line, plain ASCII up to its CR LF, in one pass; anything else is looked
        // at closely below.
        std::size_t at = bytes.find('\r', offset);
        if (at != std::string_view::npos && at + 1 < bytes.size() && bytes[at + 1] == '\n' &&
            IsPlainLine(bytes.substr(offset, at - offset))) {
            line = bytes.substr(offset, at - offset);
            lineStart = offset;
            offset = at + lineEnd.size();
            return std::nullopt;
        }
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
        if (IsAscii(raw)) {
            line = raw; // plain ASCII is the same in both
        } else {
            converted = Latin1ToUtf8(raw);
            line = converted;
        }
        lineStart = offset;
        offset = end + lineEnd.size();
        return std::nullopt;
    }
    std::size_t LineStart() const { return lineStart; }

private:
    // Whether raw is ASCII without line feeds and NUL bytes; looks at every byte without
    // stopping early, which lets the compiler test many at a time.
    static bool IsPlainLine(std::string_view raw) {
        unsigned char special = 0;
        for (char c : raw) {
            auto byte = static_cast<unsigned char>(c);
            special |= static_cast<unsigned char>((byte >= 0x80) | (byte == '\n') | (byte == '\0'));
        }
        return special == 0;
    }

    std::string_view bytes;
    std::size_t offset = header.size() + 2 + lineEnd.size();
    std::size_t lineStart = 0;
    std::string converted;
};

std::optional<ReadError> ReadItem(std::string_view line, std::size_t at, Item& item) {
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
        return ReadError{at, "unknown item type '" + std::string(line.substr(0, 1)) +
                                 "' (c, r, p, n, t, w or a)"};
    }
    item.kind = known->kind;
    if (line[1] == 'c') {
        item.centered = true;
    } else if (line[1] >= '0' && line[1] <= '0' + maxIndent) {
        item.indent = line[1] - '0';
    } else {
        return ReadError{at + 1,
                         "unknown indent '" + std::string(line.substr(1, 1)) + "' (0 to 9 or c)"};
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
    if (IsAscii(text)) {
        out += text; // the common case: plain ASCII is the same in both
        return first;
    }
    for (std::size_t i = 0; i < text.size();) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            out.push_back(text[i++]);
            continue;
        }
        const std::size_t length = LineRules::CharacterLength(text, i);
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

// Collects the file in pieces for a sink, keeping the checksum of what it handed on, and warns
// of the characters it cannot hold.
class AceWriter {
public:
    AceWriter(Warnings& warnings, const ChunkSink& sink) : warnings(warnings), sink(sink) {
        out.reserve(chunkBytes + 4096);
    }

    // Hands what was collected to the sink once it is large enough, or always with force.
    bool Flush(bool force = false) {
        if (out.size() < chunkBytes && !force) {
            return true;
        }
        crc = crc32(crc, reinterpret_cast<const Bytef*>(out.data()), static_cast<uInt>(out.size()));
        bool written = sink(out);
        out.clear();
        return written;
    }
    std::uint32_t Crc() const { return static_cast<std::uint32_t>(crc); }

    // Appends text in ISO-8859-1; where names the text in a warning, and is asked only then.
    template <typename WhereFunction> void Text(std::string_view text, WhereFunction&& where) {
        std::string replaced = AppendLatin1(out, AsOneLine(text, flat, warnings, where));
        if (!replaced.empty()) {
            warnings.Add(where() + ": " + LineRules::QuotedForDisplay(replaced) +
                         " and any other character outside ISO-8859-1 is written as \"?\"");
        }
    }
    template <typename WhereFunction> void Line(std::string_view text, WhereFunction&& where) {
        Text(text, where);
        out += lineEnd;
    }
    void Line(std::string_view text) {
        out += text;
        out += lineEnd;
    }
    void Raw(std::string_view bytes) { out += bytes; }

    std::string out;

private:
    std::string flat; // a text made one line, when it was not
    Warnings& warnings;
    const ChunkSink& sink;
    uLong crc = crc32(0L, Z_NULL, 0);
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
    book.carriesMetadata = true;
    book.metadata.defaultGroup = static_cast<unsigned char>(bytes[header.size()]);
    book.metadata.defaultChecklist = static_cast<unsigned char>(bytes[header.size() + 1]);

    AceLines lines(bytes);
    std::string_view line;
    for (std::string* field :
         {&book.metadata.name, &book.metadata.makeAndModel, &book.metadata.aircraft,
          &book.metadata.manufacturer, &book.metadata.copyright}) {
        if (auto error = lines.Next(line, "the file's metadata lines")) {
            return error;
        }
        // An empty field is written as one space, which Garmin's own tools need.
        *field = line == " " ? std::string_view() : line;
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
        std::string group(line.substr(groupOpen.size()));
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
            titles.emplace_back(line.substr(listOpen.size()));
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
                item.prompt = book.Keep(item.prompt);
                item.expectation = book.Keep(item.expectation);
            }
        }
        if (lists.empty()) {
            warnings.Add("the group " + LineRules::QuotedForDisplay(group) + " at byte " +
                         std::to_string(groupAt) + " holds no checklist and is left out");
        }
        for (std::size_t i = 0; i < lists.size(); ++i) {
            lists[i].name = book.Keep(GroupedName(group, titles[i], lists.size()));
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

bool WriteAce(const Book& book, Warnings& warnings, const ChunkSink& sink) {
    AceWriter writer(warnings, sink);
    writer.Raw(header);
    const Metadata& metadata = book.metadata;
    writer.out += ByteOf(metadata.defaultGroup);
    writer.out += ByteOf(metadata.defaultChecklist);
    writer.Raw(lineEnd);
    for (const std::string* field : {&metadata.name, &metadata.makeAndModel, &metadata.aircraft,
                                     &metadata.manufacturer, &metadata.copyright}) {
        writer.Line(field->empty() ? std::string_view(" ") : std::string_view(*field),
                    [] { return std::string("the file's metadata"); });
    }
    for (const Group& group : GroupLists(book.lists)) {
        writer.Raw(groupOpen);
        writer.Line(group.title,
                    [&group] { return "the group \"" + std::string(group.title) + "\""; });
        for (const auto& [title, list] : group.lists) {
            std::string_view name = list->name;
            writer.Raw(listOpen);
            writer.Line(title, [name] { return Where(name); });
            std::size_t number = 0;
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
                auto where = [name, number] { return Where(name, number); };
                if (item.kind == ItemKind::ChallengeResponse) {
                    if (item.prompt.find('~') != std::string::npos) {
                        warnings.Add(where() +
                                     ": \"~\" in a challenge ends it early on the display");
                    }
                    writer.Text(item.prompt, where);
                    writer.out += '~';
                    writer.Line(item.expectation, where);
                } else {
                    writer.Line(item.prompt, where);
                }
                if (!writer.Flush()) {
                    return false;
                }
            }
            writer.Line(listClose);
        }
        writer.Line(groupClose);
    }
    writer.Line(fileEnd);
    if (!writer.Flush(true)) {
        return false;
    }
    std::uint32_t crc = ~writer.Crc();
    for (std::size_t i = 0; i < crcBytes; ++i) {
        writer.out += static_cast<char>((crc >> (8 * i)) & 0xFF);
    }
    return sink(writer.out);
}

std::string WriteAce(const Book& book, Warnings& warnings) {
    std::string all;
    WriteAce(book, warnings, [&all](std::string_view chunk) {
        all += chunk;
        return true;
    });
    return all;
}

} // namespace convert
