// Plays a copy of the program that closes its checklist screen again and again, remembering
// "<path>-<n>" each time, to test copies that store at once.
#include "RememberedFile.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: %s PATH COUNT\n", argv[0]);
        return 2;
    }
    const int count = arguments[2].toInt();
    for (int i = 0; i < count; ++i) {
        const std::string path = (arguments[1] + '-' + QString::number(i)).toStdString();
        StoreRememberedFile(path.c_str());
    }
    std::puts("stored");
    return 0;
}
