#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Says a few parts one after the other over a speech engine that says one text at a time and
// tells when it starts and when it is ready again: the next part starts when the engine is
// ready after speaking the one before, so the gap between utterances is the pause between
// parts. The engine's answers may come late: a "ready" that follows a cut before the next part
// was heard to start is taken for the cut's, not for the end of that part.
class UtteranceChain {
public:
    // sayOne hands one text to the engine; stopAll cuts whatever the engine is saying.
    UtteranceChain(std::function<void(const QString&)> sayOne, std::function<void()> stopAll);

    // Cuts what is being said, forgets the parts still to say and starts on parts (the empty
    // ones left out).
    void Say(const QStringList& parts);
    // Cuts what is being said and forgets the parts still to say.
    void Stop();

    // What the engine reports: it began saying the text handed to it; it is ready again; it
    // failed (the parts still to say are dropped).
    void Started();
    void Ready();
    void Failed();

    // Whether a part was handed to the engine and has not ended, or parts are still to say.
    bool Busy() const { return handedOver || !waiting.isEmpty(); }

private:
    // Hands the next waiting part to the engine.
    void SayNext();

    std::function<void(const QString&)> sayOne;
    std::function<void()> stopAll;
    QStringList waiting;     // parts still to hand over, in order
    bool handedOver = false; // a part is with the engine
    bool heardStart = false; // ... and the engine said it began it
};
