#pragma once

#include <QtGlobal>

#include <cstddef>
#include <optional>
#include <unordered_set>
#include <vector>

class TQueue;
class TQueueItem;

// Which job of a run comes next and whether a slot is free for it. The
// run's jobs are the queue's as it stood at the start, held by Id in queue
// order: a job deleted since is skipped, one moved keeps its turn, and none
// is ever mistaken for another, whatever became of the queue meanwhile.
class TJobScheduler final
{
public:
    void Reset(const TQueue& queue, int slots);
    void Clear();

    int Slots() const { return m_slots; }
    bool Sequential() const { return m_slots == 1; }
    bool HasFreeSlot() const { return int(m_running.size()) < m_slots; }

    // The next job of the run not taken yet (still queued or not: the
    // caller looks), or nullopt when every one has been taken.
    std::optional<quint64> TakeNext();
    // Whether a job not taken yet is still in the queue.
    bool MoreAhead(const TQueue& queue) const;
    // The jobs not taken yet that are still queued, in run order.
    std::vector<const TQueueItem*> JobsAhead(const TQueue& queue) const;

    void Started(quint64 id) { m_running.insert(id); }
    void Ended(quint64 id) { m_running.erase(id); }
    bool IsRunning(quint64 id) const { return m_running.count(id) > 0; }
    int Running() const { return int(m_running.size()); }

private:
    std::vector<quint64> m_jobs;
    std::size_t m_next = 0;
    // Jobs before this one, from m_next on, have left the queue for good
    // (Ids are never reused), so a look ahead need not pass them again.
    mutable std::size_t m_firstQueued = 0;
    int m_slots = 1;
    std::unordered_set<quint64> m_running;
};
