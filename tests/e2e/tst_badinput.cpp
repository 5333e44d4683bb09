// What a user can feed the program that is not what it expects: a settings
// path that is no file, sources that change after they were queued, a full
// file system, unusual names. Each ends with a clear message, never a crash,
// a hang or a lost file.

#include "batchrun.h"
#include "e2etest.h"
#include "mainwindow.h"
#include "programsettings.h"
#include "queuelist.h"
#include "settingsstore.h"

#include <QFileInfo>
#include <QProcess>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsRoot()
{
    return ::geteuid() == 0;
}

} // namespace

class TstBadInput final : public QObject
{
    Q_OBJECT
public:
    explicit TstBadInput(const E2E::TPrivateHome& home) : m_home(home) {}

private Q_SLOTS:
    void settingsPath_data();
    void settingsPath();
    void source_data();
    void source();

private:
    const E2E::TPrivateHome& m_home;
};

void TstBadInput::settingsPath_data()
{
    QTest::addColumn<QString>("kind");
    for (const char* kind : {"folder", "fifo", "symlink loop", "unreadable"})
        QTest::newRow(kind) << QString::fromLatin1(kind);
}

void TstBadInput::settingsPath()
{
    QFETCH(QString, kind);
    const QString file = m_home.SettingsFile();
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile::remove(file);
    QDir(file).removeRecursively();
    if (kind == u"folder") {
        QVERIFY(QDir().mkpath(file));
    } else if (kind == u"fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    } else if (kind == u"symlink loop") {
        QVERIFY(QFile::link(file, file)); // points at itself
    } else {
        if (IsRoot())
            QSKIP("running as root: a file without read permission is still readable");
        QVERIFY(TestUtil::WriteFile(file, "REGEDIT4\n"));
        QVERIFY(QFile::setPermissions(file, {}));
    }

    // Loading gives the defaults (and does not block on the FIFO).
    ProgramSettings loaded;
    loaded.ABitrate = 320;
    LoadSettings(loaded, nullptr);
    QVERIFY(loaded == ProgramSettings());

    // Saving either works or says why; it never hangs or crashes.
    QStringList errors;
    const bool saved = SaveSettings(ProgramSettings(), QString(),
                                    [&errors](const QString& m) { errors << m; });
    QCOMPARE(saved, errors.isEmpty());
    if (!saved)
        QVERIFY(!errors.first().isEmpty());

    QFile::remove(file);
    QDir(file).removeRecursively();
}

void TstBadInput::source_data()
{
    QTest::addColumn<QString>("change");  // what happens to the source once queued
    QTest::addColumn<bool>("done");       // the job succeeds
    QTest::newRow("removed") << "removed" << false;
    QTest::newRow("emptied") << "emptied" << false;
    QTest::newRow("replaced by a folder") << "folder" << false;
    QTest::newRow("made unreadable") << "unreadable" << false;
    QTest::newRow("target on a full file system") << "full" << false;
    QTest::newRow("name with a line break") << "newline" << true;
    QTest::newRow("name of 255 bytes") << "long" << true;
}

void TstBadInput::source()
{
    QFETCH(QString, change);
    QFETCH(bool, done);
    if (change == u"unreadable" && IsRoot())
        QSKIP("running as root: a file without read permission is still readable");
    QTemporaryDir work;
    QVERIFY(work.isValid());
    QString target = work.filePath(QStringLiteral("out/"));
    if (change == u"full") {
        QDir().mkpath(target);
        // A small file system of its own that the encoding fills up.
        if (::mount("tmpfs", QFile::encodeName(target).constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("this machine does not let the test mount a small tmpfs");
    }
    const auto unmount = qScopeGuard([&] {
        if (change == u"full")
            ::umount(QFile::encodeName(target).constData());
    });

    QString name = QStringLiteral("song.wav");
    if (change == u"newline")
        name = QStringLiteral("two\nlines.wav");
    else if (change == u"long")
        name = QString(251, u'ж').left(125) + QStringLiteral("x.wav"); // 250 + 5 bytes
    const QString source = work.filePath(QStringLiteral("in/") + name);
    QVERIFY(TestUtil::WriteWav(source, change == u"full" ? 6.0 : 0.3));
    QCOMPARE(QFileInfo(source).fileName().toUtf8().size() <= 255, true);

    TMainF window;
    window.Settings().TargetDirectory = target;
    window.Settings().DeleteAfterProcess = true;
    window.Settings().DeleteFromQueue = false;
    window.BatchRun()->SetPauseStep(std::chrono::milliseconds(0));
    window.show();
    window.AddToQueue(source);
    QCOMPARE(window.Queue().Count(), 1);

    if (change == u"removed") {
        QVERIFY(QFile::remove(source));
    } else if (change == u"emptied") {
        QVERIFY(TestUtil::WriteFile(source, QByteArray()));
    } else if (change == u"folder") {
        QVERIFY(QFile::remove(source));
        QVERIFY(QDir().mkpath(source));
    } else if (change == u"unreadable") {
        QVERIFY(QFile::setPermissions(source, {}));
    }
    const QByteArray before = TestUtil::ReadFile(source);

    E2E::Find<QAbstractButton>(&window, QStringLiteral("GoBtn"))->click();
    QTRY_VERIFY_WITH_TIMEOUT(!window.BatchRun()->IsRunning(), 60000);

    auto* queue = E2E::Find<TQueueList>(&window, QStringLiteral("QueueLst"));
    const QString output = window.Queue().Items(0)->OutputFile();
    const QStringList left = QDir(target).entryList(QDir::Files | QDir::Hidden);
    if (done) {
        QCOMPARE(queue->item(0)->checkState(), Qt::Checked);
        QVERIFY2(QFileInfo(output).size() > 0, qPrintable(output));
        QVERIFY(!QFileInfo::exists(source)); // deleted only now that its job is done
    } else {
        QCOMPARE(queue->item(0)->checkState(), Qt::Unchecked);
        // The line says what went wrong; nothing is left at the output.
        QVERIFY2(!queue->item(0)->toolTip().isEmpty(), "the failed job shows no reason");
        if (change != u"full")
            QCOMPARE(queue->item(0)->toolTip(), TBatchRun::SourceProblem(source));
        QVERIFY2(left.isEmpty(), qPrintable(left.join(u' ')));
        // A source that still exists is kept as it was.
        if (QFileInfo(source).isFile())
            QCOMPARE(TestUtil::ReadFile(source), before);
        if (change == u"folder")
            QVERIFY(QFileInfo(source).isDir());
    }
}

int main(int argc, char* argv[])
{
    E2E::TPrivateHome home; // before the application: Qt reads the paths once
    QApplication app(argc, argv);
    TstBadInput test(home);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_badinput.moc"
