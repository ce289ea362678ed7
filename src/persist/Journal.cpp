#include "persist/Journal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

#ifdef Q_OS_WIN
#include <windows.h>
#elif defined(Q_OS_LINUX)
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace {
const QString JournalName = QStringLiteral("journal.txt");
const QString MetaName = QStringLiteral("journal.meta");
const QString MarkerName = QStringLiteral("running");
const QString LockName = QStringLiteral("session.lock");
const QString UnrestoredPrefix = QStringLiteral("unterbrochen ");
const QString ReplacedPrefix = QStringLiteral("ersetzt ");
// Enough for every program the operator could reasonably start at once.
constexpr int MaxFolders = 9;

QString RotatedName(int i) {
    return QStringLiteral("journal-%1.txt").arg(i);
}

// A title becomes part of a file name: nothing that a file system refuses.
QString FileNameSafe(const QString& title) {
    QString out;
    for (const QChar c : title)
        out += (c.unicode() < 0x20 || QStringLiteral("\\/:*?\"<>|").contains(c)) ? QChar('_') : c;
    return out.trimmed().left(80);
}

// The writer yields to the GUI thread and the contact thread: waking it must not take the
// processor from the thread that woke it.
void LowerCurrentThreadPriority() {
#ifdef Q_OS_WIN
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
#elif defined(Q_OS_LINUX)
    setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), 10); // nice is per thread on Linux
#endif
}

int MetaNumber(const QString& text, int lo, int hi, int fallback) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok && n >= lo && n <= hi ? n : fallback;
}
} // namespace

namespace {
// Result time, place and entry number are computed from the rest: no data of their own.
bool RowHasData(const QStringList& row) {
    const qsizetype cells = std::min<qsizetype>(row.size(), ProtocolColCount - 3);
    for (qsizetype c = 0; c < cells; ++c) {
        const QString cell = row[c].trimmed();
        if (cell.isEmpty() || (c == 0 && cell == QLatin1String("0"))) continue;
        return true;
    }
    return false;
}

bool IsDummyRow(const QStringList& row) {
    return !row.isEmpty() && row[0].trimmed() == QLatin1String("0") && !RowHasData(row);
}
} // namespace

bool JournalHasData(const TProtocolRows& rows) {
    for (qsizetype r = 1; r < rows.size(); ++r)
        if (RowHasData(rows[r])) return true;
    return false;
}

TProtocolRows JournalRows(const TProtocolRows& rows, int colCount) {
    TProtocolRows out = JournalRowsInLoadOrder(rows, colCount);
    // Left out as a save leaves it out: a load in "Qualifikation" puts it back at its place,
    // with the same list entry as before.
    for (qsizetype r = out.size() - 1; r >= 1; --r)
        if (IsDummyRow(out[r])) out.remove(r);
    return out;
}

TProtocolRows JournalRowsInLoadOrder(const TProtocolRows& rows, int colCount) {
    TProtocolRows out = rows;
    for (QStringList& row : out)
        if (row.size() < colCount) row.resize(colCount);
    if (out.size() < 3) return out;
    // The protocol may be shown in ranking order; the entry numbers give back the order in
    // which it was loaded, which the lists and a later load rely on.
    QVector<std::pair<int, qsizetype>> keys;
    keys.reserve(out.size() - 1);
    for (qsizetype r = 1; r < out.size(); ++r) {
        bool ok = false;
        const int n = out.at(r).at(colCount - 1).trimmed().toInt(&ok);
        if (!ok || n <= 0) return out;
        keys.push_back({n, r});
    }
    std::sort(keys.begin(), keys.end());
    for (qsizetype i = 1; i < keys.size(); ++i)
        if (keys[i].first == keys[i - 1].first) return out;
    bool inOrder = true;
    for (qsizetype i = 0; i < keys.size(); ++i)
        inOrder = inOrder && keys[i].second == i + 1;
    if (inOrder) return out;
    TProtocolRows sorted;
    sorted.reserve(out.size());
    sorted.push_back(out[0]);
    for (const auto& k : keys)
        sorted.push_back(out[k.second]);
    return sorted;
}

