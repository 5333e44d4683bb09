#include "queuefileworker.h"
#include "queuejournal.h"
#include "testutil.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace std::chrono_literals;

namespace {

// A queue of n jobs whose first title is title.
struct TFakeQueue
{
    int jobs = 1;
    QString title;

    TQueueContent Snapshot() const
    {
        TQueueContent c;
        for (int i = 0; i < jobs; ++i) {
            TQueueItem* j = c.queue->Add();
            j->RestoreInputFile(QStringLiteral("/m/%1.wav").arg(i));
            if (i == 0)
                j->SetTitle(title);
        }
        c.lines.resize(std::size_t(jobs));
        return c;
    }
};

std::unique_ptr<TQueueJournal> Journal(const TFakeQueue& queue)
{
    auto j = std::make_unique<TQueueJournal>([&queue] { return queue.Snapshot(); });
    j->SetDelays(100ms, 2000ms);
    j->Start();
    return j;
}

QStringList Files(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QString TitleIn(const QString& path)
{
    const TQueueFile::TReadResult r = TQueueFile::ReadFile(path);
    return r.Ok() && r.content.Count() > 0 ? r.content.queue->Items(0)->Title() : QString();
}

} // namespace

class TstQueueJournal final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void folderFollowsXdgStateHome();
    void changesAreCoalesced();
    void crashLeavesAJournalOnlyOneWindowClaims();
    void closeRemovesOrKeeps();
    void restoredLeftoverGoesAfterTheNextWrite();
    void damagedLeftoverIsSetAside();
    void writeReplacesWhole();

private:
    std::unique_ptr<QTemporaryDir> m_home;
    QString m_folder;
};

void TstQueueJournal::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    TestUtil::UseHome(m_home->path());
    qputenv("XDG_STATE_HOME", m_home->filePath(QStringLiteral("state")).toUtf8());
    m_folder = m_home->filePath(QStringLiteral("state/tessary"));
}

void TstQueueJournal::folderFollowsXdgStateHome()
{
    QCOMPARE(TQueueJournal::Folder(), m_folder);
    qputenv("XDG_STATE_HOME", "relative/state");
    QCOMPARE(TQueueJournal::Folder(), m_home->filePath(QStringLiteral(".local/state/tessary")));
    qunsetenv("XDG_STATE_HOME");
    QCOMPARE(TQueueJournal::Folder(), m_home->filePath(QStringLiteral(".local/state/tessary")));
}

void TstQueueJournal::changesAreCoalesced()
{
    TFakeQueue queue;
    const auto journal = Journal(queue);
    // Nothing is on the disk before the first change.
    QVERIFY(!QFileInfo::exists(m_folder));
    for (int i = 0; i < 50; ++i) {
        queue.title += u'x';
        journal->MarkChanged();
    }
    QTRY_VERIFY(journal->IsIdle());
    QCOMPARE(journal->Writes(), 1);
    QCOMPARE(TitleIn(journal->Path()), QString(50, u'x'));
    QVERIFY(journal->Path().startsWith(m_folder + QStringLiteral("/journal-")));

    // A change that must reach the disk soon does not wait for quiet, and
    // the changes made while a write is under way follow it.
    queue.title = QStringLiteral("soon");
    journal->MarkChangedSoon();
    queue.title = QStringLiteral("later");
    journal->MarkChanged();
    QTRY_VERIFY(journal->IsIdle());
    QCOMPARE(TitleIn(journal->Path()), QStringLiteral("later"));
    QVERIFY(journal->Writes() <= 3);

    // Before Start() nothing is noted.
    TQueueJournal idle([&queue] { return queue.Snapshot(); });
    idle.MarkChangedSoon();
    QVERIFY(idle.IsIdle());
}

void TstQueueJournal::crashLeavesAJournalOnlyOneWindowClaims()
{
    TFakeQueue queue{3, QStringLiteral("до сбоя")};
    auto crashed = Journal(queue);
    crashed->MarkChangedSoon();
    QTRY_COMPARE(crashed->Writes(), 1);
    const QString left = crashed->Path();

    // While its window lives, nobody else takes its journal.
    TFakeQueue other;
    const auto second = Journal(other);
    QVERIFY(second->ClaimLeftovers().empty());

    crashed.reset(); // as a kill would: the lock goes, the files stay
    QVERIFY(QFileInfo::exists(left));
    const auto claimed = second->ClaimLeftovers();
    QCOMPARE(claimed.size(), std::size_t(1));
    QCOMPARE(claimed[0].path, left);
    QVERIFY(!claimed[0].kept);
    QCOMPARE(TitleIn(left), QStringLiteral("до сбоя"));
    // A third window starting now leaves it to the second.
    const auto third = Journal(other);
    QVERIFY(third->ClaimLeftovers().empty());

    // Released unanswered, it is there for the next start.
    second->ReleaseLeftover(left);
    QCOMPARE(third->ClaimLeftovers().size(), std::size_t(1));
    third->RemoveLeftover(left);
    QVERIFY(!QFileInfo::exists(left));
    QVERIFY(Journal(other)->ClaimLeftovers().empty());
}

