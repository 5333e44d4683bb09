// Jobs run at once and a long add, as the user meets them in the main
// window: each running line's percent, the queue's position, both presses
// of "&Отмена", and an add of many files spread over turns of the event loop.

#include "batchrun.h"
#include "icons.h"
#include "logwindow.h"
#include "foldertree.h"
#include "mainwindow.h"
#include "newfilelistbox.h"
#include "queueadder.h"
#include "queuelist.h"
#include "testutil.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QHelpEvent>
#include <QToolTip>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace std::chrono_literals;

class TstRunWindow final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void parallelRunAndStop();
    void oneAtATimeProgress();
    void longAddSpreadOverTurns();
    void failureInPlainWordsAndLogged();

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
    QString Status() const { return Find<QLabel>("StatusText")->text(); }
    QStringList Temporaries() const
    {
        return QDir(m_music->filePath(QStringLiteral("out")))
            .entryList(QDir::Files | QDir::Hidden)
            .filter(QStringLiteral(".tessary-"));
    }

    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_music;
    std::unique_ptr<TMainF> m_window;
};

void TstRunWindow::initTestCase()
{
    QVERIFY(m_home.isValid());
    TestUtil::UseHome(m_home.path());
}

void TstRunWindow::init()
{
    m_music = std::make_unique<QTemporaryDir>();
    QVERIFY(m_music->isValid());
}

void TstRunWindow::cleanup()
{
    m_window.reset();
    m_music.reset();
}

void TstRunWindow::NewWindow()
{
    m_window = std::make_unique<TMainF>();
    ProgramSettings& s = m_window->Settings();
    s = ProgramSettings();
    s.TargetDirectory = m_music->filePath(QStringLiteral("out"));
    s.DeleteFromQueue = false;
    m_window->resize(900, 600);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

// Two encoders at once that report half way and then hang: both lines show
// 50%, the status bar the last job started and "2 из 3". The first cancel
// says the run waits, the second stops both: their lines stay unchecked
// with the reason, nothing is left in the output folder, and the third job
// never started.
void TstRunWindow::parallelRunAndStop()
{
    const QString encoder = m_music->filePath(QStringLiteral("bin/lame"));
    QVERIFY(TestUtil::WriteFile(encoder, "#!/bin/sh\n"
                                         "eval out=\\${$#}\n"
                                         "printf partial > \"$out\"\n"
                                         "printf '  1/2 (50%%)|\\r' >&2\n"
                                         "exec sleep 30\n"));
    QVERIFY(QFile::setPermissions(encoder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    NewWindow();
    m_window->Settings().ParallelJobs = 2;
    m_window->BatchRun()->SetEncoderProgram(encoder);
    m_window->BatchRun()->SetStopGrace(200ms);
    QStringList sources;
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) {
        sources << m_music->filePath(QStringLiteral("in/") + QLatin1String(name));
        QVERIFY(TestUtil::WriteFile(sources.last()));
        m_window->AddToQueue(sources.last());
    }
    auto* list = Find<TQueueList>("QueueLst");

    Find<QAbstractButton>("GoBtn")->click();
    QTRY_VERIFY(list->LineProgress(0) == 50 && list->LineProgress(1) == 50);
    QCOMPARE(list->LineProgress(2), -1);
    QCOMPARE(Status(), QStringLiteral("Обрабатывается: ") + sources[1]);
    QCOMPARE(Find<QLabel>("RunPosition")->text(), QStringLiteral("2 из 3"));

    auto* cancel = Find<QAbstractButton>("CancelBtn");
    cancel->click();
    QCOMPARE(Status(), TBatchRun::WaitingText());
    QVERIFY(m_window->BatchRun()->IsRunning());
    auto* bar = Find<QProgressBar>("RunProgress");
    const int stood = bar->value();
    cancel->click();
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->BatchRun()->IsRunning(), 10000);

    // A stopped run says so, and its bar stays where the run stood: the
    // stopped jobs are not done.
    QCOMPARE(Status(), TBatchRun::StoppedText(2));
    QCOMPARE(stood, 33);
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->value(), stood);
    QCOMPARE(list->count(), 3);
    const QImage stoppedMark = Icons::Stopped().pixmap(16).toImage();
    for (int line = 0; line < 3; ++line) {
        QCOMPARE(list->item(line)->checkState(), Qt::Unchecked);
        QCOMPARE(list->item(line)->toolTip(), line < 2 ? TBatchRun::StoppedReason() : QString());
        QCOMPARE(list->LineProgress(line), -1);
        QVERIFY(QFile::exists(sources[line]));
        // Its own mark, not the one of a skipped or a failed line.
        QCOMPARE(list->item(line)->icon().pixmap(16).toImage() == stoppedMark, line < 2);
    }
    QVERIFY(stoppedMark != Icons::Skipped().pixmap(16).toImage());
    QVERIFY(stoppedMark != Icons::Error().pixmap(16).toImage());
    QVERIFY(Temporaries().isEmpty());
    QVERIFY(QDir(m_music->filePath(QStringLiteral("out"))).entryList(QDir::Files).isEmpty());
    QVERIFY(!Find<QLabel>("RunTimeLeft")->isVisible());
}

