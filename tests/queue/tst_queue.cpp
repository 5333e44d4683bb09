// The queue list: line i and job i stay together through every operation,
// the user can clear a processed mark but never set one, and only the user's
// own selections are reported.

#include "queue.h"
#include "queuelist.h"
#include "testutil.h"

#include <QApplication>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QtTest>

class TstQueue final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void addAppendsUntickedLineWithNoCurrent();
    void duplicatePathIsIgnored();
    void reAddAfterRemoveGoesToEnd();
    void deleteProcessedKeepsOrderOfTheRest();
    void clearEmptiesBoth();
    void deleteProcessedAtAnySize_data();
    void deleteProcessedAtAnySize();
    void lineProgressFollowsItsJob();
    void move_data();
    void move();
    void checkBoxClickNeverSetsMark_data();
    void checkBoxClickNeverSetsMark();
    void spaceBarNeverSetsMark();
    void onlyUserSelectionIsReported();

private:
    QString File(const QString& name) const { return m_dir->filePath(name); }
    // Adds the files (created on the spot) and returns the new jobs.
    void AddFiles(const QStringList& names);
    QStringList LineTexts() const;
    QStringList JobFiles() const;
    QPoint CheckBoxCentre(int line) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TQueue> m_queue;
    std::unique_ptr<TQueueList> m_list;
};

void TstQueue::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_queue = std::make_unique<TQueue>();
    m_list = std::make_unique<TQueueList>(*m_queue);
    m_list->resize(400, 300);
    m_list->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_list.get()));
}

void TstQueue::cleanup()
{
    m_list.reset();
    m_queue.reset();
    m_dir.reset();
}

void TstQueue::AddFiles(const QStringList& names)
{
    for (const QString& name : names) {
        QVERIFY(TestUtil::WriteFile(File(name)));
        QVERIFY(m_list->AddToQueue(File(name), {}) != nullptr);
    }
}

QStringList TstQueue::LineTexts() const
{
    QStringList texts;
    for (int i = 0; i < m_list->count(); ++i)
        texts << QFileInfo(m_list->item(i)->text()).fileName();
    return texts;
}

QStringList TstQueue::JobFiles() const
{
    QStringList files;
    for (int i = 0; i < m_queue->Count(); ++i)
        files << QFileInfo(m_queue->Items(i)->InputFile()).fileName();
    return files;
}

QPoint TstQueue::CheckBoxCentre(int line) const
{
    QStyleOptionViewItem opt;
    opt.initFrom(m_list->viewport());
    opt.rect = m_list->visualItemRect(m_list->item(line));
    opt.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    opt.text = m_list->item(line)->text();
    return m_list->style()
        ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, m_list.get())
        .center();
}

void TstQueue::addAppendsUntickedLineWithNoCurrent()
{
    QVERIFY(TestUtil::WriteFile(File("a.wav")));
    int initCalls = 0;
    TQueueItem* job = m_list->AddToQueue(File("a.wav"), [&](TQueueItem& j) {
        ++initCalls;
        QCOMPARE(j.InputFile(), File("a.wav")); // the path is set before the values
        j.SetTitle(QStringLiteral("Song"));
    });
    QVERIFY(job);
    QCOMPARE(initCalls, 1);
    QCOMPARE(m_queue->Count(), 1);
    QCOMPARE(m_queue->Items(0), job);
    QCOMPARE(job->Title(), QStringLiteral("Song"));
    QCOMPARE(m_list->count(), 1);
    QCOMPARE(m_list->item(0)->text(), File("a.wav"));
    QVERIFY(!m_list->IsLineChecked(0));
    QCOMPARE(m_list->CurrentLine(), -1);
    QCOMPARE(m_list->CurrentJob(), nullptr);

    // A file gone before it is added gives a job without a source and an empty line.
    QVERIFY(m_list->AddToQueue(File("gone.wav"), {}));
    QCOMPARE(m_list->item(1)->text(), QString());
    QCOMPARE(m_queue->Items(1)->InputFile(), QString());
}

