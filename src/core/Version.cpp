#include "core/Version.h"

// Defined for this file alone, so a new version recompiles one file, not the program.
QString ProgramVersion() {
    return QStringLiteral(VELTARO_VERSION);
}

QDate ProgramReleaseDate() {
    return QDate::fromString(QStringLiteral(VELTARO_RELEASE_DATE), Qt::ISODate);
}
