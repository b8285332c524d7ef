#pragma once

#include "CDialog.h"

// The small box that names the program, its version and its maker (template 134). It keeps its
// template size, changes nothing, and ends with 1 on OK or 2 when cancelled.
class CAboutDlg : public CDialog {
    Q_OBJECT

public:
    CAboutDlg();
    ~CAboutDlg() override;

protected:
    // Binds nothing: the box only shows its template's texts.
    void DoDataExchange() override;
};
