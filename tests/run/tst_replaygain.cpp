#include "batchrun.h"
#include "id3read.h"
#include "programsettings.h"
#include "queue.h"
#include "recordingview.h"
#include "replaygain.h"
#include "testutil.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>

#include <memory>

using namespace std::chrono_literals;

// ReplayGain after the run's jobs, with the real lame and loudgain; the
// tags read back with TagLib.
class TstReplayGain final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void albumOfTwoTracks();
    void trackGainOnly();
    void offWritesNoTags();
    void failedStepKeepsTheMp3s();
    void albumWithAFailedJobGetsTrackGain();

private:
    TQueueItem* AddJob(const QString& name, int amplitude, const QString& album);
    void Run();
    QString Output(const QString& name) const { return m_dir->filePath(QStringLiteral("out/") + name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TQueue> m_queue;
    std::unique_ptr<TRecordingView> m_view;
    ProgramSettings m_settings;
    QString m_loudgain; // empty: the real one
};

namespace {

// The text of a TXXX frame ("" when there is none).
QString UserText(const QString& path, const char* description)
{
    TagLib::MPEG::File mp3(QFile::encodeName(path).constData());
    TagLib::ID3v2::Tag* tag = mp3.ID3v2Tag();
    if (!tag)
        return QString();
    const auto* frame = TagLib::ID3v2::UserTextIdentificationFrame::find(tag, description);
    if (!frame || frame->fieldList().size() < 2)
        return QString();
    return TestUtil::ToQString(frame->fieldList()[1]);
}

// "-3.21 dB" as a number.
double Decibels(const QString& text)
{
    bool ok = false;
    const double v = text.section(u' ', 0, 0).toDouble(&ok);
    return ok ? v : qQNaN();
}

// Hidden files left in folder (temporaries, copies).
QStringList Hidden(const QString& folder)
{
    QStringList out;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        if (name.startsWith(u'.'))
            out << name;
    }
    return out;
}

} // namespace

void TstReplayGain::initTestCase()
{
    if (!Encoder::Locate().errorName.isEmpty())
        QSKIP("lame is not installed");
    if (!TGainStep::Available())
        QSKIP("loudgain is not installed");
}

void TstReplayGain::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_queue = std::make_unique<TQueue>();
    m_view = std::make_unique<TRecordingView>(*m_queue);
    m_settings = ProgramSettings();
    m_settings.TargetDirectory = m_dir->filePath(QStringLiteral("out"));
    m_settings.DeleteFromQueue = false;
    m_settings.ParallelJobs = 2;
    m_settings.ReplayGain = TReplayGain::Album;
    m_loudgain.clear();
}

TQueueItem* TstReplayGain::AddJob(const QString& name, int amplitude, const QString& album)
{
    const QString wav = m_dir->filePath(QStringLiteral("in/") + name + QStringLiteral(".wav"));
    if (!TestUtil::WriteWav(wav, 1.0, 44100, 2, amplitude))
        return nullptr;
    TQueueItem* job = m_queue->Add();
    job->SetInputFile(wav);
    job->SetArtist(QStringLiteral("Группа"));
    job->SetAlbum(album);
    job->SetTitle(name);
    job->SetId3v2(true);
    return job;
}

void TstReplayGain::Run()
{
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetPauseStep(0ms);
    run.SetGainProgram(m_loudgain);
    QSignalSpy finished(&run, &TBatchRun::Finished);
    run.Start();
    QVERIFY(QTest::qWaitFor([&] { return finished.count() == 1; }, 60000));
}

void TstReplayGain::albumOfTwoTracks()
{
    // 12 dB apart: a peak of 8000 against one of 2000.
    AddJob(QStringLiteral("loud"), 8000, QStringLiteral("Альбом"));
    AddJob(QStringLiteral("quiet"), 2000, QStringLiteral("альбом")); // the same album
    Run();
    QCOMPARE(m_view->statuses.last(), QStringLiteral("Готово"));
    QCOMPARE(m_view->checked.size(), 2);
    QVERIFY2(m_view->warnings.isEmpty(), qPrintable(m_view->warnings.values().join(u'\n')));

    const QString loud = Output(QStringLiteral("loud.mp3"));
    const QString quiet = Output(QStringLiteral("quiet.mp3"));
    const double loudGain = Decibels(UserText(loud, "REPLAYGAIN_TRACK_GAIN"));
    const double quietGain = Decibels(UserText(quiet, "REPLAYGAIN_TRACK_GAIN"));
    QVERIFY2(qAbs(quietGain - loudGain - 12.04) < 0.5,
             qPrintable(QStringLiteral("%1 %2").arg(loudGain).arg(quietGain)));
    const QString album = UserText(loud, "REPLAYGAIN_ALBUM_GAIN");
    QVERIFY(!album.isEmpty());
    QCOMPARE(UserText(quiet, "REPLAYGAIN_ALBUM_GAIN"), album);
    // The album lies between its tracks, and the tags the job set stay.
    QVERIFY(Decibels(album) > loudGain && Decibels(album) < quietGain);
    TagLib::MPEG::File mp3(QFile::encodeName(quiet).constData());
    QCOMPARE(TestUtil::ToQString(mp3.ID3v2Tag()->artist()), QStringLiteral("Группа"));
    QCOMPARE(int(mp3.ID3v2Tag()->header()->majorVersion()), 3);
    QVERIFY(mp3.isValid() && mp3.audioProperties()->lengthInMilliseconds() > 900);
    QCOMPARE(Hidden(m_dir->filePath(QStringLiteral("out"))), QStringList());
    // The steps' percent reached the lines.
    QVERIFY(m_view->lineProgress.filter(QStringLiteral("quiet.wav:100")).size() >= 2);
}

