#pragma once

#include "AceFormat.h"
#include "ChecklistDoc.h"
#include "ChecklistFile.h"
#include "CklConventions.h"
#include "EfisJsonFormat.h"
#include "Formats.h"
#include "FuzzChecks.h"
#include "TextFormats.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// What every reader of another format must hold on any bytes: it refuses them or reads them;
// what it read goes into the program's document as texts a .ckl line holds, no item reads as a
// tag, and the saved .ckl reads back the same; what the .ckl gives back is what was read,
// unless the conversion said what it changed; and the writer's file reads back and writes the
// same bytes again, unless the writer said what it changed. Any breach aborts with a description.
namespace convertfuzz {

// The formats by the names of the table of formats.
namespace Format {
inline constexpr std::string_view Ace = "ace";
inline constexpr std::string_view Dynon = "dynon";
inline constexpr std::string_view Grt = "grt";
inline constexpr std::string_view EfisJson = "efis-json";
inline constexpr std::string_view ForeFlight = "foreflight";
inline constexpr std::string_view GarminPilot = "garmin-pilot";
} // namespace Format

using FuzzChecks::Fail;

inline const convert::Format& Row(std::string_view name) {
    const convert::Format* format = convert::FormatNamed(name);
    if (format == nullptr || format->read == nullptr) {
        Fail("no such format in the table:", std::string(name).c_str());
    }
    return *format;
}

inline bool Read(std::string_view format, std::string_view bytes, convert::Book& book,
                 convert::Warnings& warnings) {
    return !Row(format).read(bytes, book, warnings);
}

inline std::string Write(std::string_view format, const convert::Book& book,
                         convert::Warnings& warnings) {
    std::string written;
    Row(format).write(book, {}, warnings, [&written](std::string_view chunk) {
        written += chunk;
        return true;
    });
    return written;
}

inline void CheckText(const char* text, bool isItem) {
    FuzzChecks::CheckText(text);
    if (isItem && LineRules::IsTagLine(text)) {
        Fail("item reads as a tag line:", text);
    }
}

inline void RoundTrip(std::string_view format, std::string_view bytes) {
    convert::Book first;
    convert::Warnings readWarnings;
    if (!Read(format, bytes, first, readWarnings)) {
        return;
    }
    ChecklistDoc doc;
    convert::Warnings cklWarnings;
    convert::BookToDoc(first, doc, cklWarnings);
    for (const Checklist& checklist : doc.Checklists()) {
        CheckText(checklist.name, false);
        for (const ChecklistItem& item : checklist.Items()) {
            CheckText(item.text, true);
        }
    }
    std::string ckl = ChecklistFile::WriteText(doc);
    ChecklistDoc saved;
    ChecklistFile::ReadText(saved, ckl);
    if (ChecklistFile::WriteText(saved) != ckl) {
        Fail("the converted .ckl reads back as another document");
    }
    convert::Book second =
        convert::DocToBook(saved, Row(format).holdsGroups, Row(format).holdsLineBreaks);
    if (cklWarnings.Empty() && !(second == first)) {
        Fail("the .ckl gives back another book without a warning:", ckl);
    }
    convert::Warnings writeWarnings;
    std::string written = Write(format, second, writeWarnings);
    convert::Book third;
    convert::Warnings ignored;
    if (!Read(format, written, third, ignored)) {
        Fail("the writer's file is refused:", written);
    }
    if (!writeWarnings.Empty()) {
        return;
    }
    // Files with random parts (an IV, ids) are compared by what they read back as.
    std::string again = Write(format, third, ignored);
    convert::Book fourth;
    if (Write(format, second, ignored) == written
            ? again != written
            : !Read(format, again, fourth, ignored) || !(fourth == third)) {
        Fail("the writer's file reads back as another file without a warning:", written);
    }
}

} // namespace convertfuzz