QByteArray FormatJournalMeta(const TJournalMeta& meta) {
    QString title = meta.Title;
    title.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    QString text = QStringLiteral("Title=%1\nVid=%2\nCountZabegov=%3\nKlassCol=%4\n"
                                  "Ranking=%5\nBracketSize=%6\n")
                       .arg(title)
                       .arg(meta.Vid)
                       .arg(meta.CountZabegov)
                       .arg(meta.KlassCol)
                       .arg(meta.Ranking)
                       .arg(meta.BracketSize);
    // One line per bracket line, in order; bracket lines hold no line breaks.
    for (const QString& line : meta.Bracket)
        text += QStringLiteral("Bracket=") + QString(line).replace(QLatin1Char('\n'), ' ') + '\n';
    for (const TExactRun& x : meta.Exact)
        text += QStringLiteral("Exact=%1 %2 %3\n").arg(x.Entry).arg(x.Run).arg(x.Ms);
    if (meta.Heat)
        text += QStringLiteral("Heat=%1 %2 %3\n")
                    .arg((*meta.Heat)[0])
                    .arg((*meta.Heat)[1])
                    .arg((*meta.Heat)[2]);
    for (const TExactRun& x : meta.Reaction)
        text += QStringLiteral("Reaction=%1 %2 %3\n").arg(x.Entry).arg(x.Run).arg(x.Ms);
    return text.toUtf8();
}

TJournalMeta ParseJournalMeta(const QByteArray& bytes) {
    TJournalMeta meta;
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0) continue;
        const QString key = line.left(eq);
        const QString value = line.mid(eq + 1);
        if (key == QLatin1String("Title"))
            meta.Title = value;
        else if (key == QLatin1String("Vid"))
            meta.Vid = MetaNumber(value, 0, 3, meta.Vid);
        else if (key == QLatin1String("CountZabegov"))
            meta.CountZabegov = MetaNumber(value, 1, 6, meta.CountZabegov);
        else if (key == QLatin1String("KlassCol"))
            meta.KlassCol = MetaNumber(value, 0, 5, meta.KlassCol);
        else if (key == QLatin1String("Ranking"))
            meta.Ranking = MetaNumber(value, 0, 1, meta.Ranking);
        else if (key == QLatin1String("BracketSize")) {
            const int n = MetaNumber(value, 4, 16, meta.BracketSize);
            meta.BracketSize = n >= 16 ? 16 : n >= 8 ? 8 : 4;
        } else if (key == QLatin1String("Bracket"))
            meta.Bracket << value; // read as a whole by the bracket, which refuses a broken one
        else if (key == QLatin1String("Exact") || key == QLatin1String("Reaction")) {
            const QStringList f = value.split(QLatin1Char(' '));
            bool ok1 = false, ok2 = false, ok3 = false;
            TExactRun x;
            if (f.size() == 3) {
                x.Entry = f[0].toInt(&ok1);
                x.Run = f[1].toInt(&ok2);
                x.Ms = f[2].toInt(&ok3);
            }
            // A damaged line costs that run its thousandths or reaction, nothing else. Only a
            // reaction is negative: a pad left before START.
            const bool exact = key == QLatin1String("Exact");
            if (ok1 && ok2 && ok3 && x.Entry >= 0 && x.Run >= 0 && x.Run < 6 &&
                (!exact || x.Ms >= 0))
                (exact ? meta.Exact : meta.Reaction) << x;
        } else if (key == QLatin1String("Heat")) {
            // A damaged line costs only the heat: the restore then starts at the first one.
            const QStringList f = value.split(QLatin1Char(' '));
            std::array<int, 3> heat{};
            bool ok = f.size() == 3;
            for (int i = 0; ok && i < 3; ++i)
                heat[size_t(i)] = f[i].toInt(&ok);
            if (ok && heat[0] >= -2 && heat[1] >= -2 && heat[2] >= 0) meta.Heat = heat;
        }
    }
    return meta;
}

