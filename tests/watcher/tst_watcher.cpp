#include "filenotify.h"
#include "notificationthread.h"
#include "testutil.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Action = std::function<bool(const QString& root)>;
Q_DECLARE_METATYPE(Action)

namespace {

constexpr int kTimeoutMs = 5000;

QByteArray Raw(const QString& path)
{
    return QFile::encodeName(path);
}

// Creates a file whose name need not be valid UTF-8.
bool CreateRaw(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    return fd >= 0 && ::close(fd) == 0;
}

bool WriteInPlace(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadWrite) && f.write("more") == 4;
}

// A temporary folder with some content and a notifier set up the way the file
// list sets one up. Holds a sub-folder with a deeper folder, a link loop and a
// folder whose name is not UTF-8.
class TWatchFixture
{
public:
    TWatchFixture()
    {
        TestUtil::WriteFile(Path("a.wav"));
        TestUtil::WriteFile(Path("sub/x.wav"));
        QDir().mkpath(Path("sub/deeper"));
        QFile::link(QStringLiteral(".."), Path("sub/loop"));
        ::mkdir(RawFolder().constData(), 0755);
    }
    ~TWatchFixture()
    {
        notify.reset();
        // QDir cannot name entries that are not UTF-8, so remove those first.
        const QByteArray raw = RawFolder();
        ::unlink((raw + "/y.wav").constData());
        ::rmdir(raw.constData());
        ::unlink((Raw(Root()) + "/\xfe\xff.wav").constData());
    }

    QString Root() const { return m_dir.path(); }
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    QByteArray RawFolder() const { return Raw(Root()) + "/\xff-dir"; }

    void Start(TNotifyKinds kinds, const QString& folder = QString(), bool inThread = false)
    {
        Start(std::make_unique<TFileNotify>(kinds), folder, inThread);
    }
    void Start(std::unique_ptr<TFileNotify> n, const QString& folder, bool inThread)
    {
        notify = std::move(n);
        notify->SetCallInThread(inThread);
        notify->SetDirectory(folder.isNull() ? Root() + QLatin1Char('/') : folder);
        QObject::connect(
            notify.get(), &TFileNotify::OnChange, notify.get(),
            [this](int kind) {
                QMutexLocker lock(&m_mutex);
                m_kinds << kind;
                m_threads << QThread::currentThread();
            },
            Qt::DirectConnection);
        notify->StartWatching();
        notify->ResumeWatching();
    }

    QList<int> Kinds() const
    {
        QMutexLocker lock(&m_mutex);
        return m_kinds;
    }
    QList<QThread*> Threads() const
    {
        QMutexLocker lock(&m_mutex);
        return m_threads;
    }
    int Count() const { return notify->Thread()->Count(); }

    std::unique_ptr<TFileNotify> notify;

private:
    QTemporaryDir m_dir;
    mutable QMutex m_mutex;
    QList<int> m_kinds;
    QList<QThread*> m_threads;
};

// A notifier whose report handler fails.
class TFailingNotify final : public TFileNotify
{
public:
    using TFileNotify::TFileNotify;
    std::atomic<int> calls{0};

protected:
    void Change(int) override
    {
        ++calls;
        throw std::runtime_error("handler failed");
    }
};

} // namespace

class TstWatcher final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reportsKinds_data();
    void reportsKinds();
    void unwatchableFolderReportsNothing_data();
    void unwatchableFolderReportsNothing();
    void directoryDropsOneTrailingSlash_data();
    void directoryDropsOneTrailingSlash();
    void rebuildsOnFolderAndKindChange();
    void survivesVanishingFolder();
    void reportsOnChosenThread_data();
    void reportsOnChosenThread();
    void failingHandlerEndsWorker_data();
    void failingHandlerEndsWorker();
    void destructionEndsWorkerPromptly_data();
    void destructionEndsWorkerPromptly();
};

