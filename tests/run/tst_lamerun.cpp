#include "batchrun.h"
#include "programsettings.h"
#include "queue.h"
#include "recordingview.h"
#include "testutil.h"

#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegheader.h>
#include "id3read.h"
#include <taglib/mpegfile.h>
#include <taglib/wavfile.h>

#include <memory>

using namespace std::chrono_literals;

// Runs with the real lame on short WAV files, read back with TagLib.
class TstLameRun final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void methods_data();
    void methods();
    void tagsAndFolders_data();
    void tagsAndFolders();
    void decoding();
    void twoJobsAtOnce();

private:
    TQueueItem* AddJob(const QString& source);
    bool Run(int mode);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TQueue> m_queue;
    std::unique_ptr<TRecordingView> m_view;
    ProgramSettings m_settings;
};

using TestUtil::ToQString;
using TestUtil::V2Frame;

namespace {

// The method lame records in its LAME tag: 1 CBR, 2 ABR, 3 and above VBR.
int LameMethod(const QByteArray& mp3)
{
    const qsizetype at = mp3.indexOf("LAME3.");
    return at < 0 || at + 9 >= mp3.size() ? -1 : mp3[at + 9] & 0x0f;
}

} // namespace

void TstLameRun::initTestCase()
{
    if (!Encoder::Locate().errorName.isEmpty())
        QSKIP("lame is not installed");
}

void TstLameRun::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_queue = std::make_unique<TQueue>();
    m_view = std::make_unique<TRecordingView>(*m_queue);
    m_settings = ProgramSettings();
    m_settings.TargetDirectory = m_dir->filePath(QStringLiteral("out"));
    m_settings.DeleteFromQueue = false;
}

TQueueItem* TstLameRun::AddJob(const QString& source)
{
    TQueueItem* job = m_queue->Add();
    job->SetInputFile(m_dir->filePath(source));
    return job;
}

// Runs the queue with the lame found on the system; true when every job was done.
bool TstLameRun::Run(int mode)
{
    m_view->mode = mode;
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetPauseStep(0ms);
    QSignalSpy finished(&run, &TBatchRun::Finished);
    run.Start();
    if (!QTest::qWaitFor([&] { return finished.count() == 1; }, 60000))
        return false;
    if (!m_view->failures.isEmpty())
        qWarning() << m_view->failures.values();
    return m_view->statuses.last() == u"Готово" && m_view->checked.size() == m_queue->Count();
}

void TstLameRun::methods_data()
{
    QTest::addColumn<int>("algorithm");
    QTest::addColumn<int>("minMethod");
    QTest::addColumn<int>("maxMethod");

    QTest::newRow("CBR") << int(CBR) << 1 << 1;
    QTest::newRow("ABR") << int(ABR) << 2 << 2;
    QTest::newRow("VBR") << int(VBR) << 3 << 6;
}

void TstLameRun::methods()
{
    QFETCH(int, algorithm);
    QFETCH(int, minMethod);
    QFETCH(int, maxMethod);

    QVERIFY(TestUtil::WriteWav(m_dir->filePath(QStringLiteral("in/tone.wav")), 1.0));
    TQueueItem* job = AddJob(QStringLiteral("in/tone.wav"));
    job->SetAlgorithm(TAlgorithm(algorithm));
    job->SetABitrate(160);
    QVERIFY(Run(0));

    const QString out = m_dir->filePath(QStringLiteral("out/tone.mp3"));
    QCOMPARE(job->OutputFile(), out);
    const int method = LameMethod(TestUtil::ReadFile(out));
    QVERIFY2(method >= minMethod && method <= maxMethod, qPrintable(QString::number(method)));

    TagLib::MPEG::File mp3(QFile::encodeName(out).constData());
    QVERIFY(mp3.isValid());
    QCOMPARE(mp3.audioProperties()->sampleRate(), 44100);
    QVERIFY(qAbs(mp3.audioProperties()->lengthInMilliseconds() - 1000) < 100);
    if (algorithm == CBR) // every frame, the leading Info frame included, has the one bitrate
        QCOMPARE(TagLib::MPEG::Header(&mp3, mp3.firstFrameOffset()).bitrate(), 160);
    // lame's progress reached the window
    QVERIFY2(m_view->progress.contains(QStringLiteral("0/1:100")),
             qPrintable(m_view->progress.join(u' ')));
}