// One job at a time, the bar measures the whole run as with jobs at once:
// after the first of three jobs has failed it stands at a third through the
// countdown (never full, never busy), the running line shows its own
// percent, and the status text keeps off the window's edge.
void TstRunWindow::oneAtATimeProgress()
{
    const QString encoder = m_music->filePath(QStringLiteral("bin/lame"));
    QVERIFY(TestUtil::WriteFile(encoder, "#!/bin/sh\n"
                                         "case \"$*\" in *a.wav*) exit 1 ;; esac\n"
                                         "printf '  1/2 (50%%)|\\r' >&2\n"
                                         "exec sleep 30\n"));
    QVERIFY(QFile::setPermissions(encoder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    NewWindow();
    m_window->Settings().ParallelJobs = 1;
    m_window->BatchRun()->SetEncoderProgram(encoder);
    m_window->BatchRun()->SetStopGrace(200ms);
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) {
        const QString source = m_music->filePath(QStringLiteral("in/") + QLatin1String(name));
        QVERIFY(TestUtil::WriteFile(source));
        m_window->AddToQueue(source);
    }
    auto* list = Find<TQueueList>("QueueLst");
    auto* bar = Find<QProgressBar>("RunProgress");

    QStringList seen;
    const auto record = [&] {
        if (bar->isVisible())
            seen << QStringLiteral("%1/%2").arg(bar->value()).arg(bar->maximum());
    };
    connect(bar, &QProgressBar::valueChanged, this, record);

    Find<QAbstractButton>("GoBtn")->click();
    QTRY_VERIFY(Status().startsWith(QStringLiteral("Ожидание отмены... ")));
    QVERIFY(!list->item(0)->toolTip().isEmpty()); // the failure is on its line
    QCOMPARE(bar->maximum(), 100);
    QCOMPARE(bar->value(), 33);
    QCOMPARE(list->LineProgress(0), -1);

    QTRY_VERIFY_WITH_TIMEOUT(list->LineProgress(1) == 50, 10000);
    QCOMPARE(bar->value(), 50);
    QCOMPARE(bar->maximum(), 100);
    QCOMPARE(Find<QLabel>("RunPosition")->text(), QStringLiteral("2 из 3"));
    QCOMPARE(list->LineProgress(2), -1);
    for (const QString& value : std::as_const(seen))
        QVERIFY2(value.endsWith(QStringLiteral("/100")) && !value.startsWith(QStringLiteral("100/")),
                 qPrintable(seen.join(u' ')));

    const int margin = m_window->style()->pixelMetric(QStyle::PM_LayoutLeftMargin);
    QVERIFY(Find<QLabel>("StatusText")->geometry().left() >= margin);

    auto* cancel = Find<QAbstractButton>("CancelBtn");
    cancel->click();
    cancel->click();
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->BatchRun()->IsRunning(), 10000);
    QCOMPARE(list->LineProgress(1), -1);
    // Stopped, the bar stays where the run stood: the stopped job is not done.
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->value(), 50);
    QCOMPARE(Status(), TBatchRun::StoppedText(1) + QStringLiteral(". Ошибок: 1"));
}

