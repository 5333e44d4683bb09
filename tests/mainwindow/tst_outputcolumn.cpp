// The output column of the queue and the question about existing outputs,
// as the user meets them in the main window.

#include "batchrun.h"
#include "encoder.h"
#include "existingdialog.h"
#include "mainwindow.h"
#include "outputpreview.h"
#include "queuelist.h"
#include "testutil.h"
#include "updown.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <optional>

Q_DECLARE_METATYPE(std::optional<TExistingOutput>)

class TstOutputColumn final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void columnFollowsTitleAndMove();
    void clashAndWrittenLines();
    void columnCanBeHidden();
    void columnDuringRun_data();
    void columnDuringRun();
    void longPlanOverTurns();
    void existingOutputs_data();
    void existingOutputs();
    void existingDialog();
    void namesForAnyMedium();

private:
    void NewWindow();
    template <typename T = QWidget>
    T* Find(const char* name) const
    {
        T* w = m_window->findChild<T*>(QLatin1String(name));
        if (!w)
            qWarning("no child named %s", name);
        return w;
    }
    TQueueList* Queue() const { return Find<TQueueList>("QueueLst"); }
    void AddFiles(const QStringList& names);
    QString Shown(int line) const
    {
        const TLineOutput* out = Queue()->LineOutput(line);
        return out ? out->text : QStringLiteral("<none>");
    }
    QStringList AllShown() const
    {
        QStringList s;
        for (int i = 0; i < Queue()->count(); ++i)
            s << Shown(i);
        return s;
    }
    void ClickLine(int line);
    void UseWritingEncoder();

    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_music;
    std::unique_ptr<TMainF> m_window;
};

void TstOutputColumn::initTestCase()
{
    QVERIFY(m_home.isValid());
    TestUtil::UseHome(m_home.path());
}

void TstOutputColumn::init()
{
    m_music = std::make_unique<QTemporaryDir>();
    QVERIFY(m_music->isValid());
}

void TstOutputColumn::cleanup()
{
    m_window.reset();
    m_music.reset();
}

void TstOutputColumn::NewWindow()
{
    m_window = std::make_unique<TMainF>();
    ProgramSettings& s = m_window->Settings();
    s = ProgramSettings(); // whatever the test before saved
    s.TargetDirectory = m_music->filePath(QStringLiteral("out"));
    s.DeleteFromQueue = false;
    m_window->BatchRun()->SetPauseStep(std::chrono::milliseconds(0));
    m_window->resize(900, 600);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TstOutputColumn::AddFiles(const QStringList& names)
{
    for (const QString& name : names) {
        const QString path = m_music->filePath(QStringLiteral("in/") + name);
        QVERIFY(TestUtil::WriteFile(path));
        m_window->AddToQueue(path);
    }
}

void TstOutputColumn::ClickLine(int line)
{
    TQueueList* list = Queue();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(line)).center());
    QCOMPARE(list->CurrentLine(), line);
}

