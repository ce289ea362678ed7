// The finals from the operator's side: the fourth mode in the mode box and its refusal, the
// ranking rule and bracket size in the settings dialog, the bracket window following heats run
// with the keys, the audience window between and during heats, the finals kept beside saved
// protocols and the exit copy, and where the bracket drawing puts its boxes.
#include "core/TimeFormat.h"
#include "OffscreenScreens.h"
#include "persist/BracketFile.h"
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
#include <QToolButton>
#include <QtTest>

namespace {
// n climbers with two runs, listed slowest first so that the ranking is not the load order.
TProtocolRows QualificationRows(int n, int timeFormat) {
    TProtocolRows rows = ParticipantRows(n);
    for (int i = 1; i <= n; ++i) {
        rows[i][Col::Turm1] = FormatTime(8000 - 100 * i, timeFormat);
        rows[i][Col::Turm2] = FormatTime(8050 - 100 * i, timeFormat);
    }
    return rows;
}

void ChooseMode(TFormMain& w, int mode) {
    w.cbVid->setCurrentIndex(mode);
    emit w.cbVid->activated(mode);
}

// A qualification loaded, then the finals chosen in the mode box.
void StartFinals(TWindowFixture& f, int climbers, int ranking = 0) {
    f.w->Settings.Ranking = ranking;
    f.w->Settings.BracketSize = 8;
    f.Load(0, QualificationRows(climbers, f.w->Settings.TimeFormat));
    ChooseMode(*f.w, TCompetition::FinaleKo);
    QCOMPARE(f.w->Competition->Mode(), int(TCompetition::FinaleKo));
}

// One heat with the keys: START, the faster lane stops first, a lane disqualified when asked,
// RESET.
void RunHeat(TWindowFixture& f, int msA, int msB, int disLane = -1) {
    f.Key(Qt::Key_F8);
    f.clock.advance(std::uint32_t(std::min(msA, msB)));
    f.Key(msA <= msB ? Qt::Key_F4 : Qt::Key_F6);
    f.clock.advance(std::uint32_t(std::abs(msA - msB)));
    f.Key(msA <= msB ? Qt::Key_F6 : Qt::Key_F4);
    if (disLane >= 0) (disLane == 0 ? f.w->sb1del : f.w->sb2del)->click();
    f.Key(Qt::Key_F9);
}

// The bracket with its lanes, the places and the tracks by start numbers: the same whatever
// order the entries were loaded in.
QString Finals(const TCompetition& c) {
    const auto nr = [&](int e) { return e < 0 ? QStringLiteral("-") : c.Cell(e, Col::StNr); };
    QStringList out;
    for (const TBracket::THeat& h : c.Bracket().Heats())
        out << QStringLiteral("%1-%2 %3/%4 %5/%6 %7 %8")
                   .arg(nr(h.Entry[0]), nr(h.Entry[1]))
                   .arg(h.Lane[0].Ms)
                   .arg(h.Lane[0].Exact.value_or(-1))
                   .arg(h.Lane[1].Ms)
                   .arg(h.Lane[1].Exact.value_or(-1))
                   .arg(h.Winner)
                   .arg(h.Voided.size());
    for (const auto& [entry, place] : c.FinalPlaces())
        out << nr(entry) + ':' + QString::number(place);
    return out.join('\n') + "\ntracks " + nr(c.TrackEntry(0)) + '-' + nr(c.TrackEntry(1));
}

void Save(TWindowFixture& f, const QString& name) {
    f.w->Competition->SetModified(true);
    f.dialogs.saveNames = {name};
    f.Key(Qt::Key_S, Qt::ControlModifier);
}

void Open(TWindowFixture& f, const QString& name) {
    f.dialogs.openNames = {name};
    f.Key(Qt::Key_O, Qt::ControlModifier);
}
} // namespace

class TestFinalsWindow : public QObject {
    Q_OBJECT
private slots:
    void init() { SetOffscreenScreens({QRect(0, 0, 1280, 1024), QRect(1280, 0, 1920, 1080)}); }

