#include <QProcess>
#include <gtest/gtest.h>

namespace {

// The next line the process prints, or empty when none comes within ten seconds.
std::string NextLine(QProcess& process) {
    while (!process.canReadLine() && process.waitForReadyRead(10000)) {
    }
    return process.readLine().trimmed().toStdString();
}

// Both copies inherit this test's offscreen platform.
TEST(Application, SecondCopyBringsTheFirstForwardAndEnds) {
    QProcess first;
    first.start(QStringLiteral(TARVASTO_APP_PROBE));
    ASSERT_EQ(NextLine(first), "started tarvasto Velmora icon=1");

    QProcess second;
    second.start(QStringLiteral(TARVASTO_APP_PROBE));
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(second.readAllStandardOutput().toStdString(), ""); // never reached its start-up
    EXPECT_EQ(NextLine(first), "brought forward");
    first.kill();
    first.waitForFinished(5000);
}

} // namespace
