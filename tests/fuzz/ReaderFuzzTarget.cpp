#include "ChecklistDoc.h"
#include "ChecklistFile.h"
#include "FuzzChecks.h"

#include <cstdint>
#include <string>
#include <string_view>

// Reads any bytes as a checklist file, writes what was read, reads that back and demands the
// same document: the writer's output must be a fixed point of reading and writing. Any
// difference, or a text the format cannot hold, aborts with a description.

using namespace FuzzChecks;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ChecklistDoc first;
    ChecklistFile::ReadText(first, bytes);
    CheckDocument(first);
    std::string once = ChecklistFile::WriteText(first);

    ChecklistDoc second;
    ChecklistFile::ReadText(second, once);
    CheckDocument(second);
    CompareDocuments(first, second);
    if (ChecklistFile::WriteText(second) != once) {
        Fail("writing the document read back gives other bytes");
    }
    return 0;
}
