#pragma once

// Whether text can be kept as an item or a hot-button caption line of a checklist file: a line
// that begins with "[" and contains "]" further on would be read back as a tag.
bool IsStorableLine(const char* text);
