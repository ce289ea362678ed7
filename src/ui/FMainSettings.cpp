// Moving the settings between the store and the main window.
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
    TSettings s;
    const auto store = MainSettingsStore();
    TSettingsLoad load;
    if (store) load = ::LoadSettings(*store, s);
    // The window keeps the position the window system chose until a stored one was read.
    if (load.valuesRead >= 2) move(s.Left, s.Top);
    resize(load.valuesRead >= 3 ? s.Width : width(), load.valuesRead >= 4 ? s.Height : height());
    ComPort->setPort(quint8(s.Port));
    Alg1 = s.Alg1;
    Alg2 = s.Alg2;
    Alg3 = s.Alg3;
    CountBahn = s.CountBahn;
    FilterInd = s.FilterInd;
    SetTimerGesperrt(s.TimerGesperrt);
    AllLaufe = s.AllLaufe;
    CountZabegov = s.CountZabegov;
    Monitor = s.Monitor;
    MonitorOn = s.MonitorOn;
    SetTimeFormat(s.TimeFormat);
    SetAutoTime(s.AutoTime);
    cbVid->setCurrentIndex(s.Vid);
    SetTrackColor(0, s.Color1);
    SetTrackColor(1, s.Color2);
    KlassCol = s.KlassCol;
    cbAllTrasse->setChecked(s.AllTrasse);
    Title = s.Title;
    isPlaySound = s.isPlaySound;
    isPlaySound1 = s.isPlaySound1;
    isPlaySound2 = s.isPlaySound2;
    Lang = s.Lang;
    SettingsCorrections = load.corrected;
    // The audience window can only be on a display that is there.
    if (Monitor >= int(QGuiApplication::screens().size())) {
        Monitor = 0;
        MonitorOn = false;
    }
}

void TFormMain::SaveSettings() {
    TSettings s;
    const QRect bounds = normalGeometry().isValid() ? normalGeometry() : geometry();
    s.Left = bounds.x();
    s.Top = bounds.y();
    s.Width = bounds.width();
    s.Height = bounds.height();
    s.Port = ComPort->Port();
    s.CountBahn = CountBahn;
    s.FilterInd = FilterInd;
    s.Alg1 = Alg1;
    s.Alg2 = Alg2;
    s.Alg3 = Alg3;
    s.TimerGesperrt = TimerGesperrt();
    s.CountZabegov = CountZabegov;
    s.AllLaufe = AllLaufe;
    s.Monitor = Monitor;
    s.MonitorOn = MonitorOn;
    s.TimeFormat = TimeFormat;
    s.AutoTime = AutoTime();
    s.Vid = Vid();
    s.Color1 = TrackColor(0);
    s.Color2 = TrackColor(1);
    s.KlassCol = KlassCol;
    s.AllTrasse = cbAllTrasse->isChecked();
    s.Title = Title;
    s.isPlaySound = isPlaySound;
    s.isPlaySound1 = isPlaySound1;
    s.isPlaySound2 = isPlaySound2;
    s.Lang = Lang;
    const auto store = MainSettingsStore();
    if (store) ::SaveSettings(*store, s); // a store that refuses: the program still ends
}
