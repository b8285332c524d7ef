#pragma once

#include <simdjson.h>

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <string_view>

// Where the JSON formats keep a text for simdjson, and how they parse it.
namespace convert {

// Room for a JSON text followed by the zero bytes simdjson may read beyond its end. A large
// room is backed by large pages, which spares most of the page faults of filling a hundred
// megabytes.
class JsonRoom {
public:
    // Makes room for up to capacity bytes of text; false when there is no memory for it.
    bool Make(std::size_t capacity);
    char* Data() const { return data.get(); }
    // Ends the text after size bytes, no more than the capacity, with the padding.
    void SetSize(std::size_t size);
    std::string_view Text() const { return {data.get(), size}; }

private:
    struct Free {
        void operator()(char* room) const { std::free(room); }
    };
    std::unique_ptr<char, Free> data;
    std::size_t size = 0;
};

// Parses text, which must be followed by simdjson's padding, into root; with room for any depth
// of nesting when the usual room is too small, as values the readers skip may nest deeply and
// are JSON all the same.
simdjson::error_code ParseJson(simdjson::dom::parser& parser, std::string_view text,
                               simdjson::dom::element& root);

} // namespace convert
