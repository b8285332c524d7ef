#include "ItemRules.h"

#include "ItemKindRows.h"
#include "LineRules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using ItemRules::Kind;
using ItemRules::Style;

// Each line reads as its row says, as views into the line itself; the parts read back from the
// line they are written as, which is never a tag line, and a canonical line is written back
// byte for byte.
void ExpectReadAndWrittenBack(const ItemKindRow& row, Style style) {
    const ItemRules::Parts parts = ItemRules::Parse(row.line, style);
    EXPECT_EQ(parts.kind, row.kind);
    EXPECT_EQ(parts.prompt, row.prompt);
    EXPECT_EQ(parts.expectation, row.expectation);
    EXPECT_EQ(parts.indent, row.indent);
    EXPECT_EQ(parts.centered, row.centered);
    for (std::string_view text : {parts.prompt, parts.expectation}) {
        if (!text.empty()) {
            EXPECT_GE(text.data(), row.line.data());
            EXPECT_LE(text.data() + text.size(), row.line.data() + row.line.size());
        }
    }
    const std::string written = ItemRules::Format(row.Expected(), style);
    EXPECT_EQ(ItemRules::Parse(written, style), row.Expected()) << written;
    if (row.canonical) {
        EXPECT_EQ(written, row.line);
    }
    if (style == Style::Ckl) {
        EXPECT_FALSE(LineRules::IsTagLine(written)) << written;
    }
}

class ItemKinds : public testing::TestWithParam<ItemKindRow> {};

TEST_P(ItemKinds, ReadAsTheirRowSaysAndWriteBack) {
    ExpectReadAndWrittenBack(GetParam(), Style::Ckl);
}

INSTANTIATE_TEST_SUITE_P(Ckl, ItemKinds, testing::ValuesIn(itemKindRows::rows),
                         [](const auto& info) { return std::string(info.param.name); });

// The text formats of the displays join challenge and response with " - " instead, and have no
// tag lines to step around.
using enum ItemRules::Kind;
const ItemKindRow textRows[] = {
    {"DashSplits", "Brakes - Set", ChallengeResponse, "Brakes", "Set"},
    {"FirstDashSplits", "A - B - C", ChallengeResponse, "A", "B - C"},
    {"DashWithoutSpacesDoesNotSplit", "Pre-flight check", Challenge, "Pre-flight check"},
    {"DotsDoNotSplit", "Brakes ..... Set", Challenge, "Brakes ..... Set"},
    {"TagNeedsNoSpace", "[Avionics] off", Challenge, "[Avionics] off"},
    {"PlainTextBeforeTheDashRule", "- A - B", PlainText, "A - B"},
    {"IndentedCaution", "  CAUTION: Hot", Caution, "Hot", {}, 1},
};

class TextItemKinds : public testing::TestWithParam<ItemKindRow> {};

TEST_P(TextItemKinds, ReadAsTheirRowSaysAndWriteBack) {
    ExpectReadAndWrittenBack(GetParam(), Style::Text);
}

INSTANTIATE_TEST_SUITE_P(Text, TextItemKinds, testing::ValuesIn(textRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The label a kind is shown and printed with is the one its line is written and read with, so
// that a screen or a page never calls a note what the file calls something else.
TEST(ItemRules, LabelsAreWhatTheLinesSay) {
    for (Kind kind : {Challenge, ChallengeResponse, PlainText, Note, Caution, Warning, Title}) {
        const std::string_view label = ItemRules::LabelOf(kind);
        ItemRules::Parts parts;
        parts.kind = kind;
        parts.prompt = "Text";
        const std::string written = ItemRules::Format(parts);
        EXPECT_EQ(written.starts_with(std::string(label) + " "), !label.empty()) << written;
        if (!label.empty()) {
            EXPECT_EQ(ItemRules::Parse(std::string(label) + " Text").kind, kind) << label;
        }
    }
}

} // namespace
