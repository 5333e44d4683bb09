// The plan of outputs: recomputing it for 1,000 and for 20,000 jobs (the
// core alone, and the whole update of the queue's output column), and the
// cost of one keystroke in the title field with 1,000 jobs queued, from the
// key event to the recomputed column painted.
//
//   bench_plan [rounds]        (default 15)
//
// The jobs have 40 artists with 10 albums each and clashing titles, and are
// named into artist and album folders, some of whose files exist already.
// Figures are medians of the rounds; settings go to a throw-away folder.

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
#include <vector>

namespace {

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
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

// The core plan over n jobs: ms for one recompute.
double CorePlanMs(int n, int rounds, const QString& work)
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
    std::vector<double> ms;
    std::size_t check = 0;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer t;
        t.start();
        const std::vector<TPlannedOutput> result = plan.Compute(jobs, s, 0, s.ExistingOutput);
        ms.push_back(t.nsecsElapsed() / 1e6);
        check += result.size();
    }
    if (check != std::size_t(n) * std::size_t(rounds))
        std::fprintf(stderr, "plan lost jobs\n");
    return Median(ms);
}

// A main window with n jobs; returns it set up with the column shown.
std::unique_ptr<TMainF> Window(int n, const QString& work)
{
    auto window = std::make_unique<TMainF>();
    SetUp(window->Settings(), work + QStringLiteral("/out"));
    window->resize(1000, 700);
    window->show();
    QTest::qWaitForWindowExposed(window.get());
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
double ColumnMs(TMainF& window, int rounds)
{
    auto* list = window.findChild<TQueueList*>(QStringLiteral("QueueLst"));
    std::vector<double> ms;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer t;
        t.start();
        window.OutputPreview()->Recompute();
        list->viewport()->repaint();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    return Median(ms);
}

// One typed letter in the title of the first job, until the column shows it.
double KeystrokeMs(TMainF& window, int rounds)
{
    auto* list = window.findChild<TQueueList*>(QStringLiteral("QueueLst"));
    auto* title = window.findChild<QLineEdit*>(QStringLiteral("TItleEd"));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    title->setFocus();
    std::vector<double> ms;
    TOutputPreview* preview = window.OutputPreview();
    for (int r = 0; r < rounds; ++r) {
        QApplication::processEvents();
        QElapsedTimer t;
        t.start();
        QTest::sendKeyEvent(QTest::Click, title, Qt::Key_A, QStringLiteral("a"), Qt::NoModifier);
        while (preview->IsDirty())
            QApplication::processEvents();
        list->viewport()->repaint();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    const TLineOutput* first = list->LineOutput(0);
    if (!first || !first->text.endsWith(QStringLiteral("a.mp3")))
        std::fprintf(stderr, "the column did not follow the title\n");
    return Median(ms);
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
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
        const double core = CorePlanMs(n, n > 5000 ? qMax(3, rounds / 3) : rounds, work);
        perJob[k++] = core * 1000.0 / n;
        std::printf("%-36s%8.2f ms  (%5.2f us per job)\n",
                    qPrintable(QStringLiteral("plan, %1 jobs:").arg(n)), core, core * 1000.0 / n);
    }
    std::printf("%-36s%8.2f\n", "per-job cost, 20,000 / 1,000:", perJob[1] / perJob[0]);

    for (int n : {1000, 20000}) {
        auto window = Window(n, work);
        const double column = ColumnMs(*window, n > 5000 ? qMax(3, rounds / 3) : rounds);
        std::printf("%-36s%8.2f ms  (%5.2f us per job)\n",
                    qPrintable(QStringLiteral("column update, %1 jobs:").arg(n)), column,
                    column * 1000.0 / n);
        if (n == 1000)
            std::printf("%-36s%8.2f ms\n", "title keystroke, 1000 jobs:",
                        KeystrokeMs(*window, rounds));
    }
    return 0;
}
