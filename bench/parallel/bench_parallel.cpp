// Real lame on eight WAV files of 60 s written here: the wall time of one
// run with "Parallel jobs" = the number of cores, of one run with a single
// job at a time, and the sum of the single jobs' times (from the second run)
// divided by the cores, all in one run of the benchmark and without pauses.
//
//   bench_parallel [files] [seconds] [rounds]

#include "batchrun.h"
#include "encoder.h"
#include "programsettings.h"
#include "queue.h"
#include "runview.h"
#include "testutil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

namespace {

// Keeps check marks and the time each job took, from its status text to its mark.
class TTimingView final : public IRunView
{
public:
    explicit TTimingView(TQueue& queue) : m_queue(queue) { m_clock.start(); }
    void SetStatusText(const QString& text) override
    {
        static const QString prefix = QStringLiteral("Обрабатывается: ");
        if (text.startsWith(prefix))
            m_started.insert(text.mid(prefix.size()), m_clock.nsecsElapsed());
    }
    bool IsLineChecked(int line) const override { return m_checked.value(m_queue.Items(line)->Id()); }
    void SetLineChecked(int line, bool on) override
    {
        const TQueueItem* job = m_queue.Items(line);
        m_checked.insert(job->Id(), on);
        if (on)
            jobSeconds << (m_clock.nsecsElapsed() - m_started.value(job->InputFile())) / 1e9;
    }
    void SetLineFailure(int, const QString& reason) override { failures += !reason.isEmpty(); }
    void SetLineSkipped(int, const QString&) override {}
    void DeleteProcessedLines() override {}
    void ShowError(const QString&) override { ++failures; }
    int CurrentMode() const override { return 0; }
    void SetProgress(int, int, int) override {}

    QList<double> jobSeconds;
    int failures = 0;

private:
    TQueue& m_queue;
    QElapsedTimer m_clock;
    QHash<QString, qint64> m_started;
    QHash<quint64, bool> m_checked;
};

struct Result
{
    double wall = 0; // seconds
    double jobs = 0; // the jobs' own times added up
    int failures = 0;
};

// One run over the sources.
Result Run(const QStringList& sources, const QString& out, int slots)
{
    TQueue queue;
    for (const QString& s : sources)
        queue.Add()->SetInputFile(s);
    ProgramSettings settings;
    settings.TargetDirectory = out;
    settings.DeleteFromQueue = false;
    settings.ParallelJobs = quint32(slots);
    settings.PauseBetweenJobs = 0;
    TTimingView view(queue);
    TBatchRun run(queue, settings, view);
    QEventLoop loop;
    QObject::connect(&run, &TBatchRun::Finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    QElapsedTimer clock;
    clock.start();
    run.Start();
    loop.exec();
    Result r;
    r.wall = clock.nsecsElapsed() / 1e9;
    for (double s : view.jobSeconds)
        r.jobs += s;
    r.failures = view.failures + int(sources.size() - view.jobSeconds.size());
    return r;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int files = argc > 1 ? atoi(argv[1]) : 8;
    const double seconds = argc > 2 ? atof(argv[2]) : 60.0;
    const int rounds = argc > 3 ? atoi(argv[3]) : 1;
    const int cores = QThread::idealThreadCount();
    if (!Encoder::Locate().errorName.isEmpty()) {
        std::fprintf(stderr, "lame is not installed\n");
        return 1;
    }

    QTemporaryDir dir;
    QStringList sources;
    for (int i = 0; i < files; ++i) {
        sources << dir.filePath(QStringLiteral("in/track%1.wav").arg(i));
        TestUtil::WriteWav(sources.last(), seconds);
    }

    double parallel = 1e300, sequential = 1e300, sum = 1e300;
    int failures = 0;
    for (int r = 0; r < rounds; ++r) {
        const Result one = Run(sources, dir.filePath(QStringLiteral("one/")), 1);
        const Result all = Run(sources, dir.filePath(QStringLiteral("all/")), cores);
        failures += one.failures + all.failures;
        std::printf("round %d: one at a time %.2f s (jobs %.2f s), %d at once %.2f s\n", r + 1,
                    one.wall, one.jobs, cores, all.wall);
        sequential = std::min(sequential, one.wall);
        sum = std::min(sum, one.jobs);
        parallel = std::min(parallel, all.wall);
    }

    const double ideal = sum / cores;
    std::printf("files:                          %d WAV of %.0f s, %d cores\n", files, seconds, cores);
    std::printf("one job at a time, no pause:    %.2f s\n", sequential);
    std::printf("sum of single jobs / cores:     %.2f s (sum %.2f s)\n", ideal, sum);
    std::printf("Parallel jobs = %d, no pause:    %.2f s\n", cores, parallel);
    std::printf("parallel / one at a time:       %.2f (target <= 0.6)\n", parallel / sequential);
    std::printf("parallel / (sum / cores):       %.2f (target <= 1.15)\n", parallel / ideal);
    std::printf("failed jobs:                    %d\n", failures);
    return failures == 0 ? 0 : 1;
}
