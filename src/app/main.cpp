// The composition root: the settings store, the contact port and the run are made here and
// handed to the window, which makes none of them itself.
#include "persist/SettingsGlue.h"
#include "ui/FMain.h"
#include "ui/FMonitor2.h"
#include "ui/LiveGlue.h"

#include <QApplication>
#ifdef Q_OS_WIN
#include "app/HtmlHelpWin32.h"
#endif

int main(int argc, char** argv) {
#ifdef Q_OS_WIN
    // The help viewer is loaded before anything else, as the help system's own start-up;
    // without it the program runs on without help.
    HtmlHelpLoad();
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TL-Veltaro"));
    TAppParts parts(MainSettingsStore());
    int rc = 0;
    {
        TFormMain w(parts, nullptr);
        w.show();
        // Destroyed before the main window, which it reads from while it lives.
        TFormMonitor2 monitor(&w);
        w.FormMonitor2 = &monitor;
        w.StartTvMode();
        TLiveGlue live(w, *parts.Live);
        rc = app.exec();
        w.Shutdown();
    } // the window writes the settings as it goes
#ifdef Q_OS_WIN
    HtmlHelpUnload();
#endif
    return rc;
}
