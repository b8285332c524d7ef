#include "JsonRoom.h"

#include <cstring>
#include <sys/mman.h>

namespace convert {

bool JsonRoom::Make(std::size_t capacity) {
    constexpr std::size_t largePage = std::size_t(2) << 20;
    std::size_t room = capacity + simdjson::SIMDJSON_PADDING;
    size = 0;
    if (room < largePage) {
        data.reset(static_cast<char*>(std::malloc(room)));
        return data != nullptr;
    }
    room = (room + largePage - 1) / largePage * largePage;
    data.reset(static_cast<char*>(std::aligned_alloc(largePage, room)));
#ifdef MADV_HUGEPAGE
    if (data) {
        madvise(data.get(), room, MADV_HUGEPAGE);
    }
#endif
    return data != nullptr;
}

void JsonRoom::SetSize(std::size_t textSize) {
    size = textSize;
    std::memset(data.get() + size, 0, simdjson::SIMDJSON_PADDING);
}

simdjson::error_code ParseJson(simdjson::dom::parser& parser, std::string_view text,
                               simdjson::dom::element& root) {
    simdjson::error_code error = parser.parse(text.data(), text.size(), false).get(root);
    if (error == simdjson::DEPTH_ERROR) {
        error = parser.allocate(text.size(), text.size() / 2 + 1);
        if (!error) {
            error = parser.parse(text.data(), text.size(), false).get(root);
        }
    }
    return error;
}

} // namespace convert
