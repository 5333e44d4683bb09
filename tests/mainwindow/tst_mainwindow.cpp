// The main window as the user meets it: start-up and shutdown with the
// settings file, the menus and their enabling rules, the mode switch, adding
// files, and the run wired to the window.

#include "batchrun.h"
#include "foldertree.h"
#include "mainwindow.h"
#include "newfilelistbox.h"
#include "queuelist.h"
#include "tageditor.h"
#include "testutil.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

namespace {

// Closes the next modal box that opens and keeps its text, so tests can
// drive code that shows one without blocking.
class ModalCloser final : public QObject
{
public:
    ModalCloser()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                m_text = box->text();
                box->accept();
            }
        });
        m_timer.start(20);
    }
    const QString& Text() const { return m_text; }

private:
    QTimer m_timer;
    QString m_text;
};

} // namespace

class TstMainWindow final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void startsWithoutSettings();
    void quitSavesSettingsAndFolder();
    void saveFailureIsShown();
    void contextMenuEnabling_data();
    void contextMenuEnabling();
    void modeSwitch();
    void addSelectedFilesInListOrder();
    void doubleClickAddsCurrentFile();
    void keyboardBrowsing();
    void vanishedFileNotQueued();
    void sourcesHandedOver();
    void addFileDialogFollowsMode();
    void propertiesNeedCurrentLine();
    void tagEditorFollowsUserSelection_data();
    void tagEditorFollowsUserSelection();
    void queueActionsWaitForTheRun();
    void fixedTrackKeptThroughRun();
    void propertiesOpenWhenRunEnds();
    void helpAndAbout();

private:
    QString SettingsFile() const;
    TMainF* NewWindow();
    template <typename T = QWidget>
    T* Find(const char* name) const
    {
        T* w = m_window->findChild<T*>(QLatin1String(name));
        if (!w)
            qWarning("no child named %s", name);
        return w;
    }
    QAction* Action(const char* name) const { return Find<QAction>(name); }
    // Points the folder tree at folder and clicks it, as the user would.
    void ClickFolder(const QString& folder);
    void AddFiles(const QStringList& names);

    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_music;
    std::unique_ptr<TMainF> m_window;
};

void TstMainWindow::initTestCase()
{
    QVERIFY(m_home.isValid());
    // No real settings, music folder or help state is ever touched.
    TestUtil::UseHome(m_home.path());
}

void TstMainWindow::init()
{
    m_music = std::make_unique<QTemporaryDir>();
    QVERIFY(m_music->isValid());
}

void TstMainWindow::cleanup()
{
    m_window.reset();
    m_music.reset();
}

QString TstMainWindow::SettingsFile() const
{
    return m_home.path() + QStringLiteral("/config/Morvane/Tessary/1.0.reg");
}

TMainF* TstMainWindow::NewWindow()
{
    m_window = std::make_unique<TMainF>();
    m_window->Settings().TargetDirectory = m_music->path() + QStringLiteral("/out/");
    m_window->show();
    return m_window.get();
}

void TstMainWindow::ClickFolder(const QString& folder)
{
    auto* tree = Find<TFolderTree>("shDirs");
    QVERIFY(tree->MoveTo(folder));
    Q_EMIT tree->clicked(tree->currentIndex());
    QCOMPARE(Find<TNewFileListBox>("FileList")->Directory(), folder + QStringLiteral("/"));
}

void TstMainWindow::AddFiles(const QStringList& names)
{
    for (const QString& name : names) {
        const QString path = m_music->filePath(name);
        QVERIFY(TestUtil::WriteFile(path));
        m_window->AddToQueue(path);
    }
}

void TstMainWindow::startsWithoutSettings()
{
    QFile::remove(SettingsFile());
    NewWindow();
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Tessary"));
    QCOMPARE(Find<TFolderTree>("shDirs")->SelectedPath(), QString());
    auto* fileList = Find<TNewFileListBox>("FileList");
    QCOMPARE(fileList->Directory(), QString());
    QCOMPARE(fileList->Count(), 0);
    QCOMPARE(fileList->Mask(), QStringLiteral("*.wav"));
    QVERIFY(Find<QRadioButton>("ModeRG_0")->isChecked());
    QCOMPARE(Find<QListWidget>("QueueLst")->count(), 0);
    QCOMPARE(Find<QLabel>("StatusText")->text(), QString());
    QVERIFY(Find<QWidget>("Panel5")->minimumWidth() >= 410);
}

