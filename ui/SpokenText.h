#pragma once

#include <QStringList>

// What Read Aloud says for a checklist's name, an item and the end of a list: the parts to say
// one after the other, as a person reading the list out would say them. The texts come from a
// file and may hold anything: control characters, broken UTF-8 and the punctuation that lays
// a list out on the screen (dot leaders, "**", ">>", "<<") are never part of what is said, and a
// part with no letter or digit left is left out. A null text is an empty one.
namespace SpokenText {

// A checklist's name: one part, or none when nothing in it can be said.
QStringList SpokenName(const char* name);
// An item by the kind its text makes it: a challenge and its response as two parts; a note,
// caution or warning as "note", "caution" or "warning" and then its text; a heading, a plain
// text or a challenge alone as one part; a blank as none.
QStringList SpokenItem(const char* itemText);
// The end of a list: "Checklist complete", then "Next checklist" and nextName when there is a
// next list (nextName not null) whose name can be said.
QStringList SpokenCompletion(const char* nextName);

} // namespace SpokenText
