#pragma once

#include "CommandLine.h"

#include <iosfwd>
#include <span>
#include <string>
#include <vector>

// The commands of the ckl tool. Each takes its command line as the parser read it, writes its
// results to out and its complaints to err, and returns the process exit status: 0 success,
// 1 a file could not be read or written (or a finding, for check), 2 a usage error.
namespace ckl {

using CommandRun = int (*)(const CommandLine& line, std::ostream& out, std::ostream& err);

struct Command {
    CommandDeclaration declared;
    CommandRun run;
};

// Every command, in the order the usage lists them.
std::span<const Command> AllCommands();
// The command called word, or null.
const Command* CommandNamed(std::string_view word);
// Reads args as the command declares them and runs it; the status to end with.
int RunCommand(const Command& command, const std::vector<std::string>& args, std::ostream& out,
               std::ostream& err);

int RunJson(const CommandLine& line, std::ostream& out, std::ostream& err);
int RunRewrite(const CommandLine& line, std::ostream& out, std::ostream& err);
int RunShow(const CommandLine& line, std::ostream& out, std::ostream& err);
int RunCheck(const CommandLine& line, std::ostream& out, std::ostream& err);
int RunPrint(const CommandLine& line, std::ostream& out, std::ostream& err);
int RunConvert(const CommandLine& line, std::ostream& out, std::ostream& err);

} // namespace ckl
