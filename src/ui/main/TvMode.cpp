// Switching the audience window on and off: the TV-mode button, Ctrl+T and start-up. The one
// flag is Settings.MonitorOn; the button and the window follow it.
#include "ui/audience/FMonitor2.h"
#include "ui/main/FMain.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>

std::unique_ptr<TFormMonitor2> TFormMain::CreateMonitor() {
    auto monitor = std::make_unique<TFormMonitor2>(
        Settings, *Competition, *Run, std::array<const TTrackClock*, 2>{m_clock[0], m_clock[1]});
    FormMonitor2 = monitor.get();
    // Escape or the window system closed it: TV mode is off.
    connect(FormMonitor2, &TFormMonitor2::TvModeReleased, this, [this] {
        Settings.MonitorOn = false;
        m_bar->ShowTvMode(false);
    });
    connect(FormMonitor2, &TFormMonitor2::ScreensChanged, this, &TFormMain::UpdateTvModeEnabled);
    return monitor;
}

void TFormMain::SetTvMode(bool on) {
    if (!FormMonitor2) on = false;
    Settings.MonitorOn = on;
    m_bar->ShowTvMode(on);
    if (!FormMonitor2) return;
    // On the operator's own screen the audience window may keep the keyboard (Escape closes
    // it there); anywhere else it is a display only, and a window manager that focuses each
    // window it maps must not take the operator's keys away to it.
    const bool displayOnly = Settings.Monitor != 0;
    if (on) {
        FormMonitor2->setWindowFlag(Qt::WindowDoesNotAcceptFocus, displayOnly);
        FormMonitor2->setAttribute(Qt::WA_ShowWithoutActivating, displayOnly);
        FormMonitor2->show(); // placed and laid out as it is shown
        FormMonitor2->raise();
        if (!displayOnly) FormMonitor2->activateWindow();
    } else {
        FormMonitor2->CloseTvMode();
    }
    if (displayOnly) activateWindow();
}

void TFormMain::TVmodeClick() {
    if (TVmode->isEnabled()) SetTvMode(!Settings.MonitorOn);
}

void TFormMain::UpdateTvModeEnabled() {
    m_tvPossible = QGuiApplication::screens().size() >= 2;
    m_bar->SetEnabled(TProtocolBar::Tv, m_tvPossible);
    TVmode->setEnabled(m_tvPossible);
}

void TFormMain::StartTvMode() {
    UpdateTvModeEnabled();
    if (!Settings.MonitorOn || !m_tvPossible) {
        Settings.MonitorOn = false;
        return;
    }
    SetTvMode(true);
}
