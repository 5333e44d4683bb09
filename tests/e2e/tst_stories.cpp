// The program as a user meets it: the real main window, offscreen, driven
// through its controls, with the real lame and a private home folder.
// Encoding a session with tags into artist and album folders, decoding MP3
// files back to WAV, and a run in which some jobs fail.

#include "batchrun.h"
#include "e2etest.h"
#include "encoder.h"
#include "foldertree.h"
#include "foldertreemodel.h"
#include "mainwindow.h"
#include "newfilelistbox.h"
#include "prefdialog.h"
#include "queuelist.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QtTest>

#include <taglib/id3v2tag.h>
#include "id3read.h"
#include <taglib/mpegfile.h>
#include <taglib/wavfile.h>

#include <memory>

using namespace std::chrono_literals;
using E2E::Find;

using TestUtil::ToQString;
using TestUtil::V2Frame;

namespace {

// Picks one of an editable combo box's suggestions, as from its drop-down.
void PickSuggestion(QComboBox* box, const QString& text)
{
    const int index = box->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    box->setCurrentIndex(index);
    QCOMPARE(box->currentText(), text);
}

const QStringList SettingNames = {
    "ABitrate", "FreqIdx", "MinBitrate", "MaxBitrate", "Quality", "VBRQuality",
    "Keep all frequences", "Mode", "Algorithm", "New VBR routine", "Copyrighted bit", "CRCs",
    "Non-original bit", "Target directory", "Output file name format",
    "Output artist folder format", "Output album folder format", "Create sub folders",
    "Delete after process", "Delete from queue", "Folder", "Show output names",
    "Existing output", "Parallel jobs", "Pause between jobs", "Source formats",
    "Embed cover art", "Notify at end"};

} // namespace

class TstStories final : public QObject
{
    Q_OBJECT
public:
    explicit TstStories(const E2E::TPrivateHome& home) : m_home(home) {}

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void encodingStory();
    void decodingStory();
    void failureStory();

private:
    void StartWindow();
    template <typename T = QWidget>
    T* Child(const char* name) const
    {
        return Find<T>(m_window.get(), QLatin1String(name));
    }
    void ClickFolder(const QString& folder);
    // Opens "&Параметры..." from the menu, lets set fill it in and presses "&OK".
    void AcceptPreferences(const std::function<void(TPrefF*)>& set);
    // "&Вперед!", then waits for the end of the run.
    void Go(int timeoutMs = 60000);
    QString StatusText() const { return Child<QLabel>("StatusText")->text(); }
    QString Work(const QString& name) const { return m_work->filePath(name); }

    const E2E::TPrivateHome& m_home;
    QString m_lame;
    std::unique_ptr<QTemporaryDir> m_work;
    std::unique_ptr<TMainF> m_window;
};

void TstStories::initTestCase()
{
    const Encoder::Location lame = Encoder::Locate();
    if (!lame.errorName.isEmpty())
        QSKIP("lame is not installed");
    m_lame = lame.program;
}

void TstStories::init()
{
    QFile::remove(m_home.SettingsFile());
    // Inside the home's music folder, so the tree reaches it from its home branch.
    m_work = std::make_unique<QTemporaryDir>(m_home.MusicPath() + QStringLiteral("/story-XXXXXX"));
    QVERIFY(m_work->isValid());
}

void TstStories::cleanup()
{
    m_window.reset();
    m_work.reset();
}

void TstStories::StartWindow()
{
    m_window = std::make_unique<TMainF>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TstStories::ClickFolder(const QString& folder)
{
    auto* tree = Child<TFolderTree>("shDirs");
    auto* list = Child<TNewFileListBox>("FileList");
    QVERIFY(tree->MoveTo(folder)); // the user opens the way down to it
    const bool clicked = E2E::ClickTreeFolder(
        tree, [&] { return tree->FolderModel()->IndexOf(folder); },
        [&] { return list->Directory() == folder + QStringLiteral("/"); });
    QVERIFY2(clicked, qPrintable(list->Directory()));
}

void TstStories::AcceptPreferences(const std::function<void(TPrefF*)>& set)
{
    bool accepted = false;
    E2E::TModalAnswer<TPrefF> answer([&](TPrefF* dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Настройка программы"));
        set(dialog);
        Find<QAbstractButton>(dialog, QStringLiteral("OkBtn"))->click();
        accepted = dialog->result() == QDialog::Accepted;
    });
    auto* n7 = Child<QAction>("N7");
    QCOMPARE(n7->text(), QStringLiteral("&Параметры..."));
    n7->trigger();
    QVERIFY(answer.Answered());
    QVERIFY(accepted);
}

void TstStories::Go(int timeoutMs)
{
    auto* go = Child<QAbstractButton>("GoBtn");
    QCOMPARE(go->text(), QStringLiteral("&Вперед!"));
    go->click();
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->BatchRun()->IsRunning(), timeoutMs);
}

