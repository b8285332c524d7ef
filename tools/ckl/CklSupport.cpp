#include "CklSupport.h"

#include "ChecklistDoc.h"
#include "DevicePath.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <ostream>

namespace ckl {

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
           "\n"
           "Exit status: 0 success; 1 a file could not be read or written (for check: a line\n"
           "was found); 2 a wrong command line.\n";
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

bool LoadDocument(ChecklistDoc& doc, const std::string& path, std::ostream& err) {
    std::string reason;
    if (!doc.LoadFile(path.c_str(), &reason)) {
        err << "ckl: cannot open '" << path << "': " << reason << '\n';
        return false;
    }
    return true;
}

bool ReadInputBytes(const std::string& path, std::string& bytes, std::ostream& err) {
    // As much as the reader takes from a pipe or a device, so that an endless one is refused.
    constexpr std::size_t maxBytes = 256u * 1024 * 1024;
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> file(std::fopen(HostPath(path.c_str()).c_str(), "rb"));
    int error = 0;
    if (!file) {
        error = errno;
    } else {
        bytes.clear();
        char chunk[64 * 1024];
        while (std::size_t count = std::fread(chunk, 1, sizeof chunk, file.get())) {
            if (bytes.size() + count > maxBytes) {
                error = EFBIG;
                break;
            }
            bytes.append(chunk, count);
        }
        if (error == 0 && std::ferror(file.get())) {
            error = errno ? errno : EIO;
        }
    }
    if (error != 0) {
        err << "ckl: cannot open '" << path << "': " << std::strerror(error) << '\n';
        return false;
    }
    return true;
}

bool SaveChunks(const std::string& path,
                const std::function<bool(const std::function<bool(std::string_view)>&)>& write,
                std::ostream& err) {
    QSaveFile file(QFile::decodeName(HostPath(path.c_str()).c_str()));
    // Writing straight through: the pieces are large, a second buffer would only copy.
    bool saved = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
                 write([&file](std::string_view chunk) {
                     return file.write(chunk.data(), static_cast<qint64>(chunk.size())) ==
                            static_cast<qint64>(chunk.size());
                 }) &&
                 file.commit();
    if (!saved) {
        err << "ckl: cannot write '" << path << "': " << file.errorString().toStdString() << '\n';
        file.cancelWriting();
        return false;
    }
    return true;
}

bool SaveBytes(const std::string& path, std::string_view bytes, std::ostream& err) {
    return SaveChunks(
        path, [bytes](const std::function<bool(std::string_view)>& sink) { return sink(bytes); },
        err);
}

bool SaveDocument(ChecklistDoc& doc, const std::string& path, std::ostream& err) {
    std::string reason;
    if (!doc.SaveFile(path.c_str(), &reason)) {
        err << "ckl: cannot write '" << path << "': " << reason << '\n';
        return false;
    }
    return true;
}

} // namespace ckl
