#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What one line of text is in the program, wherever a text is kept, typed, read from a file or
// handed to the settings store: at most maxBytes bytes of UTF-8, cut only between characters,
// and, for an item or a caption, never a line the file would read back as a tag.
//
// Broken UTF-8 has one answer everywhere: a character is a lead byte with the continuation
// bytes it claims (at most three); a continuation byte that no lead byte claims is a character
// of its own.
namespace LineRules {

inline constexpr std::size_t maxBytes = 1023;

// True when a character begins at text[at]: at the start, at the end, or at any byte that is not
// a continuation byte claimed by the lead byte before it.
bool IsCharacterStart(std::string_view text, std::size_t at);
// How many bytes the character that begins at text[at] takes (0 at or past the end).
std::size_t CharacterLength(std::string_view text, std::size_t at);
// The length of the longest start of text that fits into room bytes without cutting a character.
std::size_t FittingLength(std::string_view text, std::size_t room = maxBytes);
// The longest start of text that fits into room bytes without cutting a character.
std::string_view CutToFit(std::string_view text, std::size_t room = maxBytes);

// A tag line begins with "[" and has a "]" further on; its tag is the text between the "[" and
// the first "]".
bool IsTagLine(std::string_view line);
std::string_view TagOf(std::string_view tagLine);

// What MakeStorableLine changed in a text.
struct LineChanges {
    bool flattened = false; // line breaks or other control characters became spaces
    bool cut = false;       // the end did not fit and was left out
};
// Makes text one line, as the program's text entry does with what is typed or pasted: a CR LF
// pair becomes one space, and so does every other line break or control character (C0 with tab,
// DEL, U+0085, U+2028, U+2029); then what does not fit into room bytes is cut off between
// characters. Returns what it changed.
LineChanges MakeStorableLine(std::string& text, std::size_t room = maxBytes);
// Whether text holds nothing that MakeStorableLine would turn into a space.
bool IsOneLine(std::string_view text);
// The flattening of MakeStorableLine alone; cursor, a byte offset into text, is moved so that it
// stays after the same text. Returns whether anything changed.
bool FlattenLine(std::string& text, std::size_t& cursor);

// Whether text can be kept as an item or a caption line of a checklist file and read back as it
// is: at most maxBytes bytes, no line break, and no tag line.
bool IsStorableLine(std::string_view text);

// How text that came from a file (a name, an item, a caption, a file name) is shown in a message
// or on a terminal, so that no file can drive the terminal or garble a message: C0 controls
// (tab too), DEL, the C1 controls U+0080 to U+009F and every byte that is not part of a valid
// UTF-8 character are shown as "\xNN", one escape a byte; everything else as it is. With
// maxCharacters > 0, a text of more characters (an escape counts as one) is cut between
// characters after maxCharacters and ends in "…"; 0 shows the whole text.
std::string Displayed(std::string_view text, std::size_t maxCharacters = 0);
// How long a quoted text in a message may be, in characters.
inline constexpr std::size_t messageCharacters = 40;
// Displayed(text, messageCharacters) in double quotes: how a message quotes a file's text.
std::string QuotedForDisplay(std::string_view text);

} // namespace LineRules
