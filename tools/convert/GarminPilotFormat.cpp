#include "GarminPilotFormat.h"

namespace convert {

std::optional<ReadError> ReadGarminPilot(std::string_view, Book&, Warnings&) {
    return ReadError{ReadError::nowhere, "Garmin Pilot files cannot be read yet"};
}

bool WriteGarminPilot(const Book&, Warnings&, const ChunkSink&) {
    return false;
}

} // namespace convert
