#pragma once

#include "CDialog.h"

// Asks for one line of text in a small modal dialog titled title, with prompt above the box.
// text is the caller's 1,024-byte buffer: read as the box's starting text, and overwritten with
// the confirmed text (always NUL-terminated, at most 1,023 bytes of UTF-8) only when the result is
// 1 (OK). Returns 1 for OK, 2 for Cancel, -1 when the dialog cannot be created. Empty title,
// prompt or text leave the template's "Dialog", "Static" or empty box in place.
int RunTextEntry(const char* title, const char* prompt, char* text);
