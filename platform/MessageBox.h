#pragma once

#include "WinTypes.h"

#include <QString>

#include <deque>
#include <memory>
#include <vector>

class QMessageBox;
class QWidget;

inline constexpr int MB_OK = 0;
inline constexpr int MB_OKCANCEL = 1;
inline constexpr int MB_YESNOCANCEL = 3;
inline constexpr int MB_YESNO = 4;

// Shows text in a modal box titled caption with the buttons of type (MB_OK, MB_OKCANCEL, MB_YESNO
// or MB_YESNOCANCEL; any other type shows OK) and returns the button chosen: IDOK, IDYES, IDNO or
// IDCANCEL. Escape or closing the box answers IDCANCEL when there is a Cancel button, IDNO in a
// Yes/No box and IDOK in an OK box. The box belongs to owner, or to the active window when owner
// is null; no other window of the program takes input meanwhile. While a MessageBoxHook exists,
// nothing is shown and the hook answers.
int MessageBox(QWidget* owner, const QString& text, const QString& caption, int type);

// The box that MessageBox runs for these arguments, built but not shown.
std::unique_ptr<QMessageBox> BuildMessageBox(QWidget* owner, const QString& text,
                                             const QString& caption, int type);

// What MessageBox would have shown, and what it answered.
struct MessageBoxRecord {
    QString text;
    QString caption;
    int type;
    int answer;
};

// While an object of this class exists, MessageBox shows nothing: it records each call and
// returns the next answer pushed, in order. A call with no answer left returns
// unscriptedAnswer (no button has that value) and warns, so that a test fails instead of
// blocking. Hooks nest: the newest one answers.
class MessageBoxHook {
public:
    static constexpr int unscriptedAnswer = 0;

    MessageBoxHook();
    ~MessageBoxHook();
    MessageBoxHook(const MessageBoxHook&) = delete;
    MessageBoxHook& operator=(const MessageBoxHook&) = delete;

    void PushAnswer(int answer);
    // Every call answered by this hook, oldest first.
    const std::vector<MessageBoxRecord>& Shown() const { return shown; }
    // Answers pushed but not yet given.
    std::size_t UnusedAnswers() const { return answers.size(); }

private:
    friend int MessageBox(QWidget*, const QString&, const QString&, int);

    int Answer(const QString& text, const QString& caption, int type);

    MessageBoxHook* previous;
    std::deque<int> answers;
    std::vector<MessageBoxRecord> shown;
};
