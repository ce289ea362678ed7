#include "persist/DurableFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>

#include <atomic>
#include <limits>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
bool Fail(const QString& fileName, const QString& reason, QString* error) {
    if (error) *error = fileName + QStringLiteral(": ") + reason;
    return false;
}

// The system's reason comes in the system's language, often English: the sentence around it
// is ours.
QString NotWritten(const QString& systemReason) {
    return QCoreApplication::translate("DurableFile", "kann nicht geschrieben werden (%1)")
        .arg(systemReason);
}

// The temporary files this process is writing right now, by absolute path: another thread's
// write into the same folder must not lose its file to the clean-up of stale ones.
QMutex OpenTempsMutex;
QSet<QString> OpenTemps;

QString PathKey(const QString& file) {
    return QDir::cleanPath(QFileInfo(file).absoluteFilePath());
}

// Unique among the writes of all running programs: two saves of the same file at once must not
// write into one temporary file.
QString TempName(const QString& fileName) {
    static std::atomic<unsigned> counter{0};
    const QString name = DurableTempPrefix(fileName) +
                         QString::number(QCoreApplication::applicationPid()) + QLatin1Char('-') +
                         QString::number(counter.fetch_add(1));
    const QMutexLocker lock(&OpenTempsMutex);
    OpenTemps.insert(PathKey(name));
    return name;
}

struct TTempDone {
    QString name;
    ~TTempDone() {
        const QMutexLocker lock(&OpenTempsMutex);
        OpenTemps.remove(PathKey(name));
    }
};

bool ProcessRunning(qint64 pid) {
#ifdef Q_OS_WIN
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
#else
    if (pid <= 0 || pid > qint64(std::numeric_limits<pid_t>::max())) return true;
    // EPERM: it runs, under another user.
    return ::kill(pid_t(pid), 0) == 0 || errno != ESRCH;
#endif
}

// A write killed while it waited for the disk leaves its temporary file, as large as the file
// it was to become. The next write into the folder takes away those whose writer is gone (or
// is this process, no longer writing them); a file another program might own is left alone.
void RemoveStaleTemps(const QString& folder) {
    static const QRegularExpression pattern(
        QStringLiteral("^.+\\.part-([0-9]{1,18})-[0-9]{1,10}$"));
    const qint64 ownPid = QCoreApplication::applicationPid();
    const QDir dir(folder);
    const QFileInfoList found = dir.entryInfoList({QStringLiteral("*.part-*")},
                                                  QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo& file : found) {
        const QRegularExpressionMatch m = pattern.match(file.fileName());
        if (!m.hasMatch()) continue;
#ifndef Q_OS_WIN
        if (file.ownerId() != ::geteuid()) continue;
#endif
        const qint64 pid = m.captured(1).toLongLong();
        if (pid == ownPid) {
            const QMutexLocker lock(&OpenTempsMutex);
            if (OpenTemps.contains(PathKey(file.filePath()))) continue;
        } else if (ProcessRunning(pid)) {
            continue;
        }
        QFile::remove(file.filePath());
    }
}

// The file a name stands for once links are followed: a save writes through a link, as an
// ordinary write would, and leaves the link a link. A link to nothing names the file it makes.
bool FollowLinks(const QString& fileName, QString* target, QString* why) {
    QString path = fileName;
    for (int hops = 0; QFileInfo(path).isSymbolicLink(); ++hops) {
        if (hops == 40) {
            *why =
                QCoreApplication::translate("DurableFile", "zu viele Verknüpfungen hintereinander");
            return false;
        }
        path = QFileInfo(path).symLinkTarget();
    }
    *target = path;
    return true;
}

#ifndef Q_OS_WIN
bool WriteAll(int fd, const char* p, qint64 n, int* err) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, size_t(n));
        if (w < 0) {
            if (errno == EINTR) continue;
            *err = errno;
            return false;
        }
        p += w;
        n -= w;
    }
    return true;
}

