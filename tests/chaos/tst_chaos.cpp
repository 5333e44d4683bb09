#include "batchrun.h"
#include "chaosencoder.h"
#include "programsettings.h"
#include "queue.h"
#include "recordingview.h"
#include "testutil.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <memory>

using namespace std::chrono_literals;
using Chaos::Behaviour;

// 300 jobs through an encoder that misbehaves at random, with the user
// cancelling at random, outputs that exist already and an output folder
// that breaks half way; after every run, what may never happen is checked
// on disk and in the queue. The seed is printed when a row fails; set
// TESSARY_CHAOS_SEED to try another (or to replay one).
class TstChaos final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void run_data();
    void run();
};

namespace {

constexpr int kJobs = 300;
constexpr int kArtists = 30; // ten jobs each, in queue order
constexpr int kRounds = 3;

QString ArtistOf(int k) { return QStringLiteral("A%1").arg(k * kArtists / kJobs); }

// This thread's processor time and its time waiting for a processor so
// far, in ms, from /proc/thread-self/schedstat.
struct TThreadTimes
{
    qint64 cpu = 0;
    qint64 waited = 0;
};
TThreadTimes ThreadTimes()
{
    const QList<QByteArray> fields =
        TestUtil::ReadFile(QStringLiteral("/proc/thread-self/schedstat")).split(' ');
    if (fields.size() < 2)
        return {};
    return {fields[0].toLongLong() / 1000000, fields[1].toLongLong() / 1000000};
}

QStringList Temporaries(const QString& folder)
{
    QStringList found;
    QDirIterator it(folder, {QStringLiteral(".tessary-*")}, QDir::Files | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    return found;
}

} // namespace

void TstChaos::run_data()
{
    QTest::addColumn<int>("slots");
    QTest::addColumn<int>("choice"); // TExistingOutput
    QTest::addColumn<quint32>("seed");
    const quint32 base = Chaos::BaseSeed();
    quint32 row = 0;
    for (const int slots : {1, 4}) {
        for (const auto& [name, choice] :
             {std::pair{"ask", TExistingOutput::Ask}, std::pair{"overwrite", TExistingOutput::Overwrite},
              std::pair{"skip", TExistingOutput::Skip}, std::pair{"keep both", TExistingOutput::KeepBoth}}) {
            QTest::addRow("%d slots, %s", slots, name) << slots << int(choice) << base * 16 + row++;
        }
    }
}

void TstChaos::run()
{
    QFETCH(int, slots);
    QFETCH(int, choice);
    QFETCH(quint32, seed);
    const Chaos::TSeedReport report{seed};
    QRandomGenerator rng(seed);
    const auto setting = TExistingOutput(choice);

    const Chaos::TWorkFolder work;
    QVERIFY(work.IsValid());
    const QTemporaryDir& dir = work.dir;
    const QString& out = work.out;
    const QString& pidsFile = work.pidsFile;
    const QString& startsFile = work.startsFile;
    const QString& planFile = work.planFile;
    const QString& encoder = work.encoder;

    TQueue queue;
    TRecordingView view(queue);
    ProgramSettings settings;
    settings.TargetDirectory = out + u'/';
    settings.CreateSubFolders = true;
    settings.ArtistFolderFormat = QStringLiteral("%2");
    settings.AlbumFolderFormat = QStringLiteral("%3");
    settings.FileNameFormat = QStringLiteral("%0");
    settings.DeleteAfterProcess = true;
    settings.DeleteFromQueue = false; // so the checked lines can be looked at
    settings.ExistingOutput = setting;
    settings.ParallelJobs = quint32(slots);
    settings.PauseBetweenJobs = quint32(rng.bounded(2)); // 0, or a countdown to cancel in

    QList<TQueueItem*> jobs;
    QHash<const TQueueItem*, int> indexOf;
    auto sourceOf = [&](int k) { return dir.filePath(QStringLiteral("src/job%1.wav").arg(k)); };
    auto finalOf = [&](int k) {
        return QStringLiteral("%1/%2/Album/job%3.mp3").arg(out, ArtistOf(k)).arg(k);
    };
    for (int k = 0; k < kJobs; ++k) {
        QVERIFY(TestUtil::WriteFile(sourceOf(k), "wav"));
        TQueueItem* job = queue.Add();
        job->SetInputFile(sourceOf(k));
        job->SetArtist(ArtistOf(k));
        job->SetAlbum(QStringLiteral("Album"));
        jobs << job;
        indexOf.insert(job, k);
    }
    // Outputs from an earlier run, in every other artist's folder; the
    // others do not exist yet, so one of them can break.
    QHash<QString, QByteArray> existing;
    for (int k = 0; k < kJobs; ++k) {
        if (k / (kJobs / kArtists) % 2 == 0 && rng.bounded(4) == 0) {
            const QByteArray old = "old output " + QByteArray::number(k);
            QVERIFY(TestUtil::WriteFile(finalOf(k), old));
            existing.insert(finalOf(k), old);
        }
    }
    // After some starts in one of the first runs, the first artist folder not
    // made yet becomes unusable: a file takes its place. (The tests run as
    // root, for whom a read-only folder takes writes all the same, so a
    // folder that cannot be made stands in for it.)
    const int breakRound = int(rng.bounded(3));
    const int breakAt = int(rng.bounded(40));
    QString breakable;
    int roundsBroken = 0;
    int halts = 0;

    TBatchRun run(queue, settings, view);
    run.SetEncoderProgram(encoder);
    run.SetPauseStep(1ms);
    run.SetStopGrace(100ms);

    QSet<const TQueueItem*> done;             // checked in an earlier run
    QHash<const TQueueItem*, Behaviour> told; // what each job does in this run

    for (int round = 0; round < kRounds && done.size() < kJobs; ++round) {
        // Every job not done yet draws what its encoder does this time.
        told.clear();
        QList<std::pair<QString, Behaviour>> plan;
        for (int k = 0; k < kJobs; ++k) {
            if (done.contains(jobs[k]))
                continue;
            const Behaviour b = Chaos::Draw(rng);
            told.insert(jobs[k], b);
            plan.append({sourceOf(k), b});
        }
        QVERIFY(Chaos::WritePlan(planFile, plan));
        // The answer the window would pass: with "Спрашивать" and outputs
        // already there, the one the user picks in the box.
        TExistingOutput answer = TExistingOutput::Ask;
        if (setting == TExistingOutput::Ask && round == 0)
            answer = TExistingOutput(1 + rng.bounded(3));
        const TExistingOutput inForce = answer != TExistingOutput::Ask ? answer
                                        : setting != TExistingOutput::Ask ? setting
                                                                          : TExistingOutput::KeepBoth;

        // The user: a first "Отмена" after some starts (or never), now and
        // then a second one soon after; and whenever only hung encoders are
        // left, both presses, as a user would do.
        int starts = 0;
        view.onStatus = [&starts](const QString& text) {
            starts += text.startsWith(QStringLiteral("Обрабатывается: "));
        };
        const int cancelAfter = rng.bounded(3) == 0 ? -1 : int(rng.bounded(kJobs / 2));
        const bool secondCancel = rng.bounded(2) == 0;
        const int secondAfterMs = int(rng.bounded(60));
        QElapsedTimer sinceCancel, stuckFor, gap;
        // The event loop must turn often while the run goes on. On a busy
        // machine (CI shares its cores with other jobs) a turn can take
        // long only because this thread got no processor, or because a
        // file operation of the run (create, rename, remove, mkdir) waited
        // for a disk that others keep busy. So a turn fails if it kept the
        // processor for 100 ms (a loop that does not yield), or if it
        // stood still for a second without waiting for a processor (a wait
        // for an encoder, which the slow and hung ones would show).
        qint64 longestGap = 0;  // wall time, less the time waiting for a processor
        qint64 longestBusy = 0; // processor time
        TThreadTimes before = ThreadTimes();
        bool stuck = false;

        QTimer user;
        user.setInterval(5);
        connect(&user, &QTimer::timeout, this, [&] {
            if (!run.IsRunning())
                return;
            const TThreadTimes now = ThreadTimes();
            if (gap.isValid()) {
                longestGap = qMax(longestGap, gap.elapsed() - (now.waited - before.waited));
                longestBusy = qMax(longestBusy, now.cpu - before.cpu);
            }
            gap.start();
            before = now;
            if (breakable.isEmpty() && round == breakRound && starts >= breakAt) {
                for (int a = 0; a < kArtists && breakable.isEmpty(); ++a) {
                    const QString folder = QStringLiteral("%1/A%2").arg(out).arg(a);
                    if (!QFileInfo::exists(folder)) {
                        QVERIFY(TestUtil::WriteFile(folder, "in the way"));
                        breakable = folder;
                    }
                }
            }
            if (cancelAfter >= 0 && starts >= cancelAfter && !run.CancelRequested()) {
                run.Cancel();
                sinceCancel.start();
            } else if (secondCancel && sinceCancel.isValid() && sinceCancel.elapsed() >= secondAfterMs) {
                run.Cancel();
                sinceCancel.invalidate();
            }
            int running = 0, hung = 0;
            for (TQueueItem* job : std::as_const(jobs)) {
                if (run.IsRunningJob(job)) {
                    ++running;
                    const Behaviour b = told.value(job);
                    hung += b == Behaviour::Hang || b == Behaviour::Stubborn;
                }
            }
            // Nothing else started for a while: every slot hangs, or no
            // more jobs may start.
            const bool onlyHung = running > 0 && hung == running;
            if (!onlyHung) {
                stuck = false;
            } else if (!stuck) {
                stuck = true;
                stuckFor.start();
            } else if (stuckFor.elapsed() > 30) {
                run.Cancel();
                stuckFor.start();
            }
        });

        QSignalSpy finished(&run, &TBatchRun::Finished);
        QElapsedTimer took;
        took.start();
        user.start();
        gap.start();
        before = ThreadTimes();
        run.Start(answer);
        QTRY_VERIFY_WITH_TIMEOUT(finished.count() == 1, 60000);
        user.stop();
        QVERIFY(!run.IsRunning());
        QVERIFY2(longestBusy < 100 && longestGap < 1000,
                 qPrintable(QStringLiteral("the event loop stood still for %1 ms, %2 ms of them busy")
                                .arg(longestGap)
                                .arg(longestBusy)));
        halts += view.statuses.last().startsWith(QStringLiteral("Не удалось создать папку: "));
        qInfo("round %d: %d started, %lld ms, longest turn %lld ms (%lld ms busy), \"%s\"", round,
              starts, took.elapsed(), longestGap, longestBusy, qPrintable(view.statuses.last()));
        view.onStatus = nullptr;

        // No encoder outlives its run.
        for (const qint64 pid : Chaos::Pids(pidsFile))
            QTRY_VERIFY2_WITH_TIMEOUT(Chaos::Gone(pid), qPrintable(QString::number(pid)), 5000);

        // Nothing half-written is left, anywhere.
        const QStringList temps = Temporaries(out);
        QVERIFY2(temps.isEmpty(), qPrintable(temps.join(u'\n')));

        const QStringList started =
            QString::fromUtf8(TestUtil::ReadFile(startsFile)).split(u'\n', Qt::SkipEmptyParts);
        QSet<QString> startedNow;
        for (const QString& s : started)
            startedNow.insert(s);
        // A job done in an earlier run never runs again.
        for (const QString& s : started) {
            const int k = QFileInfo(s).completeBaseName().mid(3).toInt();
            QVERIFY2(!done.contains(jobs[k]), qPrintable(s + QStringLiteral(" ran again after it was done")));
        }
        for (int k = 0; k < kJobs; ++k) {
            TQueueItem* job = jobs[k];
            const QString what = QStringLiteral("job %1 (%2), round %3")
                                     .arg(k)
                                     .arg(QString::fromLatin1(Chaos::Word(told.value(job))))
                                     .arg(round);
            const bool checked = view.checked.contains(job);
            if (done.contains(job)) {
                QVERIFY2(checked, qPrintable(what + QStringLiteral(": a done job lost its check")));
                continue;
            }
            if (checked) {
                // Every checked line is a done job: its encoder succeeded and
                // its output is whole at its final name.
                QVERIFY2(Chaos::Succeeds(told.value(job)), qPrintable(what + QStringLiteral(": checked")));
                QVERIFY2(startedNow.contains(sourceOf(k)), qPrintable(what + QStringLiteral(": never ran")));
                QCOMPARE(TestUtil::ReadFile(job->OutputFile()), QByteArray("mp3"));
                QVERIFY2(!QFileInfo::exists(sourceOf(k)),
                         qPrintable(what + QStringLiteral(": the source of a done job is still there")));
                if (existing.contains(job->OutputFile()))
                    QVERIFY2(inForce == TExistingOutput::Overwrite,
                             qPrintable(what + QStringLiteral(": replaced an existing file")));
                done.insert(job);
            } else {
                QVERIFY2(QFileInfo::exists(sourceOf(k)),
                         qPrintable(what + QStringLiteral(": the source of an unfinished job is gone")));
            }
        }
        // A file that was there is never removed, and changes only under a
        // done job that was to overwrite it.
        for (auto it = existing.cbegin(); it != existing.cend(); ++it) {
            const QByteArray now = TestUtil::ReadFile(it.key());
            QVERIFY2(QFileInfo::exists(it.key()), qPrintable(it.key() + QStringLiteral(" was removed")));
            if (now == it.value())
                continue;
            const int k = QFileInfo(it.key()).completeBaseName().mid(3).toInt();
            QVERIFY2(done.contains(jobs[k]) && jobs[k]->OutputFile() == it.key(),
                     qPrintable(it.key() + QStringLiteral(" changed under a job that is not done")));
        }
        QFile::remove(startsFile);
        QFile::remove(pidsFile);

        // The folder stays broken for the run it broke in and the next.
        if (!breakable.isEmpty() && QFileInfo(breakable).isFile() && ++roundsBroken >= 2)
            QVERIFY(QFile::remove(breakable));
    }
    qInfo("%d of %d jobs done, %d runs stopped at the broken folder", int(done.size()), kJobs, halts);
}

QTEST_GUILESS_MAIN(TstChaos)
#include "tst_chaos.moc"
