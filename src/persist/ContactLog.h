#pragma once
// The contact log: every contact edge, every run command and every correction of the
// protocol, one line each with its tick and the wall-clock time, so that after a protest the
// jury can see what the contacts did and what the operator did. Whoever logs only hands a
// small record to a queue; a thread of its own formats and appends the lines and rotates the
// file by size, so a contact never waits for a disk and a disk that fails never stops a run.
#include <QObject>
#include <QString>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

// Where a line comes from. The contacts first, in the order of the run's contact numbers.
enum class TLogSource : std::uint8_t {
    StartContact,
    Stop1Contact,
    Stop2Contact,
    Pad1Contact, // "Startmatte 1"
    Pad2Contact, // "Startmatte 2"
    Command,     // START, STOP1, F10 ... from a key or a button
    Correction,  // DIS, a cell edited, rows deleted, results cleared, a protocol loaded
    Session      // the program began logging; lines the log could not write
};

// What the run did with a contact edge.
enum class TContactOutcome : std::uint8_t {
    NoEdge,    // the line did not change to the level the contact acts on
    Start,     // taken as START
    Stop,      // taken as STOP of its lane; Ms holds the time
    LockedOut, // the start lock-out ("Sperre") still ran
    NotArmed,  // the contact's beam was not armed (a stop pad before the "Stopp-Sperre" ended)
    NoEffect   // an edge, but no command it could give (no run, lane already stopped ...)
};

struct TLogRecord {
    qint64 WallMs = 0; // ms since the epoch (UTC), shown in local time
    std::uint32_t Tick = 0;
    TLogSource Source = TLogSource::Session;
    // Contacts: the line's level after the change, and what the run made of the edge.
    bool LineOn = false;
    TContactOutcome Outcome = TContactOutcome::NoEdge;
    std::uint32_t Ms = 0; // the time a STOP took
    // Commands, corrections and session lines: what, and what came of it.
    QString What{}, Detail{};
};

// One line without its line end: date and time, tick, source, detail, outcome, separated by
// tabs. Tabs and line breaks inside a text become spaces, so a line is always one record.
QString FormatLogLine(const TLogRecord& record);
// A stopped time as the log shows it: seconds to the millisecond ("STOP 12,345 s").
QString LogStopText(std::uint32_t ms);

class TContactLog : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 DefaultMaxBytes = 1024 * 1024;
    static constexpr int DefaultKeep = 3;
    static constexpr const char* FileBaseName = "kontakte.log";
    // Logs into folder/kontakte.log (the folder is made when needed). A file that would grow
    // past maxBytes is renamed to ".1" first, ".1" to ".2" and so on; keep generations stay.
    explicit TContactLog(const QString& folder, qint64 maxBytes = DefaultMaxBytes,
                         int keep = DefaultKeep, QObject* parent = nullptr);
    // Writes what is still queued.
    ~TContactLog() override;

    QString FileName() const { return m_file; }

    // Cheap enough for a contact handler: the wall clock is read, the record moved into the
    // queue. Nothing is formatted here.
    void Append(TLogRecord record);
    void Contact(TLogSource source, std::uint32_t tick, bool lineOn, TContactOutcome outcome,
                 std::uint32_t ms = 0);
    void Note(TLogSource source, std::uint32_t tick, const QString& what,
              const QString& detail = QString());
    // Waits until everything appended so far is on its way to the disk; false when that took
    // longer than timeoutMs or the last write failed.
    bool Flush(int timeoutMs = 3000);

    // Records the queue holds at most while the disk does not take them; the rest are counted
    // and reported in the log once it can be written again.
    static constexpr std::size_t MaxQueued = 100000;

signals:
    // Once when writing starts to fail, with the reason; emitted on the writer thread.
    void WriteFailed(const QString& reason);

private:
    void WriterLoop();
    bool WriteLines(const QByteArray& bytes, QString* error);
    void Rotate();

    const QString m_folder, m_file;
    const qint64 m_maxBytes;
    const int m_keep;

    // Shared with the writer thread.
    std::mutex m_mutex;
    std::condition_variable m_wake, m_done;
    std::deque<TLogRecord> m_queue;
    quint64 m_queued = 0, m_written = 0, m_lost = 0;
    bool m_failing = false;
    bool m_quit = false;
    std::thread m_thread;
};
