#include "Formats.h"

#include "AceFormat.h"
#include "EfisJsonFormat.h"
#include "ForeFlightFormat.h"
#include "GarminPilotFormat.h"
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
bool WriteForeFlightFile(const Book& book, const WriteOptions&, Warnings& warnings,
                         const ChunkSink& sink) {
    return WriteForeFlight(book, warnings, sink);
}
bool WriteGarminPilotFile(const Book& book, const WriteOptions&, Warnings& warnings,
                          const ChunkSink& sink) {
    return WriteGarminPilot(book, warnings, sink);
}

constexpr std::array<std::string_view, 1> cklEndings = {"ckl"};
constexpr std::array<std::string_view, 1> aceEndings = {"ace"};
constexpr std::array<std::string_view, 1> textEndings = {"txt"};
constexpr std::array<std::string_view, 1> jsonEndings = {"json"};
constexpr std::array<std::string_view, 1> foreFlightEndings = {"fmd"};
constexpr std::array<std::string_view, 1> garminPilotEndings = {"gplt"};

constexpr unsigned aceKeeps = KeepsName | KeepsMakeAndModel | KeepsAircraft | KeepsManufacturer |
                              KeepsCopyright | KeepsDefault | KeepsLayout;
constexpr unsigned efisJsonKeeps = aceKeeps | KeepsModified;
// Dynon and GRT files keep no metadata, and the "Checklist info" list travels in them as a list.
constexpr unsigned textKeeps = KeepsLayout;
// ForeFlight has no indentation: its writer tells of what it cannot keep, as an indented note
// is the note of the item above it there.
constexpr unsigned foreFlightKeeps = KeepsName | KeepsDetail | KeepsAircraft | KeepsLayout;
constexpr unsigned garminPilotKeeps = KeepsName | KeepsPhase | KeepsCompletion | KeepsLiveData;

const std::array<Format, 7> formats = {{
    {"ckl", "", cklEndings, nullptr, false, false, false, true, KeepsEverything, nullptr, nullptr},
    {"ace", "Garmin", aceEndings, nullptr, true, true, false, false, aceKeeps, ReadAce,
     WriteAceFile},
    {"dynon", "Dynon", textEndings, IsDynon, false, false, true, false, textKeeps, ReadDynon,
     WriteDynon},
    {"grt", "Grand Rapids", textEndings, IsGrt, false, false, true, false, textKeeps, ReadGrt,
     WriteGrt},
    {"efis-json", "efis-editor", jsonEndings, nullptr, true, false, false, true, efisJsonKeeps,
     ReadEfisJson, WriteEfisJsonFile},
    {"foreflight", "ForeFlight", foreFlightEndings, nullptr, true, true, false, true,
     foreFlightKeeps, ReadForeFlight, WriteForeFlightFile},
    {"garmin-pilot", "Garmin Pilot", garminPilotEndings, nullptr, true, true, false, true,
     garminPilotKeeps, ReadGarminPilot, WriteGarminPilotFile},
}};

struct MetadataField {
    Keeps bit;
    std::string_view words;
    bool (*held)(const Metadata&);
};
constexpr std::array<MetadataField, 8> metadataFields = {{
    {KeepsName, "name", [](const Metadata& m) { return !m.name.empty(); }},
    {KeepsMakeAndModel, "make and model",
     [](const Metadata& m) { return !m.makeAndModel.empty(); }},
    {KeepsAircraft, "aircraft", [](const Metadata& m) { return !m.aircraft.empty(); }},
    {KeepsManufacturer, "manufacturer", [](const Metadata& m) { return !m.manufacturer.empty(); }},
    {KeepsCopyright, "copyright", [](const Metadata& m) { return !m.copyright.empty(); }},
    {KeepsDetail, "detail", [](const Metadata& m) { return !m.detail.empty(); }},
    {KeepsDefault, "default checklist",
     [](const Metadata& m) { return m.defaultGroup != 0 || m.defaultChecklist != 0; }},
    {KeepsModified, "time of change", [](const Metadata& m) { return m.modifiedTime != 0; }},
}};

} // namespace

void WarnOfWhatIsLost(const Book& book, const Format& format, Warnings& warnings) {
    const std::string files = std::string(format.name) + " files";
    for (const MetadataField& field : metadataFields) {
        if (!(format.keeps & field.bit) && field.held(book.metadata)) {
            warnings.Add("the file's " + std::string(field.words) + " is left out: " + files +
                         " have no place for it");
        }
    }
    struct Loss {
        Keeps bit;
        const char* words;
        bool found = false;
    };
    Loss losses[] = {
        {KeepsLayout, "indentation and centring of items are left out"},
        {KeepsPhase, "the phases of flight of lists (Garmin Pilot) are left out"},
        {KeepsCompletion, "what lists offer when done (Garmin Pilot) is left out"},
        {KeepsLiveData, "live data and actions of items (Garmin Pilot) are left out"},
    };
    for (const BookList& list : book.lists) {
        losses[1].found = losses[1].found || list.phase != Phase::Unsaid;
        losses[2].found = losses[2].found || list.completion != Completion::None;
        if ((format.keeps & (KeepsLayout | KeepsLiveData)) == (KeepsLayout | KeepsLiveData)) {
            continue;
        }
        for (const Item& item : list.items) {
            losses[0].found = losses[0].found || item.indent != 0 || item.centered;
            losses[3].found = losses[3].found || item.liveData != 0;
        }
    }
    for (const Loss& loss : losses) {
        if (loss.found && !(format.keeps & loss.bit)) {
            warnings.Add(std::string(loss.words) + ": " + files + " have no place for them");
        }
    }
}

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
