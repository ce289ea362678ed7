// The finals' companion of a protocol text file: its name, a competition written and read back
// through the protocol text and the companion, companions that must be refused with a reason
// (broken, cut off, too large, another version, another protocol's), and writing or removing it.
#include "core/Competition.h"
#include "persist/BracketFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {
// "6.00" is the cell "00:06,00"; "6.00@6004" the same recorded from 6004 ms.
QString Cell(const QString& run) {
    if (run.isEmpty()) return QString();
    const int cs = int(std::lround(run.section('@', 0, 0).toDouble() * 100));
    return QStringLiteral("%1:%2,%3")
        .arg(cs / 6000, 2, 10, QChar('0'))
        .arg(cs / 100 % 60, 2, 10, QChar('0'))
        .arg(cs % 100, 2, 10, QChar('0'));
}

std::optional<std::int32_t> ExactOf(const QString& run) {
    if (!run.contains('@')) return std::nullopt;
    return run.section('@', 1).toInt();
}

// n climbers with two runs, climber i the i-th fastest, listed slowest first so that the
// ranking is not the load order; every third run recorded with its milliseconds, and climbers
// 2 and 3 tied to the hundredth on their best run.
QStringList People(int n) {
    QStringList people;
    for (int i = n; i >= 1; --i) {
        const int best = i == 3 ? 5200 : 5000 + 100 * i;
        const QString a = QString::number(best / 1000.0, 'f', 2);
        const QString b = QString::number((best + 350) / 1000.0, 'f', 2);
        people << QStringLiteral("%1/%2%3/%4")
                      .arg(i)
                      .arg(a, i % 3 ? QString() : "@" + QString::number(best + 1 + i / 3), b);
    }
    return people;
}

TProtocolRows Protocol(const QStringList& people) {
    TProtocolRows rows{TCompetition::DefaultColumnTitles()};
    for (const QString& p : people) {
        const QStringList f = p.split('/');
        QStringList r(Col::Count);
        r[Col::StNr] = f[0];
        r[Col::Name] = QStringLiteral("Müller-%1, Jörg").arg(f[0]);
        for (int i = 1; i < f.size(); ++i)
            r[Col::Turm1 + i - 1] = Cell(f[i]);
        rows.push_back(r);
    }
    return rows;
}

int EntryOf(const TCompetition& c, const QString& stNr) {
    for (int e = 0; e < c.EntryCount(); ++e)
        if (!c.IsDummy(e) && c.Cell(e, Col::StNr) == stNr) return e;
    return -1;
}

void Load(TCompetition& c, const QStringList& people) {
    QVERIFY(c.Load(Protocol(people)));
    for (const QString& p : people) {
        const QStringList f = p.split('/');
        for (int i = 1; i < f.size(); ++i)
            if (const auto ms = ExactOf(f[i]))
                QVERIFY2(c.SetExactMs(EntryOf(c, f[0]), i - 1, *ms),
                         qPrintable(p + " " + c.Cell(EntryOf(c, f[0]), Col::Turm1 + i - 1)));
    }
    c.Recompute();
}

void RaceHeat(TCompetition& c, const QString& laneA, const QString& laneB) {
    c.SetHeatRunning(true);
    const QStringList lanes{laneA, laneB};
    for (int t = 0; t < 2; ++t)
        QVERIFY(c.RecordTime(t, Cell(lanes[t]), ExactOf(lanes[t])));
    c.SetHeatRunning(false);
    c.ResetLastCells();
    c.Advance();
}

// Everything of the finals and the kept milliseconds, by start numbers, so two competitions
// whose entries are numbered differently compare.
QString Finals(const TCompetition& c) {
    const auto nr = [&](int e) { return e < 0 ? QStringLiteral("-") : c.Cell(e, Col::StNr); };
    const auto lane = [](const TBracket::TLane& l) {
        return QStringLiteral("%1:%2@%3").arg(l.Kind).arg(l.Ms).arg(l.Exact ? *l.Exact : -1);
    };
    QStringList out;
    out << QStringLiteral("rule %1").arg(c.RankingRule());
    for (const TBracket::THeat& h : c.Bracket().Heats())
        out << QStringLiteral("heat %1-%2 %3 %4 won %5 void %6")
                   .arg(nr(h.Entry[0]), nr(h.Entry[1]), lane(h.Lane[0]), lane(h.Lane[1]))
                   .arg(h.Winner)
                   .arg(h.Voided.size());
    QStringList places;
    for (const auto& [entry, place] : c.FinalPlaces())
        places << nr(entry) + ':' + QString::number(place);
    out << "places " + places.join(' ');
    out << "tracks " + nr(c.TrackEntry(0)) + '-' + nr(c.TrackEntry(1));
    QStringList exact;
    for (int e = 0; e < c.EntryCount(); ++e)
        for (int r = 0; r < 6; ++r)
            if (const auto ms = c.ExactMs(e, r))
                exact << QStringLiteral("%1/%2=%3").arg(nr(e)).arg(r).arg(*ms);
    exact.sort();
    out << "exact " + exact.join(' ');
    return out.join('\n');
}

