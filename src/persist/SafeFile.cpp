#include "persist/SafeFile.h"

#include "persist/DurableFile.h"

bool WriteFileSafely(const QString& fileName, const QByteArray& data, QString* error) {
    // A saved protocol is worth the fsync: a power cut right after "saved" must not leave an
    // empty file behind.
    return WriteFileDurably(fileName, data, error);
}
