#include "ChecklistDoc.h"
#include "CklSupport.h"
#include "Commands.h"
#include "Conversion.h"
#include "Formats.h"
#include "LineRules.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace ckl {
namespace {

using convert::Format;

struct ConvertOptions {
    std::string input;
    std::string output;
    const Format* from = nullptr; // null: a file ending that several formats share, read by content
    const Format* to = nullptr;
    convert::WriteOptions write;
};

// The names of formats, as a complaint lists them.
std::string NamesOf(const std::vector<const Format*>& formats, std::string_view last = "or") {
    std::vector<std::string_view> names;
    for (const Format* format : formats) {
        names.push_back(format->name);
    }
    return Alternatives(names, last);
}

// Takes the formats from the options or the file names. Returns the complaint when it cannot.
std::optional<std::string> ChooseFormats(const CommandLine& line, ConvertOptions& options) {
    options.input = line.files[0];
    options.output = line.files[1];
    options.from = convert::FormatNamed(line.Value("--from"));
    options.to = convert::FormatNamed(line.Value("--to"));
    if (line.Has("--width")) {
        options.write.width = std::stoi(std::string(line.Value("--width")));
    }
    if (options.from == nullptr) {
        std::vector<const Format*> named = convert::FormatsOfName(options.input);
        if (named.empty()) {
            return "convert: cannot tell the format of '" + LineRules::Displayed(options.input) +
                   "' from its name; give --from FORMAT";
        }
        // Several formats share the ending: the content decides, once it is read.
        options.from = named.size() == 1 ? named[0] : nullptr;
    }
    if (options.to == nullptr) {
        std::vector<const Format*> named = convert::FormatsOfName(options.output);
        if (named.size() != 1) {
            return "convert: cannot tell the format of '" + LineRules::Displayed(options.output) +
                   "' from its name" +
                   (named.empty() ? std::string("; give --to FORMAT")
                                  : "; a ." + convert::ExtensionOf(options.output) + " file is " +
                                        NamesOf(named) + ": give --to FORMAT");
        }
        options.to = named[0];
    }
    if (options.write.width != 0 && !options.to->wraps) {
        std::vector<const Format*> wrapping;
        for (const Format& format : convert::Formats()) {
            if (format.wraps) {
                wrapping.push_back(&format);
            }
        }
        return "convert: --width wraps " + NamesOf(wrapping, "and") + " files only, not " +
               std::string(options.to->name);
    }
    return std::nullopt;
}

// Reads the input into doc. Returns false after printing why it could not.
bool ReadInput(ConvertOptions& options, ChecklistDoc& doc, convert::Warnings& warnings,
               std::ostream& err) {
    if (options.from != nullptr && options.from->read == nullptr) {
        return LoadDocument(doc, options.input, err);
    }
    InputBytes input;
    if (!input.Read(options.input, err)) {
        return false;
    }
    std::string_view bytes = input.View();
    if (options.from == nullptr) {
        std::string complaint;
        options.from = convert::RecogniseFormat(options.input, bytes, complaint);
        if (options.from == nullptr) {
            err << "ckl: " << LineRules::Displayed(options.input) << ": " << complaint
                << "; give --from FORMAT\n";
            return false;
        }
    }
    if (std::optional<convert::ReadError> error =
            convert::ReadIntoDoc(*options.from, bytes, doc, warnings)) {
        // "ckl: FILE:LINE: what", or "ckl: FILE: byte N: what" for a binary format.
        err << "ckl: " << LineRules::Displayed(options.input)
            << convert::PlaceOf(*options.from, *error) << ": " << LineRules::Displayed(error->what)
            << '\n';
        return false;
    }
    return true;
}

// Writes doc to the output in the target format. Returns false after printing why it could not.
bool WriteConverted(const ConvertOptions& options, ChecklistDoc& doc, convert::Warnings& warnings,
                    std::ostream& out, std::ostream& err) {
    if (options.to->write == nullptr) {
        // Saved as `rewrite` saves, in pieces, without the whole file in memory first.
        return SaveDocument(doc, options.output, out, err);
    }
    return SaveChunks(
        options.output,
        [&](const convert::ChunkSink& sink) {
            return convert::WriteFromDoc(doc, *options.to, options.write, warnings, sink);
        },
        out, err);
}

} // namespace

int RunConvert(const CommandLine& line, std::ostream& out, std::ostream& err) {
    ConvertOptions options;
    if (std::optional<std::string> complaint = ChooseFormats(line, options)) {
        return UsageError(err, *complaint);
    }
    ChecklistDoc doc;
    convert::Warnings warnings;
    if (!ReadInput(options, doc, warnings, err)) {
        return 1;
    }
    if (!WriteConverted(options, doc, warnings, out, err)) {
        return 1;
    }
    for (const std::string& warning : warnings.lines) {
        // The warnings quote the file's texts already; shown once more as a whole so that no
        // text of a stranger's file reaches the terminal raw, whichever reader wrote it.
        err << "ckl: warning: " << LineRules::Displayed(warning) << '\n';
    }
    if (warnings.notShown > 0) {
        err << "ckl: warning: " << warnings.notShown << " more warnings like these\n";
    }
    return 0;
}

} // namespace ckl