void TstReplayGain::trackGainOnly()
{
    m_settings.ReplayGain = TReplayGain::Track;
    m_settings.ParallelJobs = 1;
    AddJob(QStringLiteral("one"), 8000, QStringLiteral("A"));
    AddJob(QStringLiteral("two"), 4000, QStringLiteral("A"));
    Run();
    QCOMPARE(m_view->statuses.last(), QStringLiteral("Готово"));
    for (const char* name : {"one.mp3", "two.mp3"}) {
        const QString path = Output(QString::fromLatin1(name));
        QVERIFY2(!UserText(path, "REPLAYGAIN_TRACK_GAIN").isEmpty(), name);
        QCOMPARE(UserText(path, "REPLAYGAIN_ALBUM_GAIN"), QString());
    }
}

void TstReplayGain::offWritesNoTags()
{
    m_settings.ReplayGain = TReplayGain::Off;
    AddJob(QStringLiteral("plain"), 8000, QStringLiteral("A"));
    Run();
    QCOMPARE(m_view->statuses.last(), QStringLiteral("Готово"));
    const QString path = Output(QStringLiteral("plain.mp3"));
    QVERIFY(QFileInfo::exists(path));
    QVERIFY(!TestUtil::ReadFile(path).contains("REPLAYGAIN"));
}

void TstReplayGain::failedStepKeepsTheMp3s()
{
    // A loudgain that mangles its files and fails: the run must keep the
    // MP3s as lame wrote them.
    m_loudgain = m_dir->filePath(QStringLiteral("loudgain"));
    QVERIFY(TestUtil::WriteFile(m_loudgain, "#!/bin/sh\n"
                                            "for f; do case \"$f\" in /*) echo broken > \"$f\";; esac; done\n"
                                            "echo 'Could not open input' >&2\nexit 1\n"));
    QFile::setPermissions(m_loudgain, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    AddJob(QStringLiteral("a"), 8000, QStringLiteral("A"));
    AddJob(QStringLiteral("b"), 2000, QStringLiteral("A"));
    Run();

    // Not failed jobs: both are done and checked, and marked apart.
    QCOMPARE(m_view->checked.size(), 2);
    QVERIFY(m_view->failures.isEmpty());
    QCOMPARE(m_view->statuses.last(), QStringLiteral("Готово. Без ReplayGain: 2"));
    QCOMPARE(m_view->warnings.size(), 2);
    for (const QString& w : m_view->warnings)
        QVERIFY2(w.startsWith(QStringLiteral("ReplayGain не записан: loudgain: код завершения 1"))
                     && w.contains(QStringLiteral("Could not open input")),
                 qPrintable(w));
    for (const char* name : {"a.mp3", "b.mp3"}) {
        const QByteArray mp3 = TestUtil::ReadFile(Output(QString::fromLatin1(name)));
        QVERIFY2(mp3.size() > 1000 && !mp3.startsWith("broken"), name);
    }
    QCOMPARE(Hidden(m_dir->filePath(QStringLiteral("out"))), QStringList());
}

void TstReplayGain::albumWithAFailedJobGetsTrackGain()
{
    AddJob(QStringLiteral("good"), 8000, QStringLiteral("A"));
    TQueueItem* gone = AddJob(QStringLiteral("gone"), 8000, QStringLiteral("A"));
    QVERIFY(QFile::remove(gone->InputFile()));
    Run();
    QCOMPARE(m_view->failures.size(), 1);
    const QString good = Output(QStringLiteral("good.mp3"));
    QVERIFY(!UserText(good, "REPLAYGAIN_TRACK_GAIN").isEmpty());
    QCOMPARE(UserText(good, "REPLAYGAIN_ALBUM_GAIN"), QString());
    QCOMPARE(m_view->warnings.value(m_queue->Items(0)),
             QStringLiteral("ReplayGain: записано только усиление трека, не все дорожки альбома "
                            "сжаты"));
}

QTEST_GUILESS_MAIN(TstReplayGain)
#include "tst_replaygain.moc"
