// The composition root: the settings store, the contact port and the run are made here and
// handed to the windows, which make none of them themselves.
#include "persist/ContactLog.h"
#include "persist/Journal.h"
#include "persist/SettingsGlue.h"
#include "ui/AppForms.h"
#include "ui/live/LiveGlue.h"
#include "ui/main/FMain.h"
#include "ui/settings/Cfg.h"

#include <QApplication>
#include <QLocale>
#include <QStandardPaths>
#ifdef Q_OS_WIN
#include "ui/help/HtmlHelpWin32.h"
#endif

int main(int argc, char** argv) {
#ifdef Q_OS_WIN
    // The help viewer is loaded before anything else, as the help system's own start-up;
    // without it the program runs on without help.
    HtmlHelpLoad();
#endif
    QApplication app(argc, argv);
    // The per-user data folder (where the exit copy goes when the program's own folder is
    // not writable) is named after these.
    QApplication::setOrganizationName(QStringLiteral("Tavoleno"));
    QApplication::setApplicationName(QStringLiteral("TL-Veltaro"));
    // The standard dialogs speak the operator's language, as the program's own texts do.
    InstallQtTranslation(QLocale::system());
    TAppParts parts(MainSettingsStore());
    // Outlives the window: its end marks the session as ended cleanly.
    TJournal journal(TJournal::DefaultFolder());
    // In the data folder beside the journal; outlives the window, which logs until its end.
    TContactLog contactLog(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    int rc = 0;
    {
        TAppForms forms(parts, nullptr);
        forms.StartTvMode();
        forms.FormMain->show();
        TLiveGlue live(*forms.FormMain, *parts.Live);
        live.Attach(forms.CfgDialog->LiveGroup());
        forms.FormMain->StartContactLog(contactLog);
        forms.FormMain->StartJournal(journal);
        rc = app.exec();
        forms.FormMain->Shutdown();
    } // the main window writes the settings and closes the port as it goes
#ifdef Q_OS_WIN
    HtmlHelpUnload();
#endif
    return rc;
}
