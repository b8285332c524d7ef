#pragma once

#include "Speaker.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class QThread;
class SpeechVoice;

// The Speaker over Qt's speech engines. Each speaker keeps its engine in a thread of its own,
// so that the screen never waits on it: the speech-dispatcher engine talks to a service that
// may take seconds to start, or never answer at all.
class QtSpeaker : public QObject, public Speaker {
    Q_OBJECT

public:
    // The engines Open tries, in order: the desktop's speech service, then the voice built into
    // Qt's plugin.
    static QStringList PreferredEngines();

    // A speaker on the first of engines that loads, answers and can play sound; null when none
    // can, with whyNot saying why in one short sentence fit for a status tip (one of the
    // reasons below). Waits at most about openDeadlineMs for an engine that does not answer,
    // and does not try an engine again while an earlier attempt on it still hangs.
    static std::unique_ptr<QtSpeaker> Open(QString& whyNot,
                                           const QStringList& engines = PreferredEngines());

    ~QtSpeaker() override;

    void Say(const QStringList& parts) override;
    void Stop() override;

    // The name of the engine the speaker speaks with ("speechd", "flite").
    const QString& Engine() const { return engine; }

    static constexpr int openDeadlineMs = 1500;
    static const QString noEngineReason;
    static const QString noSoundReason;
    static const QString noAnswerReason;
    static const QString brokenEngineReason;

signals:
    // The engine failed while speaking (the sound device went away, the service was lost);
    // why is one of the reasons above. What was still to say is dropped.
    void Failed(const QString& why);

private:
    QtSpeaker(std::unique_ptr<QThread> thread, SpeechVoice* voice, QString engine);

    std::unique_ptr<QThread> thread;
    SpeechVoice* voice; // lives in thread, deleted there
    QString engine;
};
