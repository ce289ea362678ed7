#include "core/FMain.h"

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
    int rc = 0;
    {
        TFormMain w;
        w.show();
        rc = app.exec();
        w.Shutdown();
    }
#ifdef Q_OS_WIN
    HtmlHelpUnload();
#endif
    return rc;
}
