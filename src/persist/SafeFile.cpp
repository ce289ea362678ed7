#include "persist/SafeFile.h"

#include <QFileInfo>
#include <QSaveFile>

namespace {
bool Fail(const QString& fileName, const QString& reason, QString* error) {
    if (error) *error = fileName + QStringLiteral(": ") + reason;
    return false;
}
} // namespace

bool WriteFileSafely(const QString& fileName, const QByteArray& data, QString* error) {
    if (fileName.isEmpty()) return Fail(fileName, QStringLiteral("no file name"), error);
    // QSaveFile would happily prepare a temporary file and only fail at the rename; say the
    // real reason instead.
    if (QFileInfo(fileName).isDir()) return Fail(fileName, QStringLiteral("is a directory"), error);

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) return Fail(fileName, file.errorString(), error);
    if (file.write(data) != data.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return Fail(fileName, reason, error);
    }
    if (!file.commit()) return Fail(fileName, file.errorString(), error);
    return true;
}
