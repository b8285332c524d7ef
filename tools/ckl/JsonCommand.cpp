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
    for (Checklist* c = doc.checklists.next; !doc.IsEnd(c); c = c->next) {
        if (c != doc.checklists.next) {
            out << ',';
        }
        out << "{\"name\":" << Json(c->name) << ",\"items\":[";
        for (ChecklistItem* item = c->items.next; !c->IsEnd(item); item = item->next) {
            if (item != c->items.next) {
                out << ',';
            }
            out << Json(item->text);
        }
        out << "]}";
    }
    out << "],\"hotButtons\":[";
    for (HotButtonSlot* slot = doc.hotButtons.next; !doc.IsEnd(slot); slot = slot->next) {
        if (slot != doc.hotButtons.next) {
            out << ',';
        }
        // A slot may still name a checklist that has left the ring; it leads nowhere then.
        int index = slot->checklist ? doc.IndexOfChecklist(slot->checklist) : -1;
        out << "{\"caption\":" << Json(slot->caption)
            << ",\"checklist\":" << (index >= 0 ? std::to_string(index) : "null") << '}';
    }
    out << "]}";
}

} // namespace

int RunJson(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (auto status = CheckFileArguments("json", args, 1, out, err)) {
        return *status;
    }
    ChecklistDoc doc;
    if (!LoadDocument(doc, args[0], err)) {
        return 1;
    }
    WriteDocumentJson(doc, out);
    out << '\n';
    return 0;
}

} // namespace ckl
