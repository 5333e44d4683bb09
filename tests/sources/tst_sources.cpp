// Non-WAV sources as a user meets them: the real main window with "Source
// formats" on, sources of every kind made by Debian's tools, decoded by the
// real ffmpeg into the real lame; their tags carried into the MP3 files, the
// tag editor's fixed values first; a damaged source; a missing decoder; and
// files and folders dropped from a file manager.

#include "batchrun.h"
#include "e2etest.h"
#include "emptyhint.h"
#include "encoder.h"
#include "foldertree.h"
#include "id3read.h"
#include "mainwindow.h"
#include "newfilelistbox.h"
#include "prefdialog.h"
#include "queuelist.h"
#include "settingsstore.h"
#include "sourcefixture.h"
#include "sourcetagfiller.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>
#include <QtTest>

#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/mpegproperties.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <optional>

using E2E::Find;
using SourceFixture::Tags;
using TestUtil::V2Frame;

namespace {

// What is left of the fixture's 440 Hz tone once the tone itself is taken
// away (a least-squares fit per channel), in dB of full scale, for the
// worse channel. ffmpeg decodes the file into floats; a fifth of a second
// at either end (the encoder's delay and padding) is left out.
std::optional<double> NoiseFloor(const QString& audio, const QString& scratch, int rate)
{
    const QString raw = scratch + QStringLiteral(".f32");
    if (!SourceFixture::Run(QStringLiteral("ffmpeg"),
                            {"-nostdin", "-v", "error", "-y", "-i", audio, "-f", "f32le", "-c:a",
                             "pcm_f32le", raw}))
        return std::nullopt;
    const QByteArray bytes = TestUtil::ReadFile(raw);
    constexpr int channels = 2;
    const qsizetype frames = bytes.size() / qsizetype(channels * sizeof(float));
    const qsizetype edge = rate / 5;
    if (frames < 3 * edge)
        return std::nullopt;
    const double w = 2 * M_PI * 440.0 / rate;
    const auto sample = [&bytes](qsizetype i) {
        float v = 0;
        std::memcpy(&v, bytes.constData() + i * qsizetype(sizeof(float)), sizeof v);
        return double(v);
    };
    double worst = -400;
    for (int c = 0; c < channels; ++c) {
        double cc = 0, ss = 0, cs = 0, yc = 0, ys = 0;
        for (qsizetype i = edge; i < frames - edge; ++i) {
            const double co = std::cos(w * double(i)), si = std::sin(w * double(i));
            const double y = sample(i * channels + c);
            cc += co * co;
            ss += si * si;
            cs += co * si;
            yc += y * co;
            ys += y * si;
        }
        const double det = cc * ss - cs * cs;
        const double a = (yc * ss - ys * cs) / det, b = (ys * cc - yc * cs) / det;
        double rest = 0;
        for (qsizetype i = edge; i < frames - edge; ++i) {
            const double e = sample(i * channels + c) - a * std::cos(w * double(i))
                             - b * std::sin(w * double(i));
            rest += e * e;
        }
        worst = std::max(worst, 10 * std::log10(rest / double(frames - 2 * edge) + 1e-40));
    }
    return worst;
}

} // namespace
// Tags come from the reader helper after the files are queued.
#define WAIT_FOR_TAGS() \
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->SourceTagFiller()->IsBusy(), 30000)

class TstSources final : public QObject
{
    Q_OBJECT
public:
    explicit TstSources(const E2E::TPrivateHome& home) : m_home(home) {}

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void encodes_data();
    void encodes();
    void quietSourceKeepsItsDepth();
    void parallelPipes();
    void stopNowEndsDecoders();
    void fixedValuesWin();
    void damagedSourceFails();
    void missingDecoder();
    void coverArt();
    void dropOnQueue();
    void dropOnTree();
    void defaultListsOnlyWav();

private:
    // Writes the settings the window loads; formats: "Source formats".
    void StartWindow(bool formats, bool cover = false);
    template <typename T = QWidget>
    T* Child(const char* name) const
    {
        return Find<T>(m_window.get(), QLatin1String(name));
    }
    QStringList QueuedPaths() const;
    void Go();
    QString Work(const QString& name) const { return m_work->filePath(name); }
    QString Target() const { return Work(QStringLiteral("out")); }
    static void DropOn(QWidget* viewport, const QStringList& paths);

