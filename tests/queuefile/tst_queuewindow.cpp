// The queue kept and brought back in the main window: the question about
// what a crash left and what each answer does, how restored jobs come back,
// damaged journals, keeping the queue at exit, saving and opening by hand,
// and how often typing writes the journal.

#include "batchrun.h"
#include "mainwindow.h"
#include "queueadder.h"
#include "queuefile.h"
#include "queuekeeper.h"
#include "queuelist.h"
#include "testutil.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace std::chrono_literals;

namespace {

QStringList Files(const QString& folder, const QString& pattern = QStringLiteral("*"))
{
    return QDir(folder).entryList({pattern}, QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class TstQueueWindow final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void crashLeftoverIsOfferedAndRestored();
    void answersDeleteAndLater();
    void badJournalIsSetAside_data();
    void badJournalIsSetAside();
    void keptQueueComesBackWithoutAsking();
    void saveAndOpenByHand();
    void typingATitleWritesOnce();

private:
    TMainF& NewWindow();
    QString Source(const QString& name, bool create = true) const;
    // A crash's journal with content, as a killed window leaves it.
    void LeaveJournal(const TQueueContent& content, const QString& name = QStringLiteral("dead"));
    QString Folder() const { return m_home->filePath(QStringLiteral("state/tessary")); }
    QString Line(int i) const { return m_window->findChild<QListWidget*>("QueueLst")->item(i)->text(); }
    TQueueList& List() const { return *m_window->findChild<TQueueList*>("QueueLst"); }

    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<TMainF> m_window;
    QStringList m_problems;
    int m_asked = 0;
};

void TstQueueWindow::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    TestUtil::UseHome(m_home->path());
    qputenv("XDG_STATE_HOME", m_home->filePath(QStringLiteral("state")).toUtf8());
    m_problems.clear();
    m_asked = 0;
}

void TstQueueWindow::cleanup()
{
    m_window.reset();
    m_home.reset();
}

TMainF& TstQueueWindow::NewWindow()
{
    m_window.reset();
    m_window = std::make_unique<TMainF>();
    m_window->QueueKeeper()->ShowProblem = [this](const QString& text, QWidget*) {
        m_problems << text;
    };
    m_window->QueueKeeper()->Journal().SetDelays(50ms, 1000ms);
    return *m_window;
}

QString TstQueueWindow::Source(const QString& name, bool create) const
{
    const QString path = m_home->filePath(QStringLiteral("music/") + name);
    if (create)
        TestUtil::WriteWav(path, 0.05);
    return path;
}

void TstQueueWindow::LeaveJournal(const TQueueContent& content, const QString& name)
{
    QVERIFY(TestUtil::WriteFile(Folder() + QStringLiteral("/journal-") + name
                                    + TQueueFile::Extension(),
                                TQueueFile::Write(content)));
}

void TstQueueWindow::crashLeftoverIsOfferedAndRestored()
{
    TQueueContent c;
    auto add = [&c](const QString& path, TQueueLine line) {
        TQueueItem* j = c.queue->Add();
        j->RestoreInputFile(path);
        c.lines.push_back(line);
        return j;
    };
    TQueueItem* edited = add(Source(QStringLiteral("edited.wav")), {});
    edited->SetTitle(QStringLiteral("Группа крови"));
    edited->SetArtist(QString(255, u'Ж'));
    edited->SetYear(QStringLiteral("1988"));
    edited->SetAlgorithm(VBR);
    edited->SetVBRQuality(0);
    edited->AutoTrack = false;
    edited->SetTrack(7);
    add(Source(QStringLiteral("done.wav")), {true, TLineMark::None, {}, false});
    add(Source(QStringLiteral("failed.wav")), {false, TLineMark::Failed, QStringLiteral("Ошибка 1"), false});
    add(Source(QStringLiteral("skipped.wav")), {false, TLineMark::Skipped, QStringLiteral("Пропущено"), false});
    // Was running: its output is in place and its source deleted, which only
    // a job that was done leaves: it comes back processed.
    const QString finishedOut = m_home->filePath(QStringLiteral("out/finished.mp3"));
    QVERIFY(TestUtil::WriteFile(finishedOut, "mp3"));
    add(Source(QStringLiteral("finished.wav"), false), {false, TLineMark::None, {}, true})
        ->SetOutputFile(finishedOut);
    // Was running, source still there: unprocessed, its output an existing one.
    const QString halfOut = m_home->filePath(QStringLiteral("out/half.mp3"));
    QVERIFY(TestUtil::WriteFile(halfOut, "mp3"));
    add(Source(QStringLiteral("half.wav")), {false, TLineMark::None, {}, true})->SetOutputFile(halfOut);
    // Was running and never wrote: unprocessed.
    add(Source(QStringLiteral("cut.wav")), {false, TLineMark::None, {}, true});
    // Gone since: marked as the run marks a vanished source.
    add(Source(QStringLiteral("vanished.wav"), false), {false, TLineMark::Skipped, QStringLiteral("x"), false});
    c.current = 0;
    LeaveJournal(c);

    TMainF& w = NewWindow();
    w.show();
    // The real question box, answered by its button.
    QString asked;
    int buttons = 0;
    QTimer clicker;
    clicker.setInterval(10);
    connect(&clicker, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box->objectName() != QStringLiteral("RecoveryBox"))
            return;
        clicker.stop();
        asked = box->text();
        buttons = int(box->buttons().size());
        box->findChild<QAbstractButton*>(QStringLiteral("RestoreBtn"))->click();
    });
    clicker.start();
    bool settled = false;
    w.StartJournal([&settled] { settled = true; });
    QTRY_VERIFY(settled);
    QCOMPARE(buttons, 2);
    QCOMPARE(asked, QStringLiteral("Восстановить очередь? После аварийного завершения осталось 8 "
                                   "заданий (7 не обработаны)."));
    QTRY_COMPARE(w.Queue().Count(), 8);
    QTRY_VERIFY(!w.QueueKeeper()->IsOpening());

    const TQueueItem* j = w.Queue().Items(0);
    QCOMPARE(j->Title(), QStringLiteral("Группа крови"));
    QCOMPARE(j->Artist(), QString(255, u'Ж'));
    QCOMPARE(j->Year(), QStringLiteral("1988"));
    QCOMPARE(j->Algorithm(), VBR);
    QCOMPARE(j->VBRQuality(), 0);
    QCOMPARE(j->Track(), 7);
    QVERIFY(!j->AutoTrack);
    // Everything else as a new job from the file has it, not as the window's settings.
    QCOMPARE(j->Mode(), Auto);
    QCOMPARE(List().CurrentLine(), 0);

    TQueueList& list = List();
    const std::vector<std::tuple<bool, TLineMark, QString>> expected = {
        {false, TLineMark::None, {}},
        {true, TLineMark::None, {}},
        {false, TLineMark::Failed, QStringLiteral("Ошибка 1")},
        {false, TLineMark::Skipped, QStringLiteral("Пропущено")},
        {true, TLineMark::None, {}},
        {false, TLineMark::None, {}},
        {false, TLineMark::None, {}},
        {false, TLineMark::Failed, TBatchRun::SourceProblem(Source(QStringLiteral("vanished.wav"), false))},
    };
    for (int i = 0; i < 8; ++i) {
        const auto& [checked, mark, reason] = expected[std::size_t(i)];
        QVERIFY2(list.IsLineChecked(i) == checked, qPrintable(Line(i)));
        QVERIFY2(list.LineMark(i) == mark, qPrintable(Line(i)));
        QCOMPARE(list.LineReason(i), reason);
    }
    QCOMPARE(Line(7), Source(QStringLiteral("vanished.wav"), false));

    // The leftover goes once this window's journal holds its jobs.
    const QString left = Folder() + QStringLiteral("/journal-dead") + TQueueFile::Extension();
    QTRY_VERIFY(!QFileInfo::exists(left));
    const TQueueFile::TReadResult own = TQueueFile::ReadFile(w.QueueKeeper()->Journal().Path());
    QVERIFY2(own.Ok(), qPrintable(own.error));
    QCOMPARE(own.content.Count(), 8);
    QVERIFY(m_problems.isEmpty());

    // A normal close removes the journal.
    m_window->close();
    QCOMPARE(Files(Folder()), QStringList());
}

