#pragma once
// Whole-file writes that never leave a half-written file behind.
#include <QByteArray>
#include <QString>

// Writes data to a temporary file beside fileName and puts it in place only when every byte
// was written, so a failed write keeps the previous file intact. On failure returns false and,
// when error is given, sets it to the file name and the system's reason.
bool WriteFileSafely(const QString& fileName, const QByteArray& data, QString* error);