void TstQueue::duplicatePathIsIgnored()
{
    AddFiles({"a.wav"});
    bool initCalled = false;
    QCOMPARE(m_list->AddToQueue(File("a.wav"), [&](TQueueItem&) { initCalled = true; }), nullptr);
    QVERIFY(!initCalled);

    // A processed line blocks its path just the same.
    m_list->SetLineChecked(0, true);
    QCOMPARE(m_list->AddToQueue(File("a.wav"), {}), nullptr);
    QCOMPARE(m_queue->Count(), 1);

    // Linux names are case-sensitive: A.wav is another file.
    AddFiles({"A.wav"});
    QCOMPARE(LineTexts(), QStringList({"a.wav", "A.wav"}));
    QCOMPARE(JobFiles(), LineTexts());
}

void TstQueue::reAddAfterRemoveGoesToEnd()
{
    AddFiles({"a.wav", "b.wav", "c.wav"});
    QSignalSpy dropping(m_list.get(), &TQueueList::CurrentDropping);
    m_list->item(0)->setSelected(true);
    QCOMPARE(m_list->CurrentLine(), 0);

    m_list->DeleteCurrent();
    QCOMPARE(dropping.count(), 1);
    QCOMPARE(m_list->CurrentLine(), -1);
    QCOMPARE(LineTexts(), QStringList({"b.wav", "c.wav"}));
    QCOMPARE(JobFiles(), LineTexts());

    // Nothing current: nothing happens.
    m_list->DeleteCurrent();
    QCOMPARE(m_list->count(), 2);

    QVERIFY(m_list->AddToQueue(File("a.wav"), {}));
    QCOMPARE(LineTexts(), QStringList({"b.wav", "c.wav", "a.wav"}));
    QCOMPARE(JobFiles(), LineTexts());
}

void TstQueue::deleteProcessedKeepsOrderOfTheRest()
{
    AddFiles({"a.wav", "b.wav", "c.wav", "d.wav", "e.wav"});
    for (int line : {0, 2, 3})
        m_list->SetLineChecked(line, true);
    m_list->item(1)->setSelected(true);
    QSignalSpy dropping(m_list.get(), &TQueueList::CurrentDropping);

    m_list->DeleteProcessed();
    QCOMPARE(LineTexts(), QStringList({"b.wav", "e.wav"}));
    QCOMPARE(JobFiles(), LineTexts());
    QVERIFY(!m_list->IsLineChecked(0) && !m_list->IsLineChecked(1));
    QCOMPARE(m_list->CurrentLine(), -1);
    QCOMPARE(dropping.count(), 1);

    // With nothing ticked, still no line is current afterwards.
    m_list->item(0)->setSelected(true);
    m_list->DeleteProcessed();
    QCOMPARE(m_list->count(), 2);
    QCOMPARE(m_list->CurrentLine(), -1);

    // Deleted paths can be queued again, kept ones still cannot.
    QVERIFY(!m_list->AddToQueue(File("b.wav"), {}));
    QVERIFY(m_list->AddToQueue(File("c.wav"), {}));
    QCOMPARE(LineTexts(), QStringList({"b.wav", "e.wav", "c.wav"}));
    QCOMPARE(JobFiles(), LineTexts());
}

void TstQueue::deleteProcessedAtAnySize_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("every"); // every n-th line is ticked
    QTest::newRow("a few of ten") << 10 << 3;
    QTest::newRow("a third of three hundred") << 300 << 3;
    QTest::newRow("all of two hundred") << 200 << 1;
}

