// The main window's layout rules, date text, font stand-ins, pictures and the manual's lists,
// checked without a window.
#include <QtTest>

#include "ui/Fonts.h"
#include "ui/Help.h"
#include "ui/Pictures.h"
#include "ui/WindowLayout.h"

#include <QFontDatabase>

#include <numeric>

using Widths = std::array<int, 14>;
Q_DECLARE_METATYPE(Widths)

// A test datum as a value, where a whole QFETCH statement does not fit.
#define FETCHED(Type, name) (*static_cast<Type*>(QTest::qData(#name, ::qMetaTypeId<Type>())))

class TestWindowLayout : public QObject {
    Q_OBJECT
private slots:
    // --- selection row and middle column ------------------------------------------------
    void selectionRow_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("towers");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("middle");
        QTest::addColumn<int>("right");
        QTest::newRow("two towers, design width") << 893 << 2 << 356 << 181 << 356;
        QTest::newRow("two towers, even width") << 1150 << 2 << 485 << 180 << 485;
        QTest::newRow("two towers, narrowest") << 854 << 2 << 337 << 180 << 337;
        QTest::newRow("one tower, design width") << 893 << 1 << 545 << 188 << 160;
        QTest::newRow("one tower, wide") << 1150 << 1 << 802 << 188 << 160;
        QTest::newRow("no width at all") << 0 << 2 << 0 << 0 << 0;
    }
    void selectionRow() {
        QFETCH(int, width);
        QFETCH(int, towers);
        const TRowParts p = SelectionRowWidths(width, towers);
        QFETCH(int, left);
        QFETCH(int, middle);
        QFETCH(int, right);
        QCOMPARE(p.left, left);
        QCOMPARE(p.middle, middle);
        QCOMPARE(p.right, right);
    }

    void middleColumn_data() {
        QTest::addColumn<int>("middleWidth");
        QTest::addColumn<int>("stopPart");
        QTest::addColumn<QRect>("abort");
        QTest::newRow("design 188") << 188 << 92 << QRect(38, 102, 112, 32);
        QTest::newRow("893 window") << 193 << 94 << QRect(38, 102, 117, 32);
        QTest::newRow("narrowest window") << 154 << 75 << QRect(21, 102, 112, 32);
        QTest::newRow("wide window: abort at its maximum")
            << 450 << 223 << QRect(125, 102, 200, 32);
    }
    void middleColumn() {
        QFETCH(int, middleWidth);
        QCOMPARE(StopPartWidth(middleWidth), FETCHED(int, stopPart));
        QCOMPARE(AbortGeometry(middleWidth), FETCHED(QRect, abort));
    }

    void regions_data() {
        QTest::addColumn<int>("clientWidth");
        QTest::addColumn<QRect>("middle");
        QTest::addColumn<QRect>("filler");
        QTest::newRow("893") << 893 << QRect(350, 0, 193, 136) << QRect(513, 0, 380, 136);
        QTest::newRow("1150") << 1150 << QRect(350, 0, 450, 136) << QRect(513, 0, 637, 136);
        QTest::newRow("too narrow for anything")
            << 300 << QRect(350, 0, 0, 136) << QRect(513, 0, 0, 136);
    }
    void regions() {
        QFETCH(int, clientWidth);
        QCOMPARE(DockedMiddleColumn(clientWidth), FETCHED(QRect, middle));
        QCOMPARE(FillerGeometry(clientWidth), FETCHED(QRect, filler));
    }

    // --- protocol columns ---------------------------------------------------------------
    void protocolColumns_data() {
        QTest::addColumn<int>("clientWidth");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("runs");
        QTest::addColumn<int>("name");
        QTest::addColumn<int>("ort");
        // Name and Ort share what is left, two thirds to the name.
        QTest::newRow("minutes, 2 runs, 874") << 874 << 1 << 2 << 258 << 131;
        QTest::newRow("seconds, 2 runs, 874") << 874 << 0 << 2 << 274 << 137;
        QTest::newRow("minutes, 3 runs, 1132") << 1132 << 1 << 3 << 372 << 187;
        QTest::newRow("minutes, 4 runs, 1132") << 1132 << 1 << 4 << 314 << 157;
        QTest::newRow("seconds, 1 run, 1132") << 1132 << 0 << 1 << 496 << 250;
        QTest::newRow("seconds, 5 runs, 874: Ort left nothing, shares")
            << 874 << 0 << 5 << 120 << 60;
        QTest::newRow("seconds, 6 runs, 874: shared 103") << 874 << 0 << 6 << 68 << 35;
        // Six minute-runs leave the two 37 pixels: the name keeps 180, Ort shrinks to nothing.
        QTest::newRow("minutes, 6 runs, 874: no room") << 874 << 1 << 6 << 180 << 0;
        QTest::newRow("no client width") << 0 << 1 << 2 << 180 << 0;
    }
    void protocolColumns() {
        QFETCH(int, clientWidth);
        QFETCH(int, format);
        QFETCH(int, runs);
        const Widths w = ProtocolColumnWidths(clientWidth, format, runs);
        QCOMPARE(w[1], FETCHED(int, name));
        QCOMPARE(w[2], FETCHED(int, ort));
        const int T = format == 0 ? 76 : 87;
        const Widths fixed{52, w[1], w[2], 60, 60, T, 0, 0, 0, 0, 0, 84, 46, -1};
        for (int c : {0, 3, 4, 5, 11, 12, 13})
            QCOMPARE(w[size_t(c)], fixed[size_t(c)]);
        for (int c = 6; c <= 10; ++c)
            QCOMPARE(w[size_t(c)], runs > c - 5 ? T : -1);
        for (int v : w)
            QVERIFY(v >= -1);
    }

    void columnsFillTheGrid_data() {
        QTest::addColumn<int>("clientWidth");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("runs");
        for (int width : {874, 1132})
            for (int format : {0, 1})
                for (int runs = 1; runs <= 6; ++runs) {
                    const auto w = ProtocolColumnWidths(width, format, runs);
                    if (w[2] == 0) continue; // no room: the grid scrolls sideways instead
                    QTest::addRow("%d %s %d", width, format ? "MM:SS" : "SSSS", runs)
                        << width << format << runs;
                }
    }
    void columnsFillTheGrid() {
        // Every visible column and its grid line together are exactly the client width.
        QFETCH(int, clientWidth);
        const Widths w =
            ProtocolColumnWidths(clientWidth, FETCHED(int, format), FETCHED(int, runs));
        int used = 0;
        for (int v : w)
            if (v >= 0) used += v + 1;
        QCOMPARE(used, clientWidth);
    }

    // --- calendar and date panel --------------------------------------------------------
    void calendarPlace_data() {
        QTest::addColumn<QRect>("datePanel");
        QTest::addColumn<QRect>("calendar");
        QTest::newRow("893 window") << QRect(671, 0, 222, 32) << QRect(601, 0, 214, 257);
        QTest::newRow("1150 window") << QRect(928, 0, 222, 32) << QRect(858, 0, 214, 257);
    }
    void calendarPlace() {
        QCOMPARE(CalendarGeometry(FETCHED(QRect, datePanel)), FETCHED(QRect, calendar));
    }

    void dateText_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("text");
        const QDateTime morning(QDate(2026, 12, 5), QTime(6, 5, 59));
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << morning
                                << "05.12.2026   06:05";
        QTest::newRow("Swiss French: a two-digit year widened")
            << QLocale(QLocale::French, QLocale::Switzerland) << morning << "05.12.2026   06:05";
        QTest::newRow("Russian") << QLocale(QLocale::Russian, QLocale::Russia)
                                 << QDateTime(QDate(2010, 2, 24), QTime(23, 59))
                                 << "24.02.2010   23:59";
        QTest::newRow("US: order and AM/PM kept, year widened")
            << QLocale(QLocale::English, QLocale::UnitedStates) << morning << "12/5/2026   6:05 AM";
        QTest::newRow("C locale: seconds dropped")
            << QLocale::c() << morning << "5 Dec 2026   06:05";
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
        QTest::newRow("window font") << "MS Sans Serif"
                                     << "Liberation Sans";
        QTest::newRow("colon and comma") << "Times New Roman"
                                         << "Liberation Serif";
        QTest::newRow("protocol grid") << "Courier"
                                       << "Liberation Mono";
        QTest::newRow("case does not matter") << "arial"
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
    void unknownFamilyHasNoStandIn() { QVERIFY(DesignFontStandIns("Comic Sans MS").isEmpty()); }

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
    void missingPicture() {
        QVERIFY(Picture("no-such-picture").isNull());
        const QPixmap pm = PicturePixmap("no-such-picture", QSize(10, 4));
        QCOMPARE(pm.size(), QSize(10, 4)); // an empty picture, not a crash
    }

    // --- the manual's lists ---------------------------------------------------------------
    void helpContents_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QList<int>>("contexts");
        QTest::newRow("chapter and section")
            << "1\t0\tStart\tstart.html\n2\t1\tTasten\ttasten.html#f1\n"
            << QStringList{"Start", "Tasten"} << QList<int>{1, 2};
        QTest::newRow("comments, blank lines and CR LF") << "# list\r\n\r\n5\t0\tA\ta.html\r\n"
                                                         << QStringList{"A"} << QList<int>{5};
        QTest::newRow("bad lines skipped")
            << "x\t0\tNoNumber\ta.html\n1\t2\tDeep\ta.html\n1\t0\t\ta.html\n1\t0\tNoPage\t\n"
               "1\t0\tToo\tmany\tfields\n7\t0\tGood\tg.html"
            << QStringList{"Good"} << QList<int>{7};
        QTest::newRow("empty") << "" << QStringList{} << QList<int>{};
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

    void helpIndex_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("keywords");
        QTest::newRow("two") << "START\tablauf.html\nPort\teinstellungen.html\n"
                             << QStringList{"START", "Port"};
        QTest::newRow("bad lines skipped")
            << "#c\nnopage\n\tx.html\nF1\t\nOK\to.html" << QStringList{"OK"};
    }
    void helpIndex() {
        QFETCH(QString, text);
        QStringList keywords;
        for (const THelpKeyword& k : ParseHelpIndex(text))
            keywords << k.keyword;
        QCOMPARE(keywords, FETCHED(QStringList, keywords));
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
};

QTEST_MAIN(TestWindowLayout)
#include "tst_windowlayout.moc"
