#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class ChecklistDoc;

// What the ckl commands share: the usage text, the checking of a command's arguments and
// the loading and saving of documents with complaints in one line each.
namespace ckl {

// The full usage text, describing every command; ends with a newline.
std::string_view UsageText();
// What `ckl --version` prints: the tool's name and the version of tarvasto it belongs to.
std::string VersionText();

// Prints "ckl: <complaint>" as one line to err and returns 2, the status of a usage error.
int UsageError(std::ostream& err, std::string_view complaint);

// A file named "-" on the command line is standard input where a command reads a file and
// standard output where it writes one; every other name is a path.

// The file to open for the input named name: standard input's own file for "-" (a pipe, a
// terminal or a redirected file alike), name itself otherwise.
std::string InputPath(const std::string& name);

// Writes bytes to the output named name: to out for "-", otherwise to the file, which is
// replaced only once all of the bytes are written. On failure the previous file stays as it
// was, "ckl: cannot write '<name>': <reason>" goes to err and the result is false.
bool WriteOutput(const std::string& name, std::string_view bytes, std::ostream& out,
                 std::ostream& err);

// Loads the input named path (see InputPath) into doc as the program does; doc's file name is
// then path as given. On failure prints "ckl: cannot open '<path>': <reason>" to err and
// returns false.
bool LoadDocument(ChecklistDoc& doc, const std::string& path, std::ostream& err);

// The whole of an input, for the converters that read it as one text.
class InputBytes {
public:
    InputBytes();
    ~InputBytes();
    InputBytes(const InputBytes&) = delete;
    InputBytes& operator=(const InputBytes&) = delete;

    // Takes in the input named path (see InputPath) as LoadDocument opens it: a pipe or a device
    // within the reader's bound. A file is read, not mapped: one that another program cuts short
    // meanwhile must give an error, not end the tool. On failure prints
    // "ckl: cannot open '<path>': <reason>" to err and returns false.
    bool Read(const std::string& path, std::ostream& err);
    // The bytes taken in; valid as long as this object.
    std::string_view View() const { return view; }

private:
    std::string bytes;
    std::string_view view;
};

// As WriteOutput, for output that write hands over in pieces to the function it is given
// (which returns false when a piece could not be written); write returns false when it failed.
bool SaveChunks(const std::string& name,
                const std::function<bool(const std::function<bool(std::string_view)>&)>& write,
                std::ostream& out, std::ostream& err);

// Saves doc to the output named path as the program's Save does: the bytes of the program's
// own file go to out for "-". On failure the previous file stays as it was,
// "ckl: cannot write '<path>': <reason>" goes to err and the result is false.
bool SaveDocument(ChecklistDoc& doc, const std::string& path, std::ostream& out, std::ostream& err);

} // namespace ckl
