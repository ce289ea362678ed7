// The finals from the operator's side: the fourth mode in the mode box and its refusal, the
// ranking rule and bracket size in the settings dialog, the bracket window following heats
// run with the keys, its two after-the-fact commands, the bracket page, and the audience
// window switching between the bracket and the digits.
#include "core/TimeFormat.h"
#include "OffscreenScreens.h"
#include "TestSupport.h"
#include "ui/BracketView.h"
#include "ui/Cfg.h"
#include "ui/FBracket.h"
#include "ui/FinalsSettingsGroup.h"
#include "ui/FMain.h"
#include "ui/FMonitor2.h"
#include "widgets/Udigit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

namespace {
// A qualification protocol: n climbers with two runs each, climber i the i-th fastest.
TProtocolRows QualificationRows(int n, int timeFormat) {
    TProtocolRows rows = ParticipantRows(n);
    for (int i = 1; i <= n; ++i) {
        rows[i][Col::Turm1] = FormatTime(7000 + 100 * i, timeFormat);
        rows[i][Col::Turm2] = FormatTime(7050 + 100 * i, timeFormat);
    }
    return rows;
}

// The operator picks a mode in the box.
void ChooseMode(TFormMain& w, int mode) {
    w.cbVid->setCurrentIndex(mode);
    emit w.cbVid->activated(mode);
}

// A qualification loaded and the finals chosen, as the operator goes from one to the other.
void StartFinals(TWindowFixture& f, int climbers) {
    f.Load(0, QualificationRows(climbers, f.w->Settings.TimeFormat));
    ChooseMode(*f.w, TCompetition::FinaleKo);
    QCOMPARE(f.w->Competition->Mode(), int(TCompetition::FinaleKo));
}

// One heat with the keys: START, then the tracks stop after their times (the faster first),
// a disqualification of a lane when asked, and RESET.
void RunHeat(TWindowFixture& f, int msA, int msB, int disLane = -1) {
    f.Key(Qt::Key_F8);
    const bool aFirst = msA <= msB;
    f.clock.advance(std::uint32_t(std::min(msA, msB)));
    f.Key(aFirst ? Qt::Key_F4 : Qt::Key_F6);
    f.clock.advance(std::uint32_t(std::abs(msA - msB)));
    f.Key(aFirst ? Qt::Key_F6 : Qt::Key_F4);
    if (disLane == 0) f.w->sb1del->click();
    if (disLane == 1) f.w->sb2del->click();
    f.Key(Qt::Key_F9);
}

TFormBracket& OpenBracketWindow(TWindowFixture& f) {
    f.Key(Qt::Key_K, Qt::ControlModifier);
    TFormBracket* b = f.w->FormBracket;
    if (!b) qFatal("Ctrl+K opened no bracket window");
    return *b;
}
} // namespace

class TestFinalsWindow : public QObject {
    Q_OBJECT
private slots:
    void init() { SetOffscreenScreens({QRect(0, 0, 1280, 1024), QRect(1280, 0, 1920, 1080)}); }

    // --- the mode box ---------------------------------------------------------------------
    void modeBoxOffersTheFinals() {
        TWindowFixture f;
        QCOMPARE(f.w->cbVid->count(), 4);
        QCOMPARE(f.w->cbVid->itemText(3), QString("Finale (K.-o.)"));
        // The three modes keep their places: their stored numbers mean what they meant.
        QCOMPARE(f.w->cbVid->itemText(0), QString("Qualifikation"));
        QCOMPARE(f.w->cbVid->itemText(2), QString("Paarrennen"));
    }