// Each row's action ends with a change of the expected kind. Where a row
// checks that some change gives no report, a folder is created last: the
// folder-name watch sits after the file-name watch, and the worker serves the
// lowest watch first, so a wrong kind-0 report would arrive before it.
void TstWatcher::reportsKinds_data()
{
    QTest::addColumn<int>("kinds");
    QTest::addColumn<Action>("action");
    QTest::addColumn<int>("expected");

    const int names = int(nkFileName | nkDirName);
    const int subtree = int(nkFileName | nkSubtree);
    auto mkdir = [](const QString& r) { return QDir(r).mkdir(QStringLiteral("marker")); };

    QTest::newRow("create file") << int(nkFileName) << Action([](const QString& r) {
        return TestUtil::WriteFile(r + QStringLiteral("/n.wav"));
    }) << 0;
    QTest::newRow("delete file") << int(nkFileName) << Action([](const QString& r) {
        return QFile::remove(r + QStringLiteral("/a.wav"));
    }) << 0;
    QTest::newRow("rename file") << int(nkFileName) << Action([](const QString& r) {
        return QFile::rename(r + QStringLiteral("/a.wav"), r + QStringLiteral("/b.wav"));
    }) << 0;
    QTest::newRow("name with newline") << int(nkFileName) << Action([](const QString& r) {
        return TestUtil::WriteFile(r + QStringLiteral("/a\nb.wav"));
    }) << 0;
    QTest::newRow("name not UTF-8")
        << int(nkFileName)
        << Action([](const QString& r) { return CreateRaw(Raw(r) + "/\xfe\xff.wav"); }) << 0;
    QTest::newRow("write in place: no kind 0") << names << Action([=](const QString& r) {
        return WriteInPlace(r + QStringLiteral("/a.wav")) && mkdir(r);
    }) << 1;
    QTest::newRow("new sub-folder: kind 1 only") << names << Action(mkdir) << 1;
    QTest::newRow("rename sub-folder") << names << Action([](const QString& r) {
        return QDir(r).rename(QStringLiteral("sub"), QStringLiteral("sub2"));
    }) << 1;
    QTest::newRow("change in sub-folder: none") << names << Action([=](const QString& r) {
        return TestUtil::WriteFile(r + QStringLiteral("/sub/y.wav")) && mkdir(r);
    }) << 1;
    QTest::newRow("attributes") << int(nkAttributes) << Action([](const QString& r) {
        return QFile::setPermissions(r + QStringLiteral("/a.wav"), QFile::ReadOwner);
    }) << 2;
    QTest::newRow("size") << int(nkSize) << Action([](const QString& r) {
        return WriteInPlace(r + QStringLiteral("/a.wav"));
    }) << 3;
    QTest::newRow("last write") << int(nkLastWrite) << Action([](const QString& r) {
        return WriteInPlace(r + QStringLiteral("/a.wav"));
    }) << 4;
    QTest::newRow("sub-tree: two levels down") << subtree << Action([](const QString& r) {
        return TestUtil::WriteFile(r + QStringLiteral("/sub/deeper/y.wav"));
    }) << 0;
    QTest::newRow("sub-tree: file in a new folder") << subtree << Action([](const QString& r) {
        return TestUtil::WriteFile(r + QStringLiteral("/new/inner/y.wav"));
    }) << 0;
    QTest::newRow("sub-tree: folder not UTF-8")
        << subtree << Action([](const QString& r) { return CreateRaw(Raw(r) + "/\xff-dir/y.wav"); })
        << 0;
}

void TstWatcher::reportsKinds()
{
    QFETCH(int, kinds);
    QFETCH(Action, action);
    QFETCH(int, expected);

    TWatchFixture f;
    f.Start(TNotifyKinds::fromInt(kinds));
    QVERIFY(action(f.Root()));
    QTRY_VERIFY_WITH_TIMEOUT(f.Kinds().contains(expected), kTimeoutMs);
    for (int kind : f.Kinds())
        QCOMPARE(kind, expected);
}

