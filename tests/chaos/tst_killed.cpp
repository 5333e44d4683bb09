#include "chaosencoder.h"
#include "programsettings.h"
#include "settingsstore.h"
#include "testutil.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>

using Chaos::Behaviour;

// The real program killed with SIGKILL in the middle of a run over the
// misbehaving encoder: what is on disk afterwards must still be safe (a
// source gone only where its output is whole, an existing file changed
// only when it was to be overwritten, the settings file whole), and the
// temporaries the kill left behind go with the next run into that folder.
class TstKilled final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void killedMidRun_data();
    void killedMidRun();
};

namespace {

constexpr int kJobs = 40;

QStringList Temporaries(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral(".tessary-*")}, QDir::Files | QDir::Hidden);
}

int Lines(const QString& file)
{
    return int(TestUtil::ReadFile(file).count('\n'));
}

} // namespace

void TstKilled::killedMidRun_data()
{
    QTest::addColumn<int>("slots");
    QTest::addColumn<quint32>("seed");
    const quint32 base = Chaos::BaseSeed();
    QTest::addRow("1 slot") << 1 << base * 16 + 8;
    QTest::addRow("4 slots") << 4 << base * 16 + 9;
}

void TstKilled::killedMidRun()
{
    QFETCH(int, slots);
    QFETCH(quint32, seed);
    const Chaos::TSeedReport report{seed};
    QRandomGenerator rng(seed);

    const Chaos::TWorkFolder work;
    QVERIFY(work.IsValid());
    const QTemporaryDir& dir = work.dir;
    const QString& out = work.out;
    const QString& pidsFile = work.pidsFile;
    const QString& startsFile = work.startsFile;
    const QString& planFile = work.planFile;
    const QString& encoder = work.encoder;
    const QString config = dir.filePath(QStringLiteral("config"));
    const QString music = dir.filePath(QStringLiteral("Music"));
    QVERIFY(QDir().mkpath(out));

    // "Спрашивать" is left out: its box would wait for an answer nobody gives.
    const auto choice = TExistingOutput(1 + rng.bounded(3));
    ProgramSettings settings;
    settings.TargetDirectory = out + u'/';
    settings.FileNameFormat = QStringLiteral("%0");
    settings.DeleteAfterProcess = true;
    settings.DeleteFromQueue = false;
    settings.ExistingOutput = choice;
    settings.ParallelJobs = quint32(slots);
    settings.PauseBetweenJobs = 0;
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    QVERIFY(SaveSettings(settings, music, {}));
    const QString settingsFile = config + QStringLiteral("/Morvane/Tessary/1.0.reg");
    const QByteArray savedSettings = TestUtil::ReadFile(settingsFile);
    QVERIFY(!savedSettings.isEmpty());

    auto sourceOf = [&](int k) { return QStringLiteral("%1/job%2.wav").arg(music).arg(k); };
    auto finalOf = [&](int k) { return QStringLiteral("%1/job%2.mp3").arg(out).arg(k); };
    auto secondOf = [&](int k) { return QStringLiteral("%1/job%2 (2).mp3").arg(out).arg(k); };
    QStringList sources;
    QList<std::pair<QString, Behaviour>> plan;
    QHash<int, QByteArray> existing;
    // How many encoders start before every slot is taken by a hung one.
    int reachable = 0, hung = 0;
    for (int k = 0; k < kJobs; ++k) {
        const Behaviour b = Chaos::Draw(rng);
        QVERIFY(TestUtil::WriteFile(sourceOf(k), "wav"));
        sources << sourceOf(k);
        plan.append({sourceOf(k), b});
        const bool exists = rng.bounded(5) == 0;
        if (exists) {
            existing.insert(k, "old output " + QByteArray::number(k));
            QVERIFY(TestUtil::WriteFile(finalOf(k), existing.value(k)));
        }
        if (hung < slots && !(exists && choice == TExistingOutput::Skip)) {
            ++reachable;
            hung += b == Behaviour::Hang || b == Behaviour::Stubborn;
        }
    }
    QVERIFY(Chaos::WritePlan(planFile, plan));
    const int killAfter = 1 + int(rng.bounded(quint32(qMax(1, reachable))));

    auto start = [&](QProcess& program, const QStringList& queued) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), dir.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TESSARY_ENCODER"), encoder);
        env.insert(QStringLiteral("TESSARY_START_RUN"), queued.join(u'\n'));
        // The next start would ask about the queue the kill left; this test
        // queues the sources left afresh instead.
        env.insert(QStringLiteral("TESSARY_RECOVERY"), QStringLiteral("delete"));
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(qEnvironmentVariable("TESSARY_BINARY_DIR") + QStringLiteral("/src/ui/tessary"),
                      QStringList());
        return program.waitForStarted();
    };

    QProcess program;
    QVERIFY2(start(program, sources), qPrintable(program.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(Lines(startsFile) >= killAfter || program.state() != QProcess::Running,
                             30000);
    QVERIFY2(program.state() == QProcess::Running, program.readAll().constData());
    QCOMPARE(::kill(pid_t(program.processId()), SIGKILL), 0);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::CrashExit);
    // Its encoders are orphans now; a hung one would run for ever.
    for (const qint64 pid : Chaos::Pids(pidsFile)) {
        if (!Chaos::Gone(pid))
            ::kill(pid_t(pid), SIGKILL);
        QTRY_VERIFY_WITH_TIMEOUT(Chaos::Gone(pid), 5000);
    }

    // On disk: a source is gone only where its output is whole, and a file
    // that was there changed only where it was to be overwritten.
    auto checkDisk = [&](const QString& when) {
        for (int k = 0; k < kJobs; ++k) {
            const QString what = QStringLiteral("job %1 %2").arg(k).arg(when);
            const bool hadOld = existing.contains(k);
            if (!QFileInfo::exists(sourceOf(k))) {
                const QString output =
                    hadOld && choice == TExistingOutput::KeepBoth ? secondOf(k) : finalOf(k);
                QVERIFY2(TestUtil::ReadFile(output) == "mp3",
                         qPrintable(what + QStringLiteral(": source gone without its output")));
                QVERIFY2(!(hadOld && choice == TExistingOutput::Skip), qPrintable(what));
            }
            if (hadOld) {
                const QByteArray now = TestUtil::ReadFile(finalOf(k));
                QVERIFY2(now == existing.value(k) || (choice == TExistingOutput::Overwrite && now == "mp3"),
                         qPrintable(what + QStringLiteral(": an existing file changed")));
            }
        }
    };
    checkDisk(QStringLiteral("after the kill"));
    // Never saved during a run: the settings file is the one before it.
    const QByteArray afterKill = TestUtil::ReadFile(settingsFile);
    if (afterKill != savedSettings) {
        ProgramSettings loaded;
        LoadSettings(loaded, [](const QString&) { return true; });
        QVERIFY2(loaded == settings, "the settings file is not whole after the kill");
    }
    const int stale = int(Temporaries(out).size());

    // The next run into that folder takes the stale temporaries away. All its
    // jobs succeed; keeping both lets every one of them finish.
    QStringList left;
    plan.clear();
    for (int k = 0; k < kJobs; ++k) {
        if (QFileInfo::exists(sourceOf(k)))
            left << sourceOf(k);
    }
    if (left.isEmpty()) {
        QVERIFY(TestUtil::WriteFile(sourceOf(kJobs), "wav"));
        left << sourceOf(kJobs);
    }
    for (const QString& source : std::as_const(left))
        plan.append({source, Behaviour::Ok});
    QVERIFY(Chaos::WritePlan(planFile, plan));
    ProgramSettings next = settings;
    next.ExistingOutput = TExistingOutput::KeepBoth;
    QVERIFY(SaveSettings(next, music, {}));
    QFile::remove(pidsFile);

    QProcess again;
    QVERIFY2(start(again, left), qPrintable(again.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(std::none_of(left.cbegin(), left.cend(),
                                          [](const QString& s) { return QFileInfo::exists(s); })
                                 || again.state() != QProcess::Running,
                             30000);
    QVERIFY2(again.state() == QProcess::Running, again.readAll().constData());
    const QStringList temps = Temporaries(out);
    QVERIFY2(temps.isEmpty(), qPrintable(QStringLiteral("%1 of %2 stale temporaries left: ")
                                             .arg(temps.size())
                                             .arg(stale)
                                         + temps.join(u' ')));

    QCOMPARE(::kill(pid_t(again.processId()), SIGTERM), 0);
    QVERIFY(again.waitForFinished(30000));
    QCOMPARE(again.exitCode(), 0);
    ProgramSettings loaded;
    LoadSettings(loaded, [](const QString&) { return true; });
    QVERIFY2(loaded == next, "the settings file is not whole after the next run");
    qInfo("killed after %d starts, %d temporaries left by the kill and removed", killAfter, stale);
}

QTEST_GUILESS_MAIN(TstKilled)
#include "tst_killed.moc"
