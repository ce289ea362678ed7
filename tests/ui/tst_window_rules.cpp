// The rules the windows are built on, checked without a window: the date text, the pictures,
// the manual's lists and the cue files.
#include <QtTest>

#include "ui/help/Help.h"
#include "ui/main/Sounds.h"
#include "ui/main/WindowLayout.h"
#include "ui/Pictures.h"

#include <QTemporaryDir>

class TestWindowRules : public QObject {
    Q_OBJECT
private slots:
    // The date panel in the operator's language: in the US order with AM/PM, the year widened.
    void dateText() {
        const QDateTime morning(QDate(2026, 12, 5), QTime(6, 5, 59));
        QCOMPARE(DatePanelText(morning, QLocale(QLocale::German, QLocale::Germany)),
                 QString("05.12.2026   06:05"));
        QCOMPARE(DatePanelText(morning, QLocale(QLocale::English, QLocale::UnitedStates)),
                 QString("12/5/2026   6:05 AM"));
    }

    // Each picture draws something at 100 % and at 200 %, at the size asked for.
    void pictures() {
        InitResources();
        const QStringList files = QDir(":/pictures").entryList({"*.svg"});
        QVERIFY(!files.isEmpty());
        for (const QString& file : files) {
            const QIcon icon = Picture(file.chopped(4));
            for (qreal scale : {1.0, 2.0}) {
                const QImage img = icon.pixmap(QSize(24, 24), scale).toImage();
                QCOMPARE(img.size(), QSize(24, 24) * scale);
                int opaque = 0;
                for (int y = 0; y < img.height(); ++y)
                    for (int x = 0; x < img.width(); ++x)
                        opaque += qAlpha(img.pixel(x, y)) > 128;
                QVERIFY2(opaque > img.width() * img.height() / 10, qPrintable(file));
            }
        }
    }

    // A line without a number, too deep, without a title or page, or with too many fields is
    // left out; the good one stays.
    void helpContents() {
        QStringList got;
        for (const THelpEntry& e : ParseHelpContents(
                 "x\t0\tNoNumber\ta.html\n1\t2\tDeep\ta.html\n1\t0\t\ta.html\n1\t0\tNoPage\t\n"
                 "1\t0\tToo\tmany\tfields\n7\t0\tGood\tg.html"))
            got << QString("%1 %2").arg(e.context).arg(e.title);
        QCOMPARE(got, QStringList{"7 Good"});
    }

    // Every page the contents and the index name is part of the program.
    void shippedManualIsWhole() {
        InitResources();
        QFile c(":/help/contents.tsv"), i(":/help/index.tsv");
        QVERIFY(c.open(QIODevice::ReadOnly) && i.open(QIODevice::ReadOnly));
        QStringList pages;
        for (const THelpEntry& e : ParseHelpContents(QString::fromUtf8(c.readAll())))
            pages << e.page.section('#', 0, 0);
        const int fromContents = int(pages.size());
        for (const THelpKeyword& k : ParseHelpIndex(QString::fromUtf8(i.readAll())))
            pages << k.page.section('#', 0, 0);
        QVERIFY(fromContents >= 9 && pages.size() > fromContents);
        for (const QString& p : pages)
            QVERIFY2(QFile::exists(":/help/" + p), qPrintable(p));
    }

    // The current folder first, then the program's; a folder of that name is no sound file.
    void findCueFile() {
        QTemporaryDir current, program;
        const QStringList folders{current.path(), program.path()};
        const auto put = [](const QTemporaryDir& dir) {
            QFile f(dir.filePath("Stop.wav"));
            return f.open(QIODevice::WriteOnly);
        };
        QVERIFY(QDir(current.path()).mkdir("Start.wav"));
        QCOMPARE(FindCueFile("Stop.wav", folders), QString());
        QVERIFY(put(program));
        QCOMPARE(FindCueFile("Stop.wav", folders), program.filePath("Stop.wav"));
        QVERIFY(put(current));
        QCOMPARE(FindCueFile("Stop.wav", folders), current.filePath("Stop.wav"));
        QCOMPARE(FindCueFile("Start.wav", folders), QString());
    }
};

QTEST_MAIN(TestWindowRules)
#include "tst_window_rules.moc"
