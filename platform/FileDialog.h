#pragma once

#include <QString>
#include <QStringList>

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

class QFileDialog;
class QWidget;

enum class FileDialogKind { Open, Save };

struct FileDialogResult {
    bool confirmed = false;
    QString path;   // full path of the file chosen; empty unless confirmed
    QString filter; // the filter shown when the file was chosen, as offered; empty unless confirmed
};

// The longest path, in bytes of 8-bit text, that the program's 1,024-byte path buffers hold.
inline constexpr std::size_t longestChosenPath = 1023;

// Asks the user, modally, for a checklist file to open or to save to: without filters, one
// filter "Checklists (*.ckl)" and names without an extension get ".ckl"; with filters
// ("Garmin (*.ace)", ...), those, the first shown first, and a name is returned as typed. A name
// that does not exist is accepted in both kinds, and saving over an existing file is not
// questioned. initialName, a device path ("\my documents\...") or a host path, is the file
// offered first; empty offers the documents folder. The dialog belongs to owner, or to the
// active window when owner is null; no other window of the program takes input meanwhile. A
// path longer than longestChosenPath bytes counts as not confirmed. While a FileDialogHook
// exists, nothing is shown and the hook answers.
FileDialogResult RunFileDialog(QWidget* owner, FileDialogKind kind, const QString& initialName,
                               const QStringList& filters = {});

// The dialog that RunFileDialog runs for these arguments, built but not shown.
std::unique_ptr<QFileDialog> BuildFileDialog(QWidget* owner, FileDialogKind kind,
                                             const QString& initialName,
                                             const QStringList& filters = {});

// What RunFileDialog was asked, and what it answered.
struct FileDialogRecord {
    FileDialogKind kind;
    QString initialName;
    QStringList filters; // as the dialog offered them, "Checklists (*.ckl)" when none were given
    FileDialogResult result;
    bool scripted; // false when no answer was left and the hook cancelled
};

// While an object of this class exists, RunFileDialog shows nothing: it records each call and
// gives the next answer pushed, in order. A call with no answer left cancels, warns and is
// recorded as not scripted, so that a test fails instead of blocking. Hooks nest: the newest
// one answers.
class FileDialogHook {
public:
    FileDialogHook();
    ~FileDialogHook();
    FileDialogHook(const FileDialogHook&) = delete;
    FileDialogHook& operator=(const FileDialogHook&) = delete;

    // The next call confirms path with filter chosen, or with the first filter offered when
    // filter is empty. A filter that was not offered cancels that call and warns, as an
    // unscripted call does.
    void PushPath(const QString& path, const QString& filter = QString());
    // The next call is cancelled.
    void PushCancel();
    // Every call answered by this hook, oldest first.
    const std::vector<FileDialogRecord>& Asked() const { return asked; }
    // Answers pushed but not yet given.
    std::size_t UnusedAnswers() const { return answers.size(); }

private:
    friend FileDialogResult RunFileDialog(QWidget*, FileDialogKind, const QString&,
                                          const QStringList&);

    // A path and the filter to choose; null for Cancel.
    struct Answer {
        QString path;
        QString filter;
    };

    FileDialogResult Give(FileDialogKind kind, const QString& initialName,
                          const QStringList& filters);

    FileDialogHook* previous;
    std::deque<std::optional<Answer>> answers;
    std::vector<FileDialogRecord> asked;
};
