// Real lame on eight WAV files of 60 s written here: the wall time of
// tessary --batch with one job per core against GNU parallel running lame
// itself with the same options on the same files (parallel -j <cores>), in
// alternating rounds of one benchmark run, process start and output checks
// included. Also the batch mode's resident memory during such a run and its
// start time (tessary --plan of one file, and tessary-batch --help).
//
//   bench_batch [files] [seconds] [rounds]     (default 8 60 3)

#include "testutil.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

QString Binary(const char* name)
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../../src/ui/")
           + QString::fromLatin1(name);
}

long RssKiB(qint64 pid, const char* field)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

struct Timed
{
    double seconds = 0;
    long peakKiB = -1; // the highest VmRSS seen while it ran
    int status = -1;
};

Timed Time(const QString& program, const QStringList& args, bool watchMemory)
{
    QProcess p;
    p.setProgram(program);
    p.setArguments(args);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    p.start();
    p.waitForStarted();
    Timed t;
    // A benchmark of its own: blocking here holds up nothing.
    while (!p.waitForFinished(watchMemory ? 50 : 1000)) {
        if (watchMemory)
            t.peakKiB = std::max(t.peakKiB, RssKiB(p.processId(), "VmRSS"));
    }
    t.seconds = clock.nsecsElapsed() / 1e9;
    t.status = p.exitCode();
    return t;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int files = argc > 1 ? atoi(argv[1]) : 8;
    const double seconds = argc > 2 ? atof(argv[2]) : 60.0;
    const int rounds = argc > 3 ? atoi(argv[3]) : 3;
    const int cores = QThread::idealThreadCount();
    const QString parallel = QStandardPaths::findExecutable(QStringLiteral("parallel"));
    if (parallel.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("lame")).isEmpty()) {
        std::printf("needs lame and GNU parallel\n");
        return 0;
    }
    QTemporaryDir dir;
    qputenv("HOME", dir.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/config")).toUtf8());
    qunsetenv("DISPLAY");
    qunsetenv("QT_QPA_PLATFORM");
    QStringList sources;
    for (int i = 0; i < files; ++i) {
        const QString path = dir.filePath(QStringLiteral("in/%1.wav").arg(i));
        if (!TestUtil::WriteWav(path, seconds))
            return 1;
        sources << path;
    }
    const QString tessary = Binary("tessary");
    const QString batchOut = dir.filePath(QStringLiteral("batch/"));
    const QString lameOut = dir.filePath(QStringLiteral("lame/"));
    QDir().mkpath(lameOut);
    // Tessary's default job: "-q 5 -b 128", no tags.
    QStringList lameArgs{QStringLiteral("-j"), QString::number(cores), QStringLiteral("lame"),
                         QStringLiteral("--quiet"), QStringLiteral("-q"), QStringLiteral("5"),
                         QStringLiteral("-b"), QStringLiteral("128"), QStringLiteral("{}"),
                         lameOut + QStringLiteral("{/.}.mp3"), QStringLiteral(":::")};
    lameArgs += sources;
    QStringList batchArgs{QStringLiteral("--batch"), QStringLiteral("--jobs"), QString::number(cores),
                          QStringLiteral("--existing"), QStringLiteral("overwrite"),
                          QStringLiteral("--target"), batchOut};
    batchArgs += sources;

    std::vector<double> ratios, batchTimes, lameTimes;
    long peak = -1;
    for (int r = 0; r < rounds; ++r) {
        // Alternating which goes first, so a change of the load hits both.
        Timed b, l;
        if (r % 2 == 0) {
            b = Time(tessary, batchArgs, true);
            l = Time(parallel, lameArgs, false);
        } else {
            l = Time(parallel, lameArgs, false);
            b = Time(tessary, batchArgs, true);
        }
        if (b.status != 0 || l.status != 0) {
            std::printf("round %d failed: batch %d, parallel %d\n", r + 1, b.status, l.status);
            return 1;
        }
        peak = std::max(peak, b.peakKiB);
        batchTimes.push_back(b.seconds);
        lameTimes.push_back(l.seconds);
        ratios.push_back(b.seconds / l.seconds);
        std::printf("round %d: tessary --batch %.2f s, parallel lame %.2f s, ratio %.3f\n", r + 1,
                    b.seconds, l.seconds, ratios.back());
        std::fflush(stdout);
    }
    std::vector<double> starts, helps;
    for (int i = 0; i < 5; ++i) {
        starts.push_back(Time(tessary, {QStringLiteral("--plan"), sources.first()}, false).seconds);
        helps.push_back(Time(Binary("tessary-batch"), {QStringLiteral("--help")}, false).seconds);
    }
    std::printf("files:                         %d WAV of %.0f s, %d cores\n", files, seconds, cores);
    std::printf("tessary --batch, best/median:  %.2f / %.2f s\n",
                *std::min_element(batchTimes.begin(), batchTimes.end()), Median(batchTimes));
    std::printf("parallel lame, best/median:    %.2f / %.2f s\n",
                *std::min_element(lameTimes.begin(), lameTimes.end()), Median(lameTimes));
    std::printf("batch / lame: best of each     %.3f (target <= 1.05)\n",
                *std::min_element(batchTimes.begin(), batchTimes.end())
                    / *std::min_element(lameTimes.begin(), lameTimes.end()));
    std::printf("batch / lame: median of rounds %.3f (target <= 1.05)\n", Median(ratios));
    std::printf("batch mode resident memory:    %ld KiB at most (VmRSS, sampled)\n", peak);
    std::printf("start, tessary --plan 1 file:  %.0f ms (median of 5)\n", Median(starts) * 1000);
    std::printf("start, tessary-batch --help:   %.0f ms (median of 5)\n", Median(helps) * 1000);
    return 0;
}
