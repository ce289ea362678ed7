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

// One heat with the keys: START, the faster lane stops first, RESET.
void RunHeat(TWindowFixture& f, int msA, int msB) {
    f.Key(Qt::Key_F8);
    f.clock.advance(std::uint32_t(std::min(msA, msB)));
    f.Key(msA <= msB ? Qt::Key_F4 : Qt::Key_F6);
    f.clock.advance(std::uint32_t(std::abs(msA - msB)));
    f.Key(msA <= msB ? Qt::Key_F6 : Qt::Key_F4);
    f.Key(Qt::Key_F9);
}

// The heats with their lanes, the places and the tracks by start numbers: the same whatever
// order the entries were loaded in.
QString Finals(const TCompetition& c) {
    const auto nr = [&](int e) { return e < 0 ? QStringLiteral("-") : c.Cell(e, Col::StNr); };
    const auto lane = [](const TBracket::TLane& l) {
        return QStringLiteral(" %1/%2").arg(l.Ms).arg(l.Exact.value_or(-1));
    };
    QStringList out;
    for (const TBracket::THeat& h : c.Bracket().Heats())
        out << nr(h.Entry[0]) + '-' + nr(h.Entry[1]) + lane(h.Lane[0]) + lane(h.Lane[1]);
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

    // Accepted, the finals stand on the tracks (heatByKeys); refused, the operator is told why
    // and the box goes back. A protocol loaded while the box stands on the finals ends the same
    // way: a bracket from its rows, or the reason and the box on the qualification's mode.
    void modeBoxRefusal_data() {
        QTest::addColumn<bool>("byLoad");
        QTest::addColumn<int>("ranked");
        QTest::newRow("chosen in the box: refused") << false << 1;
        QTest::newRow("loaded onto the finals: refused") << true << 1;
        QTest::newRow("loaded onto the finals: a new bracket") << true << 4;
    }
    void modeBoxRefusal() {
        QFETCH(bool, byLoad);
        QFETCH(int, ranked);
        TWindowFixture f;
        TFormMain& w = *f.w;
        // After the three modes, so that their stored numbers mean what they meant.
        QCOMPARE(w.cbVid->itemText(3), QString("Finale (K.-o.)"));
        TProtocolRows before;
        if (byLoad) {
            StartFinals(f, 8);
            const QString name = f.dir.filePath("Quali.txt");
            QString error;
            QVERIFY(
                WriteProtocolFile(name, QualificationRows(ranked, w.Settings.TimeFormat), &error));
            f.dialogs.answers = {true}; // the finals' protocol goes
            Open(f, name);
        } else {
            f.Load(2, QualificationRows(ranked, w.Settings.TimeFormat));
            before = w.Competition->Rows(TCompetition::ForExitCopy);
            ChooseMode(w, TCompetition::FinaleKo);
        }
        const int mode = ranked >= 2 ? int(TCompetition::FinaleKo) : byLoad ? 0 : 2;
        QCOMPARE(w.Competition->Mode(), mode);
        QCOMPARE(w.cbVid->currentIndex(), mode);
        QCOMPARE(w.Settings.Vid, mode);
        if (mode != TCompetition::FinaleKo) {
            QCOMPARE(f.dialogs.messages, QStringList{w.Competition->BracketNote()});
            QVERIFY(f.dialogs.messages[0].contains("mindestens 2"));
        } else {
            QVERIFY(f.dialogs.messages.isEmpty());
            QCOMPARE(w.Competition->Bracket().Size(), 4);
            QVERIFY(w.mStart->isEnabled());
            // The bracket decides the lanes: swapping them is not offered.
            QVERIFY(!w.seObmen->isEnabled() && !w.SwapTrasse->isEnabled());
        }
        if (!byLoad) QCOMPARE(w.Competition->Rows(TCompetition::ForExitCopy), before);
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
        QString shown; // what the dialog showed when it opened
        const auto answer = [&](bool accept) {
            return [&, accept](QDialog& d) {
                auto& g = *static_cast<TCfgDialog&>(d).gbFinale;
                shown = g.cbRanking->currentText() + ' ' + g.cbBracketSize->currentText();
                g.cbRanking->setCurrentIndex(ranking);
                g.cbBracketSize->setCurrentText(QString::number(size));
                return accept ? int(QDialog::Accepted) : int(QDialog::Rejected);
            };
        };
        f.dialogs.onModal = answer(ok);
        f.Key(Qt::Key_F2);
        QCOMPARE(shown, QString("Summe 16"));
        const int wantRanking = ok ? ranking : 0, wantSize = ok ? size : 16;
        QCOMPARE(f.w->Competition->RankingRule(), wantRanking);
        QCOMPARE(f.w->Competition->BracketSize(), wantSize);
        // Stored, read back at the next start, and shown when the dialog opens again.
        f.Restart(true);
        QCOMPARE(f.w->Competition->RankingRule(), wantRanking);
        f.dialogs.onModal = answer(false);
        f.Key(Qt::Key_F2);
        QCOMPARE(shown, (wantRanking ? "Bestzeit " : "Summe ") + QString::number(wantSize));
    }

    // The bracket window (Ctrl+K) and the audience window while a heat is run with the keys.
    void heatByKeys_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("finals") << int(TCompetition::FinaleKo);
        QTest::newRow("Paarrennen") << 2;
    }
    void heatByKeys() {
        QFETCH(int, mode);
        TWindowFixture f;
        TFormMain& w = *f.w;
        w.Settings.Monitor = 1;
        TFormMonitor2 m(&w);
        w.FormMonitor2 = &m;
        w.UpdateTvModeEnabled();
        // The pairs need runs left after the qualification's two.
        if (mode != TCompetition::FinaleKo) w.Settings.CountZabegov = 4;
        f.Load(0, QualificationRows(8, w.Settings.TimeFormat));
        ChooseMode(w, mode);
        QCOMPARE(w.Competition->Mode(), mode);
        QCOMPARE(w.cbVid->currentIndex(), mode);
        const bool finals = mode == TCompetition::FinaleKo;
        if (finals) f.Key(Qt::Key_K, Qt::ControlModifier);
        QVERIFY(!finals || w.FormBracket);
        const int first = w.Competition->Bracket().CurrentHeat();
        const int windowRepaints = finals ? w.FormBracket->BracketView->Repaints() : 0;
        w.sbMon2->setChecked(true);
        w.sbMon2Click();
        QVERIFY(m.isVisible());
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
        f.Key(Qt::Key_F6);
        f.clock.advance(234);
        f.Key(Qt::Key_F4);
        QVERIFY(!m.BracketView->isVisible()); // the times stay up until RESET
        f.Key(Qt::Key_F9);
        QCOMPARE(m.BracketView->isVisible(), finals);
        w.FormMonitor2 = nullptr;
        if (!finals) return;
        // The bracket window took the heat: lane B won with its stopped milliseconds, and the
        // next pair stands on the tracks and in its outlined heat.
        const TBracketView& view = *w.FormBracket->BracketView;
        QVERIFY(view.Repaints() > windowRepaints);
        QCOMPARE(view.Bracket().Heats()[first].Winner, 1);
        QCOMPARE(view.Bracket().Heats()[first].Lane[0].Exact, std::optional<std::int32_t>(1234));
        const auto next = view.Bracket().Heats()[view.Bracket().CurrentHeat()].Entry;
        QCOMPARE(w.Competition->TrackEntry(0), next[0]);
        QCOMPARE(w.Competition->TrackEntry(1), next[1]);
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
        // Written again without finals: the companion belonged to what was overwritten.
        f.Load(2, ParticipantRows(3));
        f.w->ProgramFile = f.dir.filePath("veltaro");
        if (exitCopy) f.w->Shutdown();
        if (!exitCopy) Save(f, name);
        QCOMPARE(f.dialogs.messages, QStringList());
        QVERIFY(!QFile::exists(BracketFileName(name)));
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