void TstOutputColumn::UseWritingEncoder()
{
    const QString encoder = m_music->filePath(QStringLiteral("bin/lame"));
    QVERIFY(TestUtil::WriteFile(encoder, "#!/bin/sh\neval out=\\${$#}\nprintf x > \"$out\"\n"));
    QVERIFY(QFile::setPermissions(encoder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    m_window->BatchRun()->SetEncoderProgram(encoder);
}

// Typing a title renames the job's output (once per turn of the event loop,
// however many keys came in), and moving a line renumbers the tracks.
void TstOutputColumn::columnFollowsTitleAndMove()
{
    NewWindow();
    m_window->Settings().FileNameFormat = QStringLiteral("%8 - %1");
    AddFiles({"a.wav", "b.wav", "c.wav"});
    QHeaderView* header = Queue()->Header();
    QTRY_VERIFY(header->isVisible());
    QCOMPARE(header->model()->headerData(1, Qt::Horizontal).toString(),
             QStringLiteral("Файл результата"));
    // Untagged, the three clash: the later ones are numbered.
    QTRY_COMPARE(AllShown(), (QStringList{"01 - .mp3", "01 -  (2).mp3", "01 -  (3).mp3"}));

    const QStringList titles = {"Альфа", "Бета", "Гамма"};
    auto* title = Find<QLineEdit>("TItleEd");
    TOutputPreview* preview = m_window->OutputPreview();
    for (int line = 0; line < 3; ++line) {
        ClickLine(line);
        QTRY_VERIFY(!preview->IsDirty());
        const int before = preview->Recomputations();
        title->setFocus();
        for (const QChar c : titles[line])
            QTest::sendKeyEvent(QTest::Click, title, Qt::Key(c.toUpper().unicode()), QString(c),
                                Qt::NoModifier);
        QVERIFY(preview->IsDirty());
        QTRY_VERIFY(!preview->IsDirty());
        QCOMPARE(preview->Recomputations(), before + 1);
    }
    QCOMPARE(AllShown(), (QStringList{"01 - Альфа.mp3", "02 - Бета.mp3", "03 - Гамма.mp3"}));
    const TLineOutput* first = Queue()->LineOutput(0);
    QCOMPARE(first->path, m_music->filePath(QStringLiteral("out/01 - Альфа.mp3")));
    QVERIFY(!first->clash && !first->existing);
    // The plan works on copies: the jobs have no output or track yet.
    QCOMPARE(m_window->Queue().Items(0)->OutputFile(), QString());
    QCOMPARE(int(m_window->Queue().Items(0)->Track()), 0);

    // "Гамма" moves up twice: it becomes track 1, the others follow.
    ClickLine(2);
    auto* up = Find<TUpDown>("UpDown1")->UpButton();
    up->click();
    up->click();
    QTRY_COMPARE(AllShown(), (QStringList{"01 - Гамма.mp3", "02 - Альфа.mp3", "03 - Бета.mp3"}));
}

// A clash is shown in a warning colour, naming the line it clashed with;
// after the run, checked lines show where their file was written.
void TstOutputColumn::clashAndWrittenLines()
{
    NewWindow();
    UseWritingEncoder();
    m_window->Settings().FileNameFormat = QStringLiteral("%0");
    AddFiles({"CD1/Track01.wav", "CD2/Track01.wav", "CD2/Track02.wav"});
    QTRY_COMPARE(AllShown(), (QStringList{"Track01.mp3", "Track01 (2).mp3", "Track02.mp3"}));
    const TLineOutput* clash = Queue()->LineOutput(1);
    QVERIFY(clash->clash);
    QVERIFY2(clash->note.contains(QStringLiteral("строки 1"))
                 && clash->note.contains(m_music->filePath(QStringLiteral("in/CD1/Track01.wav"))),
             qPrintable(clash->note));
    QVERIFY(!Queue()->LineOutput(0)->clash);

    Find<QAbstractButton>("GoBtn")->click();
    QTRY_COMPARE(Find<QLabel>("StatusText")->text(), QStringLiteral("Готово"));
    QTRY_VERIFY(!m_window->OutputPreview()->IsDirty());
    QCOMPARE(AllShown(), (QStringList{"Track01.mp3", "Track01 (2).mp3", "Track02.mp3"}));
    for (int line = 0; line < 3; ++line) {
        const TLineOutput* out = Queue()->LineOutput(line);
        QVERIFY(out->written);
        QCOMPARE(out->path, m_window->Queue().Items(line)->OutputFile());
        QVERIFY(QFileInfo(out->path).isFile());
    }
}

void TstOutputColumn::columnDuringRun_data()
{
    QTest::addColumn<int>("slots");
    QTest::newRow("one at a time") << 1;
    QTest::newRow("two at once") << 2;
}

// While a run goes on, the column shows for each job still ahead the name
// the run then gives it: clashes numbered and tracks counted on from the
// jobs the run has done. Each job waits at a gate of its own until the
// column has been read. A second run in the same window plans afresh: its
// names are numbered after the first run's files, and the column says so.
void TstOutputColumn::columnDuringRun()
{
    QFETCH(int, slots);
    const Encoder::Location lame = Encoder::Locate();
    if (!lame.errorName.isEmpty())
        QSKIP("lame is not installed");
    const QString encoder = m_music->filePath(QStringLiteral("bin/lame"));
    QVERIFY(TestUtil::WriteFile(encoder, QStringLiteral("#!/bin/sh\n"
                                                        "for a; do in=$out; out=$a; done\n"
                                                        "while [ ! -e \"$in.go\" ]; do sleep 0.02; done\n"
                                                        "exec '%1' --quiet \"$@\"\n")
                                             .arg(lame.program)
                                             .toUtf8()));
    QVERIFY(QFile::setPermissions(encoder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    NewWindow();
    ProgramSettings& s = m_window->Settings();
    s.FileNameFormat = QStringLiteral("%8 - %1");
    s.ParallelJobs = quint32(slots);
    s.ExistingOutput = TExistingOutput::KeepBoth;
    m_window->BatchRun()->SetEncoderProgram(encoder);
    const QStringList titles = {"x", "y", "x", "z", "x"};
    const int jobs = int(titles.size());
    QStringList sources;
    for (int i = 0; i < jobs; ++i) {
        sources << m_music->filePath(QStringLiteral("in/%1.wav").arg(i));
        QVERIFY(TestUtil::WriteWav(sources.last(), 0.1));
        m_window->AddToQueue(sources.last());
        TQueueItem* job = m_window->Queue().Items(i);
        job->SetTitle(titles[i]);
        job->AutoTrack = true;
    }
    TOutputPreview* preview = m_window->OutputPreview();
    preview->MarkDirty();
    const QStringList firstNames = {"01 - x.mp3", "02 - y.mp3", "01 - x (2).mp3", "03 - z.mp3",
                                    "01 - x (3).mp3"};
    QTRY_COMPARE(AllShown(), firstNames);

    TQueueList* list = Queue();
    for (int run = 0; run < 2; ++run) {
        for (int i = 0; i < jobs; ++i) {
            QFile::remove(sources[i] + QStringLiteral(".go"));
            list->SetLineChecked(i, false);
        }
        QList<std::pair<int, QString>> shown; // a line ahead, and the output the column gave it
        Find<QAbstractButton>("GoBtn")->click();
        for (int k = 0; k < jobs; ++k) {
            // Jobs k to firstAhead - 1 run, each waiting at its gate.
            const int firstAhead = std::min(k + slots, jobs);
            QTRY_VERIFY_WITH_TIMEOUT([&] {
                for (int j = k; j < firstAhead; ++j) {
                    if (list->LineProgress(j) < 0)
                        return false;
                }
                return true;
            }(), 20000);
            QTRY_VERIFY(!preview->IsDirty());
            for (int j = firstAhead; j < jobs; ++j)
                shown << std::pair(j, list->LineOutput(j)->path);
            QVERIFY(TestUtil::WriteFile(sources[k] + QStringLiteral(".go")));
        }
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->BatchRun()->IsRunning(), 20000);

        QVERIFY(!shown.isEmpty());
        for (const auto& [line, path] : std::as_const(shown))
            QCOMPARE(path, m_window->Queue().Items(line)->OutputFile());
        for (int i = 0; i < jobs; ++i) {
            const QString output = m_window->Queue().Items(i)->OutputFile();
            QVERIFY2(list->IsLineChecked(i), qPrintable(list->item(i)->toolTip()));
            QVERIFY(QFileInfo(output).size() > 0);
            if (run == 0)
                QCOMPARE(QFileInfo(output).fileName(), firstNames[i]);
            else
                QVERIFY2(!firstNames.contains(QFileInfo(output).fileName()), qPrintable(output));
        }
    }
}

// A long queue is planned a slice per turn: the window handles its events
// meanwhile. Lines removed while the plan is under way start it afresh, so
// it never reaches a job that has gone, and the column ends as a plan made
// at once would show it; lines added meanwhile follow after it.
void TstOutputColumn::longPlanOverTurns()
{
    NewWindow();
    m_window->Settings().FileNameFormat = QStringLiteral("%0");
    QStringList names;
    const QString out = m_music->filePath(QStringLiteral("out/"));
    QVERIFY(TestUtil::WriteFile(out + QStringLiteral("t5.mp3"), "earlier"));
    for (int i = 0; i < 600; ++i)
        names << (i % 2 ? QStringLiteral("a/t%1.wav").arg(i) : QStringLiteral("b%1/same.wav").arg(i));
    AddFiles(names);
    TOutputPreview* preview = m_window->OutputPreview();
    QTRY_VERIFY(!preview->IsDirty());
    preview->SetSlice(std::chrono::nanoseconds(0)); // 32 jobs a turn

    preview->MarkDirty();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QVERIFY(preview->IsDirty()); // under way
    const int before = preview->Recomputations();
    ClickLine(0);
    Find<QAbstractButton>("DelBtn")->click();
    QCOMPARE(Queue()->count(), 599);
    AddFiles({QStringLiteral("c/last.wav")});
    QTRY_VERIFY(!preview->IsDirty());
    QVERIFY(preview->Recomputations() >= before + 1);

    const QStringList shown = AllShown();
    preview->SetSlice(std::chrono::milliseconds(20));
    preview->Recompute();
    QCOMPARE(AllShown(), shown);
    QCOMPARE(shown.size(), 600);
    QCOMPARE(shown.last(), QStringLiteral("last.mp3"));
    QCOMPARE(shown.first(), QStringLiteral("t1.mp3"));
    // The clashes are numbered as if the removed line had never been queued.
    const QStringList same = shown.filter(QStringLiteral("same"));
    QCOMPARE(same.size(), 299);
    QCOMPARE(same.first(), QStringLiteral("same.mp3"));
    QCOMPARE(same.last(), QStringLiteral("same (299).mp3"));

    // A queue this long is asked about from the plan the column shows: the
    // same question as a plan made on the click.
    QList<TExistingDlg::Pairs> asked;
    m_window->AskExisting = [&](const TExistingDlg::Pairs& files, QWidget*) {
        asked << files;
        return std::optional<TExistingOutput>();
    };
    Find<QAbstractButton>("GoBtn")->click();
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked[0], (TExistingDlg::Pairs{{m_music->filePath(QStringLiteral("in/a/t5.wav")),
                                             out + QStringLiteral("t5.mp3")}}));
    QVERIFY(!m_window->BatchRun()->IsRunning());
}

void TstOutputColumn::columnCanBeHidden()
{
    NewWindow();
    AddFiles({"a.wav"});
    QTRY_VERIFY(Queue()->Header()->isVisible());
    m_window->Settings().ShowOutputNames = false;
    AddFiles({"b.wav"});
    QTRY_VERIFY(!Queue()->Header()->isVisible());
    QVERIFY(!Queue()->IsOutputColumnVisible());
    QCOMPARE(Queue()->LineOutput(0), nullptr);
    QCOMPARE(Queue()->item(1)->text(), m_music->filePath(QStringLiteral("in/b.wav")));
}

void TstOutputColumn::existingOutputs_data()
{
    QTest::addColumn<std::optional<TExistingOutput>>("answer");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("lines");    // check marks afterwards
    QTest::addColumn<QByteArray>("first"); // out/a.mp3 afterwards
    QTest::addColumn<bool>("copy");        // out/a (2).mp3 written

    QTest::newRow("Отмена") << std::optional<TExistingOutput>() << "" << "--" << QByteArray("earlier")
                            << false;
    QTest::newRow("Перезаписать") << std::optional(TExistingOutput::Overwrite) << "Готово" << "xx"
                                  << QByteArray("x") << false;
    QTest::newRow("Пропустить") << std::optional(TExistingOutput::Skip) << "Готово" << "-x"
                                << QByteArray("earlier") << false;
    QTest::newRow("Сохранить оба") << std::optional(TExistingOutput::KeepBoth) << "Готово" << "xx"
                                   << QByteArray("earlier") << true;
}

// With "Спрашивать", a plan holding an output that exists asks first; the
// column marks that output before the run.
void TstOutputColumn::existingOutputs()
{
    QFETCH(std::optional<TExistingOutput>, answer);
    QFETCH(QString, status);
    QFETCH(QString, lines);
    QFETCH(QByteArray, first);
    QFETCH(bool, copy);

    NewWindow();
    UseWritingEncoder();
    QCOMPARE(m_window->Settings().ExistingOutput, TExistingOutput::Ask);
    const QString out = m_music->filePath(QStringLiteral("out/"));
    QVERIFY(TestUtil::WriteFile(out + QStringLiteral("a.mp3"), "earlier"));
    AddFiles({"a.wav", "b.wav"});
    QTRY_VERIFY(Queue()->LineOutput(0) && Queue()->LineOutput(0)->existing);
    QVERIFY(!Queue()->LineOutput(1)->existing);

    QList<TExistingDlg::Pairs> asked;
    m_window->AskExisting = [&](const TExistingDlg::Pairs& files, QWidget*) {
        asked << files;
        return answer;
    };
    Find<QAbstractButton>("GoBtn")->click();
    QTRY_VERIFY(!m_window->BatchRun()->IsRunning());
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked[0], (TExistingDlg::Pairs{{m_music->filePath(QStringLiteral("in/a.wav")),
                                             out + QStringLiteral("a.mp3")}}));
    QCOMPARE(Find<QLabel>("StatusText")->text(), status);
    QString marks;
    for (int i = 0; i < Queue()->count(); ++i)
        marks += Queue()->IsLineChecked(i) ? u'x' : u'-';
    QCOMPARE(marks, lines);
    QCOMPARE(TestUtil::ReadFile(out + QStringLiteral("a.mp3")), first);
    QCOMPARE(QFile::exists(out + QStringLiteral("a (2).mp3")), copy);
    if (!answer) // nothing ran at all
        QVERIFY(!QFile::exists(out + QStringLiteral("b.mp3")));
    const QString skipMark = answer == TExistingOutput::Skip ? TBatchRun::SkippedReason() : QString();
    QCOMPARE(Queue()->item(0)->toolTip(), skipMark);

    // Another choice in the settings asks nothing.
    asked.clear();
    m_window->Settings().ExistingOutput = TExistingOutput::Skip;
    Queue()->SetLineChecked(0, false);
    Queue()->SetLineChecked(1, false);
    Find<QAbstractButton>("GoBtn")->click();
    QTRY_VERIFY(!m_window->BatchRun()->IsRunning());
    QVERIFY(asked.isEmpty());
}

void TstOutputColumn::existingDialog()
{
    const TExistingDlg::Pairs files = {{"/in/a.wav", "/out/a.mp3"}, {"/in/b.wav", "/out/b.mp3"}};
    const std::pair<const char*, std::optional<TExistingOutput>> buttons[] = {
        {"OverwriteBtn", TExistingOutput::Overwrite},
        {"SkipBtn", TExistingOutput::Skip},
        {"KeepBothBtn", TExistingOutput::KeepBoth},
        {"CancelBtn", std::nullopt}};
    QStringList captions;
    for (const auto& [name, answer] : buttons) {
        TExistingDlg dialog(files);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Файлы уже существуют"));
        auto* list = dialog.findChild<QTreeWidget*>(QStringLiteral("ExistingLst"));
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(list->topLevelItem(1)->text(0), QStringLiteral("/in/b.wav"));
        QCOMPARE(list->topLevelItem(1)->text(1), QStringLiteral("/out/b.mp3"));
        auto* button = dialog.findChild<QAbstractButton*>(QLatin1String(name));
        captions << button->text();
        button->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.Answer(), answer);
    }
    QCOMPARE(captions, (QStringList{"Перезаписать", "Пропустить", "Сохранить оба", "Отмена"}));

    TExistingDlg dialog(files);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.Answer(), std::nullopt);
}

