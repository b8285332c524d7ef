// A program on the framework's application object, for the framework's tests. Once its minimised
// main window is ready it reports how the application was set up, then when a later copy of
// itself brings that window forward; it runs on, as the program would, until it is ended. A later
// copy ends without reaching its start-up at all.
#include "CApplication.h"

#include <QApplication>
#include <QEventLoop>
#include <QIcon>
#include <QWindow>
#include <cstdio>

namespace {

class CProbeApp : public CApplication {
protected:
    bool InitInstance() override {
        QWidget window;
        window.showMinimized();
        SetMainWindow(&window);
        QObject::connect(window.windowHandle(), &QWindow::windowStateChanged, [](auto state) {
            if (state != Qt::WindowMinimized) {
                std::printf("brought forward\n");
                std::fflush(stdout);
            }
        });
        std::printf("started %s %s icon=%d\n", qPrintable(QApplication::applicationName()),
                    qPrintable(QApplication::organizationName()),
                    QApplication::windowIcon().isNull() ? 0 : 1);
        std::fflush(stdout);
        QEventLoop().exec();
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    return CProbeApp().Run(argc, argv);
}
