#include "TextRules.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// --- Lines the file can store -------------------------------------------------------------------

struct StorableCase {
    const char* name;
    const char* text;
    bool storable;
};

class IsStorableLineTest : public ::testing::TestWithParam<StorableCase> {};

TEST_P(IsStorableLineTest, TellsTagLookalikesApart) {
    EXPECT_EQ(IsStorableLine(GetParam().text), GetParam().storable) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, IsStorableLineTest,
    ::testing::Values(StorableCase{"plain_text", "Fuel pump ON", true},
                      StorableCase{"empty", "", true}, StorableCase{"null_is_empty", nullptr, true},
                      StorableCase{"open_bracket_alone", "[", true},
                      StorableCase{"open_bracket_without_close", "[Fuel pump", true},
                      StorableCase{"empty_brackets", "[]", false},
                      StorableCase{"section_tag", "[$$END]", false},
                      StorableCase{"close_far_behind", "[Fire] in flight", false},
                      StorableCase{"bracket_not_first", "Fuel [both]", true},
                      StorableCase{"blank_before_bracket", " [both]", true},
                      StorableCase{"close_before_open", "]both[", true},
                      StorableCase{"multibyte_inside", "[Zündung]", false}),
    [](const auto& info) { return std::string(info.param.name); });

// --- One line, bounded --------------------------------------------------------------------------

// Bytes of UTF-8 the edit's text takes.
qsizetype Utf8Size(const QLineEdit& edit) {
    return edit.text().toUtf8().size();
}

// Types text into widget one character at a time, as the keyboard does; unlike
// QTest::keyClicks it takes any character.
void TypeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Pastes text at the edit's cursor, as the user's Ctrl+V does.
void Paste(QLineEdit& edit, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    edit.paste();
}

struct LimitCase {
    const char* name;
    QString before;   // the box's text before the user acts
    int cursor;       // where the cursor stands; -1 at the end
    QString pasted;   // pasted at the cursor, when not empty
    QString typed;    // then typed at the cursor, when not empty
    QString expected; // the box's text afterwards
};

// Test texts are written as UTF-8.
QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QString Repeat(const QString& text, int times) {
    return text.repeated(times);
}

class LimitToOneLineTest : public ::testing::TestWithParam<LimitCase> {};

TEST_P(LimitToOneLineTest, KeepsOneLineOfAtMost1023Bytes) {
    const LimitCase& row = GetParam();
    QLineEdit edit;
    LimitToOneLine(&edit);
    edit.setText(row.before);
    edit.setCursorPosition(row.cursor < 0 ? static_cast<int>(edit.text().size()) : row.cursor);
    if (!row.pasted.isEmpty()) {
        Paste(edit, row.pasted);
    }
    if (!row.typed.isEmpty()) {
        TypeText(&edit, row.typed);
    }
    EXPECT_EQ(edit.text(), row.expected);
    EXPECT_LE(Utf8Size(edit), maxLineBytes);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LimitToOneLineTest,
    ::testing::Values(
        LimitCase{"line_feed_pasted_becomes_space", "", -1, "Fuel\npump", "", "Fuel pump"},
        LimitCase{"windows_line_end_becomes_one_space", "", -1, "Fuel\r\npump\r\n", "",
                  "Fuel pump "},
        LimitCase{"tab_pasted_becomes_space", "", -1, "Fuel\tpump", "", "Fuel pump"},
        LimitCase{"unicode_line_separator_becomes_space", "", -1, Text("Fuel\u2028pump"), "",
                  "Fuel pump"},
        LimitCase{"line_break_set_from_code_becomes_space", "Fuel\npump", -1, "", "", "Fuel pump"},
        LimitCase{"typing_into_full_box_does_nothing", Repeat("a", 1023), -1, "", "b",
                  Repeat("a", 1023)},
        LimitCase{"typing_two_byte_letter_into_last_byte_does_nothing", Repeat("a", 1022), -1, "",
                  Text("ä"), Repeat("a", 1022)},
        LimitCase{"long_paste_cut_at_its_end", "", -1, Repeat("x", 2000), "", Repeat("x", 1023)},
        LimitCase{"paste_cut_before_two_byte_letter", Repeat("a", 1020), -1, Text("ééé"), "",
                  Repeat("a", 1020) + Text("é")},
        LimitCase{"surrogate_pair_never_halved", Repeat("a", 1020), -1, Text("😀"), "",
                  Repeat("a", 1020)},
        LimitCase{"paste_in_middle_keeps_text_after_cursor", Repeat("a", 1021), 10, "XYZ", "",
                  Repeat("a", 10) + "XY" + Repeat("a", 1011)},
        LimitCase{"line_break_in_paste_counts_as_one_byte", Repeat("a", 1020), -1, "b\r\nc", "",
                  Repeat("a", 1020) + "b c"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LimitToOneLine, TextSetBeforeTheLimitIsBroughtWithinIt) {
    QLineEdit edit(QString("Fuel\npump").repeated(200));
    LimitToOneLine(&edit);
    EXPECT_FALSE(edit.text().contains('\n'));
    EXPECT_EQ(Utf8Size(edit), maxLineBytes);
}

} // namespace