void TstMainWindow::quitSavesSettingsAndFolder()
{
    QFile::remove(SettingsFile());
    QVERIFY(TestUtil::WriteFile(m_music->filePath("album/a.wav")));
    const QString folder = m_music->filePath("album");

    NewWindow();
    ClickFolder(folder);
    AddFiles({"album/a.wav"});
    m_window->Settings().ABitrate = 192;
    Find<QRadioButton>("ModeRG_1")->click();
    // "&Выход" closes without a question, jobs in the queue notwithstanding.
    Action("N6")->trigger();
    QVERIFY(!m_window->isVisible());
    QCOMPARE(m_window->Queue().Count(), 0);
    QVERIFY(QFile::exists(SettingsFile()));
    const QString stored = QString::fromUtf8(TestUtil::ReadFile(SettingsFile()));
    QVERIFY2(stored.contains(QStringLiteral("\"Folder\"=\"%1\"").arg(folder)), qPrintable(stored));

    // The next start opens the same folder with the stored settings, in mode 0.
    NewWindow();
    QCOMPARE(Find<TFolderTree>("shDirs")->SelectedPath(), folder);
    auto* fileList = Find<TNewFileListBox>("FileList");
    QCOMPARE(fileList->Directory(), folder + QStringLiteral("/"));
    QCOMPARE(fileList->Lines(), QStringList({"a.wav"}));
    QCOMPARE(m_window->Settings().ABitrate, quint16(192));
    QVERIFY(Find<QRadioButton>("ModeRG_0")->isChecked());
    QCOMPARE(Find<QListWidget>("QueueLst")->count(), 0);

    // A stored folder deleted since then: the tree stays put, the settings stay.
    m_window.reset();
    QVERIFY(QDir(folder).removeRecursively());
    NewWindow();
    QCOMPARE(Find<TFolderTree>("shDirs")->SelectedPath(), QString());
    QCOMPARE(m_window->Settings().ABitrate, quint16(192));
}

void TstMainWindow::saveFailureIsShown()
{
    // The settings folder cannot be made below a regular file.
    const QString blocker = m_music->filePath("blocker");
    QVERIFY(TestUtil::WriteFile(blocker));
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", (blocker + QStringLiteral("/config")).toUtf8());
    NewWindow();
    {
        ModalCloser closer;
        m_window->close();
        QCOMPARE(closer.Text(), QStringLiteral("Failed to set data for 'ABitrate'"));
    }
    m_window.reset(); // saved once only: no second box
    qputenv("XDG_CONFIG_HOME", oldConfig);
}

void TstMainWindow::contextMenuEnabling_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("current");
    QTest::addColumn<bool>("delAndProp"); // N9 and N12
    QTest::addColumn<bool>("clear");      // N10

    QTest::newRow("empty list") << 0 << -1 << false << false;
    QTest::newRow("lines, none current") << 2 << -1 << false << true;
    QTest::newRow("current line") << 2 << 1 << true << true;
}

void TstMainWindow::contextMenuEnabling()
{
    QFETCH(int, lines);
    QFETCH(int, current);
    QFETCH(bool, delAndProp);
    QFETCH(bool, clear);

    NewWindow();
    QStringList names;
    for (int i = 0; i < lines; ++i)
        names << QStringLiteral("f%1.wav").arg(i);
    AddFiles(names);
    auto* queueList = Find<QListWidget>("QueueLst");
    if (current >= 0)
        queueList->item(current)->setSelected(true);

    auto* menu = Find<QMenu>("PopupMenu1");
    menu->popup(queueList->mapToGlobal(QPoint(5, 5)));
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(Action("N9")->isEnabled(), delAndProp);
    QCOMPARE(Action("N12")->isEnabled(), delAndProp);
    QCOMPARE(Action("N10")->isEnabled(), clear);
    QVERIFY(Action("acDelCompleted")->isEnabled());
    QCOMPARE(Action("N9")->text(), QStringLiteral("&Удалить текущий"));
    menu->close();

    // The menu's states are its own: the buttons and main menu stay enabled.
    for (const char* name : {"acDel", "acQClear", "acProp", "acAdd", "acGO", "acCancel"})
        QVERIFY2(Action(name)->isEnabled(), name);
    QVERIFY(Find<QAbstractButton>("DelBtn")->isEnabled());
}

