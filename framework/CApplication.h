#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <optional>

// The program's application object. Run first lets ParseCommandLine read the arguments (before
// there is a display, so that --help works without one), then creates the Qt application (named
// "tarvasto" of "Velmora", with icon 128), makes sure only one copy runs (a second copy hands its
// file to the first one, brings that one's main window forward and ends at once), then calls
// InitInstance, which constructs the main dialog, makes it the main window and runs it modally.
// The program ends when InitInstance returns.
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
    // Reads the program's arguments (without the program's name). Returns the exit status to end
    // with at once, or nothing to go on; it may set the file to open. The base takes any
    // arguments and sets no file.
    virtual std::optional<int> ParseCommandLine(const QStringList& arguments);
    // The program's start-up, run once the application exists. Its result is not used: the
    // program ends when it returns.
    virtual bool InitInstance() = 0;
    // In the running copy, once the main window has come forward: a later copy has handed over
    // path to open. Called from the event loop, which may be a dialog's run inside a command of
    // the main window. The base does nothing.
    virtual void OpenHandedOverFile(const QString& path);

    // The file this start is to open, handed to the running copy when there is one; empty when
    // none was named.
    void SetFileToOpen(const QString& path) { fileToOpen = path; }
    const QString& FileToOpen() const { return fileToOpen; }

private:
    static void BringForward(QWidget* window);

    QString fileToOpen;
};
