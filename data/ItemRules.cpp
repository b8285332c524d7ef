#include "ItemRules.h"

#include "LineRules.h"

#include <algorithm>
#include <cstddef>

namespace ItemRules {
namespace {

constexpr std::string_view notePrefix = PrefixOf(Kind::Note);
constexpr std::string_view cautionPrefix = PrefixOf(Kind::Caution);
constexpr std::string_view warningPrefix = PrefixOf(Kind::Warning);
constexpr std::string_view plainPrefix = "- ";
constexpr std::string_view titleOpen = "** ";
constexpr std::string_view titleClose = " **";
constexpr std::string_view centerOpen = ">> ";
constexpr std::string_view centerClose = " <<";
constexpr std::string_view cklSeparator = " ..... ";
constexpr std::string_view textSeparator = " - ";

// True when text starts with open and ends with close, the two not overlapping.
bool IsWrapped(std::string_view text, std::string_view open, std::string_view close) {
    return text.size() >= open.size() + close.size() && text[0] == open[0] &&
           text.starts_with(open) && text.ends_with(close);
}

std::string_view Unwrap(std::string_view text, std::string_view open, std::string_view close) {
    return text.substr(open.size(), text.size() - open.size() - close.size());
}

// Splits a challenge from its response at the first run of three or more dots with a space
// either side. Returns false when there is none.
bool SplitAtDots(std::string_view text, std::string_view& challenge, std::string_view& response) {
    // Runs of dots are rarer than spaces: look for them, then at what is around them.
    for (std::size_t at = text.find("..."); at != std::string_view::npos;) {
        std::size_t end = at + 3;
        while (end < text.size() && text[end] == '.') {
            ++end;
        }
        if (at > 0 && text[at - 1] == ' ' && end < text.size() && text[end] == ' ') {
            challenge = text.substr(0, at - 1);
            response = text.substr(end + 1);
            return true;
        }
        at = text.find("...", end);
    }
    return false;
}

// Splits a challenge from its response at the first " - ". Returns false when there is none.
bool SplitAtDash(std::string_view text, std::string_view& challenge, std::string_view& response) {
    // Dashes are rarer than spaces: look for them, then at what is around them.
    for (std::size_t at = text.find('-'); at != std::string_view::npos;
         at = text.find('-', at + 1)) {
        if (at > 0 && text[at - 1] == ' ' && at + 1 < text.size() && text[at + 1] == ' ') {
            challenge = text.substr(0, at - 1);
            response = text.substr(at - 1 + textSeparator.size());
            return true;
        }
    }
    return false;
}

} // namespace

Parts Parse(std::string_view text, Style style) {
    Parts parts;
    if (text.empty()) {
        parts.kind = Kind::Space;
        return parts;
    }
    if (style == Style::Ckl && text.size() > 1 && text[0] == ' ' && text[1] == '[' &&
        LineRules::IsTagLine(text.substr(1))) {
        text.remove_prefix(1);
    }
    std::size_t spaces = 0;
    while (spaces < text.size() && text[spaces] == ' ') {
        ++spaces;
    }
    parts.indent = static_cast<int>(std::min<std::size_t>(spaces / 2, maxIndent));
    text.remove_prefix(static_cast<std::size_t>(parts.indent) * 2);
    if (IsWrapped(text, centerOpen, centerClose)) {
        parts.centered = true;
        text = Unwrap(text, centerOpen, centerClose);
    }
    std::string_view challenge;
    std::string_view response;
    // A prefix is tried only when the text starts with its first character, which rules out
    // most texts at once.
    char first = text.empty() ? '\0' : text[0];
    if (first == notePrefix[0] && text.starts_with(notePrefix)) {
        parts.kind = Kind::Note;
        text.remove_prefix(notePrefix.size());
    } else if (first == cautionPrefix[0] && text.starts_with(cautionPrefix)) {
        parts.kind = Kind::Caution;
        text.remove_prefix(cautionPrefix.size());
    } else if (first == warningPrefix[0] && text.starts_with(warningPrefix)) {
        parts.kind = Kind::Warning;
        text.remove_prefix(warningPrefix.size());
    } else if (IsWrapped(text, titleOpen, titleClose)) {
        parts.kind = Kind::Title;
        text = Unwrap(text, titleOpen, titleClose);
    } else if (first == plainPrefix[0] && text.starts_with(plainPrefix)) {
        parts.kind = Kind::PlainText;
        text.remove_prefix(plainPrefix.size());
    } else if (style == Style::Ckl ? SplitAtDots(text, challenge, response)
                                   : SplitAtDash(text, challenge, response)) {
        parts.kind = Kind::ChallengeResponse;
        parts.prompt = challenge;
        parts.expectation = response;
        return parts;
    }
    parts.prompt = text;
    return parts;
}

void AppendText(std::string& out, const Parts& parts, Style style) {
    if (parts.kind == Kind::Space) {
        return;
    }
    std::size_t start = out.size();
    out.append(static_cast<std::size_t>(std::clamp(parts.indent, 0, maxIndent)) * 2, ' ');
    if (parts.centered) {
        out.append(centerOpen);
    }
    switch (parts.kind) {
    case Kind::Title:
        out.append(titleOpen).append(parts.prompt).append(titleClose);
        break;
    case Kind::PlainText:
        out.append(plainPrefix).append(parts.prompt);
        break;
    case Kind::ChallengeResponse:
        out.append(parts.prompt)
            .append(style == Style::Ckl ? cklSeparator : textSeparator)
            .append(parts.expectation);
        break;
    default:
        out.append(PrefixOf(parts.kind)).append(parts.prompt);
        break;
    }
    if (parts.centered) {
        out.append(centerClose);
    }
    if (style == Style::Ckl && LineRules::IsTagLine(std::string_view(out).substr(start))) {
        out.insert(out.begin() + static_cast<std::ptrdiff_t>(start), ' ');
    }
}

std::string Format(const Parts& parts, Style style) {
    std::string text;
    AppendText(text, parts, style);
    return text;
}

std::string_view LabelOf(Kind kind) {
    // The label is the prefix without the space that parts it from the text.
    std::string_view prefix = PrefixOf(kind);
    return prefix.substr(0, prefix.empty() ? 0 : prefix.size() - 1);
}

} // namespace ItemRules