    const E2E::TPrivateHome& m_home;
    std::unique_ptr<QTemporaryDir> m_work;
    std::unique_ptr<TMainF> m_window;
};

void TstSources::initTestCase()
{
    if (!Encoder::Locate().errorName.isEmpty())
        QSKIP("lame is not installed");
    for (const char* tool : {"ffmpeg", "flac", "oggenc", "opusenc"}) {
        if (!SourceFixture::Have(QLatin1String(tool)))
            QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
    }
}

void TstSources::init()
{
    m_work = std::make_unique<QTemporaryDir>(m_home.MusicPath() + QStringLiteral("/src-XXXXXX"));
    QVERIFY(m_work->isValid());
    QVERIFY(QDir().mkpath(Target()));
}

void TstSources::cleanup()
{
    m_window.reset();
    m_work.reset();
    QFile::remove(m_home.SettingsFile());
}

void TstSources::StartWindow(bool formats, bool cover)
{
    ProgramSettings s;
    s.TargetDirectory = Target() + u'/';
    s.FileNameFormat = QStringLiteral("%0");
    s.AllSourceFormats = formats;
    s.EmbedCoverArt = cover;
    s.DeleteFromQueue = false;
    QVERIFY(SaveSettings(s, m_work->path() + u'/', nullptr));
    m_window = std::make_unique<TMainF>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

QStringList TstSources::QueuedPaths() const
{
    QStringList paths;
    for (int i = 0; i < m_window->Queue().Count(); ++i)
        paths << m_window->Queue().Items(i)->InputFile();
    return paths;
}

void TstSources::Go()
{
    Child<QAbstractButton>("GoBtn")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->BatchRun()->IsRunning(), 120000);
}

void TstSources::DropOn(QWidget* viewport, const QStringList& paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls << QUrl::fromLocalFile(p);
    data.setUrls(urls);
    const QPoint at = viewport->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    if (enter.isAccepted())
        QCoreApplication::sendEvent(viewport, &drop);
}

void TstSources::encodes_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("bits");
    QTest::newRow("flac") << "flac" << 44100 << 16;
    QTest::newRow("flac, 24 bits at 48 kHz") << "flac" << 48000 << 24;
    QTest::newRow("ogg") << "ogg" << 44100 << 16;
    QTest::newRow("opus") << "opus" << 48000 << 16;
    QTest::newRow("aiff, 24 bits") << "aiff" << 44100 << 24;
    QTest::newRow("m4a") << "m4a" << 44100 << 16;
    QTest::newRow("wavpack") << "wv" << 32000 << 16;
}

void TstSources::encodes()
{
    QFETCH(QString, kind);
    QFETCH(int, rate);
    QFETCH(int, bits);
    const QString source = Work(QStringLiteral("Песня.") + kind);
    const Tags given{QStringLiteral("Группа крови"), QStringLiteral("Кино"),
                     QStringLiteral("Группа крови"), QStringLiteral("1988-01-05"),
                     QStringLiteral("Rock"), QStringLiteral("1/11"), QStringLiteral("")};
    QVERIFY(SourceFixture::Make(source, kind, given, 3.0, rate, bits));
    StartWindow(true);
    QCOMPARE(Child<QLabel>("Label2")->text(),
             QStringLiteral("Файлы: *.wav;*.flac;*.ogg;*.oga;*.opus;*.aif;*.aiff;*.m4a;*.wv"));

    QCOMPARE(m_window->AddSources({source}), QStringList());
    WAIT_FOR_TAGS();
    QCOMPARE(m_window->Queue().Count(), 1);
    const TQueueItem* job = m_window->Queue().Items(0);
    QCOMPARE(job->Title(), given.title);
    QVERIFY(job->Id3v2());
    QVERIFY(!job->AutoTrack);
    QCOMPARE(int(job->Track()), 1);

    auto* list = Child<TQueueList>("QueueLst");
    Go();
    QVERIFY2(list->IsLineChecked(0), qPrintable(list->item(0)->toolTip()));
    QVERIFY(QFile::exists(source));

    const QString mp3 = Target() + QStringLiteral("/Песня.mp3");
    TagLib::MPEG::File file(QFile::encodeName(mp3).constData());
    QVERIFY(file.isValid());
    const int ms = file.audioProperties()->lengthInMilliseconds();
    QVERIFY2(qAbs(ms - 3000) <= 80, qPrintable(QString::number(ms)));
    QCOMPARE(file.audioProperties()->sampleRate(), rate);
    QCOMPARE(file.audioProperties()->channels(), 2);
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
    QVERIFY(tag);
    QCOMPARE(V2Frame(tag, "TIT2"), given.title);
    QCOMPARE(V2Frame(tag, "TPE1"), given.artist);
    QCOMPARE(V2Frame(tag, "TALB"), given.album);
    QCOMPARE(V2Frame(tag, "TRCK"), QStringLiteral("1"));
    QVERIFY(V2Frame(tag, "TYER").contains(QStringLiteral("1988"))
            || V2Frame(tag, "TDRC").contains(QStringLiteral("1988")));
    QCOMPARE(QDir(Target()).entryList(QDir::Files | QDir::Hidden), QStringList{"Песня.mp3"});
}

