#pragma once

#include <string>
#include <string_view>

// How the writers of JSON formats put a text between quotes.
namespace convert {

// Appends text to out as a JSON string with its quotes: quotes, backslashes and control
// characters escaped, broken UTF-8 replaced by U+FFFD.
void AppendJsonString(std::string& out, std::string_view text);

} // namespace convert
