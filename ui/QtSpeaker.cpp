#include "QtSpeaker.h"

#include "UtteranceChain.h"

#include <QDeadlineTimer>
#include <QTextToSpeech>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>
#include <vector>

const QString QtSpeaker::noEngineReason =
    QStringLiteral("No speech engine is installed (qt6-speech-flite-plugin)");
const QString QtSpeaker::noSoundReason = QStringLiteral("The speech engine cannot play sound here");
const QString QtSpeaker::noAnswerReason = QStringLiteral("The speech service does not answer");
const QString QtSpeaker::brokenEngineReason =
    QStringLiteral("The speech engine could not be started");

// One engine and the parts it is saying, in the speaker's thread.
class SpeechVoice : public QObject {
public:
    SpeechVoice()
        : chain([this](const QString& part) { speech->say(part); },
                [this]() { speech->stop(QTextToSpeech::BoundaryHint::Immediate); }) {}

    // Loads the engine called name; may take long, or never end, for an engine behind a service.
    void Load(const QString& name) {
        speech = new QTextToSpeech(name, this);
        connect(speech, &QTextToSpeech::stateChanged, this, [this](QTextToSpeech::State state) {
            switch (state) {
            case QTextToSpeech::Speaking:
                chain.Started();
                break;
            case QTextToSpeech::Ready:
                chain.Ready();
                break;
            case QTextToSpeech::Error:
                chain.Failed();
                break;
            case QTextToSpeech::Paused:
                break;
            }
        });
    }

    QTextToSpeech* speech = nullptr;
    UtteranceChain chain;
};

namespace {

// How long a speaker being closed may take to let go of its engine before its thread is left
// to itself.
constexpr int closeDeadlineMs = 1000;

// Threads whose engine did not answer in time, by engine: kept (and so reachable) until they
// end, and no new attempt on that engine is made while one is still running.
struct HangingThread {
    QString engine;
    QThread* thread;
};
std::vector<HangingThread>& HangingThreads() {
    static std::vector<HangingThread> threads;
    return threads;
}

// Forgets the hanging threads that have ended since.
void ForgetEndedThreads() {
    std::erase_if(HangingThreads(), [](const HangingThread& hanging) {
        if (!hanging.thread->isFinished()) {
            return false;
        }
        delete hanging.thread;
        return true;
    });
}

bool IsHanging(const QString& engine) {
    ForgetEndedThreads();
    for (const HangingThread& hanging : HangingThreads()) {
        if (hanging.engine == engine) {
            return true;
        }
    }
    return false;
}

// What loading an engine in its thread came to, handed back to the thread that waits for it.
struct Loading {
    std::mutex mutex;
    std::condition_variable done;
    bool loaded = false;
    bool abandoned = false; // the waiting thread gave up on it
    QTextToSpeech::State state = QTextToSpeech::Error;
    QTextToSpeech::ErrorReason reason = QTextToSpeech::ErrorReason::NoError;
    QString engine; // the engine that was loaded in the end
};

// Why an engine that loaded cannot be used, or an empty text when it can.
QString WhyUnusable(const Loading& loading, const QString& wanted) {
    if (loading.reason == QTextToSpeech::ErrorReason::Playback) {
        return QtSpeaker::noSoundReason;
    }
    if (loading.state == QTextToSpeech::Error ||
        loading.reason != QTextToSpeech::ErrorReason::NoError || loading.engine != wanted) {
        return QtSpeaker::brokenEngineReason;
    }
    return QString();
}

// Ends voice in its own thread once what it is doing there is over, and the thread with it. A
// thread whose engine does not let go in time is left to finish on its own.
void EndVoice(std::unique_ptr<QThread> thread, SpeechVoice* voice, const QString& engine) {
    QMetaObject::invokeMethod(
        voice,
        [voice]() {
            delete voice;
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    if (!thread->wait(QDeadlineTimer(closeDeadlineMs))) {
        HangingThreads().push_back({engine, thread.release()});
    }
}

// How much a reason tells a user who wants to hear the lists: that sound is missing tells most.
int Weight(const QString& why) {
    if (why == QtSpeaker::noSoundReason) {
        return 3;
    }
    if (why == QtSpeaker::noAnswerReason) {
        return 2;
    }
    if (why == QtSpeaker::brokenEngineReason) {
        return 1;
    }
    return 0;
}

} // namespace

QStringList QtSpeaker::PreferredEngines() {
    return {QStringLiteral("speechd"), QStringLiteral("flite")};
}

std::unique_ptr<QtSpeaker> QtSpeaker::Open(QString& whyNot, const QStringList& engines) {
    whyNot = noEngineReason;
    // Asking for the engines reads the plugins' metadata only; it starts no engine.
    const QStringList installed = QTextToSpeech::availableEngines();
    for (const QString& name : engines) {
        if (!installed.contains(name)) {
            continue;
        }
        QString why;
        if (IsHanging(name)) {
            why = noAnswerReason;
        } else {
            auto thread = std::make_unique<QThread>();
            thread->setObjectName(QStringLiteral("speech"));
            auto* voice = new SpeechVoice;
            voice->moveToThread(thread.get());
            thread->start();
            auto loading = std::make_shared<Loading>();
            QMetaObject::invokeMethod(
                voice,
                [voice, name, loading]() {
                    voice->Load(name);
                    std::lock_guard lock(loading->mutex);
                    if (loading->abandoned) {
                        delete voice;
                        QThread::currentThread()->quit();
                        return;
                    }
                    loading->loaded = true;
                    loading->state = voice->speech->state();
                    loading->reason = voice->speech->errorReason();
                    loading->engine = voice->speech->engine();
                    loading->done.notify_all();
                },
                Qt::QueuedConnection);
            std::unique_lock lock(loading->mutex);
            if (!loading->done.wait_for(lock, std::chrono::milliseconds(openDeadlineMs),
                                        [&loading]() { return loading->loaded; })) {
                // The engine's service did not answer: its thread is left to finish on its own.
                loading->abandoned = true;
                HangingThreads().push_back({name, thread.release()});
                why = noAnswerReason;
            } else {
                lock.unlock();
                why = WhyUnusable(*loading, name);
                if (why.isEmpty()) {
                    whyNot.clear();
                    return std::unique_ptr<QtSpeaker>(
                        new QtSpeaker(std::move(thread), voice, name));
                }
                EndVoice(std::move(thread), voice, name);
            }
        }
        if (Weight(why) > Weight(whyNot)) {
            whyNot = why;
        }
    }
    return nullptr;
}

QtSpeaker::QtSpeaker(std::unique_ptr<QThread> thread, SpeechVoice* voice, QString engine)
    : thread(std::move(thread)), voice(voice), engine(std::move(engine)) {
    connect(voice->speech, &QTextToSpeech::errorOccurred, this,
            [this](QTextToSpeech::ErrorReason reason) {
                emit Failed(reason == QTextToSpeech::ErrorReason::Playback ? noSoundReason
                                                                           : brokenEngineReason);
            });
}

QtSpeaker::~QtSpeaker() {
    // An engine that hangs on its service is left behind; the program goes on without it.
    EndVoice(std::move(thread), voice, engine);
}

void QtSpeaker::Say(const QStringList& parts) {
    QMetaObject::invokeMethod(
        voice, [voice = voice, parts]() { voice->chain.Say(parts); }, Qt::QueuedConnection);
}

void QtSpeaker::Stop() {
    QMetaObject::invokeMethod(
        voice, [voice = voice]() { voice->chain.Stop(); }, Qt::QueuedConnection);
}
