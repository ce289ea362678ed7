#pragma once
// Reading and writing the user settings (core/Settings.h): their stored names, valid ranges and
// reading order stand in one table (SettingsStore.cpp). Read once at start-up, written once at
// exit.
#include "core/Settings.h"

#include <memory>
#include <QSettings>
#include <QString>
#include <QStringList>

// Windows: the registry key HKEY_CURRENT_USER\Software\Tavoleno\<programBaseName>.
// Elsewhere: the INI file <generic config folder>/Tavoleno/<programBaseName>.conf; null (no
// store: defaults, nothing written) when something other than a file stands at that path.
std::unique_ptr<QSettings> OpenSettingsStore(const QString& programBaseName);

// How a stored number must look: the registry holds numbers as REG_DWORD (an int), a text
// file holds them as decimal text.
enum class TNumberRule { IntOnly, IntOrDecimalText };
// IntOnly for the Windows registry, IntOrDecimalText for every file-based store.
TNumberRule NumberRuleFor(const QSettings& store);

struct TSettingsLoad {
    bool keyFound = false;
    int valuesRead = 0;    // values taken from the store, in reading order
    QStringList corrected; // one line per value outside its range, e.g. "Vid 9 -> 2"
};

// Reads in the reading order and stops at the first missing or ill-typed value: that value and
// all later ones keep what s holds. A missing "Title" reads as empty and does not stop.
// Values outside their ranges are replaced by the nearest valid value and listed.
TSettingsLoad LoadSettings(QSettings& store, TSettings& s);
TSettingsLoad LoadSettings(QSettings& store, TSettings& s, TNumberRule rule);
// Writes every value in the writing order; numbers and booleans as ints, "Title" as text.
// Returns false when the store cannot be written.
bool SaveSettings(QSettings& store, const TSettings& s);

QStringList SettingsReadingOrder();
QStringList SettingsWritingOrder();
