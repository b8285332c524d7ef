#pragma once

#include <QColor>
#include <QPalette>

// The colours of the screen by day and by night. Night colours keep a dark cockpit dark: dark
// grounds, dim light text, nothing large and bright, and every text still readable (a contrast
// of at least 4.5 to 1 against its ground).
namespace ScreenColours {

// The palette of the program at night, for every window and dialog of it.
QPalette NightPalette();
// The palette the program started with: the desktop's, by day.
QPalette DayPalette();
// Whether palette is a dark one.
bool IsDark(const QPalette& palette);

// The colours of an item's words in palette: ticked (dimmer, but still readable), and the
// labels and frames of cautions (amber) and warnings (red).
QColor TickedText(const QPalette& palette);
QColor Caution(const QPalette& palette);
QColor Warning(const QPalette& palette);

// How far apart two colours are for the eye: the ratio of their relative luminances (each plus
// 0.05), from 1 (the same) to 21 (black and white).
double ContrastRatio(const QColor& first, const QColor& second);
// The relative luminance of colour, from 0 (black) to 1 (white).
double Luminance(const QColor& colour);

} // namespace ScreenColours
