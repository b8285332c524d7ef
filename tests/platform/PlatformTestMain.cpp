#include "IsolatedHome.h"

#include <QApplication>

#include <gtest/gtest.h>

int PlayCopy(QCoreApplication& app, const QString& mode, const QString& argument);

// Message boxes and file dialogs need the application object of a widget program, but never a
// screen: listing the tests (as CTest does before running them) must work without one too.
// Started with "copy", the program plays another copy of tarvasto for the tests that need one.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (app.arguments().value(1) == "copy") {
        return PlayCopy(app, app.arguments().value(2), app.arguments().value(3));
    }
    const IsolatedHome home; // no test touches the user's own files
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
