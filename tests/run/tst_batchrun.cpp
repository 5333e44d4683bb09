#include "batchrun.h"
#include "heldfile.h"
#include "programsettings.h"
#include "queue.h"
#include "recordingview.h"
#include "tempoutput.h"
#include "testutil.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace std::chrono_literals;

// The run's order, texts, pause, cancel and failure handling, driven with
// small shell scripts in place of lame. Every script logs its arguments.
class TstBatchRun final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void emptyQueueDoesNothing();
    void order_data();
    void order();
    void failures_data();
    void failures();
    void failedJobKeepsExistingOutput_data();
    void failedJobKeepsExistingOutput();
    void existingOutput_data();
    void existingOutput();
    void staleTemporariesRemoved();
    void destroyedDuringJob();
    void outputOverSource_data();
    void outputOverSource();
    void uncreatableFolderEndsRun();
    void deleteAfterProcessOnlyForDoneJobs();
    void modeSwitchedDuringPause();
    void queueChangedDuringPause();
    void pauseTakesSixSteps();

private:
    QString WriteScript(const QString& body, bool executable = true);
    void AddJobs(const QString& lines);
    QStringList Expand(const QString& tokens) const;
    QStringList Starts() const;
    QStringList Temporaries() const
    {
        return QDir(m_dir->filePath(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden)
            .filter(QStringLiteral(".tessary-"));
    }
    QString Source(int k) const { return m_dir->filePath(QStringLiteral("src/job%1.wav").arg(k)); }
    QString Output(int k) const { return m_dir->filePath(QStringLiteral("out/job%1.mp3").arg(k)); }
    // Whether a logged start reads source and writes a temporary beside output.
    static bool WritesInto(const QString& start, const QString& source, const QString& output);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TQueue> m_queue;
    std::unique_ptr<TRecordingView> m_view;
    ProgramSettings m_settings;
};

// Runs until Finished; the run ends synchronously when nothing is to do.
#define RUN_TO_END(run)                                                  \
    do {                                                                 \
        QSignalSpy finished(&(run), &TBatchRun::Finished);               \
        (run).Start();                                                   \
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);           \
        QVERIFY(!(run).IsRunning());                                     \
    } while (false)

static const char* const kOkBody = "printf '  1/2 (50%%)|\\r  2/2 (100%%)|\\n' >&2\n"
                                   "printf mp3 > \"$out\"\n";

void TstBatchRun::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_queue = std::make_unique<TQueue>();
    m_view = std::make_unique<TRecordingView>(*m_queue);
    m_settings = ProgramSettings();
    m_settings.TargetDirectory = m_dir->filePath(QStringLiteral("out/"));
    m_settings.FileNameFormat = QStringLiteral("%0");
    m_settings.DeleteFromQueue = true;
    m_settings.DeleteAfterProcess = false;
}

QString TstBatchRun::WriteScript(const QString& body, bool executable)
{
    const QString path = m_dir->filePath(QStringLiteral("bin/fake-lame"));
    const QString script = QStringLiteral("#!/bin/sh\n"
                                          "for a; do in=$out; out=$a; done\n"
                                          "printf '%s\\n' \"$*\" >> '%1'\n")
                               .arg(m_dir->filePath(QStringLiteral("starts.log")))
                           + body;
    if (!TestUtil::WriteFile(path, script.toUtf8()))
        return QString();
    QFile::setPermissions(path, executable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                           : QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

void TstBatchRun::AddJobs(const QString& lines)
{
    for (int k = 0; k < lines.size(); ++k) {
        QVERIFY(TestUtil::WriteFile(Source(k), "wav"));
        TQueueItem* job = m_queue->Add();
        job->SetInputFile(Source(k));
        QCOMPARE(job->InputFile(), Source(k));
        if (lines[k] == u'x')
            m_view->checked.insert(job);
    }
}

// "P2": processing job 2; "W": the full pause; "W3": the pause cut at its
// first count; "D": "Готово"; "E3": "Готово. Ошибок: 3".
QStringList TstBatchRun::Expand(const QString& tokens) const
{
    QStringList out;
    for (const QString& t : tokens.split(u' ', Qt::SkipEmptyParts)) {
        if (t.startsWith(u'P'))
            out << QStringLiteral("Обрабатывается: ") + Source(t.mid(1).toInt());
        else if (t == u"W")
            for (int c = 3; c >= 1; --c)
                out << QStringLiteral("Ожидание отмены... %1").arg(c);
        else if (t == u"W3")
            out << QStringLiteral("Ожидание отмены... 3");
        else if (t == u"D")
            out << QStringLiteral("Готово");
        else if (t.startsWith(u'E'))
            out << QStringLiteral("Готово. Ошибок: ") + t.mid(1);
    }
    return out;
}

bool TstBatchRun::WritesInto(const QString& start, const QString& source, const QString& output)
{
    const QString folder = output.left(output.lastIndexOf(u'/') + 1);
    static const QRegularExpression temp(QStringLiteral(" (\\S+/)\\.tessary-[0-9a-f]{16}\\.part$"));
    const QRegularExpressionMatch m = temp.match(start);
    return m.hasMatch() && m.captured(1) == folder
           && start.left(m.capturedStart()).endsWith(u' ' + source);
}

QStringList TstBatchRun::Starts() const
{
    return QString::fromUtf8(TestUtil::ReadFile(m_dir->filePath(QStringLiteral("starts.log"))))
        .split(u'\n', Qt::SkipEmptyParts);
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
    // The encoder has been started when the run reports the job's position.
    m_view->onProgress = [&](int position, int percent) {
        if (position == cancelAt && percent == -1)
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
        QVERIFY(m_view->progress.contains(QStringLiteral("%1/%2:100").arg(k).arg(lines.size())));
    }
    QCOMPARE(m_view->progress.last(), QStringLiteral("-1/%1:-1").arg(linesAfter.size()));
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

void TstBatchRun::failedJobKeepsExistingOutput_data()
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
void TstBatchRun::failedJobKeepsExistingOutput()
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

void TstBatchRun::existingOutput_data()
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
void TstBatchRun::existingOutput()
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

// Temporaries nobody holds any more (a crash, a power cut) go when a run
// next writes into their folder; one another process still holds, files
// that only look alike, and other folders are left alone.
void TstBatchRun::staleTemporariesRemoved()
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
void TstBatchRun::destroyedDuringJob()
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
void TstBatchRun::outputOverSource_data()
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

void TstBatchRun::outputOverSource()
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

QTEST_GUILESS_MAIN(TstBatchRun)
#include "tst_batchrun.moc"
