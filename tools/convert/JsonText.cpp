#include "JsonText.h"

#include <nlohmann/json.hpp>
#include <simdjson.h>

namespace convert {
namespace {

// Whether text needs no escaping; looks at every byte without stopping early, which lets the
// compiler test many at a time, and asks simdjson's validator only of text beyond ASCII.
bool IsPlain(std::string_view text) {
    unsigned char special = 0;
    unsigned char high = 0;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        special |= static_cast<unsigned char>((byte == '"') | (byte == '\\') | (byte < 0x20));
        high |= byte;
    }
    return special == 0 && (high < 0x80 || simdjson::validate_utf8(text.data(), text.size()));
}

} // namespace

std::string_view JsonEscaped(std::string_view text, std::string& room) {
    if (IsPlain(text)) {
        return text;
    }
    // Rare: nlohmann escapes and mends broken UTF-8 as the JSON rules want it.
    room = nlohmann::json(std::string(text))
               .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return std::string_view(room).substr(1, room.size() - 2);
}

void AppendJsonString(std::string& out, std::string_view text) {
    std::string room;
    out += '"';
    out += JsonEscaped(text, room);
    out += '"';
}

} // namespace convert
