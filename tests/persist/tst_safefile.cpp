#include <QtTest>

#include "persist/DurableFile.h"
#include "persist/SafeFile.h"

#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
QByteArray Contents(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}
} // namespace

class TestSafeFile : public QObject {
    Q_OBJECT
private slots:
    void replacesOnSuccess() {
        QTemporaryDir dir;
        const QString name = dir.filePath("p.txt");
        QString error;
        QVERIFY2(WriteFileSafely(name, "old", &error), qPrintable(error));
        QVERIFY2(WriteFileSafely(name, "new", &error), qPrintable(error));
        QCOMPARE(Contents(name), QByteArray("new"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"p.txt"});
    }

    // The write runs out of room (the file size limit stands in for a full disk).
    void keepsTheOldFileWhenTheWriteFails() {
        QTemporaryDir dir;
        const QString name = dir.filePath("p.txt");
        QVERIFY(WriteFileSafely(name, "old contents", nullptr));

        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = 4096;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        QString error;
        const bool written = WriteFileSafely(name, QByteArray(1 << 20, 'x'), &error);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(!written);
        QVERIFY2(error.startsWith(name + ": ") && error.size() > name.size() + 2,
                 qPrintable(error));
        QCOMPARE(Contents(name), QByteArray("old contents"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"p.txt"});
    }