void TstLameRun::tagsAndFolders_data()
{
    QTest::addColumn<QByteArray>("lcAll");
    QTest::addColumn<QByteArray>("lang");

    QTest::newRow("C") << QByteArray("C") << QByteArray();
    // Named but not generated on the machine: lame alone would fall back to "C".
    QTest::newRow("absent UTF-8 locale") << QByteArray() << QByteArray("ru_RU.UTF-8");
}

// Cyrillic and a quote in the tags, sub-folders from the tags, track numbers
// from the run, under an inherited locale in which lame alone would drop
// every non-ASCII letter.
void TstLameRun::tagsAndFolders()
{
    QFETCH(QByteArray, lcAll);
    QFETCH(QByteArray, lang);
    const char* const vars[] = {"LC_ALL", "LC_CTYPE", "LANG"};
    QByteArray saved[3];
    for (int i = 0; i < 3; ++i)
        saved[i] = qgetenv(vars[i]);
    auto restore = qScopeGuard([&] {
        for (int i = 0; i < 3; ++i) {
            if (saved[i].isNull())
                qunsetenv(vars[i]);
            else
                qputenv(vars[i], saved[i]);
        }
    });
    const QByteArray values[] = {lcAll, QByteArray(), lang};
    for (int i = 0; i < 3; ++i) {
        if (values[i].isEmpty())
            qunsetenv(vars[i]);
        else
            qputenv(vars[i], values[i]);
    }

    m_settings.CreateSubFolders = true;
    m_settings.ArtistFolderFormat = QStringLiteral("%2");
    m_settings.AlbumFolderFormat = QStringLiteral("%4 - %3");
    m_settings.FileNameFormat = QStringLiteral("%8 - %1");

    const QString titles[] = {QStringLiteral("Звезда по имени \"Солнце\""),
                              QStringLiteral("YOASOBI・幾田りら")};
    for (int i = 0; i < 2; ++i) {
        const QString source = QStringLiteral("in/%1.wav").arg(i);
        QVERIFY(TestUtil::WriteWav(m_dir->filePath(source), 0.3));
        TQueueItem* job = AddJob(source);
        job->SetTitle(titles[i]);
        job->SetArtist(QStringLiteral("Кино"));
        job->SetAlbum(QStringLiteral("Последний герой"));
        job->SetYear(QStringLiteral("1989"));
        job->SetGenre(17);
        job->SetComment(QStringLiteral("Ленинград"));
        job->SetId3v1(true);
        job->SetId3v2(true);
    }
    QVERIFY(Run(0));

    for (int i = 0; i < 2; ++i) {
        const QString out = m_dir->filePath(QStringLiteral("out/Кино/1989 - Последний герой/0%1 - %2.mp3")
                                                .arg(i + 1)
                                                .arg(titles[i]));
        QCOMPARE(m_queue->Items(i)->OutputFile(), out);
        TagLib::MPEG::File mp3(QFile::encodeName(out).constData());
        QVERIFY2(mp3.isValid(), qPrintable(out));

        TagLib::ID3v2::Tag* v2 = mp3.ID3v2Tag();
        QVERIFY(v2);
        QCOMPARE(V2Frame(v2, "TIT2"), titles[i]);
        QCOMPARE(V2Frame(v2, "TPE1"), QStringLiteral("Кино"));
        QCOMPARE(V2Frame(v2, "TALB"), QStringLiteral("Последний герой"));
        QCOMPARE(int(v2->year()), 1989);
        QCOMPARE(int(v2->track()), i + 1);
        QCOMPARE(ToQString(v2->genre()), QStringLiteral("Rock"));
        QCOMPARE(ToQString(v2->comment()), QStringLiteral("Ленинград"));

        // ID3v1 holds Latin-1 only: lame writes "?" for each Cyrillic letter.
        TagLib::ID3v1::Tag* v1 = mp3.ID3v1Tag();
        QVERIFY(v1);
        QString latin = titles[i];
        for (QChar& c : latin) {
            if (c.unicode() > 0xff)
                c = u'?';
        }
        QCOMPARE(ToQString(v1->title()), latin);
        QCOMPARE(int(v1->year()), 1989);
        QCOMPARE(int(v1->track()), i + 1);
        QCOMPARE(int(v1->genreNumber()), 17);
    }
}

