#include "batchrun.h"
#include "programsettings.h"
#include "queue.h"
#include "recordingview.h"
#include "runfixture.h"
#include "testutil.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace std::chrono_literals;

// The run's order, texts, pause, cancel and failure handling, driven with
// small shell scripts in place of lame. Every script logs its arguments.
class TstBatchRun final : public QObject, private TRunFixture
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void emptyQueueDoesNothing();
    void order_data();
    void order();
    void failures_data();
    void failures();
    void uncreatableFolderEndsRun();
    void folderFailureKeepsEarlierErrors();
    void deleteAfterProcessOnlyForDoneJobs();
    void modeSwitchedDuringPause();
    void queueChangedDuringPause();
    void pauseTakesSixSteps();
    void pauseSetting_data();
    void pauseSetting();
    void secondRunStartsAfresh_data();
    void secondRunStartsAfresh();
};

void TstBatchRun::init()
{
    Reset();
}

void TstBatchRun::emptyQueueDoesNothing()
{
    TBatchRun run(*m_queue, m_settings, *m_view);
    QSignalSpy finished(&run, &TBatchRun::Finished);
    run.Cancel();
    run.Start();
    QVERIFY(!run.IsRunning());
    QVERIFY(run.CancelRequested()); // nothing ran, so nothing cleared it
    QCOMPARE(finished.count(), 0);
    QVERIFY(m_view->statuses.isEmpty());
    QVERIFY(m_view->progress.isEmpty());
}

void TstBatchRun::order_data()
{
    QTest::addColumn<QString>("lines");
    QTest::addColumn<int>("cancelAt"); // line whose encoder is running when the user cancels
    QTest::addColumn<bool>("deleteFromQueue");
    QTest::addColumn<QString>("statuses");
    QTest::addColumn<QString>("started"); // jobs whose encoder ran
    QTest::addColumn<QString>("linesAfter");

    QTest::newRow("all checked") << "xxx" << -1 << true << "D" << "" << "";
    QTest::newRow("all checked, kept") << "xxx" << -1 << false << "D" << "" << "xxx";
    QTest::newRow("single job last") << "xx-" << -1 << true << "P2 D" << "2" << "";
    QTest::newRow("job followed only by checked lines") << "-xx" << -1 << true << "P0 W D" << "0"
                                                        << "";
    QTest::newRow("skips checked, removes all processed") << "-x-" << -1 << true << "P0 W P2 D"
                                                          << "02" << "";
    QTest::newRow("DeleteFromQueue off") << "-x-" << -1 << false << "P0 W P2 D" << "02" << "xxx";
    QTest::newRow("cancel during job 2 of 5") << "-----" << 1 << false << "P0 W P1 W3 D" << "01"
                                              << "xx---";
    QTest::newRow("cancel during the last job") << "--" << 1 << false << "P0 W P1 D" << "01"
                                                << "xx";
}

