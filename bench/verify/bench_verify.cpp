// The cost of verifying a job's output: a WAV of 60 s through the real
// lame, encoding and then decoding it back, one job at a time; the check
// of each output (done on a worker while the job waits for it) is timed on
// its own and set against the job's wall time.
//
//   bench_verify [seconds] [rounds]     (default 60 5)

#include "batchrun.h"
#include "benchsetup.h"
#include "encoder.h"
#include "outputcheck.h"
#include "programsettings.h"
#include "queue.h"
#include "runview.h"
#include "sourcekind.h"
#include "testutil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// A window that shows nothing and keeps no marks; it counts failures.
class TQuietView final : public IRunView
{
public:
    void SetStatusText(const QString&) override {}
    bool IsLineChecked(int) const override { return false; }
    void SetLineChecked(int, bool) override {}
    void SetLineFailure(int, const QString& reason) override
    {
        if (!reason.isEmpty()) {
            ++failures;
            std::fprintf(stderr, "job failed: %s\n", qPrintable(reason));
        }
    }
    void SetLineSkipped(int, const QString&) override {}
    void DeleteProcessedLines() override {}
    void ShowError(const QString&) override { ++failures; }
    int CurrentMode() const override { return mode; }
    void SetProgress(int, int, int) override {}

    int mode = 0;
    int failures = 0;
};

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// One job of the given mode from source into out; its wall time in ms.
double Job(const QString& source, const QString& out, int mode, int* failures)
{
    TQueue queue;
    queue.Add()->SetInputFile(source);
    ProgramSettings settings;
    settings.TargetDirectory = out;
    settings.FileNameFormat = QStringLiteral("%0");
    settings.DeleteFromQueue = false;
    settings.ExistingOutput = TExistingOutput::Overwrite;
    TQuietView view;
    view.mode = mode;
    TBatchRun run(queue, settings, view);
    const double ms = Bench::RunToEnd(run) / 1e6;
    *failures += view.failures;
    return ms;
}

double CheckMs(const TOutputCheck::Request& request, int* failures)
{
    QElapsedTimer clock;
    clock.start();
    const QString reason = TOutputCheck::Run(request);
    const double ms = clock.nsecsElapsed() / 1e6;
    if (!reason.isEmpty()) {
        std::fprintf(stderr, "check failed: %s\n", qPrintable(reason));
        ++*failures;
    }
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    if (!Encoder::Locate().errorName.isEmpty()) {
        std::fprintf(stderr, "lame is not installed\n");
        return 1;
    }
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("in/music.wav"));
    TestUtil::WriteWav(wav, seconds);
    const QString mp3 = dir.filePath(QStringLiteral("mp3/music.mp3"));
    const QString back = dir.filePath(QStringLiteral("wav/music.wav"));

    std::vector<double> encodeJob, encodeCheck, decodeJob, decodeCheck;
    int failures = 0;
    for (int r = 0; r < rounds; ++r) {
        encodeJob.push_back(Job(wav, dir.filePath(QStringLiteral("mp3/")), 0, &failures));
        TOutputCheck::Request encode;
        encode.output = mp3;
        const TSourceKind kind = TSourceKind::OfFile(wav);
        encode.expected = TAudioLength{kind.frames, kind.sampleRate};
        encodeCheck.push_back(CheckMs(encode, &failures));

        decodeJob.push_back(Job(mp3, dir.filePath(QStringLiteral("wav/")), 1, &failures));
        TOutputCheck::Request decode;
        decode.mode = 1;
        decode.output = back;
        decode.source = mp3;
        decodeCheck.push_back(CheckMs(decode, &failures));
        std::printf("round %d: encoding %.0f ms, its check %.2f ms; decoding %.0f ms, its check %.2f ms\n",
                    r + 1, encodeJob.back(), encodeCheck.back(), decodeJob.back(), decodeCheck.back());
    }
    double load[3] = {0, 0, 0};
    getloadavg(load, 3);
    const double e = Median(encodeCheck) / Median(encodeJob) * 100;
    const double d = Median(decodeCheck) / Median(decodeJob) * 100;
    std::printf("source: WAV of %.0f s, %d rounds, load %.2f %.2f %.2f\n", seconds, rounds,
                load[0], load[1], load[2]);
    std::printf("encoding: job %.0f ms, check %.2f ms = %.2f %% (target <= 3 %%)\n",
                Median(encodeJob), Median(encodeCheck), e);
    std::printf("decoding: job %.0f ms, check %.2f ms = %.2f %% (target <= 3 %%)\n",
                Median(decodeJob), Median(decodeCheck), d);
    std::printf("failed jobs or checks: %d\n", failures);
    return failures == 0 && e <= 3 && d <= 3 ? 0 : 1;
}
