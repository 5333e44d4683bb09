#include "batchrun.h"
#include "outputplan.h"
#include "runfixture.h"

#include <QTest>

#include <algorithm>

using namespace std::chrono_literals;

namespace {

// Start and end of one fake encoder process, in seconds.
struct Span
{
    double start = 0, end = 0;
};

} // namespace

// Runs with several encoders at once ("Parallel jobs"), the pause setting,
// and the second cancel that stops running encoders. The fake encoders
// sleep a little and log when they started and ended.
class TstParallelRun final : public QObject, private TRunFixture
{
    Q_OBJECT
private Q_SLOTS:
    void init() { Reset(); }
    void slotsStayFull_data();
    void slotsStayFull();
    void namesEqualThePlan_data();
    void namesEqualThePlan();
    void firstCancelLetsRunningJobsFinish();
    void secondCancelStopsEncoders_data();
    void secondCancelStopsEncoders();
    void failures_data();
    void failures();
    void folderFailureStartsNoMore();
    void progressOnLinesAndQueue();
    void timeLeftShownDuringRun();

private:
    // A script that sleeps sleeps[k] seconds for Source(k), logs its span,
    // then does body.
    QString TimedScript(const QStringList& sleeps, const QString& body = QString::fromLatin1(kOkBody));
    QMap<QString, Span> Spans() const;
    void Gate() { QVERIFY(TestUtil::WriteFile(m_dir->filePath(QStringLiteral("gate")))); }
    QString GateWait() const
    {
        return QStringLiteral("while [ ! -e '%1' ]; do sleep 0.02; done\n")
            .arg(m_dir->filePath(QStringLiteral("gate")));
    }
};

QString TstParallelRun::TimedScript(const QStringList& sleeps, const QString& body)
{
    QString cases;
    for (int k = 0; k < sleeps.size(); ++k)
        cases += QStringLiteral("  '%1') sleep %2;;\n").arg(Source(k), sleeps[k]);
    return QStringLiteral("t0=$(date +%s%N)\ncase \"$in\" in\n") + cases + QStringLiteral("esac\n")
           + body
           + QStringLiteral("echo \"$in $t0 $(date +%s%N)\" >> '%1'\n")
                 .arg(m_dir->filePath(QStringLiteral("spans.log")));
}

QMap<QString, Span> TstParallelRun::Spans() const
{
    QMap<QString, Span> spans;
    const QString log = QString::fromUtf8(TestUtil::ReadFile(m_dir->filePath(QStringLiteral("spans.log"))));
    for (const QString& line : log.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.split(u' ');
        if (f.size() == 3)
            spans.insert(f[0], {f[1].toLongLong() / 1e9, f[2].toLongLong() / 1e9});
    }
    return spans;
}

void TstParallelRun::slotsStayFull_data()
{
    QTest::addColumn<int>("slots");
    QTest::addColumn<QString>("lines");
    QTest::addColumn<QStringList>("sleeps");

    QTest::newRow("two slots, one long job") << 2 << "------"
                                             << QStringList{"1.5", "0.1", "0.1", "0.1", "0.1", "0.1"};
    QTest::newRow("three slots, checked lines between")
        << 3 << "-x--x---" << QStringList{"0.1", "0", "1.5", "0.1", "0", "0.2", "0.1", "0.1"};
    QTest::newRow("more slots than jobs") << 8 << "---" << QStringList{"0.3", "0.3", "0.3"};
}

// At most N encoders at once, and never fewer while jobs wait: whenever one
// ends and others have not started, the next starts right away (a run that
// waited for a whole batch would leave a slot idle beside the long job).
// Jobs start in queue order.
void TstParallelRun::slotsStayFull()
{
    QFETCH(int, slots);
    QFETCH(QString, lines);
    QFETCH(QStringList, sleeps);

    m_settings.ParallelJobs = quint32(slots);
    m_settings.DeleteFromQueue = false;
    AddJobs(lines);
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetEncoderProgram(WriteScript(TimedScript(sleeps)));
    RUN_TO_END(run);

    QString order;
    for (int k = 0; k < lines.size(); ++k) {
        if (lines[k] == u'-')
            order += QStringLiteral("P%1 ").arg(k);
    }
    QCOMPARE(m_view->statuses, Expand(order + u'D'));
    QCOMPARE(m_view->Lines(), QString(lines.size(), u'x'));

    const QMap<QString, Span> spans = Spans();
    const int jobs = int(lines.count(u'-'));
    QCOMPARE(spans.size(), jobs);
    const auto runningAt = [&spans](double t) {
        return int(std::count_if(spans.begin(), spans.end(),
                                 [t](const Span& s) { return s.start <= t && t < s.end; }));
    };
    int most = 0;
    for (const Span& s : spans) {
        most = std::max(most, runningAt(s.start));
    }
    QCOMPARE(most, std::min(slots, jobs));

    const double lastStart = std::max_element(spans.begin(), spans.end(), [](const Span& a, const Span& b) {
                                 return a.start < b.start;
                             })->start;
    const double slack = 0.5; // a process start on a loaded machine
    for (const Span& s : spans) {
        if (s.end >= lastStart)
            continue; // nothing waits any more
        const bool next = std::any_of(spans.begin(), spans.end(), [&](const Span& o) {
            return o.start >= s.end && o.start <= s.end + slack;
        });
        QVERIFY2(next, qPrintable(QStringLiteral("a slot stayed empty after %1").arg(s.end)));
    }
}

