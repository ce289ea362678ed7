#include "ui/FMain.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TL-Veltaro"));
    TFormMain w;
    w.show();
    const int rc = app.exec();
    w.Shutdown();
    return rc;
}