void TstStories::encodingStory()
{
    const QString folder = Work(QStringLiteral("Запись"));
    const QStringList wavs{"spare.wav", "take1.wav", "take2.wav", "take3.wav"};
    for (const QString& name : wavs)
        QVERIFY(TestUtil::WriteWav(folder + u'/' + name, 0.4));
    QVERIFY(TestUtil::WriteFile(folder + QStringLiteral("/notes.txt")));
    const QString target = Work(QStringLiteral("Готовое"));
    QVERIFY(QDir().mkpath(target));

    StartWindow();
    ClickFolder(folder);
    auto* fileList = Child<TNewFileListBox>("FileList");
    QCOMPARE(fileList->Lines(), wavs);
    E2E::CtrlClickRows(fileList, {1, 2, 3});
    QCOMPARE(fileList->SelectedFiles().size(), 3);

    // Tag versions for every new job, and four values fixed for all of them.
    Child<QAbstractButton>("Id3v1CBx")->click();
    Child<QAbstractButton>("Id3v2CBx")->click();
    E2E::TypeText(Child("ArtistEd"), QStringLiteral("Кино"));
    Child<QAbstractButton>("ArtistFixCB")->click();
    E2E::TypeText(Child("AlbumEd"), QStringLiteral("Группа крови"));
    Child<QAbstractButton>("AlbumFixCB")->click();
    E2E::TypeText(Child("YearEd"), QStringLiteral("1988"));
    Child<QAbstractButton>("YearFixCB")->click();
    auto* genre = Child<QComboBox>("GenreCBx");
    genre->setFocus();
    E2E::TypeText(genre, QStringLiteral("Rock")); // type-ahead in the closed list
    QCOMPARE(genre->currentText(), QStringLiteral("Rock"));
    Child<QAbstractButton>("GenreFixCB")->click();

    Child<QAbstractButton>("AddBtn")->click();
    auto* queueList = Child<TQueueList>("QueueLst");
    QCOMPARE(queueList->count(), 3);

    // Each job gets its title: select its line, type into the title field.
    const QStringList titles{"Группа крови", "Закрой за мной дверь", "Спокойная ночь"};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(queueList->item(i)->text(), folder + u'/' + wavs.at(i + 1));
        QTest::mouseClick(queueList->viewport(), Qt::LeftButton, {},
                          queueList->visualItemRect(queueList->item(i)).center());
        QCOMPARE(queueList->CurrentLine(), i);
        E2E::TypeText(Child("TItleEd"), titles.at(i));
        QCOMPARE(m_window->Queue().Items(i)->Title(), titles.at(i));
    }

    AcceptPreferences([&](TPrefF* dialog) {
        Find<QAbstractButton>(dialog, QStringLiteral("chCreateSubFolders"))->click();
        PickSuggestion(Find<QComboBox>(dialog, QStringLiteral("edArtist")), QStringLiteral("%2"));
        PickSuggestion(Find<QComboBox>(dialog, QStringLiteral("edAlbum")), QStringLiteral("%4 - %3"));
        PickSuggestion(Find<QComboBox>(dialog, QStringLiteral("FormatEd")), QStringLiteral("%8 - %1"));
        QString prompt;
        dialog->PickFolder = [&](QWidget*, const QString& p, const QString&) {
            prompt = p;
            return target;
        };
        Find<QAbstractButton>(dialog, QStringLiteral("Button1"))->click();
        QCOMPARE(prompt, QStringLiteral("Выберите путь для сохранения файлов после обработки"));
        QCOMPARE(Find<QLineEdit>(dialog, QStringLiteral("TargetEd"))->text(), target);
    });

    // The real pause between jobs: about three seconds each, counted down.
    E2E::TStatusRecorder status(Child<QLabel>("StatusText"));
    Go();
    QStringList expected;
    for (int i = 0; i < 3; ++i) {
        if (i > 0)
            expected << "Ожидание отмены... 3" << "Ожидание отмены... 2" << "Ожидание отмены... 1";
        expected << QStringLiteral("Обрабатывается: ") + folder + u'/' + wavs.at(i + 1);
    }
    expected << QStringLiteral("Готово");
    QStringList seen = status.Texts();
    seen.removeAll(QString());
    QCOMPARE(seen, expected);

    const QString album = target + QStringLiteral("/Кино/1988 - Группа крови/");
    for (int i = 0; i < 3; ++i) {
        const QString out = album + QStringLiteral("0%1 - %2.mp3").arg(i + 1).arg(titles.at(i));
        TagLib::MPEG::File mp3(QFile::encodeName(out).constData());
        QVERIFY2(mp3.isValid(), qPrintable(out));
        TagLib::ID3v2::Tag* v2 = mp3.ID3v2Tag();
        QVERIFY(v2);
        QCOMPARE(V2Frame(v2, "TIT2"), titles.at(i));
        QCOMPARE(V2Frame(v2, "TPE1"), QStringLiteral("Кино"));
        QCOMPARE(V2Frame(v2, "TALB"), QStringLiteral("Группа крови"));
        QCOMPARE(int(v2->year()), 1988);
        QCOMPARE(int(v2->track()), i + 1);
        QCOMPARE(ToQString(v2->genre()), QStringLiteral("Rock"));
        QCOMPARE(V2Frame(v2, "COMM"), QStringLiteral("<none>"));
        QVERIFY(mp3.ID3v1Tag()); // both versions were asked for
    }
    QCOMPARE(QDir(album).entryList(QDir::Files).size(), 3);
    QCOMPARE(queueList->count(), 0); // processed lines removed
    QCOMPARE(m_window->Queue().Count(), 0);
    for (const QString& name : wavs)
        QVERIFY(QFile::exists(folder + u'/' + name));

    // Quit: the settings and the open folder are written, all 21 values and
    // the optional ones.
    const ProgramSettings settings = m_window->Settings();
    QCOMPARE(settings.TargetDirectory, target);
    Child<QAction>("N6")->trigger();
    QVERIFY(!m_window->isVisible());
    const QMap<QString, QString> stored = E2E::ReadRegValues(m_home.SettingsFile());
    QStringList names = stored.keys();
    QStringList wanted = SettingNames;
    names.sort();
    wanted.sort();
    QCOMPARE(names, wanted);
    QCOMPARE(stored.value("Folder"), u'"' + folder + u'"');
    QCOMPARE(stored.value("Target directory"), u'"' + target + u'"');
    QCOMPARE(stored.value("Create sub folders"), QStringLiteral("dword:00000001"));
    QCOMPARE(stored.value("Output file name format"), QStringLiteral("\"%8 - %1\""));
    QCOMPARE(stored.value("Output album folder format"), QStringLiteral("\"%4 - %3\""));

    // The next start brings everything back, in the same folder.
    m_window.reset();
    StartWindow();
    QVERIFY(m_window->Settings() == settings);
    QCOMPARE(Child<TFolderTree>("shDirs")->SelectedPath(), folder);
    QCOMPARE(Child<TNewFileListBox>("FileList")->Directory(), folder + u'/');
    QCOMPARE(Child<TNewFileListBox>("FileList")->Lines(), wavs);
    QCOMPARE(Child<QLabel>("Label2")->text(), QStringLiteral("Файлы: *.wav"));
}

