#include "ui/main/CommandColumn.h"

#include "ui/main/WindowLayout.h"
#include "ui/PanelParts.h"
#include "widgets/BeamImage.h"
#include "widgets/BitBtnWithColor.h"

#include <algorithm>
#include <QTimer>
#include <QToolButton>

TCommandColumn::TCommandColumn(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Panel7"));
    SetBackground(this, Colors::clSkyBlue);
    m_startPart = Named(new QWidget(this), "Panel5");
    m_startBeam = Named(new TImageLS(m_startPart), "ImageLSstart");
    m_startBeam->setToolTip(tr("Start-LS Sperre"));
    m_start = Named(new TBitBtnWithColor(QStringLiteral("START"), m_startPart), "bSTART");
    m_start->setToolTip(QStringLiteral("[F8]"));
    // Hidden helpers for long runs: move the start an hour or nine minutes back.
    auto* hour = Named(new QToolButton(m_startPart), "Button1");
    hour->setText(tr("+ 1 Std."));
    hour->hide();
    auto* nine = Named(new QToolButton(m_startPart), "Button2");
    nine->setText(tr("+ 9 Min."));
    nine->hide();

    m_leftPart = Named(new QWidget(this), "PanelLE");
    m_rightPart = Named(new QWidget(this), "PanelRI");
    m_beam1 = Named(new TImageLS(m_leftPart), "ImageLS1");
    m_beam1->setToolTip(QStringLiteral("[F11] Блокировка луча СТОП1"));
    m_stop1 = Named(new TBitBtnWithColor(QStringLiteral("STOP1"), m_leftPart), "bSTOP1");
    m_stop1->setToolTip(QStringLiteral("[F4]"));
    m_beam2 = Named(new TImageLS(m_rightPart), "ImageLS2");
    m_beam2->setToolTip(QStringLiteral("[F12] Блокировка луча СТОП2"));
    m_stop2 = Named(new TBitBtnWithColor(QStringLiteral("STOP2"), m_rightPart), "bSTOP2");
    m_stop2->setToolTip(QStringLiteral("[F6]"));

    // Above the stop parts, in the middle of the column's bottom.
    m_abort = Named(new TBitBtnWithColor(tr("ABBRECHEN"), this), "bAbbruch");
    m_abort->setToolTip(QStringLiteral("[Ctrl+X]"));
    m_abort->setFontColor(Colors::clYellow);

    int beam = 0;
    for (TImageLS* image : {m_startBeam, m_beam1, m_beam2}) {
        image->hide(); // shown while the contact port is open
        image->OnClick = [this, beam] { emit BeamClicked(beam); };
        ++beam;
    }
    m_start->OnClick = [this] { emit StartClicked(); };
    m_start->OnMouseDown = [this](Qt::MouseButton) { emit Pressed(Start); };
    m_stop1->OnMouseDown = [this](Qt::MouseButton) { emit Pressed(Stop1); };
    m_stop2->OnMouseDown = [this](Qt::MouseButton) { emit Pressed(Stop2); };
    // STOP acts on the press only: a keyboard "click" of a focused STOP button does nothing.
    m_stop1->setAutoDefault(false);
    m_stop2->setAutoDefault(false);
    m_abort->OnClick = [this] { emit AbortClicked(); }; // the run refuses when it cannot
    m_blinkTimer = new QTimer(this);
    m_blinkTimer->setInterval(150);
    connect(m_blinkTimer, &QTimer::timeout, this, [this] {
        const std::array<TImageLS*, 3> images{m_startBeam, m_beam1, m_beam2};
        bool more = false;
        for (size_t b = 0; b < 3; ++b) {
            if (m_blinks[b] == 0) continue;
            --m_blinks[b];
            // Ends on the picture the beam's state asks for.
            images[b]->ShowImage((m_blinks[b] % 2 == 1) != m_armed[b] ? 1 : 0);
            more = more || m_blinks[b] > 0;
        }
        if (!more) m_blinkTimer->stop();
    });
    connect(hour, &QToolButton::clicked, this, [this] { emit StartShifted(3540000u); });
    connect(nine, &QToolButton::clicked, this, [this] { emit StartShifted(540000u); });
}

TBitBtnWithColor* TCommandColumn::Button(TCommand command) const {
    switch (command) {
    case Start:
        return m_start;
    case Stop1:
        return m_stop1;
    case Stop2:
        return m_stop2;
    case Abort:
        break;
    }
    return m_abort;
}

void TCommandColumn::SetCommand(TCommand command, bool enabled, TColor faceWhenEnabled) {
    TBitBtnWithColor* button = Button(command);
    button->setEnabled(enabled);
    button->setColor(enabled ? faceWhenEnabled : Colors::clBtnFace);
}

void TCommandColumn::Focus(TCommand command) {
    Button(command)->setFocus();
}

void TCommandColumn::SetTwoTracks(bool two) {
    m_two = two;
    m_rightPart->setVisible(two);
    m_stop1->setText(two ? QStringLiteral("STOP1") : QStringLiteral("STOP"));
}

void TCommandColumn::LayOut() {
    const int w = width();
    const int lower = Design::TimerHeight - Design::Panel5Height;
    m_startPart->setGeometry(0, 0, w, Design::Panel5Height);
    // The start lock picture above START; START at the bottom of its part.
    m_startBeam->move((w - m_startBeam->width()) / 2, 1);
    m_start->setGeometry((w - Design::StartWidth) / 2,
                         Design::Panel5Height - Design::ButtonHeight - 1, Design::StartWidth,
                         Design::ButtonHeight);
    if (m_two) {
        const int part = StopPartWidth(w);
        m_leftPart->setGeometry(0, Design::Panel5Height, part, lower);
        m_rightPart->setGeometry(w - part, Design::Panel5Height, part, lower);
    } else {
        m_leftPart->setGeometry(0, Design::Panel5Height, w, lower);
    }
    m_stop1->setGeometry(2, 1, std::max(m_leftPart->width() - 4, 0), Design::ButtonHeight);
    m_stop2->setGeometry(m_rightPart->width() - m_stop1->width() - 2, 1, m_stop1->width(),
                         Design::ButtonHeight);
    // The lock pictures sit in the lower corners, beside ABBRECHEN.
    m_beam1->move(2, Design::ButtonHeight + 3);
    m_beam2->move(m_rightPart->width() - m_beam2->width() - 2, Design::ButtonHeight + 3);
    m_abort->setGeometry(AbortGeometry(w));
    m_abort->raise();
}

void TCommandColumn::SetBeamsShown(bool shown) {
    for (TImageLS* image : {m_startBeam, m_beam1, m_beam2})
        image->setVisible(shown);
}

void TCommandColumn::ShowBeams(bool startArmed, bool stop1Armed, bool stop2Armed) {
    m_armed = {startArmed, stop1Armed, stop2Armed};
    m_startBeam->ShowImage(startArmed ? 1 : 0);
    m_beam1->ShowImage(stop1Armed ? 1 : 0);
    m_beam2->ShowImage(stop2Armed ? 1 : 0);
}

void TCommandColumn::FlashBeam(int beam) {
    if (beam < 0 || beam > 2) return;
    m_blinks[size_t(beam)] = 6;
    if (!m_blinkTimer->isActive()) m_blinkTimer->start();
}
