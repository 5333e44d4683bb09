#include "dialogtest.h"
#include "prefdialog.h"
#include "programsettings.h"
#include "queue.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QThread>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

// Settings that differ from the defaults everywhere, so that a field stored
// from the wrong control shows up.
ProgramSettings StoredSettings()
{
    ProgramSettings s;
    s.ABitrate = 192;
    s.Frequency = 2;
    s.MinBitrate = 64;
    s.MaxBitrate = 256;
    s.Quality = 3;
    s.VBRQuality = 6;
    s.KeepFreq = true;
    s.Mode = Stereo;
    s.VBRNew = false;
    s.Algorithm = ABR;
    s.Copyrighted = true;
    s.CRCs = true;
    s.NonOriginal = false;
    s.TargetDirectory = QStringLiteral("/srv/music/out/");
    s.CreateSubFolders = false;
    s.ArtistFolderFormat = QStringLiteral("%8 - %2");
    s.AlbumFolderFormat = QStringLiteral("%3");
    s.FileNameFormat = QStringLiteral("%8. %1");
    s.DeleteAfterProcess = true;
    s.DeleteFromQueue = false;
    s.ShowOutputNames = false;
    s.ExistingOutput = TExistingOutput::Skip;
    s.ParallelJobs = 4;
    s.PauseBetweenJobs = 1;
    return s;
}

// A job whose compression values were edited on their own, with tags.
TQueueItem* AddEditedJob(TQueue& queue)
{
    TQueueItem* job = queue.Add();
    TCompressValues{.Frequency = 7,
                    .Mode = Mono,
                    .Quality = 9,
                    .KeepFreq = false,
                    .ABitrate = 24,
                    .Algorithm = VBR,
                    .MinBitrate = 8,
                    .MaxBitrate = 320,
                    .VBRQuality = 0,
                    .VBRNew = true,
                    .Copyrighted = false,
                    .NonOriginal = true,
                    .CRCs = false}
        .StoreTo(*job);
    job->SetTitle(QStringLiteral("Песня"));
    job->SetArtist(QStringLiteral("Группа"));
    job->SetTrack(7);
    return job;
}

QComboBox* Pattern(const TPrefF& dialog, const char* name)
{
    return Find<QComboBox>(&dialog, name);
}

} // namespace

// The preferences dialog: what it loads, what OK stores, what cancel keeps.
class TstPrefDialog final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void window();
    void cancelChangesNothing_data();
    void cancelChangesNothing();
    void okWithoutChangesGivesJobsTheSettings();
    void okStoresEveryControl();
    void subFolderRule();
    void defaultsOnDisabledBoxesStored();
    void browse_data();
    void browse();
    void runThroughExec();
    void targetMustBeAbsolute_data();
    void targetMustBeAbsolute();
    void legendNamesEveryCode();
    void patternKeptAsTyped();
    void parallelJobsAndPause_data();
    void parallelJobsAndPause();
};

