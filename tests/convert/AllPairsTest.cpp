// Every format converts to every other: the conversion works, and whatever the target changes
// is told as a warning.
#include "ChecklistDoc.h"
#include "ChecklistFile.h"
#include "Conversion.h"
#include "Formats.h"

#include <QString>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace convert;

namespace {

// A file with something of everything the formats hold: groups in categories, every kind of
// item, indentation, a note under an item, a text of two lines, metadata and facts of lists.
constexpr std::string_view richCkl = R"([$$HEADER]
[$$END]
[$$CHECKLIST]
Preflight: Cabin
DOCUMENTS ..... ON BOARD
  NOTE: Check the dates
CAUTION: Hot engine
WARNING: Propeller
** Before engine start **
- Plain text
FUEL ..... BOTH
| Checked on both tanks
>> Centred <<
[$$END]
[$$CHECKLIST]
Emergency: Engine: Engine fire in flight
MIXTURE ..... IDLE CUT-OFF
FUEL SHUTOFF ..... OFF
[$$END]
[$$CHECKLIST]
Abnormal: Icing
PITOT HEAT ..... ON
[$$END]
[$$CHECKLIST]
Checklist info
Name: C172S
Aircraft: N12345
Detail: Demonstration
Phase of "Preflight: Cabin": preflight
Completion of "Preflight: Cabin": next checklist
Live data of "Abnormal: Icing" item 1: 3
[$$END]
)";

std::string Written(ChecklistDoc& doc, const Format& format, Warnings& warnings) {
    if (format.write == nullptr) {
        return ChecklistFile::WriteText(doc);
    }
    std::string bytes;
    EXPECT_TRUE(WriteFromDoc(doc, format, {}, warnings, [&bytes](std::string_view chunk) {
        bytes += chunk;
        return true;
    }));
    return bytes;
}

// Reads bytes of format into doc; false after a failure of the test.
bool ReadInto(const Format& format, const std::string& bytes, ChecklistDoc& doc) {
    if (format.read == nullptr) {
        ChecklistFile::ReadText(doc, bytes);
        return true;
    }
    Warnings ignored;
    std::optional<ReadError> error = ReadIntoDoc(format, bytes, doc, ignored);
    EXPECT_FALSE(error) << format.name << ": " << (error ? error->what : "");
    return !error;
}

// Dynon files are in capitals by design; compared in capitals, what else changed shows.
std::string Comparable(const Format& format, const std::string& ckl) {
    return format.name == "dynon" ? QString::fromStdString(ckl).toUpper().toStdString() : ckl;
}

TEST(AllPairs, EveryFormatConvertsToEveryOtherAndTellsWhatChanges) {
    for (const Format& from : Formats()) {
        ChecklistDoc rich;
        ChecklistFile::ReadText(rich, richCkl);
        Warnings ignored;
        ChecklistDoc source;
        if (!ReadInto(from, Written(rich, from, ignored), source)) {
            continue;
        }
        const std::string sourceCkl = ChecklistFile::WriteText(source);
        for (const Format& to : Formats()) {
            SCOPED_TRACE(std::string(from.name) + " to " + std::string(to.name));
            Warnings warnings;
            const std::string bytes = Written(source, to, warnings);
            ChecklistDoc back;
            if (!ReadInto(to, bytes, back)) {
                continue;
            }
            if (Comparable(to, ChecklistFile::WriteText(back)) != Comparable(to, sourceCkl)) {
                EXPECT_FALSE(warnings.Empty()) << "changed without a warning:\n"
                                               << sourceCkl << "became\n"
                                               << ChecklistFile::WriteText(back);
            }
        }
    }
}

// The tablet formats and efis-json keep everything of the file above that their row says they
// keep; the lists come back in category order.
TEST(AllPairs, TabletFormatsKeepCategoriesNotesAndLines) {
    for (std::string_view name : {"foreflight", "garmin-pilot", "efis-json"}) {
        SCOPED_TRACE(name);
        const Format& format = *FormatNamed(name);
        ChecklistDoc rich;
        ChecklistFile::ReadText(rich, richCkl);
        Warnings warnings;
        ChecklistDoc back;
        ASSERT_TRUE(ReadInto(format, Written(rich, format, warnings), back));
        const std::string ckl = ChecklistFile::WriteText(back);
        for (std::string_view kept :
             {"\nPreflight: Cabin\n", "\nEmergency: Engine: Engine fire in flight\n",
              "\nAbnormal: Icing\n", "\nFUEL ..... BOTH\n| Checked on both tanks\n",
              "\nName: C172S\n"}) {
            EXPECT_NE(ckl.find(kept), std::string::npos) << kept << " not in\n" << ckl;
        }
        if (format.keeps & KeepsCompletion) {
            EXPECT_NE(ckl.find("Completion of \"Preflight: Cabin\": next checklist"),
                      std::string::npos)
                << ckl;
        }
        if (name == "foreflight") {
            EXPECT_NE(ckl.find("\nDOCUMENTS ..... ON BOARD\n  NOTE: Check the dates\n"),
                      std::string::npos)
                << ckl;
        }
    }
}

} // namespace
