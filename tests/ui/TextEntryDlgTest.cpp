#include "CTextEntryDlg.h"
#include "ScopedModalHook.h"
#include "resource.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <array>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace {

using Buffer = std::array<char, 1024>;

Buffer BufferWith(const char* text) {
    Buffer buffer{};
    std::strncpy(buffer.data(), text, buffer.size() - 1);
    return buffer;
}

QLineEdit* Box(CDialog& dialog) {
    return dialog.GetDlgItem<QLineEdit>(IDC_ENTRY_EDIT);
}

QLabel* Prompt(CDialog& dialog) {
    return dialog.GetDlgItem<QLabel>(IDC_ENTRY_PROMPT);
}

// Types text into widget one character at a time, as the keyboard does; unlike
// QTest::keyClicks it takes any character.
void TypeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Runs RunTextEntry with a hook that lets act work on the shown dialog; act must end it.
int RunWith(const char* title, const char* prompt, char* text,
            const std::function<void(CDialog&)>& act) {
    ScopedModalHook hook([&](CDialog& dialog) { act(dialog); });
    return RunTextEntry(title, prompt, text);
}

// --- What the dialog shows ----------------------------------------------------------------------

struct ShownCase {
    const char* name;
    const char* title;
    const char* prompt;
    const char* text;
    QString expectedTitle;
    QString expectedPrompt;
    QString expectedBox;
};

class TextEntryShows : public ::testing::TestWithParam<ShownCase> {};

