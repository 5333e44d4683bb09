// The run's own cost per job: a queue of no-op jobs through TBatchRun with a
// fake encoder that only writes its output file, against starting the same
// program as often in a plain QProcess loop. Peak RSS is read before and after
// each round, so growth with the number of jobs would show.
//
//   bench_run [jobs] [rounds] [parallel jobs]     (default 500 5 1)
//
// With more than one job at a time the run's wall time per job drops below
// the plain loop's (the fake encoders overlap); its own CPU per job, beside
// the loop's, is then the overhead that counts.

#include "batchrun.h"
#include "benchsetup.h"
#include "procstatus.h"
#include "programsettings.h"
#include "queue.h"
#include "runview.h"
#include "testutil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

#include <cstdio>

namespace {

// A window that shows nothing; it keeps check marks, like QueueLst does.
class TNullView final : public IRunView
{
public:
    explicit TNullView(TQueue& queue) : m_queue(queue) {}
    void SetStatusText(const QString&) override {}
    bool IsLineChecked(int line) const override { return m_checked.at(line); }
    void SetLineChecked(int line, bool on) override { m_checked[line] = on; }
    void SetLineFailure(int, const QString& reason) override { failures += !reason.isEmpty(); }
    void SetLineSkipped(int, const QString&) override {}
    void DeleteProcessedLines() override
    {
        for (int i = m_queue.Count() - 1; i >= 0; --i) {
            if (m_checked[i]) {
                m_queue.Delete(i);
                m_checked.erase(m_checked.begin() + i);
            }
        }
    }
    void ShowError(const QString&) override { ++failures; }
    int CurrentMode() const override { return 0; }
    void SetProgress(int, int, int) override {}
    void Reset() { m_checked.assign(m_queue.Count(), false); }

    int failures = 0;

private:
    TQueue& m_queue;
    std::vector<bool> m_checked;
};

// CPU time of this process alone (children excluded), in ms.
double SelfCpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3
           + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

long Switches()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_nvcsw + u.ru_nivcsw;
}

double PlainLoopMs(const QString& program, const QStringList& inputs, const QString& outDir)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    QEventLoop loop;
    int next = 0;
    auto startNext = [&] {
        if (next == inputs.size()) {
            loop.quit();
            return;
        }
        const QString& in = inputs[next++];
        process.start(program, {in, outDir + QFileInfo(in).completeBaseName() + QStringLiteral(".mp3")});
    };
    QObject::connect(&process, &QProcess::finished, &loop, startNext, Qt::QueuedConnection);
    QElapsedTimer clock;
    clock.start();
    startNext();
    loop.exec();
    return clock.nsecsElapsed() / 1e6;
}

double RunMs(TQueue& queue, TNullView& view, const ProgramSettings& settings,
             const QString& program, const QStringList& inputs)
{
    for (const QString& in : inputs)
        queue.Add()->SetInputFile(in);
    view.Reset();
    TBatchRun run(queue, settings, view);
    run.SetEncoderProgram(program);
    run.SetVerification(false); // the fake reads and writes placeholder bytes
    run.SetPauseStep(std::chrono::milliseconds(0));
    return Bench::RunToEnd(run) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int jobs = argc > 1 ? QByteArray(argv[1]).toInt() : 500;

    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("fake-lame"));
    TestUtil::WriteFile(program, "#!/bin/sh\nfor a; do out=$a; done\nprintf x > \"$out\"\n");
    QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner);
    QStringList inputs;
    for (int i = 0; i < jobs; ++i) {
        inputs << dir.filePath(QStringLiteral("src/job%1.wav").arg(i, 4, 10, QChar(u'0')));
        TestUtil::WriteFile(inputs.last(), "wav");
    }

    TQueue queue;
    TNullView view(queue);
    ProgramSettings settings;
    settings.TargetDirectory = dir.filePath(QStringLiteral("out/"));
    settings.FileNameFormat = QStringLiteral("%0");
    settings.DeleteFromQueue = true;
    const int slots = argc > 3 ? qMax(1, QByteArray(argv[3]).toInt()) : 1;
    settings.ParallelJobs = quint32(slots);
    settings.PauseBetweenJobs = 0;

    // Warm up the file system caches and the shell.
    PlainLoopMs(program, inputs.mid(0, 20), dir.filePath(QStringLiteral("plain/")));

    // The machine is shared: rounds alternate and the best of each kind counts.
    const int rounds = argc > 2 ? QByteArray(argv[2]).toInt() : 5;
    QTextStream out(stdout);
    const long hwmStart = ProcStatusKiB("VmHWM");
    double plain = 1e300, run = 1e300, plainCpu = 1e300, runCpu = 1e300;
    QList<long> hwm;
    for (int r = 0; r < rounds; ++r) {
        double cpu = SelfCpuMs();
        long sw = Switches();
        const double p = PlainLoopMs(program, inputs, dir.filePath(QStringLiteral("out/")));
        plainCpu = std::min(plainCpu, SelfCpuMs() - cpu);
        const long plainSwitches = Switches() - sw;
        cpu = SelfCpuMs();
        sw = Switches();
        const double b = RunMs(queue, view, settings, program, inputs);
        runCpu = std::min(runCpu, SelfCpuMs() - cpu);
        const long runSwitches = Switches() - sw;
        hwm << ProcStatusKiB("VmHWM");
        out << "round " << r + 1 << ": plain loop " << p << " ms, run " << b
            << " ms; context switches per job " << double(plainSwitches) / jobs << " / "
            << double(runSwitches) / jobs << '\n';
        plain = std::min(plain, p);
        run = std::min(run, b);
    }

    out << "jobs per round:            " << jobs << ", " << slots << " at a time\n"
        << "plain QProcess loop:       " << plain / jobs << " ms per start\n"
        << "run per job:               " << run / jobs << " ms\n"
        << "added by the run per job:  " << (run - plain) / jobs << " ms\n"
        << "ratio run / plain loop:    " << run / plain << '\n'
        << "own CPU per job, plain loop / run: " << plainCpu / jobs << " / " << runCpu / jobs
        << " ms (added " << (runCpu - plainCpu) / jobs << " ms)\n"
        << "peak RSS (kB) at start " << hwmStart << ", after each round:";
    for (long h : hwm)
        out << ' ' << h;
    out << "\nfailed jobs: " << view.failures << ", left in queue: " << queue.Count() << '\n';
    return view.failures == 0 && queue.Count() == 0 ? 0 : 1;
}
