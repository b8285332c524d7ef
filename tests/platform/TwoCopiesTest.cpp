// Copies of the program as real processes: the test program, started again with "copy", plays
// the other copy. Each test has its own home and program path, so its copies meet no one else's.
#include "RegistryProbe.h"
#include "SingleCopy.h"

#include <QCoreApplication>
#include <QLockFile>
#include <QLoggingCategory>
#include <QProcess>
#include <QSocketNotifier>

#include <cstdio>
#include <cstring>
#include <list>

#include <unistd.h>

static const char16_t raceKey[] = u"Software\\Velmora\\race";

// "copy MODE PROGRAM-PATH [FILE]", MODE being serve (answer later copies until the input
// closes), late (hold the lock, and answer only from the first line of input on), hold (hold the
// lock, never answer), crash (serve, and die holding the settings store's lock too) or start
// (start, handing over FILE when given, and end; says "waiting" each time it waits for an
// answer); "copy write-values PREFIX" writes 40 values "PREFIX-i", opening the key for each.
// Says what happens, a line at a time; a file handed over as "opened " and its path in percent
// encoding.
int PlayCopy(QCoreApplication& app, const QString& mode, const QString& argument) {
    const auto say = [](const QByteArray& line) {
        std::puts(line.constData()), std::fflush(stdout);
    };
    if (mode == "write-values") {
        for (int i = 0; i < 40; ++i) {
            const std::u16string name = (argument + '-' + QString::number(i)).toStdU16String();
            SetIn(raceKey, u"race", name, REG_SZ, QByteArray::number(i));
        }
        return say("written"), 0;
    }
    if (mode == "start") {
        QLoggingCategory::setFilterRules("tarvasto.singlecopy.debug=true");
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext& context, const QString&) {
            if (std::strcmp(context.category, "tarvasto.singlecopy") == 0) {
                std::puts("waiting"), std::fflush(stdout);
            }
        });
    }
    SingleCopy copy(argument);
    const bool handedOver = copy.HandOverToRunningCopy(app.arguments().value(4));
    if (handedOver || mode == "start") {
        return say(handedOver ? "handed-over" : "started"), 0;
    }
    const auto serve = [&] {
        copy.ServeActivation([&](const QString& file) {
            say(file.isEmpty() ? QByteArray("activated")
                               : "opened " + file.toUtf8().toPercentEncoding("/"));
        });
    };
    if (mode != "hold" && mode != "late") {
        serve();
    }
    if (mode == "crash") {
        QDir().mkpath(QFileInfo(RegistryStoreFile()).absolutePath());
        QLockFile storeLock(RegistryStoreFile() + ".lock");
        say(storeLock.tryLock() ? "crashing" : "cannot lock the store");
        ::_exit(9);
    }
    say(mode == "hold" || mode == "late" ? "holding" : "serving");
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char chunk[64];
        if (::read(STDIN_FILENO, chunk, sizeof chunk) <= 0) {
            app.quit();
        } else if (mode == "late") {
            serve();
            say("serving");
        }
    });
    return app.exec();
}

// Generous: a copy waiting at idle priority barely runs on a busy machine.
static constexpr int waitMs = 60000;

class TwoCopiesTest : public testing::Test {
protected:
    void TearDown() override {
        for (QProcess& copy : copies) { // copies still serving end when their input closes
            copy.closeWriteChannel();
            copy.waitForFinished(waitMs);
        }
    }

    QProcess& Launch(const QStringList& arguments) {
        QProcess& copy = copies.emplace_back();
        copy.start(QCoreApplication::applicationFilePath(), QStringList{"copy"} + arguments);
        EXPECT_TRUE(copy.waitForStarted(waitMs));
        return copy;
    }

    // What the copy says next, or what it has said when it says no more in time.
    static QByteArray NextLine(QProcess& copy) {
        while (!copy.canReadLine() && copy.waitForReadyRead(waitMs)) {
        }
        return copy.readLine().trimmed();
    }

