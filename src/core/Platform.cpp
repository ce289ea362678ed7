#include "core/Platform.h"

#ifdef Q_OS_WIN
#include <QSettings>
#endif

bool OfficeServerRegistered(const QString& progId) {
#ifdef Q_OS_WIN
    QSettings classes(QStringLiteral("HKEY_CLASSES_ROOT\\") + progId, QSettings::NativeFormat);
    return classes.childGroups().contains(QStringLiteral("CLSID"), Qt::CaseInsensitive);
#else
    Q_UNUSED(progId);
    return false;
#endif
}