void TstQueueJournal::closeRemovesOrKeeps()
{
    TFakeQueue queue{2, QStringLiteral("t")};
    auto closed = Journal(queue);
    closed->MarkChangedSoon();
    QTRY_COMPARE(closed->Writes(), 1);
    closed->Close(TQueueJournal::TEnd::Remove);
    QCOMPARE(Files(m_folder), QStringList());
    closed->MarkChangedSoon(); // nothing after the close
    QVERIFY(closed->IsIdle());

    // Kept: the queue as it is at the close, even if never written before.
    auto kept = Journal(queue);
    queue.title = QStringLiteral("kept");
    kept->Close(TQueueJournal::TEnd::Keep);
    const QStringList files = Files(m_folder);
    QCOMPARE(files.size(), 1);
    QVERIFY(files[0].startsWith(QStringLiteral("kept-")));
    const auto next = Journal(queue);
    const auto claimed = next->ClaimLeftovers();
    QCOMPARE(claimed.size(), std::size_t(1));
    QVERIFY(claimed[0].kept);
    QCOMPARE(TitleIn(claimed[0].path), QStringLiteral("kept"));

    // A session that ends under the program leaves its journal as a crash
    // would, with the queue as it was at the end.
    next->RemoveLeftover(claimed[0].path);
    queue.title = QStringLiteral("left");
    Journal(queue)->Close(TQueueJournal::TEnd::Leave);
    const auto left = Journal(queue)->ClaimLeftovers();
    QCOMPARE(left.size(), std::size_t(1));
    QVERIFY(!left[0].kept);
    QCOMPARE(TitleIn(left[0].path), QStringLiteral("left"));
    QFile::remove(left[0].path);
    for (const QString& lock : QDir(m_folder).entryList({QStringLiteral("*.lock")}))
        QFile::remove(m_folder + u'/' + lock);

    // An empty queue is not kept.
    TFakeQueue empty{0, {}};
    Journal(empty)->Close(TQueueJournal::TEnd::Keep);
    QCOMPARE(Files(m_folder), QStringList());
}

void TstQueueJournal::restoredLeftoverGoesAfterTheNextWrite()
{
    TFakeQueue queue{2, QStringLiteral("old")};
    auto crashed = Journal(queue);
    crashed->MarkChangedSoon();
    QTRY_COMPARE(crashed->Writes(), 1);
    const QString left = crashed->Path();
    crashed.reset();

    const auto next = Journal(queue);
    QCOMPARE(next->ClaimLeftovers().size(), std::size_t(1));
    next->RemoveLeftoverAfterNextWrite(left);
    QVERIFY(QFileInfo::exists(left));
    next->MarkChangedSoon();
    QTRY_COMPARE(next->Writes(), 1);
    QVERIFY(!QFileInfo::exists(left));
    QCOMPARE(Files(m_folder).size(), 2); // its own journal and lock
}

void TstQueueJournal::damagedLeftoverIsSetAside()
{
    QVERIFY(TestUtil::WriteFile(m_folder + QStringLiteral("/journal-dead.tessary-queue"),
                                "{\"format\":\"tessary-queue\",\"ver"));
    TFakeQueue queue;
    const auto journal = Journal(queue);
    const auto claimed = journal->ClaimLeftovers();
    QCOMPARE(claimed.size(), std::size_t(1));
    const QString aside = journal->SetLeftoverAside(claimed[0].path);
    QVERIFY(aside.startsWith(m_folder + QStringLiteral("/journal-dead.damaged-")));
    QCOMPARE(TestUtil::ReadFile(aside), QByteArray("{\"format\":\"tessary-queue\",\"ver"));
    QVERIFY(Journal(queue)->ClaimLeftovers().empty());
}

void TstQueueJournal::writeReplacesWhole()
{
    const QString path = m_home->filePath(QStringLiteral("q.tessary-queue"));
    QVERIFY(TestUtil::WriteFile(path, QByteArray(100000, 'o')));
    QString error;
    QVERIFY(TQueueFileWorker::WriteFile(path, "new", &error));
    QCOMPARE(TestUtil::ReadFile(path), QByteArray("new"));
    QCOMPARE(QFileInfo(path).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
             QFileDevice::Permissions());
    // A folder that cannot be written to: the old file stays as it was.
    const QString blocked = m_home->filePath(QStringLiteral("file/q.tessary-queue"));
    QVERIFY(TestUtil::WriteFile(m_home->filePath(QStringLiteral("file")), "x"));
    QVERIFY(!TQueueFileWorker::WriteFile(blocked, "new", &error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TstQueueJournal)
#include "tst_queuejournal.moc"
