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

struct DisplayCase {
    const char* name;
    std::string text;
    std::size_t maxCharacters;
    std::string shown;
};

// How a stranger's text is shown: nothing that drives a terminal passes, every good character
// does, and a cut never splits a character or an escape.
const DisplayCase displayCases[] = {
    {"plain_text_as_it_is", "FUEL ..... BOTH", 0, "FUEL ..... BOTH"},
    {"escape_sequence_made_visible", "G \x1B]0;owned\x07 \x1B[2J", 0,
     "G \\x1B]0;owned\\x07 \\x1B[2J"},
    {"tab_and_line_breaks_escaped", "a\tb\r\nc", 0, "a\\x09b\\x0D\\x0Ac"},
    {"delete_escaped", "a\x7F", 0, "a\\x7F"},
    {"c1_control_escaped_byte_by_byte",
     "\xC2\x9B"
     "2J",
     0, "\\xC2\\x9B2J"},
    {"no_break_space_and_latin_kept", "\xC2\xA0\xC3\xA9", 0, "\xC2\xA0\xC3\xA9"},
    {"four_byte_character_kept", "\xF0\x9F\x9B\xA9", 0, "\xF0\x9F\x9B\xA9"},
    {"stray_continuation_escaped", "a\x80z", 0, "a\\x80z"},
    {"lead_without_continuation_escaped", "\xC3z", 0, "\\xC3z"},
    {"cut_sequence_at_end_escaped", "ab\xE2\x82", 0, "ab\\xE2\\x82"},
    {"overlong_escape_escaped", "\xC0\x9B", 0, "\\xC0\\x9B"},
    {"surrogate_escaped", "\xED\xA0\x80", 0, "\\xED\\xA0\\x80"},
    {"beyond_unicode_escaped", "\xF4\x90\x80\x80", 0, "\\xF4\\x90\\x80\\x80"},
    {"exactly_the_length_not_cut", "abcd", 4, "abcd"},
    {"one_more_is_cut_with_ellipsis", "abcde", 4, "abcd\u2026"},
    {"cut_counts_characters_not_bytes", "\xC3\xA9\xC3\xA9\xC3\xA9", 2, "\xC3\xA9\xC3\xA9\u2026"},
    {"an_escape_is_one_character_never_split", "\x1B\x1B\x1B", 2, "\\x1B\\x1B\u2026"},
    {"no_cut_shows_everything", std::string(100, 'x'), 0, std::string(100, 'x')},
};

void PrintTo(const DisplayCase& row, std::ostream* out) {
    *out << row.name;
}

class LineRulesDisplay : public testing::TestWithParam<DisplayCase> {};

TEST_P(LineRulesDisplay, ShowsNoControlAndNoBrokenCharacter) {
    const DisplayCase& row = GetParam();
    const std::string shown = LineRules::Displayed(row.text, row.maxCharacters);
    EXPECT_EQ(shown, row.shown);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const auto byte = static_cast<unsigned char>(shown[i]);
        EXPECT_TRUE(byte >= 0x20 && byte != 0x7F) << i;
        // A C1 control is U+0080..U+009F, in UTF-8 0xC2 followed by 0x80..0x9F.
        EXPECT_FALSE(byte == 0xC2 && i + 1 < shown.size() &&
                     static_cast<unsigned char>(shown[i + 1]) < 0xA0)
            << i;
    }
    EXPECT_EQ(LineRules::QuotedForDisplay(row.text),
              '"' + LineRules::Displayed(row.text, LineRules::messageCharacters) + '"');
}

INSTANTIATE_TEST_SUITE_P(Rows, LineRulesDisplay, testing::ValuesIn(displayCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct StorableCase {
    const char* name;
    std::string text;
    std::size_t room;
    std::string stored;
    bool flattened;
    bool cut;
    std::size_t cursor;      // a byte offset before
    std::size_t movedCursor; // where it stands after the flattening
};

// The one rule of a stored line, as the text entry applies it to what is typed or pasted.
const StorableCase storableCases[] = {
    {"one_line_unchanged", "FLAPS ..... UP", 1023, "FLAPS ..... UP", false, false, 5, 5},
    {"windows_line_end_is_one_space", "a\r\nb", 1023, "a b", true, false, 3, 2},
    {"lone_breaks_each_a_space", "a\rb\nc", 1023, "a b c", true, false, 5, 5},
    {"tab_nul_and_escape_are_spaces", std::string("a\tb\0c\x1B", 6), 1023, "a b c ", true, false, 6,
     6},
    {"unicode_line_breaks_are_spaces",
     "a\xC2\x85"
     "b\xE2\x80\xA8"
     "c\xE2\x80\xA9",
     1023, "a b c ", true, false, 9, 5},
    {"other_c1_controls_kept", "a\xC2\x9B", 1023, "a\xC2\x9B", false, false, 0, 0},
    {"cursor_between_cr_and_lf_before_the_space", "a\r\nb", 1023, "a b", true, false, 2, 1},
    {"cursor_before_the_break_stays", "ab\ncd", 1023, "ab cd", true, false, 1, 1},
    {"cut_between_characters", "ab\xC3\xA9", 3, "ab", false, true, 0, 0},
    {"flattened_then_cut", "a\r\nbcd", 3, "a b", true, true, 0, 0},
};

void PrintTo(const StorableCase& row, std::ostream* out) {
    *out << row.name;
}

class LineRulesStorable : public testing::TestWithParam<StorableCase> {};

TEST_P(LineRulesStorable, MakesOneLineThatFitsAndSaysWhatItChanged) {
    const StorableCase& row = GetParam();
    std::string text = row.text;
    const LineRules::LineChanges changes = LineRules::MakeStorableLine(text, row.room);
    EXPECT_EQ(text, row.stored);
    EXPECT_EQ(changes.flattened, row.flattened);
    EXPECT_EQ(changes.cut, row.cut);
    EXPECT_EQ(LineRules::IsOneLine(row.text), !row.flattened);
    if (row.room == LineRules::maxBytes) {
        EXPECT_TRUE(LineRules::IsStorableLine(text) || LineRules::IsTagLine(text));
    }

    std::string flat = row.text;
    std::size_t cursor = row.cursor;
    EXPECT_EQ(LineRules::FlattenLine(flat, cursor), row.flattened);
    EXPECT_EQ(cursor, row.movedCursor);
}

INSTANTIATE_TEST_SUITE_P(Rows, LineRulesStorable, testing::ValuesIn(storableCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
