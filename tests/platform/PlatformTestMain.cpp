#include <QApplication>
#include <QtGlobal>

#include <gtest/gtest.h>

// Message boxes and file dialogs need the application object of a widget program. The tests
// never need a screen; listing them (as CTest does before running) must work without one too.
int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