void TstStories::decodingStory()
{
    // MP3 files made by lame itself, next to a WAV and another MPEG file.
    const QString folder = Work(QStringLiteral("mp3"));
    QVERIFY(QDir().mkpath(folder));
    for (const char* name : {"x", "y"}) {
        const QString wav = Work(QStringLiteral("src/%1.wav").arg(QLatin1String(name)));
        QVERIFY(TestUtil::WriteWav(wav, 0.5));
        QProcess lame;
        lame.start(m_lame, {"--quiet", wav, folder + QStringLiteral("/%1.mp3").arg(QLatin1String(name))});
        QVERIFY(lame.waitForFinished(30000));
        QCOMPARE(lame.exitCode(), 0);
    }
    QVERIFY(TestUtil::WriteFile(folder + QStringLiteral("/z.mp2")));
    QVERIFY(TestUtil::WriteWav(folder + QStringLiteral("/w.wav"), 0.1));
    const QString target = Work(QStringLiteral("decoded"));

    StartWindow();
    m_window->BatchRun()->SetPauseStep(0ms);
    ClickFolder(folder);
    auto* fileList = Child<TNewFileListBox>("FileList");
    QCOMPARE(fileList->Lines(), QStringList{"w.wav"});

    auto* decode = Child<QRadioButton>("ModeRG_1");
    QCOMPARE(decode->text(), QStringLiteral("Д&екодирование"));
    QTest::mouseClick(decode, Qt::LeftButton, {}, QPoint(6, decode->height() / 2));
    QCOMPARE(Child<QLabel>("Label2")->text(), QStringLiteral("Файлы: *.mp?"));
    QCOMPARE(fileList->Lines(), (QStringList{"x.mp3", "y.mp3", "z.mp2"}));
    E2E::CtrlClickRows(fileList, {0, 1});
    Child<QAbstractButton>("AddBtn")->click();
    QCOMPARE(m_window->Queue().Count(), 2);

    AcceptPreferences([&](TPrefF* dialog) {
        auto* edit = Find<QLineEdit>(dialog, QStringLiteral("TargetEd"));
        edit->selectAll();
        E2E::TypeText(edit, target);
    });
    Go();
    QCOMPARE(StatusText(), QStringLiteral("Готово"));

    for (const char* name : {"x", "y"}) {
        const QString out = target + QStringLiteral("/%1.wav").arg(QLatin1String(name));
        TagLib::RIFF::WAV::File wav(QFile::encodeName(out).constData());
        QVERIFY2(wav.isValid(), qPrintable(out));
        const TagLib::RIFF::WAV::Properties* p = wav.audioProperties();
        QCOMPARE(p->format(), 1); // PCM
        QCOMPARE(p->channels(), 2);
        QCOMPARE(p->sampleRate(), 44100);
        QCOMPARE(p->bitsPerSample(), 16);
        QVERIFY2(qAbs(qint64(p->sampleFrames()) - 22050) <= 1152,
                 qPrintable(QString::number(p->sampleFrames())));
        QVERIFY(QFile::exists(folder + QStringLiteral("/%1.mp3").arg(QLatin1String(name))));
    }
    QCOMPARE(QDir(target).entryList(QDir::Files).size(), 2);
    QCOMPARE(m_window->Queue().Count(), 0);
}

