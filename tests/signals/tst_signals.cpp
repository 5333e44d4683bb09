#include "programsettings.h"
#include "settingsstore.h"
#include "testutil.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <sys/types.h>

// The program as the desktop or a terminal ends it: `kill`, Ctrl+C and a
// closed terminal send a signal to the real binary. It must close as its
// close box does: settings saved, a running encoder stopped, its partial
// output removed, the source kept, and exit status 0.
class TstSignals final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void closesLikeTheCloseBox_data();
    void closesLikeTheCloseBox();
};

namespace {

bool Gone(qint64 pid)
{
    if (::kill(pid_t(pid), 0) != 0)
        return errno == ESRCH;
    // A zombie waiting for a parent that does not reap is gone as well.
    const QByteArray stat = TestUtil::ReadFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype close = stat.lastIndexOf(')');
    return close >= 0 && stat.mid(close + 2, 1) == "Z";
}

// The signals the process catches, from its status in /proc.
quint64 CaughtSignals(qint64 pid)
{
    const QByteArray status = TestUtil::ReadFile(QStringLiteral("/proc/%1/status").arg(pid));
    for (const QByteArray& line : status.split('\n')) {
        if (line.startsWith("SigCgt:"))
            return line.mid(7).trimmed().toULongLong(nullptr, 16);
    }
    return 0;
}

} // namespace

void TstSignals::closesLikeTheCloseBox_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<bool>("running");
    for (const auto& [name, number] : {std::pair{"SIGTERM", SIGTERM}, std::pair{"SIGINT", SIGINT},
                                       std::pair{"SIGHUP", SIGHUP}}) {
        QTest::addRow("%s idle", name) << number << false;
        QTest::addRow("%s during a run", name) << number << true;
    }
}

void TstSignals::closesLikeTheCloseBox()
{
    QFETCH(int, signalNumber);
    QFETCH(bool, running);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString config = dir.filePath(QStringLiteral("config"));
    const QString music = dir.filePath(QStringLiteral("Music"));
    const QString source = music + QStringLiteral("/song.wav");
    const QString output = dir.filePath(QStringLiteral("out/song.mp3"));
    const QString pidFile = dir.filePath(QStringLiteral("encoder.pid"));
    // lame writes to a temporary file beside the output; its name goes here.
    const QString partialFile = dir.filePath(QStringLiteral("encoder.out"));
    QVERIFY(TestUtil::WriteWav(source, 0.1));

    // Settings that differ from the defaults, so a lost save shows. The
    // comment line goes with the first save the program makes.
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    ProgramSettings settings;
    settings.TargetDirectory = dir.filePath(QStringLiteral("out/"));
    settings.DeleteAfterProcess = true;
    settings.DeleteFromQueue = false;
    settings.Quality = 2;
    settings.FileNameFormat = QStringLiteral("%0");
    QVERIFY(SaveSettings(settings, music, {}));
    const QString settingsFile = config + QStringLiteral("/Morvane/Tessary/1.0.reg");
    QByteArray seeded = TestUtil::ReadFile(settingsFile);
    seeded.insert(seeded.indexOf('\n') + 1, "; written by the test\n");
    QVERIFY(TestUtil::WriteFile(settingsFile, seeded));

    // An encoder that writes part of its output and then works until stopped.
    const QString encoder = dir.filePath(QStringLiteral("slow-lame"));
    QVERIFY(TestUtil::WriteFile(encoder, QStringLiteral(
        "#!/bin/sh\n"
        "for last; do :; done\n"
        "printf partial > \"$last\"\n"
        "printf %s \"$last\" > '%2'\n"
        "echo $$ > '%1.tmp' && mv '%1.tmp' '%1'\n"
        "exec sleep 600\n").arg(pidFile, partialFile).toUtf8()));
    QVERIFY(QFile::setPermissions(encoder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), dir.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TESSARY_ENCODER"), encoder);
    if (running)
        env.insert(QStringLiteral("TESSARY_START_RUN"), source);
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(qEnvironmentVariable("TESSARY_BINARY_DIR") + QStringLiteral("/src/ui/tessary"),
                  QStringList());
    QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));
    const qint64 pid = program.processId();

    qint64 encoderPid = 0;
    if (running) {
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(pidFile) || program.state() == QProcess::NotRunning,
                                 30000);
        QVERIFY2(program.state() == QProcess::Running, program.readAll().constData());
        encoderPid = TestUtil::ReadFile(pidFile).trimmed().toLongLong();
        QVERIFY(encoderPid > 0);
        QVERIFY(QFile::exists(QString::fromUtf8(TestUtil::ReadFile(partialFile))));
    } else {
        // Ready once it catches the three signals; before that one would
        // end it on the spot, as it did before they were handled.
        const quint64 wanted = 1ull << (SIGTERM - 1) | 1ull << (SIGINT - 1) | 1ull << (SIGHUP - 1);
        QTRY_VERIFY_WITH_TIMEOUT((CaughtSignals(pid) & wanted) == wanted
                                     || program.state() == QProcess::NotRunning,
                                 30000);
        QVERIFY2(program.state() == QProcess::Running, program.readAll().constData());
    }

    QCOMPARE(::kill(pid_t(pid), signalNumber), 0);
    QVERIFY2(program.waitForFinished(60000), "the program did not end after the signal");
    const QByteArray log = program.readAll();
    QVERIFY2(program.exitStatus() == QProcess::NormalExit, log.constData());
    QVERIFY2(program.exitCode() == 0, log.constData());

    if (running) {
        QTRY_VERIFY_WITH_TIMEOUT(Gone(encoderPid), 10000);
        QVERIFY2(!QFile::exists(output), "the stopped job wrote its output");
        QVERIFY2(!QFile::exists(QString::fromUtf8(TestUtil::ReadFile(partialFile))),
                 "the stopped job left its partial output behind");
        QVERIFY2(QFile::exists(source), "the source of a stopped job was deleted");
    }

    QVERIFY2(!TestUtil::ReadFile(settingsFile).contains("; written by the test"),
             "the settings were not saved");
    ProgramSettings loaded;
    QString folder;
    bool restored = false;
    LoadSettings(loaded, [&](const QString& f) {
        folder = f;
        restored = true;
        return true;
    });
    QVERIFY(restored);
    QVERIFY(loaded == settings);
    QCOMPARE(QDir::cleanPath(folder), QDir::cleanPath(music));
}

QTEST_GUILESS_MAIN(TstSignals)
#include "tst_signals.moc"
