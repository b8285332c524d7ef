#include "ChecklistDoc.h"
#include "CklSupport.h"
#include "Commands.h"

namespace ckl {

int RunRewrite(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (auto status = CheckFileArguments("rewrite", args, 2, out, err)) {
        return *status;
    }
    ChecklistDoc doc;
    if (!LoadDocument(doc, args[0], err) || !SaveDocument(doc, args[1], out, err)) {
        return 1;
    }
    return 0;
}

} // namespace ckl
