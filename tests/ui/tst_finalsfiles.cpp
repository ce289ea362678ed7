// The finals kept with the protocol files, from the operator's side: a half-run finals saved,
// replaced and loaded again resumes where it stood; a save without finals takes an earlier
// companion away; the exit copy gets one; a companion that does not fit costs only itself.
#include "core/TimeFormat.h"
#include "persist/BracketFile.h"
#include "TestSupport.h"
#include "ui/FMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
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

void StartFinals(TWindowFixture& f, int climbers, int ranking) {
    f.w->Settings.Ranking = ranking;
    f.w->Settings.BracketSize = 8;
    f.Load(0, QualificationRows(climbers, f.w->Settings.TimeFormat));
    f.w->cbVid->setCurrentIndex(TCompetition::FinaleKo);
    emit f.w->cbVid->activated(TCompetition::FinaleKo);
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

// The bracket, its places and the tracks by start numbers: the same whatever order the
// entries were loaded in.
QString Finals(const TCompetition& c) {
    const auto nr = [&](int e) { return e < 0 ? QStringLiteral("-") : c.Cell(e, Col::StNr); };
    QStringList out;
    for (const TBracket::THeat& h : c.Bracket().Heats())
        out << QStringLiteral("%1-%2 %3/%4 %5/%6 %7")
                   .arg(nr(h.Entry[0]), nr(h.Entry[1]))
                   .arg(h.Lane[0].Ms)
                   .arg(h.Lane[0].Exact.value_or(-1))
                   .arg(h.Lane[1].Ms)
                   .arg(h.Lane[1].Exact.value_or(-1))
                   .arg(h.Winner);
    for (const auto& [entry, place] : c.FinalPlaces())
        out << nr(entry) + ':' + QString::number(place);
    out << "tracks " + nr(c.TrackEntry(0)) + '-' + nr(c.TrackEntry(1));
    return out.join('\n');
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

class TestFinalsFiles : public QObject {
    Q_OBJECT
private slots:
    void savedReplacedLoaded_data() {
        QTest::addColumn<int>("ranking");
        QTest::addColumn<bool>("sorted");
        QTest::newRow("Summe, load order") << 0 << false;
        QTest::newRow("Bestzeit, shown ranked") << 1 << true;
    }
    void savedReplacedLoaded() {
        QFETCH(int, ranking);
        QFETCH(bool, sorted);
        TWindowFixture f;
        StartFinals(f, 10, ranking);
        f.w->cbSort->setChecked(sorted);
        RunHeat(f, 6543, 7012);
        RunHeat(f, 7101, 6897);
        const QString before = Finals(*f.w->Competition);
        const QString name = f.dir.filePath("heat.txt");
        Save(f, name);
        QCOMPARE(f.dialogs.messages, QStringList());
        QVERIFY(QFile::exists(f.dir.filePath("heat.ko")));

        // Another competition in between, under the other ranking rule.
        f.w->Settings.Ranking = 1 - ranking;
        f.Load(2, ParticipantRows(3));
        QVERIFY(f.w->Competition->Bracket().IsEmpty());

        Open(f, name);
        QCOMPARE(f.dialogs.messages, QStringList());
        QCOMPARE(f.w->Competition->Mode(), int(TCompetition::FinaleKo));
        QCOMPARE(f.w->cbVid->currentIndex(), int(TCompetition::FinaleKo));
        QCOMPARE(f.w->Settings.Ranking, ranking);
        QCOMPARE(Finals(*f.w->Competition), before);
        QVERIFY(!f.w->Competition->Modified());

        // And it goes on from there with the keys.
        const TBracket& b = f.w->Competition->Bracket();
        const int next = b.CurrentHeat();
        RunHeat(f, 6600, 6700);
        QCOMPARE(b.Heats()[next].Winner, 0);
        QVERIFY(b.CurrentHeat() != next);
    }

    // A protocol without finals saved under a name that had a companion takes it away: it
    // belonged to the file just overwritten.
    void companionOfOverwrittenFileRemoved_data() {
        QTest::addColumn<QByteArray>("earlier"); // empty: the finals saved there first
        QTest::newRow("the program's own") << QByteArray();
        QTest::newRow("a foreign file") << QByteArray("not ours");
    }
    void companionOfOverwrittenFileRemoved() {
        QFETCH(QByteArray, earlier);
        TWindowFixture f;
        const QString name = f.dir.filePath("heat.txt"), ko = f.dir.filePath("heat.ko");
        if (earlier.isEmpty()) {
            StartFinals(f, 6, 1);
            RunHeat(f, 6500, 6900);
            Save(f, name);
        } else {
            QFile file(ko);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(earlier);
        }
        QVERIFY(QFile::exists(ko));
        f.Load(2, ParticipantRows(4));
        Save(f, name);
        QCOMPARE(f.dialogs.messages, QStringList());
        QVERIFY(QFile::exists(name));
        QVERIFY(!QFile::exists(ko));
    }

    void exitCopy_data() {
        QTest::addColumn<bool>("finals");
        QTest::newRow("finals: the copy gets its companion") << true;
        QTest::newRow("none: an earlier companion goes") << false;
    }
    void exitCopy() {
        QFETCH(bool, finals);
        TWindowFixture f;
        f.w->ProgramFile = f.dir.filePath("veltaro");
        const QString ko = f.dir.filePath("veltaro.ko");
        {
            QFile earlier(ko);
            QVERIFY(earlier.open(QIODevice::WriteOnly));
            earlier.write("Veltaro-KO 1\nfrom the last exit\n");
        }
        if (finals) {
            StartFinals(f, 10, 1);
            RunHeat(f, 6543, 7012);
        } else {
            f.Load(0, ParticipantRows(4));
        }
        const QString before = Finals(*f.w->Competition);
        f.w->Shutdown();
        QCOMPARE(f.w->ExitCopyName(), f.dir.filePath("veltaro.txt"));
        QCOMPARE(QFile::exists(ko), finals);
        if (!finals) return;

        // The next day: the exit copy loaded in a fresh window.
        f.Restart(true);
        Open(f, f.dir.filePath("veltaro.txt"));
        QCOMPARE(f.dialogs.messages, QStringList());
        QCOMPARE(f.w->Competition->Mode(), int(TCompetition::FinaleKo));
        QCOMPARE(Finals(*f.w->Competition), before);
    }

    // A companion that does not fit: the protocol loads all the same, and one message says why.
    void unfitCompanion_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("garbage") << "garbage"
                                 << "kein UTF-8-Text";
        QTest::newRow("cut off") << "cut"
                                 << "die Datei ist unvollständig";
        QTest::newRow("the text file replaced") << "replaced"
                                                << "es gehört zu anderen Teilnehmerzeilen";
    }
    void unfitCompanion() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        TWindowFixture f;
        const QString name = f.dir.filePath("heat.txt"), ko = f.dir.filePath("heat.ko");
        StartFinals(f, 10, 0);
        RunHeat(f, 6543, 7012);
        Save(f, name);
        QFile file(ko);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const QByteArray saved = file.readAll();
        if (kind == "garbage") {
            QVERIFY(file.resize(0));
            file.seek(0);
            file.write(QByteArray(5000, '\xff'));
        }
        if (kind == "cut") QVERIFY(file.resize(saved.size() / 2));
        file.close();
        TProtocolRows rows = QualificationRows(9, f.w->Settings.TimeFormat);
        if (kind == "replaced") QVERIFY(WriteProtocolFile(name, rows, nullptr));
        if (kind != "replaced") rows = f.w->Competition->Rows(TCompetition::ForSave);

        f.Load(2, ParticipantRows(3));
        Open(f, name);
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY2(f.dialogs.messages[0].contains("K.-o.-Feld nicht übernommen: " + reason),
                 qPrintable(f.dialogs.messages[0]));
        QCOMPARE(f.w->Competition->Mode(), 2);
        QVERIFY(f.w->Competition->Bracket().IsEmpty());
        QCOMPARE(f.w->Competition->EntryCount(), int(rows.size()) - 1);
        QCOMPARE(f.w->Competition->Cell(0, Col::Name), rows[1][Col::Name]);
    }
};

QTEST_MAIN(TestFinalsFiles)
#include "tst_finalsfiles.moc"
