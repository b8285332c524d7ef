#pragma once

class QLineEdit;

// Keeps edit to one line of at most LineRules::maxBytes bytes of UTF-8, whatever is typed, pasted
// or set: line breaks, tabs and other control characters become spaces (a carriage return before a
// line feed goes with it), and what does not fit is dropped, whole characters at a time, from just
// before the cursor, so that a paste is cut at its end and typing into a full box does nothing.
void LimitToOneLine(QLineEdit* edit);
