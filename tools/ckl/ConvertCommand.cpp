#include "AceFormat.h"
#include "ChecklistDoc.h"
#include "CklConventions.h"
#include "CklSupport.h"
#include "Commands.h"
#include "EfisJsonFormat.h"
#include "TextFormats.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace ckl {
namespace {

enum class Format { Ckl, Ace, Dynon, Grt, EfisJson };

struct FormatName {
    Format format;
    std::string_view name;
};
constexpr std::array<FormatName, 5> formatNames = {{
    {Format::Ckl, "ckl"},
    {Format::Ace, "ace"},
    {Format::Dynon, "dynon"},
    {Format::Grt, "grt"},
    {Format::EfisJson, "efis-json"},
}};

struct ConvertOptions {
    std::string input;
    std::string output;
    std::optional<Format> from;
    std::optional<Format> to;
    int width = 0;
};

constexpr int minWidth = 8;
constexpr int maxWidth = 1023;

std::optional<Format> FormatNamed(std::string_view name) {
    auto known = std::find_if(formatNames.begin(), formatNames.end(),
                              [name](const FormatName& f) { return f.name == name; });
    return known == formatNames.end() ? std::nullopt : std::optional<Format>(known->format);
}

std::string_view NameOf(Format format) {
    return std::find_if(formatNames.begin(), formatNames.end(),
                        [format](const FormatName& f) { return f.format == format; })
        ->name;
}

std::string Extension(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return {};
    }
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return extension;
}

// The format a file name stands for; nothing for ".txt" (two formats) and unknown endings.
std::optional<Format> FormatOfName(const std::string& path) {
    std::string extension = Extension(path);
    if (extension == "ckl") {
        return Format::Ckl;
    }
    if (extension == "ace") {
        return Format::Ace;
    }
    if (extension == "json") {
        return Format::EfisJson;
    }
    return std::nullopt;
}

std::optional<int> ParseConvertOptions(const std::vector<std::string>& args,
                                       ConvertOptions& options, std::ostream& out,
                                       std::ostream& err) {
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            out << UsageText();
            return 0;
        }
        // Options take their value as the next word or after "=" ("--to=dynon").
        auto [name, value] = SplitOption(arg);
        if (name == "--from" || name == "--to" || name == "--width") {
            if (!value) {
                if (i + 1 == args.size()) {
                    return UsageError(err, "convert: " + name + " needs a value");
                }
                value = args[++i];
            }
            if (name == "--width") {
                int width = 0;
                auto [end, ec] =
                    std::from_chars(value->data(), value->data() + value->size(), width);
                if (ec != std::errc() || end != value->data() + value->size() || width < minWidth ||
                    width > maxWidth) {
                    return UsageError(err, "convert: --width takes a number of characters from " +
                                               std::to_string(minWidth) + " to " +
                                               std::to_string(maxWidth) + ", not '" + *value + "'");
                }
                options.width = width;
                continue;
            }
            std::optional<Format> format = FormatNamed(*value);
            if (!format) {
                return UsageError(err, "convert: unknown format '" + *value +
                                           "' (ckl, ace, dynon, grt or efis-json)");
            }
            (name == "--from" ? options.from : options.to) = format;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError(err, "convert: unknown option '" + arg + "'");
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2) {
        return UsageError(err, "convert expects 2 files, IN and OUT, got " +
                                   std::to_string(files.size()));
    }
    options.input = files[0];
    options.output = files[1];
    if (!options.from) {
        options.from = FormatOfName(options.input);
        if (!options.from && Extension(options.input) != "txt") {
            return UsageError(err, "convert: cannot tell the format of '" + options.input +
                                       "' from its name; give --from FORMAT");
        }
    }
    if (!options.to) {
        options.to = FormatOfName(options.output);
        if (!options.to) {
            return UsageError(err, "convert: cannot tell the format of '" + options.output +
                                       "' from its name" +
                                       (Extension(options.output) == "txt"
                                            ? "; a .txt file is dynon or grt: give --to FORMAT"
                                            : "; give --to FORMAT"));
        }
    }
    if (options.width != 0 && *options.to != Format::Dynon && *options.to != Format::Grt) {
        return UsageError(err, "convert: --width wraps dynon and grt files only, not " +
                                   std::string(NameOf(*options.to)));
    }
    return std::nullopt;
}