    QByteArray RunToEnd(const QStringList& arguments) {
        QProcess& copy = Launch(arguments);
        EXPECT_TRUE(copy.waitForFinished(waitMs));
        return copy.readAllStandardOutput().trimmed();
    }

    IsolatedHome home;
    const QString programPath = home.Path("bin/tarvasto");
    std::list<QProcess> copies;
};

// The first copy names its path with "\"; copies of programs at other paths run side by side.
TEST_F(TwoCopiesTest, SecondCopyEndsAndTheFirstComesForward) {
    QProcess& first = Launch({"serve", QString(programPath).replace('/', '\\')});
    ASSERT_EQ(NextLine(first), "serving");
    for (int later = 0; later < 2; ++later) {
        EXPECT_EQ(RunToEnd({"start", programPath}), "handed-over");
        EXPECT_EQ(NextLine(first), "activated");
    }
    EXPECT_EQ(RunToEnd({"start", programPath + '2'}), "started");
    EXPECT_EQ(RunToEnd({"start", programPath.toUpper()}), "started");
    first.closeWriteChannel();
    ASSERT_TRUE(first.waitForFinished(waitMs));
    EXPECT_EQ(RunToEnd({"start", programPath}), "started");
    // A copy that crashed, and one that never answers, do not stop the program either.
    EXPECT_EQ(RunToEnd({"crash", programPath}), "crashing");
    QProcess& next = Launch({"serve", programPath});
    ASSERT_EQ(NextLine(next), "serving");
    EXPECT_EQ(RunToEnd({"start", programPath}), "handed-over");
    EXPECT_EQ(NextLine(next), "activated");
    // One that never answers is tried three times, then this copy starts.
    ASSERT_EQ(NextLine(Launch({"hold", programPath + "-silent"})), "holding");
    EXPECT_EQ(RunToEnd({"start", programPath + "-silent"}), "waiting\nwaiting\nstarted");
    // Nor does the settings store's lock left by the crash.
    EXPECT_EQ(SetIn(u"Software\\Velmora\\test", u"test", u"v", REG_SZ, "x"), ERROR_SUCCESS);
}

// A later copy hands its file over, every byte of the path intact.
TEST_F(TwoCopiesTest, TheRunningCopyIsHandedTheFile) {
    QProcess& first = Launch({"serve", programPath});
    ASSERT_EQ(NextLine(first), "serving");
    const QString file = QStringLiteral("/flights/100% L\u00e4ht\u00f6\nkaksi.ckl");
    EXPECT_EQ(RunToEnd({"start", programPath, file}), "handed-over");
    EXPECT_EQ(NextLine(first), "opened " + file.toUtf8().toPercentEncoding("/"));
}

// A copy that holds the lock but does not answer yet (one still starting) is waited for: the
// later copy tries again and hands over, and no second copy starts.
TEST_F(TwoCopiesTest, ACopyThatAnswersLateIsWaitedFor) {
    QProcess& first = Launch({"late", programPath});
    ASSERT_EQ(NextLine(first), "holding");
    QProcess& later = Launch({"start", programPath, "/b.ckl"});
    ASSERT_EQ(NextLine(later), "waiting");
    first.write("answer now\n");
    ASSERT_EQ(NextLine(first), "serving");
    QByteArray outcome = NextLine(later);
    while (outcome == "waiting") { // the late copy may take longer than one wait
        outcome = NextLine(later);
    }
    EXPECT_EQ(outcome, "handed-over");
    EXPECT_EQ(NextLine(first), "opened /b.ckl");
}

TEST_F(TwoCopiesTest, CopiesWritingSettingsAtOnceLoseNothing) {
    QProcess& first = Launch({"write-values", "first"});
    EXPECT_EQ(RunToEnd({"write-values", "second"}), "written");
    EXPECT_EQ(NextLine(first), "written");
    for (int i = 0; i < 80; ++i) {
        const QString name = (i < 40 ? "first-" : "second-") + QString::number(i % 40);
        EXPECT_EQ(Query(raceKey, name.toStdU16String()).data, QByteArray::number(i % 40)) << i;
    }
}
