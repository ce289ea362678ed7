// Saving, loading and publishing through the main window, and settings across a restart.
#include "persist/SettingsGlue.h"
#include "TestSupport.h"
#include "ui/FMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSettings>
#include <QtTest>

namespace {
QByteArray ReadAll(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
QStringList Column(const TFormMain& w, int col) {
    QStringList out;
    for (int r = 1; r < w.SortGrid1->RowCount(); ++r)
        out << w.SortGrid1->Cells(col, r);
    return out;
}
} // namespace

class TestProtocolFiles : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void saveLeavesTheDummyOutAndPutsItBack() {
        TWindowFixture f;
        f.Load(0, ParticipantRows(2));
        TFormMain& w = *f.w;
        QCOMPARE(w.SortGrid1->Cells(Col::StNr, 1), QString("0"));
        w.Competition->SetModified(true);
        const QString name = f.dir.filePath("out.txt");
        f.dialogs.saveNames = {name};
        f.Key(Qt::Key_S, Qt::ControlModifier);
        const QByteArray bytes = ReadAll(name);
        QVERIFY(bytes.startsWith("St.Nr.\tName, Vorname\t"));
        QCOMPARE(bytes.count("\r\n"), 3); // titles and two participants, no dummy
        QVERIFY(!bytes.contains("\r\n0\t"));
        QCOMPARE(w.SortGrid1->Cells(Col::StNr, 1), QString("0"));
        QVERIFY(!w.Competition->Modified());
    }

    void proposedName() {
        TWindowFixture f(false);
        TFormMain& w = *f.w;
        w.SetVid(1);
        QCOMPARE(w.DefaultExportName(),
                 QDate::currentDate().toString("yyyy-MM-dd") + "_Individuelles Klettern");
    }

    void failedSaveIsSaidAndKeepsTheMark() {
        TWindowFixture f;
        f.Load(2, ParticipantRows(2));
        TFormMain& w = *f.w;
        // An older protocol of the same name survives a failed write.
        const QString dir = f.dir.filePath("sub");
        QDir().mkpath(dir);
        const QString name = dir + "/protokoll.txt";
        {
            QFile old(name);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old results\r\n");
        }
        w.Competition->SetModified(true);
        f.dialogs.saveNames = {f.dir.filePath("missing/x.txt")};
        w.sbSaveClick();
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY(f.dialogs.messages[0].contains("x.txt"));
        QVERIFY(w.Competition->Modified());
        QCOMPARE(ReadAll(name), QByteArray("old results\r\n"));
    }

    void loadRestoresEverything() {
        TWindowFixture f;
        TFormMain& w = *f.w;
        w.SetVid(2);
        w.cbVidChange();
        // A start list typed in an editor: semicolons, Windows-1252 umlauts, no entry numbers.
        const QString name = f.dir.filePath("Bezirkscup 2026.txt");
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Nr;Teilnehmer;Verein;Kat;Tag\r\n"
                   "12;M\xfcller, J\xfcrgen;Gr\xfcnwald;A;\r\n"
                   "7;Stra\xdf"
                   "e, Anna ;Linz;B;\r\n"
                   "3\tTab\tOrt\tA\t\r\n");
        file.close();
        f.dialogs.openNames = {name};
        f.Key(Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(w.windowTitle(), QString("TL-Veltaro: Bezirkscup 2026"));
        QCOMPARE(w.Settings.Title, QString("Bezirkscup 2026"));
        QCOMPARE(w.SortGrid1->Cells(Col::StNr, 0), QString("St.Nr."));
        QCOMPARE(w.SortGrid1->Cells(Col::Name, 0), QString("Teilnehmer"));
        QCOMPARE(w.SortGrid1->Cells(Col::Turm1, 0), QString("Turm1"));
        QCOMPARE(Column(w, Col::Name), (QStringList{"Müller, Jürgen", "Straße, Anna", "Tab"}));
        QCOMPARE(Column(w, Col::Entry), (QStringList{"1", "2", "3"}));
        QCOMPARE(w.cbBuhn1->count(), 3);
        QCOMPARE(w.cbBuhn1->itemText(0), QString("12 Müller, Jürgen Grünwald A"));
        QCOMPARE(w.cbBuhn1->currentIndex(), 0);
        QCOMPARE(w.cbBuhn2->currentIndex(), 1);
        QVERIFY(w.cbBuhn2->isEnabled());
        QVERIFY(!w.Competition->Modified());
        QVERIFY(w.mStart->isEnabled());
    }