void TstParallelRun::namesEqualThePlan_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("sources");
    QTest::addColumn<QStringList>("existing"); // outputs on disk before the run
    QTest::addColumn<int>("slots");
    QTest::addColumn<QStringList>("sleeps");

    QTest::newRow("clashes and an existing file, first jobs slowest")
        << "%0" << QStringList{"a/x.wav", "b/x.wav", "c/x.wav", "d/y.wav"} << QStringList{"y.mp3"}
        << 3 << QStringList{"0.6", "0.4", "0.2", "0"};
    QTest::newRow("auto track numbers, finishing out of order")
        << "%8 - %0" << QStringList{"a/x.wav", "a/y.wav", "a/z.wav", "a/w.wav"} << QStringList{}
        << 2 << QStringList{"0.5", "0", "0.3", "0"};
}

// Outputs are named when their jobs start, in queue order, so they are the
// plan's names whatever order the jobs finish in; each file holds its own
// source, and the file from before the run is left alone.
void TstParallelRun::namesEqualThePlan()
{
    QFETCH(QString, pattern);
    QFETCH(QStringList, sources);
    QFETCH(QStringList, existing);
    QFETCH(int, slots);
    QFETCH(QStringList, sleeps);

    m_settings.ParallelJobs = quint32(slots);
    m_settings.DeleteFromQueue = false;
    m_settings.FileNameFormat = pattern;
    m_settings.ExistingOutput = TExistingOutput::KeepBoth;
    for (const QString& name : existing)
        QVERIFY(TestUtil::WriteFile(m_dir->filePath(QStringLiteral("out/") + name), "earlier"));
    std::vector<const TQueueItem*> jobs;
    for (int k = 0; k < sources.size(); ++k) {
        // Source(k) names the sleep; the job reads the file given here.
        const QString path = m_dir->filePath(sources[k]);
        QVERIFY(TestUtil::WriteFile(path, path.toUtf8()));
        TQueueItem* job = m_queue->Add();
        job->SetInputFile(path);
        jobs.push_back(job);
    }
    TOutputPlan plan;
    const std::vector<TPlannedOutput> planned =
        plan.Compute(jobs, m_settings, 0, TExistingOutput::KeepBoth);

    QString cases;
    for (int k = 0; k < sources.size(); ++k)
        cases += QStringLiteral("  '%1') sleep %2;;\n").arg(m_dir->filePath(sources[k]), sleeps[k]);
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetEncoderProgram(WriteScript(QStringLiteral("case \"$in\" in\n") + cases
                                      + QStringLiteral("esac\ncat \"$in\" > \"$out\"\n")));
    RUN_TO_END(run);

    QCOMPARE(m_view->statuses.last(), QStringLiteral("Готово"));
    for (std::size_t k = 0; k < jobs.size(); ++k) {
        QCOMPARE(jobs[k]->OutputFile(), planned[k].path);
        QCOMPARE(jobs[k]->Track(), planned[k].track);
        QCOMPARE(TestUtil::ReadFile(planned[k].path), jobs[k]->InputFile().toUtf8());
    }
    for (const QString& name : existing)
        QCOMPARE(TestUtil::ReadFile(m_dir->filePath(QStringLiteral("out/") + name)), QByteArray("earlier"));
}

void TstParallelRun::firstCancelLetsRunningJobsFinish()
{
    m_settings.ParallelJobs = 2;
    m_settings.DeleteFromQueue = false;
    AddJobs(QStringLiteral("-----"));
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetEncoderProgram(WriteScript(GateWait() + QString::fromLatin1(kOkBody)));
    QSignalSpy finished(&run, &TBatchRun::Finished);
    run.Start();
    QTRY_COMPARE(Starts().size(), 2);

    run.Cancel();
    QVERIFY(run.IsRunning());
    QCOMPARE(m_view->statuses.last(), TBatchRun::WaitingText());
    Gate();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);

    QCOMPARE(m_view->statuses,
             Expand(QStringLiteral("P0 P1")) << TBatchRun::WaitingText() << QStringLiteral("Готово"));
    QCOMPARE(Starts().size(), 2);
    QCOMPARE(m_view->Lines(), QStringLiteral("xx---"));
    for (int k : {0, 1})
        QCOMPARE(TestUtil::ReadFile(Output(k)), QByteArray("mp3"));
    QVERIFY(m_view->failures.isEmpty());
}

