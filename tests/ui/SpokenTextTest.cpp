#include "SpokenText.h"

#include "RecordingSpeaker.h"

#include <ostream>
#include <string>

#include <gtest/gtest.h>

namespace {

// What one call says, its parts joined by " | " as a RecordingSpeaker writes them.
struct SpokenRow {
    const char* name;
    QStringList (*speak)(const char*);
    const char* text; // null for none
    const char* said;
};

void PrintTo(const SpokenRow& row, std::ostream* out) {
    *out << row.name;
}

using SpokenText::SpokenCompletion;
using SpokenText::SpokenItem;
using SpokenText::SpokenName;

const SpokenRow spokenRows[] = {
    // Names: said as they are, less what no voice should read out.
    {"NameAsItIs", SpokenName, "Before starting engine", "Before starting engine"},
    {"NameWithCategory", SpokenName, "Emergency: Engine fire", "Emergency: Engine fire"},
    {"NameControlCharacters", SpokenName, "Run\x07up\r\ncheck\x7F", "Run up check"},
    {"NameC1ControlAndBidiOverride", SpokenName,
     "Taxi\xC2\x9B\xE2\x80\xAE"
     "31",
     "Taxi 31"},
    {"NameBrokenUtf8", SpokenName, "Caf\xC3 \xFFstop", "Caf stop"},
    {"NameOnlyDots", SpokenName, ".....", ""},
    {"NameNull", SpokenName, nullptr, ""},
    {"NameNonAsciiKept", SpokenName, "Ölstand prüfen", "Ölstand prüfen"},
    // Items by kind.
    {"ChallengeResponse", SpokenItem, "Fuel selector ..... BOTH", "Fuel selector | BOTH"},
    {"ChallengeResponseLongLeader", SpokenItem, "Mixture .................. RICH",
     "Mixture | RICH"},
    {"ChallengeResponseIndented", SpokenItem, "    Magnetos ..... BOTH", "Magnetos | BOTH"},
    {"ChallengeAlone", SpokenItem, "Brakes", "Brakes"},
    {"Note", SpokenItem, "NOTE: Carburettor heat as required",
     "note | Carburettor heat as required"},
    {"Caution", SpokenItem, "CAUTION: Do not exceed 2700 RPM", "caution | Do not exceed 2700 RPM"},
    {"Warning", SpokenItem, "WARNING: Fire extinguisher", "warning | Fire extinguisher"},
    {"NoteWithoutText", SpokenItem, "NOTE: ", "note"},
    {"Title", SpokenItem, "** ENGINE START **", "ENGINE START"},
    {"Centered", SpokenItem, ">> Call tower <<", "Call tower"},
    {"CenteredTitle", SpokenItem, ">> ** CRUISE ** <<", "CRUISE"},
    {"PlainText", SpokenItem, "- Information only", "Information only"},
    {"Blank", SpokenItem, "", ""},
    {"BlankIndented", SpokenItem, "    ", ""},
    {"ItemNull", SpokenItem, nullptr, ""},
    // Punctuation that lays a line out is not said; what a number or word needs stays.
    {"DotsWithoutSpacesAreNoLeader", SpokenItem, "Check...OK", "Check OK"},
    {"ResponseOnlyDots", SpokenItem, "Lights ..... ....", "Lights"},
    {"StarsInside", SpokenItem, "Gear ** DOWN", "Gear DOWN"},
    {"ArrowsAndRules", SpokenItem, "Flaps -> 10 ==== <<<", "Flaps 10"},
    {"UnicodeBulletAndEllipsis", SpokenItem, "\xE2\x80\xA2 Seat belts\xE2\x80\xA6", "Seat belts"},
    {"DecimalPoint", SpokenItem, "Altimeter ..... 29.92", "Altimeter | 29.92"},
    {"MinusSign", SpokenItem, "OAT below -5", "OAT below -5"},
    {"HyphenInWord", SpokenItem, "Pre-flight inspection", "Pre-flight inspection"},
    {"SentenceDot", SpokenItem, "Doors closed.", "Doors closed"},
    {"ControlInChallenge", SpokenItem, "Throttle\x01\x1B ..... IDLE", "Throttle | IDLE"},
    {"TabsInResponse", SpokenItem, "Lights ..... ON\tOFF", "Lights | ON OFF"},
    // The end of a list.
    {"CompleteWithNext", SpokenCompletion, "Climb", "Checklist complete | Next checklist | Climb"},
    {"CompleteLast", SpokenCompletion, nullptr, "Checklist complete"},
    {"CompleteNextUnsayable", SpokenCompletion, "***", "Checklist complete"},
    {"CompleteNextCleaned", SpokenCompletion,
     "\x1B"
     "Cruise ...",
     "Checklist complete | Next checklist | Cruise"},
};

class SpokenTextTable : public testing::TestWithParam<SpokenRow> {};

TEST_P(SpokenTextTable, SaysTheRowsParts) {
    const SpokenRow& row = GetParam();
    QStringList parts = row.speak(row.text);
    EXPECT_EQ(parts.join(QStringLiteral(" | ")).toStdString(), std::string(row.said));
    // Every part is something to say: no empty part, no space at an end, no dot run, no
    // control character.
    for (const QString& part : parts) {
        EXPECT_FALSE(part.isEmpty());
        EXPECT_EQ(part, part.simplified()) << part.toStdString();
        EXPECT_FALSE(part.contains(QStringLiteral(".."))) << part.toStdString();
        for (QChar c : part) {
            EXPECT_NE(c.category(), QChar::Other_Control) << part.toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, SpokenTextTable, testing::ValuesIn(spokenRows),
                         [](const testing::TestParamInfo<SpokenRow>& info) {
                             return std::string(info.param.name);
                         });

// What the screen's tests read back: a Say as its parts in one line, a Stop as "(stop)".
TEST(RecordingSpeaker, WritesSaysAndStopsInOrder) {
    RecordingSpeaker speaker;
    speaker.Say(SpokenItem("Fuel pump ..... ON"));
    speaker.Stop();
    speaker.Say(SpokenItem(""));
    EXPECT_EQ(speaker.said, QStringList({"Fuel pump | ON", "(stop)", ""}));
}

} // namespace
