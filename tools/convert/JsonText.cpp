#include "JsonText.h"

#include <nlohmann/json.hpp>

namespace convert {
namespace {

// Whether text needs no escaping; looks at every byte without stopping early, which lets the
// compiler test many at a time.
bool IsPlain(std::string_view text) {
    unsigned char special = 0;
    unsigned char high = 0;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        special |= static_cast<unsigned char>((byte == '"') | (byte == '\\') | (byte < 0x20));
        high |= byte;
    }
    return special == 0 && high < 0x80;
}

} // namespace

void AppendJsonString(std::string& out, std::string_view text) {
    if (IsPlain(text)) {
        out += '"';
        out += text;
        out += '"';
        return;
    }
    // Rare: nlohmann escapes and mends broken UTF-8 as the JSON rules want it.
    out += nlohmann::json(std::string(text))
               .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace convert