void TstParallelRun::secondCancelStopsEncoders_data()
{
    QTest::addColumn<int>("slots");
    QTest::addColumn<QString>("body");

    const QString plain = QStringLiteral("printf partial > \"$out\"\nexec sleep 30\n");
    // Deaf to SIGTERM: only the kill after the grace ends it.
    const QString deaf = QStringLiteral("trap '' TERM\nprintf partial > \"$out\"\n"
                                        "while :; do sleep 0.05; done\n");
    QTest::newRow("one at a time") << 1 << plain;
    QTest::newRow("two at once") << 2 << plain;
    QTest::newRow("two at once, deaf to terminate") << 2 << deaf;
}

// The second cancel of a run stops the running encoders at once: their
// temporaries go, their sources stay (though sources are to be deleted),
// their lines stay unchecked and say why, no other job starts, and the run
// ends through its end step, saying it was stopped.
void TstParallelRun::secondCancelStopsEncoders()
{
    QFETCH(int, slots);
    QFETCH(QString, body);

    m_settings.ParallelJobs = quint32(slots);
    m_settings.DeleteAfterProcess = true;
    AddJobs(QStringLiteral("----"));
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetStopGrace(200ms);
    run.SetEncoderProgram(WriteScript(body));
    QSignalSpy finished(&run, &TBatchRun::Finished);
    run.Start();
    // Every running encoder has written into its temporary.
    QTRY_VERIFY([&] {
        const QStringList temps = Temporaries();
        return Starts().size() == slots && temps.size() == slots
               && std::all_of(temps.begin(), temps.end(), [&](const QString& t) {
                      return QFileInfo(m_dir->filePath(QStringLiteral("out/") + t)).size() > 0;
                  });
    }());

    run.Cancel();
    QVERIFY(run.IsRunning());
    run.Cancel();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);

    // One at a time the first cancel shows nothing; with more, it tells
    // what the run waits for.
    // The end says the run was stopped and how many jobs were cut off.
    QStringList expected = Expand(slots == 1 ? QStringLiteral("P0") : QStringLiteral("P0 P1"));
    expected << TBatchRun::StoppedText(slots);
    if (slots > 1)
        expected.insert(slots, TBatchRun::WaitingText());
    QCOMPARE(m_view->statuses, expected);
    QCOMPARE(Starts().size(), slots);
    QCOMPARE(m_view->Lines(), QStringLiteral("----"));
    QVERIFY(m_view->failures.isEmpty());
    for (int k = 0; k < 4; ++k) {
        QVERIFY(QFile::exists(Source(k)));
        QVERIFY(!QFile::exists(Output(k)));
        QCOMPARE(m_view->skipped.value(m_queue->Items(k)),
                 k < slots ? TBatchRun::StoppedReason() : QString());
    }
    QVERIFY2(Temporaries().isEmpty(), qPrintable(Temporaries().join(u' ')));
}

void TstParallelRun::failures_data()
{
    QTest::addColumn<QString>("program"); // "script" or a missing path
    QTest::addColumn<QString>("lines");   // after the run
    QTest::addColumn<QString>("reason");  // of each failed line
    QTest::addColumn<int>("messages");

    QTest::newRow("one job fails") << "script" << "x-xx" << "Код завершения 1" << 0;
    QTest::newRow("encoder missing") << "absent-lame" << "----" << "ERROR_FILE_NOT_FOUND" << 4;
}

// Per job the rules of one at a time hold: a failure marks its own line
// and keeps its source, done jobs lose theirs, the errors are counted.
void TstParallelRun::failures()
{
    QFETCH(QString, program);
    QFETCH(QString, lines);
    QFETCH(QString, reason);
    QFETCH(int, messages);

    m_settings.ParallelJobs = 2;
    m_settings.DeleteAfterProcess = true;
    m_settings.DeleteFromQueue = false;
    AddJobs(QStringLiteral("----"));
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetEncoderProgram(program == u"script"
                              ? WriteScript(QStringLiteral("case \"$in\" in *job1*) exit 1;; esac\n")
                                            + QString::fromLatin1(kOkBody))
                              : m_dir->filePath(program));
    RUN_TO_END(run);

    QCOMPARE(m_view->Lines(), lines);
    QCOMPARE(m_view->errors, QStringList(messages, reason));
    const int failed = int(lines.count(u'-'));
    QCOMPARE(m_view->statuses.last(), QStringLiteral("Готово. Ошибок: %1").arg(failed));
    for (int k = 0; k < 4; ++k) {
        const bool done = lines[k] == u'x';
        QCOMPARE(m_view->Failure(k), done ? QString() : reason);
        QCOMPARE(QFile::exists(Source(k)), !done);
        QCOMPARE(QFile::exists(Output(k)), done);
    }
    QVERIFY(Temporaries().isEmpty());
}

