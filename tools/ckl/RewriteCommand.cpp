#include "ChecklistDoc.h"
#include "CklSupport.h"
#include "Commands.h"

namespace ckl {

int RunRewrite(const CommandLine& line, std::ostream& out, std::ostream& err) {
    ChecklistDoc doc;
    if (!LoadDocument(doc, line.files[0], err) || !SaveDocument(doc, line.files[1], out, err)) {
        return 1;
    }
    return 0;
}

} // namespace ckl