void TstLameRun::decoding()
{
    const double seconds = 0.5;
    QVERIFY(TestUtil::WriteWav(m_dir->filePath(QStringLiteral("in/tone.wav")), seconds, 44100, 1));
    AddJob(QStringLiteral("in/tone.wav"));
    QVERIFY(Run(0));

    // Decode the MP3 from the first run into another folder.
    m_queue->Clear();
    m_view->checked.clear();
    m_view->progress.clear();
    AddJob(QStringLiteral("out/tone.mp3"));
    m_settings.TargetDirectory = m_dir->filePath(QStringLiteral("decoded/"));
    QVERIFY(Run(1));

    const QString out = m_dir->filePath(QStringLiteral("decoded/tone.wav"));
    TagLib::RIFF::WAV::File wav(QFile::encodeName(out).constData());
    QVERIFY2(wav.isValid(), qPrintable(out));
    const TagLib::RIFF::WAV::Properties* p = wav.audioProperties();
    QCOMPARE(p->format(), 1); // PCM
    QCOMPARE(p->channels(), 1);
    QCOMPARE(p->sampleRate(), 44100);
    QCOMPARE(p->bitsPerSample(), 16);
    // lame strips its own delay and padding, so the length comes back within a frame.
    QVERIFY2(qAbs(qint64(p->sampleFrames()) - qint64(seconds * 44100)) <= 1152,
             qPrintable(QString::number(p->sampleFrames())));
    QVERIFY(m_view->progress.contains(QStringLiteral("0/1:100")));
}

// Two lame processes at once, each through its own temporary: both MP3
// files read back whole, and both lines showed their own percent.
void TstLameRun::twoJobsAtOnce()
{
    m_settings.ParallelJobs = 2;
    for (int i = 0; i < 2; ++i) {
        const QString source = QStringLiteral("in/%1.wav").arg(i);
        QVERIFY(TestUtil::WriteWav(m_dir->filePath(source), 1.0 + i));
        AddJob(source);
    }
    QVERIFY(Run(0));

    for (int i = 0; i < 2; ++i) {
        const QString out = m_dir->filePath(QStringLiteral("out/%1.mp3").arg(i));
        QCOMPARE(m_queue->Items(i)->OutputFile(), out);
        TagLib::MPEG::File mp3(QFile::encodeName(out).constData());
        QVERIFY2(mp3.isValid(), qPrintable(out));
        QCOMPARE(mp3.audioProperties()->sampleRate(), 44100);
        QVERIFY2(qAbs(mp3.audioProperties()->lengthInMilliseconds() - 1000 * (1 + i)) < 100,
                 qPrintable(QString::number(mp3.audioProperties()->lengthInMilliseconds())));
        QVERIFY(m_view->lineProgress.contains(m_queue->Items(i)->InputFile() + QStringLiteral(":100")));
    }
    QVERIFY(QDir(m_dir->filePath(QStringLiteral("out"))).entryList(QDir::Hidden | QDir::Files).size() == 2);
}

QTEST_GUILESS_MAIN(TstLameRun)
#include "tst_lamerun.moc"
