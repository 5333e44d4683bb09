#pragma once

#include "outputnamer.h"
#include "programsettings.h"
#include "queue.h"

#include <QString>

#include <chrono>
#include <memory>
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
    QStringList notes;                     // what was changed to suit the target, and why
};

// What the run would write for each job, if it started now: the jobs are
// named in the given order by a namer that starts where `start` stands (a
// fresh one before a run, the run's own during it), with the run's own
// naming code. The plan works on copies: the queued jobs' Track and
// OutputFile stay untouched.
//
// A long queue can be planned in steps across turns of the event loop
// (Begin, Step until it returns true, Take). The steps know the jobs by
// their Ids and look each one up as they come to it, so a job that left the
// queue meanwhile is passed over, never touched.
class TOutputPlan final
{
public:
    std::vector<TPlannedOutput> Compute(const std::vector<const TQueueItem*>& jobs,
                                        const ProgramSettings& settings, int mode,
                                        TExistingOutput existing,
                                        const TOutputNamer& start = TOutputNamer());

    void Begin(const TQueue& queue, std::vector<quint64> ids, const ProgramSettings& settings,
               int mode, TExistingOutput existing, const TOutputNamer& start = TOutputNamer());
    // Plans jobs for about budget; true once every job is planned.
    bool Step(std::chrono::nanoseconds budget);
    bool InProgress() const { return m_pass != nullptr; }
    // The plan of the finished steps; ends the pass.
    std::vector<TPlannedOutput> Take();
    // Drops a pass under way.
    void Abandon() { m_pass.reset(); }

private:
    TPlannedOutput PlanOne(TOutputNamer& namer, const TQueueItem* job, int copy,
                           const ProgramSettings& settings, int mode, TExistingOutput existing);

    struct Pass
    {
        const TQueue* queue = nullptr;
        std::vector<quint64> ids;
        std::size_t next = 0;
        const ProgramSettings* settings = nullptr;
        int mode = 0;
        TExistingOutput existing = TExistingOutput::Ask;
        TOutputNamer namer;
        std::vector<TPlannedOutput> plan;
    };
    std::unique_ptr<Pass> m_pass;
    TQueue m_copies; // kept between calls, so a recompute allocates no jobs
};
