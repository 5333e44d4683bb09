#pragma once

#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <memory>

class TFileNotify;
struct TWatch;
struct TWatchSet;

// The worker of a TFileNotify, over inotify. It holds one inotify instance
// per watched kind ("watch", opened in the fixed order file name, folder
// name, size, last write, attributes), waits on them at low priority and
// hands each change to its owner.
//
// Only the worker itself ever swaps or closes the set it waits on: Rebuild
// opens the new set on the calling thread (so the new watch, sub-tree
// included, is in place when it returns) and leaves it for the worker to take
// up at the top of its next turn. The worker never blocks on the owner's thread without also
// watching the stop flag, so the destructor can always end it promptly.
class TNotificationThread final : public QThread
{
    Q_OBJECT

public:
    // Opens the watches for the owner's Directory and Kinds and starts at once.
    explicit TNotificationThread(TFileNotify* owner);
    // Stops the worker (dropping a report that is being handed over), waits
    // for it to end and closes every watch.
    ~TNotificationThread() override;

    TFileNotify* Owner() const { return m_owner; }
    // Number of kinds watched by the most recently opened set, 0 to 5; 0 when
    // the folder cannot be watched or no kind is chosen.
    int Count() const;
    // Re-opens the watches for the owner's current Directory and Kinds.
    void Rebuild();

protected:
    void run() override;

private:
    enum class HandOver
    {
        None,
        Pending,
        Done,
        Failed
    };

    std::unique_ptr<TWatchSet> OpenHandles();
    static void CloseHandles(TWatchSet& set);
    void Wake();
    void TakeUpPendingSet();
    int WaitForChange();
    bool ReadEvents(TWatch& watch);
    bool WatchTree(TWatch& watch, const QByteArray& top, bool topWatched);
    void UnwatchTree(TWatch& watch, const QByteArray& top);
    bool ReportChange();
    void DeliverReport(quint64 ticket);

    TFileNotify* const m_owner;
    const int m_wakeFd;

    // Shared with the owner's thread, guarded by m_mutex.
    mutable QMutex m_mutex;
    QWaitCondition m_handedOver;
    std::unique_ptr<TWatchSet> m_pending;
    int m_count = 0;
    HandOver m_handOver = HandOver::None;
    quint64 m_ticket = 0;
    int m_firedKind = 0;
    std::atomic<bool> m_stop{false};

    // The worker's own.
    std::unique_ptr<TWatchSet> m_set;
};