    // What a load does to the protocol on screen: a file that cannot be read keeps it, unsaved
    // results go only when the operator says so, and the file's content, not the type the
    // dialog showed, chooses the reader.
    void loadOverTheProtocol_data() {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<int>("filter"); // the type the operator picked, 0: the first start's
        QTest::addColumn<bool>("unsaved");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<QString>("numbers"); // afterwards
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("messages");
        QTest::newRow("missing file") << false << 0 << true << QList<bool>{} << "1 2 3" << 0 << 1;
        QTest::newRow("unsaved: No keeps them")
            << true << 0 << true << QList<bool>{false} << "1 2 3" << 1 << 0;
        QTest::newRow("unsaved: Yes loads")
            << true << 0 << true << QList<bool>{true} << "91 92" << 1 << 0;
        QTest::newRow("saved: no question")
            << true << 0 << false << QList<bool>{} << "91 92" << 0 << 0;
        QTest::newRow("text under the spreadsheet type")
            << true << 2 << false << QList<bool>{} << "91 92" << 0 << 0;
    }
    void loadOverTheProtocol() {
        QFETCH(bool, exists);
        QFETCH(int, filter);
        QFETCH(bool, unsaved);
        QFETCH(QList<bool>, answers);
        TWindowFixture f;
        f.Load(2, ParticipantRows(3));
        TFormMain& w = *f.w;
        if (unsaved) {
            f.Key(Qt::Key_F8);
            f.clock.advance(6000);
            f.Key(Qt::Key_F4);
            f.Key(Qt::Key_F6);
        }
        const QString name = f.dir.filePath("Neu.txt");
        QString error;
        if (exists) QVERIFY(WriteProtocolFile(name, ParticipantRows(2, {91, 92}), &error));
        f.dialogs.openNames = {name};
        f.dialogs.chosenFilter = filter;
        f.dialogs.answers = answers;
        f.Key(Qt::Key_O, Qt::ControlModifier);
        QTEST(Column(w, Col::StNr).join(' '), "numbers");
        QTEST(int(f.dialogs.asked.size()), "asked");
        QTEST(int(f.dialogs.messages.size()), "messages");
        if (!f.dialogs.asked.isEmpty())
            QVERIFY(f.dialogs.asked[0].startsWith("Ungespeicherte Ergebnisse verwerfen?"));
    }

    void roundTripThroughTheWindow() {
        TWindowFixture f;
        TProtocolRows rows = ParticipantRows(4);
        rows[2][Col::Turm1] = "12,34";
        rows[2][Col::Turm2] = "DIS.";
        rows[3][Col::Turm1] = "9,00";
        rows[3][Col::Turm2] = "9,50";
        f.Load(2, rows);
        TFormMain& w = *f.w;
        QVector<QStringList> before;
        for (int r = 0; r < w.SortGrid1->RowCount(); ++r)
            before << w.SortGrid1->Rows(r);
        const QString name = f.dir.filePath("round.txt");
        f.dialogs.saveNames = {name};
        w.sbSaveClick();
        f.dialogs.openNames = {name};
        w.sbLoadClick();
        QCOMPARE(w.SortGrid1->RowCount(), int(before.size()));
        for (int r = 0; r < before.size(); ++r)
            for (int c = 0; c < 14; ++c) {
                if (r > 0 && (c == Col::Zeit || c == Col::Platz)) continue; // recomputed
                const QString was = before[r][c];
                // An empty cell comes back as one blank, which every part reads as empty.
                QCOMPARE(w.SortGrid1->Cells(c, r), was.isEmpty() ? QString(" ") : was);
            }
        QCOMPARE(w.SortGrid1->Cells(Col::Zeit, 3), QString("18,50"));
    }

