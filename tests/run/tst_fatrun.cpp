#include "batchrun.h"
#include "encoder.h"
#include "outputplan.h"
#include "programsettings.h"
#include "queue.h"
#include "recordingview.h"
#include "sourcefixture.h"

#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/statfs.h>

#include <memory>

using namespace std::chrono_literals;

// A real FAT file system, as a USB stick has it: an image made by
// mkfs.vfat, mounted with fusefat. Three tagged FLACs whose names FAT
// refuses or sees as one get three MP3s, numbered as the plan showed, with
// one job at a time and two at once; the choices for existing outputs see a
// file of another spelling as the same file.
class TstFatRun final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void threeOnAStick_data();
    void threeOnAStick();
    void existingOtherSpelling_data();
    void existingOtherSpelling();

private:
    TQueueItem* AddJob(int source, const QString& artist, const QString& title);
    void Run(TExistingOutput answer);
    QString Target() const { return m_mount + QStringLiteral("/out/"); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_mount;
    bool m_mounted = false;
    QStringList m_sources;
    std::unique_ptr<TQueue> m_queue;
    std::unique_ptr<TRecordingView> m_view;
    ProgramSettings m_settings;
};

namespace {

bool IsFuseMount(const QString& path)
{
    struct statfs fs {};
    return ::statfs(QFile::encodeName(path).constData(), &fs) == 0
           && quint64(fs.f_type) == 0x65735546;
}

} // namespace

void TstFatRun::initTestCase()
{
    if (!Encoder::Locate().errorName.isEmpty())
        QSKIP("lame is not installed");
    for (const char* tool : {"mkfs.vfat", "fusefat", "fusermount", "ffmpeg", "flac"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty()
            && QStandardPaths::findExecutable(QLatin1String(tool), {QStringLiteral("/sbin"),
                                                                    QStringLiteral("/usr/sbin")})
                   .isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed (Debian: dosfstools, fusefat, "
                                            "fuse, ffmpeg, flac)")
                                 .arg(QLatin1String(tool))));
    }
    if (!QFileInfo(QStringLiteral("/dev/fuse")).exists())
        QSKIP("FUSE is not available here (no /dev/fuse): the FAT file system cannot be mounted");

    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    const QString image = m_dir->filePath(QStringLiteral("stick.img"));
    m_mount = m_dir->filePath(QStringLiteral("stick"));
    QVERIFY(QDir().mkpath(m_mount));
    {
        QFile f(image);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(32 << 20));
    }
    QString output;
    const QString mkfs = QStandardPaths::findExecutable(
        QStringLiteral("mkfs.vfat"), {QStringLiteral("/sbin"), QStringLiteral("/usr/sbin")});
    QVERIFY2(SourceFixture::Run(mkfs.isEmpty() ? QStringLiteral("mkfs.vfat") : mkfs, {image},
                                &output),
             qPrintable(output));
    // "rw+" is fusefat's write mode; without it the stick is read-only.
    if (!SourceFixture::Run(QStringLiteral("fusefat"), {QStringLiteral("-o"), QStringLiteral("rw+"),
                                                        image, m_mount},
                            &output))
        QSKIP(qPrintable(QStringLiteral("fusefat cannot mount here (FUSE unavailable?): ") + output));
    QTRY_VERIFY_WITH_TIMEOUT(IsFuseMount(m_mount), 10000);
    m_mounted = true;

    const QStringList titles = {QStringLiteral("Song"), QStringLiteral("Song"),
                                QStringLiteral("Intro: Why? \"Live\" <1>")};
    const QStringList artists = {QStringLiteral("ABBA"), QStringLiteral("Abba"),
                                 QStringLiteral("AC/DC")};
    for (int i = 0; i < 3; ++i) {
        const QString path = m_dir->filePath(QStringLiteral("src/%1.flac").arg(i));
        SourceFixture::Tags tags;
        tags.artist = artists[i];
        tags.title = titles[i];
        QVERIFY(SourceFixture::Make(path, QStringLiteral("flac"), tags, 1.0));
        m_sources << path;
    }
}

void TstFatRun::cleanupTestCase()
{
    if (!m_mounted)
        return;
    // The mount may be busy for a moment after the last file closed.
    const QDeadlineTimer deadline(10000);
    while (!SourceFixture::Run(QStringLiteral("fusermount"), {QStringLiteral("-u"), m_mount})
           && !deadline.hasExpired())
        QTest::qWait(100);
    QVERIFY(!IsFuseMount(m_mount));
}

void TstFatRun::init()
{
    QDir(Target()).removeRecursively();
    QVERIFY(QDir().mkpath(Target()));
    m_queue = std::make_unique<TQueue>();
    m_view = std::make_unique<TRecordingView>(*m_queue);
    m_settings = ProgramSettings();
    m_settings.TargetDirectory = Target();
    m_settings.FileNameFormat = QStringLiteral("%2 - %1");
    m_settings.DeleteFromQueue = false;
    m_settings.PauseBetweenJobs = 0;
}