// "&Добавить" with many files selected adds them a slice per turn: the
// window shows how far it is, refuses to reshape the queue or start a run
// meanwhile, and ends with every file in file-list order and its text back.
void TstRunWindow::longAddSpreadOverTurns()
{
    const int files = 600;
    QDir().mkpath(m_music->filePath(QStringLiteral("many")));
    for (int i = 0; i < files; ++i)
        QVERIFY(TestUtil::WriteFile(m_music->filePath(QStringLiteral("many/%1.wav").arg(i, 4, 10, QChar(u'0')))));
    NewWindow();
    auto* tree = Find<TFolderTree>("shDirs");
    QVERIFY(tree->MoveTo(m_music->filePath(QStringLiteral("many"))));
    Q_EMIT tree->clicked(tree->currentIndex());
    auto* fileList = Find<TNewFileListBox>("FileList");
    QTRY_COMPARE(fileList->Lines().size(), files);
    fileList->selectAll();
    m_window->QueueAdder()->SetSliceBudget(0ms);
    m_window->QueueAdder()->SetMinSlice(100);
    const QString before = Status();

    auto* list = Find<TQueueList>("QueueLst");
    Find<QAbstractButton>("AddBtn")->click();
    QCOMPARE(list->count(), 100);
    QCOMPARE(Status(), QStringLiteral("Добавление в очередь: 100 из 600"));
    for (const char* name : {"acAdd", "acDel", "acDelCompleted", "acQClear", "acGO"})
        QVERIFY2(!Find<QAction>(name)->isEnabled(), name);
    Find<QAction>("acGO")->trigger();
    QVERIFY(!m_window->BatchRun()->IsRunning());

    QTRY_COMPARE(list->count(), files);
    QCOMPARE(Status(), before);
    for (const char* name : {"acAdd", "acDelCompleted", "acQClear", "acGO"})
        QVERIFY2(Find<QAction>(name)->isEnabled(), name);
    for (int i = 0; i < files; ++i)
        QCOMPARE(QFileInfo(list->item(i)->text()).fileName(), fileList->Lines().at(i));
    QCOMPARE(m_window->Queue().Count(), files);

    // The same selection again adds nothing: every path is queued.
    Find<QAbstractButton>("AddBtn")->click();
    QTRY_VERIFY(!m_window->QueueAdder()->IsBusy());
    QCOMPARE(list->count(), files);
}

// lame's complaint about a full disk comes after its progress figures; the
// line says it in plain words and points to the log, which keeps lame's
// own lines and the command it was given, and copies them whole.
void TstRunWindow::failureInPlainWordsAndLogged()
{
    const QString encoder = m_music->filePath(QStringLiteral("bin/lame"));
    QVERIFY(TestUtil::WriteFile(encoder, "#!/bin/sh\n"
                                         "printf '  128.0 100.0 99.9 0.1 0.0Error writing mp3 output' >&2\n"
                                         "exit 1\n"));
    QVERIFY(QFile::setPermissions(encoder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    NewWindow();
    m_window->BatchRun()->SetEncoderProgram(encoder);
    const QString source = m_music->filePath(QStringLiteral("in/song.wav"));
    QVERIFY(TestUtil::WriteFile(source));
    m_window->AddToQueue(source);
    auto* list = Find<TQueueList>("QueueLst");

    Find<QAbstractButton>("GoBtn")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->BatchRun()->IsRunning(), 10000);
    QCOMPARE(Status(), QStringLiteral("Готово. Ошибок: 1"));
    QCOMPARE(list->item(0)->toolTip(), QStringLiteral("Недостаточно места на диске"));
    QCOMPARE(list->item(0)->icon().pixmap(16).toImage(), Icons::Error().pixmap(16).toImage());

    // The tooltip shown over the line adds where the details are.
    const QRect line = list->visualItemRect(list->item(0));
    const QPoint at(line.left() + 30, line.center().y()); // over the source, not the output
    QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &help);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), list->item(0)->toolTip() + u'\n' + TQueueList::LogHint());
    QToolTip::hideText();

    Find<QAction>("acLog")->trigger();
    TLogWindow* log = m_window->LogWindow();
    QVERIFY(log);
    QTRY_VERIFY(log->isVisible());
    const QString text = log->Text();
    QVERIFY2(text.contains(QStringLiteral("Причина: Недостаточно места на диске")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("0.0Error writing mp3 output")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("  $ ") + encoder), qPrintable(text));
    QVERIFY(text.contains(source));
    log->findChild<QAbstractButton*>(QStringLiteral("LogCopyBtn"))->click();
    QCOMPARE(QApplication::clipboard()->text(), text);
}

QTEST_MAIN(TstRunWindow)
#include "tst_runwindow.moc"
