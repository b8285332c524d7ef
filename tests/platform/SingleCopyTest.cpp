// Copies of the program are played by the helper program, started as real processes; each test
// names its own program path, so its copies meet no one else's.
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr int processWaitMs = 20000;

class SingleCopyTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }

    void TearDown() override {
        // Copies still serving end when their input closes.
        for (const auto& process : processes) {
            process->closeWriteChannel();
            if (!process->waitForFinished(processWaitMs)) {
                process->kill();
                process->waitForFinished(processWaitMs);
            }
        }
    }

    QString ProgramPath() const { return folder.path() + QStringLiteral("/bin/tarvasto"); }

    QProcess& Launch(const QString& mode, const QString& programPath) {
        processes.push_back(std::make_unique<QProcess>());
        QProcess& process = *processes.back();
        process.setProgram(QStringLiteral(TARVASTO_PLATFORM_HELPER));
        process.setArguments({mode, programPath});
        process.start();
        EXPECT_TRUE(process.waitForStarted(processWaitMs));
        return process;
    }

    // The next line the copy prints, or "" when it prints none in time.
    static QByteArray NextLine(QProcess& process) {
        while (!process.canReadLine()) {
            if (!process.waitForReadyRead(processWaitMs)) {
                return process.readAll().trimmed();
            }
        }
        return process.readLine().trimmed();
    }

    // Runs a copy that starts and ends; returns what it printed.
    QByteArray StartCopy(const QString& programPath) {
        QProcess& copy = Launch(QStringLiteral("start"), programPath);
        EXPECT_TRUE(copy.waitForFinished(processWaitMs));
        EXPECT_EQ(copy.exitCode(), 0);
        return copy.readAllStandardOutput().trimmed();
    }

    QTemporaryDir folder;
    std::vector<std::unique_ptr<QProcess>> processes;
};

TEST_F(SingleCopyTest, SecondCopyEndsAndTheFirstComesForward) {
    QProcess& first = Launch(QStringLiteral("serve"), ProgramPath());
    ASSERT_EQ(NextLine(first), "serving");
    EXPECT_EQ(StartCopy(ProgramPath()), "handed-over");
    EXPECT_EQ(NextLine(first), "activated");
    // Again, for each later copy.
    EXPECT_EQ(StartCopy(ProgramPath()), "handed-over");
    EXPECT_EQ(NextLine(first), "activated");
}

TEST_F(SingleCopyTest, BackslashesInThePathNameTheSameProgram) {
    const QString windowsStyle = folder.path() + QStringLiteral("\\bin\\tarvasto");
    QProcess& first = Launch(QStringLiteral("serve"), windowsStyle);
    ASSERT_EQ(NextLine(first), "serving");
    EXPECT_EQ(StartCopy(ProgramPath()), "handed-over");
    EXPECT_EQ(NextLine(first), "activated");
}

TEST_F(SingleCopyTest, ProgramsAtOtherPathsRunSideBySide) {
    QProcess& first = Launch(QStringLiteral("serve"), ProgramPath());
    ASSERT_EQ(NextLine(first), "serving");
    EXPECT_EQ(StartCopy(ProgramPath() + QStringLiteral("2")), "started");
    EXPECT_EQ(StartCopy(ProgramPath().toUpper()), "started");
}

TEST_F(SingleCopyTest, CopyAfterTheFirstHasEndedStartsNormally) {
    QProcess& first = Launch(QStringLiteral("serve"), ProgramPath());
    ASSERT_EQ(NextLine(first), "serving");
    first.closeWriteChannel();
    ASSERT_TRUE(first.waitForFinished(processWaitMs));
    EXPECT_EQ(StartCopy(ProgramPath()), "started");
}

TEST_F(SingleCopyTest, LockAndSocketLeftByACrashedCopyAreTakenOver) {
    QProcess& crashed = Launch(QStringLiteral("crash"), ProgramPath());
    ASSERT_EQ(NextLine(crashed), "serving");
    ASSERT_TRUE(crashed.waitForFinished(processWaitMs));
    ASSERT_EQ(crashed.exitCode(), 9);

    QProcess& next = Launch(QStringLiteral("serve"), ProgramPath());
    ASSERT_EQ(NextLine(next), "serving");
    EXPECT_EQ(StartCopy(ProgramPath()), "handed-over");
    EXPECT_EQ(NextLine(next), "activated");
}

TEST_F(SingleCopyTest, CopyThatNeverAnswersDoesNotStopTheProgram) {
    QProcess& silent = Launch(QStringLiteral("hold"), ProgramPath());
    ASSERT_EQ(NextLine(silent), "holding");
    EXPECT_EQ(StartCopy(ProgramPath()), "started");
}

} // namespace
