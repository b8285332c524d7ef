#include "TextFormats.h"

#include "CklConventions.h"

#include "ChecklistFile.h"
#include "LineRules.h"

#include <QString>

#include <algorithm>
#include <charconv>

namespace convert {
namespace {

constexpr std::string_view dynonList = "CHKLST";
constexpr std::string_view grtList = "LIST";
constexpr std::string_view grtItem = "ITEM";
constexpr std::string_view lineEnd = "\r\n";

bool IsIgnored(std::string_view line) {
    return line.empty() || line[0] == '#';
}

// Hands out the lines of a text file with their numbers, without line ends.
class TextLines {
public:
    explicit TextLines(std::string_view text) : text(text) {
        if (this->text.starts_with("\xEF\xBB\xBF")) {
            this->text.remove_prefix(3);
        }
    }
    bool Next(std::string_view& line) {
        if (text.empty()) {
            return false;
        }
        std::size_t end = text.find('\n');
        line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        while (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        ++number;
        return true;
    }
    std::size_t number = 0;

private:
    std::string_view text;
};

// A Dynon line split up: "CHKLST" n "." ("TITLE" | "LINE" m) "," text.
struct DynonLine {
    bool isTitle = false;
    unsigned long list = 0;
    std::string_view text;
};

bool TakeNumber(std::string_view& rest, unsigned long& value) {
    auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (ec != std::errc() || end == rest.data()) {
        return false;
    }
    rest.remove_prefix(static_cast<std::size_t>(end - rest.data()));
    return true;
}

bool ParseDynonLine(std::string_view line, DynonLine& parsed) {
    if (!line.starts_with(dynonList)) {
        return false;
    }
    line.remove_prefix(dynonList.size());
    if (!TakeNumber(line, parsed.list) || !line.starts_with('.')) {
        return false;
    }
    line.remove_prefix(1);
    unsigned long item = 0;
    if (line.starts_with("TITLE")) {
        parsed.isTitle = true;
        line.remove_prefix(5);
    } else if (line.starts_with("LINE")) {
        line.remove_prefix(4);
        if (!TakeNumber(line, item)) {
            return false;
        }
    } else {
        return false;
    }
    if (!line.starts_with(',')) {
        return false;
    }
    line.remove_prefix(1);
    if (line.starts_with(' ')) {
        line.remove_prefix(1);
    }
    parsed.text = line;
    return true;
}

// "WORD" alone or "WORD text": the text, or nothing when line is not of that kind.
std::optional<std::string_view> AfterWord(std::string_view line, std::string_view word) {
    if (!line.starts_with(word)) {
        return std::nullopt;
    }
    line.remove_prefix(word.size());
    if (line.empty()) {
        return line;
    }
    if (line[0] != ' ') {
        return std::nullopt;
    }
    return line.substr(1);
}

// The item texts of the list being read, kept in the book's store, and the text of the last
// one while continuation lines are still joining it.
struct ListTexts {
    std::vector<std::string_view> kept;
    std::string joining;
    bool lastJoining = false;

