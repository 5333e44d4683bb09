#pragma once

#include "queueitem.h"

#include <memory>
#include <unordered_map>
#include <vector>

// The ordered list of jobs; it owns them. Job i is line i of the queue list.
// Each job knows its own position, so finding a job's line by its Id costs
// nothing however long the queue is.
class TQueue final
{
public:
    TQueue() = default;
    TQueue(const TQueue&) = delete;
    TQueue& operator=(const TQueue&) = delete;

    int Count() const { return int(m_items.size()); }
    TQueueItem* Items(int i) const; // nullptr when i is out of range
    TQueueItem* Add();
    void Delete(int i); // out of range does nothing
    // Deletes every job i with remove[i] set, in one pass; the rest keep their order.
    void DeleteWhere(const std::vector<bool>& remove);
    void Clear();
    // Moves the job at from to position to (both must be in range).
    void Move(int from, int to);
    // Compares addresses only, so a pointer to a deleted job is safe to ask about.
    int IndexOf(const TQueueItem* item) const;
    // The queued job with this Id, or nullptr once it has left the queue.
    TQueueItem* Find(quint64 id) const;
    // The position of the job with this Id, -1 once it has left the queue.
    int IndexOfId(quint64 id) const;

private:
    void Renumber(std::size_t from, std::size_t to);

    std::vector<std::unique_ptr<TQueueItem>> m_items;
    std::unordered_map<quint64, TQueueItem*> m_byId;
};