void TstPrefDialog::window()
{
    ProgramSettings s = StoredSettings();
    TQueue queue;
    TPrefF dialog(s, queue);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Настройка программы"));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QVERIFY(dialog.width() >= 417 && dialog.height() >= 403);
    auto* pages = Find<QTabWidget>(&dialog, "PageControl1");
    QCOMPARE(pages->currentIndex(), 0);
    QCOMPARE(pages->tabText(0), QStringLiteral("Файлы"));
    QCOMPARE(pages->tabText(1), QStringLiteral("Параметры сжатия"));
    QCOMPARE(pages->count(), 3);
    QCOMPARE(pages->tabText(2), QStringLiteral("Дополнительно"));
    QVERIFY(Find<QPushButton>(&dialog, "OkBtn")->isDefault());

    auto* show = Find<QCheckBox>(&dialog, "ShowOutputCB");
    QCOMPARE(show->text(), QStringLiteral("Показывать файлы результата"));
    QVERIFY(!show->isChecked());
    QCOMPARE(Find<QLabel>(&dialog, "ExistingLbl")->text(),
             QStringLiteral("Если файл уже существует:"));
    auto* existing = Find<QComboBox>(&dialog, "ExistingCBx");
    QStringList items;
    for (int i = 0; i < existing->count(); ++i)
        items << existing->itemText(i);
    QCOMPARE(items, (QStringList{"Спрашивать", "Перезаписывать", "Пропускать", "Сохранять оба"}));
    QCOMPARE(existing->currentIndex(), int(TExistingOutput::Skip));
    QCOMPARE(Find<QLabel>(&dialog, "ParallelLbl")->text(), QStringLiteral("Одновременно заданий:"));
    auto* parallel = Find<QSpinBox>(&dialog, "ParallelEd");
    QCOMPARE(parallel->minimum(), 1);
    QCOMPARE(parallel->maximum(), 64);
    QCOMPARE(parallel->value(), 4);
    auto* perCore = Find<QCheckBox>(&dialog, "ParallelCoresCB");
    QCOMPARE(perCore->text(), QStringLiteral("по числу ядер"));
    QVERIFY(!perCore->isChecked());
    QCOMPARE(Find<QLabel>(&dialog, "PauseLbl")->text(), QStringLiteral("Пауза между заданиями, с:"));
    auto* pause = Find<QSpinBox>(&dialog, "PauseEd");
    QCOMPARE(pause->minimum(), 0);
    QCOMPARE(pause->maximum(), 3);
    QCOMPARE(pause->value(), 1);
    auto* formats = Find<QCheckBox>(&dialog, "SourceFormatsCB");
    QCOMPARE(formats->text(), QStringLiteral("Сжимать также FLAC, Ogg, Opus, AIFF, M4A, WavPack"));
    QVERIFY(!formats->isChecked());
    auto* cover = Find<QCheckBox>(&dialog, "CoverArtCB");
    QCOMPARE(cover->text(), QStringLiteral("Вставлять обложку"));
    QVERIFY(!cover->isChecked());
    QCOMPARE(Find<QLabel>(&dialog, "FileNamesLbl")->text(), QStringLiteral("Имена файлов:"));
    auto* names = Find<QComboBox>(&dialog, "FileNamesCBx");
    QCOMPARE(names->count(), 2);
    QCOMPARE(names->itemText(0), QStringLiteral("по файловой системе назначения"));
    QCOMPARE(names->itemText(1), QStringLiteral("совместимые с любым носителем"));
    QCOMPARE(names->currentIndex(), 0);

    QCOMPARE(Find<QLineEdit>(&dialog, "TargetEd")->text(), s.TargetDirectory);
    QCOMPARE(Pattern(dialog, "FormatEd")->currentText(), s.FileNameFormat);
    QCOMPARE(Pattern(dialog, "edArtist")->currentText(), s.ArtistFolderFormat);
    QCOMPARE(Pattern(dialog, "edAlbum")->currentText(), s.AlbumFolderFormat);
    QVERIFY(!Find<QCheckBox>(&dialog, "chCreateSubFolders")->isChecked());
    QVERIFY(Find<QCheckBox>(&dialog, "DelSourceCB")->isChecked());
    QVERIFY(!Find<QCheckBox>(&dialog, "chDelFromQ")->isChecked());
    QVERIFY(Find<QRadioButton>(&dialog, "BitrateRG_1")->isChecked());
}

void TstPrefDialog::cancelChangesNothing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("cancel button") << QStringLiteral("button");
    QTest::newRow("escape") << QStringLiteral("escape");
    QTest::newRow("close box") << QStringLiteral("close");
}

void TstPrefDialog::cancelChangesNothing()
{
    QFETCH(QString, how);
    QTemporaryDir picked;
    const ProgramSettings stored = StoredSettings();
    ProgramSettings s = stored;
    TQueue queue;
    TQueueItem* job = AddEditedJob(queue);
    const TCompressValues jobBefore = TCompressValues::From(*job);

    TPrefF dialog(s, queue);
    dialog.PickFolder = [&picked](QWidget*, const QString&, const QString&) {
        return picked.path();
    };
    dialog.open();
    Find<QPushButton>(&dialog, "Button2")->click();
    Find<QPushButton>(&dialog, "Button1")->click();
    QCOMPARE(Find<QLineEdit>(&dialog, "TargetEd")->text(), picked.path());
    Find<QCheckBox>(&dialog, "chCreateSubFolders")->click();
    ClickRadio(Find<QRadioButton>(&dialog, "BitrateRG_2"));
    Find<QCheckBox>(&dialog, "ShowOutputCB")->click();
    Find<QComboBox>(&dialog, "ExistingCBx")->setCurrentIndex(1);
    Find<QCheckBox>(&dialog, "ParallelCoresCB")->click();
    Find<QSpinBox>(&dialog, "PauseEd")->setValue(3);
    Find<QCheckBox>(&dialog, "SourceFormatsCB")->click();
    Find<QCheckBox>(&dialog, "CoverArtCB")->click();
    Find<QComboBox>(&dialog, "FileNamesCBx")->setCurrentIndex(1);

    if (how == QLatin1String("button"))
        Find<QPushButton>(&dialog, "CancelBtn")->click();
    else if (how == QLatin1String("escape"))
        QTest::keyClick(&dialog, Qt::Key_Escape);
    else
        dialog.close();

    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!dialog.isVisible());
    QVERIFY(s == stored);
    QCOMPARE(TCompressValues::From(*job), jobBefore);
}

