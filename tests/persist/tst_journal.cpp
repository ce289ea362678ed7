// What outlives the program: the journal a killed or crashed session leaves for the next one,
// with the earlier sessions it keeps, the contact log a jury reads after a protest, and the
// settings store read at start-up.
#include "ModelSupport.h"
#include "persist/ContactLog.h"
#include "persist/Journal.h"
#include "persist/SettingsStore.h"
#include "PersistSupport.h"

#include <QDataStream>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// A row of 14 cells with the given ones set.
QStringList Cells(const QList<QPair<int, QString>>& cells) {
    QStringList row(ProtocolColCount);
    for (const auto& [col, text] : cells)
        row[col] = text;
    return row;
}
TProtocolRows Protocol(int participants, const QString& time = QString()) {
    TProtocolRows rows = Rows(Titles);
    for (int i = 1; i <= participants; ++i)
        rows << Rows(QStringLiteral("%1|Müller %1||||%2||||||||%1").arg(i).arg(time));
    return rows;
}
// What a protocol is after a trip through a file.
TProtocolRows Written(const TProtocolRows& rows) {
    return ParseProtocolText(FormatProtocolText(JournalRows(rows)));
}
// Everything the meta holds, the bracket, the thousandths and the heat on the tracks included.
const TJournalMeta Meta = [] {
    TJournalMeta m{"Cup", 3, 2, 1, 1, 8};
    m.Bracket = {"Size 8", "Seed 1 0 5004"};
    m.Exact = {{0, 1, 5004}};
    m.Heat = {2, -2, 4};
    m.Reaction = {{0, 1, -20}};
    return m;
}();

// A journal whose protocol is whatever the test last put into `state`.
struct TSession {
    TJournalSnapshot state; // outlives the journal, which reads it until it is gone
    TJournal journal;
    explicit TSession(const QString& folder) : journal(folder) {
        journal.SetSource([this] { return state; });
        journal.Begin();
    }
    bool Write(const TProtocolRows& rows, const TJournalMeta& meta = Meta) {
        state = {rows, meta};
        journal.Changed();
        return journal.Flush();
    }
};
// clang-format off
// Every setting with a value other than its default, in reading order.
const QList<QPair<QString, QString>> Stored = {
    {"Left", "-1200"}, {"Top", "-20"}, {"Width", "800"}, {"Height", "600"}, {"Port", "3"},
    {"Alg1", "1"}, {"Alg2", "1"}, {"Alg3", "1"}, {"CountBahn", "1"}, {"FilterInd", "2"},
    {"TimerGesperrt", "3000"}, {"AllLaufe", "4"}, {"CountZabegov", "3"}, {"Monitor", "1"},
    {"MonitorOn", "1"}, {"TimeFormat", "0"}, {"AutoTime", "7000"}, {"Vid", "2"},
    {"Color1", "255"}, {"Color2", "65280"}, {"KlassCol", "3"}, {"AllTrasse", "1"},
    {"Title", "Cup, Bern \"2026\" ü"}, {"isPlaySound", "0"}, {"isPlaySound1", "0"}, {"isPlaySound2", "0"},
    {"Lang", "2"}, {"LiveOn", "1"}, {"LivePort", "8181"}, {"LiveBind", "192.168.1.20"},
    {"Ranking", "1"}, {"BracketSize", "8"}, {"StopGesperrt", "2500"}, {"PadPort", "4"},
    {"PadAlg1", "1"}, {"PadAlg2", "1"}, {"FsLimit", "120"}, {"EventFolder", "/tmp/Cup: 2026"},
    {"EventName", "Bezirkscup, 3. Lauf"}, {"EventPlace", "Bern"}, {"HallNames", "0"}};

const QStringList TextKeys = {"Title", "LiveBind", "EventFolder", "EventName", "EventPlace"};

