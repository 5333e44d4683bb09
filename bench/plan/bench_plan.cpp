// The plan of outputs: recomputing it for 1,000 and for 20,000 jobs (the
// core alone, and the whole update of the queue's output column), and the
// cost of one keystroke in the title field with 1,000 jobs queued, from the
// key event to the recomputed column painted.
//
//   bench_plan [rounds]        (default 15)
//
// The jobs have 40 artists with 10 albums each and clashing titles, and are
// named into artist and album folders, some of whose files exist already.
// Figures are medians of the rounds, in wall time and in this process's CPU
// time (which moves less with the load of a shared machine); settings go to
// a throw-away folder.

#include "benchsetup.h"
#include "mainwindow.h"
#include "outputplan.h"
#include "outputpreview.h"
#include "queuelist.h"
#include "testutil.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double CpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Wall and CPU time of one round.
struct Round
{
    QElapsedTimer wall;
    double cpu0 = 0;
    Round() { wall.start(); cpu0 = CpuMs(); }
    void End(std::vector<double>& wallMs, std::vector<double>& cpuMs) const
    {
        wallMs.push_back(wall.nsecsElapsed() / 1e6);
        cpuMs.push_back(CpuMs() - cpu0);
    }
};

struct Figure
{
    double wall = 0;
    double cpu = 0;
};

Figure Medians(const std::vector<double>& wall, const std::vector<double>& cpu)
{
    return {Median(wall), Median(cpu)};
}

void Print(const QString& what, const Figure& f, int jobs = 0)
{
    if (jobs > 0)
        std::printf("%-32s%8.2f ms, CPU %8.2f ms  (%5.2f us per job)\n", qPrintable(what), f.wall,
                    f.cpu, f.cpu * 1000.0 / jobs);
    else
        std::printf("%-32s%8.2f ms, CPU %8.2f ms\n", qPrintable(what), f.wall, f.cpu);
}

void SetUp(ProgramSettings& s, const QString& out)
{
    s.TargetDirectory = out;
    s.CreateSubFolders = true;
    s.ArtistFolderFormat = QStringLiteral("%2");
    s.AlbumFolderFormat = QStringLiteral("%4 - %3");
    s.FileNameFormat = QStringLiteral("%8 - %1");
}

// Tags for job i: 40 artists, 10 albums each, titles that repeat.
void Tag(TQueueItem& job, int i)
{
    job.SetArtist(QStringLiteral("Исполнитель %1").arg(i % 40));
    job.SetAlbum(QStringLiteral("Альбом %1").arg((i / 40) % 10));
    job.SetYear(QStringLiteral("1999"));
    job.SetTitle(QStringLiteral("Песня %1").arg((i / 400) % 37));
}

// The core plan over n jobs: one recompute.
Figure CorePlan(int n, int rounds, const QString& work)
{
    ProgramSettings s;
    SetUp(s, work + QStringLiteral("/out"));
    TQueue queue;
    std::vector<const TQueueItem*> jobs;
    for (int i = 0; i < n; ++i) {
        TQueueItem* job = queue.Add();
        Tag(*job, i);
        jobs.push_back(job);
    }
    TOutputPlan plan;
    std::vector<double> wall, cpu;
    std::size_t check = 0;
    for (int r = 0; r < rounds; ++r) {
        const Round round;
        const std::vector<TPlannedOutput> result = plan.Compute(jobs, s, 0, s.ExistingOutput);
        round.End(wall, cpu);
        check += result.size();
    }
    if (check != std::size_t(n) * std::size_t(rounds))
        std::fprintf(stderr, "plan lost jobs\n");
    return Medians(wall, cpu);
}

// A main window with n jobs; returns it set up with the column shown.
std::unique_ptr<TMainF> Window(int n, const QString& work)
{
    auto window = std::make_unique<TMainF>();
    SetUp(window->Settings(), work + QStringLiteral("/out"));
    window->resize(1000, 700);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        std::fprintf(stderr, "the window was not shown\n");
    const QString in = work + QStringLiteral("/in/");
    for (int i = 0; i < n; ++i) {
        const QString path = in + QStringLiteral("job%1.wav").arg(i, 5, 10, QChar(u'0'));
        if (!QFileInfo::exists(path))
            TestUtil::WriteFile(path, "RIFF");
        window->AddToQueue(path);
        Tag(*window->Queue().Items(i), i);
    }
    window->OutputPreview()->Recompute();
    QApplication::processEvents();
    return window;
}

// The whole column update: plan, line entries, repaint.
Figure Column(TMainF& window, int rounds)
{
    auto* list = window.findChild<TQueueList*>(QStringLiteral("QueueLst"));
    std::vector<double> wall, cpu;
    for (int r = 0; r < rounds; ++r) {
        const Round round;
        window.OutputPreview()->Recompute();
        list->viewport()->repaint();
        round.End(wall, cpu);
    }
    return Medians(wall, cpu);
}

// One typed letter in the title of the first job, until the column shows it.
Figure Keystroke(TMainF& window, int rounds)
{
    auto* list = window.findChild<TQueueList*>(QStringLiteral("QueueLst"));
    auto* title = window.findChild<QLineEdit*>(QStringLiteral("TItleEd"));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    title->setFocus();
    std::vector<double> wall, cpu;
    TOutputPreview* preview = window.OutputPreview();
    for (int r = 0; r < rounds; ++r) {
        QApplication::processEvents();
        const Round round;
        QTest::sendKeyEvent(QTest::Click, title, Qt::Key_A, QStringLiteral("a"), Qt::NoModifier);
        while (preview->IsDirty())
            QApplication::processEvents();
        list->viewport()->repaint();
        round.End(wall, cpu);
    }
    const TLineOutput* first = list->LineOutput(0);
    if (!first || !first->text.endsWith(QStringLiteral("a.mp3")))
        std::fprintf(stderr, "the column did not follow the title\n");
    return Medians(wall, cpu);
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir home;
    Bench::UseHome(home.path());
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? qMax(3, atoi(argv[1])) : 15;
    const QString work = home.path() + QStringLiteral("/work");

    // Some outputs exist already, so the plan meets files on disk too.
    for (int i = 0; i < 400; i += 7) {
        TQueue q;
        TQueueItem* job = q.Add();
        Tag(*job, i);
        TestUtil::WriteFile(work + QStringLiteral("/out/%1/1999 - %2/01 - %3.mp3")
                                       .arg(job->Artist(), job->Album(), job->Title()),
                            "x");
    }

    std::printf("Plan of outputs (%d rounds, medians; %s platform)\n", rounds,
                qPrintable(QGuiApplication::platformName()));
    double perJob[2] = {0, 0};
    int k = 0;
    for (int n : {1000, 20000}) {
        const Figure core = CorePlan(n, n > 5000 ? qMax(3, rounds / 3) : rounds, work);
        perJob[k++] = core.cpu / n;
        Print(QStringLiteral("plan, %1 jobs:").arg(n), core, n);
    }
    std::printf("%-32s%8.2f\n", "CPU per job, 20,000 / 1,000:", perJob[1] / perJob[0]);

    for (int n : {1000, 20000}) {
        auto window = Window(n, work);
        Print(QStringLiteral("column update, %1 jobs:").arg(n),
              Column(*window, n > 5000 ? qMax(3, rounds / 3) : rounds), n);
        if (n == 1000)
            Print(QStringLiteral("title keystroke, 1000 jobs:"), Keystroke(*window, rounds));
    }
    return 0;
}
