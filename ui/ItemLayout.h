#pragma once

#include <QRectF>
#include <QString>
#include <functional>
#include <vector>

// How the tree sets out an item by its kind, as a pilot reads a checklist: the challenge at the
// left and the response at the right behind a dot leader, notes, cautions and warnings after
// their labels, titles as headings, centred text centred, indentation as indentation. Pure
// geometry over a measure of text, so that it is the same on every screen and testable without
// one.

// The inks an item is set in.
enum class ItemInk {
    Text,     // an item's own words
    Label,    // "NOTE:", "CAUTION:", "WARNING:"
    NoteText, // the words of a note
    Heading,  // a title
    Leader,   // the dots between a challenge and its response
};

// The measure of text in each ink: how far a text advances, and how high a line is.
struct ItemMeasure {
    std::function<double(const QString& text, ItemInk ink)> advance;
    double lineHeight = 0;
};

// What frames an item: nothing, or the box of a caution or a warning.
enum class ItemFrame { None, Caution, Warning };

struct ItemRun {
    QString text;
    ItemInk ink;
    double x; // from the left edge of the item's room
    double y; // the top of the run's line
};

struct ItemLook {
    std::vector<ItemRun> runs;
    ItemFrame frame = ItemFrame::None;
    QRectF frameRect; // where the frame is drawn, when there is one
    double height = 0;
};

// The runs of text that show item (its stored line) in width pixels, and the height they take.
// Words wrap at spaces onto further lines; a word wider than the room is broken between its
// characters. Never fails: any line sets out as text.
ItemLook LayOutItem(const char* item, double width, const ItemMeasure& measure);
