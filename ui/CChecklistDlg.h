#pragma once

#include "CButton.h"
#include "CDialog.h"
#include "CImageList.h"
#include "CStatic.h"
#include "CTreeCtrl.h"
#include "KeptTicks.h"

#include <QFont>
#include <QIcon>
#include <QPointer>
#include <QUndoStack>
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <span>

class Checklist;
struct ChecklistItem;
class ChecklistDoc;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class Speaker;

// What an undoable change touched, and so what the screen shows again after it.
enum class ChangedPart {
    Items,      // the items of a checklist: that checklist shown afresh, its ticks cleared
    Texts,      // a checklist's name or an item's text: changed in place, the ticks stay
    Checklists, // a checklist came or went, with its hot button
    HotButtons, // the hot-button slots
};

// The checklist screen, the program's only window: the current checklist's name, its items as a
// tree of check boxes, four hot buttons, and the File, Edit, Help, Lists and Go menus. It owns the
// current document; at initialisation it opens the remembered file. Ticks live only in the tree:
// every refill clears them and leaves no item selected, unless Keep Ticks (in the Go menu) is on,
// which keeps each item's tick through refills and restarts on the same file.
class CChecklistDlg : public CDialog {
    Q_OBJECT

public:
    CChecklistDlg();
    ~CChecklistDlg() override;

    // The command that Lists entry `position` sends: 32780 + position for the first 99
    // checklists, and beyond them numbers above every 16-bit command, so that no entry ever
    // runs a File, Edit or Help command however many checklists there are.
    static int ListsEntryCommand(int position);
    // The checklist position a Lists command stands for, or -1 when it is none.
    static int ListsEntryPosition(int commandId);
    // The command of the Emergency submenu's entry for the checklist at position, above every
    // command and Lists entry; and back.
    static int EmergencyEntryCommand(int position);
    static int EmergencyEntryPosition(int commandId);
    // How many jumps Back walks back through at most.
    static constexpr std::size_t backSteps = 20;
    // The text sizes of the View menu, in percent of the normal size.
    static constexpr int smallestTextSize = 75;
    static constexpr int largestTextSize = 300;
    static constexpr int textSizeStep = 25;

    // How Read Aloud gets its speaker when switched on: a speaker, or null and why not in
    // whyNot. By default Qt's speech engines; an empty factory puts that back.
    using SpeakerFactory = std::function<std::unique_ptr<Speaker>(QString& whyNot)>;
    static void SetSpeakerFactory(SpeakerFactory factory);

    // Makes checklist current, puts its name into the label and its items into the tree.
    void ShowChecklist(Checklist* checklist);
    // Shows the current checklist again; nothing when there is none.
    void Refill();
    // Sets the four hot buttons' texts from the document's slots.
    void SetHotButtonCaptions();
    // Replaces the Lists button's menu by one entry per checklist, keeping the button in place.
    void RebuildListsMenu();
    // Hot-button captions, Lists menu, then the first checklist (or an empty tree).
    void RefreshAll();
    // Shows the document again after an undoable change to part, made in checklist (null for the
    // hot buttons): Items shows checklist afresh; Texts updates its name and item texts in place
    // when it is the one shown, else shows it; Checklists updates the buttons and the Lists menu
    // and shows checklist, or, when it has just left the document while shown, the first
    // checklist; HotButtons updates the buttons' captions.
    void ShowChange(ChangedPart part, Checklist* checklist);

    // The file to open at initialisation instead of the remembered one, as Load opens it; empty
    // for the remembered file. Set before DoModal.
    void SetFileToOpen(const QString& path) { fileToOpen = path; }
    // Opens path as Load does once its file dialog has been answered: the save question first,
    // then the file, or the Load failure message. While a command runs (one of its dialogs is
    // open), the file waits until the command has ended; a later file takes the place of one
    // still waiting.
    void OpenFile(const QString& path);