// Prints a reading failure as "ckl: FILE:LINE: what", or "ckl: FILE: byte N: what" for a
// binary format.
void PrintReadError(std::ostream& err, const std::string& path, bool byByte,
                    const convert::ReadError& error) {
    err << "ckl: " << path << (byByte ? ": byte " : ":") << error.at << ": " << error.what << '\n';
}

// Reads the input into doc. Returns false after printing why it could not.
bool ReadInput(const ConvertOptions& options, ChecklistDoc& doc, convert::Warnings& warnings,
               std::ostream& err) {
    if (options.from == Format::Ckl) {
        return LoadDocument(doc, options.input, err);
    }
    InputBytes input;
    if (!input.Read(options.input, err)) {
        return false;
    }
    std::string_view bytes = input.View();
    convert::Book book;
    std::optional<convert::ReadError> error;
    switch (options.from.value_or(Format::Dynon)) {
    case Format::Ace:
        error = convert::ReadAce(bytes, book, warnings);
        break;
    case Format::EfisJson:
        error = convert::ReadEfisJson(bytes, book, warnings);
        break;
    default: {
        std::optional<convert::TextFlavour> flavour =
            options.from == Format::Dynon ? convert::TextFlavour::Dynon
            : options.from == Format::Grt ? convert::TextFlavour::Grt
                                          : convert::DetectTextFlavour(bytes);
        if (!flavour) {
            err << "ckl: " << options.input
                << ": neither a Dynon nor a Grand Rapids checklist file; give --from FORMAT\n";
            return false;
        }
        error = convert::ReadTextChecklists(bytes, *flavour, book);
        break;
    }
    }
    if (error) {
        PrintReadError(err, options.input, options.from == Format::Ace, *error);
        return false;
    }
    convert::BookToDoc(book, doc, warnings);
    return true;
}

// Writes doc to the output in the target format. Returns false after printing why it could not.
bool WriteConverted(const ConvertOptions& options, ChecklistDoc& doc, convert::Warnings& warnings,
                    std::ostream& out, std::ostream& err) {
    if (options.to == Format::Ckl) {
        // Saved as `rewrite` saves, in pieces, without the whole file in memory first.
        return SaveDocument(doc, options.output, out, err);
    }
    for (int i = 0; i < ChecklistDoc::slotCount; ++i) {
        if (doc.SlotAt(i)->checklist != nullptr) {
            warnings.Add("the hot buttons are not written: " + std::string(NameOf(*options.to)) +
                         " files have none");
            break;
        }
    }
    bool grouped = options.to == Format::Ace || options.to == Format::EfisJson;
    convert::Book book = convert::DocToBook(doc, grouped);
    return SaveChunks(
        options.output,
        [&](const convert::ChunkSink& sink) {
            switch (*options.to) {
            case Format::Ace:
                return convert::WriteAce(book, warnings, sink);
            case Format::EfisJson:
                return convert::WriteEfisJson(book, sink);
            case Format::Dynon:
                return convert::WriteTextChecklists(book, convert::TextFlavour::Dynon,
                                                    options.width, warnings, sink);
            default:
                return convert::WriteTextChecklists(book, convert::TextFlavour::Grt, options.width,
                                                    warnings, sink);
            }
        },
        out, err);
}

} // namespace

int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ConvertOptions options;
    if (std::optional<int> status = ParseConvertOptions(args, options, out, err)) {
        return *status;
    }
    ChecklistDoc doc;
    convert::Warnings warnings;
    if (!ReadInput(options, doc, warnings, err)) {
        return 1;
    }
    if (!WriteConverted(options, doc, warnings, out, err)) {
        return 1;
    }
    for (const std::string& line : warnings.lines) {
        err << "ckl: warning: " << line << '\n';
    }
    if (warnings.notShown > 0) {
        err << "ckl: warning: " << warnings.notShown << " more warnings like these\n";
    }
    return 0;
}

} // namespace ckl
