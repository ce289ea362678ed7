#pragma once
// The program's version, as the build names it (the project's version in CMakeLists.txt): the
// windows, the info box, --version and the installers all show this one.
#include <QString>

QString ProgramVersion(); // "1.9"
