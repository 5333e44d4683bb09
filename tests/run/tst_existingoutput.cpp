#include "batchrun.h"
#include "heldfile.h"
#include "runfixture.h"
#include "tempoutput.h"

#include <QTest>

using namespace std::chrono_literals;

// Outputs through temporaries: what a job may do to a file at its final
// name (never anything unless done, and replace it only when the user chose
// so), what the choices for existing files do, and temporaries left behind.
class TstExistingOutput final : public QObject, private TRunFixture
{
    Q_OBJECT
private Q_SLOTS:
    void init() { Reset(); }
    void clashInsideRunKeepsEveryOutput();
    void failedJobKeepsExistingOutput_data();
    void failedJobKeepsExistingOutput();
    void existingOutput_data();
    void existingOutput();
    void commitRefused_data();
    void commitRefused();
    void staleTemporariesRemoved();
    void destroyedDuringJob();
    void outputOverSource_data();
    void outputOverSource();
};

// Two sources of one name from two folders, sources deleted after the run:
// each job gets a file of its own, so no source goes without its output.
// Overwriting is chosen, but for files from before the run, not for those
// the run itself writes.
void TstExistingOutput::clashInsideRunKeepsEveryOutput()
{
    m_settings.DeleteAfterProcess = true;
    m_settings.ExistingOutput = TExistingOutput::Overwrite;
    const QStringList sources = {m_dir->filePath(QStringLiteral("CD1/Track01.wav")),
                                 m_dir->filePath(QStringLiteral("CD2/Track01.wav"))};
    for (const QString& source : sources) {
        QVERIFY(TestUtil::WriteFile(source, source.toUtf8()));
        m_queue->Add()->SetInputFile(source);
    }
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetPauseStep(0ms);
    run.SetEncoderProgram(WriteScript(QStringLiteral("cat \"$in\" > \"$out\"\n")));
    RUN_TO_END(run);

    QCOMPARE(m_view->statuses.last(), QStringLiteral("Готово"));
    QCOMPARE(m_queue->Count(), 0);
    const QString out = m_dir->filePath(QStringLiteral("out/"));
    QCOMPARE(TestUtil::ReadFile(out + QStringLiteral("Track01.mp3")), sources[0].toUtf8());
    QCOMPARE(TestUtil::ReadFile(out + QStringLiteral("Track01 (2).mp3")), sources[1].toUtf8());
    for (const QString& source : sources)
        QVERIFY(!QFile::exists(source));
}

void TstExistingOutput::failedJobKeepsExistingOutput_data()
{
    QTest::addColumn<int>("existing");
    QTest::addColumn<QString>("body");
    QTest::newRow("overwrite, exit 1 after writing") << int(TExistingOutput::Overwrite)
                                                     << "printf new > \"$out\"\nexit 1\n";
    QTest::newRow("overwrite, killed after writing") << int(TExistingOutput::Overwrite)
                                                     << "printf new > \"$out\"\nkill -9 $$\n";
    QTest::newRow("overwrite, exit 0, nothing written") << int(TExistingOutput::Overwrite)
                                                        << "exit 0\n";
    QTest::newRow("keep both, exit 1") << int(TExistingOutput::KeepBoth)
                                       << "printf new > \"$out\"\nexit 1\n";
}

