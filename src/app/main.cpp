// The composition root: the settings store, the contact port and the run are made here and
// handed to the windows, which make none of them themselves.
#include "app/SelfTest.h"
#include "core/Version.h"
#include "persist/ContactLog.h"
#include "persist/Journal.h"
#include "persist/SettingsGlue.h"
#include "persist/SettingsStore.h"
#include "ui/AppForms.h"
#include "ui/live/LiveGlue.h"
#include "ui/main/FMain.h"
#include "ui/settings/Cfg.h"

#include <cstdio>
#include <cstring>
#include <QApplication>
#include <QLocale>
#include <QStandardPaths>
#ifdef Q_OS_WIN
#include "ui/help/HtmlHelpWin32.h"
#endif

namespace {
int RunCompetition() {
    TAppParts parts(MainSettingsStore());
    // Outlives the window: its end marks the session as ended cleanly.
    TJournal journal(TJournal::DefaultFolder());
    // In the data folder beside the journal; outlives the window, which logs until its end.
    TContactLog contactLog(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    TAppForms forms(parts, nullptr);
    forms.StartTvMode();
    forms.FormMain->show();
    TLiveGlue live(*forms.FormMain, *parts.Live);
    live.Attach(forms.CfgDialog->LiveGroup());
    forms.FormMain->StartContactLog(contactLog);
    forms.FormMain->StartJournal(journal);
    const int rc = QApplication::exec();
    forms.FormMain->Shutdown();
    return rc; // the main window then goes, writing the settings and closing the port
}
} // namespace

int main(int argc, char** argv) {
    // The smoke options of an installation. --version needs no display, so it is answered
    // before anything looks for one; --self-test shows its window off screen unless told
    // otherwise.
    bool selfTest = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("veltaro %s\n", qPrintable(ProgramVersion()));
            return 0;
        }
        selfTest = selfTest || std::strcmp(argv[i], "--self-test") == 0;
    }
    if (selfTest && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef Q_OS_WIN
    // The help viewer is loaded before anything else, as the help system's own start-up;
    // without it the program runs on without help.
    HtmlHelpLoad();
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(ProgramVersion());
    // The per-user data folder (where the exit copy goes when the program's own folder is
    // not writable) is named after these.
    QApplication::setOrganizationName(QStringLiteral("Tavoleno"));
    QApplication::setApplicationName(QStringLiteral("TL-Veltaro"));
    // The language is read before any window is made, with the same rules the main window
    // reads the settings by; it takes effect at the next start after a change.
    TSettings stored;
    if (const auto store = MainSettingsStore()) LoadSettings(*store, stored);
    InstallProgramTranslation(stored.Lang);
    const bool english = ProgramLanguage() == 1;
    // The standard dialogs speak the operator's language, as the program's own texts do;
    // in English they keep Qt's own texts.
    InstallQtTranslation(english ? QLocale(QLocale::English) : QLocale::system());
    const int rc = selfTest ? RunSelfTest() : RunCompetition();
#ifdef Q_OS_WIN
    HtmlHelpUnload();
#endif
    return rc;
}
