#include "CApplication.h"

#include "LoadIcon.h"
#include "SingleCopy.h"
#include "resource.h"

#include <QApplication>

namespace {

QPointer<QWidget> mainWindow;
SingleCopy* runningSingleCopy = nullptr;
CApplication* runningApplication = nullptr;

} // namespace

CApplication::CApplication() = default;
CApplication::~CApplication() = default;

std::optional<int> CApplication::ParseCommandLine(const QStringList&) {
    return std::nullopt;
}

void CApplication::OpenHandedOverFile(const QString&) {}

int CApplication::Run(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    if (const std::optional<int> status = ParseCommandLine(arguments)) {
        return *status;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarvasto"));
    QApplication::setOrganizationName(QStringLiteral("Velmora"));
    QApplication::setWindowIcon(LoadIcon(IDI_PROGRAM));
    // Lets the desktop match the window to the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("tarvasto"));
    // The program ends when its main dialog's run returns, not when a window closes.
    QApplication::setQuitOnLastWindowClosed(false);

    SingleCopy guard(QApplication::applicationFilePath());
    if (guard.HandOverToRunningCopy(fileToOpen)) {
        return 0;
    }
    runningSingleCopy = &guard;
    runningApplication = this;
    if (mainWindow != nullptr) {
        SetMainWindow(mainWindow);
    }

    InitInstance();

    runningSingleCopy = nullptr;
    runningApplication = nullptr;
    mainWindow = nullptr;
    return 0;
}

void CApplication::SetMainWindow(QWidget* window) {
    mainWindow = window;
    if (runningSingleCopy != nullptr && window != nullptr) {
        QPointer<QWidget> target = window;
        runningSingleCopy->ServeActivation([target](const QString& path) {
            BringForward(target);
            if (path.isEmpty() || target == nullptr) {
                return;
            }
            // The request came in the middle of whatever the event loop was doing; the file is
            // opened once that has returned to the loop.
            QMetaObject::invokeMethod(
                target,
                [path] {
                    if (runningApplication != nullptr) {
                        runningApplication->OpenHandedOverFile(path);
                    }
                },
                Qt::QueuedConnection);
        });
    }
}

QWidget* CApplication::MainWindow() {
    return mainWindow;
}

void CApplication::BringForward(QWidget* window) {
    if (window == nullptr || !window->isVisible()) {
        return;
    }
    if (window->isMinimized()) {
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    }
    window->raise();
    window->activateWindow();
    // While a dialog runs over the main window, that dialog is the one to answer.
    if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && modal != window) {
        modal->raise();
        modal->activateWindow();
    }
}
