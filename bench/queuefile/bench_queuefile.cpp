// The queue file and the journal at 1,000 and 20,000 jobs: turning a queue
// into bytes and back, a whole save to the disk (with its flushes) and a
// read; then in the main window (offscreen) the GUI thread's part of one
// journal save (the snapshot of the queue and its lines) and a queue
// restored at start, with the longest turn of the event loop in each.
//
//   bench_queuefile [largest]     (default 20000)

#include "benchsetup.h"
#include "mainwindow.h"
#include "queueadder.h"
#include "queuefile.h"
#include "queuefileworker.h"
#include "queuekeeper.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace std::chrono_literals;

namespace {

double Ms(const QElapsedTimer& clock)
{
    return clock.nsecsElapsed() / 1e6;
}

// This thread's processor time in ms: on a shared machine a figure the
// other processes do not inflate.
double CpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct TTimes
{
    double wall = 0, cpu = 0;
};

// The medians of runs of f, in ms.
TTimes Median(int runs, const std::function<void()>& f)
{
    std::vector<double> wall, cpu;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        const double c = CpuMs();
        f();
        cpu.push_back(CpuMs() - c);
        wall.push_back(Ms(clock));
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

// n sources in folder, one byte each, with edited tags.
TQueueContent MakeQueue(const QString& folder, int n)
{
    QDir().mkpath(folder);
    TQueueContent c;
    for (int i = 0; i < n; ++i) {
        const QString path = folder + QStringLiteral("/Дорожка %1 - довольно длинное название песни.wav")
                                          .arg(i, 5, 10, QChar(u'0'));
        const int fd = ::open(QFile::encodeName(path).constData(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0) {
            [[maybe_unused]] const auto written = ::write(fd, "x", 1);
            ::close(fd);
        }
        TQueueItem* j = c.queue->Add();
        j->RestoreInputFile(path);
        j->SetTitle(QStringLiteral("Довольно длинное название песни %1").arg(i));
        j->SetArtist(QStringLiteral("Исполнитель"));
        j->SetAlbum(QStringLiteral("Альбом %1").arg(i / 12));
        j->SetYear(QStringLiteral("1999"));
        j->SetComment(QStringLiteral("комментарий"));
        j->SetOutputFile(QStringLiteral("/home/user/Музыка/Исполнитель/Альбом/%1.mp3").arg(i));
        c.lines.push_back({i % 3 == 0, i % 7 == 0 ? TLineMark::Failed : TLineMark::None,
                           i % 7 == 0 ? QStringLiteral("Кодировщик завершился с кодом 1") : QString(),
                           false});
    }
    return c;
}

// Turns the event loop until done(); the longest gap between two turns.
double SpinLongest(const std::function<bool()>& done)
{
    QElapsedTimer clock, total;
    clock.start();
    total.start();
    double longest = 0;
    qint64 last = 0;
    QTimer beat;
    beat.setInterval(0);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, (now - last) / 1e6);
        last = now;
    });
    beat.start();
    while (!done() && total.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    longest = std::max(longest, (clock.nsecsElapsed() - last) / 1e6);
    return longest;
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir home;
    Bench::UseHome(home.path());
    qputenv("XDG_STATE_HOME", home.filePath(QStringLiteral("state")).toUtf8());
    QApplication app(argc, argv);
    const int largest = argc > 1 ? qMax(1000, atoi(argv[1])) : 20000;

    std::printf("Queue file and journal (%s platform)\n", qPrintable(QGuiApplication::platformName()));
    for (const int n : {1000, largest}) {
        const TQueueContent queue = MakeQueue(home.filePath(QStringLiteral("music%1").arg(n)), n);
        QByteArray bytes;
        const TTimes write = Median(5, [&] { bytes = TQueueFile::Write(queue); });
        int count = 0;
        const TTimes read = Median(5, [&] { count = TQueueFile::Read(bytes).content.Count(); });
        const QString path = home.filePath(QStringLiteral("q%1.tessary-queue").arg(n));
        QString error;
        const TTimes save = Median(5, [&] { TQueueFileWorker::WriteFile(path, TQueueFile::Write(queue), &error); });
        const TTimes load = Median(5, [&] { count = TQueueFile::ReadFile(path).content.Count(); });
        std::printf("%6d jobs, %5.1f MiB (ms wall / processor): to bytes %6.1f / %6.1f, "
                    "from bytes %6.1f / %6.1f, save to disk %6.1f / %6.1f, "
                    "load from disk %6.1f / %6.1f (%d jobs)\n",
                    n, bytes.size() / 1048576.0, write.wall, write.cpu, read.wall, read.cpu,
                    save.wall, save.cpu, load.wall, load.cpu, count);
    }

    // The window's part: a queue of largest jobs, restored as a crash left it.
    const TQueueContent big = MakeQueue(home.filePath(QStringLiteral("music%1").arg(largest)), largest);
    const QString folder = home.filePath(QStringLiteral("state/tessary"));
    QDir().mkpath(folder);
    QString error;
    TQueueFileWorker::WriteFile(folder + QStringLiteral("/journal-bench.tessary-queue"),
                                TQueueFile::Write(big), &error);
    TMainF window;
    window.resize(1000, 700);
    window.show();
    TQueueKeeper& keeper = *window.QueueKeeper();
    keeper.AskRestore = [](int, int, QWidget*) { return TQueueKeeper::TAnswer::Restore; };
    QElapsedTimer clock;
    clock.start();
    bool opened = false;
    QObject::connect(&keeper, &TQueueKeeper::Opened, [&opened] { opened = true; });
    window.StartJournal();
    const double restoreTurn = SpinLongest([&] { return opened; });
    std::printf("restoring %d jobs at start: %7.1f ms, longest turn %6.1f ms\n", window.Queue().Count(),
                Ms(clock), restoreTurn);
    TQueueJournal& journal = keeper.Journal();
    SpinLongest([&] { return journal.IsIdle(); });

    std::vector<double> costs;
    double longest = 0;
    for (int i = 0; i < 7; ++i) {
        const int before = journal.Writes();
        journal.MarkChangedSoon();
        longest = std::max(longest, SpinLongest([&] { return journal.Writes() > before && journal.IsIdle(); }));
        costs.push_back(std::chrono::duration<double, std::milli>(journal.LastSaveCost()).count());
    }
    std::sort(costs.begin(), costs.end());
    std::printf("journal save with %d jobs: GUI thread %5.1f ms (median of 7, worst %5.1f), "
                "longest turn %6.1f ms\n",
                window.Queue().Count(), costs[3], costs.back(), longest);
    const TTimes snapshot = Median(7, [&] { keeper.Snapshot(); });
    std::printf("the snapshot alone: %5.1f ms wall, %5.1f ms processor (median of 7)\n",
                snapshot.wall, snapshot.cpu);
    window.close();
    return 0;
}
