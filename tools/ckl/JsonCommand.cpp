#include "ChecklistDoc.h"
#include "CklSupport.h"
#include "Commands.h"

#include <nlohmann/json.hpp>

#include <ostream>

namespace ckl {
namespace {

// The document as one JSON object; ordered so that the keys come out in a fixed order.
nlohmann::ordered_json DocumentJson(ChecklistDoc& doc) {
    nlohmann::ordered_json checklists = nlohmann::ordered_json::array();
    for (Checklist* c = doc.checklists.next; !doc.IsEnd(c); c = c->next) {
        nlohmann::ordered_json items = nlohmann::ordered_json::array();
        for (ChecklistItem* item = c->items.next; !c->IsEnd(item); item = item->next) {
            items.push_back(item->text);
        }
        checklists.push_back({{"name", c->name}, {"items", std::move(items)}});
    }
    nlohmann::ordered_json hotButtons = nlohmann::ordered_json::array();
    for (HotButtonSlot* slot = doc.hotButtons.next; !doc.IsEnd(slot); slot = slot->next) {
        // A slot may still name a checklist that has left the ring; it leads nowhere then.
        int index = slot->checklist ? doc.IndexOfChecklist(slot->checklist) : -1;
        nlohmann::ordered_json checklist =
            index >= 0 ? nlohmann::ordered_json(index) : nlohmann::ordered_json(nullptr);
        hotButtons.push_back({{"caption", slot->caption}, {"checklist", std::move(checklist)}});
    }
    nlohmann::ordered_json json;
    json["fileName"] = doc.fileName ? doc.fileName : "";
    json["modified"] = doc.modified;
    json["checklists"] = std::move(checklists);
    json["hotButtons"] = std::move(hotButtons);
    return json;
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
    // The reader hands out UTF-8 only; should a byte ever slip through, it is shown as U+FFFD
    // rather than ending the tool with an exception.
    out << DocumentJson(doc).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
        << '\n';
    return 0;
}

} // namespace ckl
