// A program on the framework's application object, for the framework's tests. It reports how the
// application was set up, shows a minimised main window and reports when a later copy of itself
// brings that window forward; it then runs on, as the program would, until it is ended. A later
// copy ends without reaching its start-up at all.
#include "CApplication.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QIcon>
#include <cstdio>

namespace {

// The main window; reports the moment it stops being minimised.
class ProbeWindow : public QWidget {
protected:
    void changeEvent(QEvent* event) override {
        QWidget::changeEvent(event);
        if (event->type() == QEvent::WindowStateChange && !isMinimized()) {
            std::printf("brought forward\n");
            std::fflush(stdout);
        }
    }
};

class CProbeApp : public CApplication {
protected:
    bool InitInstance() override {
        std::printf("started %s %s icon=%d\n", qPrintable(QApplication::applicationName()),
                    qPrintable(QApplication::organizationName()),
                    QApplication::windowIcon().isNull() ? 0 : 1);
        ProbeWindow window;
        window.showMinimized();
        SetMainWindow(&window);
        QEventLoop loop;
        std::printf("waiting\n");
        std::fflush(stdout);
        loop.exec();
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    CProbeApp application;
    return application.Run(argc, argv);
}
