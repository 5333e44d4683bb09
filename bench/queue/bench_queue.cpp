// The queue at scale, in the main window (offscreen): one "&Добавить" of
// 1,000, 5,000 and 20,000 selected files until the last line and the
// output column are there; with 20,000 jobs queued, deleting them all as
// processed, deleting every other one, moving a line, clearing, the
// program's memory, and the first seconds of a run with four jobs at once.
// Beside each time, the longest single turn of the event loop in it: the
// longest the window could not react.
//
//   bench_queue [largest]     (default 20000)

#include "batchrun.h"
#include "benchsetup.h"
#include "foldertree.h"
#include "mainwindow.h"
#include "newfilelistbox.h"
#include "outputpreview.h"
#include "procstatus.h"
#include "queueadder.h"
#include "queuelist.h"
#include "testutil.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace {

// The longest gap between two turns of the event loop while it runs.
class TStallWatch final
{
public:
    TStallWatch()
    {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
    }
    void Start()
    {
        m_clock.start();
        m_last = 0;
        m_longest = 0;
        m_timer.start();
    }
    // Longest gap in ms, counting the time up to now.
    double Stop()
    {
        m_timer.stop();
        m_longest = std::max(m_longest, m_clock.nsecsElapsed() - m_last);
        return m_longest / 1e6;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

// Runs the event loop until done() or the time is up.
bool Spin(const std::function<bool()>& done, int timeoutMs = 60000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

struct Measured
{
    double ms = 0;
    double longestTurn = 0;
};

// f starts the operation; done tells when it has finished, column included.
Measured Measure(TMainF& window, const std::function<void()>& f,
                 const std::function<bool()>& done = nullptr)
{
    QCoreApplication::processEvents();
    TStallWatch watch;
    watch.Start();
    QElapsedTimer clock;
    clock.start();
    f();
    Spin([&] {
        return (!done || done()) && !window.QueueAdder()->IsBusy() && !window.OutputPreview()->IsDirty();
    });
    Measured m;
    m.ms = clock.nsecsElapsed() / 1e6;
    m.longestTurn = watch.Stop();
    return m;
}

void Print(const char* what, const Measured& m, int jobs = 0)
{
    if (jobs > 0)
        std::printf("%-40s%9.1f ms (%6.2f us per job), longest turn %6.1f ms\n", what, m.ms,
                    m.ms * 1000.0 / jobs, m.longestTurn);
    else
        std::printf("%-40s%9.1f ms, longest turn %6.1f ms\n", what, m.ms, m.longestTurn);
}

QString MakeFolder(const QString& base, int n)
{
    const QString folder = base + QStringLiteral("/f%1").arg(n);
    QDir().mkpath(folder);
    for (int i = 0; i < n; ++i) {
        const QString path = folder + QStringLiteral("/Track %1 - A rather long title of a song.wav")
                                          .arg(i, 5, 10, QChar(u'0'));
        // One byte: the run refuses an empty source before its encoder starts.
        const int fd = ::open(QFile::encodeName(path).constData(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0) {
            [[maybe_unused]] const auto written = ::write(fd, "x", 1);
            ::close(fd);
        }
    }
    return folder;
}

// Adds every file of folder with one "&Добавить".
Measured AddFolder(TMainF& window, const QString& folder, int n)
{
    auto* tree = window.findChild<TFolderTree*>(QStringLiteral("shDirs"));
    auto* files = window.findChild<TNewFileListBox*>(QStringLiteral("FileList"));
    tree->MoveTo(folder);
    Q_EMIT tree->clicked(tree->currentIndex());
    Spin([&] { return files->Lines().size() == n; });
    files->selectAll();
    QAction* add = window.findChild<QAction*>(QStringLiteral("acAdd"));
    return Measure(window, [&] { add->trigger(); }, [&] { return window.Queue().Count() == n; });
}

void CheckLines(TQueueList* list, bool (*which)(int))
{
    for (int i = 0; i < list->count(); ++i)
        list->SetLineChecked(i, which(i));
    Spin([] { return true; });
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir home;
    Bench::UseHome(home.path());
    QApplication app(argc, argv);
    const int largest = argc > 1 ? qMax(1000, atoi(argv[1])) : 20000;
    const QList<int> sizes{1000, 5000, largest};
    QList<QString> folders;
    for (int n : sizes)
        folders << MakeFolder(home.path() + QStringLiteral("/music"), n);

    TMainF window;
    window.Settings().TargetDirectory = home.path() + QStringLiteral("/out/");
    window.Settings().DeleteFromQueue = false;
    window.resize(1000, 700);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::fprintf(stderr, "the window was not shown\n");
    auto* list = window.findChild<TQueueList*>(QStringLiteral("QueueLst"));
    QAction* clear = window.findChild<QAction*>(QStringLiteral("acQClear"));
    QAction* delDone = window.findChild<QAction*>(QStringLiteral("acDelCompleted"));

    std::printf("Queue at scale (%s platform)\n", qPrintable(QGuiApplication::platformName()));
    const long idle = ProcStatusKiB("VmRSS");
    double perJob[3] = {0, 0, 0};
    for (int k = 0; k < sizes.size(); ++k) {
        clear->trigger();
        Spin([] { return true; });
        const Measured m = AddFolder(window, folders[k], sizes[k]);
        perJob[k] = m.ms / sizes[k];
        Print(qPrintable(QStringLiteral("adding %1 files:").arg(sizes[k])), m, sizes[k]);
    }
    std::printf("%-40s%9.2f\n", "time per job, largest / 1,000:", perJob[2] / perJob[0]);
    window.repaint();
    Spin([] { return true; });
    std::printf("%-40s%9ld KiB (idle window %ld KiB)\n",
                qPrintable(QStringLiteral("resident, %1 jobs queued:").arg(largest)),
                ProcStatusKiB("VmRSS"), idle);

    // Move the middle line down once, then back.
    list->setCurrentRow(largest / 2);
    list->item(largest / 2)->setSelected(true);
    Print("moving a line, once:", Measure(window, [&] { list->MoveCurrent(false); }));

    CheckLines(list, [](int) { return true; });
    Print(qPrintable(QStringLiteral("deleting %1 processed lines:").arg(largest)),
          Measure(window, [&] { delDone->trigger(); }), largest);

    AddFolder(window, folders.last(), largest);
    CheckLines(list, [](int i) { return i % 2 == 0; });
    Print(qPrintable(QStringLiteral("deleting every other of %1:").arg(largest)),
          Measure(window, [&] { delDone->trigger(); }), largest / 2);

    AddFolder(window, folders.last(), largest);
    Print(qPrintable(QStringLiteral("clearing %1 jobs:").arg(largest)),
          Measure(window, [&] { clear->trigger(); }), largest);

    // A run with four encoders over the whole queue: the first two seconds.
    AddFolder(window, folders.last(), largest);
    const QString encoder = home.filePath(QStringLiteral("fake-lame"));
    TestUtil::WriteFile(encoder, "#!/bin/sh\nfor a; do out=$a; done\nprintf x > \"$out\"\n");
    QFile::setPermissions(encoder, QFile::ReadOwner | QFile::ExeOwner);
    TBatchRun* run = window.BatchRun();
    run->SetEncoderProgram(encoder);
    run->SetVerification(false); // the fake reads and writes placeholder bytes
    window.Settings().ParallelJobs = 4;
    QAction* go = window.findChild<QAction*>(QStringLiteral("acGO"));
    QAction* cancel = window.findChild<QAction*>(QStringLiteral("acCancel"));
    TStallWatch watch;
    watch.Start();
    QElapsedTimer clock;
    clock.start();
    go->trigger();
    Spin([&] { return clock.elapsed() >= 2000; });
    int done = 0;
    for (int i = 0; i < list->count(); ++i)
        done += list->IsLineChecked(i);
    const double started = watch.Stop();
    cancel->trigger();
    cancel->trigger();
    Spin([&] { return !run->IsRunning(); });
    std::printf("%-40s%9d jobs done in 2 s, longest turn %6.1f ms\n",
                qPrintable(QStringLiteral("run, 4 at once, %1 queued:").arg(largest)), done, started);
    std::printf("%-40s%9ld KiB\n", "peak resident:", ProcStatusKiB("VmHWM"));
    return 0;
}
