// The journal on its own: what it writes and when, what a killed write leaves, how a session
// that ended cleanly differs from one that did not, rotation and its bounds.
#include "ModelSupport.h"
#include "persist/Journal.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
TProtocolRows Protocol(int participants, const QString& time = QString()) {
    TProtocolRows rows;
    rows.push_back({"St.Nr.", "Name, Vorname", "Ort", "Klasse", "Datum", "Turm1", "Turm2", "Turm3",
                    "Turm4", "Turm5", "Turm6", "Zeit", "Platz", "."});
    for (int i = 1; i <= participants; ++i) {
        QStringList row(ProtocolColCount);
        row[0] = QString::number(i);
        row[1] = QStringLiteral("Müller %1").arg(i);
        row[5] = time;
        row[13] = QString::number(i);
        rows.push_back(row);
    }
    return rows;
}

QByteArray FileBytes(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// A journal whose protocol is whatever the test last put into `rows`.
struct TSession {
    TJournalSnapshot state; // outlives the journal, which reads it until it is gone
    TJournal journal;
    explicit TSession(const QString& folder) : journal(folder) {
        journal.SetSource([this] { return state; });
        journal.Begin();
    }
    bool Write(const TProtocolRows& rows, const QString& title = QStringLiteral("Cup")) {
        state.Rows = rows;
        state.Meta.Title = title;
        journal.Changed();
        return journal.Flush();
    }
};
} // namespace

class TestJournal : public QObject {
    Q_OBJECT
private slots:
    // --- what counts as data, the order written --------------------------------------------
    void dataRows_data() {
        QTest::addColumn<TProtocolRows>("rows");
        QTest::addColumn<bool>("hasData");
        const QStringList titles = Protocol(0).first();
        QStringList dummy(ProtocolColCount), entryOnly(ProtocolColCount),
            dummyTimed(ProtocolColCount);
        dummy[0] = "0";
        dummy[13] = "1";
        entryOnly[0] = " ";
        entryOnly[13] = "2";
        dummyTimed = dummy;
        dummyTimed[5] = "00:07,12";
        QTest::newRow("nothing") << TProtocolRows{} << false;
        QTest::newRow("titles only") << TProtocolRows{titles} << false;
        QTest::newRow("empty row after the titles")
            << TProtocolRows{titles, QStringList(14)} << false;
        QTest::newRow("the dummy row alone") << TProtocolRows{titles, dummy} << false;
        QTest::newRow("a row with only its entry number")
            << TProtocolRows{titles, entryOnly} << false;
        QStringList placed = dummy;
        placed[11] = "00:00,00";
        placed[12] = "1";
        QTest::newRow("the dummy row with result and place")
            << TProtocolRows{titles, placed} << false;
        QTest::newRow("a time in the dummy row") << TProtocolRows{titles, dummyTimed} << true;
        QTest::newRow("a participant") << Protocol(1) << true;
        QTest::newRow("a short row with a name") << TProtocolRows{titles, {" ", "Meier"}} << true;
    }
    void dataRows() {
        QFETCH(TProtocolRows, rows);
        QFETCH(bool, hasData);
        QCOMPARE(JournalHasData(rows), hasData);
    }

    void loadOrder_data() {
        QTest::addColumn<QStringList>("entries"); // entry numbers of the rows as shown
        QTest::addColumn<QStringList>("written"); // entry numbers of the rows as written
        QTest::newRow("already in load order")
            << QStringList{"1", "2", "3"} << QStringList{"1", "2", "3"};
        QTest::newRow("ranking order") << QStringList{"3", "1", "2"} << QStringList{"1", "2", "3"};
        QTest::newRow("numbers with blanks") << QStringList{" 2", "1 "} << QStringList{"1 ", " 2"};
        QTest::newRow("a row without number stays as shown")
            << QStringList{"2", "", "1"} << QStringList{"2", "", "1"};
        QTest::newRow("a number twice stays as shown")
            << QStringList{"2", "1", "2"} << QStringList{"2", "1", "2"};
        QTest::newRow("a number that is no number stays as shown")
            << QStringList{"2", "x", "1"} << QStringList{"2", "x", "1"};
    }
    void loadOrder() {
        QFETCH(QStringList, entries);
        QFETCH(QStringList, written);
        TProtocolRows rows{Protocol(0).first()};
        for (const QString& e : entries) {
            QStringList row(ProtocolColCount);
            row[1] = QStringLiteral("row with entry ") + e;
            row[13] = e;
            rows.push_back(row);
        }
        const TProtocolRows out = JournalRowsInLoadOrder(rows);
        QCOMPARE(out.size(), rows.size());
        QCOMPARE(out[0], rows[0]);
        QStringList got;
        for (qsizetype r = 1; r < out.size(); ++r) {
            got << out[r][13];
            QCOMPARE(out[r][1], QStringLiteral("row with entry ") + out[r][13]); // whole rows move
        }
        QCOMPARE(got, written);
    }

