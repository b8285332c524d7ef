#pragma once

#include <string>
#include <string_view>

// What kind of line a checklist item is. An item is one line of text whose conventions say how
// it is shown, printed, read aloud and converted: "CHALLENGE ..... RESPONSE", "NOTE: text",
// "CAUTION: text", "WARNING: text", "** heading **", "- plain text", ">> centred <<", two
// leading spaces for each level of indentation, and an empty line for a blank. Everything that
// reads or writes an item by its kind asks here.
namespace ItemRules {

enum class Kind {
    Challenge,         // a line to tick off
    ChallengeResponse, // a line to tick off, with the expected response
    PlainText,         // information, nothing to tick
    Note,
    Caution,
    Warning,
    Title, // a heading inside the list
    Space, // a blank line
};

// Which separator joins challenge and response: " ..... " in a .ckl (read: the first run of
// three or more dots with a space either side), " - " in the text formats.
enum class Style { Ckl, Text };

struct Parts {
    Kind kind = Kind::Challenge;
    std::string_view prompt;      // the text after the label, or the challenge
    std::string_view expectation; // only for ChallengeResponse
    int indent = 0;               // levels, 0 to maxIndent
    bool centered = false;

    friend bool operator==(const Parts&, const Parts&) = default;
};

inline constexpr int maxIndent = 9;

// The kind and parts of a line of text; never fails; views into text. Text that follows no
// convention is a challenge; an empty text is a blank. In Style::Ckl one space in front of a
// line that would otherwise read as a tag line is dropped.
Parts Parse(std::string_view text, Style style = Style::Ckl);
// The line Parse reads back as parts (a blank is the empty line, whatever its indentation).
// In Style::Ckl a line that would read as a tag line gets one space in front.
std::string Format(const Parts& parts, Style style = Style::Ckl);
// Appends Format(parts, style) to out.
void AppendText(std::string& out, const Parts& parts, Style style = Style::Ckl);

// The label a kind is shown and printed with: "NOTE:", "CAUTION:", "WARNING:"; empty for the
// others.
std::string_view LabelOf(Kind kind);
// What a line of a note, caution or warning starts with after its indentation and centring:
// its label and one space; empty for the other kinds.
constexpr std::string_view PrefixOf(Kind kind) {
    switch (kind) {
    case Kind::Note:
        return "NOTE: ";
    case Kind::Caution:
        return "CAUTION: ";
    case Kind::Warning:
        return "WARNING: ";
    default:
        return {};
    }
}

} // namespace ItemRules
