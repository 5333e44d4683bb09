#include "batchrun.h"
#include "outputnamer.h"
#include "outputplan.h"
#include "programsettings.h"
#include "queue.h"
#include "recordingview.h"
#include "testutil.h"

#include <QDirIterator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(TExistingOutput)

namespace {

// One job of a table row: "source|title|artist|album|flags", flags holding
// "x" for a checked line and "t" for a track of its own (7) instead of
// auto numbering. Empty fields are empty tags.
struct JobSpec
{
    QString source, title, artist, album;
    bool checked = false;
    bool ownTrack = false;
};

QList<JobSpec> Parse(const QString& jobs)
{
    QList<JobSpec> out;
    for (const QString& j : jobs.split(u';', Qt::SkipEmptyParts)) {
        const QStringList f = j.split(u'|');
        JobSpec s;
        s.source = f.value(0);
        s.title = f.value(1);
        s.artist = f.value(2);
        s.album = f.value(3);
        s.checked = f.value(4).contains(u'x');
        s.ownTrack = f.value(4).contains(u't');
        out << s;
    }
    return out;
}

} // namespace

// The plan is the run's own naming over copies of the jobs: for every queue
// below it must give, to the character, the paths and track numbers the run
// then writes. Clash numbering and the choices for existing files are tested
// through the same plan.
class TstOutputPlan final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void planEqualsResult_data();
    void planEqualsResult();
    void planDuringRunFollowsRun();
    void manyOutputsInOneFolder();
    void planInSteps();
    void clashNumbering_data();
    void clashNumbering();
    void numberedName_data();
    void numberedName();

private:
    void AddJobs(const QList<JobSpec>& specs);
    QString Work(const QString& rel) const { return m_dir->filePath(rel); }
    QString WriteEncoder() const;
    std::vector<const TQueueItem*> Unchecked() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TQueue> m_queue;
    std::unique_ptr<TRecordingView> m_view;
    ProgramSettings m_settings;
};

void TstOutputPlan::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_queue = std::make_unique<TQueue>();
    m_view = std::make_unique<TRecordingView>(*m_queue);
    m_settings = ProgramSettings();
    m_settings.TargetDirectory = Work(QStringLiteral("out"));
    m_settings.DeleteFromQueue = false;
}

void TstOutputPlan::AddJobs(const QList<JobSpec>& specs)
{
    for (const JobSpec& s : specs) {
        QVERIFY(TestUtil::WriteFile(Work(QStringLiteral("in/") + s.source), "wav"));
        TQueueItem* job = m_queue->Add();
        job->SetInputFile(Work(QStringLiteral("in/") + s.source));
        job->SetTitle(s.title);
        job->SetArtist(s.artist);
        job->SetAlbum(s.album);
        job->SetYear(QStringLiteral("1999"));
        job->SetGenre(17);
        job->SetComment(QStringLiteral("c"));
        job->AutoTrack = !s.ownTrack;
        job->SetTrack(s.ownTrack ? 7 : 0);
        if (s.checked)
            m_view->checked.insert(job);
    }
}

