#pragma once

#include "CChecklistDlg.h"
#include "IsolatedHome.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <ostream>
#include <string>

class ChecklistDoc;
class MessageBoxHook;

// Failures print texts as texts.
void PrintTo(const QString& text, std::ostream* out);
void PrintTo(const QStringList& texts, std::ostream* out);

// Every screen test runs in its own home: settings store, documents folder and files live in a
// temporary folder, and no window may be left behind.
class UiTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

public:
    // The documents folder, where "\my documents\..." paths lead.
    QString Documents() const;
    // Writes text to the file at path (a host path) and returns the path as 8-bit text.
    std::string WriteFile(const QString& path, const std::string& text) const;
    // A file in the temporary folder (outside the documents folder).
    QString TempPath(const QString& name) const { return home.Path(name); }

    IsolatedHome home;
};

// A file of two checklists: "Start" (2 items) on hot button 0 captioned "Go", and "Land"
// (3 items) on hot button 2 captioned "Land".
extern const char twoListsFile[];
// The same file as Describe shows it once loaded.
extern const char twoListsDescribed[];

// What a test does with the shown screen, and with the dialogs the screen runs on its own.
using ScreenScript = std::function<void(CChecklistDlg& screen)>;
using DialogScript = std::function<void(CDialog& dialog)>;

// Starts the screen as the program does and hands it to script once it is shown. Dialogs that
// the screen runs (text entry, hot buttons, About) go to nested, or are cancelled without one.
// A screen the script leaves open is ended with result 0. Returns the screen's modal result.
int RunScreen(const ScreenScript& script, const DialogScript& nested = {});

// Hands the dialogs the screen runs to scripts, in order, taking each script off the front; a
// dialog with no script left fails the test and is cancelled.
DialogScript InOrder(std::deque<DialogScript>& scripts);
// A text entry dialog: checks its title and prompt, types text into its box and presses OK.
DialogScript EnterText(const QString& title, const QString& prompt, const QString& text);
// Any dialog: presses Cancel.
DialogScript CancelIt();
// The hot-button dialog: the user picks entry (0 "(none)", k + 1 checklist k) in the list of row.
void PickInRow(CDialog& dialog, int row, int entry);
// The hot-button dialog: the user types text as the caption of row.
void TypeCaption(CDialog& dialog, int row, const QString& text);

// Chooses the menu entry that sends commandId, as a user would from the menu bar.
void Choose(CChecklistDlg& screen, int commandId);
// Chooses entry position of the Lists menu.
void ChooseListsEntry(CChecklistDlg& screen, int position);
// Presses hot button i (0 to 3).
void PressHotButton(CChecklistDlg& screen, int i);
// Ticks the item in row of the tree.
void Tick(CChecklistDlg& screen, int row);
// Selects the item in row of the tree, as a tap on its text does.
void Select(CChecklistDlg& screen, int row);

// What the screen shows: the label, the tree's texts, the rows ticked, the selected row (-1 when
// none), the four hot buttons' texts, the menu bar's button texts and the Lists entries.
QString Label(CChecklistDlg& screen);
QStringList TreeTexts(CChecklistDlg& screen);
int TickedCount(CChecklistDlg& screen);
int SelectedRow(CChecklistDlg& screen);
QStringList ButtonTexts(CChecklistDlg& screen);
QStringList MenuBarTexts(CChecklistDlg& screen);
QStringList ListsEntries(CChecklistDlg& screen);

// A document as one line: "name: item|item; name: ..." then " / " and the four slots as
// "caption->checklist name" ("-" for none).
std::string Describe(ChecklistDoc& document);

// The message boxes shown, in order, as "caption: text".
QStringList Boxes(const MessageBoxHook& boxes);

// The path the next start would open.
std::string RememberedFile();