    void shortRowsArePadded() {
        const TProtocolRows out = JournalRowsInLoadOrder({{"St.Nr."}, {"7", "Meier"}});
        for (const QStringList& row : out)
            QCOMPARE(row.size(), ProtocolColCount);
        QCOMPARE(out[1][1], QStringLiteral("Meier"));
    }

    void dummyRowIsLeftOutOnlyWhenEmpty_data() {
        QTest::addColumn<QString>("time"); // in the dummy row's first run cell
        QTest::addColumn<int>("rowsWritten");
        QTest::newRow("empty dummy row") << "" << 3;
        QTest::newRow("dummy row with a time") << "00:07,12" << 4;
    }
    void dummyRowIsLeftOutOnlyWhenEmpty() {
        QFETCH(QString, time);
        QFETCH(int, rowsWritten);
        TProtocolRows rows = Protocol(2);
        QStringList dummy(ProtocolColCount);
        dummy[0] = "0";
        dummy[5] = time;
        dummy[12] = "3"; // a place is computed, no data
        rows.insert(1, dummy);
        const TProtocolRows out = JournalRows(rows);
        QCOMPARE(out.size(), rowsWritten);
        QCOMPARE(out[1][1], rowsWritten == 3 ? QStringLiteral("Müller 1") : QString());
    }

