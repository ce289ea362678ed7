#pragma once
// The user settings: names, types, defaults and valid ranges stand in one table
// (SettingsStore.cpp). Read once at start-up, written once at exit.
#include "core/Colors.h"

#include <memory>
#include <QSettings>
#include <QString>
#include <QStringList>

struct TSettings {
    TSettings(); // every value at its default

    int Left, Top, Width, Height; // main window bounds
    int Port;                     // COMn of the contacts, 0 = none
    int Alg1, Alg2, Alg3;         // contact polarity: 0 "ON", 1 "OFF"
    int CountBahn;                // tracks in use, 1..2
    int FilterInd;                // 1-based file type index of the file dialogs
    int TimerGesperrt;            // start lock-out, ms
    int AllLaufe;                 // carried through unchanged
    int CountZabegov;             // runs per participant, 1..6
    int Monitor;                  // display of the audience window
    bool MonitorOn;               // audience window shown at start-up
    int TimeFormat;               // 0 "SSSS,ss", 1 "MM:SS,ss"
    int AutoTime;                 // auto-reset delay, ms
    int Vid;                      // competition mode 0..3
    TColor Color1, Color2;        // track colours
    int KlassCol;                 // class-column priority for places, 0..5
    bool AllTrasse;               // "Auf allen Strecken"
    QString Title;                // competition title
    bool isPlaySound, isPlaySound1, isPlaySound2;
    int Lang; // carried through unchanged
    // The live results on the network: off until switched on; an empty address listens on all
    // interfaces, so that phones in the hall reach it once the box is ticked.
    bool LiveOn;
    int LivePort;
    QString LiveBind;
    // How a result is made of the runs: 0 the sum ("Summe"), 1 the best run ("Bestzeit").
    int Ranking;
    // The largest finals bracket: 4, 8 or 16 places.
    int BracketSize;
};

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