    void keepsTheOldFileInAReadOnlyFolder() {
        if (geteuid() == 0) QSKIP("root writes into read-only folders");
        QTemporaryDir dir;
        const QString name = dir.filePath("p.txt");
        QVERIFY(WriteFileSafely(name, "old", nullptr));
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        QString error;
        const bool written = WriteFileSafely(name, "new", &error);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!written);
        QVERIFY(error.startsWith(name));
        QCOMPARE(Contents(name), QByteArray("old"));
    }

    // A disk that is really full: a small file system of its own (needs the right to mount).
    void fullDiskSaysSo() {
        QTemporaryDir dir;
        const QString mnt = dir.filePath("small");
        QVERIFY(QDir().mkdir(mnt));
        if (::mount("tmpfs", QFile::encodeName(mnt).constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("cannot mount a small file system here");
        const QString name = mnt + "/p.txt";
        QString error;
        const bool first = WriteFileSafely(name, "old contents", &error);
        const bool big = WriteFileSafely(name, QByteArray(1 << 20, 'x'), &error);
        const QByteArray after = Contents(name);
        const QStringList left = QDir(mnt).entryList(QDir::Files);
        ::umount(QFile::encodeName(mnt).constData());
        QVERIFY(first);
        QVERIFY(!big);
        QCOMPARE(error, name + ": kann nicht geschrieben werden (" + qt_error_string(ENOSPC) + ")");
        QCOMPARE(after, QByteArray("old contents"));
        QCOMPARE(left, QStringList{"p.txt"});
    }

    // A write stopped where a killed process would stop it leaves the old contents in place.
    void stoppedWriteKeepsTheOldFile_data() {
        QTest::addColumn<int>("stop");
        QTest::newRow("half written") << int(TWriteStop::HalfWritten);
        QTest::newRow("before the rename") << int(TWriteStop::BeforeRename);
    }
    void stoppedWriteKeepsTheOldFile() {
        QFETCH(int, stop);
        QTemporaryDir dir;
        const QString name = dir.filePath("p.txt");
        QVERIFY(WriteFileDurably(name, "old contents", nullptr));
        QVERIFY(!WriteFileDurably(name, QByteArray(100000, 'n'), nullptr, TWriteStop(stop)));
        QCOMPARE(Contents(name), QByteArray("old contents"));
        // What the interrupted write left is recognisable as such.
        const QStringList files = QDir(dir.path()).entryList(QDir::Files);
        QCOMPARE(files.size(), 2);
        for (const QString& f : files)
            QVERIFY(f == "p.txt" || dir.filePath(f).startsWith(DurableTempPrefix(name)));
        QVERIFY(WriteFileDurably(name, "new", nullptr));
        QCOMPARE(Contents(name), QByteArray("new"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"p.txt"});
    }

    // What killed writes left is removed by the next write into the folder, but only where
    // the writer is gone: never another running program's file, never a file of another name.
    void staleTemporaryFiles_data() {
        QTest::addColumn<QString>("left");
        QTest::addColumn<bool>("removed");
        const pid_t gone = fork();
        if (gone == 0) _exit(0);
        waitpid(gone, nullptr, 0);
        QTest::newRow("writer gone") << QString("p.txt.part-%1-3").arg(gone) << true;
        QTest::newRow("another file's") << QString("q.txt.part-%1-0").arg(gone) << true;
        QTest::newRow("writer running") << QString("p.txt.part-%1-3").arg(getppid()) << false;
        QTest::newRow("another pattern") << QString("p.txt.part-%1-3.bak").arg(gone) << false;
        QTest::newRow("no number") << QString("p.txt.part-x-3") << false;
    }
    void staleTemporaryFiles() {
        QFETCH(QString, left);
        QFETCH(bool, removed);
        QTemporaryDir dir;
        QVERIFY(WriteFileSafely(dir.filePath(left), "half", nullptr));
        QVERIFY(WriteFileSafely(dir.filePath("p.txt"), "new", nullptr));
        QCOMPARE(QFileInfo::exists(dir.filePath(left)), !removed);
    }

    // A save writes where and as far as an ordinary write would: through a link into the file
    // it names, and not into a file that may not be written.
    void writesAsAnOrdinaryWrite_data() {
        QTest::addColumn<bool>("link");     // the name is a link to real.txt
        QTest::addColumn<bool>("existing"); // real.txt is there before
        QTest::addColumn<bool>("readOnly"); // and write-protected
        QTest::newRow("link to a file") << true << true << false;
        QTest::newRow("link to no file yet") << true << false << false;
        QTest::newRow("write-protected file") << false << true << true;
        QTest::newRow("link to a write-protected file") << true << true << true;
    }
    void writesAsAnOrdinaryWrite() {
        QFETCH(bool, link);
        QFETCH(bool, existing);
        QFETCH(bool, readOnly);
        QTemporaryDir dir;
        const QString real = dir.filePath("real.txt");
        const QString name = link ? dir.filePath("p.txt") : real;
        if (existing) QVERIFY(WriteFileSafely(real, "old", nullptr));
        if (link) QVERIFY(QFile::link("real.txt", name));
        // Root may write any file: the write is made as nobody, whom the modes bind.
        QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
        if (existing)
            QCOMPARE(::chmod(QFile::encodeName(real).constData(), readOnly ? 0444 : 0666), 0);
        const bool asNobody = geteuid() == 0 && seteuid(65534) == 0;
        QString error;
        const bool written = WriteFileSafely(name, "new", &error);
        if (asNobody) QCOMPARE(seteuid(0), 0);
        QCOMPARE(written, !readOnly);
        if (readOnly)
            QCOMPARE(error,
                     name + ": kann nicht geschrieben werden (" + qt_error_string(EACCES) + ")");
        QCOMPARE(Contents(real), QByteArray(readOnly ? "old" : "new"));
        QCOMPARE(QFileInfo(name).isSymLink(), link);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), link ? 2 : 1);
    }

    void replacedFileKeepsItsPermissions() {
        QTemporaryDir dir;
        const QString name = dir.filePath("p.txt");
        QVERIFY(WriteFileSafely(name, "old", nullptr));
        QCOMPARE(::chmod(QFile::encodeName(name).constData(), 0640), 0);
        QVERIFY(WriteFileSafely(name, "new", nullptr));
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(name).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0640));
    }

    void refusesDirectoriesAndEmptyNames() {
        QTemporaryDir dir;
        QString error;
        QVERIFY(!WriteFileSafely(dir.path(), "x", &error));
        QVERIFY(error.startsWith(dir.path() + ": "));
        QVERIFY(QFileInfo(dir.path()).isDir());
        QVERIFY(!WriteFileSafely(QString(), "x", &error));
        QVERIFY(!WriteFileSafely(dir.filePath("no/such/folder/p.txt"), "x", &error));
        QVERIFY(error.contains("no/such/folder"));
    }
};

QTEST_MAIN(TestSafeFile)
#include "tst_safefile.moc"
