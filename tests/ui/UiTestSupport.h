#pragma once

// What every GUI test of the screen and its dialogs uses: the screen and the document, the
// hooks for message boxes, file dialogs and modal runs, and the resource identifiers.
#include "CApplication.h"
#include "CChecklistDlg.h"
#include "ChecklistDoc.h"
#include "FileDialog.h"
#include "IsolatedHome.h"
#include "MessageBox.h"
#include "RememberedFile.h"
#include "ScopedModalHook.h"
#include "resource.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <deque>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

// Failures print texts as texts.
void PrintTo(const QString& text, std::ostream* out);

// Every GUI test runs in its own home (settings store, documents folder, files) and leaves no
// window behind.
class UiTest : public testing::Test {
protected:
    void TearDown() override;

    // Writes text to the file at path, its folder made when missing, and returns the path as
    // 8-bit text.
    static std::string WriteFile(const QString& path, const std::string& text);
    // The documents folder, where "\my documents\..." paths lead.
    static QString Documents();
    // A file in the temporary folder, outside the documents folder.
    QString TempPath(const QString& name) const { return home.Path(name); }

    IsolatedHome home;
};

// Two checklists: "Start" (2 items) on hot button 0 captioned "Go", and "Land" (3 items) on hot
// button 2 captioned "Land"; and what the screen's buttons and Lists menu show for it (see Bar).
extern const char twoListsFile[];
extern const char twoListsBar[];

using ScreenScript = std::function<void(CChecklistDlg& screen)>;
using DialogScript = std::function<void(CDialog& dialog)>;

// Starts the screen as the program does (on fileToOpen when one is given, as from the command
// line) and hands it to script once shown. The dialogs the screen runs go to dialogs in order;
// one more, or one left unused, fails the test. A screen left open ends with 0. Returns the
// screen's modal result.
int RunScreen(const ScreenScript& script, std::deque<DialogScript> dialogs = {},
              const QString& fileToOpen = QString());

// Dialog steps. Steps runs several in order; Press sends a command (IDOK, IDCANCEL). The text
// entry dialog for Create Checklist or Add Item: EnterName and EnterItem check its texts, enter
// the text and press OK. The hot-button dialog: Pick chooses entry (0 "(none)", k + 1 checklist
// k) in row's list as a user does; Type replaces row's caption by typing.
DialogScript Steps(std::vector<DialogScript> steps);
DialogScript Press(int command);
DialogScript EnterName(const QString& name);
DialogScript EnterItem(const QString& text);
// Any text entry dialog: checks its title, prompt and starting text, enters text and presses OK.
DialogScript EnterText(const QString& title, const QString& prompt, const QString& start,
                       const QString& text);
DialogScript Pick(int row, int entry);
DialogScript Type(int row, const QString& text);
// The hot-button dialog's caption box and list of row (0 to 3).
QLineEdit* CaptionBox(CDialog& dialog, int row);
QComboBox* RowList(CDialog& dialog, int row);

// The menu entry that sends commandId (a failure when there is none); choosing it, as from the
// menu bar; choosing a Lists entry.
QAction* Entry(CChecklistDlg& screen, int commandId);
void Choose(CChecklistDlg& screen, int commandId);
void ChooseListsEntry(CChecklistDlg& screen, int position);
void PressHotButton(CChecklistDlg& screen, int i);
void Tick(CChecklistDlg& screen, int row);
void Select(CChecklistDlg& screen, int row);

// The label and the tree as "label: item|item", ticked items marked "+", the selected one ">".
std::string View(CChecklistDlg& screen);
// The four hot buttons and the Lists entries as "b0|b1|b2|b3 / list|list".
std::string Bar(CChecklistDlg& screen);
// A document as "name: item|item; name: ... / caption>k ...", k the position of the slot's
// checklist, "-" for none or "gone" for one no longer in the document.
std::string Describe(ChecklistDoc& document);
// The message boxes shown, in order, as "caption: text", with " [yes no]", " [yes no cancel]" or
// " [ok cancel]" for their buttons when they are not a single OK.
QStringList Boxes(const MessageBoxHook& boxes);
void Push(MessageBoxHook& boxes, std::initializer_list<int> answers);
// The path the next start would open.
std::string RememberedFile();