void TstBatchRun::order()
{
    QFETCH(QString, lines);
    QFETCH(int, cancelAt);
    QFETCH(bool, deleteFromQueue);
    QFETCH(QString, statuses);
    QFETCH(QString, started);
    QFETCH(QString, linesAfter);

    m_settings.DeleteFromQueue = deleteFromQueue;
    AddJobs(lines);
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetPauseStep(0ms);
    run.SetEncoderProgram(WriteScript(QString::fromLatin1(kOkBody)));
    // The encoder has been started when its line shows 0%.
    m_view->onLineProgress = [&](int line, int percent) {
        if (line == cancelAt && percent == 0)
            run.Cancel();
    };
    RUN_TO_END(run);

    QCOMPARE(m_view->statuses, Expand(statuses));
    const QStringList starts = Starts();
    QCOMPARE(starts.size(), started.size());
    for (int i = 0; i < started.size(); ++i) {
        const int k = started[i].digitValue();
        QVERIFY2(WritesInto(starts[i], Source(k), Output(k)), qPrintable(starts[i]));
    }
    QCOMPARE(m_view->Lines(), linesAfter);
    QVERIFY(m_view->errors.isEmpty());
    QVERIFY(m_view->failures.isEmpty());
    for (QChar k : started) {
        QCOMPARE(TestUtil::ReadFile(Output(k.digitValue())), QByteArray("mp3"));
        // Its line showed its percent while it ran, and shows none after.
        const QStringList own = m_view->lineProgress.filter(Source(k.digitValue()) + u':');
        QVERIFY2(own.size() >= 3 && own.first().endsWith(QStringLiteral(":0"))
                     && own.contains(Source(k.digitValue()) + QStringLiteral(":100"))
                     && own.last().endsWith(QStringLiteral(":-1")),
                 qPrintable(own.join(u' ')));
    }
    // The bar measures the run's jobs (the lines unchecked at the start): it
    // never goes back, and it is full only once all of them have ended.
    const int runJobs = int(lines.count(u'-'));
    int last = 0;
    for (int i = 0; i + 1 < m_view->progress.size(); ++i) {
        const QString& p = m_view->progress[i];
        const int percent = p.section(u':', 1).toInt();
        QVERIFY2(p.section(u'/', 1).startsWith(QString::number(runJobs) + u':'), qPrintable(p));
        QVERIFY2(percent >= last && percent <= 100, qPrintable(m_view->progress.join(u' ')));
        QVERIFY2(percent < 100 || i + 2 == m_view->progress.size(),
                 qPrintable(m_view->progress.join(u' ')));
        last = percent;
    }
    QCOMPARE(m_view->progress.last(), QStringLiteral("-1/%1:-1").arg(linesAfter.size()));

    // The next run starts afresh after a cancel and does what is left.
    if (cancelAt >= 0) {
        m_view->onProgress = nullptr;
        RUN_TO_END(run);
        QVERIFY(!run.CancelRequested());
        QCOMPARE(m_view->Lines(), QString(lines.size(), u'x'));
        QCOMPARE(Starts().size(), lines.size());
    }
}

void TstBatchRun::failures_data()
{
    QTest::addColumn<QString>("program"); // "script", "plain file", "bad interpreter" or a path
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("messageBox");

    QTest::newRow("encoder missing") << "absent-lame" << "" << "ERROR_FILE_NOT_FOUND" << true;
    QTest::newRow("encoder folder missing") << "nodir/lame" << "" << "ERROR_PATH_NOT_FOUND" << true;
    QTest::newRow("encoder not executable") << "plain file" << QString::fromLatin1(kOkBody)
                                            << "ERROR_ACCESS_DENIED" << true;
    // Found and executable, yet exec fails: the name comes from the system's error.
    QTest::newRow("interpreter missing") << "bad interpreter" << "" << "ERROR_FILE_NOT_FOUND"
                                         << true;
    QTest::newRow("exit status 1") << "script" << "echo \"Can't init infile\" >&2\nexit 1\n"
                                   << "Код завершения 1: Can't init infile" << false;
    QTest::newRow("exit status 1 after writing") << "script" << "printf x > \"$out\"\nexit 1\n"
                                                 << "Код завершения 1" << false;
    QTest::newRow("killed by a signal") << "script" << "echo working\nkill -9 $$\n"
                                        << "Кодировщик завершился аварийно: working" << false;
    QTest::newRow("exit 0 without output") << "script" << "exit 0\n"
                                           << "Кодировщик не создал файл назначения" << false;
    QTest::newRow("exit 0 with empty output") << "script" << ": > \"$out\"\n"
                                              << "Кодировщик не создал файл назначения" << false;
}

