#include "ConvertRoundTrip.h"

#include <cstdint>

// Reads any bytes as a ForeFlight file and converts them through a .ckl and back; see
// ConvertRoundTrip.h.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    convertfuzz::RoundTrip(convertfuzz::Format::ForeFlight, bytes);
    return 0;
}
