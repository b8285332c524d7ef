#include "Formats.h"

#include "AceFormat.h"
#include "EfisJsonFormat.h"
#include "TextFormats.h"

#include <algorithm>
#include <array>

namespace convert {
namespace {

std::optional<ReadError> ReadDynon(std::string_view bytes, Book& book, Warnings&) {
    return ReadTextChecklists(bytes, TextFlavour::Dynon, book);
}
std::optional<ReadError> ReadGrt(std::string_view bytes, Book& book, Warnings&) {
    return ReadTextChecklists(bytes, TextFlavour::Grt, book);
}
bool IsDynon(std::string_view bytes) {
    return DetectTextFlavour(bytes) == TextFlavour::Dynon;
}
bool IsGrt(std::string_view bytes) {
    return DetectTextFlavour(bytes) == TextFlavour::Grt;
}
bool WriteDynon(const Book& book, const WriteOptions& options, Warnings& warnings,
                const ChunkSink& sink) {
    return WriteTextChecklists(book, TextFlavour::Dynon, options.width, warnings, sink);
}
bool WriteGrt(const Book& book, const WriteOptions& options, Warnings& warnings,
              const ChunkSink& sink) {
    return WriteTextChecklists(book, TextFlavour::Grt, options.width, warnings, sink);
}
bool WriteAceFile(const Book& book, const WriteOptions&, Warnings& warnings,
                  const ChunkSink& sink) {
    return WriteAce(book, warnings, sink);
}
bool WriteEfisJsonFile(const Book& book, const WriteOptions&, Warnings&, const ChunkSink& sink) {
    return WriteEfisJson(book, sink);
}

constexpr std::array<std::string_view, 1> cklEndings = {"ckl"};
constexpr std::array<std::string_view, 1> aceEndings = {"ace"};
constexpr std::array<std::string_view, 1> textEndings = {"txt"};
constexpr std::array<std::string_view, 1> jsonEndings = {"json"};

const std::array<Format, 5> formats = {{
    {"ckl", "", cklEndings, nullptr, false, false, false, nullptr, nullptr},
    {"ace", "Garmin", aceEndings, nullptr, true, true, false, ReadAce, WriteAceFile},
    {"dynon", "Dynon", textEndings, IsDynon, false, false, true, ReadDynon, WriteDynon},
    {"grt", "Grand Rapids", textEndings, IsGrt, false, false, true, ReadGrt, WriteGrt},
    {"efis-json", "efis-editor", jsonEndings, nullptr, true, false, false, ReadEfisJson,
     WriteEfisJsonFile},
}};

} // namespace

std::span<const Format> Formats() {
    return formats;
}

const Format* FormatNamed(std::string_view name) {
    auto known = std::find_if(formats.begin(), formats.end(),
                              [name](const Format& format) { return format.name == name; });
    return known == formats.end() ? nullptr : &*known;
}

std::string ExtensionOf(std::string_view path) {
    std::size_t slash = path.find_last_of("/\\");
    std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
        return {};
    }
    std::string extension(path.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return extension;
}

std::vector<const Format*> FormatsOfName(std::string_view path) {
    const std::string extension = ExtensionOf(path);
    std::vector<const Format*> found;
    for (const Format& format : formats) {
        if (!extension.empty() && std::find(format.extensions.begin(), format.extensions.end(),
                                            extension) != format.extensions.end()) {
            found.push_back(&format);
        }
    }
    return found;
}

} // namespace convert
