// The File menu's file commands, and the three ways the screen ends: Close, Cancel and Exit.
#include "CChecklistDlg.h"

#include "ChecklistDoc.h"
#include "FileDialog.h"
#include "MessageBox.h"
#include "RememberedFile.h"
#include "TextConversion.h"
#include "resource.h"

#include <utility>

bool CChecklistDlg::ConfirmSaveChanges() {
    if (document == nullptr || !document->modified) {
        return true;
    }
    switch (MessageBox(this, QStringLiteral("Save changes to current checklist ?"),
                       QStringLiteral("Confirm"), MB_YESNOCANCEL)) {
    case IDYES:
        // A Save As the user cancels lets the step go on; a write that failed must not, or
        // the changes would be thrown away right after the user asked to keep them.
        return Save() != SaveOutcome::Failed;
    case IDNO:
        return true;
    default:
        return false;
    }
}

CChecklistDlg::SaveOutcome CChecklistDlg::Save() {
    if (document->fileName == nullptr || document->fileName[0] == '\0') {
        return SaveAs();
    }
    if (!document->SaveFile(document->fileName)) {
        ReportSaveFailure();
        return SaveOutcome::Failed;
    }
    return SaveOutcome::Written;
}

CChecklistDlg::SaveOutcome CChecklistDlg::SaveAs() {
    const FileDialogResult chosen =
        RunFileDialog(this, FileDialogKind::Save, WidenText(document->fileName));
    if (!chosen.confirmed) {
        return SaveOutcome::NotChosen;
    }
    char path[1024];
    NarrowText(chosen.path, path, sizeof path);
    // The name is taken before the write, so a failed write still leaves it for the next Save.
    document->SetFileName(path);
    return Save();
}

void CChecklistDlg::ReportSaveFailure() {
    MessageBox(this, QStringLiteral("The checklist file could not be saved."),
               QStringLiteral("Error"), MB_OK);
}

void CChecklistDlg::ReplaceDocument() {
    // The steps hold elements of the document that goes: a new document starts a new history.
    history.clear();
    currentChecklist = nullptr;
    document = std::make_unique<ChecklistDoc>();
}

void CChecklistDlg::OnNewFile() {
    if (!ConfirmSaveChanges()) {
        return;
    }
    ReplaceDocument();
    RefreshAll();
}

void CChecklistDlg::OnLoad() {
    if (!ConfirmSaveChanges()) {
        return;
    }
    const FileDialogResult chosen = RunFileDialog(this, FileDialogKind::Open, QString());
    if (!chosen.confirmed) {
        return;
    }
    LoadChosenFile(chosen.path);
}

void CChecklistDlg::LoadChosenFile(const QString& chosenPath) {
    char path[1024];
    NarrowText(chosenPath, path, sizeof path);
    ReplaceDocument();
    const bool loaded = document->LoadFile(path);
    RefreshAll();
    if (!loaded) {
        MessageBox(this, QStringLiteral("The checklist file could not be opened."),
                   QStringLiteral("Error"), MB_OK);
    }
}

void CChecklistDlg::OpenFile(const QString& path) {
    waitingFile = path;
    OpenWaitingFile();
}

void CChecklistDlg::OpenWaitingFile() {
    if (waitingFile.isEmpty() || commandsRunning > 0 || !IsRunning() || HasEnded()) {
        return;
    }
    const QString path = std::exchange(waitingFile, QString());
    // Opening is a command of its own: a file handed over during its save question waits too.
    ++commandsRunning;
    if (ConfirmSaveChanges()) {
        LoadChosenFile(path);
    }
    --commandsRunning;
    OpenWaitingFile();
}

void CChecklistDlg::OnSave() {
    Save();
}

void CChecklistDlg::OnSaveAs() {
    SaveAs();
}

void CChecklistDlg::OnOK() {
    ++commandsRunning;
    const bool goOn = ConfirmSaveChanges();
    --commandsRunning;
    if (!goOn) {
        OpenWaitingFile();
        return;
    }
    // A document never saved under a name stores nothing: the file remembered before stays.
    StoreRememberedFile(document->fileName);
    StorePlacement();
    EndDialog(IDOK);
}

void CChecklistDlg::OnCloseRequest() {
    OnOK();
}

void CChecklistDlg::OnExit() {
    EndDialog(IDOK);
}
