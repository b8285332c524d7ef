#include "UtteranceChain.h"

#include <utility>

UtteranceChain::UtteranceChain(std::function<void(const QString&)> sayOne,
                               std::function<void()> stopAll)
    : sayOne(std::move(sayOne)), stopAll(std::move(stopAll)) {}

void UtteranceChain::Say(const QStringList& parts) {
    Stop();
    for (const QString& part : parts) {
        if (!part.isEmpty()) {
            waiting.append(part);
        }
    }
    SayNext();
}

void UtteranceChain::Stop() {
    waiting.clear();
    // An engine that is ready gets no stop: some answer a stop with a "ready" of their own,
    // which a part said next would take for its end.
    if (handedOver) {
        stopAll();
    }
    handedOver = false;
    heardStart = false;
}

void UtteranceChain::Started() {
    if (handedOver) {
        heardStart = true;
    }
}

void UtteranceChain::Ready() {
    // A "ready" before the start of the part handed over belongs to what was cut before it.
    if (!heardStart) {
        return;
    }
    handedOver = false;
    heardStart = false;
    SayNext();
}

void UtteranceChain::Failed() {
    waiting.clear();
    handedOver = false;
    heardStart = false;
}

void UtteranceChain::SayNext() {
    if (waiting.isEmpty()) {
        return;
    }
    handedOver = true;
    heardStart = false;
    sayOne(waiting.takeFirst());
}
