#pragma once
// Screens for the offscreen platform, so a test, a benchmark or the snapshot tool can put the
// audience window on a second monitor of a chosen size without a display.
#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QRect>
#include <QString>

// The platform's screen list as its config file and run-time configuration describe it.
inline QJsonObject OffscreenConfiguration(const QList<QRect>& screens) {
    QJsonArray list;
    // The platform tells screens apart by name: a name from the geometry lets a screen that
    // stays keep its identity when others come or go.
    for (const QRect& r : screens)
        list.append(QJsonObject{
            {"name", QString::asprintf("Screen %d,%d %dx%d", r.x(), r.y(), r.width(), r.height())},
            {"x", r.x()},
            {"y", r.y()},
            {"width", r.width()},
            {"height", r.height()},
            {"logicalDpi", 96},
            {"logicalBaseDpi", 96},
            {"dpr", 1}});
    return QJsonObject{{"screens", list}};
}

// Call before the QApplication is made: the offscreen platform then starts with these screens
// (in this order: the first is screen 0). The file must exist until the application is made.
inline bool UseOffscreenScreens(const QList<QRect>& screens, const QString& configFile) {
    QFile f(configFile);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(QJsonDocument(OffscreenConfiguration(screens)).toJson());
    f.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(configFile));
    return true;
}

// While running: replaces the offscreen platform's screens, as if monitors were plugged in or
// pulled out (screens that go are removed, new ones added). False where the platform offers
// no way to do that; the caller should then skip.
bool SetOffscreenScreens(const QList<QRect>& screens);

class QWindow;
// Closes a window the way the window system does when the user asks (Alt+F4, a close button).
bool CloseFromWindowSystem(QWindow* window);
