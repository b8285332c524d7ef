#include "CklSupport.h"
#include "Commands.h"
#include "LineRules.h"

#include <iostream>
#include <string>
#include <string_view>
#include <vector>

int main(int argc, char* argv[]) {
    if (argc < 2) {
        return ckl::UsageError(std::cerr, "no command given");
    }
    std::string_view word = argv[1];
    if (word == "-h" || word == "--help") {
        std::cout << ckl::UsageText();
        return 0;
    }
    if (word == "--version") {
        std::cout << ckl::VersionText();
        return 0;
    }
    const ckl::Command* command = ckl::CommandNamed(word);
    if (command == nullptr) {
        return ckl::UsageError(std::cerr, "unknown command '" + LineRules::Displayed(word) + "'");
    }
    int status = ckl::RunCommand(*command, std::vector<std::string>(argv + 2, argv + argc),
                                 std::cout, std::cerr);
    // Output that never arrived (a full disk behind a redirection) is a failed write.
    std::cout.flush();
    if (!std::cout && status == 0) {
        std::cerr << "ckl: cannot write to standard output\n";
        return 1;
    }
    return status;
}