// Each failure leaves the job as it was: unchecked, its source kept (even with
// DeleteAfterProcess), still in the queue (even with DeleteFromQueue), no
// output of its own left behind; and the run goes on to the next job.
void TstBatchRun::failures()
{
    QFETCH(QString, program);
    QFETCH(QString, body);
    QFETCH(QString, reason);
    QFETCH(bool, messageBox);

    m_settings.DeleteAfterProcess = true;
    AddJobs(QStringLiteral("-x--"));
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetPauseStep(0ms);
    if (program == u"script" || program == u"plain file") {
        run.SetEncoderProgram(WriteScript(body, program == u"script"));
    } else if (program == u"bad interpreter") {
        const QString path = m_dir->filePath(QStringLiteral("bad-lame"));
        QVERIFY(TestUtil::WriteFile(path, "#!/nonexistent/sh\n"));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
        run.SetEncoderProgram(path);
    } else {
        run.SetEncoderProgram(m_dir->filePath(program));
    }
    RUN_TO_END(run);

    QCOMPARE(m_view->statuses, Expand(QStringLiteral("P0 W P2 W P3 E3")));
    QCOMPARE(m_view->Lines(), QStringLiteral("---"));
    QCOMPARE(m_view->errors, messageBox ? QStringList(3, reason) : QStringList());
    for (int line = 0; line < 3; ++line)
        QCOMPARE(m_view->Failure(line), reason);
    QCOMPARE(Starts().size(), program == u"script" ? 3 : 0);
    for (int k : {0, 2, 3}) {
        QVERIFY(QFile::exists(Source(k)));
        QVERIFY(!QFile::exists(Output(k)));
    }
    QVERIFY2(Temporaries().isEmpty(), qPrintable(Temporaries().join(u' ')));

    // The next run retries exactly the failed jobs; a success clears the mark.
    run.SetEncoderProgram(WriteScript(QString::fromLatin1(kOkBody)));
    RUN_TO_END(run);
    QCOMPARE(m_queue->Count(), 0);
    QVERIFY(m_view->failures.isEmpty());
    QCOMPARE(m_view->statuses.last(), QStringLiteral("Готово"));
}

void TstBatchRun::uncreatableFolderEndsRun()
{
    QVERIFY(TestUtil::WriteFile(m_dir->filePath(QStringLiteral("blocker"))));
    m_settings.TargetDirectory = m_dir->filePath(QStringLiteral("blocker/out"));
    AddJobs(QStringLiteral("x--"));
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetPauseStep(0ms);
    run.SetEncoderProgram(WriteScript(QString::fromLatin1(kOkBody)));
    RUN_TO_END(run);

    const QString text = QStringLiteral("Не удалось создать папку: ") + m_settings.TargetDirectory
                         + u'/';
    QCOMPARE(m_view->statuses, QStringList() << Expand(QStringLiteral("P1")) << text);
    QVERIFY(Starts().isEmpty());
    // The end step still ran: the checked line went, the others stay unchecked.
    QCOMPARE(m_view->Lines(), QStringLiteral("--"));
    QCOMPARE(m_view->Failure(0), text);
}

void TstBatchRun::folderFailureKeepsEarlierErrors()
{
    // job0 fails in the encoder; job1's artist folder is a file.
    QVERIFY(TestUtil::WriteFile(m_dir->filePath(QStringLiteral("out/blocker"))));
    m_settings.CreateSubFolders = true;
    m_settings.ArtistFolderFormat = QStringLiteral("%2");
    m_settings.AlbumFolderFormat = QStringLiteral("%3");
    AddJobs(QStringLiteral("--"));
    m_queue->Items(0)->SetArtist(QStringLiteral("fine"));
    m_queue->Items(1)->SetArtist(QStringLiteral("blocker"));
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetPauseStep(0ms);
    run.SetEncoderProgram(WriteScript(QStringLiteral("case \"$*\" in *job0*) exit 1;; esac\n")
                                      + QString::fromLatin1(kOkBody)));
    RUN_TO_END(run);

    // The empty album adds an empty level: ".../blocker//".
    QCOMPARE(m_view->statuses.last(), QStringLiteral("Не удалось создать папку: ")
                                          + m_settings.TargetDirectory
                                          + QStringLiteral("blocker//. Ошибок: 1"));
}

void TstBatchRun::deleteAfterProcessOnlyForDoneJobs()
{
    m_settings.DeleteAfterProcess = true;
    m_settings.DeleteFromQueue = false;
    AddJobs(QStringLiteral("--"));
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetPauseStep(0ms);
    // job0 succeeds, job1 fails
    run.SetEncoderProgram(WriteScript(QStringLiteral("case \"$in\" in *job1*) exit 2;; esac\n")
                                      + QString::fromLatin1(kOkBody)));
    RUN_TO_END(run);

    QCOMPARE(m_view->Lines(), QStringLiteral("x-"));
    QVERIFY(!QFile::exists(Source(0)));
    QVERIFY(QFile::exists(Source(1)));
    QCOMPARE(m_view->statuses.last(), QStringLiteral("Готово. Ошибок: 1"));
}