TEST_P(TextEntryShows, TitlePromptAndStartingText) {
    const ShownCase& row = GetParam();
    Buffer text = BufferWith(row.text);
    QString title;
    QString prompt;
    QString box;
    const int result = RunWith(row.title, row.prompt, text.data(), [&](CDialog& dialog) {
        title = dialog.windowTitle();
        prompt = Prompt(dialog)->text();
        box = Box(dialog)->text();
        dialog.SendCommand(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(title, row.expectedTitle);
    EXPECT_EQ(prompt, row.expectedPrompt);
    EXPECT_EQ(box, row.expectedBox);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TextEntryShows,
    ::testing::Values(
        ShownCase{"new_checklist_texts_whole", "Create Checklist",
                  "Enter the name for the new list:", "", "Create Checklist",
                  "Enter the name for the new list:", ""},
        ShownCase{"add_item_texts_whole", "Add Item", "Enter the text of the new item:", "",
                  "Add Item", "Enter the text of the new item:", ""},
        ShownCase{"starting_text_in_box", "Add Item", "Item:", "Fuel pump ON", "Add Item",
                  "Item:", "Fuel pump ON"},
        ShownCase{"blanks_of_starting_text_kept", "t", "p", "  Flaps  ", "t", "p", "  Flaps  "},
        ShownCase{"empty_title_keeps_template_title", "", "p", "", "Dialog", "p", ""},
        ShownCase{"empty_prompt_keeps_template_label", "t", "", "", "t", "Static", ""},
        ShownCase{"null_title_and_prompt_keep_template_texts", nullptr, nullptr, "", "Dialog",
                  "Static", ""},
        ShownCase{"multibyte_texts_whole", "Prüfliste anlegen", "Name der Liste:", "Zündung",
                  QString::fromUtf8("Prüfliste anlegen"),
                  "Name der Liste:", QString::fromUtf8("Zündung")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextEntryDlg, KeepsTemplateSizeWithoutFullScreenOk) {
    CTextEntryDlg dialog;
    bool fullScreenOk = true;
    bool fixedSize = false;
    ScopedModalHook hook([&](CDialog& running) {
        fullScreenOk = running.GetFullScreenOkButton() != nullptr;
        fixedSize = running.minimumSize() == running.maximumSize();
        running.SendCommand(IDCANCEL);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_FALSE(fullScreenOk);
    EXPECT_TRUE(fixedSize);
}

TEST(TextEntryDlg, ScreenReaderNamesTheBoxAfterThePrompt) {
    Buffer text{};
    QString name;
    RunWith("Add Item", "Enter the text of the new item:", text.data(), [&](CDialog& dialog) {
        name = QAccessible::queryAccessibleInterface(Box(dialog))->text(QAccessible::Name);
        dialog.SendCommand(IDCANCEL);
    });
    EXPECT_EQ(name, "Enter the text of the new item:");
}

// --- Result and the caller's buffer -------------------------------------------------------------

struct ResultCase {
    const char* name;
    const char* start;
    std::function<void(CDialog&)> act; // ends the dialog
    int expectedResult;
    const char* expectedText; // nullptr: the buffer is byte for byte as it was
};

class TextEntryResult : public ::testing::TestWithParam<ResultCase> {};

TEST_P(TextEntryResult, HandsBackOnlyWhatOkConfirmed) {
    const ResultCase& row = GetParam();
    // Bytes after the terminator too must survive anything but OK.
    Buffer text;
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char>('A' + i % 26);
    }
    std::strcpy(text.data(), row.start);
    const Buffer before = text;

    EXPECT_EQ(RunWith("t", "p", text.data(), row.act), row.expectedResult);

    if (row.expectedText == nullptr) {
        EXPECT_EQ(std::memcmp(text.data(), before.data(), text.size()), 0);
    } else {
        EXPECT_STREQ(text.data(), row.expectedText);
    }
}

void Type(CDialog& dialog, const char* typed) {
    TypeText(Box(dialog), QString::fromUtf8(typed));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TextEntryResult,
    ::testing::Values(ResultCase{"ok_with_empty_box_gives_empty_text", "",
                                 [](CDialog& d) { d.SendCommand(IDOK); }, IDOK, ""},
                      ResultCase{"ok_without_change_gives_starting_text", "Before Landing",
                                 [](CDialog& d) { d.SendCommand(IDOK); }, IDOK, "Before Landing"},
                      ResultCase{"typed_blanks_kept", "",
                                 [](CDialog& d) {
                                     Type(d, "  Fuel pump ON  ");
                                     d.SendCommand(IDOK);
                                 },
                                 IDOK, "  Fuel pump ON  "},
                      ResultCase{"multibyte_typed", "",
                                 [](CDialog& d) {
                                     Type(d, "Zündung AUS – 5 €");
                                     d.SendCommand(IDOK);
                                 },
                                 IDOK, "Zündung AUS – 5 €"},
                      ResultCase{"enter_in_box_presses_ok", "",
                                 [](CDialog& d) {
                                     Type(d, "Flaps");
                                     QTest::keyClick(Box(d), Qt::Key_Return);
                                 },
                                 IDOK, "Flaps"},
                      ResultCase{"cancel_after_typing_leaves_buffer", "Start",
                                 [](CDialog& d) {
                                     Type(d, "Something else");
                                     d.SendCommand(IDCANCEL);
                                 },
                                 IDCANCEL, nullptr},
                      ResultCase{"escape_leaves_buffer", "",
                                 [](CDialog& d) {
                                     Type(d, "Typed");
                                     QTest::keyClick(Box(d), Qt::Key_Escape);
                                 },
                                 IDCANCEL, nullptr},
                      ResultCase{"other_result_leaves_buffer", "",
                                 [](CDialog& d) {
                                     Type(d, "Typed");
                                     d.EndDialog(-1);
                                 },
                                 -1, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// --- One line of at most 1,023 bytes ------------------------------------------------------------

TEST(TextEntryDlg, LongestStartingTextComesBackWhole) {
    // 341 three-byte characters: 1,023 bytes but only 341 characters in the box.
    std::string euros;
    for (int i = 0; i < 341; ++i) {
        euros += "€";
    }
    Buffer text = BufferWith(euros.c_str());
    EXPECT_EQ(RunWith("t", "p", text.data(), [](CDialog& d) { d.SendCommand(IDOK); }), IDOK);
    EXPECT_EQ(std::string(text.data()), euros);
}

TEST(TextEntryDlg, PastedLinesBecomeOneLineThatFitsTheBuffer) {
    Buffer text{};
    const int result = RunWith("t", "p", text.data(), [](CDialog& d) {
        QGuiApplication::clipboard()->setText("Fuel\r\npump\t" +
                                              QString::fromUtf8("ä").repeated(600));
        Box(d)->paste();
        d.SendCommand(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    std::string expected = "Fuel pump ";
    while (expected.size() + 2 <= 1023) {
        expected += "ä";
    }
    EXPECT_EQ(std::string(text.data()), expected);
}

} // namespace
