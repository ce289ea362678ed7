#include "persist/ContactLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QList>

#include <algorithm>
#include <iterator>
#include <utility>

namespace {
struct TSourceText {
    const char* name;
    const char* line; // the modem line a contact is wired to
};
// Indexed by TLogSource.
constexpr TSourceText Sources[] = {{"Kontakt Start", "CTS"},   {"Kontakt Stopp 1", "DSR"},
                                   {"Kontakt Stopp 2", "DCD"}, {"Startmatte 1", "CTS"},
                                   {"Startmatte 2", "DSR"},    {"Befehl", ""},
                                   {"Korrektur", ""},          {"Sitzung", ""}};

bool IsContact(TLogSource s) {
    return s <= TLogSource::Pad2Contact;
}

QString OutcomeText(const TLogRecord& r) {
    switch (r.Outcome) {
    case TContactOutcome::NoEdge:
        return QStringLiteral("keine Flanke");
    case TContactOutcome::Start:
        return QStringLiteral("START");
    case TContactOutcome::Stop:
        return LogStopText(r.Ms);
    case TContactOutcome::LockedOut:
        return QStringLiteral("ignoriert: Sperre");
    case TContactOutcome::NotArmed:
        return QStringLiteral("ignoriert: nicht scharf");
    case TContactOutcome::NoEffect:
        break;
    }
    return QStringLiteral("ohne Wirkung");
}

// One record, one line: whatever the operator typed into a cell.
QString OneLine(QString text) {
    for (QChar& c : text)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return text;
}
} // namespace

QString LogStopText(std::uint32_t ms) {
    // Exact to the millisecond: the protocol's hundredths are these, truncated.
    return QStringLiteral("STOP %1,%2 s").arg(ms / 1000).arg(ms % 1000, 3, 10, QChar('0'));
}

QString FormatLogLine(const TLogRecord& r) {
    const auto source =
        size_t(r.Source) < std::size(Sources) ? size_t(r.Source) : size_t(TLogSource::Session);
    QStringList fields{QDateTime::fromMSecsSinceEpoch(r.WallMs).toString(
                           QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")),
                       QStringLiteral("tick %1").arg(r.Tick),
                       QString::fromUtf8(Sources[source].name)};
    if (IsContact(r.Source)) {
        fields << QString::fromUtf8(Sources[source].line) +
                      (r.LineOn ? QStringLiteral(" an") : QStringLiteral(" aus"))
               << OutcomeText(r);
    } else {
        fields << OneLine(r.What) << OneLine(r.Detail);
    }
    return fields.join(QLatin1Char('\t'));
}

TContactLog::TContactLog(const QString& folder, qint64 maxBytes, int keep, QObject* parent)
    : QObject(parent), m_folder(folder),
      m_file(QDir(folder).filePath(QString::fromLatin1(FileBaseName))), m_maxBytes(maxBytes),
      m_keep(std::max(0, keep)) {
    m_thread = std::thread([this] { WriterLoop(); });
}

TContactLog::~TContactLog() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_thread.join(); // writes what is queued first
}

void TContactLog::Append(TLogRecord record) {
    if (record.WallMs == 0) record.WallMs = QDateTime::currentMSecsSinceEpoch();
    bool wake;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_queue.size() >= MaxQueued) {
            ++m_lost;
            return;
        }
        wake = m_queue.empty();
        m_queue.push_back(std::move(record));
        ++m_queued;
    }
    // A writer already woken takes this record with the others.
    if (wake) m_wake.notify_one();
}

void TContactLog::Contact(TLogSource source, std::uint32_t tick, bool lineOn,
                          TContactOutcome outcome, std::uint32_t ms) {
    TLogRecord r;
    r.Tick = tick;
    r.Source = source;
    r.LineOn = lineOn;
    r.Outcome = outcome;
    r.Ms = ms;
    Append(std::move(r));
}

void TContactLog::Note(TLogSource source, std::uint32_t tick, const QString& what,
                       const QString& detail) {
    TLogRecord r;
    r.Tick = tick;
    r.Source = source;
    r.What = what;
    r.Detail = detail;
    Append(std::move(r));
}

bool TContactLog::Flush(int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    const quint64 target = m_queued;
    const bool done = m_done.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                      [&] { return m_written >= target; });
    return done && !m_failing;
}

void TContactLog::WriterLoop() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return !m_queue.empty() || m_quit; });
        if (m_queue.empty()) break;
        std::deque<TLogRecord> batch;
        batch.swap(m_queue);
        const quint64 seq = m_queued;
        const quint64 lost = std::exchange(m_lost, 0);
        lock.unlock();

        QByteArray bytes;
        if (lost > 0) {
            TLogRecord gap;
            gap.WallMs = QDateTime::currentMSecsSinceEpoch();
            gap.Tick = batch.front().Tick;
            gap.What = QStringLiteral("%1 Einträge nicht geschrieben").arg(lost);
            bytes += FormatLogLine(gap).toUtf8() + '\n';
        }
        for (const TLogRecord& r : batch)
            bytes += FormatLogLine(r).toUtf8() + '\n';
        QString error;
        const bool ok = WriteLines(bytes, &error);

        lock.lock();
        if (!ok) m_lost += lost + batch.size();
        const bool report = !ok && !m_failing;
        m_failing = !ok;
        m_written = seq;
        m_done.notify_all();
        if (report) {
            lock.unlock();
            emit WriteFailed(error);
            lock.lock();
        }
    }
}

bool TContactLog::WriteLines(const QByteArray& bytes, QString* error) {
    QFile file(m_file);
    const auto fail = [&] {
        *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(m_file), file.errorString());
        return false;
    };
    QDir().mkpath(m_folder); // a folder that cannot be made fails the open below, with a reason
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return fail();
    qint64 size = file.size();
    qsizetype from = 0;
    while (from < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', from);
        end = end < 0 ? bytes.size() : end + 1;
        // The line goes whole into the new file: a generation never ends half-way.
        if (size > 0 && size + (end - from) > m_maxBytes) {
            file.close();
            Rotate();
            if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return fail();
            size = 0;
        }
        if (file.write(bytes.constData() + from, end - from) != end - from) return fail();
        size += end - from;
        from = end;
    }
    // Handed to the system before the next contact: a viewer opened now sees every line.
    return file.flush() || fail();
}

void TContactLog::Rotate() {
    const auto generation = [this](int i) { return m_file + QStringLiteral(".%1").arg(i); };
    if (m_keep == 0) {
        QFile::remove(m_file);
        return;
    }
    QFile::remove(generation(m_keep));
    for (int i = m_keep - 1; i >= 1; --i)
        QFile::rename(generation(i), generation(i + 1));
    QFile::rename(m_file, generation(1));
}