void TstQueueWindow::answersDeleteAndLater()
{
    TQueueContent c;
    c.queue->Add()->RestoreInputFile(Source(QStringLiteral("a.wav")));
    c.lines.resize(1);
    LeaveJournal(c);
    const QString left = Folder() + QStringLiteral("/journal-dead") + TQueueFile::Extension();

    // Closed unanswered: it stays for the next start, which asks again.
    TMainF& w = NewWindow();
    w.QueueKeeper()->AskRestore = [this](int jobs, int unprocessed, QWidget*) {
        ++m_asked;
        return jobs == 1 && unprocessed == 1 ? TQueueKeeper::TAnswer::Later
                                             : TQueueKeeper::TAnswer::Restore;
    };
    w.StartJournal();
    QTRY_COMPARE(m_asked, 1);
    QCOMPARE(w.Queue().Count(), 0);
    QVERIFY(QFileInfo::exists(left));

    TMainF& again = NewWindow();
    again.QueueKeeper()->AskRestore = [this](int, int, QWidget*) {
        ++m_asked;
        return TQueueKeeper::TAnswer::Delete;
    };
    again.StartJournal();
    QTRY_COMPARE(m_asked, 2);
    QVERIFY(!QFileInfo::exists(left));
    QCOMPARE(again.Queue().Count(), 0);

    // Nothing left: no question.
    NewWindow().StartJournal();
    QCOMPARE(m_asked, 2);
}

