#include "jobscheduler.h"

#include "queue.h"

#include <algorithm>

void TJobScheduler::Reset(const TQueue& queue, int slots)
{
    Clear();
    m_slots = std::max(1, slots);
    m_jobs.reserve(std::size_t(queue.Count()));
    for (int i = 0; i < queue.Count(); ++i)
        m_jobs.push_back(queue.Items(i)->Id());
}

void TJobScheduler::Clear()
{
    m_jobs.clear();
    m_next = 0;
    m_firstQueued = 0;
    m_running.clear();
}

std::optional<quint64> TJobScheduler::TakeNext()
{
    if (m_next >= m_jobs.size())
        return std::nullopt;
    return m_jobs[m_next++];
}

bool TJobScheduler::MoreAhead(const TQueue& queue) const
{
    m_firstQueued = std::max(m_firstQueued, m_next);
    while (m_firstQueued < m_jobs.size() && !queue.Find(m_jobs[m_firstQueued]))
        ++m_firstQueued;
    return m_firstQueued < m_jobs.size();
}

std::vector<const TQueueItem*> TJobScheduler::JobsAhead(const TQueue& queue) const
{
    std::vector<const TQueueItem*> jobs;
    jobs.reserve(m_jobs.size() - std::min(m_next, m_jobs.size()));
    for (std::size_t i = m_next; i < m_jobs.size(); ++i) {
        if (const TQueueItem* job = queue.Find(m_jobs[i]))
            jobs.push_back(job);
    }
    return jobs;
}