// An earlier result at the final name stays byte for byte whatever the
// failure, even when the user chose to overwrite it.
void TstExistingOutput::failedJobKeepsExistingOutput()
{
    QFETCH(int, existing);
    QFETCH(QString, body);
    m_settings.ExistingOutput = TExistingOutput(existing);
    AddJobs(QStringLiteral("-"));
    const QByteArray earlier("earlier result \0\xff", 17);
    QVERIFY(TestUtil::WriteFile(Output(0), earlier));
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetPauseStep(0ms);
    run.SetEncoderProgram(WriteScript(body));
    RUN_TO_END(run);

    QCOMPARE(m_view->Lines(), QStringLiteral("-"));
    QCOMPARE(TestUtil::ReadFile(Output(0)), earlier);
    QCOMPARE(QDir(m_dir->filePath(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("job0.mp3")});
}

void TstExistingOutput::existingOutput_data()
{
    QTest::addColumn<int>("setting");
    QTest::addColumn<int>("answer"); // given to Start(); Ask gives none
    QTest::addColumn<QString>("statuses");
    QTest::addColumn<QString>("linesAfter");
    QTest::addColumn<QString>("job0");     // content of out/job0.mp3 afterwards
    QTest::addColumn<QString>("job0Copy"); // content of out/job0 (2).mp3, or empty when absent

    const int ask = int(TExistingOutput::Ask), overwrite = int(TExistingOutput::Overwrite),
              skip = int(TExistingOutput::Skip), both = int(TExistingOutput::KeepBoth);
    QTest::newRow("setting overwrite") << overwrite << ask << "P0 W P1 D" << "xx" << "mp3" << "";
    QTest::newRow("answer overwrite") << ask << overwrite << "P0 W P1 D" << "xx" << "mp3" << "";
    QTest::newRow("setting skip") << skip << ask << "P1 D" << "-x" << "earlier" << "";
    QTest::newRow("answer skip") << ask << skip << "P1 D" << "-x" << "earlier" << "";
    QTest::newRow("setting keep both") << both << ask << "P0 W P1 D" << "xx" << "earlier" << "mp3";
    QTest::newRow("answer keep both") << ask << both << "P0 W P1 D" << "xx" << "earlier" << "mp3";
    QTest::newRow("ask, no answer: nothing is overwritten") << ask << ask << "P0 W P1 D" << "xx"
                                                            << "earlier" << "mp3";
    QTest::newRow("the answer wins over the setting") << overwrite << skip << "P1 D" << "-x"
                                                      << "earlier" << "";
}

// job0's output exists from an earlier run, job1's does not. A skipped job
// is no failure: it stays unchecked with its own mark, and the end text has
// no error count.
void TstExistingOutput::existingOutput()
{
    QFETCH(int, setting);
    QFETCH(int, answer);
    QFETCH(QString, statuses);
    QFETCH(QString, linesAfter);
    QFETCH(QString, job0);
    QFETCH(QString, job0Copy);

    m_settings.ExistingOutput = TExistingOutput(setting);
    m_settings.DeleteFromQueue = false;
    m_settings.DeleteAfterProcess = true;
    AddJobs(QStringLiteral("--"));
    QVERIFY(TestUtil::WriteFile(Output(0), "earlier"));
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetPauseStep(0ms);
    run.SetEncoderProgram(WriteScript(QString::fromLatin1(kOkBody)));
    QSignalSpy finished(&run, &TBatchRun::Finished);
    run.Start(TExistingOutput(answer));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);

    QCOMPARE(m_view->statuses, Expand(statuses));
    QCOMPARE(m_view->Lines(), linesAfter);
    QVERIFY(m_view->failures.isEmpty());
    QCOMPARE(TestUtil::ReadFile(Output(0)), job0.toUtf8());
    const QString copy = m_dir->filePath(QStringLiteral("out/job0 (2).mp3"));
    QCOMPARE(TestUtil::ReadFile(copy), job0Copy.toUtf8());
    QCOMPARE(m_queue->Items(0)->OutputFile(), job0Copy.isEmpty() ? Output(0) : copy);
    const bool skipped = linesAfter[0] == u'-';
    QCOMPARE(m_view->skipped.value(m_queue->Items(0)),
             skipped ? TBatchRun::SkippedReason() : QString());
    QCOMPARE(QFile::exists(Source(0)), skipped); // a skipped job keeps its source
    QCOMPARE(TestUtil::ReadFile(Output(1)), QByteArray("mp3"));
    QVERIFY(Temporaries().isEmpty());
}

void TstExistingOutput::commitRefused_data()
{
    QTest::addColumn<int>("existing");
    QTest::addColumn<QString>("obstacle"); // what another program puts at the final name

    // Nothing is at the name when the job starts, so it is not to replace anything.
    QTest::newRow("keep both, a file written there meanwhile") << int(TExistingOutput::KeepBoth)
                                                              << "file";
    // The file the user chose to overwrite is now a folder: the rename fails.
    QTest::newRow("overwrite, a folder there meanwhile") << int(TExistingOutput::Overwrite)
                                                         << "folder";
}

// While lame works, another program takes the job's final name. The output
// cannot take its name, so the job is not done: it fails with a reason,
// its line stays unchecked, its source stays though sources are to be
// deleted, what the other program put there stays, and no temporary is left.
void TstExistingOutput::commitRefused()
{
    QFETCH(int, existing);
    QFETCH(QString, obstacle);
    const QString lame = RealLame();
    if (lame.isEmpty())
        QSKIP("lame is not installed");

    m_settings.ExistingOutput = TExistingOutput(existing);
    m_settings.DeleteAfterProcess = true;
    AddJobs(QStringLiteral("-"), true);
    const QString final = Output(0);
    if (obstacle == u"folder")
        QVERIFY(TestUtil::WriteFile(final, "earlier"));
    const QString takeName = obstacle == u"file"
        ? QStringLiteral("printf other > '%1'\n").arg(final)
        : QStringLiteral("rm '%1' && mkdir '%1' && printf other > '%1/kept'\n").arg(final);
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetEncoderProgram(
        WriteScript(QStringLiteral("'%1' --quiet \"$@\" || exit\n").arg(lame) + takeName));
    RUN_TO_END(run);

    QCOMPARE(Starts().size(), 1);
    QCOMPARE(m_view->Lines(), QStringLiteral("-"));
    QVERIFY(!m_view->Failure(0).isEmpty());
    QVERIFY(QFile::exists(Source(0)));
    if (obstacle == u"file")
        QCOMPARE(TestUtil::ReadFile(final), QByteArray("other"));
    else
        QCOMPARE(TestUtil::ReadFile(final + QStringLiteral("/kept")), QByteArray("other"));
    QCOMPARE(QDir(m_dir->filePath(QStringLiteral("out")))
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("job0.mp3")});
}