    void modeBox_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("climbers");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("Qualifikation, empty: refused") << 0 << 0 << false;
        QTest::newRow("Paarrennen, one climber: refused") << 2 << 1 << false;
        QTest::newRow("Qualifikation, six climbers") << 0 << 6 << true;
    }
    void modeBox() {
        QFETCH(int, mode);
        QFETCH(int, climbers);
        QFETCH(bool, accepted);
        TWindowFixture f;
        TFormMain& w = *f.w;
        // After the three modes, so that their stored numbers mean what they meant.
        QCOMPARE(w.cbVid->itemText(3), QString("Finale (K.-o.)"));
        f.Load(mode, QualificationRows(climbers, w.Settings.TimeFormat));
        const TProtocolRows before = w.Competition->Rows(TCompetition::ForExitCopy);
        ChooseMode(w, TCompetition::FinaleKo);
        const int now = accepted ? int(TCompetition::FinaleKo) : mode;
        QCOMPARE(w.cbVid->currentIndex(), now);
        QCOMPARE(w.Settings.Vid, now);
        QCOMPARE(w.Competition->Mode(), now);
        if (!accepted) {
            QCOMPARE(f.dialogs.messages, QStringList{w.Competition->BracketNote()});
            QVERIFY(!f.dialogs.messages.first().isEmpty());
            QCOMPARE(w.Competition->Rows(TCompetition::ForExitCopy), before);
            return;
        }
        QVERIFY(f.dialogs.messages.isEmpty());
        const TBracket& b = w.Competition->Bracket();
        QCOMPARE(w.Competition->TrackEntry(0), b.Heats()[b.CurrentHeat()].Entry[0]);
        QCOMPARE(w.Competition->TrackEntry(1), b.Heats()[b.CurrentHeat()].Entry[1]);
    }

    void settingsRoundTrip_data() {
        QTest::addColumn<int>("ranking");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("ok");
        QTest::newRow("Bestzeit, 8") << 1 << 8 << true;
        QTest::newRow("cancelled") << 1 << 4 << false;
    }
    void settingsRoundTrip() {
        QFETCH(int, ranking);
        QFETCH(int, size);
        QFETCH(bool, ok);
        TWindowFixture f;
        QCOMPARE(f.w->Settings.Ranking, 0);
        QCOMPARE(f.w->Settings.BracketSize, 16);
        f.dialogs.onModal = [&](QDialog& d) {
            auto& cfg = static_cast<TCfgDialog&>(d);
            cfg.gbFinale->cbRanking->setCurrentIndex(ranking);
            cfg.gbFinale->cbBracketSize->setCurrentText(QString::number(size));
            return ok ? int(QDialog::Accepted) : int(QDialog::Rejected);
        };
        f.Key(Qt::Key_F2);
        const int wantRanking = ok ? ranking : 0, wantSize = ok ? size : 16;
        QCOMPARE(f.w->Competition->RankingRule(), wantRanking);
        QCOMPARE(f.w->Competition->BracketSize(), wantSize);
        // Stored, read back at the next start, and shown when the dialog opens again.
        f.Restart(true);
        QCOMPARE(f.w->Competition->RankingRule(), wantRanking);
        QString shown;
        f.dialogs.onModal = [&](QDialog& d) {
            auto& cfg = static_cast<TCfgDialog&>(d);
            shown = cfg.gbFinale->cbRanking->currentText() + ' ' +
                    cfg.gbFinale->cbBracketSize->currentText();
            return int(QDialog::Rejected);
        };
        f.Key(Qt::Key_F2);
        QCOMPARE(shown, (wantRanking ? "Bestzeit " : "Summe ") + QString::number(wantSize));
    }

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
        TWindowFixture f;
        StartFinals(f, 16);
        f.Key(Qt::Key_K, Qt::ControlModifier);
        QVERIFY(f.w->FormBracket);
        QCOMPARE(f.w->FormBracket->windowTitle(), QString("K.-o.-Feld"));
        const TBracketView& view = *f.w->FormBracket->BracketView;
        const int first = view.Bracket().CurrentHeat();
        const int repaints = view.Repaints();
        RunHeat(f, msA, msB, disLane);
        const auto& heat = view.Bracket().Heats()[first];
        QTEST(heat.Winner, "winner");
        QCOMPARE(heat.Lane[0].Kind, disLane == 0 ? TBracket::LaneDis : TBracket::LaneTime);
        QCOMPARE(heat.Lane[1].Exact, std::optional<std::int32_t>(msB)); // the stopped ms
        QVERIFY(view.Repaints() > repaints);
        // The next pair stands on the tracks and in the window's outlined heat.
        const auto next = view.Bracket().Heats()[view.Bracket().CurrentHeat()].Entry;
        QVERIFY(view.Bracket().CurrentHeat() != first);
        QCOMPARE(f.w->Competition->TrackEntry(0), next[0]);
        QCOMPARE(f.w->Competition->TrackEntry(1), next[1]);
    }

    void audienceWindow_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("finals") << int(TCompetition::FinaleKo);
        QTest::newRow("Paarrennen") << 2;
    }
    void audienceWindow() {
        QFETCH(int, mode);
        TWindowFixture f;
        TFormMain& w = *f.w;
        w.Settings.Monitor = 1;
        TFormMonitor2 m(&w);
        w.FormMonitor2 = &m;
        w.UpdateTvModeEnabled();
        f.Load(0, QualificationRows(8, w.Settings.TimeFormat));
        ChooseMode(w, mode);
        w.sbMon2->setChecked(true);
        w.sbMon2Click();
        QVERIFY(m.isVisible());
        const bool finals = mode == TCompetition::FinaleKo;
        QCOMPARE(m.BracketView->isVisible(), finals);
        f.Key(Qt::Key_F8);
        QVERIFY(!m.BracketView->isVisible());
        QVERIFY(m.Digit8->isVisible());
        // A second of clock ticks: the digits run, the bracket is not repainted.
        const int repaints = m.BracketView->Repaints();
        for (int i = 0; i < 100; ++i) {
            f.clock.advance(10);
            w.ClockTimer();
        }
        QCOMPARE(m.Digit6->Value(), 1);
        QCOMPARE(m.BracketView->Repaints(), repaints);
        f.Key(Qt::Key_F4);
        f.Key(Qt::Key_F6);
        QVERIFY(!m.BracketView->isVisible()); // the times stay up until RESET
        f.Key(Qt::Key_F9);
        QCOMPARE(m.BracketView->isVisible(), finals);
        w.FormMonitor2 = nullptr;
    }

    void keptBesideTheFile_data() {
        QTest::addColumn<bool>("exitCopy");
        QTest::addColumn<int>("ranking");
        QTest::addColumn<bool>("sorted");
        QTest::newRow("saved, Summe, load order") << false << 0 << false;
        QTest::newRow("saved, Bestzeit, ranked") << false << 1 << true;
        QTest::newRow("the exit copy") << true << 1 << false;
    }
    void keptBesideTheFile() {
        QFETCH(bool, exitCopy);
        QFETCH(int, ranking);
        QFETCH(bool, sorted);
        TWindowFixture f;
        StartFinals(f, 10, ranking);
        f.w->cbSort->setChecked(sorted);
        RunHeat(f, 6543, 7012);
        RunHeat(f, 7101, 6897);
        const QString before = Finals(*f.w->Competition);
        QString name = f.dir.filePath("heat.txt");
        if (exitCopy) {
            f.w->ProgramFile = f.dir.filePath("veltaro");
            f.w->Shutdown();
            name = f.dir.filePath("veltaro.txt");
            f.Restart(true);
        } else {
            Save(f, name);
        }
        QVERIFY(QFile::exists(BracketFileName(name)));
        // Another competition in between, under the other ranking rule.
        f.w->Settings.Ranking = 1 - ranking;
        f.Load(2, ParticipantRows(3));
        Open(f, name);
        QCOMPARE(f.dialogs.messages, QStringList());
        QCOMPARE(f.w->cbVid->currentIndex(), int(TCompetition::FinaleKo));
        QCOMPARE(f.w->Settings.Ranking, ranking);
        QCOMPARE(Finals(*f.w->Competition), before);
        // And it goes on from there with the keys.
        const int next = f.w->Competition->Bracket().CurrentHeat();
        RunHeat(f, 6600, 6700);
        QCOMPARE(f.w->Competition->Bracket().Heats()[next].Winner, 0);
    }

    // The companion beside a file written without finals belonged to what it overwrote.
    void staleCompanionRemoved_data() {
        QTest::addColumn<bool>("exitCopy");
        QTest::newRow("saved over") << false;
        QTest::newRow("the exit copy") << true;
    }
    void staleCompanionRemoved() {
        QFETCH(bool, exitCopy);
        TWindowFixture f;
        f.w->ProgramFile = f.dir.filePath("veltaro");
        const QString name = f.dir.filePath(exitCopy ? "veltaro.txt" : "heat.txt");
        QFile ko(BracketFileName(name));
        QVERIFY(ko.open(QIODevice::WriteOnly));
        ko.write("Veltaro-KO 1\nfrom before\n");
        ko.close();
        f.Load(2, QualificationRows(4, f.w->Settings.TimeFormat));
        if (exitCopy) f.w->Shutdown();
        if (!exitCopy) Save(f, name);
        QCOMPARE(f.dialogs.messages, QStringList());
        QVERIFY(QFile::exists(name));
        QVERIFY(!ko.exists());
    }

    // A companion that does not fit: the protocol loads all the same, and one message says why.
    void unfitCompanion_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("garbage") << "garbage" << QString("kein UTF-8-Text");
        QTest::newRow("cut off") << "cut" << QString("die Datei ist unvollständig");
        QTest::newRow("another version") << "version" << QString("Version 2");
        QTest::newRow("other rows") << "rows" << QString("es gehört zu anderen Teilnehmerzeilen");
        QTest::newRow("oversized") << "huge" << QString("die Datei ist zu groß");
    }
    void unfitCompanion() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        TWindowFixture f;
        const QString name = f.dir.filePath("heat.txt");
        StartFinals(f, 10);
        RunHeat(f, 6543, 7012);
        Save(f, name);
        TProtocolRows rows = f.w->Competition->Rows(TCompetition::ForSave);
        QFile ko(BracketFileName(name));
        QVERIFY(ko.open(QIODevice::ReadWrite));
        const QByteArray saved = ko.readAll();
        QVERIFY(saved.startsWith("Veltaro-KO 1\n"));
        ko.seek(0);
        if (kind == "garbage") ko.write(QByteArray(saved.size(), '\xff'));
        if (kind == "version") ko.write("Veltaro-KO 2\n");
        if (kind == "cut") QVERIFY(ko.resize(saved.size() / 2));
        if (kind == "huge") QVERIFY(ko.resize(BracketFileMaxBytes + 1));
        ko.close();
        if (kind == "rows") rows = QualificationRows(9, f.w->Settings.TimeFormat);
        if (kind == "rows") QVERIFY(WriteProtocolFile(name, rows, nullptr));

        f.Load(2, ParticipantRows(3));
        Open(f, name);
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY2(f.dialogs.messages[0].contains("K.-o.-Feld nicht übernommen: " + reason),
                 qPrintable(f.dialogs.messages[0]));
        QVERIFY(f.w->Competition->Bracket().IsEmpty());
        QCOMPARE(f.w->Competition->EntryCount(), int(rows.size()) - 1);
        QCOMPARE(f.w->Competition->Cell(0, Col::Name), rows[1][Col::Name]);
    }

    void bracketLayout_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<QSize>("widget");
        for (int size : {4, 8, 16})
            for (QSize w : {QSize(1920, 1080), QSize(320, 240), QSize(1080, 1920)})
                QTest::addRow("%d in %dx%d", size, w.width(), w.height()) << size << w;
    }
    void bracketLayout() {
        QFETCH(int, size);
        QFETCH(QSize, widget);
        QVector<TBracket::TSeed> seeds;
        for (int i = 0; i < size; ++i)
            seeds.push_back({i, 7000 + 100 * i});
        const auto b = TBracket::Build(seeds, size);
        QVERIFY(b);
        const TBracketLayout L = BracketLayout(widget, b->Rounds(), b->Heats());
        QCOMPARE(L.boxes.size(), b->Heats().size());
        for (int i = 0; i < L.boxes.size(); ++i) {
            QVERIFY(QRect(QPoint(0, 0), widget).contains(L.boxes[i]));
            QVERIFY(!L.boxes[i].intersects(L.headers.value(b->Heats()[i].Round)));
            for (int j = i + 1; j < L.boxes.size(); ++j)
                QVERIFY(!L.boxes[i].intersects(L.boxes[j]));
        }
    }
};

QTEST_MAIN(TestFinalsWindow)
#include "tst_finalswindow.moc"
