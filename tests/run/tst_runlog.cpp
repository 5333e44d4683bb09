#include "batchrun.h"
#include "cmdline.h"
#include "encoder.h"
#include "failuretext.h"
#include "freespace.h"
#include "outputsize.h"
#include "programsettings.h"
#include "queue.h"
#include "recordingview.h"
#include "runlog.h"
#include "testutil.h"

#include <QDir>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>

#include <memory>

using namespace std::chrono_literals;

// The run log written by a run with the real lame, the plain words for the
// encoder's known failures, and the free-space check before each job.
class TstRunLog final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void lameRunLogged();
    void keepsLastRuns();
    void plainReasons_data();
    void plainReasons();
    void fullTarget();

private:
    TQueueItem* AddJob(const QString& source);
    bool Run();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TQueue> m_queue;
    std::unique_ptr<TRecordingView> m_view;
    ProgramSettings m_settings;
};

void TstRunLog::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_queue = std::make_unique<TQueue>();
    m_view = std::make_unique<TRecordingView>(*m_queue);
    m_settings = ProgramSettings();
    m_settings.TargetDirectory = m_dir->filePath(QStringLiteral("out/"));
    m_settings.FileNameFormat = QStringLiteral("%0");
    m_settings.DeleteFromQueue = false;
    m_settings.PauseBetweenJobs = 0;
}

TQueueItem* TstRunLog::AddJob(const QString& source)
{
    TQueueItem* job = m_queue->Add();
    job->SetInputFile(source);
    job->SetArtist(QStringLiteral("Кино 'live'"));
    return job;
}

bool TstRunLog::Run()
{
    TRunLog log(m_dir->filePath(QStringLiteral("logs")));
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetLog(&log);
    QSignalSpy finished(&run, &TBatchRun::Finished);
    run.Start();
    return QTest::qWaitFor([&] { return finished.count() == 1; }, 60000);
}

// Each job's entry holds the exact argument list lame was started with
// (the one JobArguments makes, with the program's full path in front), its
// source, output, outcome and, for a failure, its reason and lame's lines.
void TstRunLog::lameRunLogged()
{
    const QString lame = Encoder::Locate().program;
    if (lame.isEmpty())
        QSKIP("lame is not installed");
    const QString good = m_dir->filePath(QStringLiteral("in/good song.wav"));
    const QString bad = m_dir->filePath(QStringLiteral("in/bad.wav"));
    QVERIFY(TestUtil::WriteWav(good, 0.3));
    // Cut off after its header was written: lame encodes what is there and
    // ends well, and the run's check of the output fails the job.
    QVERIFY(TestUtil::WriteWav(bad, 0.6));
    QVERIFY(QFile::resize(bad, QFileInfo(bad).size() / 2));
    TQueueItem* ok = AddJob(good);
    TQueueItem* broken = AddJob(bad);
    QVERIFY(Run());
    QCOMPARE(m_view->Lines(), QStringLiteral("x-"));

    const QStringList files = TRunLog::Files(m_dir->filePath(QStringLiteral("logs")));
    QCOMPARE(files.size(), 1);
    const QString text = TRunLog::Read(files.first());
    const QStringList lines = text.split(u'\n');

    // The temporary's name is random: take it from the logged line.
    static const QRegularExpression temp(QStringLiteral("'?(\\S+/\\.tessary-[0-9a-f]{16}\\.part)'?"));
    for (const TQueueItem* job : {ok, broken}) {
        const QString prefix = QStringLiteral("  $ ") + TRunLog::Quote({lame});
        const QStringList started = lines.filter(TRunLog::Quote({job->InputFile()}));
        QVERIFY2(!started.isEmpty(), qPrintable(text));
        const QString line = started.filter(QStringLiteral("  $ ")).value(0);
        const QRegularExpressionMatch m = temp.match(line);
        QVERIFY2(m.hasMatch(), qPrintable(line));
        QCOMPARE(line, prefix + u' ' + TRunLog::Quote(JobArguments(*job, EncodeMode, m.captured(1))));
    }
    QVERIFY(text.contains(QStringLiteral("Исходный файл: ") + good));
    QVERIFY(text.contains(QStringLiteral("Файл результата: ") + ok->OutputFile()));
    QVERIFY(text.contains(QStringLiteral("] Готово\n")));
    QVERIFY(text.contains(QStringLiteral("] Ошибка\n")));
    QVERIFY(text.contains(QStringLiteral("Причина: ") + m_view->Failure(1)));
    QVERIFY2(text.contains(QStringLiteral("    | ")), "lame's last lines are not in the log");
    QVERIFY(text.trimmed().endsWith(QStringLiteral("Итог: Готово. Ошибок: 1")));
}