// Names any medium takes: refused characters replaced and said why in the
// tooltip, names that differ only in case numbered; the default setting on
// this machine's file system keeps the names as the tags give them.
void TstOutputColumn::namesForAnyMedium()
{
    NewWindow();
    m_window->Settings().FileNameFormat = QStringLiteral("%2 - %1");
    AddFiles({"a.wav", "b.wav", "c.wav"});
    const QStringList artists = {"ABBA", "Abba", "AC/DC"};
    const QStringList titles = {"Song", "Song", "Intro: Why? \"Live\" <1>"};
    for (int i = 0; i < 3; ++i) {
        m_window->Queue().Items(i)->SetArtist(artists[i]);
        m_window->Queue().Items(i)->SetTitle(titles[i]);
    }
    TOutputPreview* preview = m_window->OutputPreview();
    preview->Recompute();
    QCOMPARE(AllShown(), (QStringList{"ABBA - Song.mp3", "Abba - Song.mp3",
                                      "AC/DC - Intro: Why? \"Live\" <1>.mp3"}));
    QVERIFY(Queue()->LineOutput(2)->note.isEmpty());

    m_window->Settings().PortableNames = true;
    preview->Recompute();
    QCOMPARE(AllShown(), (QStringList{"ABBA - Song.mp3", "Abba - Song (2).mp3",
                                      "AC_DC - Intro_ Why_ _Live_ _1_.mp3"}));
    QVERIFY(Queue()->LineOutput(1)->clash);
    const QString note = Queue()->LineOutput(2)->note;
    for (const char* c : {"/", ":", "?", "\"", "<", ">"})
        QVERIFY2(note.contains(QStringLiteral("Носитель FAT не принимает «%1»").arg(QLatin1String(c))),
                 qPrintable(note));
    QVERIFY(!Queue()->LineOutput(2)->clash);
}

QTEST_MAIN(TstOutputColumn)
#include "tst_outputcolumn.moc"
