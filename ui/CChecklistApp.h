#pragma once

#include "CApplication.h"

class CChecklistDlg;

// The program's one application object: its start-up runs the checklist screen as the main
// window, and the program ends as soon as the screen has ended. The command line names at most
// one checklist file to open instead of the remembered one; a copy started while another one
// runs hands that file to the running copy.
class CChecklistApp : public CApplication {
public:
    // What `tarvasto --help` prints; ends with a newline.
    static QString UsageText();
    // What `tarvasto --version` prints: the program's name and version; ends with a newline.
    static QString VersionText();

protected:
    // -h or --help and --version print their text to standard output and end with 0; an unknown
    // option or a second file prints a complaint to standard error and ends with 2; "--" ends
    // the options. A file is taken as an absolute path, so that a running copy elsewhere finds it.
    std::optional<int> ParseCommandLine(const QStringList& arguments) override;
    bool InitInstance() override;
    // Opens the file in the screen as Load does (see CChecklistDlg::OpenFile).
    void OpenHandedOverFile(const QString& path) override;

    // The screen while it runs; null before and after.
    CChecklistDlg* Screen() const { return screen; }

private:
    CChecklistDlg* screen = nullptr;
};
