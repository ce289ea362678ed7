#include "ui/Fonts.h"

#include <QFont>
#include <QFontDatabase>

QStringList DesignFontStandIns(const QString& family) {
    // "MS Sans Serif" has no metric twin; at its 11 pixels Arial's twin comes closest in width.
    static const struct {
        const char* family;
        const char* standIns;
    } table[] = {
        {"MS Sans Serif", "Liberation Sans,Arimo,Arial"},
        {"Arial", "Liberation Sans,Arimo"},
        {"Times New Roman", "Liberation Serif,Tinos"},
        {"Courier New", "Liberation Mono,Cousine"},
        {"Courier", "Liberation Mono,Cousine,Courier New"},
    };
    for (const auto& entry : table)
        if (family.compare(QLatin1String(entry.family), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(entry.standIns).split(QLatin1Char(','));
    return {};
}

void InstallFontSubstitutes() {
    static bool done = false;
    if (done) return;
    done = true;
    const QStringList installed = QFontDatabase::families();
    for (const char* family :
         {"MS Sans Serif", "Arial", "Times New Roman", "Courier New", "Courier"}) {
        const QString name = QString::fromLatin1(family);
        if (installed.contains(name, Qt::CaseInsensitive)) continue;
        QStringList present;
        for (const QString& standIn : DesignFontStandIns(name))
            if (installed.contains(standIn, Qt::CaseInsensitive)) present << standIn;
        if (!present.isEmpty()) QFont::insertSubstitutions(name, present);
    }
}