// Temporaries nobody holds any more (a crash, a power cut) go when a run
// next writes into their folder; one another process still holds, files
// that only look alike, and other folders are left alone.
void TstExistingOutput::staleTemporariesRemoved()
{
    const QString out = m_dir->filePath(QStringLiteral("out/"));
    const QString other = m_dir->filePath(QStringLiteral("other/"));
    const QString stale = QStringLiteral(".tessary-0123456789abcdef.part");
    const QString held = QStringLiteral(".tessary-fedcba9876543210.part");
    const QStringList lookalikes = {QStringLiteral(".tessary-0123.part"),
                                    QStringLiteral("tessary-0123456789abcdef.part"),
                                    QStringLiteral(".tessary-0123456789abcdef.part.mp3")};
    QVERIFY(TestUtil::WriteFile(out + stale, "half"));
    QVERIFY(TestUtil::WriteFile(other + stale, "half"));
    for (const QString& name : lookalikes)
        QVERIFY(TestUtil::WriteFile(out + name, "mine"));
    THeldFile holder;
    QVERIFY(holder.Create(out + held));
    QVERIFY(TTempOutput::IsTempName(stale) && TTempOutput::IsTempName(held));

    AddJobs(QStringLiteral("-"));
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetEncoderProgram(WriteScript(QString::fromLatin1(kOkBody)));
    RUN_TO_END(run);

    QCOMPARE(m_view->statuses.last(), QStringLiteral("Готово"));
    QVERIFY(!QFile::exists(out + stale));
    QVERIFY(QFile::exists(out + held));
    for (const QString& name : lookalikes)
        QVERIFY2(QFile::exists(out + name), qPrintable(name));
    QVERIFY(QFile::exists(other + stale));
}

// The program quits in the middle of a job: the encoder is killed, its
// temporary goes, and the file at the final name, which the user chose to
// overwrite, is untouched.
void TstExistingOutput::destroyedDuringJob()
{
    m_settings.ExistingOutput = TExistingOutput::Overwrite;
    m_settings.DeleteAfterProcess = true;
    AddJobs(QStringLiteral("-"));
    QVERIFY(TestUtil::WriteFile(Output(0), "earlier"));
    auto run = std::make_unique<TBatchRun>(*m_queue, m_settings, *m_view);
    run->SetEncoderProgram(WriteScript(QStringLiteral("printf half > \"$out\"\n"
                                                      "while :; do sleep 0.05; done\n")));
    run->Start();
    QTRY_VERIFY_WITH_TIMEOUT(Temporaries().size() == 1 && TestUtil::ReadFile(
        m_dir->filePath(QStringLiteral("out/")) + Temporaries().value(0)) == "half", 20000);
    run.reset();

    QVERIFY2(Temporaries().isEmpty(), qPrintable(Temporaries().join(u' ')));
    QCOMPARE(TestUtil::ReadFile(Output(0)), QByteArray("earlier"));
    QVERIFY(QFile::exists(Source(0)));
}

// Decoding a WAV into the folder it lies in would write over the source.
// Only overwriting would do that, and it is refused; keeping both files
// numbers the output, skipping leaves the job.
void TstExistingOutput::outputOverSource_data()
{
    QTest::addColumn<int>("existing");
    QTest::addColumn<QString>("statuses");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("written"); // relative to the work folder, or empty

    QTest::newRow("overwrite") << int(TExistingOutput::Overwrite) << "P0 E1"
                               << TBatchRun::SamePathReason() << "";
    QTest::newRow("keep both") << int(TExistingOutput::KeepBoth) << "P0 D" << "" << "src/job0 (2).wav";
    QTest::newRow("ask, not answered") << int(TExistingOutput::Ask) << "P0 D" << ""
                                       << "src/job0 (2).wav";
    QTest::newRow("skip") << int(TExistingOutput::Skip) << "D" << "" << "";
}

void TstExistingOutput::outputOverSource()
{
    QFETCH(int, existing);
    QFETCH(QString, statuses);
    QFETCH(QString, failure);
    QFETCH(QString, written);

    m_settings.TargetDirectory.clear(); // beside the source
    m_settings.DeleteFromQueue = false;
    m_settings.ExistingOutput = TExistingOutput(existing);
    m_view->mode = 1;
    AddJobs(QStringLiteral("-"));
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetEncoderProgram(WriteScript(QString::fromLatin1(kOkBody)));
    RUN_TO_END(run);

    QCOMPARE(m_view->statuses, Expand(statuses));
    QCOMPARE(Starts().size(), written.isEmpty() ? 0 : 1);
    QCOMPARE(m_view->Failure(0), failure);
    QCOMPARE(TestUtil::ReadFile(Source(0)), QByteArray("wav"));
    if (!written.isEmpty())
        QCOMPARE(TestUtil::ReadFile(m_dir->filePath(written)), QByteArray("mp3"));
    QCOMPARE(m_view->skipped.value(m_queue->Items(0)),
             TExistingOutput(existing) == TExistingOutput::Skip ? TBatchRun::SkippedReason()
                                                                : QString());
    QVERIFY(m_view->errors.isEmpty());
}

QTEST_GUILESS_MAIN(TstExistingOutput)
#include "tst_existingoutput.moc"
