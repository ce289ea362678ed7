#pragma once
// The program's windows, made in the order they rely on one another: the main window (whose
// creation loads the settings, applies the mode and probes the ports), the settings dialog
// (its port list comes from that probe), the info box, and the audience window. All but the
// audience window live as long as the main window; the audience window goes first, since it
// reads from the main window while it lives.
#include <memory>
#include <QLocale>
#include <QStringList>

class TCfgDialog;
class TDialogs;
class TFormMain;
class TFormMonitor2;
struct TAppParts;

class TAppForms {
public:
    TAppForms(TAppParts& parts, TDialogs* dialogs);
    ~TAppForms();
    TAppForms(const TAppForms&) = delete;
    TAppForms& operator=(const TAppForms&) = delete;

    // With TV mode stored as on and a second display: the TV button pressed, the main window
    // shown, then the audience window. A failure here only leaves TV mode off.
    void StartTvMode();

    std::unique_ptr<TFormMain> FormMain;
    TCfgDialog* CfgDialog = nullptr; // a child of the main window
    std::unique_ptr<TFormMonitor2> FormMonitor2;
    QStringList Created; // the forms' names in the order they were made
};

// Loads Qt's own translation for the locale (the standard dialogs' buttons and texts: "Ja",
// "Nein", "Abbrechen" on a German system) into the application. False when Qt has none for it.
bool InstallQtTranslation(const QLocale& locale);

// The program's own texts in the language of the setting "Lang": 0 German (the texts as
// written in the sources, no catalogue), 1 English (the catalogue built into the program).
// Any other value is German. To be called before the windows are made: they take their texts
// when they are built. False for a value other than 0 and 1 or a catalogue that would not load.
bool InstallProgramTranslation(int lang);
// The language installed last: 0 German, 1 English (the help pages follow it).
int ProgramLanguage();
