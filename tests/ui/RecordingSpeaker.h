#pragma once

#include "Speaker.h"

#include <QStringList>

// A Speaker that says nothing and writes down what it was asked: each Say as its parts joined
// by " | " (an empty Say as ""), each Stop as "(stop)", in the order asked.
class RecordingSpeaker : public Speaker {
public:
    void Say(const QStringList& parts) override { said.append(parts.join(QStringLiteral(" | "))); }
    void Stop() override { said.append(QStringLiteral("(stop)")); }

    // What was asked so far; a test may clear it between steps.
    QStringList said;
};
