#pragma once

#include "AceFormat.h"
#include "ChecklistDoc.h"
#include "ChecklistFile.h"
#include "CklConventions.h"
#include "EfisJsonFormat.h"
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

enum class Format { Ace, Dynon, Grt, EfisJson };

using FuzzChecks::Fail;

inline bool Read(Format format, std::string_view bytes, convert::Book& book,
                 convert::Warnings& warnings) {
    switch (format) {
    case Format::Ace:
        return !convert::ReadAce(bytes, book, warnings);
    case Format::Dynon:
        return !convert::ReadTextChecklists(bytes, convert::TextFlavour::Dynon, book);
    case Format::Grt:
        return !convert::ReadTextChecklists(bytes, convert::TextFlavour::Grt, book);
    case Format::EfisJson:
        break;
    }
    return !convert::ReadEfisJson(bytes, book, warnings);
}

inline std::string Write(Format format, const convert::Book& book, convert::Warnings& warnings) {
    switch (format) {
    case Format::Ace:
        return convert::WriteAce(book, warnings);
    case Format::Dynon:
        return convert::WriteTextChecklists(book, convert::TextFlavour::Dynon, 0, warnings);
    case Format::Grt:
        return convert::WriteTextChecklists(book, convert::TextFlavour::Grt, 0, warnings);
    case Format::EfisJson:
        break;
    }
    return convert::WriteEfisJson(book);
}

inline void CheckText(const char* text, bool isItem) {
    FuzzChecks::CheckText(text);
    if (isItem && LineRules::IsTagLine(text)) {
        Fail("item reads as a tag line:", text);
    }
}

inline void RoundTrip(Format format, std::string_view bytes) {
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
    bool grouped = format == Format::Ace || format == Format::EfisJson;
    convert::Book second = convert::DocToBook(saved, grouped);
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
    if (writeWarnings.Empty() && Write(format, third, ignored) != written) {
        Fail("the writer's file reads back as another file without a warning:", written);
    }
}

} // namespace convertfuzz
