#pragma once
// The program's version and its release day, as the build names them (CMakeLists.txt): the
// windows, the info box, --version and the installers all show these.
#include <QDate>
#include <QString>

QString ProgramVersion(); // "1.9"
QDate ProgramReleaseDate();