void TstMainWindow::modeSwitch()
{
    for (const char* name : {"a.wav", "b.mp3", "c.mp2", "d.ogg"})
        QVERIFY(TestUtil::WriteFile(m_music->filePath(name)));
    NewWindow();
    ClickFolder(m_music->path());
    AddFiles({"a.wav"});
    auto* fileList = Find<TNewFileListBox>("FileList");
    auto* label2 = Find<QLabel>("Label2");
    QCOMPARE(label2->text(), QStringLiteral("Файлы: *.wav"));
    QCOMPARE(fileList->Lines(), QStringList({"a.wav"}));

    Find<QRadioButton>("ModeRG_1")->click();
    QCOMPARE(m_window->CurrentMode(), 1);
    QCOMPARE(label2->text(), QStringLiteral("Файлы: *.mp?"));
    QCOMPARE(fileList->Mask(), QStringLiteral("*.mp?"));
    QCOMPARE(fileList->Lines(), QStringList({"b.mp3", "c.mp2"}));

    Find<QRadioButton>("ModeRG_0")->click();
    QCOMPARE(label2->text(), QStringLiteral("Файлы: *.wav"));
    QCOMPARE(fileList->Lines(), QStringList({"a.wav"}));

    // Checked without a click (a screen reader's toggle action), the mode follows.
    Find<QRadioButton>("ModeRG_1")->setChecked(true);
    QCOMPARE(m_window->CurrentMode(), 1);
    QCOMPARE(label2->text(), QStringLiteral("Файлы: *.mp?"));
    QCOMPARE(fileList->Lines(), QStringList({"b.mp3", "c.mp2"}));
    Find<QRadioButton>("ModeRG_0")->setChecked(true);
    QCOMPARE(label2->text(), QStringLiteral("Файлы: *.wav"));
    QCOMPARE(m_window->Queue().Count(), 1); // the queue is not touched
}

void TstMainWindow::addSelectedFilesInListOrder()
{
    for (const char* name : {"c.wav", "a.wav", "b.wav", "d.wav"})
        QVERIFY(TestUtil::WriteWav(m_music->filePath(name), 0.01));
    NewWindow();
    m_window->Settings().ABitrate = 256;
    m_window->Settings().Algorithm = VBR;
    ClickFolder(m_music->path());
    auto* fileList = Find<TNewFileListBox>("FileList");
    auto* addBtn = Find<QAbstractButton>("AddBtn");

    addBtn->click(); // nothing selected: nothing added
    QCOMPARE(m_window->Queue().Count(), 0);

    // Select d, a, c in that order: the queue follows the list (a, c, d).
    for (int row : {3, 0, 2})
        fileList->selectionModel()->select(fileList->model()->index(row, 0),
                                           QItemSelectionModel::Select);
    addBtn->click();
    auto* queueList = Find<QListWidget>("QueueLst");
    QCOMPARE(queueList->count(), 3);
    const QStringList expected{m_music->filePath("a.wav"), m_music->filePath("c.wav"),
                               m_music->filePath("d.wav")};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(queueList->item(i)->text(), expected.at(i));
        const TQueueItem* job = m_window->Queue().Items(i);
        QCOMPARE(job->InputFile(), expected.at(i));
        QCOMPARE(job->ABitrate(), quint16(256));
        QCOMPARE(job->Algorithm(), VBR);
        QVERIFY(job->AutoTrack);
    }
    QCOMPARE(queueList->selectedItems().size(), 0);

    addBtn->click(); // the same files again: duplicates
    QCOMPARE(queueList->count(), 3);
}

