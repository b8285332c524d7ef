#pragma once

#include "DialogTemplate.h"

#include <QRect>
#include <QSize>

class QFont;

// Converts dialog units to pixels. A dialog unit across is a quarter of the dialog font's average
// character width, a dialog unit down an eighth of its height, so that a template keeps its
// proportions to the text in any font.
//
// The templates name the fonts "System" and "MS Sans Serif" at 8 points, which do not exist on
// the desktop; every dialog uses the application's font instead, which is the size the desktop
// reads well. The average width is taken over the 52 Latin letters and rounded the way the
// handheld rounds it: (width of "A".."Z" "a".."z" / 26 + 1) / 2.
class DialogUnits {
public:
    DialogUnits(int averageCharWidth, int charHeight);
    static DialogUnits FromFont(const QFont& font);

    int AverageCharWidth() const { return baseX; }
    int CharHeight() const { return baseY; }

    // Pixels for a horizontal or vertical length in dialog units, rounded to the nearest pixel.
    int ToPixelsX(int units) const;
    int ToPixelsY(int units) const;
    QRect ToPixels(int x, int y, int width, int height) const;
    QSize ToPixels(int width, int height) const;

private:
    int baseX;
    int baseY;
};

// Where a control placed at `rect` in a client area of size `templateSize` goes when the client
// area has size `actualSize`, following its template's rules (see FollowAcross and FollowDown).
// `shareLeft` and `shareRight` bound the band that Share controls divide among themselves: the
// leftmost left edge and the rightmost right edge of the template's controls. A client area
// smaller than the template is treated as the template's size.
QRect FollowRect(const QRect& rect, const QSize& templateSize, const QSize& actualSize,
                 FollowAcross across, FollowDown down, int shareLeft, int shareRight);

// Whether a screen with this much room counts as a handheld's, where full-screen dialogs fill it.
bool IsSmallScreen(const QSize& available);

// The client size a full-screen dialog opens with on a desktop: its template enlarged to a
// handheld-like size (1.8 times, at least 380 by 500 pixels), but never more than nine tenths of
// the available room nor less than the template. A dialog none of whose controls follow the
// bottom edge (growsDown false) would only gain empty space below them: it keeps its template's
// height.
QSize ComfortableClientSize(const QSize& templateSize, const QSize& available, bool growsDown);
