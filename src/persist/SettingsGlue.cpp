// Where the program's settings are kept.
#include "persist/SettingsGlue.h"

#include "persist/SettingsStore.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {
std::function<std::unique_ptr<QSettings>()>& Factory() {
    static std::function<std::unique_ptr<QSettings>()> factory;
    return factory;
}
} // namespace

QString ProgramBaseName() {
    const QString path = QCoreApplication::applicationFilePath();
    const QString base = QFileInfo(path).completeBaseName();
    return base.isEmpty() ? QStringLiteral("veltaro") : base;
}

std::unique_ptr<QSettings> MainSettingsStore() {
    if (Factory()) return Factory()();
    return OpenSettingsStore(ProgramBaseName());
}

void SetMainSettingsStoreFactory(std::function<std::unique_ptr<QSettings>()> factory) {
    Factory() = std::move(factory);
}