// A quiet 24-bit source keeps its depth on its way through the decoder into
// lame: what the MP3 holds besides the tone lies near the source's own
// floor. A 16-bit pipe raises it by some 36 dB here, an 8-bit one by 76.
void TstSources::quietSourceKeepsItsDepth()
{
    const QString source = Work(QStringLiteral("quiet.flac"));
    QVERIFY(SourceFixture::Make(source, QStringLiteral("flac"), {}, 1.5, 48000, 24, -30));
    StartWindow(true);
    m_window->AddSources({source});
    WAIT_FOR_TAGS();
    Go();
    auto* list = Child<TQueueList>("QueueLst");
    QVERIFY2(list->IsLineChecked(0), qPrintable(list->item(0)->toolTip()));
    const std::optional<double> before = NoiseFloor(source, Work(QStringLiteral("source")), 48000);
    const std::optional<double> after =
        NoiseFloor(Target() + QStringLiteral("/quiet.mp3"), Work(QStringLiteral("output")), 48000);
    QVERIFY(before && after);
    QVERIFY2(*after <= *before + 20,
             qPrintable(QStringLiteral("source %1 dB, MP3 %2 dB").arg(*before).arg(*after)));
}

// Several decoders and encoders at once: every pipe stays with its own job.
void TstSources::parallelPipes()
{
    QStringList sources;
    const QStringList kinds{"flac", "ogg", "flac", "opus", "wav"};
    for (int i = 0; i < kinds.size(); ++i) {
        sources << Work(QStringLiteral("%1.%2").arg(i + 1).arg(kinds[i]));
        QVERIFY(SourceFixture::Make(sources.last(), kinds[i],
                                    {QStringLiteral("Трек %1").arg(i + 1), "", "", "", "", "", ""},
                                    1.0 + i));
    }
    StartWindow(true);
    m_window->Settings().ParallelJobs = 3;
    m_window->Settings().DeleteAfterProcess = true;
    m_window->AddSources(sources);
    WAIT_FOR_TAGS();
    QCOMPARE(m_window->Queue().Count(), kinds.size());
    Go();
    auto* list = Child<TQueueList>("QueueLst");
    for (int i = 0; i < kinds.size(); ++i) {
        QVERIFY2(list->IsLineChecked(i), qPrintable(list->item(i)->toolTip()));
        QVERIFY(!QFile::exists(sources[i]));
        const QString mp3 = Target() + QStringLiteral("/%1.mp3").arg(i + 1);
        TagLib::MPEG::File file(QFile::encodeName(mp3).constData());
        QVERIFY2(file.isValid(), qPrintable(mp3));
        const int ms = file.audioProperties()->lengthInMilliseconds();
        QVERIFY2(qAbs(ms - 1000 * (i + 1)) <= 80, qPrintable(QString::number(ms)));
        if (kinds[i] != QLatin1String("wav")) // a WAV without tags gets none
            QCOMPARE(V2Frame(file.ID3v2Tag(), "TIT2"), QStringLiteral("Трек %1").arg(i + 1));
    }
}

