#include "queue.h"

#include <algorithm>
#include <atomic>

TQueueItem* TQueue::Items(int i) const
{
    if (i < 0 || i >= Count())
        return nullptr;
    return m_items[std::size_t(i)].get();
}

TQueueItem* TQueue::Add()
{
    // Ids are unique across queues as well, so a job can never be mistaken
    // for one of another queue (tests run several).
    static std::atomic<quint64> lastId{0};
    TQueueItem* item = new TQueueItem(this, ++lastId);
    item->m_index = int(m_items.size());
    m_items.emplace_back(item);
    m_byId.emplace(item->Id(), item);
    return item;
}

void TQueue::Delete(int i)
{
    if (i < 0 || i >= Count())
        return;
    m_byId.erase(m_items[std::size_t(i)]->Id());
    m_items.erase(m_items.begin() + i);
    Renumber(std::size_t(i), m_items.size());
}

void TQueue::DeleteWhere(const std::vector<bool>& remove)
{
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (i < remove.size() && remove[i]) {
            m_byId.erase(m_items[i]->Id());
            m_items[i].reset();
            continue;
        }
        if (kept != i)
            m_items[kept] = std::move(m_items[i]);
        m_items[kept]->m_index = int(kept);
        ++kept;
    }
    m_items.resize(kept);
}

void TQueue::Renumber(std::size_t from, std::size_t to)
{
    for (std::size_t i = from; i < to; ++i)
        m_items[i]->m_index = int(i);
}

void TQueue::Clear()
{
    m_byId.clear();
    m_items.clear();
}

TQueueItem* TQueue::Find(quint64 id) const
{
    const auto it = m_byId.find(id);
    return it == m_byId.end() ? nullptr : it->second;
}

int TQueue::IndexOfId(quint64 id) const
{
    const TQueueItem* item = Find(id);
    return item ? item->m_index : -1;
}

void TQueue::Move(int from, int to)
{
    if (from < 0 || to < 0 || from >= Count() || to >= Count() || from == to)
        return;
    // Only the jobs between the two places shift, by one.
    const auto first = m_items.begin();
    if (from < to)
        std::rotate(first + from, first + from + 1, first + to + 1);
    else
        std::rotate(first + to, first + from, first + from + 1);
    Renumber(std::size_t(std::min(from, to)), std::size_t(std::max(from, to)) + 1);
}

int TQueue::IndexOf(const TQueueItem* item) const
{
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].get() == item)
            return int(i);
    }
    return -1;
}