void TstBatchRun::modeSwitchedDuringPause()
{
    m_settings.DeleteFromQueue = false;
    AddJobs(QStringLiteral("--"));
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetPauseStep(0ms);
    run.SetEncoderProgram(WriteScript(QString::fromLatin1(kOkBody)));
    m_view->onStatus = [this](const QString& text) {
        if (text == u"Ожидание отмены... 2")
            m_view->mode = 1;
    };
    RUN_TO_END(run);

    const QStringList starts = Starts();
    QCOMPARE(starts.size(), 2);
    QVERIFY(starts[0].startsWith(u"-m "));
    QVERIFY(WritesInto(starts[0], Source(0), Output(0)));
    QVERIFY(starts[1].startsWith(QStringLiteral("--decode %1 ").arg(Source(1))));
    QVERIFY(WritesInto(starts[1], Source(1), Output(1)));
    QCOMPARE(m_queue->Items(1)->OutputFile(), m_dir->filePath(QStringLiteral("out/job1.wav")));
    QCOMPARE(TestUtil::ReadFile(m_queue->Items(1)->OutputFile()), QByteArray("mp3"));
    QCOMPARE(m_view->Lines(), QStringLiteral("xx"));
}

// Lines deleted, added and moved while the run waits, and a second start:
// the run finishes the jobs it began with that still exist, marks the right
// lines, and runs only once.
void TstBatchRun::queueChangedDuringPause()
{
    m_settings.DeleteFromQueue = false;
    AddJobs(QStringLiteral("----"));
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetPauseStep(0ms);
    run.SetEncoderProgram(WriteScript(QString::fromLatin1(kOkBody)));
    bool changed = false;
    m_view->onStatus = [&](const QString& text) {
        if (changed || text != u"Ожидание отмены... 2")
            return;
        changed = true;
        run.Start();
        m_view->Delete(1);          // job1 goes
        m_queue->Move(2, 0);        // job3 moves to the top: job3 job0 job2
        TQueueItem* added = m_queue->Add();
        QVERIFY(TestUtil::WriteFile(m_dir->filePath(QStringLiteral("src/new.wav"))));
        added->SetInputFile(m_dir->filePath(QStringLiteral("src/new.wav")));
    };
    RUN_TO_END(run);

    QVERIFY(changed);
    QCOMPARE(m_view->statuses, Expand(QStringLiteral("P0 W P2 W P3 D")));
    QCOMPARE(Starts().size(), 3);
    QCOMPARE(m_view->Lines(), QStringLiteral("xxx-")); // job3 job0 job2 new
    QCOMPARE(m_queue->Items(3)->InputFile(), m_dir->filePath(QStringLiteral("src/new.wav")));
}

void TstBatchRun::pauseTakesSixSteps()
{
    AddJobs(QStringLiteral("--"));
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetPauseStep(40ms);
    run.SetEncoderProgram(WriteScript(QString::fromLatin1(kOkBody)));
    QElapsedTimer pauseClock;
    qint64 pause = -1;
    m_view->onStatus = [&](const QString& text) {
        if (text == u"Ожидание отмены... 3")
            pauseClock.start();
        else if (text.startsWith(u"Обрабатывается: ") && pauseClock.isValid())
            pause = pauseClock.elapsed();
    };
    RUN_TO_END(run);

    QCOMPARE(m_view->statuses, Expand(QStringLiteral("P0 W P1 D")));
    QVERIFY2(pause >= 6 * 40, qPrintable(QString::number(pause)));
}

void TstBatchRun::pauseSetting_data()
{
    QTest::addColumn<int>("parallel");
    QTest::addColumn<int>("pause");
    QTest::addColumn<QStringList>("counts"); // the countdown after job 0

    QTest::newRow("no pause") << 1 << 0 << QStringList();
    QTest::newRow("one second") << 1 << 1 << QStringList{"Ожидание отмены... 1"};
    QTest::newRow("two seconds") << 1 << 2
                                 << QStringList{"Ожидание отмены... 2", "Ожидание отмены... 1"};
    QTest::newRow("three seconds") << 1 << 3 << Expand(QStringLiteral("W"));
    QTest::newRow("two at once: no countdown") << 2 << 3 << QStringList();
}

