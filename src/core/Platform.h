#pragma once
#include <QString>

// Whether an office automation server with this programmatic identifier is installed.
// Only Windows has them; elsewhere the office exports are not offered.
bool OfficeServerRegistered(const QString& progId);
