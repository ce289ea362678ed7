#pragma once
#include <functional>
#include <memory>
#include <QSettings>

// The settings store the main window reads at creation and writes at destruction: the
// program's own key, unless a test has pointed it elsewhere.
std::unique_ptr<QSettings> MainSettingsStore();
void SetMainSettingsStoreFactory(std::function<std::unique_ptr<QSettings>()> factory);

// The program file's name without folder and extension ("veltaro"): names the settings key.
QString ProgramBaseName();
