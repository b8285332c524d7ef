#include "ConvertRoundTrip.h"

#include <algorithm>
#include <cstdint>

namespace {

// A refused text is told at a line it has and, for a fault of the JSON, at a column no further
// than just after that line's last character; a refused value has no column.
void CheckPlace(std::string_view bytes) {
    convert::Book book;
    convert::Warnings warnings;
    std::optional<convert::ReadError> error = convert::ReadEfisJson(bytes, book, warnings);
    if (!error) {
        return;
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    auto lines = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
    if (error->at < 1 || error->at > lines) {
        FuzzChecks::Fail("a refusal told beyond the text's lines:", error->what);
    }
    if (error->column == 0) {
        if (error->what.rfind("not valid JSON", 0) == 0) {
            FuzzChecks::Fail("a fault of the JSON told without a column:", error->what);
        }
        return;
    }
    std::size_t start = 0;
    for (std::size_t line = 1; line < error->at; ++line) {
        start = bytes.find('\n', start) + 1;
    }
    std::string_view line = bytes.substr(start, bytes.find('\n', start) - start);
    if (error->column > convert::CharacterCount(line) + 1) {
        FuzzChecks::Fail("a fault told beyond the end of its line:", error->what);
    }
}

} // namespace

// Reads any bytes as efis-editor JSON and converts them through a .ckl and back; see
// ConvertRoundTrip.h. A refusal must be told at a place inside the text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckPlace(bytes);
    convertfuzz::RoundTrip(convertfuzz::Format::EfisJson, bytes);
    return 0;
}
