#include "ChecklistDoc.h"
#include "CklSupport.h"
#include "Commands.h"

#include <ostream>

namespace ckl {
namespace {

// The text with control characters (C0 but tab, DEL, and the C1 range that Windows-1252
// files may bring in) shown as "?", so that no stored text can drive the terminal.
std::string Printable(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        if ((byte < 0x20 && byte != '\t') || byte == 0x7F) {
            shown.push_back('?');
        } else if (byte == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            shown.push_back('?');
            ++i;
        } else {
            shown.push_back(text[i]);
        }
    }
    return shown;
}

} // namespace

int RunShow(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (auto status = CheckFileArguments("show", args, 1, out, err)) {
        return *status;
    }
    ChecklistDoc doc;
    if (!LoadDocument(doc, args[0], err)) {
        return 1;
    }
    // Checklists are numbered from 1 so that a hot button can say which one it leads to.
    int number = 1;
    for (Checklist* c = doc.checklists.next; !doc.IsEnd(c); c = c->next, ++number) {
        out << number << ". " << Printable(c->name) << '\n';
        if (c->IsEnd(c->items.next)) {
            out << "    (no items)\n";
        }
        for (ChecklistItem* item = c->items.next; !c->IsEnd(item); item = item->next) {
            out << "    [ ] " << Printable(item->text) << '\n';
        }
        out << '\n';
    }
    if (number == 1) {
        out << "(no checklists)\n\n";
    }
    out << "Hot buttons:\n";
    int button = 1;
    for (HotButtonSlot* slot = doc.hotButtons.next; !doc.IsEnd(slot); slot = slot->next) {
        out << "    " << button++ << ". " << Printable(slot->caption);
        int index = slot->checklist ? doc.IndexOfChecklist(slot->checklist) : -1;
        if (index >= 0) {
            out << " -> " << index + 1 << ". " << Printable(slot->checklist->name) << '\n';
        } else {
            out << " -> no checklist\n";
        }
    }
    return 0;
}

} // namespace ckl
