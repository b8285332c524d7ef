#include "CTextEntryDlg.h"

#include "LineRules.h"
#include "TextRules.h"
#include "resource.h"

#include <cstring>

namespace {

// Copies source into a textBufferSize-byte buffer: whole when it fits, else cut before the first
// UTF-8 character that does not. Null copies as empty.
void CopyIntoBuffer(char* buffer, const char* source) {
    if (source == nullptr) {
        buffer[0] = '\0';
        return;
    }
    const std::size_t length = LineRules::FittingLength(source, textBufferSize - 1);
    std::memcpy(buffer, source, length);
    buffer[length] = '\0';
}

} // namespace

CTextEntryDlg::CTextEntryDlg() : CDialog(IDD_TEXTENTRY) {
    fullScreen = false;
}

CTextEntryDlg::~CTextEntryDlg() = default;

void CTextEntryDlg::DoDataExchange() {
    CDialog::DoDataExchange();
    BindControl(IDC_ENTRY_PROMPT, promptLabel);
    BindControl(IDC_ENTRY_EDIT, entryEdit);
}

bool CTextEntryDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    LimitToOneLine(entryEdit.GetControl());
    // A screen reader names the box after the prompt above it.
    promptLabel.GetControl()->setBuddy(entryEdit.GetControl());
    if (entryText[0] != '\0') {
        entryEdit.SetWindowText(entryText);
    }
    if (promptText[0] != '\0') {
        promptLabel.SetWindowText(promptText);
    }
    if (titleText[0] != '\0') {
        SetWindowText(titleText);
    }
    // The box takes the keyboard at once: a user who types the text and presses Enter must get
    // that text, not an empty one confirmed by a focused OK button.
    entryEdit.SetFocus();
    entryEdit.GetControl()->selectAll();
    return false;
}

void CTextEntryDlg::OnOK() {
    entryEdit.GetWindowText(entryText, textBufferSize);
    CDialog::OnOK();
}

int RunTextEntry(const char* title, const char* prompt, char* text) {
    CTextEntryDlg dialog;
    CopyIntoBuffer(dialog.entryText, text);
    CopyIntoBuffer(dialog.promptText, prompt);
    CopyIntoBuffer(dialog.titleText, title);
    const int result = dialog.DoModal();
    if (result == IDOK && text != nullptr) {
        std::memcpy(text, dialog.entryText, std::strlen(dialog.entryText) + 1);
    }
    return result;
}
