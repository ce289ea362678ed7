#pragma once
// One track's running time: six seven-segment digits with the colon, the comma and the unit
// labels under them, in a lowered bevel. The race clock's tick writes it; the audience window
// copies what it shows and scales its own digits from its shape.
#include "core/Colors.h"

#include <array>
#include <QFont>
#include <QRect>
#include <QWidget>

class QLabel;
class TDigit;

// What a track's digits show: the six values and the lit colour of the first three (the
// leading places stay dim until the time reaches them).
struct TDigitRow {
    std::array<int, 6> values{};
    std::array<TColor, 3> lit{};
    std::array<quint8, 6> patterns{}; // what is drawn: the values' figures, or "FS"
    bool falseStart = false;          // "FS" shown: no comma between the letters
};

// What the audience window scales from.
struct TClockShape {
    int panelWidth = 0;
    std::array<QRect, 6> digits{}; // relative to the panel, left to right
    int thickness = 5;
    QFont separator; // the comma's
};

class TTrackClock : public QWidget {
    Q_OBJECT
public:
    TTrackClock(int track, QWidget* parent);

    // s whole seconds and h hundredths; divisor 60 shows minutes in the first two places.
    void ShowTime(int s, int h, int divisor);
    void SetMinutesShown(bool minutes);
    // A false start: "FS" in the last two places, the others dark, until switched off.
    void ShowFalseStart(bool on);
    bool FalseStartShown() const { return m_falseStart; }
    // The reaction beside the digits ("R 0,143"); empty hides it.
    void ShowReaction(const QString& text);
    TDigitRow Row() const;
    TClockShape Shape() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<TDigit*, 6> m_digits{};
    QLabel *m_colon, *m_comma, *m_minutes, *m_seconds, *m_hundredths, *m_reaction;
    bool m_falseStart = false;
};
