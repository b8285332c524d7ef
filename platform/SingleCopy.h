#pragma once

#include <QString>

#include <functional>
#include <memory>

class QLocalServer;
class QLockFile;

// Keeps to one running copy of the program per program file. The copies meet under a name made
// from the program's path (with "\" read as "/"): a lock file held by the running copy, and a
// local socket on which it answers later copies. Needs the application object.
class SingleCopy {
public:
    explicit SingleCopy(const QString& programPath);
    ~SingleCopy();
    SingleCopy(const SingleCopy&) = delete;
    SingleCopy& operator=(const SingleCopy&) = delete;

    // True when another copy is running and has taken the request: to come forward, and to
    // open fileToOpen when it is not empty. End now, showing nothing. Otherwise this copy starts
    // normally, holding the lock when it could take it. A lock whose copy is running but does
    // not answer (yet) is tried three times, a second apart at idle priority; a lock left by a
    // copy that ended without releasing it is taken over at once.
    bool HandOverToRunningCopy(const QString& fileToOpen = QString());

    // Once the main window exists: from now on each later copy's request calls activate with
    // the file that copy hands over (empty for none), after the later copy has had its answer;
    // activate should bring the window to the front. Does nothing when another copy holds the
    // lock.
    void ServeActivation(std::function<void(const QString& fileToOpen)> activate);

private:
    bool AskRunningCopyToActivate(const QString& fileToOpen) const;
    void AnswerWaitingCopies();

    QString lockFileName;
    QString socketName;
    std::function<void(const QString&)> activate;
    std::unique_ptr<QLockFile> lock;
    std::unique_ptr<QLocalServer> server;
};
