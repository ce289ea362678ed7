#pragma once
#include <functional>
#include <memory>
#include <QSettings>

// The settings store the main window reads at creation and writes at destruction: the
// program's own key.
std::unique_ptr<QSettings> MainSettingsStore();

// The program file's name without folder and extension ("veltaro"): names the settings key.
QString ProgramBaseName();
