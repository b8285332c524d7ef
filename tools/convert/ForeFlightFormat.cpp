#include "ForeFlightFormat.h"

namespace convert {

std::optional<ReadError> ReadForeFlight(std::string_view, Book&, Warnings&) {
    return ReadError{ReadError::nowhere, "ForeFlight files cannot be read yet"};
}

bool WriteForeFlight(const Book&, Warnings&, const ChunkSink&) {
    return false;
}

} // namespace convert
