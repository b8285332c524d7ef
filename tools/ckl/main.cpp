#include "CklSupport.h"
#include "Commands.h"

#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Command = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&);

struct CommandEntry {
    std::string_view word;
    Command run;
};

constexpr CommandEntry commands[] = {
    {"json", ckl::RunJson},   {"rewrite", ckl::RunRewrite}, {"show", ckl::RunShow},
    {"check", ckl::RunCheck}, {"print", ckl::RunPrint},     {"convert", ckl::RunConvert},
};

} // namespace

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
    for (const CommandEntry& command : commands) {
        if (command.word == word) {
            std::vector<std::string> args(argv + 2, argv + argc);
            int status = command.run(args, std::cout, std::cerr);
            // Output that never arrived (a full disk behind a redirection) is a failed write.
            std::cout.flush();
            if (!std::cout && status == 0) {
                std::cerr << "ckl: cannot write to standard output\n";
                return 1;
            }
            return status;
        }
    }
    return ckl::UsageError(std::cerr, "unknown command '" + std::string(word) + "'");
}
