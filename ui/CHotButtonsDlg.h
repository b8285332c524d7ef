#pragma once

#include "CDialog.h"

class ChecklistDoc;

// The dialog that assigns the four hot buttons: per row a caption box and a drop-down list of
// "(none)" and every checklist by position. OK writes all four rows into document's slots;
// Cancel changes nothing. Set document before DoModal.
class CHotButtonsDlg : public CDialog {
    Q_OBJECT

public:
    CHotButtonsDlg();
    ~CHotButtonsDlg() override;

    ChecklistDoc* document = nullptr; // not owned
};