void TstPrefDialog::okWithoutChangesGivesJobsTheSettings()
{
    ProgramSettings s = StoredSettings();
    s.MinBitrate = 100; // hand-edited, in no list
    const ProgramSettings stored = s;
    TQueue queue;
    TQueueItem* first = AddEditedJob(queue);
    TQueueItem* second = AddEditedJob(queue);

    TPrefF dialog(s, queue);
    dialog.open();
    Find<QPushButton>(&dialog, "OkBtn")->click();

    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(s == stored);
    // A job refuses the unlisted bitrate and keeps its own minimum.
    TCompressValues expected = TCompressValues::From(stored);
    expected.MinBitrate = 8;
    for (const TQueueItem* job : {first, second}) {
        QCOMPARE(TCompressValues::From(*job), expected);
        QCOMPARE(job->Title(), QStringLiteral("Песня"));
        QCOMPARE(job->Artist(), QStringLiteral("Группа"));
        QCOMPARE(job->Track(), quint8(7));
    }
}

void TstPrefDialog::okStoresEveryControl()
{
    ProgramSettings s = StoredSettings();
    TQueue queue; // empty: only the settings change
    TPrefF dialog(s, queue);
    dialog.open();
    Find<QLineEdit>(&dialog, "TargetEd")->clear();
    Pattern(dialog, "FormatEd")->setEditText(QStringLiteral("%8 - %2 - %1"));
    Find<QCheckBox>(&dialog, "chCreateSubFolders")->click();
    Pattern(dialog, "edArtist")->setEditText(QStringLiteral("%2!"));
    Pattern(dialog, "edAlbum")->setEditText(QString());
    Find<QCheckBox>(&dialog, "DelSourceCB")->click();
    Find<QCheckBox>(&dialog, "chDelFromQ")->click();
    ClickRadio(Find<QRadioButton>(&dialog, "BitrateRG_2"));
    Find<QComboBox>(&dialog, "MaxVBRCB")->setCurrentIndex(2); // 24
    Find<QCheckBox>(&dialog, "NonOriginalCB")->click();
    Find<QCheckBox>(&dialog, "ShowOutputCB")->click();
    Find<QComboBox>(&dialog, "ExistingCBx")->setCurrentIndex(3);
    Find<QSpinBox>(&dialog, "ParallelEd")->setValue(1);
    Find<QSpinBox>(&dialog, "PauseEd")->setValue(0);
    Find<QCheckBox>(&dialog, "SourceFormatsCB")->click();
    Find<QCheckBox>(&dialog, "CoverArtCB")->click();
    Find<QComboBox>(&dialog, "FileNamesCBx")->setCurrentIndex(1);
    Find<QPushButton>(&dialog, "OkBtn")->click();

    ProgramSettings expected = StoredSettings();
    expected.TargetDirectory.clear();
    expected.FileNameFormat = QStringLiteral("%8 - %2 - %1");
    expected.CreateSubFolders = true;
    expected.ArtistFolderFormat = QStringLiteral("%2!");
    expected.AlbumFolderFormat.clear();
    expected.DeleteAfterProcess = false;
    expected.DeleteFromQueue = true;
    expected.Algorithm = VBR;
    expected.MaxBitrate = 24;
    expected.NonOriginal = true;
    expected.ShowOutputNames = true;
    expected.ExistingOutput = TExistingOutput::KeepBoth;
    expected.ParallelJobs = 1;
    expected.PauseBetweenJobs = 0;
    expected.AllSourceFormats = true;
    expected.EmbedCoverArt = true;
    expected.PortableNames = true;
    QCOMPARE(TCompressValues::From(s), TCompressValues::From(expected));
    QVERIFY(s == expected);
}

