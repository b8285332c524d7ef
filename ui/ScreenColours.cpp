#include "ScreenColours.h"

#include <QApplication>
#include <cmath>

namespace ScreenColours {

namespace {

double Linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

} // namespace

double Luminance(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * Linear(rgb.redF()) + 0.7152 * Linear(rgb.greenF()) +
           0.0722 * Linear(rgb.blueF());
}

double ContrastRatio(const QColor& first, const QColor& second) {
    const double a = Luminance(first) + 0.05;
    const double b = Luminance(second) + 0.05;
    return a > b ? a / b : b / a;
}

QPalette NightPalette() {
    // Grounds near black, text a dim grey: readable, but nothing that lights up the cockpit.
    const QColor ground(0x0e, 0x0e, 0x0e);
    const QColor field(0x08, 0x08, 0x08);
    const QColor raised(0x1c, 0x1c, 0x1c);
    const QColor text(0xb0, 0xb0, 0xb0);
    const QColor greyed(0x5c, 0x5c, 0x5c);
    QPalette palette;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, ground);
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::Base, field);
        palette.setColor(group, QPalette::AlternateBase, raised);
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::Button, raised);
        palette.setColor(group, QPalette::ButtonText, text);
        palette.setColor(group, QPalette::BrightText, QColor(0xff, 0x80, 0x80));
        palette.setColor(group, QPalette::ToolTipBase, raised);
        palette.setColor(group, QPalette::ToolTipText, text);
        palette.setColor(group, QPalette::PlaceholderText, QColor(0x80, 0x80, 0x80));
        // A deep red selection, as cockpit lighting is, with the same text on it.
        palette.setColor(group, QPalette::Highlight, QColor(0x4a, 0x16, 0x16));
        palette.setColor(group, QPalette::HighlightedText, QColor(0xc8, 0xc8, 0xc8));
        palette.setColor(group, QPalette::Link, QColor(0x8a, 0xa8, 0xd0));
        palette.setColor(group, QPalette::LinkVisited, QColor(0xa0, 0x90, 0xc8));
        // The shades the style draws its bevels and frames with.
        palette.setColor(group, QPalette::Light, QColor(0x30, 0x30, 0x30));
        palette.setColor(group, QPalette::Midlight, QColor(0x24, 0x24, 0x24));
        palette.setColor(group, QPalette::Mid, QColor(0x18, 0x18, 0x18));
        palette.setColor(group, QPalette::Dark, QColor(0x06, 0x06, 0x06));
        palette.setColor(group, QPalette::Shadow, Qt::black);
    }
    palette.setColor(QPalette::Disabled, QPalette::Window, ground);
    palette.setColor(QPalette::Disabled, QPalette::Base, field);
    palette.setColor(QPalette::Disabled, QPalette::Button, raised);
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::HighlightedText}) {
        palette.setColor(QPalette::Disabled, role, greyed);
    }
    palette.setColor(QPalette::Disabled, QPalette::Highlight, raised);
    return palette;
}

QPalette DayPalette() {
    // Taken once, before the program changes the application's palette.
    static const QPalette day = QApplication::palette();
    return day;
}

bool IsDark(const QPalette& palette) {
    return Luminance(palette.color(QPalette::Base)) < 0.2;
}

QColor TickedText(const QPalette& palette) {
    return IsDark(palette) ? QColor(0x7a, 0x7a, 0x7a) : QColor(0x6a, 0x6a, 0x6a);
}

QColor Caution(const QPalette& palette) {
    return IsDark(palette) ? QColor(0xd8, 0x98, 0x30) : QColor(0x8a, 0x56, 0x00);
}

QColor Warning(const QPalette& palette) {
    return IsDark(palette) ? QColor(0xff, 0x6e, 0x6e) : QColor(0xb0, 0x00, 0x00);
}

} // namespace ScreenColours