// A finals of 8 out of 10 with the first round raced and a quarter-final run again.
void HalfRunFinals(TCompetition& c, int ranking) {
    c.SetRankingRule(ranking);
    c.SetBracketSize(8);
    Load(c, People(10));
    QVERIFY(c.SetMode(TCompetition::FinaleKo));
    RaceHeat(c, "6.10@6104", "6.50@6502");
    RaceHeat(c, "6.20", "6.20@6207");
    QVERIFY(c.RerunHeat(1));
    RaceHeat(c, "6.30@6301", "6.25@6249");
}

// As a protocol text file gives the rows back.
TProtocolRows ThroughTextFile(const TProtocolRows& rows) {
    return ParseProtocolText(FormatProtocolText(rows));
}

QByteArray ValidCompanion() {
    TCompetition c;
    HalfRunFinals(c, TCompetition::RankByBest);
    const auto data = BracketFileData(c, TCompetition::ForSave, nullptr);
    return data ? FormatBracketFile(*data) : QByteArray();
}
} // namespace

class TestBracketFile : public QObject {
    Q_OBJECT
private slots:
    // The protocol's times are read with the German decimal comma.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    // --- the name ------------------------------------------------------------------------------
    void name_data() {
        QTest::addColumn<QString>("protocol");
        QTest::addColumn<QString>("companion");
        QTest::newRow("the text type's extension") << "/a/heat1.txt"
                                                   << "/a/heat1.ko";
        QTest::newRow("in capitals") << "/a/HEAT1.TXT"
                                     << "/a/HEAT1.ko";
        QTest::newRow("no extension") << "/a/heat1"
                                      << "/a/heat1.ko";
        QTest::newRow("another extension kept") << "/a/heat1.csv"
                                                << "/a/heat1.csv.ko";
        QTest::newRow(".txt not at the end") << "/a/heat1.txt.bak"
                                             << "/a/heat1.txt.bak.ko";
        QTest::newRow("a dotted folder") << "/a.txt/heat1"
                                         << "/a.txt/heat1.ko";
        QTest::newRow("the exit copy") << "/opt/veltaro.txt"
                                       << "/opt/veltaro.ko";
    }
    void name() {
        QFETCH(QString, protocol);
        QFETCH(QString, companion);
        QCOMPARE(BracketFileName(protocol), companion);
    }

    // --- written and read back -----------------------------------------------------------------
    void roundTrip_data() {
        QTest::addColumn<int>("ranking");
        QTest::addColumn<bool>("sorted");
        QTest::addColumn<int>("what");
        QTest::addColumn<int>("modeAtSave");
        QTest::addColumn<int>("modeAtLoad");
        const int save = TCompetition::ForSave, exit = TCompetition::ForExitCopy;
        const int quali = TCompetition::Qualifikation, finals = TCompetition::FinaleKo;
        QTest::newRow("saved in ranking order, loaded in Qualifikation")
            << 1 << true << save << finals << quali;
        QTest::newRow("saved in load order, loaded in Paarrennen")
            << 0 << false << save << finals << int(TCompetition::Paarrennen);
        QTest::newRow("saved from Qualifikation: no dummy row")
            << 1 << true << save << quali << quali;
        QTest::newRow("exit copy with the dummy row, loaded in the finals")
            << 1 << true << exit << quali << finals;
        QTest::newRow("exit copy of the finals") << 0 << false << exit << finals << quali;
    }
    void roundTrip() {
        QFETCH(int, ranking);
        QFETCH(bool, sorted);
        QFETCH(int, what);
        QFETCH(int, modeAtSave);
        QFETCH(int, modeAtLoad);
        TCompetition saved;
        HalfRunFinals(saved, ranking);
        saved.SetSorted(sorted);
        QVERIFY(saved.SetMode(modeAtSave));
        const auto forWhat = TCompetition::TRowsFor(what);
        const TProtocolRows rows = ThroughTextFile(saved.Rows(forWhat));
        QString note;
        const auto data = BracketFileData(saved, forWhat, &note);
        QVERIFY(data);
        QVERIFY(note.isEmpty());
        QString reason;
        const auto read = ParseBracketFile(FormatBracketFile(*data), &reason);
        QVERIFY2(read, qPrintable(reason));
        QCOMPARE(*read, *data);

        TCompetition loaded;
        loaded.SetRankingRule(1 - ranking);
        if (modeAtLoad != TCompetition::FinaleKo) QVERIFY(loaded.SetMode(modeAtLoad));
        QVERIFY(loaded.Load(rows));
        if (modeAtLoad == TCompetition::FinaleKo) QVERIFY(loaded.SetMode(modeAtLoad));
        QCOMPARE(RestoreBracketFile(loaded, *read), QString());
        QVERIFY(loaded.SetMode(TCompetition::FinaleKo));
        QVERIFY(saved.SetMode(TCompetition::FinaleKo));
        QCOMPARE(Finals(loaded), Finals(saved));
    }