void TstRunLog::keepsLastRuns()
{
    const QString folder = m_dir->filePath(QStringLiteral("logs/"));
    QDir().mkpath(folder);
    for (int i = 0; i < TRunLog::KeptRuns + 5; ++i)
        QVERIFY(TestUtil::WriteFile(folder + QStringLiteral("run-20200101-0000%1-000.log").arg(i, 2, 10, QChar(u'0')), "old"));
    QVERIFY(TestUtil::WriteFile(folder + QStringLiteral("notes.txt"), "mine"));
    TRunLog log(folder);
    log.Begin(1, EncodeMode);
    const QStringList files = TRunLog::Files(folder);
    QCOMPARE(files.size(), TRunLog::KeptRuns);
    QCOMPARE(files.first(), log.CurrentFile()); // the newest first, the oldest gone
    QVERIFY(!QFile::exists(folder + QStringLiteral("run-20200101-000000-000.log")));
    QVERIFY(QFile::exists(folder + QStringLiteral("notes.txt")));
}

void TstRunLog::plainReasons_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("kind");
    using K = FailureText::Kind;
    // As lame 3.100 and ffmpeg word them.
    QTest::newRow("lame, full disk, after its figures")
        << QStringList{QStringLiteral("kbps        MS  %     long switch short %"),
                       QStringLiteral("128.0      100.0        98.5   1.0   0.5Error writing mp3 output")}
        << int(K::NoSpace);
    QTest::newRow("ffmpeg, full disk")
        << QStringList{QStringLiteral("av_interleaved_write_frame(): No space left on device")}
        << int(K::NoSpace);
    QTest::newRow("lame, output not made") << QStringList{QStringLiteral("Can't init outfile 'ro/o.mp3'")}
                                           << int(K::OutputNotCreated);
    QTest::newRow("read-only file system")
        << QStringList{QStringLiteral("x.wav: Read-only file system")} << int(K::ReadOnly);
    QTest::newRow("lame, source gone")
        << QStringList{QStringLiteral("Could not find \"a.wav\"."), QStringLiteral("Can't init infile 'a.wav'")}
        << int(K::ReadError);
    QTest::newRow("permission") << QStringList{QStringLiteral("a.flac: Permission denied")}
                                << int(K::Permission);
    QTest::newRow("lame, source it does not take")
        << QStringList{QStringLiteral("Unsupported number of channels: 3"),
                       QStringLiteral("Can't init infile 'c3.wav'")}
        << int(K::Unknown);
}

void TstRunLog::plainReasons()
{
    QFETCH(QStringList, lines);
    QFETCH(int, kind);
    QCOMPARE(int(FailureText::Classify(lines)), kind);
    QCOMPARE(FailureText::Plain(lines).isEmpty(), kind == int(FailureText::Kind::Unknown));
}

// A small target filled near full: the first job fits, the second would
// not, so it does not start, nor does the third; none of them is marked
// failed, the status and a notice say what is short and where. Once space
// is freed, a second start does the rest.
void TstRunLog::fullTarget()
{
    if (Encoder::Locate().program.isEmpty())
        QSKIP("lame is not installed");
    const QString target = m_dir->filePath(QStringLiteral("out/"));
    QVERIFY(QDir().mkpath(target));
    if (::mount("tmpfs", QFile::encodeName(target).constData(), "tmpfs", 0, "size=2m") != 0)
        QSKIP("this machine does not let the test mount a small tmpfs");
    const auto unmount = qScopeGuard([&] { ::umount(QFile::encodeName(target).constData()); });

    QList<TQueueItem*> jobs;
    for (int k = 0; k < 3; ++k) {
        const QString source = m_dir->filePath(QStringLiteral("in/job%1.wav").arg(k));
        QVERIFY(TestUtil::WriteWav(source, 4.0));
        jobs << AddJob(source);
    }
    const qint64 needed = OutputSize::Expected(*jobs[0], EncodeMode, 4.0);
    // Room for one job with some to spare, not for two.
    const qint64 filler = FreeSpace::Of(target).available - needed - 48 * 1024;
    QVERIFY(filler > 0);
    QVERIFY(TestUtil::WriteFile(target + QStringLiteral("filler"), QByteArray(filler, 'f')));

    QVERIFY(Run());
    QCOMPARE(m_view->Lines(), QStringLiteral("x--"));
    QVERIFY2(m_view->failures.isEmpty(), qPrintable(m_view->failures.values().join(u'\n')));
    // Only the job that did not fit is marked, as not run, with the reason.
    QCOMPARE(m_view->skipped.keys(), QList<const TQueueItem*>{jobs[1]});
    QCOMPARE(m_view->skipped.value(jobs[1]), m_view->notices.value(0));
    QVERIFY(m_view->errors.isEmpty());
    QCOMPARE(m_view->notices.size(), 1);
    QVERIFY2(m_view->notices[0].startsWith(QStringLiteral("Недостаточно места в ") + target),
             qPrintable(m_view->notices[0]));
    QCOMPARE(m_view->statuses.last(), m_view->notices[0]);
    QVERIFY(!QFile::exists(jobs[1]->OutputFile()));

    QVERIFY(QFile::remove(target + QStringLiteral("filler")));
    QVERIFY(Run());
    QCOMPARE(m_view->Lines(), QStringLiteral("xxx"));
    QVERIFY(m_view->skipped.isEmpty());
    QCOMPARE(m_view->statuses.last(), QStringLiteral("Готово"));
}

QTEST_GUILESS_MAIN(TstRunLog)
#include "tst_runlog.moc"
