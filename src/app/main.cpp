#include "core/FMain.h"
#include "ui/FMonitor2.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TL-Veltaro"));
    TFormMain w;
    w.show();
    // Destroyed before the main window, which it reads from while it lives.
    TFormMonitor2 monitor(&w);
    w.FormMonitor2 = &monitor;
    w.StartTvMode();
    const int rc = app.exec();
    w.Shutdown();
    return rc;
}