void TstQueueWindow::badJournalIsSetAside_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    TQueueContent c;
    for (int i = 0; i < 5; ++i)
        c.queue->Add()->RestoreInputFile(QStringLiteral("/m/%1.wav").arg(i));
    c.lines.resize(5);
    const QByteArray whole = TQueueFile::Write(c);
    QTest::addRow("truncated") << whole.left(whole.size() * 2 / 3)
                               << QStringLiteral("повреждён или обрезан");
    QTest::addRow("newer version") << QByteArray(whole).replace("\"version\":1", "\"version\":7")
                                   << QStringLiteral("более новой версией");
    QTest::addRow("not a queue") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10)
                                 << QStringLiteral("не файл очереди");
}

void TstQueueWindow::badJournalIsSetAside()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QVERIFY(TestUtil::WriteFile(Folder() + QStringLiteral("/journal-bad.tessary-queue"), bytes));
    TMainF& w = NewWindow();
    w.QueueKeeper()->AskRestore = [this](int, int, QWidget*) {
        ++m_asked;
        return TQueueKeeper::TAnswer::Restore;
    };
    w.StartJournal();
    QTRY_COMPARE(m_problems.size(), 1);
    QCOMPARE(m_asked, 0);
    QCOMPARE(w.Queue().Count(), 0);
    QVERIFY2(m_problems[0].contains(reason), qPrintable(m_problems[0]));
    const QStringList aside = Files(Folder(), QStringLiteral("journal-bad.damaged-*"));
    QCOMPARE(aside.size(), 1);
    QVERIFY2(m_problems[0].contains(Folder() + u'/' + aside[0]), qPrintable(m_problems[0]));
    QCOMPARE(TestUtil::ReadFile(Folder() + u'/' + aside[0]), bytes);
    QVERIFY(Files(Folder(), QStringLiteral("*.tessary-queue")).isEmpty());
    // Not offered again.
    m_problems.clear();
    NewWindow().StartJournal();
    QCOMPARE(m_problems.size(), 0);
}

void TstQueueWindow::keptQueueComesBackWithoutAsking()
{
    TMainF& w = NewWindow();
    w.Settings().KeepQueue = true;
    w.StartJournal();
    w.AddToQueue(Source(QStringLiteral("a.wav")));
    w.AddToQueue(Source(QStringLiteral("b.wav")));
    w.Queue().Items(1)->SetComment(QStringLiteral("оставлено"));
    w.close(); // at once: the last change is written by the close itself
    QCOMPARE(Files(Folder(), QStringLiteral("kept-*")).size(), 1);

    TMainF& next = NewWindow();
    next.QueueKeeper()->AskRestore = [this](int, int, QWidget*) {
        ++m_asked;
        return TQueueKeeper::TAnswer::Delete;
    };
    next.StartJournal();
    QTRY_COMPARE(next.Queue().Count(), 2);
    QCOMPARE(m_asked, 0);
    QCOMPARE(next.Queue().Items(1)->Comment(), QStringLiteral("оставлено"));
    QTRY_VERIFY(Files(Folder(), QStringLiteral("kept-*")).isEmpty());

    // With the setting off (the default), a normal close keeps nothing.
    next.Settings().KeepQueue = false;
    next.close();
    QCOMPARE(Files(Folder()), QStringList());
}

