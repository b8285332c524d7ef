#include "LineRules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct CutCase {
    const char* name;
    std::string text;
    std::size_t room;
    std::size_t fitting;
};

// Cuts fall between characters; bytes that no lead byte claims are characters of their own, so
// broken text is never cut back further than one character.
const CutCase cutCases[] = {
    {"fits_whole", "abc", 3, 3},
    {"ascii_cut_at_room", "abcdef", 4, 4},
    {"two_byte_character_not_split", "a\xC3\xA9z", 2, 1},
    {"two_byte_character_fits_whole", "a\xC3\xA9z", 3, 3},
    {"three_byte_character_not_split", "ab\xE2\x82\xAC", 4, 2},
    {"four_byte_character_not_split", "\xF0\x9F\x98\x80", 3, 0},
    {"stray_continuation_bytes_are_characters", "a\x80\x80\x80\x80\x80", 4, 4},
    {"lead_without_its_continuation_is_a_character",
     "\xC3"
     "abc",
     2, 2},
    {"lead_claims_at_most_three_bytes", "\xF0\x80\x80\x80\x80", 4, 4},
    {"lead_of_a_two_byte_character_claims_one", "\xC3\x80\x80\x80", 2, 2},
    {"nothing_fits_in_no_room", "abc", 0, 0},
};

void PrintTo(const CutCase& row, std::ostream* out) {
    *out << row.name;
}

class LineRulesCut : public testing::TestWithParam<CutCase> {};

TEST_P(LineRulesCut, CutsOnlyBetweenCharacters) {
    const CutCase& row = GetParam();
    EXPECT_EQ(LineRules::FittingLength(row.text, row.room), row.fitting);
    EXPECT_EQ(LineRules::CutToFit(row.text, row.room), row.text.substr(0, row.fitting));
    EXPECT_TRUE(LineRules::IsCharacterStart(row.text, row.fitting));
}

INSTANTIATE_TEST_SUITE_P(Rows, LineRulesCut, testing::ValuesIn(cutCases),
                         [](const auto& info) { return std::string(info.param.name); });

// What may stand on a line of a checklist file and be read back as the same text.
TEST(LineRules, StorableLinesAreShortSingleLinesThatAreNoTags) {
    EXPECT_TRUE(LineRules::IsStorableLine(""));
    EXPECT_TRUE(LineRules::IsStorableLine("[not closed"));
    EXPECT_TRUE(LineRules::IsStorableLine("]["));
    EXPECT_TRUE(LineRules::IsStorableLine("x [a]"));
    EXPECT_TRUE(LineRules::IsStorableLine(std::string(LineRules::maxBytes, 'a')));
    EXPECT_FALSE(LineRules::IsStorableLine(std::string(LineRules::maxBytes + 1, 'a')));
    EXPECT_FALSE(LineRules::IsStorableLine("[]"));
    EXPECT_FALSE(LineRules::IsStorableLine("[Check] fuel"));
    EXPECT_FALSE(LineRules::IsStorableLine("two\nlines"));
    EXPECT_FALSE(LineRules::IsStorableLine("ends in CR\r"));

    EXPECT_TRUE(LineRules::IsTagLine("[$$END] trailing"));
    EXPECT_EQ(LineRules::TagOf("[$$END] trailing]"), "$$END");
    EXPECT_EQ(LineRules::TagOf("[]"), "");
    EXPECT_FALSE(LineRules::IsTagLine("["));
    EXPECT_FALSE(LineRules::IsTagLine(" [$$END]"));
}

} // namespace
