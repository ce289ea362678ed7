// Where the program's settings are kept.
#include "persist/SettingsGlue.h"

#include "persist/SettingsStore.h"

#include <QCoreApplication>
#include <QFileInfo>

QString ProgramBaseName() {
    const QString path = QCoreApplication::applicationFilePath();
    const QString base = QFileInfo(path).completeBaseName();
    return base.isEmpty() ? QStringLiteral("veltaro") : base;
}

std::unique_ptr<QSettings> MainSettingsStore() {
    return OpenSettingsStore(ProgramBaseName());
}
