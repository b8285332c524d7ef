#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ChecklistDoc;

// What the ckl commands share: the usage text, the checking of a command's arguments and
// the loading and saving of documents with complaints in one line each.
namespace ckl {

// The full usage text, describing every command; ends with a newline.
std::string_view UsageText();

// Checks that args (what follows the command word) are exactly fileCount file names.
// Returns nothing when they are. Otherwise returns the status to end the command with:
// 0 after printing the usage to out for -h or --help, 2 after printing the complaint and the
// usage to err for an unknown option or a wrong number of files.
std::optional<int> CheckFileArguments(std::string_view command,
                                      const std::vector<std::string>& args, std::size_t fileCount,
                                      std::ostream& out, std::ostream& err);

// Prints "ckl: <complaint>" and the usage to err and returns 2, the status of a usage error.
int UsageError(std::ostream& err, std::string_view complaint);

// Loads path into doc as the program does. On failure prints
// "ckl: cannot open '<path>': <reason>" to err and returns false.
bool LoadDocument(ChecklistDoc& doc, const std::string& path, std::ostream& err);

// Reads the whole file at path into bytes, as LoadDocument opens it (a pipe or device within the
// reader's bound). On failure prints "ckl: cannot open '<path>': <reason>" to err and returns
// false.
bool ReadInputBytes(const std::string& path, std::string& bytes, std::ostream& err);

// Writes bytes to path atomically, as Save does: the previous file stays as it was on any
// failure, "ckl: cannot write '<path>': <reason>" goes to err and the result is false.
bool SaveBytes(const std::string& path, std::string_view bytes, std::ostream& err);
// As SaveBytes, for a file that write hands over in pieces to the function it is given (which
// returns false when a piece could not be written); write returns false when it failed.
bool SaveChunks(const std::string& path,
                const std::function<bool(const std::function<bool(std::string_view)>&)>& write,
                std::ostream& err);

// Saves doc to path as the program's Save does. On failure the previous file stays as it was,
// "ckl: cannot write '<path>': <reason>" goes to err and the result is false.
bool SaveDocument(ChecklistDoc& doc, const std::string& path, std::ostream& err);

} // namespace ckl
