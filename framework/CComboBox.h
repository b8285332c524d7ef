#pragma once

#include "CWindow.h"

#include <QComboBox>

// A combo box; in the program's templates always a drop-down list: the user picks, never types,
// and the entries stay in the order they were added. Only a pick by the user sends the dialog
// the command (CBN_SELCHANGE, its identifier); selecting from code sends nothing.
class CComboBox : public CControl<QComboBox> {
public:
    // Appends text as the last entry. Returns its index, or -1 when unbound.
    int AddString(const QString& text);
    int AddString(const char* text);

    // Selects the entry at index; -1 clears the selection. Returns index, or -1 when index is
    // outside the list (the selection is then cleared).
    int SetCurSel(int index);
    // The index of the selected entry, or -1 when none is.
    int GetCurSel() const;

    int GetCount() const;
    // The text of the entry at index; empty outside the list.
    QString GetLBText(int index) const;
};
