// Adding 2,000 tagged FLACs to the queue with "Source formats" on, from the
// call to the moment the last one's tags are in, and the longest turn of the
// window's event loop meanwhile (processor time of its thread). Beside it,
// the old way's cost: the same add without tags plus every file's tags read
// in the window's own thread, one after another, as TagLib did there.
//   bench_reader [files]

#include "benchsetup.h"
#include "mainwindow.h"
#include "queueadder.h"
#include "settingsstore.h"
#include "sourcereader.h"
#include "sourcetagfiller.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>

#include <cstdio>
#include <ctime>

namespace {

double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The longest turn of the loop in processor time: what the thread used
// between two of its waits (waiting itself uses none).
struct TTurns
{
    double last = -1, longest = 0;
    QMetaObject::Connection watch;
    void Watch()
    {
        last = ThreadCpuMs();
        watch = QObject::connect(QAbstractEventDispatcher::instance(),
                                 &QAbstractEventDispatcher::aboutToBlock, [this] {
                                     const double now = ThreadCpuMs();
                                     longest = qMax(longest, now - last);
                                     last = now;
                                 });
    }
    ~TTurns() { QObject::disconnect(watch); }
};

// Wall ms of adding files with or without source tags, until all is in.
double AddMs(const QString& home, const QStringList& files, bool tags, double* longestTurn,
             double* cpu = nullptr, bool warm = false)
{
    ProgramSettings s;
    s.TargetDirectory = home + QStringLiteral("/out/");
    s.AllSourceFormats = tags;
    SaveSettings(s, home + u'/', nullptr);
    TMainF window;
    if (warm) {
        // As when the user adds files a moment after the window opened.
        window.SourceReader()->Warm();
        QElapsedTimer wait;
        wait.start();
        while (wait.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    }
    TTurns turns;
    QElapsedTimer clock;
    clock.start();
    const double cpuStart = ThreadCpuMs();
    turns.Watch();
    window.AddSources(files);
    while (window.QueueAdder()->IsBusy() || window.SourceTagFiller()->IsBusy())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double ms = clock.nsecsElapsed() / 1e6;
    if (cpu)
        *cpu = ThreadCpuMs() - cpuStart;
    if (longestTurn)
        *longestTurn = turns.longest;
    if (window.Queue().Count() != files.size()
        || (tags && window.Queue().Items(files.size() - 1)->Title().isEmpty()))
        std::fprintf(stderr, "the queue is not as it should be: %d jobs, last title '%s'\n",
                     window.Queue().Count(),
                     window.Queue().Count() ? qPrintable(window.Queue().Items(window.Queue().Count() - 1)->Title()) : "");
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    Bench::UseHome(home.path());
    QApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 2000;

    const QString wav = home.filePath(QStringLiteral("a.wav"));
    const QString flac = home.filePath(QStringLiteral("a.flac"));
    QProcess tool;
    tool.start(QStringLiteral("ffmpeg"), {"-loglevel", "error", "-y", "-f", "lavfi", "-i",
                                          "sine=d=3", "-metadata", "title=Звезда",
                                          "-metadata", "artist=Кино", "-metadata",
                                          "date=1989", "-metadata", "track=3", flac});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg could not make the FLAC\n");
        return 1;
    }
    QStringList files, plainFiles;
    QDir().mkpath(home.filePath(QStringLiteral("music")));
    for (int i = 0; i < count; ++i) {
        files << home.filePath(QStringLiteral("music/%1.flac").arg(i, 4, 10, QChar(u'0')));
        QFile::copy(flac, files.last());
        // With "Source formats" off only WAV names are taken; nothing looks inside.
        plainFiles << home.filePath(QStringLiteral("music/%1.wav").arg(i, 4, 10, QChar(u'0')));
        QFile::copy(flac, plainFiles.last());
    }

    // The old way: the add itself, then TagLib in this thread for each file.
    const double plain = AddMs(home.path(), plainFiles, false, nullptr);
    QElapsedTimer clock;
    clock.start();
    double longestRead = 0;
    for (const QString& f : files) {
        const double before = ThreadCpuMs();
        const TagLib::FileRef ref(QFile::encodeName(f).constData(), false);
        if (ref.file())
            (void)ref.file()->properties();
        longestRead = qMax(longestRead, ThreadCpuMs() - before);
    }
    const double inThread = clock.nsecsElapsed() / 1e6;

    double longest = 0, cpu = 0, warmLongest = 0, warmCpu = 0;
    const double helpers = AddMs(home.path(), files, true, &longest, &cpu);
    const double warmed = AddMs(home.path(), files, true, &warmLongest, &warmCpu, true);
    std::printf("files: %d, cores: %d, reader helpers: up to %d\n", count,
                QThread::idealThreadCount(), QThread::idealThreadCount());
    std::printf("old way (add %.0f ms + tags in the window's thread %.0f ms): %.0f ms\n", plain,
                inThread, plain + inThread);
    std::printf("with the reader helpers: %.0f ms (window thread %.0f ms of CPU), longest event "
                "loop turn %.1f ms of CPU\n", helpers, cpu, longest);
    std::printf("with the helpers started beforehand: %.0f ms (window thread %.0f ms of CPU), "
                "longest turn %.1f ms of CPU\n", warmed, warmCpu, warmLongest);
    std::printf("old way's longest turn: at least %.1f ms (one file's tags alone)\n", longestRead);
    return 0;
}
