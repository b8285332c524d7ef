#pragma once

#include <QByteArray>
#include <QString>
#include <unordered_set>

class Checklist;
class ChecklistDoc;
struct ChecklistItem;

// The ticks of a document's items while Keep Ticks is on: a tick belongs to its item, wherever
// the item moves, and lasts while the item is part of the document (an item taken out and put
// back by Undo comes back ticked).
//
// A copy lives in the state folder ($XDG_STATE_HOME/tarvasto, else ~/.local/state/tarvasto),
// replaced as a whole at every change, so that the ticks and the checklist shown come back when
// the program starts again on the same file, unchanged since: same path, size and modification
// time, and the same checklists and items.
class KeptTicks {
public:
    bool Contains(const ChecklistItem* item) const { return ticked.contains(item); }
    // Ticks or unticks item; whether that changed anything.
    bool Set(const ChecklistItem* item, bool tick);
    // Unticks every item.
    void Clear() { ticked.clear(); }

    // The document's checklists or items have changed since the last Store (its ticks have not).
    void DocumentChanged() { fingerprint.clear(); }

    // Writes the ticks of doc's items and shown (the checklist on the screen, null for none) to
    // the state file, for doc's file as it is on disk now. A document without a file name has
    // nothing to come back to: the state file goes. A failed write leaves the previous file, and
    // is not reported: the ticks on the screen are unharmed.
    void Store(const ChecklistDoc& doc, const Checklist* shown);
    // Takes the ticks of the state file when it was written for doc's file as it is now, and
    // returns the checklist shown then (null when none was, or nothing was taken). A missing,
    // damaged or foreign state file, or one for another file or another version of it, leaves
    // the ticks as they were.
    Checklist* Restore(ChecklistDoc& doc);

    // Removes the state file.
    static void Forget();
    // Where the state file lives.
    static QString StateFilePath();

private:
    // What identifies doc's checklists and items, in order: the same for the same texts.
    const QByteArray& Fingerprint(const ChecklistDoc& doc);

    std::unordered_set<const ChecklistItem*> ticked;
    QByteArray fingerprint; // of the document last stored; empty when it must be made again
};