void TstWatcher::unwatchableFolderReportsNothing_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("kinds");

    QTest::newRow("empty name") << QString() << int(nkFileName);
    QTest::newRow("missing") << QStringLiteral("%1/none") << int(nkFileName);
    QTest::newRow("a file") << QStringLiteral("%1/a.wav") << int(nkFileName);
    QTest::newRow("NUL in name") << QStringLiteral("%1") + QChar(0) + QStringLiteral("/sub")
                                 << int(nkFileName);
    QTest::newRow("no kinds") << QStringLiteral("%1") << 0;
    QTest::newRow("only the sub-tree flag") << QStringLiteral("%1") << int(nkSubtree);
}

// Nothing is watched, the worker keeps going, and a later good folder works.
void TstWatcher::unwatchableFolderReportsNothing()
{
    QFETCH(QString, folder);
    QFETCH(int, kinds);

    TWatchFixture f;
    f.Start(TNotifyKinds::fromInt(kinds),
            folder.isEmpty() ? QStringLiteral("") : folder.arg(f.Root()));
    QCOMPARE(f.Count(), 0);
    QVERIFY(f.notify->Active());
    QVERIFY(TestUtil::WriteFile(f.Path(QStringLiteral("n.wav"))));

    f.notify->SetKinds(nkFileName);
    f.notify->SetDirectory(f.Root());
    QCOMPARE(f.Count(), 1);
    QVERIFY(f.Kinds().isEmpty());
    QVERIFY(QFile::remove(f.Path(QStringLiteral("n.wav"))));
    QTRY_COMPARE_WITH_TIMEOUT(f.Kinds(), QList<int>{0}, kTimeoutMs);
}

void TstWatcher::directoryDropsOneTrailingSlash_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("count");

    QTest::newRow("trailing slash") << QStringLiteral("%1/") << QStringLiteral("%1") << 1;
    QTest::newRow("none") << QStringLiteral("%1") << QStringLiteral("%1") << 1;
    QTest::newRow("two slashes") << QStringLiteral("%1//") << QStringLiteral("%1/") << 1;
    QTest::newRow("root") << QStringLiteral("/") << QStringLiteral("/") << 1;
    QTest::newRow("empty") << QStringLiteral("") << QStringLiteral("") << 0;
}

void TstWatcher::directoryDropsOneTrailingSlash()
{
    QFETCH(QString, value);
    QFETCH(QString, stored);
    QFETCH(int, count);

    TWatchFixture f;
    f.Start(nkFileName, QStringLiteral("%1/none").arg(f.Root()));
    f.notify->SetDirectory(value.contains(QLatin1String("%1")) ? value.arg(f.Root()) : value);
    QCOMPARE(f.notify->Directory(),
             stored.contains(QLatin1String("%1")) ? stored.arg(f.Root()) : stored);
    QCOMPARE(f.Count(), count);
}

// After a change of kinds or folder only the new watch reports. The old
// folder's change is a file (watch 0), the new folder's a folder (watch 1).
void TstWatcher::rebuildsOnFolderAndKindChange()
{
    TWatchFixture f;
    const QString other = f.Path(QStringLiteral("sub"));
    f.Start(nkFileName);
    QCOMPARE(f.Count(), 1);

    f.notify->SetKinds(nkFileName | nkDirName);
    QCOMPARE(f.Count(), 2);
    QVERIFY(QDir(f.Root()).mkdir(QStringLiteral("m1")));
    QTRY_COMPARE_WITH_TIMEOUT(f.Kinds(), QList<int>{1}, kTimeoutMs);

    f.notify->SetDirectory(other);
    QVERIFY(TestUtil::WriteFile(f.Path(QStringLiteral("n.wav"))));
    QVERIFY(QDir(other).mkdir(QStringLiteral("m2")));
    QTRY_COMPARE_WITH_TIMEOUT(f.Kinds(), (QList<int>{1, 1}), kTimeoutMs);
}

