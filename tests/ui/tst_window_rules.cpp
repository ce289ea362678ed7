// The rules the windows are built on, one case each, checked without a window: the date text, the
// font stand-ins, the pictures, the manual's lists, the cue files and Qt's own dialogs in the
// operator's language.
#include <QtTest>

#include "ui/AppForms.h"
#include "ui/Fonts.h"
#include "ui/help/Help.h"
#include "ui/Pictures.h"
#include "ui/main/Sounds.h"
#include "ui/main/WindowLayout.h"

#include <QFontDatabase>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>

#include <numeric>

// A test datum as a value, where a whole QFETCH statement does not fit.
#define FETCHED(Type, name) (*static_cast<Type*>(QTest::qData(#name, ::qMetaTypeId<Type>())))

class TestWindowRules : public QObject {
    Q_OBJECT
private slots:
    // --- selection row and middle column ------------------------------------------------
    void dateText_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("text");
        const QDateTime morning(QDate(2026, 12, 5), QTime(6, 5, 59));
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << morning
                                << "05.12.2026   06:05";
        QTest::newRow("US: order and AM/PM kept, year widened")
            << QLocale(QLocale::English, QLocale::UnitedStates) << morning << "12/5/2026   6:05 AM";
    }
    void dateText() {
        QFETCH(QLocale, locale);
        QFETCH(QDateTime, now);
        QCOMPARE(DatePanelText(now, locale), FETCHED(QString, text));
    }

    // --- fonts ----------------------------------------------------------------------------
    void fontStandIns_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("twin");
        QTest::newRow("Arial") << "Arial"
                               << "Liberation Sans";
    }
    void fontStandIns() {
        QFETCH(QString, family);
        QFETCH(QString, twin);
        QCOMPARE(DesignFontStandIns(family).value(0), twin);
        InstallFontSubstitutes();
        if (QFontDatabase::families().contains(family, Qt::CaseInsensitive))
            QSKIP("the design family itself is installed");
        if (!QFontDatabase::families().contains(twin)) QSKIP("the metric twin is not installed");
        QFont f(family);
        f.setPixelSize(16);
        QCOMPARE(QFontInfo(f).family(), twin);
    }

    // --- pictures -------------------------------------------------------------------------
    void pictures_data() {
        QTest::addColumn<QString>("name");
        InitResources();
        const auto files = QDir(":/pictures").entryList({"*.svg"});
        for (const QString& f : files)
            QTest::newRow(qPrintable(f)) << f.chopped(4);
    }
    void pictures() {
        // Each picture draws something at 100 % and at 200 %, at the size asked for.
        QFETCH(QString, name);
        const QIcon icon = Picture(name);
        QVERIFY(!icon.isNull());
        for (qreal scale : {1.0, 2.0}) {
            const QPixmap pm = icon.pixmap(QSize(24, 24), scale);
            QCOMPARE(pm.size(), QSize(24, 24) * scale);
            const QImage img = pm.toImage();
            int opaque = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    if (qAlpha(img.pixel(x, y)) > 128) ++opaque;
            QVERIFY2(opaque > img.width() * img.height() / 10, qPrintable(name));
        }
    }

    // --- the manual's lists ---------------------------------------------------------------
    void helpContents_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QList<int>>("contexts");
        QTest::newRow("bad lines skipped")
            << "x\t0\tNoNumber\ta.html\n1\t2\tDeep\ta.html\n1\t0\t\ta.html\n1\t0\tNoPage\t\n"
               "1\t0\tToo\tmany\tfields\n7\t0\tGood\tg.html"
            << QStringList{"Good"} << QList<int>{7};
    }
    void helpContents() {
        QFETCH(QString, text);
        QStringList titles;
        QList<int> contexts;
        for (const THelpEntry& e : ParseHelpContents(text)) {
            titles << e.title;
            contexts << e.context;
        }
        QCOMPARE(titles, FETCHED(QStringList, titles));
        QCOMPARE(contexts, FETCHED(QList<int>, contexts));
    }

    void shippedManualIsWhole() {
        // Every page the contents and the index name is part of the program.
        InitResources();
        QFile c(":/help/contents.tsv"), i(":/help/index.tsv");
        QVERIFY(c.open(QIODevice::ReadOnly) && i.open(QIODevice::ReadOnly));
        QStringList pages;
        for (const THelpEntry& e : ParseHelpContents(QString::fromUtf8(c.readAll())))
            pages << e.page.section('#', 0, 0);
        const int fromContents = int(pages.size());
        for (const THelpKeyword& k : ParseHelpIndex(QString::fromUtf8(i.readAll())))
            pages << k.page.section('#', 0, 0);
        QVERIFY(fromContents >= 9);
        QVERIFY(pages.size() > fromContents);
        for (const QString& p : pages)
            QVERIFY2(QFile::exists(":/help/" + p), qPrintable(p));
    }

    // --- the cues -------------------------------------------------------------------------
    // The current folder first, then the program's; a folder of that name is no sound file.
    void findCueFile_data() {
        QTest::addColumn<bool>("inCurrent");
        QTest::addColumn<bool>("inProgram");
        QTest::addColumn<int>("found"); // 0 current, 1 program, -1 none
        QTest::newRow("current folder wins") << true << true << 0;
        QTest::newRow("only beside the program") << false << true << 1;
        QTest::newRow("nowhere") << false << false << -1;
    }
    void findCueFile() {
        QFETCH(bool, inCurrent);
        QFETCH(bool, inProgram);
        QFETCH(int, found);
        QTemporaryDir current, program;
        for (const QString& dir :
             {inCurrent ? current.path() : QString(), inProgram ? program.path() : QString()}) {
            QFile f(dir + "/Stop.wav");
            if (!dir.isEmpty()) QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QDir(current.path()).mkdir("Start.wav");
        const QStringList folders{current.path(), program.path()};
        QCOMPARE(FindCueFile("Stop.wav", folders),
                 found < 0 ? QString() : QDir(folders[found]).filePath("Stop.wav"));
        QCOMPARE(FindCueFile("Start.wav", folders), QString());
    }

    // The program's own cues are whole wave files of a fraction of a second.
    void shippedCues() {
        for (const char* name : {"Start.wav", "Stop.wav"}) {
            QFile f(QStringLiteral(VELTARO_TEST_SOURCE_DIR "/../resources/sounds/") + name);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray b = f.readAll();
            QVERIFY(b.startsWith("RIFF") && b.mid(8, 8) == "WAVEfmt ");
            const auto u32 = [&](int at) {
                return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 |
                       quint32(quint8(b[at + 2])) << 16 | quint32(quint8(b[at + 3])) << 24;
            };
            QCOMPARE(u32(4), quint32(b.size() - 8));
            QCOMPARE(u32(40), quint32(b.size() - 44));
            const double seconds = double(u32(40)) / u32(28);
            QVERIFY2(seconds > 0.1 && seconds < 0.6, name);
        }
    }
};

QTEST_MAIN(TestWindowRules)
#include "tst_window_rules.moc"