// "Pause between jobs" counts down from its seconds when jobs run one at a
// time; 0 goes straight on, and jobs run at once have no pause at all.
void TstBatchRun::pauseSetting()
{
    QFETCH(int, parallel);
    QFETCH(int, pause);
    QFETCH(QStringList, counts);

    m_settings.ParallelJobs = quint32(parallel);
    m_settings.PauseBetweenJobs = quint32(pause);
    AddJobs(QStringLiteral("-x-"));
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetPauseStep(0ms);
    run.SetEncoderProgram(WriteScript(QString::fromLatin1(kOkBody)));
    RUN_TO_END(run);

    QCOMPARE(m_view->statuses,
             Expand(QStringLiteral("P0")) << counts << Expand(QStringLiteral("P2 D")));
    QCOMPARE(Starts().size(), 2);
    QCOMPARE(m_queue->Count(), 0);
}

void TstBatchRun::secondRunStartsAfresh_data()
{
    QTest::addColumn<int>("cancels"); // pressed while the first run's first job waits
    QTest::newRow("after a finished run") << 0;
    QTest::newRow("after a cancelled run") << 1;
    QTest::newRow("after a stopped run") << 2;
}

// The window keeps one run object: a second run on it starts as if it were
// the first, however the first one ended. Its position counts from the
// start, it pauses after every job but the last, the jobs it has ahead are
// its own, and it names its outputs anew (overwriting is chosen, so the
// names are those of the first run, not numbered after them).
void TstBatchRun::secondRunStartsAfresh()
{
    QFETCH(int, cancels);
    const QString lame = RealLame();
    if (lame.isEmpty())
        QSKIP("lame is not installed");

    m_settings.DeleteFromQueue = false;
    m_settings.ExistingOutput = TExistingOutput::Overwrite;
    AddJobs(QStringLiteral("---"), true);
    const QString hold = m_dir->filePath(QStringLiteral("hold"));
    QVERIFY(TestUtil::WriteFile(hold));
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetPauseStep(0ms);
    run.SetStopGrace(200ms);
    run.SetEncoderProgram(WriteScript(QStringLiteral("while [ -e '%1' ]; do sleep 0.02; done\n"
                                                     "exec '%2' --quiet \"$@\"\n")
                                          .arg(hold, lame)));
    {
        QSignalSpy finished(&run, &TBatchRun::Finished);
        run.Start();
        QTRY_COMPARE(Starts().size(), 1);
        for (int i = 0; i < cancels; ++i)
            run.Cancel();
        QVERIFY(QFile::remove(hold));
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
    }
    const QString firstLines[] = {QStringLiteral("xxx"), QStringLiteral("x--"),
                                  QStringLiteral("---")};
    QCOMPARE(m_view->Lines(), firstLines[cancels]);

    // The user clears the marks and starts again.
    m_view->checked.clear();
    m_view->statuses.clear();
    m_view->progress.clear();
    std::vector<const TQueueItem*> ahead;
    m_view->onLineProgress = [&](int line, int percent) {
        if (line == 0 && percent == 0)
            ahead = run.JobsAhead();
    };
    RUN_TO_END(run);

    QCOMPARE(m_view->statuses, Expand(QStringLiteral("P0 W P1 W P2 D")));
    QCOMPARE(m_view->progress.value(0), QStringLiteral("0/3:0"));
    for (const QString& p : std::as_const(m_view->progress)) {
        const int position = p.section(u'/', 0, 0).toInt();
        QVERIFY2(position < 3 && p.section(u'/', 1).startsWith(QStringLiteral("3:")),
                 qPrintable(m_view->progress.join(u' ')));
    }
    QCOMPARE(ahead, (std::vector<const TQueueItem*>{m_queue->Items(1), m_queue->Items(2)}));
    QCOMPARE(m_view->Lines(), QStringLiteral("xxx"));
    QVERIFY(m_view->failures.isEmpty());
    for (int k = 0; k < 3; ++k) {
        QCOMPARE(m_queue->Items(k)->OutputFile(), Output(k));
        QVERIFY(QFileInfo(Output(k)).size() > 0);
    }
    QVERIFY(Temporaries().isEmpty());
}

QTEST_GUILESS_MAIN(TstBatchRun)
#include "tst_batchrun.moc"