// Few ticked lines are taken out one by one, many by taking every line out
// and putting the rest back: either way the rest keep their order, their
// marks and their jobs, and only the deleted paths may be queued again.
void TstQueue::deleteProcessedAtAnySize()
{
    QFETCH(int, lines);
    QFETCH(int, every);
    QStringList names, kept;
    for (int i = 0; i < lines; ++i) {
        names << QStringLiteral("%1.wav").arg(i, 3, 10, QChar(u'0'));
        if (i % every != 0)
            kept << names.last();
    }
    AddFiles(names);
    for (int i = 0; i < lines; ++i) {
        if (i % every == 0)
            m_list->SetLineChecked(i, true);
        else if (i % 7 == 1)
            m_list->SetLineFailure(i, names[i]);
    }
    m_list->DeleteProcessed();

    QCOMPARE(LineTexts(), kept);
    QCOMPARE(JobFiles(), kept);
    for (int line = 0; line < m_list->count(); ++line) {
        const int i = kept[line].left(3).toInt();
        QCOMPARE(m_list->item(line)->toolTip(), i % 7 == 1 ? names[i] : QString());
        QCOMPARE(m_queue->Items(line)->Index(), line);
    }
    QCOMPARE(m_list->CurrentLine(), -1);
    if (!kept.isEmpty())
        QVERIFY(!m_list->AddToQueue(File(kept.first()), {}));
    QVERIFY(m_list->AddToQueue(File(names.first()), {}));
    QCOMPARE(m_list->count(), int(kept.size()) + 1);
}

// A running job's percent belongs to the job: it moves with its line,
// goes with it, and is not part of the line's data (the plan of outputs
// follows every change of that).
void TstQueue::lineProgressFollowsItsJob()
{
    AddFiles({"a.wav", "b.wav", "c.wav"});
    QSignalSpy changed(m_list->model(), &QAbstractItemModel::dataChanged);
    m_list->SetLineProgress(1, 40);
    m_list->SetLineProgress(2, 140);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(m_list->LineProgress(0), -1);
    QCOMPARE(m_list->LineProgress(1), 40);
    QCOMPARE(m_list->LineProgress(2), 100);

    m_list->item(1)->setSelected(true);
    m_list->MoveCurrent(true);
    QCOMPARE(m_list->LineProgress(0), 40);
    QCOMPARE(m_list->LineProgress(1), -1);
    m_list->SetLineProgress(2, -1);
    QCOMPARE(m_list->LineProgress(2), -1);

    m_list->SetLineChecked(0, true);
    m_list->DeleteProcessed();
    for (int line = 0; line < m_list->count(); ++line)
        QCOMPARE(m_list->LineProgress(line), -1);
    m_list->SetLineProgress(7, 10); // no such line: nothing
}

void TstQueue::clearEmptiesBoth()
{
    AddFiles({"a.wav", "b.wav"});
    m_list->SetLineChecked(1, true);
    m_list->item(0)->setSelected(true);
    m_list->ClearQueue();
    QCOMPARE(m_list->count(), 0);
    QCOMPARE(m_queue->Count(), 0);
    QCOMPARE(m_list->CurrentLine(), -1);
    AddFiles({"a.wav"}); // no stale duplicate after a clear
    QCOMPARE(m_list->count(), 1);
}

void TstQueue::move_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("current");
    QTest::addColumn<QString>("presses"); // "u" up, "d" down
    QTest::addColumn<QString>("order");   // the lines afterwards, by first letter
    QTest::addColumn<int>("currentAfter");

    QTest::newRow("first down five times") << 6 << 0 << "ddddd" << "bcdefa" << 5;
    QTest::newRow("first up does nothing") << 3 << 0 << "u" << "abc" << 0;
    QTest::newRow("last down does nothing") << 3 << 2 << "d" << "abc" << 2;
    QTest::newRow("middle up") << 3 << 1 << "u" << "bac" << 0;
    QTest::newRow("down past the end stops") << 3 << 1 << "ddd" << "acb" << 2;
    QTest::newRow("no current line") << 3 << -1 << "ud" << "abc" << -1;
}

