#include "queue.h"

TQueueItem* TQueue::Items(int i) const
{
    if (i < 0 || i >= Count())
        return nullptr;
    return m_items[std::size_t(i)].get();
}

TQueueItem* TQueue::Add()
{
    m_items.emplace_back(new TQueueItem(this));
    return m_items.back().get();
}

void TQueue::Delete(int i)
{
    if (i < 0 || i >= Count())
        return;
    m_items.erase(m_items.begin() + i);
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
