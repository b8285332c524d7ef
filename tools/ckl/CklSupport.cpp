#include "CklSupport.h"

#include "ChecklistDoc.h"
#include "ChecklistFile.h"
#include "DevicePath.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <ostream>

namespace ckl {
namespace {

// The one name that stands for a standard stream instead of a file.
bool NamesStandardStream(const std::string& name) {
    return name == "-";
}

// Handing the reader standard input's own file lets it read a pipe as it reads any other pipe,
// within its bound, and a redirected file as a file.
constexpr const char* standardInputFile = "/dev/stdin";

} // namespace

std::string_view UsageText() {
    return "Usage: ckl COMMAND ARGUMENTS\n"
           "\n"
           "Reads and writes checklist files (.ckl) exactly as tarvasto does.\n"
           "\n"
           "Commands:\n"
           "  ckl json FILE        print the checklists and hot buttons of FILE as one JSON "
           "object\n"
           "  ckl rewrite IN OUT   load IN and save it to OUT as the program's Save does\n"
           "  ckl show FILE        print the checklists for a person: each item with an empty\n"
           "                       box in front, then the hot buttons and where they lead\n"
           "  ckl check FILE...    report lines the program will read differently from what was\n"
           "                       meant\n"
           "  ckl print FILE -o OUT.pdf [--page a4|letter|a5|kneeboard] [--columns 1|2]\n"
           "                       a printable paper copy\n"
           "  ckl convert IN OUT [--from FORMAT] [--to FORMAT] [--width N]\n"
           "                       convert between .ckl and the checklist files of aircraft\n"
           "                       displays; FORMAT is ckl, ace (Garmin), dynon, grt (Grand\n"
           "                       Rapids) or efis-json (efis-editor), else taken from the\n"
           "                       file name (.ckl .ace .json; .txt is read by its content);\n"
           "                       --width wraps dynon and grt lines at N characters\n"
           "  ckl --help           print this text\n"
           "  ckl --version        print the version\n"
           "\n"
           "A FILE or IN named \"-\" is standard input; an OUT named \"-\" is standard output.\n"
           "\n"
           "Exit status: 0 success; 1 a file could not be read or written (for check: a line\n"
           "was found); 2 a wrong command line.\n";
}

std::string VersionText() {
    return "ckl (tarvasto) " TARVASTO_VERSION "\n";
}

std::pair<std::string, std::optional<std::string>> SplitOption(const std::string& word) {
    std::size_t equals = word.find('=');
    if (!word.starts_with("--") || equals == std::string::npos) {
        return {word, std::nullopt};
    }
    return {word.substr(0, equals), word.substr(equals + 1)};
}

int UsageError(std::ostream& err, std::string_view complaint) {
    err << "ckl: " << complaint << "\n\n" << UsageText();
    return 2;
}

std::optional<int> CheckFileArguments(std::string_view command,
                                      const std::vector<std::string>& args, std::size_t fileCount,
                                      std::ostream& out, std::ostream& err) {
    for (const std::string& arg : args) {
        if (arg == "-h" || arg == "--help") {
            out << UsageText();
            return 0;
        }
    }
    // A lone "-" is a name like any other; anything longer that starts with "-" would be an
    // option, and these commands have none. A file whose name starts with "-" is reached as
    // "./-name".
    for (const std::string& arg : args) {
        if (arg.size() > 1 && arg[0] == '-') {
            return UsageError(err, std::string(command) + ": unknown option '" + arg + "'");
        }
    }
    if (args.size() != fileCount) {
        std::string expected = fileCount == 1 ? "one file" : std::to_string(fileCount) + " files";
        return UsageError(err, std::string(command) + " expects " + expected + ", got " +
                                   std::to_string(args.size()));
    }
    return std::nullopt;
}

std::string InputPath(const std::string& name) {
    return NamesStandardStream(name) ? standardInputFile : name;
}

bool SaveChunks(const std::string& name,
                const std::function<bool(const std::function<bool(std::string_view)>&)>& write,
                std::ostream& out, std::ostream& err) {
    if (NamesStandardStream(name)) {
        // A stream that fails is reported once, for the whole run, where the tool ends.
        return write([&out](std::string_view chunk) {
            out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            return true;
        });
    }
    QSaveFile file(QFile::decodeName(HostPath(name.c_str()).c_str()));
    // Writing straight through: the pieces are large, a second buffer would only copy.
    bool saved = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
                 write([&file](std::string_view chunk) {
                     return file.write(chunk.data(), static_cast<qint64>(chunk.size())) ==
                            static_cast<qint64>(chunk.size());
                 }) &&
                 file.commit();
    if (!saved) {
        err << "ckl: cannot write '" << name << "': " << file.errorString().toStdString() << '\n';
        file.cancelWriting();
        return false;
    }
    return true;
}

bool WriteOutput(const std::string& name, std::string_view bytes, std::ostream& out,
                 std::ostream& err) {
    return SaveChunks(
        name, [bytes](const std::function<bool(std::string_view)>& sink) { return sink(bytes); },
        out, err);
}

InputBytes::InputBytes() = default;
InputBytes::~InputBytes() = default;

bool InputBytes::Read(const std::string& path, std::ostream& err) {
    std::string reason;
    if (!ChecklistFile::ReadWholeFile(InputPath(path).c_str(), bytes, &reason)) {
        err << "ckl: cannot open '" << path << "': " << reason << '\n';
        return false;
    }
    view = bytes;
    return true;
}

bool LoadDocument(ChecklistDoc& doc, const std::string& path, std::ostream& err) {
    std::string reason;
    if (!doc.LoadFile(InputPath(path).c_str(), &reason)) {
        err << "ckl: cannot open '" << path << "': " << reason << '\n';
        return false;
    }
    doc.SetFileName(path.c_str());
    return true;
}

bool SaveDocument(ChecklistDoc& doc, const std::string& path, std::ostream& out,
                  std::ostream& err) {
    if (NamesStandardStream(path)) {
        return WriteOutput(path, ChecklistFile::WriteText(doc), out, err);
    }
    std::string reason;
    if (!doc.SaveFile(path.c_str(), &reason)) {
        err << "ckl: cannot write '" << path << "': " << reason << '\n';
        return false;
    }
    return true;
}

} // namespace ckl
