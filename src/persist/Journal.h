#pragma once
// The journal: a copy of the protocol in the data folder, rewritten shortly after every change
// of its content, so that a crash, a killed process or a power cut costs at most the last
// moment of a competition. The protocol is taken as a snapshot on the GUI thread (cheap: the
// rows are implicitly shared) and formatted and written on a thread of its own, so nothing on
// the contact path ever waits for a disk.
#include "core/Columns.h"
#include "persist/DurableFile.h"
#include "persist/ProtocolText.h"

#include <QDateTime>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <array>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

// What a competition needs besides its rows to give the same lists and places again.
struct TJournalMeta {
    QString Title;
    int Vid = 0; // 0..3, 3 the finals bracket
    int CountZabegov = 2;
    int KlassCol = 0;
    int Ranking = 0;       // 0 "Summe", 1 "Bestzeit"
    int BracketSize = 16;  // 4, 8 or 16
    QStringList Bracket{}; // the finals bracket's lines, none when there is no bracket
    // The stopped milliseconds behind the recorded runs (a journal from before has none, and
    // its runs then simply have no thousandths).
    QVector<TExactRun> Exact{};
    // The heat on the tracks: track-1 and track-2 entries (numbered as the rows, -2 the
    // "Qualifikation" dummy, -1 nobody) and the run counter; none in a journal from before.
    std::optional<std::array<int, 3>> Heat{};
    // The foot pads' reactions of recorded runs, numbered as Exact (negative: a false start).
    QVector<TExactRun> Reaction{};
    bool operator==(const TJournalMeta&) const = default;
};

struct TJournalSnapshot {
    TProtocolRows Rows; // as the protocol holds them; rows may be shorter than the columns
    TJournalMeta Meta;
};

// A protocol holds data when a row after the titles has any text apart from the computed
// columns (result, place, entry number) and apart from the "Qualifikation" dummy row (start
// number "0" and nothing else).
bool JournalHasData(const TProtocolRows& rows);
// Rows in load order (by the entry number of the last column, when every data row has a
// distinct one), padded to colCount cells.
TProtocolRows JournalRowsInLoadOrder(const TProtocolRows& rows, int colCount = ProtocolColCount);
// What the journal writes: the rows in load order, without the "Qualifikation" dummy row.
TProtocolRows JournalRows(const TProtocolRows& rows, int colCount = ProtocolColCount);
QByteArray FormatJournalMeta(const TJournalMeta& meta);
TJournalMeta ParseJournalMeta(const QByteArray& bytes); // unknown or bad values keep defaults

class TJournal : public QObject {
    Q_OBJECT
public:
    // Takes the folder for this session (a second program running at the same time gets a
    // folder of its own beside it) and reads what the last session there left behind.
    explicit TJournal(const QString& folder, QObject* parent = nullptr);
    // Writes what is still pending and marks the session as ended cleanly.
    ~TJournal() override;

    // The per-user data folder's journal folder.
    static QString DefaultFolder();

    bool IsOpen() const { return m_lock != nullptr; }
    QString Folder() const { return m_folder; }
    QString JournalFile() const;
    QString MetaFile() const;
    QString RunningMarker() const;

    // --- what the last session left ---------------------------------------------------------
    bool LastEndUnclean() const { return m_unclean; }
    const TProtocolRows& LastRows() const { return m_lastRows; }
    const TJournalMeta& LastMeta() const { return m_lastMeta; }
    QDateTime LastWritten() const { return m_lastWritten; }
    // The operator declined to restore it: it is kept under a dated name (returned) that no
    // rotation ever removes.
    QString KeepLastUnrestored();
    // A protocol with unsaved results that a load is about to replace: kept the same way, so
    // a wrong answer to the question can still be undone. Returns the file, "" if none.
    QString KeepReplaced(const TJournalSnapshot& snapshot);

    // --- this session -------------------------------------------------------------------------
    // Moves the last session's journal into the rotation and starts journaling.
    void Begin();
    void SetSource(std::function<TJournalSnapshot()> source) { m_source = std::move(source); }
    // The protocol's content changed: a snapshot is taken and handed to the writer at most
    // DebounceMs later. Costs the caller nothing but arming a timer.
    void Changed();
    // What the debounce timer does: takes the snapshot (if anything changed) and hands it to
    // the writer, without waiting for the disk.
    void TakeSnapshot();
    // Hands a snapshot to the writer now (if anything changed) and waits until it is written.
    bool Flush(int timeoutMs = 10000);
    int DebounceMs() const { return m_debounce.interval(); }
    void SetDebounceMs(int ms) { m_debounce.setInterval(ms); }
    quint64 WritesDone() const;

    // Test seams: the next write stops where a killed process would have stopped it; the
    // journal is left as a killed process leaves it (nothing pending written, no clean end).
    void StopNextWrite(TWriteStop stop);
    void AbandonAsIfKilled() { m_abandoned = true; }

    // How many earlier sessions' journals are kept, and how many bytes they may take together.
    static constexpr int KeepRotated = 3;
    static constexpr qint64 RotatedMaxBytes = 4 * 1024 * 1024;
    static constexpr int KeepUnrestored = 5;

signals:
    // The journal could not be written (reason), or can be written again (empty reason).
    void WriteFailed(const QString& reason);

private:
    void WriterLoop();
    void WriteOne(const TJournalSnapshot& snapshot, TWriteStop stop);
    void Rotate();
    QString KeptName(const QString& prefix, const QDateTime& when, const QString& title) const;
    void PruneKept(const QString& prefix);
    void ReadLast();

    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    bool m_unclean = false;
    bool m_begun = false;
    bool m_dirty = false;
    bool m_abandoned = false;
    TProtocolRows m_lastRows;
    TJournalMeta m_lastMeta;
    QDateTime m_lastWritten;
    std::function<TJournalSnapshot()> m_source;
    QTimer m_debounce;

    // Shared with the writer thread.
    mutable std::mutex m_mutex;
    std::condition_variable m_wake, m_done;
    std::optional<TJournalSnapshot> m_pending;
    TWriteStop m_stopNext = TWriteStop::Never;
    quint64 m_queued = 0, m_written = 0;
    bool m_quit = false;
    bool m_failing = false;
    std::optional<TJournalMeta> m_metaOnDisk;
    std::thread m_thread;
};
