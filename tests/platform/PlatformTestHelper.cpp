// A small program for the tests that need a second copy of something: copies of the program
// meeting through SingleCopy, and writers sharing the settings store.
#include "Registry.h"
#include "SingleCopy.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSocketNotifier>
#include <QString>

#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

namespace {

void Say(const char* line) {
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Blocks until the test closes our input.
void WaitForEndOfInput() {
    char chunk[64];
    while (::read(STDIN_FILENO, chunk, sizeof chunk) > 0) {
    }
}

// Serves activation requests until the test closes our input, saying "activated" for each.
int Serve(QCoreApplication& app, const QString& programPath) {
    SingleCopy copy(programPath);
    if (copy.HandOverToRunningCopy()) {
        Say("handed-over");
        return 0;
    }
    copy.ServeActivation([] { Say("activated"); });
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char chunk[64];
        if (::read(STDIN_FILENO, chunk, sizeof chunk) <= 0) {
            input.setEnabled(false);
            app.quit();
        }
    });
    Say("serving");
    return app.exec();
}

int Start(const QString& programPath) {
    SingleCopy copy(programPath);
    Say(copy.HandOverToRunningCopy() ? "handed-over" : "started");
    return 0;
}

// Holds the lock without ever answering.
int Hold(const QString& programPath) {
    SingleCopy copy(programPath);
    if (copy.HandOverToRunningCopy()) {
        Say("handed-over");
        return 0;
    }
    Say("holding");
    WaitForEndOfInput();
    return 0;
}

// Takes the lock, listens, and dies without releasing either.
int Crash(const QString& programPath) {
    SingleCopy copy(programPath);
    if (copy.HandOverToRunningCopy()) {
        Say("handed-over");
        return 0;
    }
    copy.ServeActivation([] {});
    Say("serving");
    ::_exit(9);
}

// Writes count values "<prefix>-<i>" into one key, opening and closing it each time.
int WriteValues(const QString& prefix, int count) {
    for (int i = 0; i < count; ++i) {
        HKEY key = nullptr;
        if (RegCreateKeyEx(HKEY_CURRENT_USER, u"Software\\Velmora\\race", 0, u"race", 0,
                           KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
            Say("cannot open");
            return 1;
        }
        const std::u16string name = (prefix + '-' + QString::number(i)).toStdU16String();
        const QByteArray data = QByteArray::number(i) + '\0';
        const LONG result =
            RegSetValueEx(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size()));
        RegCloseKey(key);
        if (result != ERROR_SUCCESS) {
            Say("cannot write");
            return 1;
        }
    }
    Say("written");
    return 0;
}

// Takes the store's writer lock and dies holding it.
int CrashHoldingStoreLock() {
    QDir().mkpath(QFileInfo(RegistryStoreFile()).absolutePath());
    QLockFile lock(RegistryStoreFile() + QStringLiteral(".lock"));
    if (!lock.tryLock(5000)) {
        Say("cannot lock");
        return 1;
    }
    Say("locked");
    ::_exit(9);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const QString mode = arguments.value(1);
    const QString argument = arguments.value(2);
    if (mode == QLatin1String("serve")) {
        return Serve(app, argument);
    }
    if (mode == QLatin1String("start")) {
        return Start(argument);
    }
    if (mode == QLatin1String("hold")) {
        return Hold(argument);
    }
    if (mode == QLatin1String("crash")) {
        return Crash(argument);
    }
    if (mode == QLatin1String("write-values")) {
        return WriteValues(argument, arguments.value(3).toInt());
    }
    if (mode == QLatin1String("crash-holding-store-lock")) {
        return CrashHoldingStoreLock();
    }
    std::fprintf(stderr,
                 "usage: %s serve|start|hold|crash PROGRAM-PATH\n"
                 "       %s write-values PREFIX COUNT | crash-holding-store-lock\n",
                 argv[0], argv[0]);
    return 2;
}
