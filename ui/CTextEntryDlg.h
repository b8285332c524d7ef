#pragma once

#include "CDialog.h"
#include "CEdit.h"
#include "CStatic.h"
#include "TextConversion.h"

// Asks for one line of text in a small modal dialog titled title, with prompt above the box.
// text is the caller's 1,024-byte buffer: read as the box's starting text, and overwritten with
// the confirmed text (always NUL-terminated, at most 1,023 bytes of UTF-8) only when the result is
// 1 (OK). Returns 1 for OK, 2 for Cancel, -1 when the dialog cannot be created. Empty title,
// prompt or text leave the template's "Dialog", "Static" or empty box in place.
int RunTextEntry(const char* title, const char* prompt, char* text);

// The text entry dialog (template 107) that RunTextEntry runs: a prompt line above a one-line
// edit box, keeping its template size. Set the three texts before DoModal; after a result of 1,
// entryText holds the confirmed text. The box takes one line of at most 1,023 bytes of UTF-8.
class CTextEntryDlg : public CDialog {
    Q_OBJECT

public:
    CTextEntryDlg();
    ~CTextEntryDlg() override;

    char titleText[textBufferSize] = "";
    char entryText[textBufferSize] = "";
    char promptText[textBufferSize] = "";
    CStatic promptLabel;
    CEdit entryEdit;

protected:
    void DoDataExchange() override;
    // Shows the texts that are not empty; the others keep the template's.
    bool OnInitDialog() override;
    // Reads the box into entryText, then ends the dialog with 1.
    void OnOK() override;
};
