#include <QProcess>
#include <gtest/gtest.h>

namespace {

// Starts the probe program on the offscreen platform.
void StartProbe(QProcess& process) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral(TARVASTO_APP_PROBE), {});
}

// Reads lines from process until one equals or starts with prefix; the line, or empty on time-out.
std::string WaitForLine(QProcess& process, const std::string& prefix) {
    for (int reads = 0; reads < 20; ++reads) {
        while (process.canReadLine()) {
            const std::string line = process.readLine().trimmed().toStdString();
            if (line.rfind(prefix, 0) == 0) {
                return line;
            }
        }
        if (!process.waitForReadyRead(1000)) {
            break;
        }
    }
    return {};
}

TEST(Application, SecondCopyBringsTheFirstForwardAndEnds) {
    QProcess first;
    StartProbe(first);
    ASSERT_TRUE(first.waitForStarted(5000));
    EXPECT_EQ(WaitForLine(first, "started"), "started tarvasto Velmora icon=1");
    ASSERT_EQ(WaitForLine(first, "waiting"), "waiting");

    QProcess second;
    StartProbe(second);
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(second.readAllStandardOutput().toStdString(), ""); // never reached its start-up

    EXPECT_EQ(WaitForLine(first, "brought"), "brought forward");
    first.kill();
    first.waitForFinished(5000);
}

} // namespace
