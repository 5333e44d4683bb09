#include "outputplan.h"

std::vector<TPlannedOutput> TOutputPlan::Compute(const std::vector<const TQueueItem*>& jobs,
                                                 const ProgramSettings& settings, int mode,
                                                 TExistingOutput existing,
                                                 const TOutputNamer& start)
{
    while (m_copies.Count() < int(jobs.size()))
        m_copies.Add();

    TOutputNamer namer = start;
    namer.RememberMissingFolders();
    std::vector<TPlannedOutput> plan;
    plan.reserve(jobs.size());
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        TQueueItem* copy = m_copies.Items(int(i));
        copy->Assign(jobs[i]);
        const TOutputNamer::Assignment a = namer.Assign(*copy, settings, mode, existing, jobs[i]);
        TPlannedOutput p;
        p.job = jobs[i];
        p.path = a.path;
        p.wanted = a.wanted;
        p.clashWith = a.clashWith;
        p.track = copy->Track();
        p.existed = a.existed;
        p.skip = a.skip;
        p.replace = a.replace;
        plan.push_back(std::move(p));
    }
    return plan;
}