void TstPrefDialog::subFolderRule()
{
    ProgramSettings s = StoredSettings();
    TQueue queue;
    TPrefF dialog(s, queue);
    dialog.show();
    auto* sub = Find<QCheckBox>(&dialog, "chCreateSubFolders");
    QComboBox* artist = Pattern(dialog, "edArtist");
    QComboBox* album = Pattern(dialog, "edAlbum");

    const auto greyed = [](const QComboBox* box) {
        const QColor base = box->lineEdit()->palette().color(
            box->isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Base);
        return base == box->parentWidget()->palette().color(QPalette::Window);
    };
    QVERIFY(!artist->isEnabled() && !album->isEnabled());
    QVERIFY(greyed(artist) && greyed(album));
    QCOMPARE(artist->currentText(), s.ArtistFolderFormat);
    QCOMPARE(album->currentText(), s.AlbumFolderFormat);

    sub->click();
    QVERIFY(artist->isEnabled() && album->isEnabled());
    QVERIFY(!greyed(artist) && !greyed(album));
    sub->click();
    QVERIFY(!artist->isEnabled() && !album->isEnabled());

    // Loading the option switched on opens the boxes enabled.
    s.CreateSubFolders = true;
    TPrefF enabled(s, queue);
    QVERIFY(Pattern(enabled, "edArtist")->isEnabled());
    QVERIFY(Pattern(enabled, "edAlbum")->isEnabled());
}

void TstPrefDialog::defaultsOnDisabledBoxesStored()
{
    ProgramSettings s = StoredSettings();
    TQueue queue;
    TPrefF dialog(s, queue);
    dialog.open();
    Find<QPushButton>(&dialog, "Button2")->click();
    QVERIFY(!Pattern(dialog, "edArtist")->isEnabled());
    Find<QPushButton>(&dialog, "OkBtn")->click();

    ProgramSettings expected = StoredSettings();
    expected.FileNameFormat = QStringLiteral("%0");
    expected.ArtistFolderFormat = QStringLiteral("%2");
    expected.AlbumFolderFormat = QStringLiteral("%4 - %3");
    QVERIFY(s == expected);
}

void TstPrefDialog::browse_data()
{
    QTest::addColumn<bool>("targetExists");
    QTest::addColumn<bool>("userPicks");
    QTest::newRow("existing folder, picked") << true << true;
    QTest::newRow("missing folder, picked") << false << true;
    QTest::newRow("existing folder, cancelled") << true << false;
}

void TstPrefDialog::browse()
{
    QFETCH(bool, targetExists);
    QFETCH(bool, userPicks);
    QTemporaryDir dir;
    const QString typed = targetExists ? dir.path() : dir.filePath(QStringLiteral("missing"));
    const QString chosen = dir.filePath(QStringLiteral("chosen"));

    ProgramSettings s;
    s.TargetDirectory = typed;
    TQueue queue;
    TPrefF dialog(s, queue);
    QStringList calls;
    QWidget* owner = nullptr;
    dialog.PickFolder = [&](QWidget* parent, const QString& prompt, const QString& start) {
        calls << prompt << start;
        owner = parent;
        return userPicks ? chosen : QString();
    };
    Find<QPushButton>(&dialog, "Button1")->click();

    QCOMPARE(calls,
             QStringList({QStringLiteral("Выберите путь для сохранения файлов после обработки"),
                          targetExists ? typed : QString()}));
    QCOMPARE(owner, &dialog);
    QCOMPARE(Find<QLineEdit>(&dialog, "TargetEd")->text(), userPicks ? chosen : typed);
    QCOMPARE(s.TargetDirectory, typed); // nothing stored before OK
}

void TstPrefDialog::runThroughExec()
{
    ProgramSettings s = StoredSettings();
    TQueue queue;
    TQueueItem* job = AddEditedJob(queue);
    ClickInModalSoon("OkBtn");
    QVERIFY(TPrefF::Run(s, queue, nullptr));
    QCOMPARE(TCompressValues::From(*job), TCompressValues::From(s));

    ClickInModalSoon("CancelBtn");
    QVERIFY(!TPrefF::Run(s, queue, nullptr));
}

void TstPrefDialog::targetMustBeAbsolute_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored"); // empty: refused, the dialog stays open
    const QString home = QDir::homePath();
    QTest::newRow("absolute") << "/srv/out/" << "/srv/out/";
    QTest::newRow("empty: beside the source") << "" << "";
    QTest::newRow("home folder") << "~" << home;
    QTest::newRow("under home") << "~/Music" << home + QStringLiteral("/Music");
    QTest::newRow("relative") << "Music" << QString();
    QTest::newRow("dot") << "./out" << QString();
    QTest::newRow("other user's home is not expanded") << "~bob/Music" << QString();
}

