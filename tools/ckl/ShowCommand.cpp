#include "ChecklistDoc.h"
#include "CklSupport.h"
#include "Commands.h"
#include "LineRules.h"

#include <ostream>

namespace ckl {

int RunShow(const CommandLine& line, std::ostream& out, std::ostream& err) {
    ChecklistDoc doc;
    if (!LoadDocument(doc, line.files[0], err)) {
        return 1;
    }
    // Whole texts, but shown so that no stored text can drive the terminal.
    using LineRules::Displayed;
    // Checklists are numbered from 1 so that a hot button can say which one it leads to.
    int number = 1;
    for (const Checklist& list : doc.Checklists()) {
        out << number++ << ". " << Displayed(list.name) << '\n';
        if (list.Items().empty()) {
            out << "    (no items)\n";
        }
        for (const ChecklistItem& item : list.Items()) {
            out << "    [ ] " << Displayed(item.text) << '\n';
        }
        out << '\n';
    }
    if (number == 1) {
        out << "(no checklists)\n\n";
    }
    out << "Hot buttons:\n";
    int button = 1;
    for (const HotButtonSlot& slot : doc.HotButtons()) {
        out << "    " << button++ << ". " << Displayed(slot.caption);
        int index = slot.checklist ? doc.IndexOfChecklist(slot.checklist) : -1;
        if (index >= 0) {
            out << " -> " << index + 1 << ". " << Displayed(slot.checklist->name) << '\n';
        } else {
            out << " -> no checklist\n";
        }
    }
    return 0;
}

} // namespace ckl
