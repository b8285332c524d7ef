#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The commands of the ckl tool. Each takes the arguments that follow its command word, writes
// its results to out and its complaints to err, and returns the process exit status:
// 0 success, 1 a file could not be read or written (or a finding, for check), 2 a usage error.
namespace ckl {

int RunJson(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunRewrite(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunShow(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunPrint(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace ckl
