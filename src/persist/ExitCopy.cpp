#include "persist/ExitCopy.h"

#include <QDir>
#include <QFileInfo>

QStringList ExitCopyCandidates(const QString& programFile, const QString& dataFolder) {
    const QFileInfo program(programFile);
    const QString name = program.completeBaseName() + QStringLiteral(".txt");
    QStringList names{program.absolutePath() + QLatin1Char('/') + name};
    if (!dataFolder.isEmpty()) names << QDir(dataFolder).absoluteFilePath(name);
    return names;
}

namespace {
// The nearest folder of path that exists.
QString ExistingAncestor(QString path) {
    while (!path.isEmpty() && !QFileInfo(path).exists()) {
        const QString up = QFileInfo(path).path();
        if (up == path) return {};
        path = up;
    }
    return path;
}
} // namespace

QString ExitCopyTarget(const QStringList& candidates) {
    for (const QString& name : candidates) {
        const QFileInfo file(name);
        if (file.exists()) {
            if (file.isFile() && file.isWritable() && QFileInfo(file.path()).isWritable())
                return name;
            continue;
        }
        const QFileInfo folder(ExistingAncestor(file.path()));
        if (folder.isDir() && folder.isWritable()) return name;
    }
    return {};
}

QString WriteExitCopy(const QStringList& candidates, const TProtocolRows& rows) {
    for (const QString& name : candidates) {
        QDir().mkpath(QFileInfo(name).path());
        QString error;
        if (WriteProtocolFile(name, rows, &error)) return name;
    }
    return {};
}
