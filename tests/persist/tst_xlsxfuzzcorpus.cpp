// Replays the workbook reader's fuzz corpus and every input the fuzzer ever failed on.
#include <QtTest>

#include "FuzzXlsxRead.h"

#include <QDir>
#include <QFile>

class TestXlsxFuzzCorpus : public QObject {
    Q_OBJECT
private slots:
    void replay_data() {
        QTest::addColumn<QString>("path");
        const QDir dir(QStringLiteral(VELTARO_TEST_SOURCE_DIR "/persist/fuzz_xlsx_corpus"));
        const QFileInfoList files = dir.entryInfoList(QDir::Files, QDir::Name);
        QVERIFY2(files.size() >= 5, qPrintable("corpus missing in " + dir.path()));
        for (const QFileInfo& file : files)
            QTest::newRow(qPrintable(file.fileName())) << file.absoluteFilePath();
    }
    void replay() {
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const QString failure = FuzzXlsxReadOne(bytes.constData(), size_t(bytes.size()));
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }
};

QTEST_MAIN(TestXlsxFuzzCorpus)
#include "tst_xlsxfuzzcorpus.moc"