    // For inspection: the document (null before initialisation), the checklist shown (null when
    // none), the tree, and the Lists button's position in the menu bar (-1 until placed).
    ChecklistDoc* Document() const { return document.get(); }
    Checklist* CurrentChecklist() const { return currentChecklist; }
    CTreeCtrl& Tree() { return tree; }
    int ListsButtonPosition() const { return listsButtonPosition; }
    // The Emergency submenu of the Go menu (null before initialisation).
    QMenu* EmergencyMenu();
    // The completion cue over the foot of the tree, there once every item of the checklist is
    // ticked, and its "Next: NAME" button, there when the checklist has a next one; null when not
    // there.
    QFrame* CompletionCue() const { return completionCue; }
    QPushButton* CompletionNextButton() const { return completionNext; }
    bool KeepsTicks() const { return keepTicks; }
    // The View menu's state: night colours, the text size in percent, reading aloud.
    bool ShowsNightColours() const { return nightColours; }
    int TextSize() const { return textSize; }
    bool ReadsAloud() const { return readAloud; }
    // The changes Undo and Redo walk through; emptied whenever the document is replaced.
    QUndoStack& History() { return history; }

protected:
    bool OnInitDialog() override;
    // Close: the save question, then the remembered file, then the end with OK.
    void OnOK() override;
    // The window's close button is Close too, never Cancel: it must not lose the remembered file.
    void OnCloseRequest() override;
    void DoDataExchange() override;
    bool OnMessage(const Message& message) override;
    // Space on the tree (see OnTreeSpace).
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What became of a Save or Save As.
    enum class SaveOutcome { Written, Failed, NotChosen };

    void OnHotButton(int id);
    void OnListsEntry(int id);

    // The Go menu, the completion cue and kept ticks (CChecklistDlgGo.cpp).
    void OnNextChecklist();
    void OnPreviousChecklist();
    void OnBack();
    void OnEmergencyEntry(int id);
    // Ctrl+E: the only emergency checklist, or the Emergency submenu over the tree.
    void OnEmergencyKey();
    void OnKeepTicks();
    void OnClearAllTicks();
    // Inserts the Go menu after the Lists button, with its keys, and Ctrl+E.
    void AddGoMenu();
    // The Emergency submenu again, one entry per emergency checklist in file order.
    void RebuildEmergencyMenu();
    // Greys the Go entries that lead nowhere from the checklist shown.
    void UpdateGoEntries();
    // Shows checklist as a jump that Back can take back: the checklist shown before, with its
    // current item, goes on the jump list.
    void JumpTo(Checklist* checklist);
    // The ticks of the tree are followed from here on.
    void SetUpCompletionCue();
    // Places the cue over the foot of the tree.
    void PlaceCompletionCue();
    void ShowCompletionCue();
    void HideCompletionCue();
    // A box of the tree was ticked or unticked, by the user or by the program outside a refill.
    void OnTickChanged(CTreeCtrl::Item row);
    // The kept ticks written for the document and the checklist shown, when Keep Ticks is on.
    void StoreKeptTicks();
    // At the start, once the file is open: the ticks and the checklist of the last run on the
    // same file, unchanged since, when Keep Ticks is on.
    void RestoreKeptTicks();
    // Back to a new start: no jumps, no kept ticks.
    void ForgetTicksAndJumps();

    // The View menu (CChecklistDlgView.cpp).
    void OnNightColours();
    void OnLargerText();
    void OnSmallerText();
    void OnNormalText();
    void OnReadAloud();
    // The View settings, read after the remembered file.
    void ReadViewSettings();
    // Items drawn by their kind, the name that grows with its text, the colours and text size.
    void SetUpItemLook();
    // Inserts the View menu after the Go menu, with its keys and the state of its entries.
    void AddViewMenu();
    void ApplyNightColours();
    void SetTextSize(int size);
    void ApplyTextSize();
    void UpdateTextSizeEntries();
    // Gets a speaker when there is none yet; Read Aloud is on when there is one.
    void StartReadingAloud();
    void UpdateReadAloudEntry();
    // Says parts when Read Aloud is on, cutting what is being said.
    void Speak(const QStringList& parts);

