#include "heldfile.h"
#include "programsettings.h"
#include "queuefile.h"
#include "queuejournal.h"
#include "settingsstore.h"
#include "testutil.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <vector>

// The real program, its queue opened from a file with every job's tags and
// compression settings edited, SIGKILLed in the middle of a run of two
// jobs at once: the next start finds the journal nobody holds; restored,
// the queue is whole, with every edit; a job the first run finished comes
// back processed; and the rest of the run writes nothing over what the
// first run wrote.
class TstKilledQueue final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void killedRunIsRestored();
};

namespace {

constexpr int kJobs = 300;

// A fake lame that logs its input, takes a moment, and writes run into its
// output.
QString WriteEncoder(const QString& folder, int run, const QString& starts)
{
    const QString path = folder + QStringLiteral("/lame%1").arg(run);
    const QString script = QStringLiteral("#!/bin/sh\n"
                                          "for a; do in=$out; out=$a; done\n"
                                          "printf '%s\\n' \"$in\" >> '%1'\n"
                                          "sleep 0.02\n"
                                          "printf 'run %2' > \"$out\"\n")
                               .arg(starts)
                               .arg(run);
    if (!TestUtil::WriteFile(path, script.toUtf8()))
        return QString();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

int Lines(const QString& file)
{
    return int(TestUtil::ReadFile(file).count('\n'));
}

// The journals in folder that some process holds, read.
std::vector<TQueueFile::TReadResult> HeldJournals(const QString& folder)
{
    std::vector<TQueueFile::TReadResult> held;
    for (const QString& name : QDir(folder).entryList({QStringLiteral("journal-*.tessary-queue")})) {
        const QString path = folder + u'/' + name;
        const QString lock = path.left(path.size() - TQueueFile::Extension().size())
                             + QStringLiteral(".lock");
        if (QFileInfo::exists(lock) && !THeldFile::IsAbandoned(lock))
            held.push_back(TQueueFile::ReadFile(path));
    }
    return held;
}

} // namespace

void TstKilledQueue::killedRunIsRestored()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString out = dir.filePath(QStringLiteral("out"));
    const QString music = dir.filePath(QStringLiteral("Музыка"));
    const QString config = dir.filePath(QStringLiteral("config"));
    const QString state = dir.filePath(QStringLiteral("state"));
    const QString starts = dir.filePath(QStringLiteral("starts.log"));
    QVERIFY(QDir().mkpath(out));
    qputenv("XDG_CONFIG_HOME", config.toUtf8());

    ProgramSettings settings;
    settings.TargetDirectory = out + u'/';
    settings.FileNameFormat = QStringLiteral("%0");
    settings.DeleteAfterProcess = true;
    settings.DeleteFromQueue = false;
    settings.ExistingOutput = TExistingOutput::Skip;
    settings.ParallelJobs = 2;
    settings.PauseBetweenJobs = 0;
    QVERIFY(SaveSettings(settings, music, {}));

    // The queue as the user left it after editing: tags in Cyrillic, up to
    // 255 characters, and compression settings of its own for every job.
    TQueueContent edited;
    for (int k = 0; k < kJobs; ++k) {
        const QString source = QStringLiteral("%1/песня %2.wav").arg(music).arg(k);
        QVERIFY(TestUtil::WriteFile(source, "wav"));
        TQueueItem* j = edited.queue->Add();
        j->RestoreInputFile(source);
        j->SetTitle(QStringLiteral("Песня №%1").arg(k));
        j->SetArtist(k % 10 == 0 ? QString(255, QChar(u'Ё')) : QStringLiteral("Исполнитель"));
        j->SetAlbum(QStringLiteral("Альбом %1").arg(k / 12));
        j->SetYear(QString::number(1950 + k % 70));
        j->SetComment(QStringLiteral("правка \"%1\"").arg(k));
        j->SetGenre(quint8(k % 148));
        j->AutoTrack = false;
        j->SetTrack(quint8(k % 250 + 1));
        j->SetId3v2(true);
        j->SetAlgorithm(TAlgorithm(k % 3));
        j->SetABitrate(k % 2 ? 192 : 256);
        j->SetQuality(TInterval(k % 10));
        j->SetMode(TMode(k % 6));
        edited.lines.push_back({});
    }
    const QString queueFile = dir.filePath(QStringLiteral("правленая") + TQueueFile::Extension());
    QVERIFY(TestUtil::WriteFile(queueFile, TQueueFile::Write(edited)));

