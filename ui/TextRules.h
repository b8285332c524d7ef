#pragma once

class QLineEdit;

// The most bytes of UTF-8 that one line of text in the program holds, its terminator not counted.
inline constexpr int maxLineBytes = 1023;

// Whether text can be kept as an item or a hot-button caption line of a checklist file: a line
// that begins with "[" and contains "]" further on would be read back as a tag. Null counts as
// empty, which is storable.
bool IsStorableLine(const char* text);

// Keeps edit to one line of at most maxLineBytes bytes of UTF-8, whatever is typed, pasted or set:
// line breaks, tabs and other control characters become spaces (a carriage return before a line
// feed goes with it), and what does not fit is dropped, whole characters at a time, from just
// before the cursor, so that a paste is cut at its end and typing into a full box does nothing.
void LimitToOneLine(QLineEdit* edit);
