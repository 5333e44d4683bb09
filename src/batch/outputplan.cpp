#include "outputplan.h"

#include <QElapsedTimer>

TPlannedOutput TOutputPlan::PlanOne(TOutputNamer& namer, const TQueueItem* job, int copy,
                                    const ProgramSettings& settings, int mode,
                                    TExistingOutput existing)
{
    while (m_copies.Count() <= copy)
        m_copies.Add();
    TQueueItem* c = m_copies.Items(copy);
    c->Assign(job);
    const TOutputNamer::Assignment a = namer.Assign(*c, settings, mode, existing, job);
    TPlannedOutput p;
    p.job = job;
    p.path = a.path;
    p.wanted = a.wanted;
    p.clashWith = a.clashWith;
    p.track = c->Track();
    p.existed = a.existed;
    p.skip = a.skip;
    p.replace = a.replace;
    p.notes = a.notes;
    return p;
}

std::vector<TPlannedOutput> TOutputPlan::Compute(const std::vector<const TQueueItem*>& jobs,
                                                 const ProgramSettings& settings, int mode,
                                                 TExistingOutput existing,
                                                 const TOutputNamer& start)
{
    TOutputNamer namer = start;
    namer.RememberMissingFolders();
    std::vector<TPlannedOutput> plan;
    plan.reserve(jobs.size());
    for (std::size_t i = 0; i < jobs.size(); ++i)
        plan.push_back(PlanOne(namer, jobs[i], int(i), settings, mode, existing));
    return plan;
}

void TOutputPlan::Begin(const TQueue& queue, std::vector<quint64> ids,
                        const ProgramSettings& settings, int mode, TExistingOutput existing,
                        const TOutputNamer& start)
{
    m_pass = std::make_unique<Pass>();
    m_pass->queue = &queue;
    m_pass->ids = std::move(ids);
    m_pass->settings = &settings;
    m_pass->mode = mode;
    m_pass->existing = existing;
    m_pass->namer = start;
    m_pass->namer.RememberMissingFolders();
    m_pass->plan.reserve(m_pass->ids.size());
}

bool TOutputPlan::Step(std::chrono::nanoseconds budget)
{
    if (!m_pass)
        return true;
    Pass& p = *m_pass;
    QElapsedTimer clock;
    clock.start();
    while (p.next < p.ids.size()) {
        if (const TQueueItem* job = p.queue->Find(p.ids[p.next])) {
            p.plan.push_back(PlanOne(p.namer, job, int(p.plan.size()), *p.settings, p.mode,
                                     p.existing));
        }
        ++p.next;
        // The clock is read every few jobs: a job costs a few microseconds.
        if (p.next % 32 == 0 && clock.nsecsElapsed() >= budget.count())
            break;
    }
    return p.next >= p.ids.size();
}

std::vector<TPlannedOutput> TOutputPlan::Take()
{
    std::vector<TPlannedOutput> plan;
    if (m_pass)
        plan = std::move(m_pass->plan);
    m_pass.reset();
    return plan;
}