    // File commands and closing (CChecklistDlgFile.cpp).
    void OnNewFile();
    void OnLoad();
    void OnSave();
    void OnSaveAs();
    // The save question, then a file of any format of the converter's table, read into a new
    // document without a file name; a file that cannot be read leaves the document shown.
    void OnImport();
    // The document written in a format of the converter's table under a name chosen, after its
    // warnings; the document's file name and modified state stay as they were.
    void OnExport();
    void OnExit();
    // Whether a step that would discard the document may go on: asks to save unsaved changes.
    // Stop on Cancel, and on Yes when the document could not be written.
    bool ConfirmSaveChanges();
    SaveOutcome Save();
    SaveOutcome SaveAs();
    void ReportSaveFailure();
    // Puts replacement in the place of the document (by default a new, empty one), with a
    // history of its own.
    void ReplaceDocument(std::unique_ptr<ChecklistDoc> replacement = nullptr);
    // Load's steps once the file is chosen: a new document, the file, the screen, and the
    // failure message when the file could not be opened.
    void LoadChosenFile(const QString& chosenPath);
    // Opens the file waiting to be opened, unless a command is still running.
    void OpenWaitingFile();

    // Edit commands, hot-button configuration and About (CChecklistDlgEdit.cpp).
    void OnUndo();
    void OnRedo();
    void OnNewChecklist();
    void OnDeleteChecklist();
    void OnRenameChecklist();
    void OnAddItem();
    void OnEditItem();
    void OnDeleteItem();
    void OnMoveItemUp();
    void OnMoveItemDown();
    void OnConfigureHotButtons();
    void OnAbout();
    // The checklist item selected in the tree, after the checks that Delete Item and the moves
    // share; null when one of them failed (its message has then been shown).
    ChecklistItem* SelectedChecklistItem();

    void AddShortcuts();
    // A menu entry's usual desktop keys: one or more, separated by "; ".
    struct Shortcut {
        int commandId;
        const char* keys;
    };
    // Gives each entry of the screen's menus its keys; the entries keep their texts.
    void SetShortcuts(std::span<const Shortcut> shortcuts);
    // A name or caption as a button or menu entry shows it: "&" marks a shortcut letter there,
    // and "Taxi & Run-up" must show as written.
    static QString ShownLiterally(const char* text);
    // The entry of the screen's menus that sends commandId, or null.
    QAction* MenuEntry(int commandId);
    // Keeps the Undo and Redo entries naming the step they would take, greyed when there is none.
    void FollowHistory();
    // Finger scrolling, and long items wrapped to the width of the screen.
    void SetUpTree();
    // Space ticks the selected item and selects the next one, or clears the tick and stays.
    void OnTreeSpace();
    // Puts checklist's name into the label, which names the tree for assistive tools too.
    void ShowName(Checklist* checklist);
    // The window's size and place: taken from the settings on a desktop, stored on Close.
    void RestorePlacement();
    void StorePlacement();

    CStatic nameLabel;
    std::array<CButton, 4> hotButtons;
    std::array<CButton*, 4> slotButtons{}; // slot i's button
    CTreeCtrl tree;
    CImageList stateImages;
    QIcon icon;
    Checklist* currentChecklist = nullptr;
    std::unique_ptr<ChecklistDoc> document;
    int listsButtonPosition = -1;
    QString fileToOpen;
    QString waitingFile;
    int commandsRunning = 0;
    QUndoStack history;

    // Go menu: the jumps Back takes back (each the checklist left and its current item), whether
    // ticks are kept, the ticks kept, and whether the tree is being filled by the program (its
    // ticks then change without the user).
    std::deque<std::pair<Checklist*, ChecklistItem*>> jumps;
    bool keepTicks = false;
    bool ticksRestored = false; // kept ticks are written only once those of the last run are read
    KeptTicks keptTicks;
    int fillingTree = 0;
    QPointer<QFrame> completionCue;
    QPointer<QLabel> completionText;
    QPointer<QPushButton> completionNext;
    QPointer<QAction> emergencyKey;

    // View menu: night colours, the text size (percent) over the tree's normal font, and the
    // speaker of Read Aloud with what kept it from being had.
    bool nightColours = false;
    int textSize = 100;
    QFont normalFont;
    bool readAloud = false;
    std::unique_ptr<Speaker> speaker;
    QString speakerTrouble;
};