    void publishAndPrint_data() {
        QTest::addColumn<int>("tag");
        QTest::newRow("open") << 0;
        QTest::newRow("print") << 1;
    }
    void publishAndPrint() {
        QFETCH(int, tag);
        TWindowFixture f;
        TProtocolRows rows = ParticipantRows(2);
        rows[1][Col::Name] = "<script>alert(1)</script>";
        f.Load(0, rows);
        TFormMain& w = *f.w;
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(f.dir.path());
        f.Key(tag == 0 ? Qt::Key_H : Qt::Key_P, Qt::ControlModifier);
        QDir::setCurrent(cwd);
        const QStringList& called = tag == 0 ? f.dialogs.shellOpened : f.dialogs.shellPrinted;
        QCOMPARE(called.size(), 1);
        const QByteArray page = ReadAll(called[0]);
        QVERIFY(page.contains("charset=UTF-8"));
        QVERIFY(page.contains("&lt;script&gt;"));
        QVERIFY(!page.contains("<script>"));
        QCOMPARE(page.count("<tr>") - 1, 2); // the header row, two participants, no dummy
        QCOMPARE(w.SortGrid1->Cells(Col::StNr, 1), QString("0"));
        QVERIFY(!w.Competition->Modified());
    }

    void settingsSurviveARestart() {
        TWindowFixture f(false);
        TFormMain& w = *f.w;
        w.Settings.CountZabegov = 4;
        w.SetTimeFormat(0);
        w.Settings.AutoTime = 7000;
        w.Settings.TimerGesperrt = 3000;
        w.SetVid(2);
        w.SetTrackColor(0, 0x123456);
        w.Settings.KlassCol = 4;
        w.Settings.Alg2 = 1;
        w.Settings.isPlaySound1 = false;
        w.Settings.Title = "Finale";
        f.Restart(); // closing writes the settings, the new window reads them
        TFormMain& v = *f.w;
        QCOMPARE(v.Settings.CountZabegov, 4);
        QCOMPARE(v.Settings.TimeFormat, 0);
        QCOMPARE(v.Settings.AutoTime, 7000);
        QCOMPARE(v.cbAuto0->toolTip(), QString("Autoreset 7 Sek."));
        QCOMPARE(v.Settings.TimerGesperrt, 3000);
        QCOMPARE(v.Vid(), 2);
        QCOMPARE(v.cbVid->currentIndex(), 2);
        QCOMPARE(v.Settings.CountBahn, 2);
        QCOMPARE(v.TrackColor(0), TColor(0x123456));
        QCOMPARE(v.Settings.KlassCol, 4);
        QCOMPARE(v.Settings.Alg2, 1);
        QVERIFY(!v.Settings.isPlaySound1);
        QCOMPARE(v.Settings.Title, QString("Finale"));
    }

    void garbageSettingsStartSafely() {
        TWindowFixture f(false);
        f.w.reset();
        f.parts.reset(); // its settings are written before the file is replaced
        {
            QSettings s(f.dir.filePath("settings.conf"), QSettings::IniFormat);
            s.clear();
        }
        QFile file(f.dir.filePath("settings.conf"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[General]\nLeft=10\nTop=10\nWidth=900\nHeight=5\nPort=0\nAlg1=7\nAlg2=0\n"
                   "Alg3=0\nCountBahn=2\nFilterInd=-4\nTimerGesperrt=-1000\nAllLaufe=6\n"
                   "CountZabegov=0\nMonitor=9\nMonitorOn=1\nTimeFormat=7\nAutoTime=abc\n");
        file.close();
        f.Restart();
        TFormMain& w = *f.w;
        QCOMPARE(w.height() >= 382, true);
        QCOMPARE(w.Settings.Alg1, 1);
        QCOMPARE(w.Settings.FilterInd, 1);
        QCOMPARE(w.Settings.TimerGesperrt, 1000);
        QCOMPARE(w.Settings.CountZabegov, 1);
        QCOMPARE(w.Settings.Monitor, 0); // no such display
        QVERIFY(!w.Settings.MonitorOn);
        QCOMPARE(w.Settings.TimeFormat, 1);
        QCOMPARE(w.Settings.AutoTime, 5000); // ill-typed: it and all later keep their defaults
        QVERIFY(!w.SettingsCorrections.isEmpty());
    }
};

QTEST_MAIN(TestProtocolFiles)
#include "tst_protocolfiles.moc"
