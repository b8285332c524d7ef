#include "CheckCommand.h"
#include "ChecklistDoc.h"
#include "ChecklistFile.h"
#include "FuzzChecks.h"
#include "ReadEvents.h"

#include <cstdint>
#include <string>
#include <string_view>

// Checks any bytes as `ckl check` does and demands: findings in line order, on lines of the
// file; a document built from nothing but the reader's reports that equals the one it read;
// and no warning for the file the program's writer makes of that document.

using namespace FuzzChecks;

namespace {

// Both documents hold the same checklists and items, and the same four slots: captions, and
// the positions of their checklists.
void RequireSameDocument(ChecklistDoc& read, ChecklistDoc& rebuilt) {
    if (read.ChecklistCount() != rebuilt.ChecklistCount()) {
        Fail("the reports name another number of checklists");
    }
    CompareDocuments(read, rebuilt);
    for (int i = 0; i < ChecklistDoc::slotCount; ++i) {
        HotButtonSlot* a = read.SlotAt(i);
        HotButtonSlot* b = rebuilt.SlotAt(i);
        if (std::string_view(a->caption) != b->caption ||
            read.IndexOfChecklist(a->checklist) != rebuilt.IndexOfChecklist(b->checklist) ||
            (a->checklist == nullptr) != (b->checklist == nullptr)) {
            Fail("the reports set another hot button:", a->caption);
        }
    }
}

// Whether any text of the document holds a carriage return, which the writer stores as it is
// and the checker rightly points out.
bool HoldsCarriageReturn(const ChecklistDoc& doc) {
    auto has = [](const char* text) {
        return std::string_view(text).find('\r') != std::string_view::npos;
    };
    for (const Checklist& list : doc.Checklists()) {
        if (has(list.name)) {
            return true;
        }
        for (const ChecklistItem& item : list.Items()) {
            if (has(item.text)) {
                return true;
            }
        }
    }
    for (const HotButtonSlot& slot : doc.HotButtons()) {
        if (slot.checklist && has(slot.caption)) {
            return true;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    int lineCount = 0;
    {
        ChecklistDoc doc;
        ReadEvents events;
        ChecklistFile::ReadText(doc, bytes, &events);
        if (!events.faults.empty()) {
            Fail("the reports break their rules:", events.faults.front());
        }
        if (!events.ended) {
            Fail("the reports never ended");
        }
        RequireSameDocument(doc, events.rebuilt);
        lineCount = events.linesReported;

        std::string written = ChecklistFile::WriteText(doc);
        if (!HoldsCarriageReturn(doc)) {
            for (const ckl::CheckFinding& finding : ckl::CheckChecklistText(written)) {
                if (finding.warning) {
                    Fail("a file the program wrote gets a warning:", finding.text);
                }
            }
        }
    }
    int previous = 1;
    for (const ckl::CheckFinding& finding : ckl::CheckChecklistText(bytes)) {
        if (finding.line < previous || finding.line > std::max(lineCount, 1)) {
            Fail("a finding out of order or beyond the file:", finding.text);
        }
        previous = finding.line;
    }
    return 0;
}
