#pragma once

#include "outputnamer.h"
#include "programsettings.h"
#include "queue.h"

#include <QString>

#include <vector>

// The output one job of the plan would get.
struct TPlannedOutput
{
    const TQueueItem* job = nullptr;       // the queued job (never changed by the plan)
    QString path;                          // the final output path
    QString wanted;                        // the path before numbering
    const TQueueItem* clashWith = nullptr; // the earlier job that wanted the same path
    quint8 track = 0;                      // the track number the job would carry
    bool existed = false;                  // a file is already at path's place (see the namer)
    bool skip = false;
    bool replace = false;
};

// What the run would write for each job, if it started now: the jobs are
// named in the given order by a namer that starts where `start` stands (a
// fresh one before a run, the run's own during it), with the run's own
// naming code. The plan works on copies: the queued jobs' Track and
// OutputFile stay untouched.
class TOutputPlan final
{
public:
    std::vector<TPlannedOutput> Compute(const std::vector<const TQueueItem*>& jobs,
                                        const ProgramSettings& settings, int mode,
                                        TExistingOutput existing,
                                        const TOutputNamer& start = TOutputNamer());

private:
    TQueue m_copies; // kept between calls, so a recompute allocates no jobs
};
