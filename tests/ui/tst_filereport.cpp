// What the window says about a file it could not read whole or read with repairs, and that a
// file read only in part is never replaced without asking.
#include "TestSupport.h"
#include "ui/FMain.h"

#include <QFile>
#include <QtTest>

namespace {
QByteArray Bytes(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteBytes(const QString& name, const QByteArray& bytes) {
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A file of more lines than a protocol takes.
QByteArray LongFile(qsizetype extra) {
    return QByteArray("St.Nr.\tName\t\r\n") +
           QByteArray("7\tMeier\t\r\n").repeated(ProtocolMaxRows - 1 + extra);
}
} // namespace

class TestFileReport : public QObject {
    Q_OBJECT
private slots:
    void saveOverAPartlyReadFileAsks_data() {
        QTest::addColumn<bool>("sameFile");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<bool>("overwritten");
        QTest::newRow("same file, No") << true << QList<bool>{false} << false;
        QTest::newRow("same file, Yes") << true << QList<bool>{true} << true;
        QTest::newRow("another file: no question") << false << QList<bool>{} << true;
    }
    void saveOverAPartlyReadFileAsks() {
        QFETCH(bool, sameFile);
        QFETCH(QList<bool>, answers);
        QFETCH(bool, overwritten);
        TWindowFixture f(false);
        f.w->SetVid(1); // no dummy row
        const QString name = f.dir.filePath("lang.txt");
        const QByteArray original = LongFile(12345);
        WriteBytes(name, original);
        f.dialogs.openNames = {name};
        f.w->sbLoadClick();
        QCOMPARE(f.w->SortGrid1->RowCount(), int(ProtocolMaxRows));
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY2(f.dialogs.messages[0].contains("12345 Zeilen wurden nicht gelesen"),
                 qPrintable(f.dialogs.messages[0]));

        const QString target = sameFile ? f.dir.filePath("./lang.txt") : f.dir.filePath("b.txt");
        f.dialogs.saveNames = {target};
        f.dialogs.answers = answers;
        f.w->sbSaveClick();
        QCOMPARE(f.dialogs.asked.size(), answers.size());
        if (sameFile) QVERIFY(f.dialogs.asked[0].contains("nur zum Teil gelesen"));
        QCOMPARE(QFileInfo::exists(target) && Bytes(target) != original, overwritten);
        if (!overwritten) QCOMPARE(Bytes(name), original);
    }

    void exitCopyNeverReplacesAPartlyReadFile() {
        TWindowFixture f(false);
        f.w->SetVid(1); // no dummy row
        const QString name = f.w->ExitCopyName();
        const QByteArray original = LongFile(3);
        WriteBytes(name, original);
        f.dialogs.openNames = {name};
        f.w->sbLoadClick();
        f.w->Shutdown();
        const QByteArray after = Bytes(name);
        QFile::remove(name);
        QCOMPARE(after, original);
    }

    void aWholeFileClearsTheMark() {
        TWindowFixture f(false);
        f.w->SetVid(1); // no dummy row
        WriteBytes(f.dir.filePath("lang.txt"), LongFile(1));
        WriteBytes(f.dir.filePath("kurz.txt"), "St.Nr.\tName\t\r\n1\tMeier\t\r\n");
        f.dialogs.openNames = {f.dir.filePath("lang.txt"), f.dir.filePath("kurz.txt")};
        f.w->sbLoadClick();
        f.w->sbLoadClick();
        QCOMPARE(f.dialogs.messages.size(), 1);
        f.dialogs.saveNames = {f.dir.filePath("lang.txt")};
        f.w->sbSaveClick();
        QVERIFY(f.dialogs.asked.isEmpty());
        QCOMPARE(ParseProtocolText(Bytes(f.dir.filePath("lang.txt"))).size(), 2);
    }

    void strayBytesAreReplacedAndSaid_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message"); // empty: nothing said
        QTest::newRow("UTF-8 with a stray byte")
            << QByteArray("St.Nr.\tName\t\r\n1\tM\xC3\xBCller \xE9\t\r\n2\tJ\xC3\xBCrg\t\r\n")
            << QString::fromUtf16(u"Müller \uFFFD") << "enthält 1 ungültige UTF-8-Zeichen";
        QTest::newRow("clean UTF-8")
            << QByteArray("St.Nr.\tName\t\r\n1\tM\xC3\xBCller\t\r\n") << "Müller"
            << "";
        QTest::newRow("Windows-1252")
            << QByteArray("St.Nr.\tName\t\r\n1\tM\xFCller\t\r\n") << "Müller"
            << "";
        QTest::newRow("UTF-16 with its mark")
            << QByteArray(QStringEncoder(QStringConverter::Utf16LE, QStringEncoder::Flag::WriteBom)(
                   QStringLiteral("St.Nr.\tName\t\r\n1\tMüller\t\r\n")))
            << "Müller"
            << "";
        // Refused: the protocol loaded before stays.
        QTest::newRow("NUL bytes")
            << QByteArray("St.Nr.\tName\t\r\n1\tM\0ller\t\r\n", 23) << "Name1"
            << "NUL-Bytes";
        QTest::newRow("no line with fields") << QByteArray("Meier\r\nM\xFCller\r\n") << "Name1"
                                             << "keine Zeile mit Feldern";
        QTest::newRow("a field too long")
            << "St.Nr.\tName\t\r\n1\t" + QByteArray(ProtocolMaxFieldBytes + 1, 'x') + "\t\r\n"
            << QString(ProtocolMaxFieldBytes, 'x') << "1 Felder waren länger als 32767 Zeichen";
    }
    void strayBytesAreReplacedAndSaid() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        QFETCH(QString, message);
        TWindowFixture f(false);
        f.Load(1, ParticipantRows(1)); // no dummy row
        WriteBytes(f.dir.filePath("p.txt"), bytes);
        f.dialogs.openNames = {f.dir.filePath("p.txt")};
        f.w->sbLoadClick();
        QCOMPARE(f.w->SortGrid1->Cells(Col::Name, 1), name);
        QCOMPARE(f.dialogs.messages.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) QVERIFY(f.dialogs.messages[0].contains(message));
    }
};

QTEST_MAIN(TestFileReport)
#include "tst_filereport.moc"
