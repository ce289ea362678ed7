// Moving the settings between the store and the main window.
#include "core/WindowBounds.h"
#include "input/Comms.h"
#include "persist/SettingsGlue.h"
#include "persist/SettingsStore.h"
#include "ui/main/FMain.h"
#include "ui/main/ModeBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

void TFormMain::LoadSettings() {
    TSettingsLoad load;
    if (Store) load = ::LoadSettings(*Store, Settings);
    // The window keeps the position the window system chose and its design size until stored
    // ones were read; what was stored is fitted to the screens present.
    const QRect design(pos(), size());
    QRect bounds = design;
    // Each edge counts as soon as it was read: a store that ends after "Left" still places
    // the window's left edge.
    if (load.valuesRead >= 1) bounds.moveLeft(Settings.Left);
    if (load.valuesRead >= 2) bounds.moveTop(Settings.Top);
    if (load.valuesRead >= 3) bounds.setWidth(Settings.Width);
    if (load.valuesRead >= 4) bounds.setHeight(Settings.Height);
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    const QRect fit = FitWindowToScreens(bounds, screens);
    if (load.valuesRead >= 1) move(fit.topLeft());
    resize(load.valuesRead >= 3 ? fit.width() : design.width(),
           load.valuesRead >= 4 ? fit.height() : design.height());
    ComPort->setPort(quint8(Settings.Port));
    SetTimeFormat(Settings.TimeFormat);
    SetVid(Settings.Vid);
    SetTrackColor(0, Settings.Color1);
    SetTrackColor(1, Settings.Color2);
    ShowAllTracksBox();
    SettingsCorrections = load.corrected;
}

QRect StoredWindowBounds(const QRect& client, const QRect& frame, const QRect& normalClient) {
    // move() places the frame and resize() sizes the client, so the stored position is the
    // frame's and the size the client's; saving the client's position would move the window
    // by its title bar at every start. A maximised window keeps its normal bounds.
    const QPoint border = client.topLeft() - frame.topLeft();
    const QRect normal = normalClient.isValid() ? normalClient : client;
    return QRect(normal.topLeft() - border, normal.size());
}

void TFormMain::SaveSettings() {
    const QRect bounds = StoredWindowBounds(geometry(), frameGeometry(), normalGeometry());
    Settings.Left = bounds.x();
    Settings.Top = bounds.y();
    Settings.Width = bounds.width();
    Settings.Height = bounds.height();
    Settings.Port = ComPort->Port();
    // Stored for the next start; while the program runs the competition owns both.
    Settings.Vid = Competition->Mode();
    Settings.CountBahn = Competition->CountBahn();
    if (Store) ::SaveSettings(*Store, Settings); // a store that refuses: the program still ends
}
