#pragma once

#include "queuefile.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class THeldFile;
class TQueueFileWorker;

// The journal of one window's queue: a queue file under
// $XDG_STATE_HOME/tessary/ (default ~/.local/state/tessary/), replaced whole
// a short while after the queue changes, so that a crash, a kill or a power
// cut loses no queued job. Each window keeps its own, journal-<id>.tessary-queue,
// beside the lock file journal-<id>.lock that it holds (flock) while it
// runs: a journal whose lock nobody holds was left by a program that died.
// A normal close removes both; a close that keeps the queue leaves it as
// kept-<id>.tessary-queue, which the next start restores without asking.
//
// Changes are coalesced: an edit is written once the queue has been quiet
// for QuietDelay (and at most MaxDelay after the first change not yet
// written), a job that starts or ends in the next turn of the event loop.
// The snapshot is taken on the calling thread and costs little (the job
// texts are shared, not copied); turning it into bytes and writing happen
// on a worker, one write at a time, and changes that come in meanwhile are
// written after it.
class TQueueJournal final : public QObject
{
    Q_OBJECT
public:
    using Snapshot = std::function<TQueueContent()>;

    static constexpr std::chrono::milliseconds QuietDelay{1000};
    static constexpr std::chrono::milliseconds MaxDelay{5000};

    explicit TQueueJournal(Snapshot snapshot, QObject* parent = nullptr);
    // Without Close() (the program is ending abnormally): waits for the
    // write under way and leaves the journal for the next start.
    ~TQueueJournal() override;

    // $XDG_STATE_HOME/tessary, or ~/.local/state/tessary when that is unset
    // or not absolute.
    static QString Folder();

    // Changes are written from now on; before, they are not even noted.
    void Start();
    bool IsStarted() const { return m_started; }

    void MarkChanged();
    void MarkChangedSoon();

    // How the journal ends with its window.
    enum class TEnd {
        Remove, // a normal close: the queue goes with the window
        Keep,   // kept on purpose: the next start restores it without asking
        Leave,  // the session ends under the program: offered at the next start
    };
    // Waits for the write under way, then removes the journal, or writes the
    // queue as it is now one last time and keeps it or leaves it as a crash
    // would. An empty queue is never kept. Nothing is written afterwards.
    void Close(TEnd end);

    // A journal that another run of the program left.
    struct TLeftover
    {
        QString path;
        bool kept = false; // kept on purpose at a close; else a crash left it
    };
    // Finds the journals nobody holds and takes their locks, so that a
    // window starting at the same moment leaves them alone. Oldest first.
    std::vector<TLeftover> ClaimLeftovers();
    // What becomes of a claimed leftover: removed now; removed once this
    // journal has been written with its jobs (restored; so a crash in
    // between loses nothing); left, unlocked, for the next start; or moved
    // aside under a name no start looks at (damaged), the new path returned.
    void RemoveLeftover(const QString& path);
    void RemoveLeftoverAfterNextWrite(const QString& path);
    void ReleaseLeftover(const QString& path);
    QString SetLeftoverAside(const QString& path);

    QString Path() const { return m_path; } // empty until the first write
    int Writes() const { return m_writes; }  // writes that reached the disk
    bool IsIdle() const; // nothing waiting to be written, no write under way
    TQueueFileWorker& Worker() { return *m_worker; }
    // The GUI thread's part of the last save: the snapshot and handing it over.
    std::chrono::nanoseconds LastSaveCost() const { return m_lastCost; }

    // Tests: shorter delays.
    void SetDelays(std::chrono::milliseconds quiet, std::chrono::milliseconds max)
    {
        m_quiet = quiet;
        m_max = max;
    }

Q_SIGNALS:
    // After each write that reached the disk.
    void Written();
    void WriteFailed(const QString& error);

private:
    bool EnsureFiles(QString* error);
    void Save();
    void OnWritten(bool ok, const QString& error);
    static QString BaseOf(const QString& journal);

    Snapshot m_snapshot;
    TQueueFileWorker* m_worker;
    std::unique_ptr<THeldFile> m_lock;
    QString m_path, m_lockPath;
    std::map<QString, std::unique_ptr<THeldFile>> m_claimed; // leftover -> its lock
    QStringList m_removeAfterWrite;     // leftovers restored into this queue
    QStringList m_removeAfterThisWrite; // ... that the write under way holds
    QTimer m_timer;
    QElapsedTimer m_firstChange;
    std::chrono::milliseconds m_quiet = QuietDelay;
    std::chrono::milliseconds m_max = MaxDelay;
    std::chrono::nanoseconds m_lastCost{0};
    bool m_started = false;
    bool m_closed = false;
    bool m_dirty = false;
    bool m_writing = false;
    bool m_saveWaiting = false; // a save came due while a write was under way
    int m_writes = 0;
};
