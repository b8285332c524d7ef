#include "LineRules.h"

#include <algorithm>

namespace LineRules {
namespace {

bool IsContinuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// How many bytes the character that begins with lead claims; 1 for anything but a lead byte.
std::size_t SequenceLength(char lead) {
    const auto byte = static_cast<unsigned char>(lead);
    if (byte >= 0xF0 && byte <= 0xF7) {
        return 4;
    }
    if (byte >= 0xE0 && byte <= 0xEF) {
        return 3;
    }
    return byte >= 0xC0 && byte <= 0xDF ? 2 : 1;
}

// The length of the valid UTF-8 character at text[at] that is neither a control nor a
// non-character of the terminal's concern (C1), or 0 when the byte there must be escaped.
std::size_t DisplayableLength(std::string_view text, std::size_t at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80) {
        return byte < 0x20 || byte == 0x7F ? 0 : 1;
    }
    const std::size_t length = SequenceLength(text[at]);
    if (length == 1 || at + length > text.size()) {
        return 0;
    }
    char32_t code = byte & (0xFF >> (length + 1));
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsContinuation(text[at + i])) {
            return 0;
        }
        code = (code << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are no characters; an overlong
    // form of a control is how some terminals are fooled.
    constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
        return 0;
    }
    return code >= 0x80 && code <= 0x9F ? 0 : length;
}

// The length of the line break or control character at text[at] that the text entry turns into a
// space, or 0 when there is none there.
std::size_t LineBreakingLength(std::string_view text, std::size_t at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x20 || byte == 0x7F) {
        return 1;
    }
    const std::string_view rest = text.substr(at);
    if (rest.starts_with("\xC2\x85")) {
        return 2;
    }
    return rest.starts_with("\xE2\x80\xA8") || rest.starts_with("\xE2\x80\xA9") ? 3 : 0;
}

} // namespace

bool IsOneLine(std::string_view text) {
    // One comparison a byte, printable ASCII or not, without stopping early, which lets the
    // compiler test many bytes at a time. Only a text with a control character or a byte beyond
    // ASCII is looked at closely.
    unsigned char outside = 0;
    for (char c : text) {
        outside |= static_cast<unsigned char>(static_cast<unsigned char>(c - 0x20) >= 0x5F);
    }
    if (outside == 0) {
        return true;
    }
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (LineBreakingLength(text, at) != 0) {
            return false;
        }
    }
    return true;
}

bool FlattenLine(std::string& text, std::size_t& cursor) {
    if (IsOneLine(text)) {
        return false;
    }
    std::size_t at = 0;
    while (LineBreakingLength(text, at) == 0) {
        ++at;
    }
    std::string flat = text.substr(0, at);
    std::size_t newCursor = cursor;
    while (at < text.size()) {
        std::size_t length = LineBreakingLength(text, at);
        if (length == 0) {
            flat.push_back(text[at++]);
            continue;
        }
        if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') {
            length = 2; // a Windows line end is one break
        }
        // What was removed before the cursor moves it back; a cursor between the CR and the LF
        // of a line end stays before the space.
        if (at + length <= cursor) {
            newCursor -= length - 1;
        } else if (at < cursor) {
            newCursor -= cursor - at;
        }
        flat.push_back(' ');
        at += length;
    }
    text = std::move(flat);
    cursor = std::min(newCursor, text.size());
    return true;
}

LineChanges MakeStorableLine(std::string& text, std::size_t room) {
    LineChanges changes;
    std::size_t end = text.size();
    changes.flattened = FlattenLine(text, end);
    if (text.size() > room) {
        text.resize(FittingLength(text, room));
        changes.cut = true;
    }
    return changes;
}

std::string Displayed(std::string_view text, std::size_t maxCharacters) {
    std::string shown;
    shown.reserve(text.size() + 2);
    std::size_t characters = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        if (maxCharacters > 0 && characters == maxCharacters) {
            shown += "\u2026";
            break;
        }
        ++characters;
        if (std::size_t length = DisplayableLength(text, at); length > 0) {
            shown.append(text, at, length);
            at += length;
            continue;
        }
        // A byte of a control or of broken UTF-8, escaped on its own: the bytes after it are
        // looked at afresh, so a broken sequence never swallows a good character.
        constexpr char hex[] = "0123456789ABCDEF";
        const auto byte = static_cast<unsigned char>(text[at++]);
        shown += "\\x";
        shown.push_back(hex[byte >> 4]);
        shown.push_back(hex[byte & 0x0F]);
    }
    return shown;
}

std::string QuotedForDisplay(std::string_view text) {
    return '"' + Displayed(text, messageCharacters) + '"';
}

bool IsCharacterStart(std::string_view text, std::size_t at) {
    if (at == 0 || at >= text.size() || !IsContinuation(text[at])) {
        return true;
    }
    // Look back over continuation bytes for the lead byte that may claim this one.
    std::size_t lead = at;
    while (lead > 0 && at - lead < 3) {
        --lead;
        if (!IsContinuation(text[lead])) {
            return SequenceLength(text[lead]) <= at - lead;
        }
    }
    return true;
}

std::size_t CharacterLength(std::string_view text, std::size_t at) {
    std::size_t end = at + 1;
    while (end < text.size() && !IsCharacterStart(text, end)) {
        ++end;
    }
    return std::min(end, text.size()) - std::min(at, text.size());
}

std::size_t FittingLength(std::string_view text, std::size_t room) {
    if (text.size() <= room) {
        return text.size();
    }
    std::size_t cut = room;
    while (cut > 0 && !IsCharacterStart(text, cut)) {
        --cut;
    }
    return cut;
}

std::string_view CutToFit(std::string_view text, std::size_t room) {
    return text.substr(0, FittingLength(text, room));
}

bool IsTagLine(std::string_view line) {
    return line.size() >= 2 && line[0] == '[' && line.find(']', 1) != std::string_view::npos;
}

std::string_view TagOf(std::string_view tagLine) {
    return tagLine.substr(1, tagLine.find(']', 1) - 1);
}

bool IsStorableLine(std::string_view text) {
    return text.size() <= maxBytes && text.find_first_of("\r\n") == std::string_view::npos &&
           !IsTagLine(text);
}

} // namespace LineRules
