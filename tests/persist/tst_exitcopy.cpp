// Where the exit copy goes, and the file dialogs' types and extensions.
#include "persist/ExitCopy.h"
#include "persist/FileTypes.h"
#include "persist/OfficeExport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
TProtocolRows Rows() {
    QStringList title(14), row(14);
    title[0] = "St.Nr.";
    row[0] = "7";
    row[1] = "Keller, Lea";
    return {title, row};
}
} // namespace

class TestExitCopy : public QObject {
    Q_OBJECT
private slots:
    void candidates_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("installed")
            << "/usr/bin/veltaro"
            << "/home/op/.local/share/T"
            << QStringList{"/usr/bin/veltaro.txt", "/home/op/.local/share/T/veltaro.txt"};
        QTest::newRow("extension replaced")
            << "/opt/v/timer.exe"
            << "/d" << QStringList{"/opt/v/timer.txt", "/d/timer.txt"};
        QTest::newRow("no data folder") << "/opt/v/veltaro"
                                        << "" << QStringList{"/opt/v/veltaro.txt"};
    }
    void candidates() {
        QFETCH(QString, program);
        QFETCH(QString, data);
        QFETCH(QStringList, names);
        QCOMPARE(ExitCopyCandidates(program, data), names);
    }

    // The copy goes to the first place that takes it; the data folder is made when needed.
    void fallback_data() {
        QTest::addColumn<QString>("programFolder"); // relative to a temporary folder
        QTest::addColumn<int>("written");           // 0 beside the program, 1 data, -1 none
        QTest::addColumn<bool>("dataBlocked");
        QTest::newRow("program folder writable") << "bin" << 0 << false;
        QTest::newRow("a file in the way") << "file/bin" << 1 << false;
        QTest::newRow("folder missing and blocked") << "file/deeper/bin" << 1 << false;
        QTest::newRow("nowhere") << "file/bin" << -1 << true;
    }
    void fallback() {
        QFETCH(QString, programFolder);
        QFETCH(int, written);
        QFETCH(bool, dataBlocked);
        QTemporaryDir dir;
        QDir(dir.path()).mkpath("bin");
        QFile file(dir.filePath("file"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const QString data = dataBlocked ? dir.filePath("file/data") : dir.filePath("new/data");
        const QStringList names =
            ExitCopyCandidates(dir.filePath(programFolder + "/veltaro"), data);
        const QString expected = written < 0 ? QString() : names[written];
        QCOMPARE(ExitCopyTarget(names), expected);
        QCOMPARE(WriteExitCopy(names, Rows()), expected);
        if (written >= 0) {
            TProtocolRows back;
            QString error;
            QVERIFY(ReadProtocolFile(expected, &back, &error));
            QCOMPARE(back[1][1], QString("Keller, Lea"));
        }
    }

    // --- file types --------------------------------------------------------------------------
    void filterLists_data() {
        QTest::addColumn<bool>("spreadsheet");
        QTest::addColumn<bool>("document");
        QTest::addColumn<QStringList>("open");
        QTest::addColumn<QStringList>("save");
        const QString text = "Textdatei (*.txt *.csv)", all = "Alle Dateien (*)";
        QTest::newRow("no office")
            << false << false << QStringList{text, all} << QStringList{text, "Webseite (*.html)"};
        // The first start's type (1) is the text a start list is.
        QTest::newRow("text first")
            << true << true
            << QStringList{text, "Excel (*." + SpreadsheetFileExtension() + ")", all}
            << QStringList{text, "Excel (*." + SpreadsheetFileExtension() + ")",
                           "MS Word (*." + DocumentFileExtension() + ")", "Webseite (*.html)"};
    }
    void filterLists() {
        QFETCH(bool, spreadsheet);
        QFETCH(bool, document);
        QFETCH(QStringList, open);
        QFETCH(QStringList, save);
        TFileTypes types;
        types.spreadsheet = "Excel";
        QCOMPARE(OpenFilterList(types, spreadsheet), open);
        QCOMPARE(SaveFilterList(types, spreadsheet, document), save);
    }

    void typeExtension_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("result");
        QTest::newRow("added") << "/p/2026-12-05_Paarrennen"
                               << "Textdatei (*.txt *.csv)"
                               << "/p/2026-12-05_Paarrennen.txt";
        QTest::newRow("HTML") << "/p/Lauf"
                              << "Webseite (*.html)"
                              << "/p/Lauf.html";
        QTest::newRow("has one") << "/p/Lauf.txt"
                                 << "Webseite (*.html)"
                                 << "/p/Lauf.txt";
        QTest::newRow("dot in the folder only") << "/p.d/Lauf"
                                                << "Textdatei (*.txt)"
                                                << "/p.d/Lauf.txt";
        QTest::newRow("blank in the name") << "/p/Individuelles Klettern"
                                           << "Textdatei (*.txt)"
                                           << "/p/Individuelles Klettern.txt";
        QTest::newRow("unknown filter") << "/p/Lauf"
                                        << "Alle Dateien (*)"
                                        << "/p/Lauf";
        QTest::newRow("empty name") << ""
                                    << "Textdatei (*.txt)"
                                    << "";
    }
    void typeExtension() {
        QFETCH(QString, name);
        QFETCH(QString, filter);
        QFETCH(QString, result);
        QCOMPARE(WithTypeExtension(name, filter), result);
    }
};

QTEST_MAIN(TestExitCopy)
#include "tst_exitcopy.moc"