void TstQueue::move()
{
    QFETCH(int, lines);
    QFETCH(int, current);
    QFETCH(QString, presses);
    QFETCH(QString, order);
    QFETCH(int, currentAfter);

    QStringList names;
    for (int i = 0; i < lines; ++i)
        names << QString(QChar(u'a' + i)) + QStringLiteral(".wav");
    AddFiles(names);
    if (current >= 0) {
        m_list->item(current)->setSelected(true);
        m_list->SetLineChecked(current, true);
        m_list->SetLineFailure(current, QStringLiteral("failed"));
    }
    TQueueItem* moving = m_list->CurrentJob();
    QSignalSpy selected(m_list.get(), &TQueueList::LineSelected);

    for (QChar p : presses)
        m_list->MoveCurrent(p == u'u');

    QString got;
    for (const QString& text : LineTexts())
        got += text.at(0);
    QCOMPARE(got, order);
    QCOMPARE(JobFiles(), LineTexts());
    QCOMPARE(m_list->CurrentLine(), currentAfter);
    QCOMPARE(m_list->CurrentJob(), moving);
    QCOMPARE(selected.count(), 0); // a move loads nothing
    // The marks travel with the line.
    for (int i = 0; i < m_list->count(); ++i) {
        QCOMPARE(m_list->IsLineChecked(i), i == currentAfter);
        QCOMPARE(m_list->item(i)->toolTip().isEmpty(), i != currentAfter);
    }
}

void TstQueue::checkBoxClickNeverSetsMark_data()
{
    QTest::addColumn<bool>("ticked");
    QTest::newRow("unticked stays unticked") << false;
    QTest::newRow("ticked becomes unticked") << true;
}

void TstQueue::checkBoxClickNeverSetsMark()
{
    QFETCH(bool, ticked);
    AddFiles({"a.wav", "b.wav"});
    m_list->SetLineChecked(1, ticked);
    QSignalSpy selected(m_list.get(), &TQueueList::LineSelected);

    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, CheckBoxCentre(1));
    QVERIFY(!m_list->IsLineChecked(1));
    // The click made the line current first, so the editor loads it.
    QCOMPARE(m_list->CurrentLine(), 1);
    QCOMPARE(selected.count(), 1);
    QCOMPARE(selected.first().first().toInt(), 1);
    QVERIFY(!m_list->IsLineChecked(0));
}

void TstQueue::spaceBarNeverSetsMark()
{
    AddFiles({"a.wav", "b.wav"});
    m_list->SetLineChecked(0, true);
    m_list->setFocus();
    m_list->setCurrentRow(0);
    QTest::keyClick(m_list.get(), Qt::Key_Space);
    QVERIFY(!m_list->IsLineChecked(0));
    QTest::keyClick(m_list.get(), Qt::Key_Space);
    QVERIFY(!m_list->IsLineChecked(0));
}

void TstQueue::onlyUserSelectionIsReported()
{
    AddFiles({"a.wav", "b.wav", "c.wav"});
    QSignalSpy selected(m_list.get(), &TQueueList::LineSelected);

    // Mouse: a click loads its line, also when it is already current.
    const QPoint second = m_list->visualItemRect(m_list->item(1)).center();
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, second);
    QCOMPARE(selected.count(), 2);
    QCOMPARE(selected.at(1).first().toInt(), 1);

    // Keyboard.
    m_list->setFocus();
    QTest::keyClick(m_list.get(), Qt::Key_Down);
    QCOMPARE(selected.count(), 3);
    QCOMPARE(selected.at(2).first().toInt(), 2);

    // The program's own changes of the current line load nothing.
    selected.clear();
    m_list->MoveCurrent(true);
    AddFiles({"d.wav"});
    m_list->SetLineChecked(0, true);
    m_list->DeleteProcessed();
    m_list->item(0)->setSelected(true);
    selected.clear();
    m_list->DeleteCurrent();
    QCOMPARE(selected.count(), 0);
}

QTEST_MAIN(TstQueue)
#include "tst_queue.moc"