// Writes the source it read into its output (the last argument), so a file
// that went to another job's name would show.
QString TstOutputPlan::WriteEncoder() const
{
    const QString path = Work(QStringLiteral("bin/fake-lame"));
    TestUtil::WriteFile(path, "#!/bin/sh\nfor a; do in=$out; out=$a; done\nprintf '%s' \"$in\" > \"$out\"\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

std::vector<const TQueueItem*> TstOutputPlan::Unchecked() const
{
    std::vector<const TQueueItem*> jobs;
    for (int i = 0; i < m_queue->Count(); ++i) {
        if (!m_view->IsLineChecked(i))
            jobs.push_back(m_queue->Items(i));
    }
    return jobs;
}

void TstOutputPlan::planEqualsResult_data()
{
    QTest::addColumn<QString>("jobs");
    QTest::addColumn<QString>("patterns"); // file|artist folder|album folder; folders only when given
    QTest::addColumn<int>("mode");
    QTest::addColumn<TExistingOutput>("existing");
    QTest::addColumn<QStringList>("present"); // files there before the run, below out/
    QTest::addColumn<QStringList>("expected"); // the plan, below out/, in queue order

    const QString albumJobs = QStringLiteral(
        "a.wav|Звезда|Кино|Группа крови;b.wav|Кукушка|КИНО|группа КРОВИ|x;"
        "c.wav|Война|ABBA|Gold;d.wav|кукушка|кино|Группа крови;e.wav|Mamma Mia|Abba|GOLD;"
        "f.wav|Звезда|Кино|Группа крови;g.wav|Свой|Кино|Группа крови|t");
    const QString sub = QStringLiteral("%8 - %1|%2|%4 - %3");
    const auto ask = TExistingOutput::Ask;

    QTest::newRow("auto numbering, two artists, a checked line between")
        << albumJobs << sub << 0 << ask << QStringList()
        << QStringList{"Кино/1999 - Группа крови/01 - Звезда.mp3", "ABBA/1999 - Gold/01 - Война.mp3",
                       "кино/1999 - Группа крови/02 - кукушка.mp3",
                       "Abba/1999 - GOLD/02 - Mamma Mia.mp3",
                       "Кино/1999 - Группа крови/01 - Звезда (2).mp3",
                       "Кино/1999 - Группа крови/07 - Свой.mp3"};
    QTest::newRow("decoding") << albumJobs << sub << 1 << ask << QStringList()
        << QStringList{"Кино/1999 - Группа крови/01 - Звезда.wav", "ABBA/1999 - Gold/01 - Война.wav",
                       "кино/1999 - Группа крови/02 - кукушка.wav",
                       "Abba/1999 - GOLD/02 - Mamma Mia.wav",
                       "Кино/1999 - Группа крови/01 - Звезда (2).wav",
                       "Кино/1999 - Группа крови/07 - Свой.wav"};
    QTest::newRow("every code")
        << QStringLiteral("one.wav|T1|A1|L1;two.wav|T2|A1|L2;three.wav|T3|A2|L1|t")
        << QStringLiteral("%0,%1,%2,%3,%4,%5,%6,%7,%8,%%,%9,%|%2,%5,%6,%7,%8,%1|%3,%4,%5,%7,%8,%0")
        << 0 << ask << QStringList()
        << QStringList{"A1,Rock,c,1,01,%1/L1,1999,Rock,1,01,%0/one,T1,A1,L1,1999,Rock,c,1,01,%,%9,%.mp3",
                       "A1,Rock,c,1,01,%1/L2,1999,Rock,2,02,%0/two,T2,A1,L2,1999,Rock,c,1,01,%,%9,%.mp3",
                       "A2,Rock,c,2,02,%1/L1,1999,Rock,1,01,%0/three,T3,A2,L1,1999,Rock,c,7,07,%,%9,%.mp3"};
    QTest::newRow("same source names from two folders")
        << QStringLiteral("CD1/Track01.wav;CD2/Track01.wav;CD3/Track01.wav||||x;CD4/Track01.wav")
        << QStringLiteral("%0") << 0 << ask << QStringList()
        << QStringList{"Track01.mp3", "Track01 (2).mp3", "Track01 (3).mp3"};
    QTest::newRow("untagged with a ready pattern")
        << QStringLiteral("a.wav;b.wav;c.wav") << QStringLiteral("%8 - %1") << 0 << ask
        << QStringList() << QStringList{"01 - .mp3", "01 -  (2).mp3", "01 -  (3).mp3"};
    QTest::newRow("a title that looks numbered")
        << QStringLiteral("a.wav|x|||t;b.wav|x (2)|||t;c.wav|x|||t") << QStringLiteral("%1") << 0
        << ask << QStringList() << QStringList{"x.mp3", "x (2).mp3", "x (3).mp3"};
    QTest::newRow("letter case makes another file")
        << QStringLiteral("a.wav|Song|||t;b.wav|SONG|||t") << QStringLiteral("%1") << 0 << ask
        << QStringList() << QStringList{"Song.mp3", "SONG.mp3"};
    QTest::newRow("keep both steps over existing files")
        << QStringLiteral("a.wav|x|||t;b.wav|x|||t;c.wav|y|||t") << QStringLiteral("%1") << 0
        << TExistingOutput::KeepBoth << QStringList{"x.mp3", "x (3).mp3"}
        << QStringList{"x (2).mp3", "x (4).mp3", "y.mp3"};
    QTest::newRow("overwrite keeps the names")
        << QStringLiteral("a.wav|x|||t;b.wav|x|||t") << QStringLiteral("%1") << 0
        << TExistingOutput::Overwrite << QStringList{"x.mp3", "x (2).mp3"}
        << QStringList{"x.mp3", "x (2).mp3"};
    QTest::newRow("skip keeps the names")
        << QStringLiteral("a.wav|x|||t;b.wav|x|||t;c.wav|x|||t") << QStringLiteral("%1") << 0
        << TExistingOutput::Skip << QStringList{"x (2).mp3"}
        << QStringList{"x.mp3", "x (2).mp3", "x (3).mp3"};
}

void TstOutputPlan::planEqualsResult()
{
    QFETCH(QString, jobs);
    QFETCH(QString, patterns);
    QFETCH(int, mode);
    QFETCH(TExistingOutput, existing);
    QFETCH(QStringList, present);
    QFETCH(QStringList, expected);

    const QStringList p = patterns.split(u'|');
    m_settings.FileNameFormat = p.value(0);
    m_settings.CreateSubFolders = p.size() == 3;
    m_settings.ArtistFolderFormat = p.value(1);
    m_settings.AlbumFolderFormat = p.value(2);
    m_settings.ExistingOutput = existing;
    AddJobs(Parse(jobs));
    const QString out = Work(QStringLiteral("out/"));
    for (const QString& f : present)
        QVERIFY(TestUtil::WriteFile(out + f, "earlier"));

    TOutputPlan plan;
    const std::vector<TPlannedOutput> planned =
        plan.Compute(Unchecked(), m_settings, mode, existing);
    // The plan left the jobs as they were.
    for (int i = 0; i < m_queue->Count(); ++i) {
        QVERIFY(m_queue->Items(i)->OutputFile().isEmpty());
        QCOMPARE(int(m_queue->Items(i)->Track()), m_queue->Items(i)->AutoTrack ? 0 : 7);
    }
    QStringList shown;
    for (const TPlannedOutput& entry : planned)
        shown << entry.path.mid(out.size());
    QCOMPARE(shown, expected);

    m_view->mode = mode;
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetPauseStep(0ms);
    run.SetEncoderProgram(WriteEncoder());
    QSignalSpy finished(&run, &TBatchRun::Finished);
    run.Start();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
    QVERIFY2(m_view->failures.isEmpty(), qPrintable(m_view->failures.values().join(u'\n')));

    for (const TPlannedOutput& entry : planned) {
        const TQueueItem* job = entry.job;
        QCOMPARE(job->OutputFile(), entry.path);
        QCOMPARE(job->Track(), entry.track);
        if (entry.skip) {
            QVERIFY(!m_view->checked.contains(job));
            QCOMPARE(TestUtil::ReadFile(entry.path), QByteArray("earlier"));
        } else {
            QVERIFY(m_view->checked.contains(job));
            // The file there is the one the encoder wrote for this job.
            QCOMPARE(QString::fromUtf8(TestUtil::ReadFile(entry.path)), job->InputFile());
        }
    }
    // Nothing else was written: the files below out/ are the plan's and the earlier ones.
    QStringList files;
    QDirIterator it(out, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next().mid(out.size());
    QStringList wanted = expected + present;
    wanted.removeDuplicates();
    files.sort();
    wanted.sort();
    QCOMPARE(files, wanted);
}

// While the run goes on, the plan of the jobs it has ahead goes on from the
// run's own namer; a mode switched in a pause reaches the plan and the run
// alike (a WAV output then no longer clashes with the earlier MP3).
void TstOutputPlan::planDuringRunFollowsRun()
{
    m_settings.FileNameFormat = QStringLiteral("%8 - %1");
    AddJobs(Parse(QStringLiteral("a.wav|x|B|L;b.wav|y|B|L;c.wav|x|B|L;d.wav|z|B|L;e.wav|x|B|L")));
    m_view->mode = 0;
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetPauseStep(0ms);
    run.SetEncoderProgram(WriteEncoder());
    TOutputPlan plan;
    QList<std::vector<TPlannedOutput>> predictions;
    m_view->onStatus = [&](const QString& text) {
        if (text == u"Ожидание отмены... 2") {
            m_view->mode = 1;
            predictions << plan.Compute(run.JobsAhead(), m_settings, m_view->mode,
                                        run.ExistingChoice(), *run.Namer());
        }
    };
    QSignalSpy finished(&run, &TBatchRun::Finished);
    run.Start();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);

    QCOMPARE(predictions.size(), 4);
    for (int k = 0; k < predictions.size(); ++k) {
        QCOMPARE(int(predictions[k].size()), 4 - k);
        for (const TPlannedOutput& entry : predictions[k]) {
            QCOMPARE(entry.job->OutputFile(), entry.path);
            QCOMPARE(entry.job->Track(), entry.track);
        }
    }
    const QStringList written = {"01 - x.mp3", "02 - y.wav", "01 - x.wav", "03 - z.wav",
                                 "01 - x (2).wav"};
    for (int i = 0; i < written.size(); ++i)
        QCOMPARE(m_queue->Items(i)->OutputFile(), Work(QStringLiteral("out/") + written[i]));
}

// Past a few dozen outputs a folder is listed once instead of looked up
// file by file: what the plan finds there must still be what a look-up
// finds (a folder or a hidden file at an output's name counts, a broken
// link does not), so the run writes the plan's names.
void TstOutputPlan::manyOutputsInOneFolder()
{
    m_settings.FileNameFormat = QStringLiteral("%1");
    m_settings.ExistingOutput = TExistingOutput::KeepBoth;
    QString jobs;
    for (int i = 0; i < 60; ++i)
        jobs += QStringLiteral("s%1.wav|%2;").arg(i).arg(i == 30 ? QStringLiteral(".h") : QStringLiteral("t%1").arg(i));
    AddJobs(Parse(jobs));
    const QString out = Work(QStringLiteral("out/"));
    for (int i = 0; i < 60; i += 9)
        QVERIFY(TestUtil::WriteFile(out + QStringLiteral("t%1.mp3").arg(i), "earlier"));
    QVERIFY(TestUtil::WriteFile(out + QStringLiteral(".h.mp3"), "earlier"));
    QVERIFY(QDir().mkpath(out + QStringLiteral("t50.mp3")));
    QVERIFY(QFile::link(out + QStringLiteral("nowhere"), out + QStringLiteral("t55.mp3")));

    TOutputPlan plan;
    const std::vector<TPlannedOutput> planned =
        plan.Compute(Unchecked(), m_settings, 0, TExistingOutput::KeepBoth);
    QCOMPARE(int(planned.size()), 60);
    int existing = 0;
    for (const TPlannedOutput& entry : planned) {
        QCOMPARE(entry.existed, QFileInfo::exists(entry.wanted));
        existing += entry.existed;
    }
    QCOMPARE(existing, 9); // seven files, the hidden one and the folder

    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetPauseStep(0ms);
    run.SetEncoderProgram(WriteEncoder());
    m_settings.PauseBetweenJobs = 0;
    QSignalSpy finished(&run, &TBatchRun::Finished);
    run.Start();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 60000);
    for (const TPlannedOutput& entry : planned) {
        if (entry.wanted.endsWith(QStringLiteral("t55.mp3")))
            continue; // the broken link blocks its name: that job fails, as it would have
        QCOMPARE(entry.job->OutputFile(), entry.path);
        QVERIFY2(m_view->checked.contains(entry.job), qPrintable(entry.path));
    }
}

// Planned a few jobs per step, the plan is the one planned at once; a job
// that leaves the queue between two steps is passed over (never read: the
// sanitizer build would report it) and the jobs after it are numbered as if
// it had never been queued.
void TstOutputPlan::planInSteps()
{
    m_settings.FileNameFormat = QStringLiteral("%1");
    m_settings.ExistingOutput = TExistingOutput::KeepBoth;
    QString jobs;
    for (int i = 0; i < 200; ++i)
        jobs += QStringLiteral("s%1.wav|%2;").arg(i).arg(i % 3 ? QStringLiteral("t%1").arg(i) : QStringLiteral("same"));
    AddJobs(Parse(jobs));

    std::vector<quint64> ids;
    for (const TQueueItem* job : Unchecked())
        ids.push_back(job->Id());
    TOutputPlan plan;
    const std::vector<TPlannedOutput> whole =
        plan.Compute(Unchecked(), m_settings, 0, TExistingOutput::KeepBoth);

    plan.Begin(*m_queue, ids, m_settings, 0, TExistingOutput::KeepBoth);
    int steps = 1;
    while (!plan.Step(0ns))
        ++steps;
    QVERIFY2(steps >= 200 / 32, qPrintable(QString::number(steps)));
    QVERIFY(plan.InProgress());
    const std::vector<TPlannedOutput> stepped = plan.Take();
    QVERIFY(!plan.InProgress());
    QCOMPARE(stepped.size(), whole.size());
    for (std::size_t i = 0; i < whole.size(); ++i) {
        QCOMPARE(stepped[i].job, whole[i].job);
        QCOMPARE(stepped[i].path, whole[i].path);
        QCOMPARE(stepped[i].clashWith, whole[i].clashWith);
    }

    // Take the third "same" (line 6) and a line ahead out while the plan is
    // under way: after the first step, which planned lines 0 to 31.
    plan.Begin(*m_queue, ids, m_settings, 0, TExistingOutput::KeepBoth);
    QVERIFY(!plan.Step(0ns));
    std::vector<bool> remove(std::size_t(m_queue->Count()), false);
    remove[100] = true; // "t100"
    remove[99] = true;  // a "same", the 34th
    m_queue->DeleteWhere(remove);
    while (!plan.Step(0ns)) {
    }
    const std::vector<TPlannedOutput> after = plan.Take();
    QCOMPARE(int(after.size()), 198);
    QStringList names;
    for (const TPlannedOutput& p : after)
        names << QFileInfo(p.path).fileName();
    QVERIFY(!names.contains(QStringLiteral("t100.mp3")));
    QCOMPARE(names.filter(QStringLiteral("same")).size(), 66);
    QCOMPARE(names.filter(QStringLiteral("same")).last(), QStringLiteral("same (66).mp3"));
}

void TstOutputPlan::clashNumbering_data()
{
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<QList<int>>("clashWith"); // index of the first job that wanted it, or -1

    QTest::newRow("three alike") << QStringList{"a", "a", "a"}
                                 << QStringList{"a.mp3", "a (2).mp3", "a (3).mp3"}
                                 << QList<int>{-1, 0, 0};
    QTest::newRow("two pairs") << QStringList{"a", "b", "b", "a"}
                               << QStringList{"a.mp3", "b.mp3", "b (2).mp3", "a (2).mp3"}
                               << QList<int>{-1, -1, 1, 0};
    // A "." level is replaced like "..", so it names a folder of its own.
    QTest::newRow("one folder written two ways")
        << QStringList{"d/a", "d//a", "d/./a"} << QStringList{"d/a.mp3", "d//a (2).mp3", "d/_/a.mp3"}
        << QList<int>{-1, 0, -1};
    QTest::newRow("a dot in the folder") << QStringList{"v1.2/a", "v1.2/a"}
                                         << QStringList{"v1.2/a.mp3", "v1.2/a (2).mp3"}
                                         << QList<int>{-1, 0};
}

void TstOutputPlan::clashNumbering()
{
    QFETCH(QStringList, titles);
    QFETCH(QStringList, paths);
    QFETCH(QList<int>, clashWith);

    m_settings.FileNameFormat = QStringLiteral("%1");
    TOutputNamer namer;
    const QString out = m_settings.TargetDirectory + u'/';
    for (int i = 0; i < titles.size(); ++i) {
        TQueueItem* job = m_queue->Add();
        job->SetTitle(titles[i]);
        const TOutputNamer::Assignment a =
            namer.Assign(*job, m_settings, 0, TExistingOutput::Ask, job);
        QCOMPARE(a.path, out + paths[i]);
        QCOMPARE(job->OutputFile(), out + paths[i]);
        QCOMPARE(a.wanted, out + QString(titles[i]).replace(QStringLiteral("/./"), QStringLiteral("/_/"))
                               + QStringLiteral(".mp3"));
        QCOMPARE(a.clashWith, clashWith[i] < 0 ? nullptr : m_queue->Items(clashWith[i]));
        QVERIFY(!a.existed && !a.skip && !a.replace);
    }
}

void TstOutputPlan::numberedName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("numbered");
    QTest::newRow("extension") << "/o/a.mp3" << "/o/a (2).mp3";
    QTest::newRow("two dots") << "/o/a.b.wav" << "/o/a.b (2).wav";
    QTest::newRow("no extension, dotted folder") << "/o.d/a" << "/o.d/a (2)";
    QTest::newRow("empty name") << "/o/.mp3" << "/o/ (2).mp3";
    // A name at the file system's limit gives way to its number.
    const QString full = QString(251, u'x');
    QTest::newRow("name at the limit") << "/o/" + full + ".mp3"
                                       << "/o/" + full.left(247) + " (2).mp3";
}

void TstOutputPlan::numberedName()
{
    QFETCH(QString, path);
    QFETCH(QString, numbered);
    QCOMPARE(TOutputNamer::Numbered(path, 2), numbered);
}

QTEST_GUILESS_MAIN(TstOutputPlan)
#include "tst_outputplan.moc"
