// The text entry dialog through RunTextEntry: what it shows, what its box takes and what it hands
// back.
#include "CTextEntryDlg.h"
#include "UiTestSupport.h"

#include <QAccessible>
#include <QLabel>
#include <array>
#include <cstring>
#include <optional>

namespace {

QLineEdit* Box(CDialog& dialog) {
    return dialog.GetDlgItem<QLineEdit>(IDC_ENTRY_EDIT);
}

class TextEntryDlgTest : public UiTest {};

// The title and prompt show as given, or the template's "Dialog" and "Static" for none, and
// screen readers name the box after the prompt. The box keeps one line of at most 1,023 bytes of
// UTF-8, dropping what does not fit just before the cursor, whole characters at a time. The
// caller's buffer changes only on OK.
TEST_F(TextEntryDlgTest, ShowsItsTextsAndHandsBackOnlyWhatOkConfirmed) {
    const std::string euros = QString("€").repeated(341).toStdString(); // 1,023 bytes
    const std::string a1020(1020, 'a');
    const DialogScript ok = Press(IDOK);
    const DialogScript enter = [](CDialog& d) { QTest::keyClick(Box(d), Qt::Key_Return); };
    const DialogScript cancel = [](CDialog& d) { d.GetDlgItem<QPushButton>(IDCANCEL)->click(); };
    const DialogScript pasteAt10 = [](CDialog& d) {
        QGuiApplication::clipboard()->setText("XYZ");
        Box(d)->setCursorPosition(10);
        Box(d)->paste();
        d.SendCommand(IDOK);
    };
    struct Row {
        const char* name;
        const char* title; // and prompt
        std::string start;
        QString pasted; // at the end of the box
        DialogScript end;
        int result;
        std::optional<std::string> text; // none: the buffer stays byte for byte as it was
    };
    const Row rows[] = {
        {"ok_unchanged", "t", " Before Landing ", "", ok, IDOK, " Before Landing "},
        {"umlauts_whole_then_enter", "Prüfliste", "", " Zündung – 5 € ", enter, IDOK,
         " Zündung – 5 € "},
        {"no_title_or_prompt", nullptr, "", "", ok, IDOK, ""},
        {"longest_start_back_whole", "t", euros, "", ok, IDOK, euros},
        {"breaks_and_tabs_become_spaces", "t", "", "a\r\nb\tc\u2028d\n", ok, IDOK, "a b c d "},
        {"line_break_in_the_start", "t", "Fuel\npump", "", ok, IDOK, "Fuel pump"},
        {"long_paste_cut_at_its_end", "t", "", QString(2000, 'x'), ok, IDOK,
         std::string(1023, 'x')},
        {"two_byte_letter_into_the_last_byte", "t", a1020 + "aa", "ä", ok, IDOK, a1020 + "aa"},
        {"surrogate_pair_never_halved", "t", a1020, "😀", ok, IDOK, a1020},
        {"text_after_the_cursor_kept", "t", a1020 + "a", "", pasteAt10, IDOK,
         std::string(10, 'a') + "XY" + std::string(1011, 'a')},
        {"cancel_after_a_change", "t", "Start", "Else", cancel, IDCANCEL, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::array<char, 1024> text; // the bytes after the end too must survive all but OK
        text.fill('#');
        std::strcpy(text.data(), row.start.c_str());
        const auto before = text;
        ScopedModalHook hook([&](CDialog& d) {
            const QString prompt = d.GetDlgItem<QLabel>(IDC_ENTRY_PROMPT)->text();
            EXPECT_EQ(d.windowTitle() + "|" + prompt,
                      row.title ? QString("%1|%1").arg(row.title) : "Dialog|Static");
            EXPECT_EQ(QAccessible::queryAccessibleInterface(Box(d))->text(QAccessible::Name),
                      prompt);
            EXPECT_EQ(d.minimumSize(), d.maximumSize()); // a small box, not the full screen
            EXPECT_EQ(d.focusWidget(), Box(d));          // typing goes into the box at once
            QGuiApplication::clipboard()->setText(row.pasted);
            Box(d)->end(false); // the box shows its text all selected
            Box(d)->paste();
            row.end(d);
        });
        EXPECT_EQ(RunTextEntry(row.title, row.title, text.data()), row.result);
        EXPECT_TRUE(row.text ? text.data() == *row.text : text == before) << text.data();
    }
}

} // namespace
