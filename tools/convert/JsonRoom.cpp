#include "JsonRoom.h"

#include <cstdint>
#include <cstring>
#include <sys/mman.h>

namespace convert {
namespace {

constexpr std::size_t largePage = std::size_t(2) << 20;

// Asks for large pages behind the whole large pages within bytes at start: filling a hundred
// megabytes a small page at a time spends more time in page faults than in parsing.
void AdviseLargePages([[maybe_unused]] void* start, [[maybe_unused]] std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    auto first = reinterpret_cast<std::uintptr_t>(start);
    std::uintptr_t begin = (first + largePage - 1) / largePage * largePage;
    std::uintptr_t end = (first + bytes) / largePage * largePage;
    if (begin < end) {
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    }
#endif
}

// Makes the parser's room for a text of size bytes, the room it would make itself, with large
// pages behind its tape, its strings and its index of structural characters.
simdjson::error_code MakeParserRoom(simdjson::dom::parser& parser, std::size_t size,
                                    std::size_t depth) {
    if (size <= parser.capacity() && depth <= parser.max_depth()) {
        return simdjson::SUCCESS;
    }
    if (simdjson::error_code error = parser.allocate(size, depth)) {
        return error;
    }
    if (size < largePage) {
        return simdjson::SUCCESS;
    }
    // The parser makes the document's room only when it parses; made here, it can be advised.
    if (simdjson::error_code error = parser.doc.allocate(size)) {
        return error;
    }
    // The parser keeps these in members that its documentation leaves unnamed; their sizes as
    // it allocates them for a capacity.
    std::size_t capacity = parser.capacity();
    AdviseLargePages(parser.doc.tape.get(), (capacity + 3 + 63) / 64 * 64 * sizeof(std::uint64_t));
    AdviseLargePages(parser.doc.string_buf.get(), capacity * 5 / 3 + simdjson::SIMDJSON_PADDING);
    AdviseLargePages(parser.implementation->structural_indexes.get(),
                     ((capacity + 63) / 64 * 64 + 2 + 7) * sizeof(std::uint32_t));
    return simdjson::SUCCESS;
}

} // namespace

bool JsonRoom::Make(std::size_t capacity) {
    std::size_t room = capacity + simdjson::SIMDJSON_PADDING;
    size = 0;
    if (room < largePage) {
        data.reset(static_cast<char*>(std::malloc(room)));
        return data != nullptr;
    }
    room = (room + largePage - 1) / largePage * largePage;
    data.reset(static_cast<char*>(std::aligned_alloc(largePage, room)));
    if (data) {
        AdviseLargePages(data.get(), room);
    }
    return data != nullptr;
}

void JsonRoom::SetSize(std::size_t textSize) {
    size = textSize;
    std::memset(data.get() + size, 0, simdjson::SIMDJSON_PADDING);
}

simdjson::error_code ParseJson(simdjson::dom::parser& parser, std::string_view text,
                               simdjson::dom::element& root) {
    simdjson::error_code error = MakeParserRoom(parser, text.size(), parser.max_depth());
    if (!error) {
        error = parser.parse(text.data(), text.size(), false).get(root);
    }
    if (error == simdjson::DEPTH_ERROR) {
        error = MakeParserRoom(parser, text.size(), text.size() / 2 + 1);
        if (!error) {
            error = parser.parse(text.data(), text.size(), false).get(root);
        }
    }
    return error;
}

} // namespace convert
