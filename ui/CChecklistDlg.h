#pragma once

#include "CButton.h"
#include "CDialog.h"
#include "CImageList.h"
#include "CStatic.h"
#include "CTreeCtrl.h"

#include <QIcon>
#include <array>
#include <memory>

class Checklist;
struct ChecklistItem;
class ChecklistDoc;

// The checklist screen, the program's only window: the current checklist's name, its items as a
// tree of check boxes, four hot buttons, and the File, Edit, Help and Lists menus. It owns the
// current document; at initialisation it opens the remembered file. Ticks live only in the tree:
// every refill clears them and leaves no item selected.
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

protected:
    bool OnInitDialog() override;
    // Close: the save question, then the remembered file, then the end with OK.
    void OnOK() override;
    // The window's close button is Close too, never Cancel: it must not lose the remembered file.
    void OnCloseRequest() override;
    void DoDataExchange() override;
    bool OnMessage(const Message& message) override;

private:
    // What became of a Save or Save As.
    enum class SaveOutcome { Written, Failed, NotChosen };

    void OnHotButton(int id);
    void OnListsEntry(int id);

    // File commands and closing (CChecklistDlgFile.cpp).
    void OnNewFile();
    void OnLoad();
    void OnSave();
    void OnSaveAs();
    void OnExit();
    // Whether a step that would discard the document may go on: asks to save unsaved changes.
    // Stop on Cancel, and on Yes when the document could not be written.
    bool ConfirmSaveChanges();
    SaveOutcome Save();
    SaveOutcome SaveAs();
    void ReportSaveFailure();
    void ReplaceDocument();
    // Load's steps once the file is chosen: a new document, the file, the screen, and the
    // failure message when the file could not be opened.
    void LoadChosenFile(const QString& chosenPath);
    // Opens the file waiting to be opened, unless a command is still running.
    void OpenWaitingFile();

    // Edit commands, hot-button configuration and About (CChecklistDlgEdit.cpp).
    void OnNewChecklist();
    void OnDeleteChecklist();
    void OnAddItem();
    void OnDeleteItem();
    void OnMoveItemUp();
    void OnMoveItemDown();
    void OnConfigureHotButtons();
    void OnAbout();
    // The checklist item selected in the tree, after the checks that Delete Item and the moves
    // share; null when one of them failed (its message has then been shown).
    ChecklistItem* SelectedChecklistItem();

    void AddShortcuts();

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
};
