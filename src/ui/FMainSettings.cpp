// Moving the settings between the store and the main window.
#include "core/WindowBounds.h"
#include "input/Comms.h"
#include "persist/SettingsGlue.h"
#include "persist/SettingsStore.h"
#include "ui/FMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

void TFormMain::LoadSettings() {
    TSettingsLoad load;
    if (Store) load = ::LoadSettings(*Store, Settings);
    // The window keeps the position the window system chose until a stored one was read; what
    // was stored is fitted to the screens present.
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    const QRect fit =
        FitWindowToScreens(QRect(load.valuesRead >= 2 ? QPoint(Settings.Left, Settings.Top) : pos(),
                                 QSize(load.valuesRead >= 3 ? Settings.Width : width(),
                                       load.valuesRead >= 4 ? Settings.Height : height())),
                           screens);
    if (load.valuesRead >= 2) move(fit.topLeft());
    resize(fit.size());
    ComPort->setPort(quint8(Settings.Port));
    SetTimeFormat(Settings.TimeFormat);
    ApplyAutoTime();
    SetVid(Settings.Vid);
    SetTrackColor(0, Settings.Color1);
    SetTrackColor(1, Settings.Color2);
    cbAllTrasse->setChecked(Settings.AllTrasse);
    SettingsCorrections = load.corrected;
    // The audience window can only be on a display that is there.
    if (Settings.Monitor >= int(QGuiApplication::screens().size())) {
        Settings.Monitor = 0;
        Settings.MonitorOn = false;
    }
}

void TFormMain::SaveSettings() {
    const QRect bounds = normalGeometry().isValid() ? normalGeometry() : geometry();
    Settings.Left = bounds.x();
    Settings.Top = bounds.y();
    Settings.Width = bounds.width();
    Settings.Height = bounds.height();
    Settings.Port = ComPort->Port();
    if (Store) ::SaveSettings(*Store, Settings); // a store that refuses: the program still ends
}
