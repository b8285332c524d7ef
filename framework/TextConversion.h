#pragma once

#include "LineRules.h"

#include <QString>

// The program keeps its texts as NUL-terminated UTF-8. Controls hold 16-bit text, handed over and
// read back through buffers of textBufferSize 16-bit characters (the terminator included), and a
// text read back is converted into at most textBufferSize - 1 bytes of UTF-8 plus the terminator.
// It holds the longest storable line and its terminator.
inline constexpr int textBufferSize = static_cast<int>(LineRules::maxBytes) + 1;

// The 16-bit text a control receives for a UTF-8 text: at most textBufferSize - 1 characters,
// never ending in half a surrogate pair. nullptr gives an empty text; malformed UTF-8 sequences
// become U+FFFD.
QString WidenText(const char* text);

// The 16-bit text a control's text reads back as: its first textBufferSize - 1 characters, never
// ending in half a surrogate pair.
QString ReadBackText(const QString& text);

// Writes text as UTF-8 into buffer: at most capacity - 1 bytes, cut before the first character
// that does not fit whole, then a terminating zero byte. Returns the number of bytes written
// before the terminator. A capacity below 1 or a null buffer writes nothing and returns 0.
int NarrowText(const QString& text, char* buffer, int capacity);