    auto start = [&](QProcess& program, int run, const QStringList& args) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), dir.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        env.insert(QStringLiteral("XDG_STATE_HOME"), state);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TESSARY_ENCODER"), WriteEncoder(dir.path(), run, starts));
        env.insert(QStringLiteral("TESSARY_START_RUN"), QString());
        env.insert(QStringLiteral("TESSARY_RECOVERY"), QStringLiteral("restore"));
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(qEnvironmentVariable("TESSARY_BINARY_DIR") + QStringLiteral("/src/ui/tessary"),
                      args);
        return program.waitForStarted();
    };

    QProcess first;
    QVERIFY2(start(first, 1, {queueFile}), qPrintable(first.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(Lines(starts) >= kJobs / 3 || first.state() != QProcess::Running,
                             60000);
    QVERIFY2(first.state() == QProcess::Running, first.readAll().constData());
    QCOMPARE(::kill(pid_t(first.processId()), SIGKILL), 0);
    QVERIFY(first.waitForFinished(10000));
    // What the first run finished: its output is whole and its source gone.
    QHash<QString, QByteArray> written;
    for (const QString& name : QDir(out).entryList(QDir::Files))
        written.insert(name, TestUtil::ReadFile(out + u'/' + name));
    for (const QByteArray& bytes : std::as_const(written))
        QCOMPARE(bytes, QByteArray("run 1"));
    QVERIFY(!written.isEmpty());

    // The next start finds a journal nobody holds, and restores it.
    const QString folder = state + QStringLiteral("/tessary");
    QVERIFY(HeldJournals(folder).empty());
    QCOMPARE(QDir(folder).entryList({QStringLiteral("journal-*.tessary-queue")}).size(), 1);
    QProcess second;
    QVERIFY2(start(second, 2, {}), qPrintable(second.errorString()));
    // The rest of the run: every job processed or skipped, none running.
    auto settled = [&] {
        const auto held = HeldJournals(folder);
        if (held.size() != 1 || !held[0].Ok() || held[0].content.Count() != kJobs)
            return false;
        for (const TQueueLine& line : held[0].content.lines) {
            if (line.running || (!line.processed && line.mark != TLineMark::Skipped))
                return false;
        }
        return true;
    };
    QTRY_VERIFY_WITH_TIMEOUT(settled() || second.state() != QProcess::Running, 120000);
    QVERIFY2(second.state() == QProcess::Running, second.readAll().constData());
    // Only its own journal is left: the crash's went once its jobs were in.
    QCOMPARE(QDir(folder).entryList({QStringLiteral("*.tessary-queue")}).size(), 1);

    // Every job is there, in its order, with every edit.
    const auto held = HeldJournals(folder);
    QCOMPARE(held.size(), std::size_t(1));
    const TQueueContent& restored = held[0].content;
    for (int k = 0; k < kJobs; ++k) {
        const TQueueItem* want = edited.queue->Items(k);
        const TQueueItem* got = restored.queue->Items(k);
        const QString what = QStringLiteral("job %1").arg(k);
        QVERIFY2(got->InputFile() == want->InputFile(), qPrintable(what));
        QVERIFY2(got->Title() == want->Title() && got->Artist() == want->Artist()
                     && got->Album() == want->Album() && got->Year() == want->Year()
                     && got->Comment() == want->Comment() && got->Genre() == want->Genre()
                     && got->Track() == want->Track() && got->AutoTrack == want->AutoTrack
                     && got->Id3v2() == want->Id3v2(),
                 qPrintable(what + QStringLiteral(": tags")));
        QVERIFY2(got->Algorithm() == want->Algorithm() && got->ABitrate() == want->ABitrate()
                     && got->Quality() == want->Quality() && got->Mode() == want->Mode(),
                 qPrintable(what + QStringLiteral(": compression")));
        const QString name = QFileInfo(want->InputFile()).completeBaseName() + QStringLiteral(".mp3");
        const TQueueLine& line = restored.lines[std::size_t(k)];
        // What the first run wrote is as it wrote it; the rest the second wrote.
        if (written.contains(name)) {
            QVERIFY2(TestUtil::ReadFile(out + u'/' + name) == "run 1",
                     qPrintable(what + QStringLiteral(": overwritten")));
            // Finished before the kill: back processed, or, killed between
            // its output's rename and its source's deletion, skipped.
            QVERIFY2(line.processed || line.mark == TLineMark::Skipped, qPrintable(what));
        } else {
            QVERIFY2(TestUtil::ReadFile(out + u'/' + name) == "run 2",
                     qPrintable(what + QStringLiteral(": no output")));
            QVERIFY2(line.processed, qPrintable(what));
        }
        // Every source gone only once its output is there.
        QVERIFY2(!QFileInfo::exists(want->InputFile()) || line.mark == TLineMark::Skipped,
                 qPrintable(what + QStringLiteral(": not run")));
    }
    QCOMPARE(QDir(out).entryList(QDir::Files).size(), kJobs);

    QCOMPARE(::kill(pid_t(second.processId()), SIGTERM), 0);
    QVERIFY(second.waitForFinished(30000));
    QCOMPARE(second.exitCode(), 0);
    qInfo("killed after %d of %d jobs had finished", int(written.size()), kJobs);
}

QTEST_GUILESS_MAIN(TstKilledQueue)
#include "tst_killedqueue.moc"
