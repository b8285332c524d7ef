#pragma once

#include <QStringList>

// What the checklist screen reads aloud through: a voice that says a few parts at a time. The
// screen never waits on it, and whatever it is saying may be cut at any moment.
class Speaker {
public:
    virtual ~Speaker() = default;
    // Cuts whatever is being said and says parts one after the other, with a short pause between.
    virtual void Say(const QStringList& parts) = 0;
    // Cuts whatever is being said.
    virtual void Stop() = 0;
};
