#include "DialogUnits.h"

#include <QFont>
#include <QFontMetrics>
#include <QtGlobal>
#include <algorithm>

DialogUnits::DialogUnits(int averageCharWidth, int charHeight)
    : baseX(std::max(1, averageCharWidth)), baseY(std::max(1, charHeight)) {}

DialogUnits DialogUnits::FromFont(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return DialogUnits((alphabet / 26 + 1) / 2, metrics.height());
}

int DialogUnits::ToPixelsX(int units) const {
    return qRound(units * baseX / 4.0);
}

int DialogUnits::ToPixelsY(int units) const {
    return qRound(units * baseY / 8.0);
}

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const {
    // Convert the edges, not the sizes, so that controls that touch in the template still touch.
    const int left = ToPixelsX(x);
    const int top = ToPixelsY(y);
    return QRect(left, top, ToPixelsX(x + width) - left, ToPixelsY(y + height) - top);
}

QSize DialogUnits::ToPixels(int width, int height) const {
    return QSize(ToPixelsX(width), ToPixelsY(height));
}

QRect FollowRect(const QRect& rect, const QSize& templateSize, const QSize& actualSize,
                 FollowAcross across, FollowDown down, int shareLeft, int shareRight) {
    const int extraWidth = std::max(0, actualSize.width() - templateSize.width());
    const int extraHeight = std::max(0, actualSize.height() - templateSize.height());

    int left = rect.left();
    int right = rect.left() + rect.width(); // one past the last pixel
    switch (across) {
    case FollowAcross::Left:
        break;
    case FollowAcross::Right:
        left += extraWidth;
        right += extraWidth;
        break;
    case FollowAcross::Stretch:
        right += extraWidth;
        break;
    case FollowAcross::Share: {
        const int band = std::max(1, shareRight - shareLeft);
        const auto place = [&](int edge) {
            return edge + qRound(double(extraWidth) * (edge - shareLeft) / band);
        };
        left = place(left);
        right = place(right);
        break;
    }
    }

    int top = rect.top();
    int bottom = rect.top() + rect.height();
    switch (down) {
    case FollowDown::Top:
        break;
    case FollowDown::Bottom:
        top += extraHeight;
        bottom += extraHeight;
        break;
    case FollowDown::Fill:
        bottom += extraHeight;
        break;
    }
    return QRect(left, top, right - left, bottom - top);
}

bool IsSmallScreen(const QSize& available) {
    return available.width() < 800 || available.height() < 600;
}

QSize ComfortableClientSize(const QSize& templateSize, const QSize& available, bool growsDown) {
    const auto fit = [](int wanted, int least, int room, int templateLength) {
        const int size = std::min(std::max(wanted, least), room * 9 / 10);
        return std::max(size, templateLength);
    };
    const int width =
        fit(qRound(templateSize.width() * 1.8), 380, available.width(), templateSize.width());
    if (!growsDown) {
        return QSize(width, templateSize.height());
    }
    return QSize(width, fit(qRound(templateSize.height() * 1.8), 500, available.height(),
                            templateSize.height()));
}
