#include "Commands.h"

#include <ostream>

namespace ckl {

// Stands in until the print command is written, so that the tool links.
int RunPrint(const std::vector<std::string>&, std::ostream&, std::ostream& err) {
    err << "ckl: print is not available yet\n";
    return 2;
}

} // namespace ckl
