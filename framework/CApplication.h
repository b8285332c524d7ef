#pragma once

#include <QPointer>
#include <QWidget>

// The program's application object. Run creates the Qt application (named "tarvasto" of
// "Velmora", with icon 128), makes sure only one copy runs (a second copy brings the first one's
// main window forward and ends at once), then calls InitInstance, which constructs the main
// dialog, makes it the main window and runs it modally. The program ends when InitInstance
// returns.
class CApplication {
public:
    CApplication();
    virtual ~CApplication();
    CApplication(const CApplication&) = delete;
    CApplication& operator=(const CApplication&) = delete;

    // Runs the program; returns its exit status (0).
    int Run(int argc, char** argv);

    // The main window: the owner of dialogs run without one, and the window a second copy brings
    // forward. nullptr until set, and again once that window is gone.
    static void SetMainWindow(QWidget* window);
    static QWidget* MainWindow();

protected:
    // The program's start-up, run once the application exists. Its result is not used: the
    // program ends when it returns.
    virtual bool InitInstance() = 0;

private:
    static void BringForward(QWidget* window);
};
