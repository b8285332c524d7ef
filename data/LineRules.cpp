#include "LineRules.h"

#include <algorithm>

namespace LineRules {
namespace {

bool IsContinuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// How many bytes the character that begins with lead claims; 1 for anything but a lead byte.
std::size_t SequenceLength(char lead) {
    const auto byte = static_cast<unsigned char>(lead);
    if (byte >= 0xF0 && byte <= 0xF7) {
        return 4;
    }
    if (byte >= 0xE0 && byte <= 0xEF) {
        return 3;
    }
    return byte >= 0xC0 && byte <= 0xDF ? 2 : 1;
}

} // namespace

bool IsCharacterStart(std::string_view text, std::size_t at) {
    if (at == 0 || at >= text.size() || !IsContinuation(text[at])) {
        return true;
    }
    // Look back over continuation bytes for the lead byte that may claim this one.
    std::size_t lead = at;
    while (lead > 0 && at - lead < 3) {
        --lead;
        if (!IsContinuation(text[lead])) {
            return SequenceLength(text[lead]) <= at - lead;
        }
    }
    return true;
}

std::size_t FittingLength(std::string_view text, std::size_t room) {
    if (text.size() <= room) {
        return text.size();
    }
    std::size_t cut = room;
    while (cut > 0 && !IsCharacterStart(text, cut)) {
        --cut;
    }
    return cut;
}

std::string_view CutToFit(std::string_view text, std::size_t room) {
    return text.substr(0, FittingLength(text, room));
}

bool IsTagLine(std::string_view line) {
    return line.size() >= 2 && line[0] == '[' && line.find(']', 1) != std::string_view::npos;
}

std::string_view TagOf(std::string_view tagLine) {
    return tagLine.substr(1, tagLine.find(']', 1) - 1);
}

bool IsStorableLine(std::string_view text) {
    return text.size() <= maxBytes && text.find_first_of("\r\n") == std::string_view::npos &&
           !IsTagLine(text);
}

} // namespace LineRules
