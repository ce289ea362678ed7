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
    void modeBox_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("climbers");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("Qualifikation, empty: refused") << 0 << 0 << false;
        QTest::newRow("Individuelles Klettern, one climber: refused") << 1 << 1 << false;
        QTest::newRow("Paarrennen, one climber: refused") << 2 << 1 << false;
        QTest::newRow("Qualifikation, six climbers") << 0 << 6 << true;
    }
    void modeBox() {
        QFETCH(int, mode);
        QFETCH(int, climbers);
        QFETCH(bool, accepted);
        TWindowFixture f;
        TFormMain& w = *f.w;
        // The three modes keep their places: their stored numbers mean what they meant.
        QCOMPARE(w.cbVid->itemText(2), QString("Paarrennen"));
        QCOMPARE(w.cbVid->itemText(3), QString("Finale (K.-o.)"));
        f.Load(mode, QualificationRows(climbers, w.Settings.TimeFormat));
        const TProtocolRows before = w.Competition->Rows(TCompetition::ForExitCopy);
        ChooseMode(w, TCompetition::FinaleKo);
        const int now = accepted ? int(TCompetition::FinaleKo) : mode;
        QCOMPARE(w.cbVid->currentIndex(), now);
        QCOMPARE(w.Settings.Vid, now);
        QCOMPARE(w.Competition->Mode(), now);
        QCOMPARE(w.Settings.CountBahn, now == 1 ? 1 : 2);
        if (!accepted) {
            // Told why, and nothing lost.
            QCOMPARE(f.dialogs.messages, QStringList{w.Competition->BracketNote()});
            QVERIFY(!f.dialogs.messages.first().isEmpty());
            QCOMPARE(w.Competition->Rows(TCompetition::ForExitCopy), before);
            return;
        }
        QVERIFY(f.dialogs.messages.isEmpty());
        QVERIFY(w.cbBuhn2->isVisible());
        QVERIFY(!w.cbAllTrasse->isVisible());
        const TBracket& b = w.Competition->Bracket();
        QCOMPARE(w.Competition->TrackEntry(0), b.Heats()[b.CurrentHeat()].Entry[0]);
        QCOMPARE(w.Competition->TrackEntry(1), b.Heats()[b.CurrentHeat()].Entry[1]);
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

    void afterTheFactCommands_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<int>("decided"); // heats decided by a run afterwards
        QTest::newRow("re-run, yes") << "rerun" << true << 1;
        QTest::newRow("re-run, no") << "rerun" << false << 2;
        QTest::newRow("rebuild, yes") << "rebuild" << true << 0;
        QTest::newRow("rebuild, no") << "rebuild" << false << 2;
    }
    void afterTheFactCommands() {
        QFETCH(QString, command);
        QFETCH(bool, yes);
        QFETCH(int, decided);
        TWindowFixture f;
        StartFinals(f, 8);
        TFormBracket& b = OpenBracketWindow(f);
        QPushButton* button = command == "rerun" ? b.bRerun : b.bRebuild;
        QCOMPARE(b.bRerun->isEnabled(), false); // nothing raced yet
        RunHeat(f, 6500, 6900);
        const int last = b.BracketView->Bracket().CurrentHeat();
        RunHeat(f, 6600, 6400);
        QCOMPARE(b.RerunCandidate(), last);
        // Not while a heat is on: ABBRECHEN gives the commands back.
        f.Key(Qt::Key_F8);
        QVERIFY(!button->isEnabled());
        f.Key(Qt::Key_X, Qt::ControlModifier);
        QVERIFY(button->isEnabled());

        f.dialogs.answers = {yes};
        button->click();
        QCOMPARE(f.dialogs.asked.size(), 1);
        int n = 0;
        for (const auto& h : b.BracketView->Bracket().Heats())
            n += h.Winner >= 0 && !h.Bye;
        QCOMPARE(n, decided);
        if (command == "rerun" && yes) {
            // The voided heat is back on the tracks.
            const auto& heat = b.BracketView->Bracket().Heats()[last];
            QCOMPARE(heat.Voided.size(), 1);
            QCOMPARE(b.BracketView->Bracket().CurrentHeat(), last);
            QCOMPARE(f.w->Competition->TrackEntry(1), heat.Entry[1]);
        }
    }

    // --- the bracket page ------------------------------------------------------------------
    void bracketPage_data() {
        QTest::addColumn<bool>("finals");
        QTest::newRow("finals") << true;
        QTest::newRow("no bracket") << false;
    }
    void bracketPage() {
        QFETCH(bool, finals);
        TWindowFixture f;
        if (finals) {
            StartFinals(f, 4);
            RunHeat(f, 6500, 6900);
        } else {
            f.Load(2, ParticipantRows(4));
        }
        QFile::remove(f.w->BracketHtmlName());
        f.Key(Qt::Key_H, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.dialogs.messages.size(), finals ? 0 : 1);
        QCOMPARE(f.dialogs.shellOpened.size(), finals ? 1 : 0);
        QCOMPARE(QFile::exists(f.w->BracketHtmlName()), finals);
        if (!finals) return;
        QFile page(f.dialogs.shellOpened.first());
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        QVERIFY(html.contains(f.w->Competition->Cell(0, Col::Name)));
        QVERIFY(html.contains("Halbfinale"));
        page.remove();
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