void SyncFolder(const QString& folder) {
    // Makes the rename itself durable; a file system that cannot sync a folder has nothing
    // better to offer, so a failure here is no failure of the write.
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}
#endif
} // namespace

QString DurableTempPrefix(const QString& fileName) {
    return fileName + QStringLiteral(".part-");
}

bool WriteFileDurably(const QString& shownName, const QByteArray& data, QString* error,
                      TWriteStop stop) {
    if (shownName.isEmpty())
        return Fail(shownName, QCoreApplication::translate("DurableFile", "kein Dateiname"), error);
    QString fileName, why;
    if (!FollowLinks(shownName, &fileName, &why)) return Fail(shownName, why, error);
    const QFileInfo target(fileName);
    if (target.isDir())
        return Fail(shownName, QCoreApplication::translate("DurableFile", "ist ein Ordner"), error);
    if (target.isFile()) {
        // A write-protected file stays as it is: the rename below would replace it all the same.
        QFile probe(fileName);
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::ExistingOnly))
            return Fail(shownName, NotWritten(probe.errorString()), error);
    }
    RemoveStaleTemps(target.absolutePath());
    const QString temp = TempName(fileName);
    const TTempDone done{temp};
    const qint64 firstPart = stop == TWriteStop::HalfWritten ? data.size() / 2 : data.size();

#ifdef Q_OS_WIN
    QFile file(temp);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return Fail(shownName, NotWritten(file.errorString()), error);
    if (file.write(data.constData(), firstPart) != firstPart) {
        const QString reason = file.errorString();
        file.close();
        QFile::remove(temp);
        return Fail(shownName, NotWritten(reason), error);
    }
    if (stop == TWriteStop::HalfWritten)
        return Fail(shownName, QCoreApplication::translate("DurableFile", "angehalten"), error);
    if (!FlushFileBuffers(HANDLE(_get_osfhandle(file.handle())))) {
        const QString reason = qt_error_string(int(GetLastError()));
        file.close();
        QFile::remove(temp);
        return Fail(shownName, NotWritten(reason), error);
    }
    file.close();
    if (stop == TWriteStop::BeforeRename)
        return Fail(shownName, QCoreApplication::translate("DurableFile", "angehalten"), error);
    if (!MoveFileExW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(temp).utf16()),
                     reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(fileName).utf16()),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const QString reason = qt_error_string(int(GetLastError()));
        QFile::remove(temp);
        return Fail(shownName, NotWritten(reason), error);
    }
    return true;
#else
    const QByteArray tempPath = QFile::encodeName(temp);
    const int fd = ::open(tempPath.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return Fail(shownName, NotWritten(qt_error_string(errno)), error);
    // A replaced file keeps its permissions, as an edit in place would.
    struct stat old {};
    if (::stat(QFile::encodeName(fileName).constData(), &old) == 0)
        ::fchmod(fd, old.st_mode & 07777);
    int err = 0;
    const auto abandon = [&](int e) {
        ::close(fd);
        ::unlink(tempPath.constData());
        return Fail(shownName, NotWritten(qt_error_string(e)), error);
    };
    if (!WriteAll(fd, data.constData(), firstPart, &err)) return abandon(err);
    if (stop == TWriteStop::HalfWritten) {
        ::close(fd);
        return Fail(shownName, QCoreApplication::translate("DurableFile", "angehalten"), error);
    }
    if (::fsync(fd) != 0) return abandon(errno);
    if (::close(fd) != 0) {
        err = errno;
        ::unlink(tempPath.constData());
        return Fail(shownName, NotWritten(qt_error_string(err)), error);
    }
    if (stop == TWriteStop::BeforeRename)
        return Fail(shownName, QCoreApplication::translate("DurableFile", "angehalten"), error);
    if (::rename(tempPath.constData(), QFile::encodeName(fileName).constData()) != 0) {
        err = errno;
        ::unlink(tempPath.constData());
        return Fail(shownName, NotWritten(qt_error_string(err)), error);
    }
    SyncFolder(target.absolutePath());
    return true;
#endif
}