// The tags as the window takes them from the FLACs.
TQueueItem* TstFatRun::AddJob(int source, const QString& artist, const QString& title)
{
    TQueueItem* job = m_queue->Add();
    job->SetInputFile(m_sources.at(source));
    job->SetArtist(artist);
    job->SetTitle(title);
    job->SetId3v2(true);
    return job;
}

void TstFatRun::Run(TExistingOutput answer)
{
    TBatchRun run(*m_queue, m_settings, *m_view);
    QSignalSpy finished(&run, &TBatchRun::Finished);
    run.Start(answer);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 60000);
}

void TstFatRun::threeOnAStick_data()
{
    QTest::addColumn<int>("parallel");
    QTest::newRow("one job at a time") << 1;
    QTest::newRow("two at once") << 2;
}

void TstFatRun::threeOnAStick()
{
    QFETCH(int, parallel);
    m_settings.ParallelJobs = quint32(parallel);
    AddJob(0, QStringLiteral("ABBA"), QStringLiteral("Song"));
    AddJob(1, QStringLiteral("Abba"), QStringLiteral("Song"));
    AddJob(2, QStringLiteral("AC/DC"), QStringLiteral("Intro: Why? \"Live\" <1>"));

    // What the column shows before the run.
    TOutputPlan plan;
    const std::vector<TPlannedOutput> planned = plan.Compute(
        {m_queue->Items(0), m_queue->Items(1), m_queue->Items(2)}, m_settings, 0,
        TExistingOutput::Ask);
    QCOMPARE(planned.size(), std::size_t(3));
    QCOMPARE(planned[0].path, Target() + QStringLiteral("ABBA - Song.mp3"));
    QCOMPARE(planned[1].path, Target() + QStringLiteral("Abba - Song (2).mp3"));
    QCOMPARE(planned[1].clashWith, m_queue->Items(0));
    // "/" in a tag is a folder level, as on any file system.
    QCOMPARE(planned[2].path, Target() + QStringLiteral("AC/DC - Intro_ Why_ _Live_ _1_.mp3"));
    QVERIFY(planned[2].notes.contains(QStringLiteral("Носитель FAT не принимает «:»")));
    QVERIFY(planned[0].notes.isEmpty());

    Run(TExistingOutput::Ask);
    QCOMPARE(m_view->statuses.last(), QStringLiteral("Готово"));
    QVERIFY2(m_view->failures.isEmpty(), qPrintable(m_view->failures.values().join(u'\n')));
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(m_queue->Items(i)->OutputFile(), planned[std::size_t(i)].path);
        QVERIFY(m_view->checked.contains(m_queue->Items(i)));
        const QFileInfo out(planned[std::size_t(i)].path);
        QVERIFY2(out.isFile() && out.size() > 1000, qPrintable(out.filePath()));
    }
    QCOMPARE(QDir(Target()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             (QStringList{QStringLiteral("ABBA - Song.mp3"), QStringLiteral("Abba - Song (2).mp3")}));
    // The tags keep their text.
    QCOMPARE(m_queue->Items(2)->Title(), QStringLiteral("Intro: Why? \"Live\" <1>"));
}

void TstFatRun::existingOtherSpelling_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("kept"); // the earlier file's bytes
    QTest::newRow("skip") << int(TExistingOutput::Skip) << QStringList{"ABBA - Song.mp3"} << true;
    QTest::newRow("overwrite") << int(TExistingOutput::Overwrite)
                               << QStringList{"ABBA - Song.mp3"} << false;
    QTest::newRow("keep both") << int(TExistingOutput::KeepBoth)
                               << QStringList{"ABBA - Song.mp3", "Abba - Song (2).mp3"} << true;
}

// "ABBA - Song.mp3" on the stick is there for "Abba - Song.mp3" too.
void TstFatRun::existingOtherSpelling()
{
    QFETCH(int, answer);
    QFETCH(QStringList, files);
    QFETCH(bool, kept);
    const QByteArray earlier("earlier result");
    QVERIFY(TestUtil::WriteFile(Target() + QStringLiteral("ABBA - Song.mp3"), earlier));
    AddJob(1, QStringLiteral("Abba"), QStringLiteral("Song"));

    TOutputPlan plan;
    const std::vector<TPlannedOutput> asked =
        plan.Compute({m_queue->Items(0)}, m_settings, 0, TExistingOutput::Ask);
    QVERIFY(asked.at(0).existed);

    Run(TExistingOutput(answer));
    QVERIFY2(m_view->failures.isEmpty(), qPrintable(m_view->failures.values().join(u'\n')));
    QCOMPARE(QDir(Target()).entryList(QDir::Files | QDir::Hidden, QDir::Name), files);
    QCOMPARE(TestUtil::ReadFile(Target() + QStringLiteral("ABBA - Song.mp3")) == earlier, kept);
    QCOMPARE(m_view->skipped.contains(m_queue->Items(0)), answer == int(TExistingOutput::Skip));
}

QTEST_GUILESS_MAIN(TstFatRun)
#include "tst_fatrun.moc"
