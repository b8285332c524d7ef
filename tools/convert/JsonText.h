#pragma once

#include <string>
#include <string_view>

// How the writers of JSON formats put a text between quotes.
namespace convert {

// text as it stands between the quotes of a JSON string: itself when nothing needs escaping,
// the common case, else escaped into room (quotes, backslashes and control characters escaped,
// broken UTF-8 replaced by U+FFFD).
std::string_view JsonEscaped(std::string_view text, std::string& room);
// Appends text to out as a JSON string with its quotes.
void AppendJsonString(std::string& out, std::string_view text);

} // namespace convert