// An output folder that cannot be made ends the run as it does one at a
// time: no job starts after it, the running ones finish.
void TstParallelRun::folderFailureStartsNoMore()
{
    QVERIFY(TestUtil::WriteFile(m_dir->filePath(QStringLiteral("out/blocker"))));
    m_settings.ParallelJobs = 2;
    m_settings.DeleteFromQueue = false;
    m_settings.CreateSubFolders = true;
    m_settings.ArtistFolderFormat = QStringLiteral("%2");
    m_settings.AlbumFolderFormat = QStringLiteral("%3");
    AddJobs(QStringLiteral("----"));
    for (int k = 0; k < 4; ++k)
        m_queue->Items(k)->SetArtist(k == 2 ? QStringLiteral("blocker") : QStringLiteral("fine"));
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetEncoderProgram(WriteScript(TimedScript({"0", "0.3", "0", "0"})));
    RUN_TO_END(run);

    const QString text = QStringLiteral("Не удалось создать папку: ") + m_settings.TargetDirectory
                         + QStringLiteral("blocker//");
    QCOMPARE(m_view->statuses, Expand(QStringLiteral("P0 P1 P2")) << text);
    QCOMPARE(m_view->Lines(), QStringLiteral("xx--"));
    QCOMPARE(m_view->Failure(2), text);
    QCOMPARE(Starts().size(), 2);
}

// Each running line shows its own percent, the queue as a whole "i из n"
// with the sum of the running percents; no countdown between jobs.
void TstParallelRun::progressOnLinesAndQueue()
{
    m_settings.ParallelJobs = 2;
    m_settings.DeleteFromQueue = false;
    AddJobs(QStringLiteral("-x--"));
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetEncoderProgram(WriteScript(QString::fromLatin1(kOkBody)));
    RUN_TO_END(run);

    QCOMPARE(m_view->statuses, Expand(QStringLiteral("P0 P2 P3 D")));
    for (int k : {0, 2, 3}) {
        QStringList seen;
        for (const QString& entry : std::as_const(m_view->lineProgress)) {
            if (entry.startsWith(Source(k) + u':'))
                seen << entry.mid(Source(k).size() + 1);
        }
        QCOMPARE(seen, (QStringList{"0", "50", "100", "-1"}));
    }
    QVERIFY(!m_view->lineProgress.contains(Source(1) + QStringLiteral(":0")));
    // Three jobs in the run: the last one started is 3 of 3, and the run ends at 100%.
    QVERIFY2(m_view->progress.contains(QStringLiteral("2/3:100")), qPrintable(m_view->progress.join(u' ')));
    for (const QString& p : std::as_const(m_view->progress)) {
        const int percent = p.section(u':', 1).toInt();
        QVERIFY2(percent <= 100 && (p.startsWith(u"-1/") || p.section(u'/', 1).startsWith(u"3:")),
                 qPrintable(p));
    }
    QCOMPARE(m_view->progress.last(), QStringLiteral("-1/4:-1"));
}

// With sources whose length the WAV header tells, the run estimates its
// time left once it has encoded some audio, and takes the estimate away
// when it ends.
void TstParallelRun::timeLeftShownDuringRun()
{
    m_settings.PauseBetweenJobs = 0;
    for (int k = 0; k < 4; ++k) {
        QVERIFY(TestUtil::WriteWav(Source(k), 2.0, 8000, 1));
        m_queue->Add()->SetInputFile(Source(k));
    }
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetEncoderProgram(WriteScript(TimedScript({"0.5", "0.5", "0.5", "0.5"})));
    RUN_TO_END(run);

    QCOMPARE(m_view->statuses, Expand(QStringLiteral("P0 P1 P2 P3 D")));
    QVERIFY(!m_view->timeLeft.isEmpty());
    QCOMPARE(m_view->timeLeft.last(), -1);
    const bool estimated = std::any_of(m_view->timeLeft.begin(), m_view->timeLeft.end(),
                                       [](int s) { return s >= 0 && s < 60; });
    QVERIFY2(estimated, qPrintable(QString::number(m_view->timeLeft.size())));
}

QTEST_GUILESS_MAIN(TstParallelRun)
#include "tst_parallelrun.moc"
