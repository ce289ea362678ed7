#include "ui/main/WindowLayout.h"

#include <algorithm>

TRowParts SelectionRowWidths(int rowWidth, int towers) {
    const int w = std::max(rowWidth, 0);
    TRowParts parts;
    if (towers >= 2) {
        parts.left = std::max((w - 180) / 2, 0);
        parts.right = parts.left;
    } else {
        parts.right = 160;
        parts.left = std::max(w - 160 - Design::MiddleWidth, 0);
    }
    parts.middle = std::max(w - parts.left - parts.right, 0);
    return parts;
}

int StopPartWidth(int middleWidth) {
    return std::max(middleWidth / 2 - 2, 0);
}

QRect DockedMiddleColumn(int clientWidth) {
    const int w = std::max(clientWidth - 2 * Design::TrackPanelWidth, 0);
    return QRect(Design::TrackPanelWidth, 0, w, Design::TimerHeight);
}

QRect FillerGeometry(int clientWidth) {
    return QRect(Design::FillerLeft, 0, std::max(clientWidth - Design::FillerLeft, 0),
                 Design::TimerHeight);
}

QRect AbortGeometry(int middleWidth) {
    // At the design's middle column of 188 the button is 112 wide, 38 pixels from either side.
    const int w = std::clamp(middleWidth - 76, Design::AbortWidth, Design::AbortMaxWidth);
    return QRect((middleWidth - w) / 2, Design::TimerHeight - Design::ButtonHeight - 2, w,
                 Design::ButtonHeight);
}

std::array<int, 14> ProtocolColumnWidths(int clientWidth, int timeFormat, int runs) {
    const int T = 76 + 11 * (timeFormat == 0 ? 0 : 1);
    std::array<int, 14> w{};
    w[0] = 52;
    w[1] = 180;
    w[3] = 60;
    w[4] = 60;
    w[5] = T;
    for (int c = 6; c <= 10; ++c)
        w[c] = runs > c - 5 ? T : -1;
    w[11] = 84;
    w[12] = 46;
    w[13] = -1;
    int others = 0;
    for (int c = 0; c < 14; ++c)
        if (c != 2) others += w[c];
    int ort = clientWidth - others - 14;
    const int shared = w[1] + ort;
    if (shared > 60) {
        w[1] = (shared / 3) * 2;
        ort = shared - w[1];
    }
    // Too narrow a grid would leave "Ort" a negative width, which has no meaning: it then
    // shrinks to nothing and the grid scrolls sideways to the rest.
    w[2] = std::max(ort, 0);
    return w;
}

QRect CalendarGeometry(const QRect& datePanel) {
    return QRect(datePanel.left() - Design::CalendarWidth + 144, 0, Design::CalendarWidth,
                 Design::CalendarHeight);
}

QString ShortDateFormatFourDigitYear(const QLocale& locale) {
    QString f = locale.dateFormat(QLocale::ShortFormat);
    if (f.contains(QLatin1String("yyyy"))) return f;
    const int at = f.indexOf(QLatin1String("yy"));
    if (at >= 0) f.replace(at, 2, QStringLiteral("yyyy"));
    return f;
}

QString ShortTimeFormatWithoutSeconds(const QLocale& locale) {
    QString f = locale.timeFormat(QLocale::ShortFormat);
    // Some locales (the "C" locale among them) give seconds even in their short form; the
    // panel refreshes every five seconds, so seconds would only be wrong.
    const int at = f.indexOf(QLatin1String("ss"));
    if (at > 0) {
        int from = at;
        while (from > 0 && !f.at(from - 1).isLetter() && f.at(from - 1) != QLatin1Char('\''))
            --from;
        int to = at + 2;
        while (to < f.size() && (f.at(to) == QLatin1Char('z') || f.at(to) == QLatin1Char('.')))
            ++to;
        f.remove(from, to - from);
    }
    return f;
}

QString DatePanelText(const QDateTime& now, const QLocale& locale) {
    return locale.toString(now.date(), ShortDateFormatFourDigitYear(locale)) +
           QStringLiteral("   ") +
           locale.toString(now.time(), ShortTimeFormatWithoutSeconds(locale));
}

namespace {
std::function<QDateTime()>& WallClock() {
    static std::function<QDateTime()> clock;
    return clock;
}
} // namespace

QDateTime WallClockNow() {
    return WallClock() ? WallClock()() : QDateTime::currentDateTime();
}

void SetWallClock(std::function<QDateTime()> clock) {
    WallClock() = std::move(clock);
}
