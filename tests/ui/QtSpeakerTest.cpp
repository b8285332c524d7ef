#include "QtSpeaker.h"

#include <QCoreApplication>
#include <QTextToSpeech>

#include <gtest/gtest.h>

namespace {

// Qt's own voice loads where its plugin is installed. A machine without a sound device (as CI
// is) cannot play it, which Open tells instead of handing out a speaker that says nothing. The
// sound system may report that only a moment after the engine is made, so either outcome is
// sound here, as long as a refusal gives that reason and nothing hangs.
TEST(QtSpeaker, FliteLoadsOrTellsItCannotPlaySound) {
    if (!QTextToSpeech::availableEngines().contains(QStringLiteral("flite"))) {
        GTEST_SKIP() << "qt6-speech-flite-plugin is not installed";
    }
    QString whyNot = QStringLiteral("(not set)");
    std::unique_ptr<QtSpeaker> speaker = QtSpeaker::Open(whyNot, {QStringLiteral("flite")});
    if (!speaker) {
        EXPECT_EQ(whyNot.toStdString(), QtSpeaker::noSoundReason.toStdString());
        return;
    }
    EXPECT_TRUE(whyNot.isEmpty()) << whyNot.toStdString();
    EXPECT_EQ(speaker->Engine().toStdString(), "flite");
    // Saying, cutting and closing hand work to the speaker's thread and never wait on it.
    speaker->Say({QStringLiteral("Fuel selector"), QStringLiteral("Both")});
    speaker->Say({QStringLiteral("Mixture"), QStringLiteral("Rich")});
    speaker->Stop();
}

TEST(QtSpeaker, AnEngineNotInstalledIsNoEngine) {
    QString whyNot;
    EXPECT_EQ(QtSpeaker::Open(whyNot, {QStringLiteral("no-such-engine")}), nullptr);
    EXPECT_EQ(whyNot.toStdString(), QtSpeaker::noEngineReason.toStdString());
    EXPECT_EQ(QtSpeaker::Open(whyNot, {}), nullptr);
    EXPECT_EQ(whyNot.toStdString(), QtSpeaker::noEngineReason.toStdString());
}

// The engines the program tries, as the screen opens them: a speaker, or one of the reasons.
// Opened twice, as a user switching Read Aloud off and on again does: an engine whose service
// hung the first time is not waited for again.
TEST(QtSpeaker, PreferredEnginesOpenOrTellWhyNot) {
    const QStringList reasons{QtSpeaker::noEngineReason, QtSpeaker::noSoundReason,
                              QtSpeaker::noAnswerReason, QtSpeaker::brokenEngineReason};
    for (int attempt = 0; attempt < 2; ++attempt) {
        QString whyNot = QStringLiteral("(not set)");
        std::unique_ptr<QtSpeaker> speaker = QtSpeaker::Open(whyNot);
        if (speaker) {
            EXPECT_TRUE(whyNot.isEmpty()) << whyNot.toStdString();
            EXPECT_TRUE(QtSpeaker::PreferredEngines().contains(speaker->Engine()));
        } else {
            EXPECT_TRUE(reasons.contains(whyNot)) << whyNot.toStdString();
        }
    }
}

} // namespace

// LeakSanitizer in the sanitizer build: libspeechd keeps the text of the error of a connection
// that failed (made in spd_open2, never freed), and Qt's speech-dispatcher engine asks for a
// connection when it is made and again when it is deleted, so every machine without a running
// speech service shows it. Following the allocation up into libspeechd needs the slow unwinder,
// as glib and libspeechd keep no frame pointers.
extern "C" const char* __lsan_default_options() {
    return "fast_unwind_on_malloc=0";
}
extern "C" const char* __lsan_default_suppressions() {
    return "leak:spd_open2\n";
}

// The speakers' threads and Qt's engines want an application object.
int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
