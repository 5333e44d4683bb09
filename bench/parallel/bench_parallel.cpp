// Real lame on eight WAV files of 60 s written here: the wall time of one
// run with "Parallel jobs" = the number of cores, of one run with a single
// job at a time, and the sum of the single jobs' times (from that run)
// divided by the cores, all in one run of the benchmark and without pauses.
// The machine is shared: rounds alternate the two kinds. The best of each
// kind is printed, and so is the median of each round's own ratios: the two
// runs of a round met the same load, so their ratio moves less with it.
//
//   bench_parallel [files] [seconds] [rounds]     (default 8 60 5)

#include "batchrun.h"
#include "benchsetup.h"
#include "encoder.h"
#include "programsettings.h"
#include "queue.h"
#include "runview.h"
#include "testutil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

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

// 16-bit stereo at 44.1 kHz, a chord with some noise: lame works on it
// about as hard as on music, not as on a pure tone.
bool WriteMusic(const QString& path, double seconds, quint32 seed)
{
    const int rate = 44100;
    const int frames = int(seconds * rate);
    QByteArray d;
    d.reserve(44 + frames * 4);
    const auto u32 = [&d](quint32 v) { char b[4]; qToLittleEndian(v, b); d.append(b, 4); };
    const auto u16 = [&d](quint16 v) { char b[2]; qToLittleEndian(v, b); d.append(b, 2); };
    d.append("RIFF");
    u32(36 + quint32(frames) * 4);
    d.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(2);
    u32(rate);
    u32(rate * 4);
    u16(4);
    u16(16);
    d.append("data");
    u32(quint32(frames) * 4);
    quint32 noise = seed;
    for (int i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        const double chord = std::sin(2 * M_PI * 220 * t) + 0.6 * std::sin(2 * M_PI * 277.2 * t)
                             + 0.4 * std::sin(2 * M_PI * 329.6 * t * (1 + 0.001 * std::sin(t)));
        for (int c = 0; c < 2; ++c) {
            noise = noise * 1664525u + 1013904223u;
            const double n = (double(noise >> 8) / double(1 << 24) - 0.5) * 0.3;
            u16(quint16(qint16(6000 * chord + 6000 * n)));
        }
    }
    return TestUtil::WriteFile(path, d);
}

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
    Result r;
    r.wall = Bench::RunToEnd(run) / 1e9;
    for (double s : view.jobSeconds)
        r.jobs += s;
    r.failures = view.failures + int(sources.size() - view.jobSeconds.size());
    return r;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int files = argc > 1 ? atoi(argv[1]) : 8;
    const double seconds = argc > 2 ? atof(argv[2]) : 60.0;
    const int rounds = argc > 3 ? atoi(argv[3]) : 5;
    const int cores = QThread::idealThreadCount();
    if (!Encoder::Locate().errorName.isEmpty()) {
        std::fprintf(stderr, "lame is not installed\n");
        return 1;
    }

    QTemporaryDir dir;
    QStringList sources;
    for (int i = 0; i < files; ++i) {
        sources << dir.filePath(QStringLiteral("in/track%1.wav").arg(i));
        WriteMusic(sources.last(), seconds, quint32(i + 1));
    }

    double parallel = 1e300, sequential = 1e300, sum = 1e300;
    std::vector<double> toSequential, toIdeal; // each round's ratios
    int failures = 0;
    for (int r = 0; r < rounds; ++r) {
        const Result one = Run(sources, dir.filePath(QStringLiteral("one/")), 1);
        const Result all = Run(sources, dir.filePath(QStringLiteral("all/")), cores);
        failures += one.failures + all.failures;
        toSequential.push_back(all.wall / one.wall);
        toIdeal.push_back(all.wall / (one.jobs / cores));
        std::printf("round %d: one at a time %.2f s (jobs %.2f s), %d at once %.2f s;"
                    " ratios %.2f, %.2f\n",
                    r + 1, one.wall, one.jobs, cores, all.wall, toSequential.back(),
                    toIdeal.back());
        sequential = std::min(sequential, one.wall);
        sum = std::min(sum, one.jobs);
        parallel = std::min(parallel, all.wall);
    }

    const double ideal = sum / cores;
    std::printf("files:                          %d WAV of %.0f s, %d cores\n", files, seconds, cores);
    std::printf("one job at a time, no pause:    %.2f s\n", sequential);
    std::printf("sum of single jobs / cores:     %.2f s (sum %.2f s)\n", ideal, sum);
    std::printf("Parallel jobs = %d, no pause:    %.2f s\n", cores, parallel);
    std::printf("best of each kind:\n");
    std::printf("  parallel / one at a time:     %.2f (target <= 0.6)\n", parallel / sequential);
    std::printf("  parallel / (sum / cores):     %.2f (target <= 1.15)\n", parallel / ideal);
    std::printf("median of the rounds' own ratios:\n");
    std::printf("  parallel / one at a time:     %.2f (target <= 0.6)\n", Median(toSequential));
    std::printf("  parallel / (sum / cores):     %.2f (target <= 1.15)\n", Median(toIdeal));
    std::printf("failed jobs:                    %d\n", failures);
    return failures == 0 ? 0 : 1;
}
