#include "TextConversion.h"
#include "CEdit.h"

#include <QLineEdit>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct NarrowCase {
    const char* name;
    std::string text; // UTF-8
    int capacity;
    std::string expected;
};

std::string Repeat(char c, std::size_t count) {
    return std::string(count, c);
}

class NarrowTextTest : public ::testing::TestWithParam<NarrowCase> {};

TEST_P(NarrowTextTest, WritesWholeCharactersAndATerminator) {
    const NarrowCase& row = GetParam();
    std::vector<char> buffer(static_cast<std::size_t>(row.capacity) + 8, '#');
    const int written = NarrowText(QString::fromStdString(row.text), buffer.data(), row.capacity);
    EXPECT_EQ(written, static_cast<int>(row.expected.size()));
    EXPECT_EQ(std::string(buffer.data()), row.expected);
    // Nothing is written past the capacity.
    EXPECT_EQ(buffer[static_cast<std::size_t>(row.capacity)], '#');
}

const std::string euro = "\xE2\x82\xAC";      // 3 bytes
const std::string eWithAcute = "\xC3\xA9";    // 2 bytes
const std::string plane = "\xF0\x9F\x9B\xA9"; // 4 bytes, a surrogate pair in 16-bit text

INSTANTIATE_TEST_SUITE_P(
    Rows, NarrowTextTest,
    ::testing::Values(NarrowCase{"short_text_whole", "Fuel" + euro, 1024, "Fuel" + euro},
                      NarrowCase{"exactly_1023_bytes", Repeat('a', 1023), 1024, Repeat('a', 1023)},
                      NarrowCase{"one_byte_too_long", Repeat('a', 1024), 1024, Repeat('a', 1023)},
                      NarrowCase{"two_byte_character_straddles_limit",
                                 Repeat('a', 1022) + eWithAcute, 1024, Repeat('a', 1022)},
                      NarrowCase{"three_byte_character_straddles_limit",
                                 Repeat('a', 1021) + euro + "b", 1024, Repeat('a', 1021)},
                      NarrowCase{"three_byte_character_ends_at_limit",
                                 Repeat('a', 1020) + euro + "b", 1024, Repeat('a', 1020) + euro},
                      NarrowCase{"four_byte_character_straddles_limit", Repeat('a', 1020) + plane,
                                 1024, Repeat('a', 1020)},
                      NarrowCase{"capacity_one_holds_only_the_terminator", "abc", 1, ""},
                      NarrowCase{"small_buffer_cuts_before_multibyte", "ab" + euro, 5, "ab"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NarrowText, RefusesNoRoomWithoutWriting) {
    char buffer[2] = {'#', '#'};
    EXPECT_EQ(NarrowText(QStringLiteral("abc"), buffer, 0), 0);
    EXPECT_EQ(buffer[0], '#');
    EXPECT_EQ(NarrowText(QStringLiteral("abc"), nullptr, 10), 0);
}

TEST(WidenText, KeepsAtMost1023UnitsAndNeverHalfAPair) {
    EXPECT_EQ(WidenText(nullptr), QString());
    EXPECT_EQ(WidenText(Repeat('a', 1023).c_str()).size(), 1023);
    EXPECT_EQ(WidenText(Repeat('a', 1500).c_str()).size(), 1023);
    // The pair would take units 1022 and 1023: only the first 1022 units remain.
    const QString cut = WidenText((Repeat('a', 1022) + plane).c_str());
    EXPECT_EQ(cut, QString(1022, QLatin1Char('a')));
    // A pair that ends at unit 1023 stays whole.
    const QString whole = WidenText((Repeat('a', 1021) + plane).c_str());
    EXPECT_EQ(whole.size(), 1023);
    EXPECT_TRUE(whole.back().isLowSurrogate());
}

TEST(WindowText, LongEditTextReadsBackAsAtMost1023BytesOfWholeCharacters) {
    QLineEdit edit;
    edit.setMaxLength(32767);
    CEdit handle;
    ASSERT_TRUE(handle.Attach(&edit));
    // 1,000 two-byte characters: 2,000 bytes, of which 511 characters (1,022 bytes) fit.
    handle.SetWindowText(QString(1000, QChar(0x00E9)));
    char buffer[textBufferSize];
    const int written = handle.GetWindowText(buffer, textBufferSize);
    EXPECT_EQ(written, 1022);
    EXPECT_EQ(QString::fromUtf8(buffer), QString(511, QChar(0x00E9)));
}

TEST(WindowText, UnboundHandleReadsEmptyAndIgnoresWrites) {
    CEdit handle;
    handle.SetWindowText("ignored");
    char buffer[8] = "xxxxxxx";
    EXPECT_EQ(handle.GetWindowText(buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
}

} // namespace
