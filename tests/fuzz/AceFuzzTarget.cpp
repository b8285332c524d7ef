#include "ConvertRoundTrip.h"

#include <cstdint>

// Reads any bytes as an .ace file and converts them through a .ckl and back; see
// ConvertRoundTrip.h.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    convertfuzz::RoundTrip(convertfuzz::Format::Ace,
                           std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