    // --- refused, with a reason ----------------------------------------------------------------
    void refused_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const QByteArray valid = ValidCompanion();
        QVERIFY(valid.startsWith("Veltaro-KO 1\n"));
        const auto replaced = [&](const char* from, const char* to) {
            QByteArray b = valid;
            return b.replace(from, to);
        };
        QTest::newRow("empty") << QByteArray() << "keine K.-o.-Datei";
        QTest::newRow("a protocol text file")
            << QByteArray("St.Nr.\tName, Vorname\r\n1\tA\r\n") << "keine K.-o.-Datei";
        QTest::newRow("binary") << QByteArray("\x00\x01\xff\xfe garbage", 14) << "kein UTF-8";
        QTest::newRow("not UTF-8 inside") << replaced("Ranking=", "Ranking\xe4=") << "kein UTF-8";
        QTest::newRow("a later version") << replaced("Veltaro-KO 1", "Veltaro-KO 2") << "Version 2";
        QTest::newRow("no end") << valid.left(valid.indexOf("End=")) << "unvollständig";
        QTest::newRow("a record after the end") << valid + "Exact=0 0 5000\n"
                                                << "ungültig";
        QTest::newRow("end miscounted") << replaced("End=", "End=1") << "ungültig";
        QTest::newRow("unknown record") << replaced("Ranking=", "Rating=") << "Zeile 2";
        QTest::newRow("ranking out of range") << replaced("Ranking=1", "Ranking=7") << "Zeile 2";
        QTest::newRow("a size no bracket has")
            << replaced("BracketSize=8", "BracketSize=9") << "Zeile 3";
        QTest::newRow("rows without key") << replaced("Rows=", "Rows=10\nX=") << "Zeile 4";
        QTest::newRow("ranking twice")
            << replaced("BracketSize=", "Ranking=0\nBracketSize=") << "Zeile 3";
        QTest::newRow("a negative millisecond")
            << replaced("\nExact=", "\nExact=0 0 -1\nExact=") << "ungültig";
        QTest::newRow("a run beyond the sixth")
            << replaced("\nExact=", "\nExact=0 6 5000\nExact=") << "ungültig";
        QTest::newRow("a broken bracket line")
            << replaced("Bracket=Seed 1 ", "Bracket=Seed 99 ") << "beschädigt";
        QTest::newRow("an empty line inside") << replaced("\nRows=", "\n\nRows=") << "ungültig";
    }
    void refused() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QString why;
        QVERIFY(!ParseBracketFile(bytes, &why));
        QVERIFY2(why.contains(reason), qPrintable(why));
    }

    // Cut off anywhere but after its last line break, a companion is never taken.
    void everyCutRefused() {
        const QByteArray valid = ValidCompanion();
        QVERIFY(ParseBracketFile(valid, nullptr));
        QVERIFY(ParseBracketFile(valid.chopped(1), nullptr)); // the last line break only
        // Past the header every cut says so.
        const qsizetype header = valid.indexOf('\n') + 1;
        for (qsizetype n = 0; n < valid.size() - 1; ++n) {
            QString why;
            if (ParseBracketFile(valid.left(n), &why))
                QFAIL(qPrintable(QStringLiteral("cut after %1 bytes was taken").arg(n)));
            if (n >= header && !why.contains("unvollständig"))
                QFAIL(qPrintable(QStringLiteral("cut after %1 bytes: %2").arg(n).arg(why)));
        }
    }

    // --- files -----------------------------------------------------------------------------------
    void readFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QString>("reason");
        QTest::newRow("none") << "missing" << false << "";
        QTest::newRow("a companion") << "valid" << true << "";
        QTest::newRow("CR LF line ends") << "crlf" << true << "";
        QTest::newRow("over 16 MiB") << "huge" << false << "zu groß";
        QTest::newRow("a folder") << "folder" << false << "keine gewöhnliche Datei";