QString TJournal::DefaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/journal");
}

TJournal::TJournal(const QString& folder, QObject* parent) : QObject(parent) {
    m_debounce.setSingleShot(true);
    // Short enough that a kill costs well under a second, long enough that the changes of one
    // command (a time, then the places) reach the disk as one write.
    m_debounce.setInterval(200);
    connect(&m_debounce, &QTimer::timeout, this, &TJournal::TakeSnapshot);

    for (int i = 1; i <= MaxFolders && !m_lock; ++i) {
        const QString f = i == 1 ? folder : folder + QStringLiteral("-%1").arg(i);
        if (!QDir().mkpath(f)) continue;
        auto lock = std::make_unique<QLockFile>(f + QLatin1Char('/') + LockName);
        // Only a lock whose program is gone is stale: a competition runs for hours.
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0)) continue;
        m_folder = f;
        m_lock = std::move(lock);
    }
    if (!m_lock) {
        m_folder = folder;
        return;
    }
    m_unclean = QFileInfo::exists(RunningMarker());
    ReadLast();
    QString error;
    WriteFileDurably(RunningMarker(), QByteArray::number(QCoreApplication::applicationPid()) + '\n',
                     &error);
}

TJournal::~TJournal() {
    if (m_begun && !m_abandoned) Flush();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) m_thread.join();
    if (m_lock && !m_abandoned) QFile::remove(RunningMarker());
    m_lock.reset();
}

QString TJournal::JournalFile() const {
    return m_folder + QLatin1Char('/') + JournalName;
}
QString TJournal::MetaFile() const {
    return m_folder + QLatin1Char('/') + MetaName;
}
QString TJournal::RunningMarker() const {
    return m_folder + QLatin1Char('/') + MarkerName;
}

void TJournal::ReadLast() {
    QString error;
    TProtocolRows rows;
    if (QFileInfo::exists(JournalFile()) && ReadProtocolFile(JournalFile(), &rows, &error)) {
        m_lastRows = rows;
        m_lastWritten = QFileInfo(JournalFile()).lastModified();
    }
    QFile meta(MetaFile());
    // Room for the thousandths of every run of a large field.
    if (meta.open(QIODevice::ReadOnly)) m_lastMeta = ParseJournalMeta(meta.read(16 * 1024 * 1024));
}

QString TJournal::KeptName(const QString& prefix, const QDateTime& when,
                           const QString& title) const {
    QString name = prefix + when.toString(QStringLiteral("yyyy-MM-dd hh.mm.ss"));
    const QString safe = FileNameSafe(title);
    if (!safe.isEmpty()) name += QLatin1Char(' ') + safe;
    QString path = m_folder + QLatin1Char('/') + name + QStringLiteral(".txt");
    for (int i = 2; QFileInfo::exists(path); ++i)
        path = m_folder + QLatin1Char('/') + name + QStringLiteral(" (%1).txt").arg(i);
    return path;
}

QString TJournal::KeepLastUnrestored() {
    if (!m_lock || !QFileInfo::exists(JournalFile())) return QString();
    const QDateTime when = m_lastWritten.isValid() ? m_lastWritten : QDateTime::currentDateTime();
    const QString path = KeptName(UnrestoredPrefix, when, m_lastMeta.Title);
    if (!QFile::rename(JournalFile(), path)) return QString();
    QFile::remove(MetaFile());
    PruneKept(UnrestoredPrefix);
    return path;
}

QString TJournal::KeepReplaced(const TJournalSnapshot& snapshot) {
    if (!m_lock) return QString();
    const QString path =
        KeptName(ReplacedPrefix, QDateTime::currentDateTime(), snapshot.Meta.Title);
    QString error;
    if (!WriteFileDurably(path, FormatProtocolText(JournalRows(snapshot.Rows)), &error))
        return QString();
    PruneKept(ReplacedPrefix);
    return path;
}