void TstStories::failureStory()
{
    // lame itself, except for one input where the encoder writes half a file
    // and fails.
    const QString encoder = Work(QStringLiteral("bin/lame"));
    QVERIFY(E2E::WriteScript(encoder, QStringLiteral("case \"$*\" in *bad.wav*)\n"
                                                     "  eval out=\\${$#}\n"
                                                     "  printf partial > \"$out\"\n"
                                                     "  echo 'bad.wav: unsupported sample format'\n"
                                                     "  exit 2;;\n"
                                                     "esac\n"
                                                     "exec '%1' \"$@\"\n")
                                          .arg(m_lame)));
    const QString folder = Work(QStringLiteral("in"));
    const QStringList wavs{"bad.wav", "gone.wav", "good1.wav", "good2.wav"};
    for (const QString& name : wavs)
        QVERIFY(TestUtil::WriteWav(folder + u'/' + name, 0.3));
    const QString target = Work(QStringLiteral("out"));

    StartWindow();
    m_window->BatchRun()->SetEncoderProgram(encoder);
    m_window->BatchRun()->SetPauseStep(0ms);
    ClickFolder(folder);
    auto* fileList = Child<TNewFileListBox>("FileList");
    QCOMPARE(fileList->Lines(), wavs);
    E2E::CtrlClickRows(fileList, {0, 1, 2, 3});
    Child<QAbstractButton>("AddBtn")->click();
    QCOMPARE(m_window->Queue().Count(), 4);
    QVERIFY(QFile::remove(folder + QStringLiteral("/gone.wav"))); // after it was queued

    AcceptPreferences([&](TPrefF* dialog) {
        auto* delSource = Find<QCheckBox>(dialog, QStringLiteral("DelSourceCB"));
        QVERIFY(!delSource->isChecked());
        delSource->click();
        Find<QLineEdit>(dialog, QStringLiteral("TargetEd"))->setText(target);
    });
    Go();
    QCOMPARE(StatusText(), QStringLiteral("Готово. Ошибок: 2"));

    // The failed jobs stay, unticked, each with its reason; the done ones are gone.
    auto* queueList = Child<TQueueList>("QueueLst");
    QCOMPARE(queueList->count(), 2);
    QCOMPARE(m_window->Queue().Count(), 2);
    const QString bad = folder + QStringLiteral("/bad.wav");
    const QString gone = folder + QStringLiteral("/gone.wav");
    QCOMPARE(queueList->item(0)->text(), bad);
    QCOMPARE(queueList->item(1)->text(), gone);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(queueList->item(i)->checkState(), Qt::Unchecked);
        QVERIFY(!queueList->item(i)->icon().isNull());
    }
    QVERIFY2(queueList->item(0)->toolTip().contains(QStringLiteral("unsupported sample format")),
             qPrintable(queueList->item(0)->toolTip()));
    QVERIFY2(!queueList->item(1)->toolTip().isEmpty(), "the missing source has no reason shown");

    // Only the sources of done jobs were deleted; no failed job left output.
    QVERIFY(QFile::exists(bad));
    QVERIFY(!QFile::exists(folder + QStringLiteral("/good1.wav")));
    QVERIFY(!QFile::exists(folder + QStringLiteral("/good2.wav")));
    QCOMPARE(QDir(target).entryList(QDir::Files), (QStringList{"good1.mp3", "good2.mp3"}));
    for (const char* name : {"good1.mp3", "good2.mp3"}) {
        TagLib::MPEG::File mp3(QFile::encodeName(target + u'/' + QLatin1String(name)).constData());
        QVERIFY(mp3.isValid());
    }
}

#include "tst_stories.moc"
E2E_TEST_MAIN(TstStories)
