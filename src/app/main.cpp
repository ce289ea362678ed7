// The composition root: the settings store, the contact port and the run are made here and
// handed to the window, which makes none of them itself.
#include "persist/Journal.h"
#include "persist/SettingsGlue.h"
#include "ui/FMain.h"
#include "ui/FMonitor2.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TL-Veltaro"));
    TAppParts parts(MainSettingsStore());
    // Outlives the window: its end marks the session as ended cleanly.
    TJournal journal(TJournal::DefaultFolder());
    int rc = 0;
    {
        TFormMain w(parts, nullptr);
        w.show();
        w.StartJournal(journal);
        // Destroyed before the main window, which it reads from while it lives.
        TFormMonitor2 monitor(&w);
        w.FormMonitor2 = &monitor;
        w.StartTvMode();
        rc = app.exec();
        w.Shutdown();
    } // the window writes the settings as it goes
    return rc;
}
