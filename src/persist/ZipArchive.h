#pragma once
// Zip packages (what .xlsx and .docx files are) read from and built in memory.
#include <functional>
#include <memory>
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class TZipReader {
public:
    TZipReader();
    ~TZipReader();
    TZipReader(const TZipReader&) = delete;
    TZipReader& operator=(const TZipReader&) = delete;

    // Opens the package held in bytes (which must outlive the reader). False with a reason
    // when the bytes are no zip archive or a damaged one.
    bool Open(const QByteArray& bytes, QString* error);
    QStringList Names() const;
    bool Contains(const QString& name) const;
    // Hands the entry's uncompressed bytes to chunk piece by piece, stopping early when chunk
    // returns false. Fails with a reason when the entry is missing or damaged, or when it
    // unpacks to more than limit bytes (a package made to exhaust memory).
    bool Stream(const QString& name, qint64 limit,
                const std::function<bool(const char* data, qsizetype size)>& chunk,
                QString* error) const;
    // The whole entry.
    bool Read(const QString& name, qint64 limit, QByteArray* data, QString* error) const;

private:
    struct TImpl;
    std::unique_ptr<TImpl> d;
};

// A zip package of the entries, in order, compressed with deflate; empty with a reason in error
// when it cannot be built.
using TZipEntries = QList<QPair<QString, QByteArray>>;
QByteArray ZipPackage(const TZipEntries& entries, QString* error);
