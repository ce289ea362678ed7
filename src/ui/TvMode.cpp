// Switching the audience window on and off: the TV-mode button, Ctrl+T and start-up.
#include "ui/FMain.h"
#include "ui/FMonitor2.h"

#include <QGuiApplication>
#include <QScreen>
#include <QToolButton>

void TFormMain::sbMon2Click() {
    if (!FormMonitor2) {
        sbMon2->setChecked(false);
        Settings.MonitorOn = false;
        return;
    }
    const bool on = sbMon2->isChecked();
    Settings.MonitorOn = on;
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
    if (!TVmode->isEnabled()) return;
    sbMon2->setChecked(!sbMon2->isChecked());
    sbMon2Click();
}

void TFormMain::UpdateTvModeEnabled() {
    const bool twoScreens = QGuiApplication::screens().size() >= 2;
    sbMon2->setEnabled(twoScreens);
    TVmode->setEnabled(twoScreens);
}

void TFormMain::StartTvMode() {
    UpdateTvModeEnabled();
    if (!Settings.MonitorOn || !sbMon2->isEnabled()) {
        Settings.MonitorOn = false;
        return;
    }
    sbMon2->setChecked(true);
    sbMon2Click();
}
