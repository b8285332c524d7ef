#include "CklSupport.h"

#include "Commands.h"
#include "Formats.h"
#include "LineRules.h"

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
    static const std::string text = [] {
        std::string usage = "Usage: ckl COMMAND ARGUMENTS\n"
                            "\n"
                            "Reads and writes checklist files (.ckl) exactly as tarvasto does.\n"
                            "\n"
                            "Commands:\n";
        for (const Command& command : AllCommands()) {
            usage += CommandUsage(command.declared);
        }
        usage += "  ckl --help           print this text\n"
                 "  ckl --version        print the version\n"
                 "  ckl COMMAND --help   print this text too\n"
                 "\n"
                 "Formats of convert, by the name --from and --to take and the file ending\n"
                 "that names them (a file ending that several share is read by its content):\n";
        for (const convert::Format& format : convert::Formats()) {
            std::string line = "  " + std::string(format.name);
            line.resize(15, ' ');
            for (std::string_view ending : format.extensions) {
                line += "." + std::string(ending) + " ";
            }
            line.resize(23, ' ');
            usage +=
                line + (format.maker.empty() ? "tarvasto's own" : std::string(format.maker)) + "\n";
        }
        usage +=
            "\n"
            "A FILE or IN named \"-\" is standard input; an OUT named \"-\" is standard output.\n"
            "A word after \"--\" is a file, even when it starts with \"-\".\n"
            "\n"
            "Exit status: 0 success; 1 a file could not be read or written (for check: a line\n"
            "was found); 2 a wrong command line.\n";
        return usage;
    }();
    return text;
}

std::string VersionText() {
    return "ckl (tarvasto) " TARVASTO_VERSION "\n";
}

int UsageError(std::ostream& err, std::string_view complaint) {
    err << "ckl: " << complaint << " (ckl --help tells how to use ckl)\n";
    return 2;
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
        err << "ckl: cannot write '" << LineRules::Displayed(name)
            << "': " << LineRules::Displayed(file.errorString().toStdString()) << '\n';
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
        err << "ckl: cannot open '" << LineRules::Displayed(path)
            << "': " << LineRules::Displayed(reason) << '\n';
        return false;
    }
    view = bytes;
    return true;
}

bool LoadDocument(ChecklistDoc& doc, const std::string& path, std::ostream& err) {
    std::string reason;
    if (!doc.LoadFile(InputPath(path).c_str(), &reason)) {
        err << "ckl: cannot open '" << LineRules::Displayed(path)
            << "': " << LineRules::Displayed(reason) << '\n';
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
        err << "ckl: cannot write '" << LineRules::Displayed(path)
            << "': " << LineRules::Displayed(reason) << '\n';
        return false;
    }
    return true;
}

} // namespace ckl