void TstWatcher::survivesVanishingFolder()
{
    TWatchFixture f;
    f.Start(nkFileName | nkDirName | nkSubtree, f.Path(QStringLiteral("sub")));
    QVERIFY(QDir(f.Path(QStringLiteral("sub"))).removeRecursively());
    QTRY_VERIFY_WITH_TIMEOUT(!f.Kinds().isEmpty(), kTimeoutMs); // its content went
    QVERIFY(f.notify->Active());

    f.notify->SetDirectory(f.Root());
    const qsizetype before = f.Kinds().size();
    QVERIFY(QDir(f.Root()).mkdir(QStringLiteral("sub")));
    QTRY_VERIFY_WITH_TIMEOUT(f.Kinds().size() > before, kTimeoutMs);
}

void TstWatcher::reportsOnChosenThread_data()
{
    QTest::addColumn<bool>("inThread");
    QTest::newRow("owner's thread") << false;
    QTest::newRow("worker") << true;
}

void TstWatcher::reportsOnChosenThread()
{
    QFETCH(bool, inThread);

    TWatchFixture f;
    f.Start(nkFileName, QString(), inThread);
    QVERIFY(TestUtil::WriteFile(f.Path(QStringLiteral("n.wav"))));
    QTRY_VERIFY_WITH_TIMEOUT(!f.Threads().isEmpty(), kTimeoutMs);
    QThread* expected = inThread ? f.notify->Thread() : QThread::currentThread();
    QCOMPARE(f.Threads().first(), expected);
}

void TstWatcher::failingHandlerEndsWorker_data()
{
    QTest::addColumn<bool>("inThread");
    QTest::newRow("owner's thread") << false;
    QTest::newRow("worker") << true;
}

// A handler that throws silences the notifier; later changes reach nobody.
void TstWatcher::failingHandlerEndsWorker()
{
    QFETCH(bool, inThread);

    TWatchFixture f;
    auto failing = std::make_unique<TFailingNotify>(nkFileName);
    TFailingNotify* n = failing.get();
    f.Start(std::move(failing), QString(), inThread);
    QVERIFY(TestUtil::WriteFile(f.Path(QStringLiteral("n.wav"))));
    QTRY_VERIFY_WITH_TIMEOUT(!f.notify->Active(), kTimeoutMs);
    QCOMPARE(n->calls.load(), 1);
}

void TstWatcher::destructionEndsWorkerPromptly_data()
{
    QTest::addColumn<QString>("when");
    QTest::newRow("waiting") << QStringLiteral("waiting");
    QTest::newRow("no watch") << QStringLiteral("no watch");
    QTest::newRow("change just made") << QStringLiteral("change");
    QTest::newRow("inside its own report") << QStringLiteral("report");
}

// The last row is the hard one: the worker waits for the report to finish
// while the report's handler waits for the worker to end.
void TstWatcher::destructionEndsWorkerPromptly()
{
    QFETCH(QString, when);

    TWatchFixture f;
    f.Start(nkFileName, when == QLatin1String("no watch") ? QStringLiteral("") : QString());
    QElapsedTimer timer;
    qint64 elapsed = -1;
    if (when == QLatin1String("report")) {
        QObject::connect(f.notify.get(), &TFileNotify::OnChange, f.notify.get(), [&] {
            timer.start();
            f.notify.reset();
            elapsed = timer.elapsed();
        });
        QVERIFY(TestUtil::WriteFile(f.Path(QStringLiteral("n.wav"))));
        QTRY_VERIFY_WITH_TIMEOUT(elapsed >= 0, kTimeoutMs);
    } else {
        if (when == QLatin1String("change"))
            QVERIFY(TestUtil::WriteFile(f.Path(QStringLiteral("n.wav"))));
        timer.start();
        f.notify.reset();
        elapsed = timer.elapsed();
    }
    QVERIFY2(elapsed < 1000, qPrintable(QStringLiteral("%1 ms").arg(elapsed)));
}

QTEST_GUILESS_MAIN(TstWatcher)
#include "tst_watcher.moc"
