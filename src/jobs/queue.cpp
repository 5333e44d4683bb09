#include "queue.h"

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

void TQueue::Move(int from, int to)
{
    if (from < 0 || to < 0 || from >= Count() || to >= Count() || from == to)
        return;
    auto item = std::move(m_items[std::size_t(from)]);
    m_items.erase(m_items.begin() + from);
    m_items.insert(m_items.begin() + to, std::move(item));
}

int TQueue::IndexOf(const TQueueItem* item) const
{
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].get() == item)
            return int(i);
    }
    return -1;
}