// A setting's in-memory value as text, booleans as 0/1.
QString Get(const TSettings& s, const QString& name) {
#define V(field) {#field, QString::number(qint64(s.field))}
    const QHash<QString, QString> v = {
        V(Left), V(Top), V(Width), V(Height), V(Port), V(Alg1), V(Alg2), V(Alg3), V(CountBahn),
        V(FilterInd), V(TimerGesperrt), V(AllLaufe), V(CountZabegov), V(Monitor), V(MonitorOn),
        V(TimeFormat), V(AutoTime), V(Vid), V(Color1), V(Color2), V(KlassCol), V(AllTrasse),
        {"Title", s.Title}, V(isPlaySound), V(isPlaySound1), V(isPlaySound2), V(Lang),
        V(LiveOn), V(LivePort), {"LiveBind", s.LiveBind}, V(Ranking), V(BracketSize),
        V(StopGesperrt), V(PadPort), V(PadAlg1), V(PadAlg2), V(FsLimit),
        {"EventFolder", s.EventFolder}, {"EventName", s.EventName}, {"EventPlace", s.EventPlace}, V(HallNames)};
#undef V
    return v.value(name, "<unknown>");
}
// clang-format on

// A stand-in for the registry: values keep their types (int, string ...) as REG_DWORD and
// REG_SZ do.
const QSettings::Format Typed = QSettings::registerFormat(
    "typed",
    [](QIODevice& device, QSettings::SettingsMap& map) {
        QDataStream in(&device);
        in >> map;
        return in.status() == QDataStream::Ok;
    },
    [](QIODevice& device, const QSettings::SettingsMap& map) {
        QDataStream out(&device);
        out << map;
        return out.status() == QDataStream::Ok;
    });
} // namespace

class TestJournal : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    // QSettings caches a file's contents per process by name, so every test gets a new file.
    int files = 0;
    QString store(const char* kind = "conf") const {
        return dir.filePath(QString("timer%1.%2").arg(files).arg(kind));
    }