// The second "Отмена" stops piped jobs as it stops the others: the decoder
// goes with its encoder, the temporary goes, the source stays.
void TstSources::stopNowEndsDecoders()
{
    // An encoder that takes its time and reads nothing, so ffmpeg waits on a
    // full pipe; it writes into its output first, as lame does.
    const QString fake = Work(QStringLiteral("slow-lame"));
    QVERIFY(TestUtil::WriteFile(fake, "#!/bin/sh\nfor a; do out=$a; done\nprintf x > \"$out\"\n"
                                      "exec sleep 30\n"));
    QFile::setPermissions(fake, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QStringList sources;
    for (const char* name : {"1.flac", "2.flac"}) {
        sources << Work(QLatin1String(name));
        QVERIFY(SourceFixture::Make(sources.last(), QStringLiteral("flac"), {}, 30.0));
    }
    StartWindow(true);
    m_window->Settings().ParallelJobs = 2;
    m_window->BatchRun()->SetEncoderProgram(fake);
    m_window->BatchRun()->SetStopGrace(std::chrono::milliseconds(200));
    m_window->AddSources(sources);
    WAIT_FOR_TAGS();
    Child<QAbstractButton>("GoBtn")->click();
    QTRY_COMPARE(QDir(Target()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    Child<QAbstractButton>("CancelBtn")->click();
    Child<QAbstractButton>("CancelBtn")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->BatchRun()->IsRunning(), 10000);
    auto* list = Child<TQueueList>("QueueLst");
    for (int i = 0; i < 2; ++i) {
        QVERIFY(!list->IsLineChecked(i));
        QCOMPARE(list->item(i)->toolTip(), TBatchRun::StoppedReason());
        QVERIFY(QFile::exists(sources[i]));
    }
    QCOMPARE(QDir(Target()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void TstSources::fixedValuesWin()
{
    const QString source = Work(QStringLiteral("a.flac"));
    QVERIFY(SourceFixture::Make(source, QStringLiteral("flac"),
                                {"Из файла", "Исполнитель из файла", "Альбом", "2001", "Jazz",
                                 "7/9", ""},
                                0.5));
    StartWindow(true);
    // Fixed title and track in the editor; artist, album, year and genre open.
    Child<QLineEdit>("TItleEd")->setText(QStringLiteral("Своё название"));
    Child<QCheckBox>("TitleFixCB")->setChecked(true);
    Child<QCheckBox>("TrackFixCB")->setChecked(true);
    m_window->AddSources({source});
    WAIT_FOR_TAGS();
    QCOMPARE(m_window->Queue().Count(), 1);
    const TQueueItem* job = m_window->Queue().Items(0);
    QCOMPARE(job->Title(), QStringLiteral("Своё название"));
    QCOMPARE(job->Artist(), QStringLiteral("Исполнитель из файла"));
    QCOMPARE(job->Album(), QStringLiteral("Альбом"));
    QCOMPARE(job->Year(), QStringLiteral("2001"));
    QCOMPARE(int(job->Genre()), 8); // "Jazz"
    QVERIFY(job->Track() != 7);     // the editor's fixed track, not the source's
}

void TstSources::damagedSourceFails()
{
    const QString good = Work(QStringLiteral("good.flac"));
    const QString bad = Work(QStringLiteral("bad.flac"));
    QVERIFY(SourceFixture::Make(good, QStringLiteral("flac"), {}, 2.0));
    QVERIFY(SourceFixture::Make(bad, QStringLiteral("flac"), {}, 2.0));
    QByteArray bytes = TestUtil::ReadFile(bad);
    QVERIFY(bytes.size() > 4000);
    for (qsizetype i = bytes.size() / 2; i < bytes.size() / 2 + 200; ++i)
        bytes[i] = 'X';
    QVERIFY(TestUtil::WriteFile(bad, bytes));

    StartWindow(true);
    m_window->Settings().DeleteAfterProcess = true;
    m_window->AddSources({bad, good});
    WAIT_FOR_TAGS();
    QCOMPARE(m_window->Queue().Count(), 2);
    Go();
    auto* list = Child<TQueueList>("QueueLst");
    QVERIFY(!list->IsLineChecked(0));
    const QString tip = list->item(0)->toolTip();
    // ffmpeg goes on past the damage; what it decoded falls short, and its
    // first word on the damage says why.
    QVERIFY2(tip.startsWith(QStringLiteral("Результат короче исходного: "))
                 && tip.contains(QStringLiteral("(flac: ")),
             qPrintable(tip));
    QVERIFY(QFile::exists(bad));
    QVERIFY(list->IsLineChecked(1));
    QVERIFY(!QFile::exists(good));
    QCOMPARE(QDir(Target()).entryList(QDir::Files | QDir::Hidden), QStringList{"good.mp3"});
}

void TstSources::missingDecoder()
{
    const QString source = Work(QStringLiteral("a.flac"));
    const QString wav = Work(QStringLiteral("b.wav"));
    QVERIFY(SourceFixture::Make(source, QStringLiteral("flac"), {}, 0.5));
    QVERIFY(TestUtil::WriteWav(wav));
    StartWindow(true);
    m_window->BatchRun()->SetDecoderProgram(Work(QStringLiteral("no-such-ffmpeg")));
    m_window->AddSources({source, wav});
    WAIT_FOR_TAGS();
    Go();
    auto* list = Child<TQueueList>("QueueLst");
    QVERIFY(!list->IsLineChecked(0));
    QCOMPARE(list->item(0)->toolTip(), QStringLiteral("Не найден декодер ffmpeg"));
    // A WAV source needs no decoder.
    QVERIFY(list->IsLineChecked(1));
    QCOMPARE(QDir(Target()).entryList(QDir::Files | QDir::Hidden), QStringList{"b.mp3"});
}

void TstSources::coverArt()
{
    const QString source = Work(QStringLiteral("a.ogg"));
    QVERIFY(SourceFixture::Make(source, QStringLiteral("ogg"), {"Title", "", "", "", "", "", ""}, 0.5));
    const QByteArray png = QByteArray::fromBase64(
        "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==");
    QVERIFY(TestUtil::WriteFile(Work(QStringLiteral("Cover.png")), png));
    StartWindow(true, true);
    m_window->AddSources({source});
    WAIT_FOR_TAGS();
    Go();
    TagLib::MPEG::File file(QFile::encodeName(Target() + QStringLiteral("/a.mp3")).constData());
    QVERIFY(file.isValid() && file.ID3v2Tag());
    const TagLib::ID3v2::FrameList pictures = file.ID3v2Tag()->frameListMap()["APIC"];
    QCOMPARE(int(pictures.size()), 1);
    auto* picture = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(pictures.front());
    QVERIFY(picture);
    QCOMPARE(QByteArray(picture->picture().data(), int(picture->picture().size())), png);
}

void TstSources::dropOnQueue()
{
    const QString folder = Work(QStringLiteral("album"));
    for (const char* name : {"album/10.flac", "album/2.flac", "album/cd2/1.ogg"})
        QVERIFY(SourceFixture::Make(Work(QLatin1String(name)),
                                    QFileInfo(QLatin1String(name)).suffix(), {}, 0.2));
    QVERIFY(TestUtil::WriteFile(Work(QStringLiteral("album/notes.txt"))));
    const QString single = Work(QStringLiteral("z.wav"));
    const QString first = Work(QStringLiteral("y.opus"));
    QVERIFY(TestUtil::WriteWav(single));
    QVERIFY(SourceFixture::Make(first, QStringLiteral("opus"), {}, 0.2));
    StartWindow(true);
    QWidget* viewport = Child<TQueueList>("QueueLst")->viewport();

    // Files in the dropped order, a folder's files sorted as the file list
    // sorts them, its sub-folders after; text files and duplicates left out.
    DropOn(viewport, {first, single, folder, first});
    WAIT_FOR_TAGS();
    // The file list sorts names as text: "10" before "2".
    QCOMPARE(QueuedPaths(), (QStringList{first, single, folder + "/10.flac", folder + "/2.flac",
                                         folder + "/cd2/1.ogg"}));

    // During a run the queue takes no drops.
    const QString late = Work(QStringLiteral("late.wav"));
    QVERIFY(TestUtil::WriteWav(late, 2.0));
    Child<QAbstractButton>("GoBtn")->click();
    QVERIFY(m_window->BatchRun()->IsRunning());
    DropOn(viewport, {late});
    WAIT_FOR_TAGS();
    QCOMPARE(m_window->Queue().Count(), 5);
    m_window->BatchRun()->Cancel();
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->BatchRun()->IsRunning(), 60000);
}

void TstSources::dropOnTree()
{
    const QString folder = Work(QStringLiteral("Альбом"));
    QVERIFY(SourceFixture::Make(folder + QStringLiteral("/1.flac"), QStringLiteral("flac"), {}, 0.2));
    StartWindow(true);
    auto* list = Child<TNewFileListBox>("FileList");
    DropOn(Child<TFolderTree>("shDirs")->viewport(), {folder});
    WAIT_FOR_TAGS();
    QTRY_COMPARE(list->Directory(), folder + u'/');
    QTRY_COMPARE(list->Count(), 1);
    // A dropped file shows its folder.
    DropOn(Child<TFolderTree>("shDirs")->viewport(), {m_work->filePath(QStringLiteral("out"))});
    WAIT_FOR_TAGS();
    QTRY_COMPARE(list->Directory(), Target() + u'/');
}

void TstSources::defaultListsOnlyWav()
{
    const QString flac = Work(QStringLiteral("a.flac"));
    const QString wav = Work(QStringLiteral("b.wav"));
    QVERIFY(SourceFixture::Make(flac, QStringLiteral("flac"), {"Title", "", "", "", "", "", ""}, 0.2));
    QVERIFY(SourceFixture::Make(wav, QStringLiteral("wav"), {"Title", "", "", "", "", "", ""}, 0.2));
    StartWindow(false);
    QCOMPARE(Child<QLabel>("Label2")->text(), QStringLiteral("Файлы: *.wav"));

    // A folder with only other kinds points to the setting; a folder with
    // nothing at all says so, as before.
    const QString other = Work(QStringLiteral("other"));
    QVERIFY(SourceFixture::Make(other + QStringLiteral("/x.opus"), QStringLiteral("opus"), {}, 0.2));
    auto* list = Child<TNewFileListBox>("FileList");
    DropOn(Child<TFolderTree>("shDirs")->viewport(), {other});
    WAIT_FOR_TAGS();
    QTRY_COMPARE(list->Directory(), other + u'/');
    auto* hint = list->findChild<TEmptyHint*>();
    QVERIFY(hint);
    QCOMPARE(list->Count(), 0);
    QVERIFY2(hint->Text().contains(QStringLiteral("«Сжимать также FLAC, Ogg, Opus, AIFF, M4A, WavPack»")),
             qPrintable(hint->Text()));
    DropOn(Child<TFolderTree>("shDirs")->viewport(), {Target()});
    WAIT_FOR_TAGS();
    QTRY_COMPARE(list->Directory(), Target() + u'/');
    QCOMPARE(hint->Text(), QStringLiteral("В этой папке нет файлов *.wav"));

    QCOMPARE(m_window->AddSources({flac, wav}), QStringList{flac});
    WAIT_FOR_TAGS();
    // With the setting off a job is made as before: no tags from the source.
    const TQueueItem* job = m_window->Queue().Items(0);
    QVERIFY(job->Title().isEmpty());
    QVERIFY(!job->Id3v1() && !job->Id3v2());

    // Switched on in the preferences, the list shows the other kinds at once.
    DropOn(Child<TFolderTree>("shDirs")->viewport(), {other});
    WAIT_FOR_TAGS();
    QTRY_COMPARE(list->Directory(), other + u'/');
    E2E::TModalAnswer<TPrefF> answer([](TPrefF* dialog) {
        Find<QCheckBox>(dialog, QStringLiteral("SourceFormatsCB"))->click();
        Find<QAbstractButton>(dialog, QStringLiteral("OkBtn"))->click();
    });
    Child<QAction>("N7")->trigger();
    QVERIFY(answer.Answered());
    QVERIFY(m_window->Settings().AllSourceFormats);
    QCOMPARE(Child<QLabel>("Label2")->text(),
             QStringLiteral("Файлы: *.wav;*.flac;*.ogg;*.oga;*.opus;*.aif;*.aiff;*.m4a;*.wv"));
    QTRY_COMPARE(list->Count(), 1);

    // The add-file dialog offers the same kinds first.
    QString filter;
    m_window->PickFile = [&filter](QWidget*, const QString&, const QString&, const QString& f) {
        filter = f;
        return QString();
    };
    Child<QAction>("N4")->trigger();
    QCOMPARE(filter, QStringLiteral("Аудиофайлы (*.wav *.flac *.ogg *.oga *.opus *.aif *.aiff *.m4a *.wv)"
                                    ";;WAV-файлы (*.wav);;Все файлы (*)"));
}

#include "tst_sources.moc"
E2E_TEST_MAIN(TstSources)