    void meta_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("vid");
        QTest::addColumn<int>("zabegov");
        QTest::addColumn<int>("klassCol");
        QTest::newRow("all given")
            << QByteArray("Title=Stadtmeisterschaft\nVid=2\nCountZabegov=4\nKlassCol=3\n")
            << "Stadtmeisterschaft" << 2 << 4 << 3;
        QTest::newRow("umlauts and '=' in the title")
            << QByteArray("Title=Großer Preis =1=\nVid=1\n") << "Großer Preis =1=" << 1 << 2 << 0;
        QTest::newRow("values out of range keep the defaults")
            << QByteArray("Vid=7\nCountZabegov=0\nKlassCol=-1\n") << "" << 0 << 2 << 0;
        QTest::newRow("garbage") << QByteArray("\x01\xff=\n==\nVid\n") << "" << 0 << 2 << 0;
        QTest::newRow("empty") << QByteArray() << "" << 0 << 2 << 0;
    }
    void meta() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, title);
        QFETCH(int, vid);
        QFETCH(int, zabegov);
        QFETCH(int, klassCol);
        const TJournalMeta m = ParseJournalMeta(bytes);
        QCOMPARE(m.Title, title);
        QCOMPARE(m.Vid, vid);
        QCOMPARE(m.CountZabegov, zabegov);
        QCOMPARE(m.KlassCol, klassCol);
        QCOMPARE(ParseJournalMeta(FormatJournalMeta(m)), m);
    }

    void metaTitleKeepsToOneLine() {
        const TJournalMeta m{QStringLiteral("a\r\nVid=2"), 1, 3, 0};
        const TJournalMeta back = ParseJournalMeta(FormatJournalMeta(m));
        QCOMPARE(back.Vid, 1);
        QCOMPARE(back.Title, QStringLiteral("a  Vid=2"));
    }

    // --- writing --------------------------------------------------------------------------
    void writesTheProtocolShortlyAfterAChange() {
        QTemporaryDir dir;
        TSession s(dir.path());
        s.state.Rows = Protocol(3, "00:07,12");
        s.state.Meta = {QStringLiteral("Cup"), 1, 3, 2};
        s.journal.Changed();
        QCOMPARE(s.journal.WritesDone(), 0u); // never written on the caller's path
        QVERIFY(WaitUntil([&] { return s.journal.WritesDone() == 1; }, 5000));
        QCOMPARE(FileBytes(s.journal.JournalFile()), FormatProtocolText(s.state.Rows));
        QCOMPARE(ParseJournalMeta(FileBytes(s.journal.MetaFile())), s.state.Meta);
    }

    void changesInQuickSuccessionAreOneWrite() {
        QTemporaryDir dir;
        TSession s(dir.path());
        s.journal.SetDebounceMs(300);
        for (int i = 1; i <= 50; ++i) {
            s.state.Rows = Protocol(i);
            s.journal.Changed();
        }
        QVERIFY(WaitUntil([&] { return s.journal.WritesDone() >= 1; }, 5000));
        QTest::qWait(400); // a second write would come after another interval
        QCOMPARE(s.journal.WritesDone(), 1u);
        QCOMPARE(ParseProtocolText(FileBytes(s.journal.JournalFile())).size(), 51);
    }

    void nothingIsWrittenBeforeBegin() {
        QTemporaryDir dir;
        TJournal j(dir.path());
        j.SetSource([] { return TJournalSnapshot{Protocol(2), {}}; });
        j.Changed();
        QVERIFY(!j.Flush(100));
        QVERIFY(!QFileInfo::exists(j.JournalFile()));
    }

    // --- a write that a kill interrupts -------------------------------------------------------
    void interruptedWriteKeepsThePreviousJournal_data() {
        QTest::addColumn<int>("stop");
        QTest::newRow("half the bytes written") << int(TWriteStop::HalfWritten);
        QTest::newRow("written, not yet renamed") << int(TWriteStop::BeforeRename);
    }
    void interruptedWriteKeepsThePreviousJournal() {
        QFETCH(int, stop);
        QTemporaryDir dir;
        const TProtocolRows before = Protocol(4, "00:07,12");
        {
            TSession s(dir.path());
            QVERIFY(s.Write(before));
            s.journal.StopNextWrite(TWriteStop(stop));
            s.Write(Protocol(40, "00:09,99"));
            QCOMPARE(FileBytes(s.journal.JournalFile()), FormatProtocolText(before));
            QVERIFY(!QDir(dir.path()).entryList({"journal.txt.part-*"}, QDir::Files).isEmpty());
            s.journal.AbandonAsIfKilled();
        }
        TJournal next(dir.path());
        QCOMPARE(next.Folder(), dir.path());
        QVERIFY(next.LastEndUnclean());
        QCOMPARE(next.LastRows(), ParseProtocolText(FormatProtocolText(before)));
        QCOMPARE(next.LastMeta().Title, QStringLiteral("Cup"));
        next.Begin();
        QVERIFY(QDir(dir.path()).entryList({"*.part-*"}, QDir::Files).isEmpty());
    }

    // --- sessions ---------------------------------------------------------------------------
    void endOfSession_data() {
        QTest::addColumn<bool>("killed");
        QTest::addColumn<bool>("changeAfterLastWrite"); // pending when the session ended
        QTest::addColumn<int>("rowsFound");
        QTest::newRow("clean end") << false << false << 3;
        QTest::newRow("clean end writes what is pending") << false << true << 6;
        QTest::newRow("killed") << true << false << 3;
        QTest::newRow("killed with a change pending") << true << true << 3;
    }
    void endOfSession() {
        QFETCH(bool, killed);
        QFETCH(bool, changeAfterLastWrite);
        QFETCH(int, rowsFound);
        QTemporaryDir dir;
        {
            TSession s(dir.path());
            s.journal.SetDebounceMs(60000);
            QVERIFY(s.Write(Protocol(2)));
            if (changeAfterLastWrite) {
                s.state.Rows = Protocol(5);
                s.journal.Changed();
            }
            if (killed) s.journal.AbandonAsIfKilled();
        }
        TJournal next(dir.path());
        QCOMPARE(next.LastEndUnclean(), killed);
        QCOMPARE(next.LastRows().size(), rowsFound);
    }

    void firstSessionFindsNothing() {
        QTemporaryDir dir;
        TJournal j(dir.filePath("new/folder"));
        QVERIFY(j.IsOpen());
        QVERIFY(!j.LastEndUnclean());
        QVERIFY(j.LastRows().isEmpty());
    }

    void secondProgramAtOnceGetsItsOwnFolder() {
        QTemporaryDir dir;
        const QString folder = dir.filePath("journal");
        TSession first(folder);
        TSession second(folder);
        QCOMPARE(first.journal.Folder(), folder);
        QCOMPARE(second.journal.Folder(), folder + "-2");
        QVERIFY(!second.journal.LastEndUnclean()); // the first one is running, not dead
        QVERIFY(first.Write(Protocol(1)));
        QVERIFY(second.Write(Protocol(7)));
        QCOMPARE(ParseProtocolText(FileBytes(first.journal.JournalFile())).size(), 2);
    }

    void writeFailuresAreReportedAndTheirEnd() {
        QTemporaryDir dir;
        TSession s(dir.path());
        QSignalSpy failed(&s.journal, &TJournal::WriteFailed);
        QVERIFY(QDir().mkdir(s.journal.JournalFile())); // a folder where the file belongs
        QVERIFY(!s.Write(Protocol(1)));
        QVERIFY(!s.Write(Protocol(2)));
        QVERIFY(WaitUntil([&] { return failed.size() >= 1; }));
        QCOMPARE(failed.size(), 1); // once per failing stretch, not once per change
        QVERIFY(failed[0][0].toString().contains("journal.txt"));
        QVERIFY(QDir().rmdir(s.journal.JournalFile()));
        QVERIFY(s.Write(Protocol(3)));
        QVERIFY(WaitUntil([&] { return failed.size() == 2; }));
        QVERIFY(failed[1][0].toString().isEmpty());
    }

    // --- what is kept ---------------------------------------------------------------------------
    void earlierSessionsAreRotated() {
        QTemporaryDir dir;
        for (int session = 1; session <= 5; ++session) {
            TSession s(dir.path());
            QVERIFY(s.Write(Protocol(session)));
        }
        QDir d(dir.path());
        QCOMPARE(ParseProtocolText(FileBytes(d.filePath("journal.txt"))).size(), 6);
        // The newest earlier ones, newest first; older ones are gone.
        for (int i = 1; i <= TJournal::KeepRotated; ++i)
            QCOMPARE(
                ParseProtocolText(FileBytes(d.filePath(QStringLiteral("journal-%1.txt").arg(i))))
                    .size(),
                6 - i);
        QVERIFY(!d.exists(QStringLiteral("journal-%1.txt").arg(TJournal::KeepRotated + 1)));
    }

    void rotatedJournalsStayWithinTheirBound() {
        QTemporaryDir dir;
        const int big = 12000; // each journal well over a third of the bound
        for (int session = 1; session <= 4; ++session) {
            TSession s(dir.path());
            QVERIFY(s.Write(Protocol(big, QString(100, QChar('x')))));
        }
        QDir d(dir.path());
        qint64 total = 0;
        QStringList kept = d.entryList({"journal-*.txt"}, QDir::Files);
        for (const QString& f : kept)
            total += QFileInfo(d.filePath(f)).size();
        QVERIFY(QFileInfo(d.filePath("journal-1.txt")).size() > TJournal::RotatedMaxBytes / 3);
        QVERIFY2(total <= TJournal::RotatedMaxBytes, qPrintable(kept.join(' ')));
        QVERIFY(kept.contains("journal-1.txt")); // the newest earlier one always stays
    }

    void declinedJournalIsKeptUnderADatedName() {
        QTemporaryDir dir;
        const TProtocolRows lost = Protocol(3, "00:07,12");
        {
            TSession s(dir.path());
            QVERIFY(s.Write(lost, QStringLiteral("Cup: Finale?")));
            s.journal.AbandonAsIfKilled();
        }
        QString kept;
        {
            TJournal j(dir.path());
            QVERIFY(j.LastEndUnclean());
            kept = j.KeepLastUnrestored();
            QVERIFY(kept.startsWith(dir.path() + "/unterbrochen "));
            QVERIFY2(kept.endsWith(" Cup_ Finale_.txt"), qPrintable(kept));
            j.Begin();
        }
        for (int session = 1; session <= 5; ++session) {
            TSession s(dir.path());
            QVERIFY(s.Write(Protocol(session)));
        }
        TProtocolRows back;
        QVERIFY(ReadProtocolFile(kept, &back, nullptr));
        QCOMPARE(back, ParseProtocolText(FormatProtocolText(lost)));
    }

    void onlyTheNewestDeclinedJournalsAreKept() {
        QTemporaryDir dir;
        QStringList kept;
        for (int i = 0; i < TJournal::KeepUnrestored + 2; ++i) {
            {
                TSession s(dir.path());
                QVERIFY(s.Write(Protocol(i + 1), QStringLiteral("C%1").arg(i)));
                s.journal.AbandonAsIfKilled();
            }
            TJournal j(dir.path());
            kept << j.KeepLastUnrestored();
            QVERIFY(!kept.last().isEmpty());
        }
        for (int i = 0; i < kept.size(); ++i)
            QCOMPARE(QFileInfo::exists(kept[i]), i >= 2);
    }
};

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
