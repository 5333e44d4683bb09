#pragma once

#include "outputplan.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>
#include <utility>

class TBatchRun;
class TQueueList;
struct ProgramSettings;

// Keeps the output column of the queue list in step with the plan. Every
// change marks the plan dirty; it is recomputed once, in the next turn of
// the event loop, however many changes came in meanwhile (a typed title
// changes every job's name at most once per turn, not once per keystroke
// per job). A long queue is planned a slice per turn, so the window stays
// responsive; changes that come in meanwhile are planned after it, except
// removed lines, which start it afresh. While a run is active the plan goes on from the run's own namer
// with the jobs it has still ahead, so it shows what the run will write.
class TOutputPreview final : public QObject
{
    Q_OBJECT
public:
    TOutputPreview(TQueue& queue, TQueueList& list, const ProgramSettings& settings,
                   std::function<int()> mode, QObject* parent = nullptr);

    // The run whose namer a plan during a run goes on from; its end marks
    // the plan dirty.
    void SetRun(const TBatchRun* run);

    // Something the plan depends on changed.
    void MarkDirty();
    // Marked, or a plan is still under way.
    bool IsDirty() const { return m_dirty || m_plan.InProgress(); }
    // While held (a long add is under way) changes are only marked; the
    // plan follows once, when the hold ends.
    void SetHeld(bool held);
    // Recomputes at once, whole (also when nothing is marked).
    void Recompute();

    // The plan of a run that would start now with the given choice for
    // existing outputs: the unchecked jobs, in queue order, from a fresh namer.
    std::vector<TPlannedOutput> FreshPlan(TExistingOutput existing);
    // The source and output of each job whose output exists already, in the
    // plan of a run that would start now (for the question before it).
    std::vector<std::pair<QString, QString>> ExistingOutputs();

    // How long each slice of a long plan may take (tests set 0: a few jobs
    // per turn).
    void SetSlice(std::chrono::nanoseconds slice) { m_slice = slice; }

    // How many times the plan was recomputed (for tests and the benchmark).
    int Recomputations() const { return m_recomputations; }

private:
    // During a run, a queue longer than this is planned at most once per interval.
    static constexpr int kSmallQueue = 500;
    static constexpr std::chrono::milliseconds kRunInterval{1000};

    // The jobs a run that started now would do, in queue order.
    std::vector<const TQueueItem*> UncheckedJobs() const;
    void RecomputeIfDirty();
    void LinesRemoved();
    // Plans the queue: at once, or a slice per turn from here on.
    void StartPass(bool whole);
    void Continue();
    void Finish();

    TQueue& m_queue;
    TQueueList& m_list;
    const ProgramSettings& m_settings;
    std::function<int()> m_mode;
    const TBatchRun* m_run = nullptr;
    TOutputPlan m_plan;
    TExistingOutput m_passExisting = TExistingOutput::Ask;
    // One step of a long plan: about this much per turn of the event loop.
    std::chrono::nanoseconds m_slice = std::chrono::milliseconds(20);
    bool m_passFresh = false; // a plan before a run, not one going on from it
    // The existing outputs of the last plan before a run, asked with Ask.
    std::optional<std::vector<std::pair<QString, QString>>> m_lastExisting;
    QElapsedTimer m_lastPass;
    QTimer m_later;
    bool m_dirty = false;
    bool m_held = false;
    int m_recomputations = 0;
};
