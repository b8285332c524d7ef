// Which item and caption lines the file can store; the box limits are tried in the dialogs.
#include "TextRules.h"

#include <gtest/gtest.h>
#include <tuple>

namespace {

TEST(IsStorableLine, TellsTagLookalikesApart) {
    const std::tuple<const char*, const char*, bool> rows[] = {
        {"null_is_empty", nullptr, true},          {"open_bracket_alone", "[", true},
        {"empty_brackets", "[]", false},           {"bracket_not_first", "Fuel [both]", true},
        {"blank_before_bracket", " [both]", true}, {"close_before_open", "]both[", true},
    };
    for (const auto& [name, text, storable] : rows) {
        EXPECT_EQ(IsStorableLine(text), storable) << name;
    }
}

} // namespace
