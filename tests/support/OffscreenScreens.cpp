#include "OffscreenScreens.h"

#include <QGuiApplication>
#include <qpa/qplatformnativeinterface.h>
#include <qpa/qwindowsysteminterface.h>

bool SetOffscreenScreens(const QList<QRect>& screens) {
    // The offscreen plugin of Qt 6.4 hands out its configuration functions through its native
    // interface, which is also their argument. Their shape is not a published interface, so
    // they are used only on the release series they were checked against.
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) return false;
    if (!QByteArray(qVersion()).startsWith("6.4.")) return false;
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    if (!native) return false;
    using SetFn = void (*)(const QJsonObject&, QPlatformNativeInterface*);
    auto set = reinterpret_cast<SetFn>(native->nativeResourceForIntegration("setConfiguration"));
    if (!set) return false;
    set(OffscreenConfiguration(screens), native);
    return true;
}

bool CloseFromWindowSystem(QWindow* window) {
    const bool queued = QWindowSystemInterface::handleCloseEvent(window);
    QWindowSystemInterface::flushWindowSystemEvents();
    return queued;
}
