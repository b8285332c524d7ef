#include "CAboutDlg.h"

#include "resource.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUT) {
    fullScreen = false;
}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::DoDataExchange() {
    CDialog::DoDataExchange();
}
