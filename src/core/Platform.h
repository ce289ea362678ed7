#pragma once
#include <QString>

// Whether an office automation server with this programmatic identifier is installed. Only
// Windows registers them; elsewhere our own stand-ins (persist/OfficeStandIn.h) serve the two
// the program uses, "Excel.Application" and "Word.Basic".
bool OfficeServerRegistered(const QString& progId);