void TstMainWindow::doubleClickAddsCurrentFile()
{
    QVERIFY(TestUtil::WriteFile(m_music->filePath("a.wav")));
    QVERIFY(TestUtil::WriteFile(m_music->filePath("b.wav")));
    NewWindow();
    ClickFolder(m_music->path());
    auto* fileList = Find<TNewFileListBox>("FileList");

    const QRect second = fileList->visualRect(fileList->model()->index(1, 0));
    QTest::mouseDClick(fileList->viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(m_window->Queue().Count(), 1);
    QCOMPARE(m_window->Queue().Items(0)->InputFile(), m_music->filePath("b.wav"));
}

// Browse, add and remove with the keys alone.
void TstMainWindow::keyboardBrowsing()
{
    QVERIFY(TestUtil::WriteFile(m_music->filePath("A/a.wav")));
    QVERIFY(TestUtil::WriteFile(m_music->filePath("B/b.wav")));
    NewWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    auto* tree = Find<TFolderTree>("shDirs");
    // The tree fills folders in from a worker thread: wait until both are there.
    QTRY_VERIFY(tree->MoveTo(m_music->filePath("B")));
    ClickFolder(m_music->filePath("A"));
    auto* fileList = Find<TNewFileListBox>("FileList");

    // An arrow key moves to B; its files show once the keys rest.
    tree->setFocus();
    QTRY_VERIFY(tree->hasFocus());
    QTest::keyClick(tree, Qt::Key_Down);
    QCOMPARE(tree->SelectedPath(), m_music->filePath("B"));
    QCOMPARE(fileList->Directory(), m_music->filePath("A/"));
    QTRY_COMPARE(fileList->Directory(), m_music->filePath("B/"));

    // Enter in the file list adds the selected file.
    fileList->setFocus();
    QTRY_VERIFY(fileList->hasFocus());
    fileList->setCurrentIndex(fileList->model()->index(0, 0));
    QTest::keyClick(fileList, Qt::Key_Return);
    QCOMPARE(m_window->Queue().Count(), 1);
    QCOMPARE(m_window->Queue().Items(0)->InputFile(), m_music->filePath("B/b.wav"));

    // Delete in the queue removes the current line.
    auto* queueList = Find<TQueueList>("QueueLst");
    queueList->setFocus();
    QTRY_VERIFY(queueList->hasFocus());
    queueList->setCurrentRow(0);
    QCOMPARE(queueList->CurrentLine(), 0);
    QTest::keyClick(queueList, Qt::Key_Delete);
    QCOMPARE(m_window->Queue().Count(), 0);
}

void TstMainWindow::vanishedFileNotQueued()
{
    for (const char* name : {"a.wav", "gone.wav", "dir.wav"})
        QVERIFY(TestUtil::WriteFile(m_music->filePath(name)));
    NewWindow();
    ClickFolder(m_music->path());
    auto* fileList = Find<TNewFileListBox>("FileList");
    QCOMPARE(fileList->Lines(), QStringList({"a.wav", "dir.wav", "gone.wav"}));

    // Listed, then removed or replaced by a folder before the user adds it.
    QVERIFY(QFile::remove(m_music->filePath("gone.wav")));
    QVERIFY(QFile::remove(m_music->filePath("dir.wav")));
    QVERIFY(QDir(m_music->path()).mkdir(QStringLiteral("dir.wav")));
    fileList->selectAll();
    Find<QAbstractButton>("AddBtn")->click();

    QCOMPARE(m_window->Queue().Count(), 1);
    QCOMPARE(m_window->Queue().Items(0)->InputFile(), m_music->filePath("a.wav"));
    const QString status = Find<QLabel>("StatusText")->text();
    QVERIFY2(status.endsWith(m_music->filePath("gone.wav")), qPrintable(status));
    QTRY_COMPARE(fileList->Lines(), QStringList({"a.wav"}));
}

// tessary FILE|FOLDER...: files of the mode's mask, folders with their
// sub-folders, in the file list's order; anything else is refused.
void TstMainWindow::sourcesHandedOver()
{
    for (const char* name : {"in/b.wav", "in/A.WAV", "in/sub/c.wav", "in/x.txt", "in/.hidden.wav",
                             "single.wav", "song.mp3"})
        QVERIFY(TestUtil::WriteFile(m_music->filePath(name)));
    NewWindow();
    const QStringList refused = m_window->AddSources(
        {m_music->filePath("in"), m_music->filePath("single.wav"), m_music->filePath("song.mp3"),
         m_music->filePath("missing.wav")});
    QStringList queued;
    for (int i = 0; i < m_window->Queue().Count(); ++i)
        queued << m_window->Queue().Items(i)->InputFile();
    QCOMPARE(queued, QStringList({m_music->filePath("in/A.WAV"), m_music->filePath("in/b.wav"),
                                  m_music->filePath("in/sub/c.wav"),
                                  m_music->filePath("single.wav")}));
    QCOMPARE(refused, QStringList({m_music->filePath("song.mp3"), m_music->filePath("missing.wav")}));

    // Given again, nothing is queued twice.
    m_window->AddSources({m_music->filePath("in")});
    QCOMPARE(m_window->Queue().Count(), 4);
}

void TstMainWindow::addFileDialogFollowsMode()
{
    QVERIFY(TestUtil::WriteFile(m_music->filePath("x.mp3")));
    NewWindow();
    QString title, filter, answer;
    m_window->PickFile = [&](QWidget*, const QString& t, const QString&, const QString& f) {
        title = t;
        filter = f;
        return answer;
    };

    Action("N4")->trigger(); // cancelled: nothing happens
    QCOMPARE(title, QStringLiteral("Добавление файла в очередь..."));
    QVERIFY(filter.startsWith(QStringLiteral("WAV-файлы (*.wav);;")));
    QCOMPARE(m_window->Queue().Count(), 0);

    Find<QRadioButton>("ModeRG_1")->click();
    answer = m_music->filePath("x.mp3");
    Action("N4")->trigger();
    QVERIFY(filter.startsWith(QStringLiteral("MPEG аудио-файлы (*.mp?);;")));
    QCOMPARE(m_window->Queue().Count(), 1);
    QCOMPARE(m_window->Queue().Items(0)->InputFile(), answer);
}

void TstMainWindow::propertiesNeedCurrentLine()
{
    NewWindow();
    AddFiles({"a.wav"});
    // No current line: the dialog does not open (a modal dialog would block here).
    Action("acProp")->trigger();
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void TstMainWindow::tagEditorFollowsUserSelection_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("remove current") << "acDel";
    QTest::newRow("remove processed") << "acDelCompleted";
    QTest::newRow("clear") << "acQClear";
}

void TstMainWindow::tagEditorFollowsUserSelection()
{
    QFETCH(QString, action);
    NewWindow();
    AddFiles({"a.wav", "b.wav"});
    auto* editor = Find<TTagEditor>("GroupBox1");
    auto* queueList = Find<TQueueList>("QueueLst");
    QCOMPARE(editor->CurrentJob(), nullptr); // adding loads nothing

    // The user's click loads the line's job.
    QTest::mouseClick(queueList->viewport(), Qt::LeftButton, {},
                      queueList->visualItemRect(queueList->item(1)).center());
    QCOMPARE(editor->CurrentJob(), m_window->Queue().Items(1));
    QCOMPARE(Find<QLineEdit>("edFileName")->text(), m_music->filePath("b.wav"));

    // A move keeps the editor on the moved job.
    Find<QAbstractButton>("UpDown1Up")->click();
    QCOMPARE(editor->CurrentJob(), m_window->Queue().Items(0));
    QCOMPARE(m_window->Queue().Items(0)->InputFile(), m_music->filePath("b.wav"));

    // An operation that leaves no line current detaches the editor before any
    // job goes, so typing afterwards changes no job (and touches no freed one).
    queueList->SetLineChecked(0, true);
    Action(action.toLatin1().constData())->trigger();
    QCOMPARE(editor->CurrentJob(), nullptr);
    QCOMPARE(queueList->CurrentLine(), -1);
    Find<QLineEdit>("TItleEd")->setText(QStringLiteral("Typed"));
    for (int i = 0; i < m_window->Queue().Count(); ++i)
        QCOMPARE(m_window->Queue().Items(i)->Title(), QString());
}

void TstMainWindow::queueActionsWaitForTheRun()
{
    // A fake encoder that holds the run until the test opens its gate, then
    // writes its output (the last argument), except for b.wav, where it fails.
    const QString gate = m_music->filePath("gate");
    const QString encoder = m_music->filePath("fake-lame");
    QVERIFY(TestUtil::WriteFile(encoder, QStringLiteral("#!/bin/sh\n"
                                                        "while [ ! -e '%1' ]; do sleep 0.02; done\n"
                                                        "case \"$*\" in *b.wav*) exit 3;; esac\n"
                                                        "eval out=\\${$#}\n"
                                                        "printf x > \"$out\"\n")
                                             .arg(gate)
                                             .toUtf8()));
    QVERIFY(QFile::setPermissions(encoder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    NewWindow();
    m_window->BatchRun()->SetEncoderProgram(encoder);
    m_window->BatchRun()->SetPauseStep(std::chrono::milliseconds(0));
    m_window->Settings().DeleteFromQueue = false;
    AddFiles({"a.wav", "b.wav"});

    const char* const blocked[] = {"acAdd", "acDel", "acDelCompleted", "acQClear", "acGO", "N4"};
    const char* const open[] = {"acCancel", "acProp", "N7", "N14", "N8"};

    Find<QAbstractButton>("GoBtn")->click();
    QVERIFY(m_window->BatchRun()->IsRunning());
    QTRY_VERIFY(Find<QLabel>("StatusText")->text().startsWith(QStringLiteral("Обрабатывается: ")));
    for (const char* name : blocked)
        QVERIFY2(!Action(name)->isEnabled(), name);
    QVERIFY(!Find<QWidget>("UpDown1")->isEnabled());
    QVERIFY(!Find<QWidget>("AddBtn")->isEnabled());
    QVERIFY(!Find<QWidget>("GoBtn")->isEnabled());
    for (const char* name : open)
        QVERIFY2(Action(name)->isEnabled(), name);
    QVERIFY(Find<QWidget>("ModeRG")->isEnabled());
    QVERIFY(Find<QWidget>("GroupBox1")->isEnabled());
    QVERIFY(Find<QWidget>("CancelBtn")->isEnabled());
    QVERIFY(Find<QWidget>("RunPosition")->isVisible());

    // Handlers refuse too, whatever route reaches them.
    m_window->AddToQueue(m_music->filePath("a.wav"));
    Find<QListWidget>("QueueLst")->item(0)->setSelected(true);
    Action("acDel")->trigger();
    QCOMPARE(m_window->Queue().Count(), 2);

    QVERIFY(TestUtil::WriteFile(gate));
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->BatchRun()->IsRunning(), 20000);
    QVERIFY(Find<QLabel>("StatusText")->text().startsWith(QStringLiteral("Готово")));
    for (const char* name : blocked)
        QVERIFY2(Action(name)->isEnabled(), name);
    QVERIFY(Find<QWidget>("UpDown1")->isEnabled());
    QVERIFY(!Find<QWidget>("RunPosition")->isVisible());
    auto* queueList = Find<QListWidget>("QueueLst");
    QCOMPARE(queueList->count(), 2);
    QCOMPARE(queueList->item(0)->checkState(), Qt::Checked);
    // b.wav failed: unticked, with the error mark and the reason on its line.
    QCOMPARE(queueList->item(1)->checkState(), Qt::Unchecked);
    QVERIFY(!queueList->item(1)->icon().isNull());
    QVERIFY2(queueList->item(1)->toolTip().contains(QStringLiteral("3")),
             qPrintable(queueList->item(1)->toolTip()));
    QVERIFY(queueList->item(0)->icon().isNull());
}

// A track fixed in the tag editor reaches its jobs with automatic numbering
// off, so the run keeps 7 while a job added with "Авто" is numbered.
void TstMainWindow::fixedTrackKeptThroughRun()
{
    const QString encoder = m_music->filePath("writer-lame");
    QVERIFY(TestUtil::WriteFile(encoder, QByteArray("#!/bin/sh\neval out=\\${$#}\nprintf x > \"$out\"\n")));
    QVERIFY(QFile::setPermissions(encoder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    NewWindow();
    m_window->BatchRun()->SetEncoderProgram(encoder);
    m_window->BatchRun()->SetPauseStep(std::chrono::milliseconds(0));
    ProgramSettings& settings = m_window->Settings();
    settings.DeleteFromQueue = false;
    settings.TargetDirectory = m_music->filePath(QStringLiteral("out"));
    settings.FileNameFormat = QStringLiteral("%8 - %0");

    Find<QCheckBox>("TrackAutoCB")->setChecked(false);
    Find<QSpinBox>("TrackEd")->setValue(7);
    Find<QCheckBox>("TrackFixCB")->setChecked(true);
    AddFiles({"t1.wav", "t2.wav"});
    Find<QCheckBox>("TrackAutoCB")->setChecked(true);
    AddFiles({"t3.wav"});

    Find<QAbstractButton>("GoBtn")->click();
    QTRY_COMPARE(Find<QLabel>("StatusText")->text(), QStringLiteral("Готово"));
    const TQueue& queue = m_window->Queue();
    QCOMPARE(queue.Count(), 3);
    QCOMPARE(int(queue.Items(0)->Track()), 7);
    QCOMPARE(int(queue.Items(1)->Track()), 7);
    QCOMPARE(int(queue.Items(2)->Track()), 1);
    for (const char* name : {"out/07 - t1.mp3", "out/07 - t2.mp3", "out/01 - t3.mp3"})
        QVERIFY2(QFileInfo::exists(m_music->filePath(QLatin1String(name))), name);
}

// The run goes on behind the modal properties dialog; when its end step
// removes the job, OK must write into nothing (a freed job before).
void TstMainWindow::propertiesOpenWhenRunEnds()
{
    const QString gate = m_music->filePath("gate");
    const QString encoder = m_music->filePath("gated-lame");
    QVERIFY(TestUtil::WriteFile(encoder, QStringLiteral("#!/bin/sh\n"
                                                        "while [ ! -e '%1' ]; do sleep 0.02; done\n"
                                                        "eval out=\\${$#}\n"
                                                        "printf x > \"$out\"\n")
                                             .arg(gate)
                                             .toUtf8()));
    QVERIFY(QFile::setPermissions(encoder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    NewWindow();
    m_window->BatchRun()->SetEncoderProgram(encoder);
    m_window->Settings().DeleteFromQueue = true;
    AddFiles({"a.wav"});
    auto* queueList = Find<TQueueList>("QueueLst");
    QTest::mouseClick(queueList->viewport(), Qt::LeftButton, {},
                      queueList->visualItemRect(queueList->item(0)).center());
    QCOMPARE(queueList->CurrentLine(), 0);
    Find<QAbstractButton>("GoBtn")->click();
    QVERIFY(m_window->BatchRun()->IsRunning());

    // Once the dialog is up, let the encoder finish; once the run has ended
    // and removed the job, change a value and press OK.
    bool pressed = false;
    QTimer driver;
    connect(&driver, &QTimer::timeout, this, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal->objectName() != QStringLiteral("PropF"))
            return;
        if (!QFileInfo::exists(gate))
            TestUtil::WriteFile(gate);
        if (m_window->BatchRun()->IsRunning())
            return;
        modal->findChild<QAbstractButton*>(QStringLiteral("CBRRG_0"))->setChecked(true);
        modal->findChild<QAbstractButton*>(QStringLiteral("OkBtn"))->click();
        pressed = true;
        driver.stop();
    });
    driver.start(20);
    Action("acProp")->trigger();
    QVERIFY(pressed);
    QCOMPARE(m_window->Queue().Count(), 0);
    QCOMPARE(Find<QLabel>("StatusText")->text(), QStringLiteral("Готово"));
}

void TstMainWindow::helpAndAbout()
{
    NewWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTest::keyClick(m_window.get(), Qt::Key_F1);
    auto* help = m_window->findChild<QWidget*>(QStringLiteral("HelpF"));
    QVERIFY(help);
    QTRY_VERIFY(help->isVisible());
    auto* contents = help->findChild<QTreeWidget*>(QStringLiteral("HelpContents"));
    auto* index = help->findChild<QListWidget*>(QStringLiteral("HelpIndex"));
    QVERIFY(contents->topLevelItemCount() >= 4);
    QVERIFY(!index->findItems(QStringLiteral("Коды %0-%8"), Qt::MatchExactly).isEmpty());
    QVERIFY(!index->findItems(QStringLiteral("Режим"), Qt::MatchExactly).isEmpty());

    // Esc and Ctrl+W close it, as any viewer window.
    for (const QKeyCombination key : {QKeyCombination(Qt::Key_Escape),
                                      QKeyCombination(Qt::ControlModifier, Qt::Key_W)}) {
        QApplication::setActiveWindow(help);
        QVERIFY(QTest::qWaitForWindowActive(help));
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus && help->isAncestorOf(focus) ? focus : help, key.key(),
                        key.keyboardModifiers());
        QTRY_VERIFY(!help->isVisible());
        QTest::keyClick(m_window.get(), Qt::Key_F1);
        QTRY_VERIFY(help->isVisible());
    }

    // The About box is modal: close it with its own button once it is up.
    QString title;
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            title = box->windowTitle();
            if (auto* b = box->findChild<QAbstractButton*>(QStringLiteral("SpeedButton1")))
                b->click();
        }
    });
    closer.start(20);
    Action("N8")->trigger();
    QCOMPARE(title, QStringLiteral("О программе"));
}

QTEST_MAIN(TstMainWindow)
#include "tst_mainwindow.moc"
