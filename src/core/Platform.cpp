#include "core/Platform.h"

#ifdef Q_OS_WIN
#include <QHash>
#include <QSettings>
#endif

bool OfficeServerRegistered(const QString& progId) {
#ifdef Q_OS_WIN
    // Asked after every change of the protocol; the registry is read once per identifier.
    static QHash<QString, bool> known;
    const auto it = known.constFind(progId);
    if (it != known.constEnd()) return *it;
    QSettings classes(QStringLiteral("HKEY_CLASSES_ROOT\\") + progId, QSettings::NativeFormat);
    const bool found = classes.childGroups().contains(QStringLiteral("CLSID"), Qt::CaseInsensitive);
    known.insert(progId, found);
    return found;
#else
    return progId == QLatin1String("Excel.Application") || progId == QLatin1String("Word.Basic");
#endif
}
