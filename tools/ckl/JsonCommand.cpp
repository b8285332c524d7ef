#include "ChecklistDoc.h"
#include "CklSupport.h"
#include "Commands.h"

#include <nlohmann/json.hpp>

#include <ostream>
#include <string>
#include <utility>

namespace ckl {
namespace {

// One JSON value as the whole document's dump would write it. The reader hands out UTF-8 only;
// should a byte ever slip through, it is shown as U+FFFD rather than ending the tool with an
// exception.
template <typename Value> std::string Json(Value&& value) {
    return nlohmann::ordered_json(std::forward<Value>(value))
        .dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

// Writes the document as one JSON object, keys in a fixed order, value by value: a large document
// never has a second copy of itself as a JSON tree.
void WriteDocumentJson(ChecklistDoc& doc, std::ostream& out) {
    out << "{\"fileName\":" << Json(doc.fileName ? doc.fileName : "")
        << ",\"modified\":" << Json(doc.modified) << ",\"checklists\":[";
    const char* separator = "";
    for (const Checklist& list : doc.Checklists()) {
        out << std::exchange(separator, ",") << "{\"name\":" << Json(list.name) << ",\"items\":[";
        const char* itemSeparator = "";
        for (const ChecklistItem& item : list.Items()) {
            out << std::exchange(itemSeparator, ",") << Json(item.text);
        }
        out << "]}";
    }
    out << "],\"hotButtons\":[";
    separator = "";
    for (const HotButtonSlot& slot : doc.HotButtons()) {
        // A slot may still name a checklist that has left the ring; it leads nowhere then.
        int index = slot.checklist ? doc.IndexOfChecklist(slot.checklist) : -1;
        out << std::exchange(separator, ",") << "{\"caption\":" << Json(slot.caption)
            << ",\"checklist\":" << (index >= 0 ? std::to_string(index) : "null") << '}';
    }
    out << "]}";
}

} // namespace

int RunJson(const CommandLine& line, std::ostream& out, std::ostream& err) {
    ChecklistDoc doc;
    if (!LoadDocument(doc, line.files[0], err)) {
        return 1;
    }
    WriteDocumentJson(doc, out);
    out << '\n';
    return 0;
}

} // namespace ckl
