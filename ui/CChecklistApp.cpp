#include "CChecklistApp.h"

#include "CChecklistDlg.h"

bool CChecklistApp::InitInstance() {
    CChecklistDlg screen;
    SetMainWindow(&screen);
    screen.DoModal();
    // The screen was the program: there is nothing to go on with once it has ended.
    return false;
}