void TJournal::PruneKept(const QString& prefix) {
    QDir dir(m_folder);
    // The names start with the date, so name order is age order.
    const QStringList kept =
        dir.entryList({prefix + QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    for (qsizetype i = 0; i + KeepUnrestored < kept.size(); ++i)
        dir.remove(kept[i]);
}

void TJournal::Rotate() {
    QDir dir(m_folder);
    // What a killed write left: never a journal, only the half of one.
    for (const QString& part : dir.entryList(
             {JournalName + QStringLiteral(".part-*"), MetaName + QStringLiteral(".part-*")},
             QDir::Files))
        dir.remove(part);
    if (!QFileInfo::exists(JournalFile())) return;
    dir.remove(RotatedName(KeepRotated));
    for (int i = KeepRotated - 1; i >= 1; --i)
        if (QFileInfo::exists(dir.filePath(RotatedName(i))))
            dir.rename(RotatedName(i), RotatedName(i + 1));
    dir.rename(JournalName, RotatedName(1));
    dir.remove(MetaName);
    // The newest earlier journal always stays; older ones go once they take too much room.
    qint64 total = 0;
    for (int i = 1; i <= KeepRotated; ++i) {
        const QFileInfo f(dir.filePath(RotatedName(i)));
        if (!f.exists()) continue;
        total += f.size();
        if (i > 1 && total > RotatedMaxBytes) dir.remove(RotatedName(i));
    }
}

void TJournal::Begin() {
    if (!m_lock || m_begun) return;
    Rotate();
    m_begun = true;
    m_thread = std::thread([this] { WriterLoop(); });
}

void TJournal::Changed() {
    if (!m_begun) return;
    m_dirty = true;
    // Not restarted by later changes: a stream of edits must not postpone the write forever.
    if (!m_debounce.isActive()) m_debounce.start();
}

void TJournal::TakeSnapshot() {
    if (!m_dirty || !m_source) return;
    m_dirty = false;
    TJournalSnapshot snapshot = m_source();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pending = std::move(snapshot); // a snapshot still waiting is superseded
        ++m_queued;
    }
    m_wake.notify_one();
}

bool TJournal::Flush(int timeoutMs) {
    if (!m_begun) return false;
    m_debounce.stop();
    TakeSnapshot();
    std::unique_lock<std::mutex> lock(m_mutex);
    const bool done = m_done.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                      [this] { return m_written >= m_queued; });
    return done && !m_failing;
}

quint64 TJournal::WritesDone() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_written;
}

void TJournal::StopNextWrite(TWriteStop stop) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopNext = stop;
}

void TJournal::WriterLoop() {
    LowerCurrentThreadPriority();
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_pending.has_value() || m_quit; });
        if (!m_pending) break;
        const TJournalSnapshot snapshot = std::move(*m_pending);
        m_pending.reset();
        const quint64 seq = m_queued;
        const TWriteStop stop = std::exchange(m_stopNext, TWriteStop::Never);
        lock.unlock();
        WriteOne(snapshot, stop);
        lock.lock();
        m_written = seq;
        m_done.notify_all();
    }
}

void TJournal::WriteOne(const TJournalSnapshot& snapshot, TWriteStop stop) {
    const QByteArray bytes = FormatProtocolText(JournalRows(snapshot.Rows));
    QString error;
    bool ok = WriteFileDurably(JournalFile(), bytes, &error, stop);
    // The rows first: should the program die between the two, the results are the newer.
    if (ok && m_metaOnDisk != snapshot.Meta) {
        ok = WriteFileDurably(MetaFile(), FormatJournalMeta(snapshot.Meta), &error);
        if (ok) m_metaOnDisk = snapshot.Meta;
    }
    if (stop != TWriteStop::Never) return; // a test's stand-in for a killed process
    bool report = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        report = m_failing == ok;
        m_failing = !ok;
    }
    if (report) emit WriteFailed(ok ? QString() : error);
}