void TstPrefDialog::targetMustBeAbsolute()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    const bool refused = stored.isNull();
    ProgramSettings s = StoredSettings();
    TQueue queue;
    TPrefF dialog(s, queue);
    QString warning;
    dialog.ShowWarning = [&warning](QWidget*, const QString& text) { warning = text; };
    dialog.open();
    Find<QLineEdit>(&dialog, "TargetEd")->setText(typed);
    Find<QPushButton>(&dialog, "OkBtn")->click();

    if (refused) {
        QVERIFY(dialog.isVisible());
        QCOMPARE(warning, TPrefF::RelativeTargetText(typed));
        QCOMPARE(s.TargetDirectory, StoredSettings().TargetDirectory);
        QVERIFY(s == StoredSettings());
    } else {
        QVERIFY(warning.isEmpty());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(s.TargetDirectory, stored);
    }
}

void TstPrefDialog::legendNamesEveryCode()
{
    ProgramSettings s;
    TQueue queue;
    TPrefF dialog(s, queue);
    QCOMPARE(Find<QLabel>(Find<QWidget>(&dialog, "TabSheet1"), "Label4")->text(),
             QStringLiteral("%1 - Id3 Название\n%2 - Id3 Исполнитель\n%3 - Id3 Альбом\n"
                            "%4 - Id3 Год\n%5 - Id3 Стиль\n%6 - Id3 Комментарий\n"
                            "%7 - Id3 Дорожка (№)\n%8 - Id3 Дорожка (№№)\n%0 - исходное"));
}

void TstPrefDialog::patternKeptAsTyped()
{
    ProgramSettings s;
    TQueue queue;
    TPrefF dialog(s, queue);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QComboBox* box = Pattern(dialog, "FormatEd");
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    box->lineEdit()->selectAll();
    QTest::keyClicks(box->lineEdit(), QStringLiteral("%8"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(box->currentText(), QStringLiteral("%8")); // not "%8-%1"
    QCOMPARE(box->count(), 5); // the ready patterns stay
    Find<QPushButton>(&dialog, "OkBtn")->click();
    QCOMPARE(s.FileNameFormat, QStringLiteral("%8"));
}

void TstPrefDialog::parallelJobsAndPause_data()
{
    QTest::addColumn<quint32>("stored");
    QTest::addColumn<bool>("perCore");       // the check box ticked or clicked
    QTest::addColumn<int>("typed");          // typed into the number box, 0 for nothing
    QTest::addColumn<quint32>("result");     // "Parallel jobs" after OK
    QTest::addColumn<bool>("pauseEnabled");

    const bool oneCore = QThread::idealThreadCount() <= 1;
    QTest::newRow("one job") << 1u << false << 0 << 1u << true;
    QTest::newRow("two jobs: no pause") << 2u << false << 0 << 2u << false;
    QTest::newRow("back to one job") << 2u << false << 1 << 1u << true;
    QTest::newRow("per core stored") << 0u << true << 0 << 0u << oneCore;
    QTest::newRow("per core chosen") << 3u << true << 0 << 0u << oneCore;
}

// "по числу ядер" stores 0 and shows the cores in the box it locks; the
// pause is editable only while jobs run one at a time.
void TstPrefDialog::parallelJobsAndPause()
{
    QFETCH(quint32, stored);
    QFETCH(bool, perCore);
    QFETCH(int, typed);
    QFETCH(quint32, result);
    QFETCH(bool, pauseEnabled);

    ProgramSettings s = StoredSettings();
    s.ParallelJobs = stored;
    TQueue queue;
    TPrefF dialog(s, queue);
    dialog.open();
    auto* box = Find<QSpinBox>(&dialog, "ParallelEd");
    auto* cores = Find<QCheckBox>(&dialog, "ParallelCoresCB");
    QCOMPARE(cores->isChecked(), stored == 0);
    if (perCore && !cores->isChecked())
        cores->click();
    if (typed > 0)
        box->setValue(typed);
    QCOMPARE(box->isEnabled(), !perCore);
    if (perCore)
        QCOMPARE(box->value(), qBound(1, QThread::idealThreadCount(), 64));
    QCOMPARE(Find<QSpinBox>(&dialog, "PauseEd")->isEnabled(), pauseEnabled);
    Find<QPushButton>(&dialog, "OkBtn")->click();
    QCOMPARE(s.ParallelJobs, result);
    QCOMPARE(s.PauseBetweenJobs, 1u);
}

QTEST_MAIN(TstPrefDialog)
#include "tst_prefdialog.moc"
