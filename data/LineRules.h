#pragma once

#include <cstddef>
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
// The length of the longest start of text that fits into room bytes without cutting a character.
std::size_t FittingLength(std::string_view text, std::size_t room = maxBytes);
// The longest start of text that fits into room bytes without cutting a character.
std::string_view CutToFit(std::string_view text, std::size_t room = maxBytes);

// A tag line begins with "[" and has a "]" further on; its tag is the text between the "[" and
// the first "]".
bool IsTagLine(std::string_view line);
std::string_view TagOf(std::string_view tagLine);

// Whether text can be kept as an item or a caption line of a checklist file and read back as it
// is: at most maxBytes bytes, no line break, and no tag line.
bool IsStorableLine(std::string_view text);

} // namespace LineRules