    void refusedFinalsKeepEverything_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("climbers");
        QTest::newRow("Qualifikation, empty protocol") << 0 << 0;
        QTest::newRow("Individuelles Klettern, one climber") << 1 << 1;
        QTest::newRow("Paarrennen, one climber") << 2 << 1;
    }
    void refusedFinalsKeepEverything() {
        QFETCH(int, mode);
        QFETCH(int, climbers);
        TWindowFixture f;
        TFormMain& w = *f.w;
        f.Load(mode, QualificationRows(climbers, w.Settings.TimeFormat));
        const TProtocolRows before = w.Competition->Rows(TCompetition::ForExitCopy);
        ChooseMode(w, TCompetition::FinaleKo);
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY(!f.dialogs.messages.first().isEmpty());
        QCOMPARE(f.dialogs.messages.first(), w.Competition->BracketNote());
        QCOMPARE(w.cbVid->currentIndex(), mode);
        QCOMPARE(w.Settings.Vid, mode);
        QCOMPARE(w.Competition->Mode(), mode);
        QCOMPARE(w.Competition->Rows(TCompetition::ForExitCopy), before);
        QCOMPARE(w.Settings.CountBahn, mode == 1 ? 1 : 2);
    }

    void acceptedFinalsPutTheFirstPairOnTwoTracks() {
        TWindowFixture f;
        TFormMain& w = *f.w;
        w.Settings.CountZabegov = 2;
        StartFinals(f, 6);
        QVERIFY(f.dialogs.messages.isEmpty());
        QCOMPARE(w.cbVid->currentIndex(), 3);
        QCOMPARE(w.Settings.CountBahn, 2);
        QVERIFY(w.cbBuhn2->isVisible());
        QVERIFY(!w.cbAllTrasse->isVisible());
        const auto& heat = w.Competition->Bracket().Heats()[w.Competition->Bracket().CurrentHeat()];
        QCOMPARE(w.Competition->TrackEntry(0), heat.Entry[0]);
        QCOMPARE(w.Competition->TrackEntry(1), heat.Entry[1]);
    }

    void loadInFinals_data() {
        QTest::addColumn<bool>("results");
        QTest::addColumn<int>("mode");
        QTest::newRow("a qualification: the finals") << true << int(TCompetition::FinaleKo);
        QTest::newRow("a start list: back to the mode kept") << false << 0;
    }
    void loadInFinals() {
        QFETCH(bool, results);
        QFETCH(int, mode);
        TWindowFixture f;
        TFormMain& w = *f.w;
        QCOMPARE(w.Competition->Mode(), 0);
        // The finals chosen on an empty protocol are refused; the operator's choice on load
        // comes from a journal or a test that sets the box.
        w.SetVid(TCompetition::FinaleKo);
        w.LoadProtocolRows(results ? QualificationRows(8, w.Settings.TimeFormat)
                                   : ParticipantRows(8),
                           f.dir.filePath("Finale.txt"));
        QCOMPARE(w.Competition->Mode(), mode);
        QCOMPARE(w.cbVid->currentIndex(), mode);
        QCOMPARE(w.Settings.Vid, mode);
        QCOMPARE(w.Competition->Bracket().IsEmpty(), !results);
        QCOMPARE(w.Competition->EntryCount(), 8 + (mode == 0 ? 1 : 0)); // the dummy
    }

    // --- the settings dialog ---------------------------------------------------------------
    void settingsRoundTrip_data() {
        QTest::addColumn<int>("ranking");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("ok");
        QTest::newRow("Bestzeit, 8") << 1 << 8 << true;
        QTest::newRow("Summe, 4") << 0 << 4 << true;
        QTest::newRow("Bestzeit, 16") << 1 << 16 << true;
        QTest::newRow("cancelled") << 1 << 4 << false;
    }
    void settingsRoundTrip() {
        QFETCH(int, ranking);
        QFETCH(int, size);
        QFETCH(bool, ok);
        TWindowFixture f;
        f.Load(2, ParticipantRows(4));
        const int rankingBefore = f.w->Settings.Ranking, sizeBefore = f.w->Settings.BracketSize;
        QCOMPARE(rankingBefore, 0);
        QCOMPARE(sizeBefore, 16);
        f.dialogs.onModal = [&](QDialog& d) {
            auto& cfg = static_cast<TCfgDialog&>(d);
            cfg.gbFinale->cbRanking->setCurrentIndex(ranking);
            cfg.gbFinale->cbBracketSize->setCurrentText(QString::number(size));
            return ok ? int(QDialog::Accepted) : int(QDialog::Rejected);
        };
        f.Key(Qt::Key_F2);
        const int wantRanking = ok ? ranking : rankingBefore, wantSize = ok ? size : sizeBefore;
        QCOMPARE(f.w->Settings.Ranking, wantRanking);
        QCOMPARE(f.w->Settings.BracketSize, wantSize);
        QCOMPARE(f.w->Competition->RankingRule(), wantRanking);
        QCOMPARE(f.w->Competition->BracketSize(), wantSize);

        // Stored, read back at the next start, and shown when the dialog opens again.
        f.Restart(true);
        QCOMPARE(f.w->Competition->RankingRule(), wantRanking);
        QString shownRanking, shownSize;
        f.dialogs.onModal = [&](QDialog& d) {
            auto& cfg = static_cast<TCfgDialog&>(d);
            shownRanking = cfg.gbFinale->cbRanking->currentText();
            shownSize = cfg.gbFinale->cbBracketSize->currentText();
            return int(QDialog::Rejected);
        };
        f.Key(Qt::Key_F2);
        QCOMPARE(shownRanking, wantRanking == 1 ? QString("Bestzeit") : QString("Summe"));
        QCOMPARE(shownSize, QString::number(wantSize));
    }

    void storedBracketSizeInList_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("shown");
        QTest::newRow("16") << 16 << 16;
        QTest::newRow("8") << 8 << 8;
        QTest::newRow("4") << 4 << 4;
        QTest::newRow("12: the size below") << 12 << 8;
        QTest::newRow("5: the size below") << 5 << 4;
        QTest::newRow("too small") << 2 << 4;
        QTest::newRow("too large") << 64 << 16;
    }
    void storedBracketSizeInList() {
        QFETCH(int, stored);
        QFETCH(int, shown);
        QCOMPARE(BracketSizeAt(BracketSizeIndex(stored)), shown);
    }

    // --- the bracket window ----------------------------------------------------------------
    void bracketWindowFollowsHeats_data() {
        QTest::addColumn<int>("msA");
        QTest::addColumn<int>("msB");
        QTest::addColumn<int>("disLane");
        QTest::addColumn<int>("winner");
        QTest::newRow("lane A faster") << 6543 << 7012 << -1 << 0;
        QTest::newRow("lane B faster") << 7012 << 6543 << -1 << 1;
        QTest::newRow("lane A faster but disqualified") << 6543 << 7012 << 0 << 1;
    }
    void bracketWindowFollowsHeats() {
        QFETCH(int, msA);
        QFETCH(int, msB);
        QFETCH(int, disLane);
        QFETCH(int, winner);
        TWindowFixture f;
        StartFinals(f, 16);
        TFormBracket& b = OpenBracketWindow(f);
        QVERIFY(b.isVisible());
        QCOMPARE(b.windowTitle(), QString("K.-o.-Feld"));
        const TBracketView& view = *b.BracketView;
        const int first = view.Bracket().CurrentHeat();
        QVERIFY(first >= 0);
        const auto pair = view.Bracket().Heats()[first].Entry;
        QCOMPARE(view.NameOf(pair[0]), f.w->Competition->Cell(pair[0], Col::Name));
        const int repaints = view.Repaints();

        RunHeat(f, msA, msB, disLane);
        const auto& heat = view.Bracket().Heats()[first];
        QCOMPARE(heat.Winner, winner);
        const int tf = f.w->Settings.TimeFormat;
        QCOMPARE(heat.Lane[0].Kind, disLane == 0 ? TBracket::LaneDis : TBracket::LaneTime);
        if (disLane != 0) QCOMPARE(FormatTime(heat.Lane[0].Ms, tf), FormatTime(msA, tf));
        QCOMPARE(FormatTime(heat.Lane[1].Ms, tf), FormatTime(msB, tf));
        QVERIFY(view.Bracket().CurrentHeat() != first);
        QVERIFY(view.Repaints() > repaints);
        // The next pair stands on the tracks and in the window's outlined heat.
        const auto next = view.Bracket().Heats()[view.Bracket().CurrentHeat()].Entry;
        QCOMPARE(f.w->Competition->TrackEntry(0), next[0]);
        QCOMPARE(f.w->Competition->TrackEntry(1), next[1]);
    }

    void rerunAsksFirst_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void rerunAsksFirst() {
        QFETCH(bool, yes);
        TWindowFixture f;
        StartFinals(f, 8);
        TFormBracket& b = OpenBracketWindow(f);
        QVERIFY(!b.bRerun->isEnabled()); // nothing raced yet
        const int first = b.BracketView->Bracket().CurrentHeat();
        RunHeat(f, 6500, 6900);
        QVERIFY(b.bRerun->isEnabled());
        QCOMPARE(b.RerunCandidate(), first);
        f.dialogs.answers = {yes};
        b.bRerun->click();
        QCOMPARE(f.dialogs.asked.size(), 1);
        const auto& heat = b.BracketView->Bracket().Heats()[first];
        QCOMPARE(heat.Voided.size(), yes ? 1 : 0);
        QCOMPARE(heat.Winner, yes ? -1 : 0);
        QCOMPARE(b.BracketView->Bracket().CurrentHeat() == first, yes);
        if (yes) QCOMPARE(f.w->Competition->TrackEntry(0), heat.Entry[0]);
    }

    void rebuildAsksFirst_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void rebuildAsksFirst() {
        QFETCH(bool, yes);
        TWindowFixture f;
        StartFinals(f, 8);
        TFormBracket& b = OpenBracketWindow(f);
        RunHeat(f, 6500, 6900);
        RunHeat(f, 6600, 6400);
        f.dialogs.answers = {yes};
        b.bRebuild->click();
        QCOMPARE(f.dialogs.asked.size(), 1);
        int decided = 0;
        for (const auto& h : b.BracketView->Bracket().Heats())
            if (h.Winner >= 0 && !h.Bye) ++decided;
        QCOMPARE(decided, yes ? 0 : 2);
    }

    void commandsWaitForTheRun() {
        TWindowFixture f;
        StartFinals(f, 8);
        TFormBracket& b = OpenBracketWindow(f);
        RunHeat(f, 6500, 6900);
        QVERIFY(b.bRebuild->isEnabled() && b.bRerun->isEnabled());
        f.Key(Qt::Key_F8);
        QVERIFY(!b.bRebuild->isEnabled());
        QVERIFY(!b.bRerun->isEnabled());
        f.Key(Qt::Key_X, Qt::ControlModifier); // ABBRECHEN
        QVERIFY(b.bRebuild->isEnabled() && b.bRerun->isEnabled());
    }

    // --- the bracket page ------------------------------------------------------------------
    void bracketPageBesideProtocolPage() {
        TWindowFixture f;
        StartFinals(f, 4);
        QFile::remove(f.w->BracketHtmlName());
        RunHeat(f, 6500, 6900);
        f.Key(Qt::Key_H, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.dialogs.messages, QStringList());
        QCOMPARE(f.dialogs.shellOpened.size(), 1);
        QFile page(f.dialogs.shellOpened.first());
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        QVERIFY(html.contains(f.w->Competition->Cell(0, Col::Name).toHtmlEscaped()));
        QVERIFY(html.contains("Halbfinale"));
        page.close();
        QFile::remove(f.dialogs.shellOpened.first());
    }

    void noBracketNoPage() {
        TWindowFixture f;
        f.Load(2, ParticipantRows(4));
        f.Key(Qt::Key_H, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY(f.dialogs.shellOpened.isEmpty());
    }

    // --- the audience window ---------------------------------------------------------------
    void audienceSeesBracketBetweenHeats_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("finals") << int(TCompetition::FinaleKo);
        QTest::newRow("Paarrennen") << 2;
        QTest::newRow("Qualifikation") << 0;
    }
    void audienceSeesBracketBetweenHeats() {
        QFETCH(int, mode);
        TWindowFixture f;
        TFormMain& w = *f.w;
        w.Settings.Monitor = 1;
        TFormMonitor2 m(&w);
        w.FormMonitor2 = &m;
        w.UpdateTvModeEnabled();
        f.Load(0, QualificationRows(8, w.Settings.TimeFormat));
        if (mode != 0) ChooseMode(w, mode);
        QCOMPARE(w.Competition->Mode(), mode);
        w.sbMon2->setChecked(true);
        w.sbMon2Click();
        QVERIFY(m.isVisible());
        const bool finals = mode == TCompetition::FinaleKo;
        QCOMPARE(m.BracketView->isVisible(), finals);

        f.Key(Qt::Key_F8);
        QVERIFY(!m.BracketView->isVisible());
        QVERIFY(m.Digit8->isVisible());
        // A second of clock ticks: the digits run, the bracket is not touched.
        const int repaints = m.BracketView->Repaints();
        for (int i = 0; i < 100; ++i) {
            f.clock.advance(10);
            w.ClockTimer();
        }
        QCOMPARE(m.Digit6->Value(), 1); // one second on the clock
        QCOMPARE(m.BracketView->Repaints(), repaints);
        f.Key(Qt::Key_F4);
        f.clock.advance(200);
        f.Key(Qt::Key_F6);
        QVERIFY(!m.BracketView->isVisible()); // the times stay up until RESET
        f.Key(Qt::Key_F9);
        QCOMPARE(m.BracketView->isVisible(), finals);
        if (finals) QCOMPARE(m.BracketView->Repaints(), repaints + 1);

        // An aborted start brings the bracket back too.
        f.Key(Qt::Key_F8);
        f.Key(Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(m.BracketView->isVisible(), finals);
        w.FormMonitor2 = nullptr;
    }
};

QTEST_MAIN(TestFinalsWindow)
#include "tst_finalswindow.moc"