void TstQueueWindow::saveAndOpenByHand()
{
    TMainF& w = NewWindow();
    const QString a = Source(QStringLiteral("a.wav")), b = Source(QStringLiteral("b.wav"));
    w.AddToQueue(a);
    w.AddToQueue(b);
    w.Queue().Items(0)->SetTitle(QStringLiteral("Первая"));
    w.Queue().Items(1)->SetMinBitrate(320);
    const QString saved = m_home->filePath(QStringLiteral("saved/my queue"));
    QDir().mkpath(QFileInfo(saved).absolutePath());
    const auto pick = [&saved](QWidget*, bool save, const QString&) {
        return save ? saved : saved + TQueueFile::Extension();
    };
    w.PickQueueFile = pick;
    QSignalSpy savedSpy(w.QueueKeeper(), &TQueueKeeper::Saved);
    w.findChild<QAction*>(QStringLiteral("acQSave"))->trigger();
    QTRY_COMPARE(savedSpy.size(), 1);
    QCOMPARE(savedSpy[0][0].toString(), saved + TQueueFile::Extension());
    QVERIFY(savedSpy[0][1].toBool());
    QCOMPARE(w.Settings().QueueFolder, QFileInfo(saved).absolutePath());

    // Opened into a queue that holds one of its jobs already: that one is
    // refused as a duplicate, the other comes with its values.
    TMainF& other = NewWindow();
    other.PickQueueFile = pick;
    other.AddToQueue(b);
    QSignalSpy opened(other.QueueKeeper(), &TQueueKeeper::Opened);
    other.findChild<QAction*>(QStringLiteral("acQOpen"))->trigger();
    QTRY_COMPARE(opened.size(), 1);
    QCOMPARE(other.Queue().Count(), 2);
    QCOMPARE(other.Queue().Items(0)->InputFile(), b);
    QCOMPARE(other.Queue().Items(0)->MinBitrate(), 32);
    QCOMPARE(other.Queue().Items(1)->InputFile(), a);
    QCOMPARE(other.Queue().Items(1)->Title(), QStringLiteral("Первая"));

    // A file that is not a queue: told, nothing added.
    const QString junk = m_home->filePath(QStringLiteral("junk") + TQueueFile::Extension());
    QVERIFY(TestUtil::WriteFile(junk, "junk"));
    QVERIFY(other.OpenQueueFile(junk));
    QTRY_COMPARE(opened.size(), 2);
    QCOMPARE(m_problems.size(), 1);
    QVERIFY(m_problems[0].contains(junk));
    QCOMPARE(other.Queue().Count(), 2);

    // Refused while a run is under way.
    const QString encoder = m_home->filePath(QStringLiteral("slow-lame"));
    QVERIFY(TestUtil::WriteFile(encoder, "#!/bin/sh\nexec sleep 30\n"));
    QFile::setPermissions(encoder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    other.BatchRun()->SetEncoderProgram(encoder);
    other.BatchRun()->SetStopGrace(100ms);
    other.Settings().TargetDirectory = m_home->filePath(QStringLiteral("out/"));
    other.Settings().ExistingOutput = TExistingOutput::KeepBoth;
    other.findChild<QAction*>(QStringLiteral("acGO"))->trigger();
    QVERIFY(other.BatchRun()->IsRunning());
    QVERIFY(!other.findChild<QAction*>(QStringLiteral("acQOpen"))->isEnabled());
    QVERIFY(!other.OpenQueueFile(saved + TQueueFile::Extension()));
    other.BatchRun()->Cancel();
    other.BatchRun()->Cancel();
    QTRY_VERIFY_WITH_TIMEOUT(!other.BatchRun()->IsRunning(), 10000);
    QVERIFY(other.findChild<QAction*>(QStringLiteral("acQOpen"))->isEnabled());
}

void TstQueueWindow::typingATitleWritesOnce()
{
    TMainF& w = NewWindow();
    w.QueueKeeper()->Journal().SetDelays(TQueueJournal::QuietDelay, TQueueJournal::MaxDelay);
    w.show();
    w.StartJournal();
    w.AddToQueue(Source(QStringLiteral("a.wav")));
    TQueueJournal& journal = w.QueueKeeper()->Journal();
    QTRY_VERIFY_WITH_TIMEOUT(journal.IsIdle(), 10000);
    List().setCurrentRow(0);
    QTRY_VERIFY_WITH_TIMEOUT(journal.IsIdle(), 10000);
    const int before = journal.Writes();

    auto* title = w.findChild<QLineEdit*>(QStringLiteral("TItleEd"));
    QVERIFY(title);
    title->setFocus();
    const QString typed = QStringLiteral("Песня о том, как журнал пишется один раз за ввод!!");
    QCOMPARE(typed.size(), 50);
    // A fast typist; key by key, since keyClicks() takes ASCII only.
    for (const QChar c : typed)
        QTest::sendKeyEvent(QTest::Click, title, Qt::Key_unknown, QString(c), Qt::NoModifier, 10);
    QCOMPARE(w.Queue().Items(0)->Title(), typed);
    QTRY_VERIFY_WITH_TIMEOUT(journal.IsIdle(), 10000);
    QCOMPARE(journal.Writes() - before, 1);
    const TQueueFile::TReadResult r = TQueueFile::ReadFile(journal.Path());
    QCOMPARE(r.content.queue->Items(0)->Title(), typed);
}

QTEST_MAIN(TstQueueWindow)
#include "tst_queuewindow.moc"
