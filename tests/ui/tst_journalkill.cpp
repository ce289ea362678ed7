// The program killed with SIGKILL in the middle of a competition and started again: the
// restored protocol holds every run recorded at least a second before the kill.
#include "KillRound.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

class TestJournalKill : public QObject {
    Q_OBJECT
private slots:
    void killedProgramLosesAtMostTheLastSecond_data() {
        QTest::addColumn<int>("runs");
        QTest::addColumn<int>("paceMs");
        QTest::addColumn<int>("killAfterMs");
        QTest::addColumn<bool>("expectAll");
        // Idle for over a second after the last run: nothing at all may be missing.
        QTest::newRow("after the last run") << 12 << 15 << -1200 << true;
        // Runs still coming in when the program dies: only the last second may be missing.
        QTest::newRow("while recording, early") << 200 << 15 << 700 << false;
        QTest::newRow("while recording, late") << 200 << 15 << 1900 << false;
        QTest::newRow("while recording, anywhere")
            << 200 << 15 << int(QRandomGenerator::global()->bounded(300, 2500)) << false;
    }
    void killedProgramLosesAtMostTheLastSecond() {
        QFETCH(int, runs);
        QFETCH(int, paceMs);
        QFETCH(int, killAfterMs);
        QFETCH(bool, expectAll);
        QTemporaryDir dir;
        const TKillRound r =
            RunKillRound(QStringLiteral(VELTARO_SCRIPTED), dir.path(), runs, paceMs, killAfterMs);
        qInfo("recorded %d, due %d, restored %d, oldest lost %lld ms before the kill", r.printed,
              r.due, r.recovered, r.lostMs);
        QVERIFY2(r.failure.isEmpty(), qPrintable(r.failure));
        QVERIFY(r.printed > 0);
        if (expectAll) QCOMPARE(r.recovered, runs);
        QVERIFY2(r.lostMs < 1000, qPrintable(QString::number(r.lostMs)));
    }
};

QTEST_GUILESS_MAIN(TestJournalKill)
#include "tst_journalkill.moc"
