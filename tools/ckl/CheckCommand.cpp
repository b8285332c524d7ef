#include "Commands.h"

#include <ostream>

namespace ckl {

// Stands in until the check command is written, so that the tool links.
int RunCheck(const std::vector<std::string>&, std::ostream&, std::ostream& err) {
    err << "ckl: check is not available yet\n";
    return 2;
}

} // namespace ckl