    // Keeps the text the continuation lines joined as the last item's.
    void KeepJoined(Book& book) {
        if (lastJoining) {
            kept.back() = book.Keep(joining);
            lastJoining = false;
        }
    }
};

// Adds the text of one item line to the items of a list: a new item, or the continuation of
// the last one. A list's first line is always an item of its own.
void AddItemLine(std::string_view text, ListTexts& texts, Book& book) {
    std::size_t spaces = text.find_first_not_of(' ');
    if (spaces != std::string_view::npos && text[spaces] == '|' && !texts.kept.empty()) {
        std::string_view rest = text.substr(spaces + 1);
        if (!texts.lastJoining) {
            texts.joining.assign(texts.kept.back());
            texts.lastJoining = true;
        }
        if (rest.starts_with(' ')) {
            texts.joining += ' ';
            rest.remove_prefix(1);
        }
        texts.joining += rest;
        return;
    }
    texts.KeepJoined(book);
    texts.kept.push_back(book.Keep(text));
}

void FinishList(Book& book, ListTexts& texts) {
    if (book.lists.empty()) {
        return;
    }
    texts.KeepJoined(book);
    std::vector<Item>& parsed = book.lists.back().items;
    parsed.reserve(texts.kept.size());
    for (std::string_view text : texts.kept) {
        parsed.push_back(ParseItem(text, ItemStyle::Text));
    }
    texts.kept.clear();
}

// Puts text in capitals as Dynon's displays show it; beyond ASCII by Unicode's rules, which
// may change the length ("ß" becomes "SS").
void MakeUpperCase(std::string& text) {
    if (!IsAscii(text)) {
        text = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
                   .toUpper()
                   .toStdString();
        return;
    }
    // Without a branch per byte, so that the compiler can change many bytes at a time.
    for (char& c : text) {
        c = static_cast<char>(c - ((c >= 'a' && c <= 'z') ? 32 : 0));
    }
}

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    MakeUpperCase(upper);
    return upper;
}

std::size_t UpperCaseSize(std::string_view text) {
    return IsAscii(text) ? text.size() : UpperCase(text).size();
}

// The byte offset after count characters of text, or text's size.
std::size_t OffsetOfCharacter(std::string_view text, std::size_t count) {
    std::size_t offset = 0;
    for (std::size_t seen = 0; offset < text.size() && seen < count; ++seen) {
        offset += LineRules::CharacterLength(text, offset);
    }
    return offset;
}

// The lines an item's text takes at width: the first with the text's indentation, the rest
// as continuations under it.
std::vector<std::string> Wrap(const std::string& text, int width) {
    std::size_t indent = std::min(text.find_first_not_of(' '), text.size());
    if (width <= 0 || CharacterCount(text) <= static_cast<std::size_t>(width)) {
        return {text};
    }
    std::vector<std::string> lines;
    std::string_view rest = std::string_view(text).substr(indent);
    std::string_view marker;
    std::size_t room = std::max<std::ptrdiff_t>(1, width - static_cast<std::ptrdiff_t>(indent));
    while (true) {
        std::string line(indent, ' ');
        line += marker;
        if (CharacterCount(rest) <= room) {
            lines.push_back(line.append(rest));
            return lines;
        }
        std::size_t cut = OffsetOfCharacter(rest, room);
        std::size_t space = rest.substr(0, cut + 1).rfind(' ');
        if (space != std::string_view::npos && space > 0) {
            lines.push_back(line.append(rest.substr(0, space)));
            rest.remove_prefix(space + 1);
            marker = "| ";
        } else {
            lines.push_back(line.append(rest.substr(0, cut)));
            rest.remove_prefix(cut);
            marker = "|";
        }
        room = std::max<std::ptrdiff_t>(1, width - static_cast<std::ptrdiff_t>(indent) - 2);
    }
}

} // namespace

std::optional<TextFlavour> DetectTextFlavour(std::string_view bytes) {
    TextLines lines(bytes);
    std::string_view line;
    while (lines.Next(line)) {
        if (IsIgnored(line)) {
            continue;
        }
        DynonLine dynon;
        if (ParseDynonLine(line, dynon)) {
            return TextFlavour::Dynon;
        }
        if (AfterWord(line, grtList) || AfterWord(line, grtItem)) {
            return TextFlavour::Grt;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<ReadError> ReadTextChecklists(std::string_view bytes, TextFlavour flavour,
                                            Book& book) {
    std::string converted;
    if (!ChecklistFile::IsValidUtf8(bytes)) {
        converted = ChecklistFile::Windows1252ToUtf8(bytes);
        bytes = converted;
    }
    TextLines lines(bytes);
    std::string_view line;
    ListTexts items;
    unsigned long listNumber = 0;
    while (lines.Next(line)) {
        if (IsIgnored(line)) {
            continue;
        }
        if (line.find('\0') != std::string_view::npos) {
            return ReadError{lines.number, "a NUL byte in the line"};
        }
        std::optional<std::string_view> title;
        std::optional<std::string_view> item;
        if (flavour == TextFlavour::Dynon) {
            DynonLine parsed;
            if (!ParseDynonLine(line, parsed)) {
                return ReadError{lines.number, "not a Dynon checklist line (\"CHKLSTn.TITLE, "
                                               "NAME\" or \"CHKLSTn.LINEm, TEXT\")"};
            }
            if (parsed.isTitle) {
                title = parsed.text;
                listNumber = parsed.list;
            } else if (book.lists.empty() || parsed.list != listNumber) {
                return ReadError{lines.number, "a line of checklist " +
                                                   std::to_string(parsed.list) +
                                                   " outside that checklist (CHKLST" +
                                                   std::to_string(parsed.list) + ".TITLE)"};
            } else {
                item = parsed.text;
            }
        } else {
            title = AfterWord(line, grtList);
            item = title ? std::nullopt : AfterWord(line, grtItem);
            if (!title && !item) {
                return ReadError{lines.number,
                                 "not a Grand Rapids checklist line (\"LIST NAME\" or \"ITEM "
                                 "TEXT\")"};
            }
            if (item && book.lists.empty()) {
                return ReadError{lines.number, "an ITEM before the first LIST"};
            }
        }
        if (title) {
            FinishList(book, items);
            BookList& list = book.lists.emplace_back();
            list.name = book.Keep(*title);
        } else {
            AddItemLine(*item, items, book);
        }
    }
    FinishList(book, items);
    return std::nullopt;
}

bool WriteTextChecklists(const Book& book, TextFlavour flavour, int width, Warnings& warnings,
                         const ChunkSink& sink) {
    std::string out;
    out.reserve(chunkBytes + 4096);
    bool first = true;
    std::string text;
    std::string flat;
    bool dynon = flavour == TextFlavour::Dynon;
    std::size_t listNumber = 0;
    for (const BookList& list : book.lists) {
        if (!first) {
            out += lineEnd;
        }
        first = false;
        std::string number = std::to_string(listNumber++);
        const std::string_view name =
            AsOneLine(list.name, flat, warnings, [&list] { return Where(list.name); });
        if (dynon) {
            out.append(dynonList).append(number).append(".TITLE, ").append(UpperCase(name));
        } else {
            out.append(grtList).append(" ").append(name);
        }
        out += lineEnd;
        std::size_t lineNumber = 0;
        std::size_t itemNumber = 0;
        for (const Item& item : list.items) {
            ++itemNumber;
            text.clear();
            AppendItemText(text, item, ItemStyle::Text);
            const bool flattened = AsOneLine(text, flat, warnings, [&] {
                                       return Where(list.name, itemNumber);
                                   }).data() == flat.data();
            if (flattened) {
                text.swap(flat);
            }
            if (dynon) {
                MakeUpperCase(text);
            }
            // Read back, the line must give the item (in capitals, for Dynon) and must not
            // continue the item before it.
            Item back = ParseItem(text, ItemStyle::Text);
            bool same = back.kind == item.kind && back.indent == item.indent &&
                        back.centered == item.centered &&
                        (dynon ? back.prompt.size() == UpperCaseSize(item.prompt) &&
                                     back.expectation.size() == UpperCaseSize(item.expectation)
                               : back == item);
            std::size_t start = text.find_first_not_of(' ');
            if (!flattened &&
                (!same || (itemNumber > 1 && start != std::string::npos && text[start] == '|'))) {
                warnings.Add(Where(list.name, itemNumber) + ": " +
                             LineRules::QuotedForDisplay(text) + " reads back as another item");
            }
            auto addLine = [&](std::string_view piece) {
                if (dynon) {
                    out.append(dynonList).append(number).append(".LINE");
                    out.append(std::to_string(++lineNumber)).append(",");
                } else {
                    out.append(grtItem);
                }
                if (!piece.empty()) {
                    out.append(" ").append(piece);
                }
                out += lineEnd;
            };
            if (width > 0 && CharacterCount(text) > static_cast<std::size_t>(width)) {
                for (const std::string& piece : Wrap(text, width)) {
                    addLine(piece);
                }
            } else {
                addLine(text);
            }
            if (out.size() >= chunkBytes) {
                if (!sink(out)) {
                    return false;
                }
                out.clear();
            }
        }
    }
    return sink(out);
}

std::string WriteTextChecklists(const Book& book, TextFlavour flavour, int width,
                                Warnings& warnings) {
    std::string all;
    WriteTextChecklists(book, flavour, width, warnings, [&all](std::string_view chunk) {
        all += chunk;
        return true;
    });
    return all;
}

} // namespace convert