#ifdef Q_OS_UNIX
        QTest::newRow("a pipe nobody writes") << "fifo" << false << "keine gewöhnliche Datei";
#endif
    }
    void readFile() {
        QFETCH(QString, kind);
        QFETCH(bool, taken);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString name = dir.filePath("heat.ko");
        QByteArray bytes = ValidCompanion();
        if (kind == "crlf") bytes.replace("\n", "\r\n");
        if (kind == "valid" || kind == "crlf" || kind == "huge") {
            QFile f(name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
            if (kind == "huge") QVERIFY(f.resize(BracketFileMaxBytes + 1));
        }
        if (kind == "folder") QVERIFY(QDir(dir.path()).mkdir("heat.ko"));
#ifdef Q_OS_UNIX
        if (kind == "fifo") QCOMPARE(::mkfifo(QFile::encodeName(name).constData(), 0600), 0);
#endif
        QString why = "stale";
        const auto data = ReadBracketFile(name, &why);
        QCOMPARE(bool(data), taken);
        QVERIFY2(reason.isEmpty() ? why.isEmpty() : why.contains(reason), qPrintable(why));
        if (taken) QCOMPARE(*data, *ParseBracketFile(ValidCompanion(), nullptr));
    }

    void updateFails_data() {
        QTest::addColumn<bool>("finals");
        QTest::newRow("cannot be written") << true;
        QTest::newRow("cannot be removed") << false;
    }
    void updateFails() {
        QFETCH(bool, finals);
        QTemporaryDir dir;
        // A folder by the companion's name, with something in it: neither replaced nor removed.
        QVERIFY(QDir(dir.path()).mkpath("heat.ko/inside"));
        TCompetition c;
        if (finals)
            HalfRunFinals(c, 0);
        else
            Load(c, {"1/6.00", "2/6.10"});
        const QString error = KeepBracketBeside(dir.filePath("heat.txt"), c, TCompetition::ForSave);
        QVERIFY(!error.isEmpty());
        QVERIFY2(error.contains("heat.ko"), qPrintable(error));
        QVERIFY(QFileInfo(dir.filePath("heat.ko/inside")).isDir());
    }

    // --- another protocol's companion
    // --------------------------------------------------------------
    void restoreRefused_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("reason");
        QTest::newRow("a participant fewer") << "drop"
                                             << "anderen Teilnehmerzeilen";
        QTest::newRow("rows in another order") << "swap"
                                               << "anderen Teilnehmerzeilen";
        QTest::newRow("another name") << "rename"
                                      << "anderen Teilnehmerzeilen";
        QTest::newRow("a recorded run typed over") << "retype"
                                                   << "Tausendstel";
        QTest::newRow("a seed beyond the rows") << "seed"
                                                << "nicht hat";
    }
    void restoreRefused() {
        QFETCH(QString, change);
        QFETCH(QString, reason);
        TCompetition saved;
        HalfRunFinals(saved, 1);
        TProtocolRows rows = saved.Rows(TCompetition::ForSave);
        auto data = BracketFileData(saved, TCompetition::ForSave, nullptr);
        QVERIFY(data);
        if (change == "drop") rows.removeLast();
        if (change == "swap") rows.swapItemsAt(1, 2);
        if (change == "rename") rows[4][Col::Name] = "Somebody Else";
        if (change == "retype") {
            const TExactRun x = data->Exact.first();
            rows[x.Entry + 1][Col::Turm1 + x.Run] = Cell("9.99");
        }
        if (change == "seed") {
            // A bracket that reads well but seeds an entry the rows do not have.
            for (QString& line : data->Bracket)
                if (line.startsWith("Seed 1 ")) line = "Seed 1 40 5000";
            QVERIFY(TBracket::FromLines(data->Bracket));
        }
        TCompetition loaded;
        QVERIFY(loaded.Load(rows));
        const QString before = Finals(loaded);
        const QStringList bracketBefore = loaded.BracketLines();
        const QString why = RestoreBracketFile(loaded, *data);
        QVERIFY2(why.contains(reason), qPrintable(why));
        // Nothing of it taken.
        QCOMPARE(Finals(loaded), before);
        QCOMPARE(loaded.BracketLines(), bracketBefore);
    }
};

QTEST_GUILESS_MAIN(TestBracketFile)
#include "tst_bracketfile.moc"
