#include <QtTest>

#include "persist/SafeFile.h"

#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>
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
