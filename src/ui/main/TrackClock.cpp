#include "ui/main/TrackClock.h"

#include "ui/main/WindowLayout.h"
#include "ui/PanelParts.h"
#include "widgets/QtColors.h"
#include "widgets/Udigit.h"

#include <QLabel>
#include <QPainter>

TTrackClock::TTrackClock(int track, QWidget* parent) : QWidget(parent) {
    setObjectName(track == 0 ? QStringLiteral("PanelT1") : QStringLiteral("PanelT2"));
    SetBackground(this, Colors::clBlack);
    setGeometry(0, 0, Design::TrackPanelWidth, Design::TimerHeight);
    static const int digitLeft[6] = {8, 56, 128, 176, 248, 296};
    for (int i = 0; i < 6; ++i) {
        auto* d = new TDigit(this);
        d->setObjectName(QStringLiteral("Digit%1_%2").arg(track + 1).arg(i));
        d->setGeometry(digitLeft[i], 11, 45, 89);
        d->setThickness(5);
        d->setSeparation(1);
        d->setColor(Colors::clBlack);
        d->setColorOff(Colors::clBlack);
        d->setColorOn(i < 3 ? Colors::clDimGrey : Colors::clYellow);
        m_digits[size_t(i)] = d;
    }
    const bool one = track == 0;
    m_colon = TimeLabel(this, one ? "LabMin1" : "LabMin2", QStringLiteral(":"), "Times New Roman",
                        64, Colors::clDimGrey, QRect(104, 11, 25, 89));
    m_comma = TimeLabel(this, one ? "LabSec1" : "LabSec2", QStringLiteral(","), "Times New Roman",
                        64, Colors::clYellow, QRect(224, 41, 25, 81));
    m_minutes = TimeLabel(this, one ? "Lab1_min" : "Lab2_min", tr("Min."), "Arial", 19,
                          Colors::clDimGrey, QRect(37, 106, 60, 24));
    m_seconds = TimeLabel(this, one ? "Lab1_sek" : "Lab2_sek", tr("Sek."), "Arial", 19,
                          Colors::clYellow, QRect(156, 106, 60, 24));
    m_hundredths = TimeLabel(this, one ? "Lab1_100" : "Lab2_100", QStringLiteral("100"), "Arial",
                             19, Colors::clYellow, QRect(278, 106, 60, 24));
    m_reaction = TimeLabel(this, one ? "LabReact1" : "LabReact2", QString(), "Arial", 11,
                           Colors::clYellow, QRect(4, 0, 120, 13));
    m_reaction->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_reaction->hide();
}

namespace {
// The figures of "F" and "S" in the digit's segment bits.
constexpr quint8 PatternF = 0x01 | 0x02 | 0x08 | 0x20;
constexpr quint8 PatternS = 0x01 | 0x02 | 0x04 | 0x08 | 0x40;
} // namespace

void TTrackClock::ShowFalseStart(bool on) {
    m_falseStart = on;
    m_comma->setVisible(!on);
    for (size_t i = 0; i < 6; ++i) {
        TDigit* d = m_digits[i];
        d->setValueBinary(!on      ? DigitPatterns[size_t(d->Value())]
                          : i == 4 ? PatternF
                          : i == 5 ? PatternS
                                   : quint8(0));
    }
}

void TTrackClock::ShowReaction(const QString& text) {
    m_reaction->setText(text.isEmpty() ? QString() : QStringLiteral("R ") + text);
    m_reaction->setVisible(!text.isEmpty());
}

void TTrackClock::ShowTime(int s, int h, int D) {
    const auto& d = m_digits;
    d[0]->setValue((s / D) / 10);
    d[0]->setColorOn(s >= 10 * D ? Colors::clYellow : Colors::clDimGrey);
    d[1]->setValue((s / D) % 10);
    d[1]->setColorOn(s >= D ? Colors::clYellow : Colors::clDimGrey);
    SetTextColour(m_colon, d[1]->ColorOn());
    SetTextColour(m_minutes, d[1]->ColorOn());
    d[2]->setValue((s % D) / 10);
    d[2]->setColorOn(s > 9 ? Colors::clYellow : Colors::clDimGrey);
    d[3]->setValue(s % 10);
    d[4]->setValue(h / 10);
    d[5]->setValue(h % 10);
}

void TTrackClock::SetMinutesShown(bool minutes) {
    m_colon->setVisible(minutes);
    m_minutes->setVisible(minutes);
    const int left = minutes ? 8 : 32;
    m_digits[0]->move(left, m_digits[0]->y());
    m_digits[1]->move(left + 48, m_digits[1]->y());
}

TDigitRow TTrackClock::Row() const {
    TDigitRow row;
    for (size_t i = 0; i < 6; ++i)
        row.values[i] = m_digits[i]->Value();
    for (size_t i = 0; i < 3; ++i)
        row.lit[i] = m_digits[i]->ColorOn();
    for (size_t i = 0; i < 6; ++i)
        row.patterns[i] = m_digits[i]->ValueBinary();
    row.falseStart = m_falseStart;
    return row;
}

TClockShape TTrackClock::Shape() const {
    TClockShape shape;
    shape.panelWidth = width();
    for (size_t i = 0; i < 6; ++i)
        shape.digits[i] = m_digits[i]->geometry();
    shape.thickness = m_digits[0]->Thickness();
    shape.separator = m_comma->font();
    return shape;
}

void TTrackClock::paintEvent(QPaintEvent*) {
    // The time panels sit in a lowered bevel, like the date panel.
    QPainter p(this);
    const QRect r = rect();
    p.setPen(ToQColor(Colors::clBtnShadow));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(ToQColor(Colors::clBtnHighlight));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}
