#include "TextConversion.h"
#include "CEdit.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace {

const auto letters = [](std::size_t count) { return std::string(count, 'a'); };

const std::string euro = "\xE2\x82\xAC";      // 3 bytes
const std::string plane = "\xF0\x9F\x9B\xA9"; // 4 bytes, a surrogate pair in 16-bit text

// Text reaches the program's buffers as whole characters of UTF-8, at most 1,023 bytes of them.
TEST(TextConversion, CutsBeforeTheFirstCharacterThatDoesNotFit) {
    const std::tuple<const char*, std::string, int, std::string> rows[] = {
        {"exactly_1023_bytes", letters(1023), 1024, letters(1023)},
        {"one_byte_too_long", letters(1024), 1024, letters(1023)},
        {"two_byte_character_straddles_limit", letters(1022) + "\xC3\xA9", 1024, letters(1022)},
        {"three_byte_character_straddles_limit", letters(1021) + euro + "b", 1024, letters(1021)},
        {"three_byte_character_ends_at_limit", letters(1020) + euro + "b", 1024,
         letters(1020) + euro},
        {"four_byte_character_straddles_limit", letters(1020) + plane, 1024, letters(1020)},
        {"capacity_one_holds_only_the_terminator", "abc", 1, ""},
    };
    for (const auto& [name, text, capacity, expected] : rows) {
        std::vector<char> buffer(static_cast<std::size_t>(capacity) + 1, '#');
        const int written = NarrowText(QString::fromStdString(text), buffer.data(), capacity);
        EXPECT_EQ(written, static_cast<int>(expected.size())) << name;
        EXPECT_EQ(std::string(buffer.data()), expected) << name;
        EXPECT_EQ(buffer.back(), '#') << name << ": written past the capacity";
    }
    char untouched = '#'; // no room at all: nothing is written
    EXPECT_EQ(NarrowText(QStringLiteral("abc"), &untouched, 0), 0);
    EXPECT_EQ(untouched, '#');
    EXPECT_EQ(NarrowText(QStringLiteral("abc"), nullptr, 10), 0);

    // Controls receive at most 1,023 16-bit units, never half a surrogate pair.
    EXPECT_EQ(WidenText(nullptr), QString());
    EXPECT_EQ(WidenText(letters(1500).c_str()), QString::fromStdString(letters(1023)));
    // The pair would take units 1022 and 1023: only the first 1022 units remain.
    EXPECT_EQ(WidenText((letters(1022) + plane).c_str()), QString::fromStdString(letters(1022)));
    EXPECT_EQ(WidenText((letters(1021) + plane).c_str()).size(), 1023);

    char buffer[8] = "x";
    CEdit handle; // unbound, it reads as empty and ignores writes
    handle.SetWindowText("ignored");
    EXPECT_EQ(handle.GetWindowText(buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
}

} // namespace
