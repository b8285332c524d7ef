#pragma once

#include "CDialog.h"

// The small box that names the program, its version and its maker.
class CAboutDlg : public CDialog {
    Q_OBJECT

public:
    CAboutDlg();
    ~CAboutDlg() override;
};
