// How items are set out by their kind, against fixed metrics (every character 10 pixels wide,
// every line 20 high), and the contrast of the night colours.
#include "ItemLayout.h"
#include "ScreenColours.h"

#include <QPalette>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

namespace {

ItemMeasure FixedMeasure() {
    ItemMeasure measure;
    measure.advance = [](const QString& text, ItemInk) { return 10.0 * text.size(); };
    measure.lineHeight = 20;
    return measure;
}

// The runs as "text@x,y" (dots as "...@x,y"), with ":L" for a label, ":N" for a note's words,
// ":H" for a heading; then the frame and the height.
std::string Describe(const ItemLook& look) {
    std::string text;
    for (const ItemRun& run : look.runs) {
        const std::string words = run.ink == ItemInk::Leader ? "..." : run.text.toStdString();
        const char* ink = run.ink == ItemInk::Label      ? ":L"
                          : run.ink == ItemInk::NoteText ? ":N"
                          : run.ink == ItemInk::Heading  ? ":H"
                                                         : "";
        text += words + ink + "@" + std::to_string(static_cast<int>(run.x)) + "," +
                std::to_string(static_cast<int>(run.y)) + " ";
    }
    if (look.frame != ItemFrame::None) {
        text += look.frame == ItemFrame::Caution ? "[caution " : "[warning ";
        text += std::to_string(static_cast<int>(look.frameRect.width())) + "] ";
    }
    return text + "h" + std::to_string(static_cast<int>(look.height));
}

struct LookRow {
    const char* name;
    const char* item;
    double width;
    const char* look;
};

// A row prints as its name, in test names and failures alike.
void PrintTo(const LookRow& row, std::ostream* out) {
    *out << row.name;
}

class ItemLookTest : public testing::TestWithParam<LookRow> {};

TEST_P(ItemLookTest, SetsOutTheItemByItsKind) {
    const LookRow& row = GetParam();
    const ItemLook look = LayOutItem(row.item, row.width, FixedMeasure());
    EXPECT_EQ(Describe(look), row.look);
    for (const ItemRun& run : look.runs) {
        EXPECT_GE(run.x, 0) << run.text.toStdString();
        EXPECT_LE(run.x + 10.0 * run.text.size(), row.width + 0.5) << run.text.toStdString();
    }
}

// The dots end a space before the response, flush against it, so that all end in one column.
const LookRow lookRows[] = {
    {"ResponseAtTheRightBehindDots", "FUEL ..... ON", 300, "FUEL@0,0 ON@280,0 ...@60,0 h20"},
    {"NarrowWrapsTheChallengeAndPutsTheResponseBelow", "FUEL SELECTOR ..... BOTH TANKS", 120,
     "FUEL@0,0 SELECTOR@0,20 BOTH TANKS@20,40 h60"},
    {"ResponseOnTheLastLineOfAWrappedChallenge", "CHECK ALL THE FUEL ..... OK", 140,
     "CHECK ALL THE@0,0 FUEL@0,20 OK@120,20 ...@60,20 h40"},
    {"ResponseLongerThanALineWraps", "A ..... ONE TWO THREE FOUR", 100,
     "A@0,0 ONE TWO@0,20 THREE FOUR@0,40 h60"},
    {"LeadingSpacesIndent", "    Sub ..... x", 300, "Sub@40,0 x@290,0 ...@90,0 h20"},
    {"CentredText", ">> Hello <<", 200, "Hello@75,0 h20"},
    {"NoteAfterItsLabel", "NOTE: Look out", 300, "NOTE::L@0,0 Look out:N@60,0 h20"},
    {"WarningFramedWithItsLabel", "WARNING: Hot", 300, "WARNING::L@7,7 Hot@97,7 [warning 300] h34"},
    {"CautionWrapsInsideItsFrame", "CAUTION: Mind the step", 150,
     "CAUTION::L@7,7 Mind@97,7 the step@7,27 [caution 150] h54"},
    {"TitleAsHeading", "** Engine **", 300, "Engine:H@0,0 h20"},
    {"WordWiderThanTheRoomBreaks", "ABCDEFGHIJKLM", 50, "ABCDE@0,0 FGHIJ@0,20 KLM@0,40 h60"},
    {"BlankItemKeepsALine", "", 300, "h20"},
    {"PlainTextKeepsItsMark", "- Just so", 300, "- Just so@0,0 h20"},
    {"TagLikeLineIsText", " [$$END] x", 300, "[$$END] x@0,0 h20"},
};

INSTANTIATE_TEST_SUITE_P(Kinds, ItemLookTest, testing::ValuesIn(lookRows),
                         [](const testing::TestParamInfo<LookRow>& info) {
                             return std::string(info.param.name);
                         });

// Every text of the night palette stands out from its ground by at least 4.5 to 1, ticked
// items, cautions and warnings included, while no ground is bright.
TEST(NightColours, EveryTextIsReadableAndNoGroundIsBright) {
    const QPalette night = ScreenColours::NightPalette();
    EXPECT_TRUE(ScreenColours::IsDark(night));
    const std::pair<QPalette::ColorRole, QPalette::ColorRole> pairs[] = {
        {QPalette::WindowText, QPalette::Window},
        {QPalette::Text, QPalette::Base},
        {QPalette::Text, QPalette::AlternateBase},
        {QPalette::ButtonText, QPalette::Button},
        {QPalette::HighlightedText, QPalette::Highlight},
        {QPalette::ToolTipText, QPalette::ToolTipBase},
        {QPalette::Text, QPalette::Window}};
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        for (const auto& [text, ground] : pairs) {
            EXPECT_GE(
                ScreenColours::ContrastRatio(night.color(group, text), night.color(group, ground)),
                4.5)
                << text << " on " << ground;
            EXPECT_LT(ScreenColours::Luminance(night.color(group, ground)), 0.05) << ground;
        }
    }
    for (const QPalette& palette : {night, QPalette(Qt::white)}) {
        const QColor base = palette.color(QPalette::Base);
        for (const QColor& marked :
             {ScreenColours::TickedText(palette), ScreenColours::Caution(palette),
              ScreenColours::Warning(palette)}) {
            EXPECT_GE(ScreenColours::ContrastRatio(marked, base), 4.5)
                << marked.name().toStdString();
        }
        // Ticked items are dimmer than the others, and warnings stand apart from cautions.
        EXPECT_LT(ScreenColours::ContrastRatio(ScreenColours::TickedText(palette), base),
                  ScreenColours::ContrastRatio(palette.color(QPalette::Text), base));
        EXPECT_NE(ScreenColours::Caution(palette), ScreenColours::Warning(palette));
    }
    EXPECT_DOUBLE_EQ(ScreenColours::ContrastRatio(Qt::black, Qt::white), 21.0);
}

} // namespace