private slots:
    void init() { ++files; }

    // --- what the journal writes ------------------------------------------------------------
    // Data is anything but the computed columns and the "Qualifikation" dummy (start number
    // "0"): without it the next start offers nothing to restore.
    void hasData_data() {
        QTest::addColumn<QStringList>("row"); // after the titles
        QTest::addColumn<bool>("hasData");
        QTest::newRow("an empty row") << QStringList(14) << false;
        QTest::newRow("only an entry number") << Cells({{0, " "}, {13, "2"}}) << false;
        QTest::newRow("the dummy with result and place")
            << Cells({{0, "0"}, {11, "00:00,00"}, {12, "1"}, {13, "1"}}) << false;
        QTest::newRow("a time in the dummy row") << Cells({{0, "0"}, {5, "00:07,12"}}) << true;
        QTest::newRow("a participant") << Protocol(1)[1] << true;
        QTest::newRow("a short row with a name") << QStringList{" ", "Meier"} << true;
    }
    void hasData() {
        QFETCH(QStringList, row);
        QTEST(JournalHasData({Rows(Titles)[0], row}), "hasData");
    }

    // Written in load order (by the entry numbers) when they allow it, else as shown, whole
    // rows; the empty dummy row left out as a save leaves it out. "D": the dummy, "Dt" the
    // dummy with a time, "s" a short row with a name and no entry number.
    void loadOrder_data() {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("written");
        QTest::newRow("already in load order") << S("1 2 3") << "1 2 3";
        QTest::newRow("ranking order") << S("3 1 2") << "1 2 3";
        QTest::newRow("numbers with blanks") << S("~2 1~") << "1~ ~2";
        QTest::newRow("a row without number") << S("2 _ 1") << "2 _ 1";
        QTest::newRow("a number twice") << S("2 1 2") << "2 1 2";
        QTest::newRow("no number") << S("2 x 1") << "2 x 1";
        QTest::newRow("a short row") << S("2 s 1") << "2 s 1";
        QTest::newRow("the empty dummy") << S("D 2 1") << "2 1";
        QTest::newRow("the dummy with a time") << S("Dt 2 1") << "Dt 2 1";
    }
    void loadOrder() {
        QFETCH(QString, shown);
        TProtocolRows rows = Rows(Titles);
        for (QString e : shown.split(' ')) {
            e.replace('~', ' ');
            rows << (e == "s"    ? QStringList{"7", "row s"}
                     : e == "D"  ? Cells({{0, "0"}, {12, "3"}})
                     : e == "Dt" ? Cells({{0, "0"}, {5, "00:07,12"}, {12, "3"}})
                                 : Cells({{1, "row " + e}, {13, e == "_" ? "" : e}}));
        }
        const TProtocolRows out = JournalRows(rows);
        QCOMPARE(out[0], Rows(Titles)[0]);
        QStringList written;
        for (qsizetype r = 1; r < out.size(); ++r) {
            QCOMPARE(out[r].size(), ProtocolColCount);
            const QString e = out[r][1].mid(4);
            if (out[r][0] != "0" && e != "s") QCOMPARE(out[r][13], e == "_" ? "" : e);
            written << (out[r][0] == "0" ? out[r][5].isEmpty() ? "D" : "Dt"
                                         : QString(e).replace(' ', '~'));
        }
        QTEST(written.join(' '), "written");
    }

    // Unknown or bad values keep their defaults; what is written is read back the same.
    void meta_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("meta"); // as written again; empty: the bytes
        const QByteArray defaults = FormatJournalMeta({});
        QTest::newRow("all given")
            << QByteArray("Title=Stadtcup\nVid=3\nCountZabegov=4\nKlassCol=3\nRanking=1\n"
                          "BracketSize=8\nBracket=Size 8\nBracket=Seed 1 0 5004\nExact=0 1 5004\n"
                          "Heat=2 -2 4\nReaction=0 1 143\nReaction=1 0 -50\n")
            << QByteArray();
        QTest::newRow("umlauts and '=' in the title")
            << QByteArray("Title=Großer Preis =1=\nVid=1\n")
            << QByteArray(defaults)
                   .replace("Title=", "Title=Großer Preis =1=")
                   .replace("Vid=0", "Vid=1");
        QTest::newRow("out of range")
            << QByteArray("Vid=7\nCountZabegov=0\nKlassCol=-1\nRanking=2\nBracketSize=3\n"
                          "Exact=1 6 5000\nExact=-1 0 1\nExact=x\nHeat=1 -3 0\nHeat=1 2\n"
                          "Exact=0 0 -5\nReaction=0 6 100\n")
            << defaults;
        QTest::newRow("sizes between")
            << QByteArray("BracketSize=12\n") << QByteArray(defaults).replace("=16", "=8");
        QTest::newRow("garbage") << QByteArray("\x01\xff=\n==\nVid\n") << defaults;
    }
    void meta() {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, meta);
        const TJournalMeta m = ParseJournalMeta(bytes);
        QCOMPARE(FormatJournalMeta(m), meta.isEmpty() ? bytes : meta);
        QCOMPARE(ParseJournalMeta(FormatJournalMeta(m)), m);
    }

    // --- sessions -----------------------------------------------------------------------------
    // Written off the caller's path shortly after a change, a burst of changes as one write.
    void writesShortlyAfterAChange() {
        QTemporaryDir folder;
        TSession s(folder.path());
        s.journal.SetDebounceMs(300);
        for (int i = 1; i <= 50; ++i) {
            s.state = {Protocol(i, "00:07,12"), Meta};
            s.journal.Changed();
        }
        QCOMPARE(s.journal.WritesDone(), 0u);
        QVERIFY(WaitUntil([&] { return s.journal.WritesDone() == 1; }, 5000));
        QTest::qWait(400); // a second write would come after another interval
        QCOMPARE(s.journal.WritesDone(), 1u);
        QCOMPARE(Bytes(s.journal.JournalFile()), FormatProtocolText(s.state.Rows));
        QCOMPARE(ParseJournalMeta(Bytes(s.journal.MetaFile())), Meta);
    }

    // What the next session finds: after a clean end everything, after a kill what was
    // written, never a mixture of two writes; a killed write leaves the one before it.
    void nextSession_data() {
        QTest::addColumn<QString>("end");
        QTest::addColumn<bool>("unclean");
        QTest::addColumn<int>("rows"); // of 2 written, then 5 pending
        QTest::newRow("first session") << "none" << false << 0;
        QTest::newRow("clean end") << "clean" << false << 3;
        QTest::newRow("clean end writes what is pending") << "pending" << false << 6;
        QTest::newRow("killed") << "killed" << true << 3;
        QTest::newRow("killed with a change pending") << "killed pending" << true << 3;
        QTest::newRow("killed half way through a write") << "half" << true << 3;
        QTest::newRow("killed before a write's rename") << "rename" << true << 3;
    }
    void nextSession() {
        QFETCH(QString, end);
        QTemporaryDir parent;
        const QString folder = parent.filePath("new/journal");
        TJournalMeta later = Meta;
        later.Heat = std::array<int, 3>{3, 4, 5};
        later.Title = "Cup\r\nVid=2"; // stays one line, and the title
        if (end != "none") {
            TSession s(folder);
            s.journal.SetDebounceMs(60000);
            QVERIFY(s.Write(Protocol(2, "00:07,12")));
            const bool stop = end == "half" || end == "rename";
            if (stop)
                s.journal.StopNextWrite(end == "half" ? TWriteStop::HalfWritten
                                                      : TWriteStop::BeforeRename);
            if (end != "clean" && end != "killed") {
                s.state = {Protocol(5), later};
                s.journal.Changed();
            }
            if (stop) s.journal.Flush();
            if (end != "clean" && end != "pending") s.journal.AbandonAsIfKilled();
        }
        TJournal next(folder);
        QVERIFY(next.IsOpen());
        QTEST(next.LastEndUnclean(), "unclean");
        QTEST(int(next.LastRows().size()), "rows");
        if (next.LastRows().size() == 3)
            QCOMPARE(next.LastRows(), Written(Protocol(2, "00:07,12")));
        later.Title = "Cup  Vid=2";
        if (end != "none") QCOMPARE(next.LastMeta(), next.LastRows().size() == 6 ? later : Meta);
        next.Begin();
        QVERIFY(QDir(folder).entryList({"*.part-*"}, QDir::Files).isEmpty());
    }

    void secondProgramAtOnceGetsItsOwnFolder() {
        QTemporaryDir parent;
        const QString folder = parent.filePath("journal");
        TSession first(folder), second(folder);
        QCOMPARE(first.journal.Folder(), folder);
        QCOMPARE(second.journal.Folder(), folder + "-2");
        QVERIFY(!second.journal.LastEndUnclean()); // the first one is running, not dead
        QVERIFY(first.Write(Protocol(1)) && second.Write(Protocol(7)));
        QCOMPARE(ParseProtocolText(Bytes(first.journal.JournalFile())).size(), 2);
        // Nothing is written before the session begins: the last one's journal is still to
        // be offered.
        TJournal third(folder);
        third.SetSource([] { return TJournalSnapshot{Protocol(2), {}}; });
        third.Changed();
        QVERIFY(!third.Flush(100));
        QVERIFY(!QFileInfo::exists(third.JournalFile()));
    }

    void writeFailuresAreReportedAndTheirEnd() {
        QTemporaryDir folder;
        TSession s(folder.path());
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

    // --- the contact log ----------------------------------------------------------------------
    // Every record one line, in order: time, tick, source, line or command, what came of it. A
    // folder that cannot be written is said once and holds nobody up; once it can be written
    // again the log first says how many lines it could not write.
    void contactLogLines() {
        using O = TContactOutcome;
        using L = TLogSource;
        const QList<QPair<TLogRecord, QString>> table = {
            {{0, 0, L::StartContact, true, O::Start}, "Kontakt Start\tCTS an\tSTART"},
            {{0, 0, L::Stop1Contact, true, O::Stop, 12345},
             "Kontakt Stopp 1\tDSR an\tSTOP 12,345 s"},
            {{0, 0, L::Stop2Contact, false, O::Stop, 5}, "Kontakt Stopp 2\tDCD aus\tSTOP 0,005 s"},
            {{0, 0, L::Pad2Contact, true, O::NoEdge}, "Startmatte 2\tDSR an\tkeine Flanke"},
            {{0, 0, L::Correction, 0, {}, 0, "DIS", "a\tb\r\nc → ü"},
             "Korrektur\tDIS\ta b  c → ü"}};
        QTemporaryDir folder;
        const QString blocked = folder.filePath("neu");
        QVERIFY(Put(blocked, "a file where the folder belongs"));
        TContactLog log(blocked + "/event");
        QSignalSpy failed(&log, &TContactLog::WriteFailed);
        QElapsedTimer took; // no wait for a disk that cannot be written
        took.start();
        for (int i = 0; i < 3; ++i) {
            log.Contact(L::Stop1Contact, quint32(i), true, O::Stop, 1000);
            QVERIFY(!log.Flush());
        }
        QVERIFY(took.elapsed() < 2000);
        QVERIFY(WaitUntil([&] { return failed.size() >= 1; }));
        QCOMPARE(failed.size(), 1);
        QVERIFY(failed[0][0].toString().contains("kontakte.log"));
        QVERIFY(QFile::remove(blocked));
        const quint32 first = 4294967290u; // across the wrap of the counter
        quint32 tick = first;
        for (auto [record, line] : table) {
            record.Tick = tick++;
            log.Append(record);
        }
        QVERIFY(log.Flush());
        const QStringList lines = QString::fromUtf8(Bytes(log.FileName())).split('\n');
        QCOMPARE(lines.size(), table.size() + 2);
        QVERIFY(QDateTime::fromString(lines[0].left(23), "yyyy-MM-dd hh:mm:ss.zzz").isValid());
        QCOMPARE(lines[0].section('\t', 1),
                 QString("tick %1\tSitzung\t3 Einträge nicht geschrieben\t").arg(first));
        for (qsizetype i = 0; i < table.size(); ++i)
            QCOMPARE(lines[i + 1].section('\t', 1),
                     QString("tick %1\t").arg(first + quint32(i)) + table[i].second);
    }

    // A full file becomes ".1", the older ones move up, the oldest beyond the kept ones goes;
    // no line is split and the newest lines are all there, in order.
    void contactLogRotates() {
        QTemporaryDir folder;
        TContactLog log(folder.path(), 300, 2);
        for (int i = 0; i < 40; ++i)
            log.Note(TLogSource::Command, 0, QString::number(100 + i));
        QVERIFY(log.Flush());
        QStringList numbers;
        for (const QString& name : {log.FileName() + ".2", log.FileName() + ".1", log.FileName()}) {
            const QByteArray bytes = Bytes(name);
            QVERIFY2(bytes.size() <= 300 && bytes.endsWith('\n'), qPrintable(name));
            numbers << QString::fromUtf8(bytes)
                           .split('\n', Qt::SkipEmptyParts)
                           .replaceInStrings(QRegularExpression(".*\t(\\d+)\t$"), "\\1");
        }
        QVERIFY(!QFileInfo::exists(log.FileName() + ".3"));
        QVERIFY(numbers.size() > 9);
        for (qsizetype i = 0; i < numbers.size(); ++i)
            QCOMPARE(numbers[i].toInt(), 140 - numbers.size() + i);
    }

    // --- what is kept -------------------------------------------------------------------------
    // The newest earlier sessions, newest first, within their bound; the newest always.
    void earlierSessionsAreRotated_data() {
        QTest::addColumn<int>("participants");
        QTest::addColumn<QString>("kept"); // rows of journal-1, -2, ...
        QTest::newRow("small") << 5 << "5 4 3";
        QTest::newRow("each over a third of the bound") << 12000 << "12001 12001";
    }
    void earlierSessionsAreRotated() {
        QFETCH(int, participants);
        QTemporaryDir folder;
        const QString big = participants > 100 ? QString(100, 'x') : QString();
        for (int session = 1; session <= 5; ++session) {
            TSession s(folder.path());
            QVERIFY(s.Write(Protocol(participants > 100 ? participants : session, big)));
        }
        QDir d(folder.path());
        QStringList kept;
        qint64 total = 0;
        for (const QString& f : d.entryList({"journal-*.txt"}, QDir::Files, QDir::Name)) {
            kept << QString::number(ParseProtocolText(Bytes(d.filePath(f))).size());
            total += QFileInfo(d.filePath(f)).size();
        }
        QTEST(kept.join(' '), "kept");
        QVERIFY(total <= TJournal::RotatedMaxBytes);
    }

    // A journal the operator declined is kept under a dated name that no rotation removes; only
    // the newest few of them. (A protocol a load replaced: tst_recovery reads its copy back.)
    void declinedAreKept() {
        QTemporaryDir folder;
        QStringList kept;
        for (int i = 0; i < TJournal::KeepUnrestored + 2; ++i) {
            TJournalMeta meta = Meta;
            meta.Title = QStringLiteral("Cup: %1?").arg(i);
            {
                TSession s(folder.path());
                QVERIFY(s.Write(Protocol(i + 1, "00:07,12"), meta));
                s.journal.AbandonAsIfKilled();
            }
            TJournal j(folder.path());
            QVERIFY(j.LastEndUnclean());
            kept << j.KeepLastUnrestored();
            QVERIFY2(kept.last().startsWith(folder.path() + "/unterbrochen ") &&
                         kept.last().endsWith(QStringLiteral(" Cup_ %1_.txt").arg(i)),
                     qPrintable(kept.last()));
        }
        for (int session = 1; session <= 5; ++session)
            QVERIFY(TSession(folder.path()).Write(Protocol(session)));
        for (int i = 0; i < kept.size(); ++i) {
            TProtocolRows back;
            QCOMPARE(ReadProtocolFile(kept[i], &back, nullptr), i >= 2);
            if (i >= 2) QCOMPARE(back, Written(Protocol(i + 1, "00:07,12")));
        }
    }

    // --- the settings store -------------------------------------------------------------------
    // Reading stops at the first missing or ill-typed value: it and all later ones keep their
    // defaults; a missing "Title" or "LiveBind" reads as empty. In the registry a number must
    // be an int, in a file decimal text. A value outside its range is replaced by the nearest
    // valid one and listed, and reading goes on. Whatever was read is saved and read back the
    // same, as the next start reads the store: a file holds every value as text, the registry
    // numbers as ints.
    void load_data() {
        QTest::addColumn<bool>("registry");
        QTest::addColumn<QString>("name");   // "*": nothing stored at all
        QTest::addColumn<QVariant>("value"); // invalid: missing
        QTest::addColumn<int>("read");
        QTest::addColumn<QString>("applied"); // to the named setting; empty: its default
        const auto row = [](const char* tag, bool registry, const char* name, QVariant value,
                            int read, const char* applied = "") {
            QTest::newRow(tag) << registry << S(name) << value << read << S(applied);
        };
        row("nothing stored", false, "*", {}, 0);
        row("all present", false, "", {}, 41);
        row("an older version's", false, "LiveOn", {}, 27);
        row("before the event folder", false, "EventFolder", {}, 41);
        row("Left missing", false, "Left", {}, 0);
        row("Alg2 missing", false, "Alg2", {}, 6);
        row("hex number", false, "Port", "0x10", 4);
        row("beyond 32 bits", false, "Monitor", "4294967296", 13);
        row("fraction", false, "Width", "800.5", 2);
        row("registry: all ints", true, "", {}, 41);
        row("registry: text number", true, "Left", "10", 0);
        row("registry: boolean", true, "MonitorOn", true, 14);
        row("registry: number as title", true, "Title", 5, 22);
        row("CountZabegov 0", false, "CountZabegov", "0", 41, "1");
        row("Port 300", false, "Port", "300", 41, "255");
        row("system colour", false, "Color1", "-16777201", 41, "15");
        row("AllLaufe 0 not taken", false, "AllLaufe", "0", 41, "6");
        // Kept: the live glue refuses it with a message, no clamp makes port 1 of it.
        row("live port 0 kept", false, "LivePort", "0", 41, "0");
    }
    void load() {
        QFETCH(bool, registry);
        QFETCH(QString, name);
        QFETCH(QVariant, value);
        QFETCH(int, read);
        QFETCH(QString, applied);
        const QString file = store(registry ? "typed" : "conf");
        const QSettings::Format format = registry ? Typed : QSettings::IniFormat;
        const TNumberRule rule = registry ? TNumberRule::IntOnly : TNumberRule::IntOrDecimalText;
        {
            // A file holds text as an editor or an earlier run left it, the registry typed values.
            QSettings writer(file, format);
            for (const auto& [key, text] : Stored) {
                const bool number = registry && !TextKeys.contains(key);
                if (key != name && name != "*")
                    writer.setValue(key, number ? QVariant(text.toInt()) : QVariant(text));
                else if (value.isValid())
                    writer.setValue(key, value);
            }
        }
        QSettings settings(file, format);
        TSettings s;
        const TSettingsLoad load = LoadSettings(settings, s, rule);
        QCOMPARE(load.keyFound, name != "*");
        QCOMPARE(load.valuesRead, read);
        const QString stored = value.toString();
        QCOMPARE(load.corrected, applied.isEmpty() || applied == stored
                                     ? QStringList()
                                     : QStringList{name + " " + stored + " -> " + applied});
        for (int i = 0; i < Stored.size(); ++i) {
            const QString& key = Stored[i].first;
            const QString expected = key == name && !applied.isEmpty() ? applied
                                     : i < read && key != name         ? Stored[i].second
                                                                       : Get(TSettings(), key);
            QCOMPARE(Get(s, key), expected);
        }
        // QSettings caches a file by name: the saved one is read under a name not seen yet.
        {
            QSettings writer(file + ".saved", format);
            QVERIFY(SaveSettings(writer, s));
        }
        QVERIFY(QFile::copy(file + ".saved", file + ".copy"));
        QSettings reader(file + ".copy", format);
        TSettings back;
        QCOMPARE(LoadSettings(reader, back, rule).valuesRead, 41);
        for (const auto& [key, text] : Stored) {
            QCOMPARE(Get(back, key), Get(s, key));
            QCOMPARE(reader.value(key).typeId(),
                     !registry || TextKeys.contains(key) ? QMetaType::QString : QMetaType::Int);
        }
    }

    // Where the store is, and that a pipe standing there instead of a file does not stop the
    // start-up, nor a name take the settings of another program.
    void storeLocation_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("kind"); // of what stands at the path
        QTest::addColumn<QString>("file"); // empty: no store
        QTest::newRow("no way out") << S("../../etc/x") << S("") << "/Tavoleno/.._.._etc_x.conf";
        QTest::newRow("a pipe") << S("notafile") << S("pipe") << "";
    }
    void storeLocation() {
        QFETCH(QString, program);
        QFETCH(QString, kind);
        QFETCH(QString, file);
        QStandardPaths::setTestModeEnabled(true);
        const QString config =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        const QString path = config + "/Tavoleno/notafile.conf";
        QVERIFY(QDir().mkpath(config + "/Tavoleno"));
        QFile::remove(path);
        if (kind == "pipe") QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        auto opened = std::async(std::launch::async, [&] { return OpenSettingsStore(program); });
        const bool inTime = opened.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
        if (!inTime) ::close(::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK));
        const auto settings = opened.get(); // the writer that came and went let a reader go
        QFile::remove(path);
        QVERIFY2(inTime, "opening the store waited for a writer");
        QCOMPARE(settings ? settings->fileName() : "", file.isEmpty() ? "" : config + file);
        if (settings) QCOMPARE(settings->format(), QSettings::IniFormat);
        // A store that cannot be written says so: the settings would be lost without a word.
        QFile plain(dir.filePath("plainfile"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        QSettings blocked(plain.fileName() + "/timer.conf", QSettings::IniFormat);
        QVERIFY(!SaveSettings(blocked, TSettings()));
    }
};

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
