// tessary --batch and --plan as scripts use them: real lame with no display,
// the exit statuses, both interrupts, the JSON events, plans with awkward
// paths and hostile lines, and a plan cut into pieces by GNU parallel.

#include "batchfixture.h"
#include "queuefile.h"

#include <QFileInfo>
#include <QSet>

using namespace BatchTest;

namespace {

// Sleeps, then encodes for real, so the output passes every check a real
// one does.
QString WriteSlowEncoder(const Home& home, int seconds)
{
    const QString path = home.Path(QStringLiteral("slow-lame"));
    TestUtil::WriteFile(path, QStringLiteral("#!/bin/sh\nsleep %1\nexec lame \"$@\"\n")
                                  .arg(seconds)
                                  .toUtf8());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QStringList Names(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class TstBatchMode final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void encodesWithoutDisplay();
    void exitStatus_data();
    void exitStatus();
    void speaksDesktopLanguage();
    void interrupted_data();
    void interrupted();
    void planRunsItsPairs();
    void queueFileRunsItsJobs();
    void hostilePlanRefused_data();
    void hostilePlanRefused();
    void piecesAgreeWithOneRun();
};

void TstBatchMode::encodesWithoutDisplay()
{
    if (!HaveLame())
        QSKIP("lame is not installed");
    Home home;
    home.SaveSettings();
    // Two sources of one name: the second is numbered, as in the window.
    QVERIFY(TestUtil::WriteWav(home.Path(QStringLiteral("in/a/song.wav"))));
    QVERIFY(TestUtil::WriteWav(home.Path(QStringLiteral("in/b/song.wav"))));
    QVERIFY(TestUtil::WriteWav(home.Path(QStringLiteral("in/b/other.wav"))));

    const Result r = home.Run({QStringLiteral("--batch"), QStringLiteral("--json"),
                               QStringLiteral("--jobs"), QStringLiteral("2"),
                               home.Path(QStringLiteral("in"))});
    QVERIFY2(r.status == 0, r.err.constData());
    QSet<QString> started, done;
    QJsonObject summary;
    for (const QJsonObject& e : r.Events()) {
        const QString event = e.value(u"event").toString();
        if (event == u"started")
            started << e.value(u"output").toString();
        else if (event == u"done")
            done << e.value(u"output").toString();
        else if (event == u"summary")
            summary = e;
        else
            QVERIFY2(event == u"progress", qPrintable(event));
    }
    const QString out = home.Path(QStringLiteral("out/"));
    const QSet<QString> expected{out + QStringLiteral("song.mp3"), out + QStringLiteral("song (2).mp3"),
                                 out + QStringLiteral("other.mp3")};
    QCOMPARE(done, expected);
    QCOMPARE(started, expected);
    QCOMPARE(summary.value(u"done").toInt(), 3);
    QCOMPARE(summary.value(u"failed").toInt(), 0);
    QCOMPARE(summary.value(u"status").toInt(), 0);
    for (const QString& path : expected) {
        const QByteArray mp3 = TestUtil::ReadFile(path);
        QVERIFY2(mp3.size() > 1000, qPrintable(path));
    }
    QCOMPARE(Names(out).size(), 3); // no temporary left
}

void TstBatchMode::exitStatus_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("outputExists");
    QTest::addColumn<QString>("encoder");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("stderrHas");

    const QString in = QStringLiteral("in/a.wav");
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--batch"), QStringLiteral("--frob"), in}
                                    << false << QString() << 2 << QStringLiteral("--frob");
    QTest::newRow("bad --existing") << QStringList{QStringLiteral("--batch"), QStringLiteral("--existing"), QStringLiteral("maybe"), in}
                                    << false << QString() << 2 << QStringLiteral("--existing");
    QTest::newRow("no sources") << QStringList{QStringLiteral("--batch")} << false << QString() << 2
                                << QString();
    QTest::newRow("missing source") << QStringList{QStringLiteral("--batch"), QStringLiteral("in/none.wav")}
                                    << false << QString() << 2 << QStringLiteral("none.wav");
    QTest::newRow("missing settings file")
        << QStringList{QStringLiteral("--batch"), QStringLiteral("--settings"), QStringLiteral("nothing.reg"), in}
        << false << QString() << 2 << QStringLiteral("nothing.reg");
    // "Спрашивать" cannot ask: the existing output is named, nothing runs.
    QTest::newRow("exists, nobody to ask") << QStringList{QStringLiteral("--batch"), in} << true
                                           << QString() << 2 << QStringLiteral("out/a.mp3");
    QTest::newRow("exists, skipped") << QStringList{QStringLiteral("--batch"), QStringLiteral("--existing"), QStringLiteral("skip"), in}
                                     << true << QString() << 0 << QString();
    QTest::newRow("encoder fails") << QStringList{QStringLiteral("--batch"), in} << false
                                   << QStringLiteral("/bin/false") << 1 << QString();
    QTest::newRow("encoder missing") << QStringList{QStringLiteral("--batch"), in} << false
                                     << QStringLiteral("/nonexistent/lame") << 1
                                     << QStringLiteral("ERROR_PATH_NOT_FOUND");
}

void TstBatchMode::exitStatus()
{
    QFETCH(QStringList, args);
    QFETCH(bool, outputExists);
    QFETCH(QString, encoder);
    QFETCH(int, status);
    QFETCH(QString, stderrHas);
    Home home;
    home.SaveSettings();
    QVERIFY(TestUtil::WriteWav(home.Path(QStringLiteral("in/a.wav"))));
    if (outputExists)
        QVERIFY(TestUtil::WriteFile(home.Path(QStringLiteral("out/a.mp3")), "old"));
    for (QString& a : args) {
        if (a.startsWith(u"in/") || a.endsWith(u".reg"))
            a = home.Path(a);
    }
    const Result r = home.Run(args, QString(), encoder);
    QVERIFY2(r.status == status, r.err.constData());
    if (!stderrHas.isEmpty())
        QVERIFY2(QString::fromUtf8(r.err + r.out).contains(stderrHas), r.err.constData());
    if (outputExists)
        QCOMPARE(TestUtil::ReadFile(home.Path(QStringLiteral("out/a.mp3"))), QByteArray("old"));
    QVERIFY(QFileInfo::exists(home.Path(QStringLiteral("in/a.wav"))));
}

// The messages and the summary follow the desktop's language, as the window.
void TstBatchMode::speaksDesktopLanguage()
{
    Home home;
    home.language = QStringLiteral("en");
    home.SaveSettings();
    QVERIFY(TestUtil::WriteWav(home.Path(QStringLiteral("in/a.wav"))));
    const Result bad = home.Run({QStringLiteral("--batch"), QStringLiteral("--existing"),
                                 QStringLiteral("maybe"), home.Path(QStringLiteral("in"))});
    QCOMPARE(bad.status, 2);
    QVERIFY2(bad.err.contains("expected overwrite, skip or keep-both"), bad.err.constData());
    const Result failed = home.Run({QStringLiteral("--batch"), home.Path(QStringLiteral("in"))},
                                   QString(), QStringLiteral("/bin/false"));
    QCOMPARE(failed.status, 1);
    const QString text = QString::fromUtf8(failed.out);
    QVERIFY2(text.contains(QStringLiteral("Summary: 0 of 1 done, errors: 1")), failed.out.constData());
    for (const QChar c : text)
        QVERIFY2(c.script() != QChar::Script_Cyrillic, failed.out.constData());
}

void TstBatchMode::interrupted_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<int>("times");
    QTest::newRow("SIGINT once") << int(SIGINT) << 1;
    QTest::newRow("SIGTERM once") << int(SIGTERM) << 1;
    QTest::newRow("SIGINT twice") << int(SIGINT) << 2;
    QTest::newRow("SIGTERM twice") << int(SIGTERM) << 2;
}

// The signal goes to the whole process group, as Ctrl+C does: the running
// encoder must not get it, only Tessary, which decides.
void TstBatchMode::interrupted()
{
    QFETCH(int, signalNumber);
    QFETCH(int, times);
    if (!HaveLame())
        QSKIP("lame is not installed");
    Home home;
    home.SaveSettings();
    for (const char* name : {"in/1.wav", "in/2.wav", "in/3.wav"})
        QVERIFY(TestUtil::WriteWav(home.Path(QString::fromLatin1(name))));
    QProcess p;
    home.Prepare(p, {QStringLiteral("--batch"), QStringLiteral("--json"), QStringLiteral("--jobs"),
                     QStringLiteral("1"), QStringLiteral("--delete-source"),
                     home.Path(QStringLiteral("in"))},
                 WriteSlowEncoder(home, 3));
    QByteArray out;
    connect(&p, &QProcess::readyReadStandardOutput, this, [&] { out += p.readAllStandardOutput(); });
    p.start();
    QVERIFY(p.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(out.contains("\"started\""), 30000);
    for (int i = 0; i < times; ++i) {
        QCOMPARE(::kill(-pid_t(p.processId()), signalNumber), 0);
        if (i + 1 < times)
            QTest::qWait(200); // two signals, not one merged into the other
    }
    QTRY_VERIFY_WITH_TIMEOUT(p.state() == QProcess::NotRunning, 60000);
    out += p.readAllStandardOutput();
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 130);

    const QStringList outputs = Names(home.Path(QStringLiteral("out")));
    if (times == 1) {
        // The running job finished and its source went; no other started.
        QCOMPARE(outputs, QStringList{QStringLiteral("1.mp3")});
        QVERIFY(!QFileInfo::exists(home.Path(QStringLiteral("in/1.wav"))));
        QVERIFY(out.contains("\"event\":\"done\""));
    } else {
        // Stopped: nothing of the job is left, and its source stays.
        QCOMPARE(outputs, QStringList());
        QVERIFY(QFileInfo::exists(home.Path(QStringLiteral("in/1.wav"))));
        QVERIFY(!out.contains("\"event\":\"done\""));
    }
    QVERIFY(QFileInfo::exists(home.Path(QStringLiteral("in/2.wav"))));
    QVERIFY(QFileInfo::exists(home.Path(QStringLiteral("in/3.wav"))));
    QVERIFY(out.contains("\"interrupted\":true"));
}

// Paths with a tab, a newline and a backslash go through the plan and come
// out of the run at the names the plan gave.
void TstBatchMode::planRunsItsPairs()
{
    if (!HaveLame())
        QSKIP("lame is not installed");
    Home home;
    home.SaveSettings();
    const QString odd = QStringLiteral("in/tab\there\\back\nline.wav");
    QVERIFY(TestUtil::WriteWav(home.Path(odd)));
    QVERIFY(TestUtil::WriteWav(home.Path(QStringLiteral("in/plain.wav"))));

    const Result plan = home.Run({QStringLiteral("--plan"), home.Path(QStringLiteral("in"))});
    QVERIFY2(plan.status == 0, plan.err.constData());
    const QList<QByteArray> lines = plan.out.trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    const QByteArray out = home.Path(QStringLiteral("out/")).toUtf8();
    QCOMPARE(lines[1], home.Path(QStringLiteral("in/tab\\there\\\\back\\nline.wav")).toUtf8() + '\t'
                           + out + "tab\\there\\\\back\\nline.mp3\tnew\t1");
    QVERIFY(lines[0].startsWith(home.Path(QStringLiteral("in/plain.wav")).toUtf8() + '\t'));

    // Run from standard input, under another target name: the plan's
    // outputs are what gets written, nothing else.
    const QString planFile = home.Path(QStringLiteral("plan.tsv"));
    QVERIFY(TestUtil::WriteFile(planFile, plan.out));
    const Result run = home.Run({QStringLiteral("--batch"), QStringLiteral("--plan"), QStringLiteral("-")}, planFile);
    QVERIFY2(run.status == 0, run.err.constData());
    QCOMPARE(Names(home.Path(QStringLiteral("out"))),
             (QStringList{QStringLiteral("plain.mp3"), QStringLiteral("tab\there\\back\nline.mp3")}));
}

// A queue saved by the window: its unprocessed jobs run with their own
// tags; a processed one is left alone; a file that is no queue is refused.
void TstBatchMode::queueFileRunsItsJobs()
{
    if (!HaveLame())
        QSKIP("lame is not installed");
    Home home;
    home.settings.FileNameFormat = QStringLiteral("%1");
    home.SaveSettings();
    TQueueContent c;
    for (const char* name : {"a", "b"}) {
        const QString source = home.Path(QStringLiteral("in/%1.wav").arg(QLatin1String(name)));
        QVERIFY(TestUtil::WriteWav(source));
        TQueueItem* job = c.queue->Add();
        job->RestoreInputFile(source);
        job->SetTitle(QStringLiteral("Песня %1").arg(QLatin1String(name)));
    }
    c.lines.resize(2);
    c.lines[0].processed = true;
    const QString queueFile = home.Path(QStringLiteral("saved.tessary-queue"));
    QVERIFY(TestUtil::WriteFile(queueFile, TQueueFile::Write(c)));

    const Result run = home.Run({QStringLiteral("--batch"), QStringLiteral("--queue"), queueFile});
    QVERIFY2(run.status == 0, run.err.constData());
    QCOMPARE(Names(home.Path(QStringLiteral("out"))), QStringList{QStringLiteral("Песня b.mp3")});

    QVERIFY(TestUtil::WriteFile(queueFile, "not a queue"));
    const Result bad = home.Run({QStringLiteral("--batch"), QStringLiteral("--queue"), queueFile});
    QCOMPARE(bad.status, 2);
    QVERIFY(!bad.err.isEmpty());
}

void TstBatchMode::hostilePlanRefused_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("outside the target") << QByteArray("SRC\t/tmp/elsewhere.mp3\tnew\t1\n");
    QTest::newRow("dot-dot out of it") << QByteArray("SRC\tOUT../x.mp3\tnew\t1\n");
    QTest::newRow("not the mode's extension") << QByteArray("SRC\tOUTx.sh\tnew\t1\n");
    QTest::newRow("relative source") << QByteArray("in/a.wav\tOUTx.mp3\tnew\t1\n");
    QTest::newRow("unknown escape") << QByteArray("SRC\tOUT\\x.mp3\tnew\t1\n");
    QTest::newRow("unknown mark") << QByteArray("SRC\tOUTx.mp3\tmaybe\t1\n");
    QTest::newRow("track out of range") << QByteArray("SRC\tOUTx.mp3\tnew\t256\n");
    QTest::newRow("three fields") << QByteArray("SRC\tOUTx.mp3\tnew\n");
}

// A plan is untrusted input: a bad line refuses the whole piece before any
// job runs, and nothing lands outside the target folder.
void TstBatchMode::hostilePlanRefused()
{
    QFETCH(QByteArray, line);
    Home home;
    home.SaveSettings();
    QVERIFY(TestUtil::WriteWav(home.Path(QStringLiteral("in/a.wav"))));
    QByteArray text = home.Path(QStringLiteral("in/a.wav")).toUtf8() + '\t'
                      + home.Path(QStringLiteral("out/good.mp3")).toUtf8() + "\tnew\t1\n" + line;
    text.replace("SRC", home.Path(QStringLiteral("in/a.wav")).toUtf8());
    text.replace("OUT", home.Path(QStringLiteral("out/")).toUtf8());
    const QString planFile = home.Path(QStringLiteral("plan.tsv"));
    QVERIFY(TestUtil::WriteFile(planFile, text));
    const Result r = home.Run({QStringLiteral("--batch"), QStringLiteral("--plan"), planFile},
                              QString(), QStringLiteral("/bin/false"));
    QCOMPARE(r.status, 2);
    QVERIFY2(r.err.contains("2"), r.err.constData()); // the line or job it names
    QVERIFY(!QFileInfo::exists(home.Path(QStringLiteral("out"))));
    QVERIFY(!QFileInfo::exists(QStringLiteral("/tmp/elsewhere.mp3")));
}

// A plan of 200 jobs made once and run in pieces of 50 by two processes at a
// time gives exactly what one run gives: the same names (clash numbers and
// track numbers decided over the whole plan), the same bytes, no temporary.
void TstBatchMode::piecesAgreeWithOneRun()
{
    if (!HaveLame())
        QSKIP("lame is not installed");
    const QString parallel = QStandardPaths::findExecutable(QStringLiteral("parallel"));
    if (parallel.isEmpty())
        QSKIP("GNU parallel is not installed");
    Home home;
    home.settings.AllSourceFormats = true; // the titles come from the sources' tags
    home.settings.CreateSubFolders = true;
    home.settings.FileNameFormat = QStringLiteral("%8 - %1");
    home.settings.ParallelJobs = 2;
    home.SaveSettings();
    // Four folders of one artist each, 50 sources whose titles repeat every
    // 30: later ones clash with earlier ones and share their track numbers.
    for (int i = 0; i < 200; ++i) {
        const QString path = home.Path(QStringLiteral("in/%1/%2.wav").arg(i / 50).arg(i, 3, 10, QChar(u'0')));
        QVERIFY(WriteTaggedWav(path, QStringLiteral("Title %1").arg(i % 30),
                               QStringLiteral("Artist %1").arg(i / 50), QStringLiteral("Album"), 0.05));
    }
    const Result plan = home.Run({QStringLiteral("--plan"), home.Path(QStringLiteral("in"))});
    QVERIFY2(plan.status == 0, plan.err.constData());
    QCOMPARE(plan.out.count('\n'), 200);
    QVERIFY(plan.out.contains("\tclash\t"));
    QVERIFY(plan.out.contains("\t30\n"));
    const QString planFile = home.Path(QStringLiteral("plan.tsv"));
    QVERIFY(TestUtil::WriteFile(planFile, plan.out));

    const Result one = home.Run({QStringLiteral("--batch"), QStringLiteral("--target"),
                                 home.Path(QStringLiteral("one")), home.Path(QStringLiteral("in"))},
                                QString(), QString(), 600000);
    QVERIFY2(one.status == 0, one.err.constData());

    QProcess p;
    home.Prepare(p, {});
    p.setProgram(parallel);
    p.setArguments({QStringLiteral("--pipe"), QStringLiteral("-N"), QStringLiteral("50"),
                    QStringLiteral("-j"), QStringLiteral("2"), QStringLiteral("--halt"),
                    QStringLiteral("never"), Program(), QStringLiteral("--batch"),
                    QStringLiteral("--plan"), QStringLiteral("-")});
    p.setStandardInputFile(planFile);
    p.start();
    QVERIFY(p.waitForFinished(600000));
    QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
    QCOMPARE(p.readAllStandardOutput().count("Итог:"), 4); // four pieces, each its summary

    const QMap<QString, QByteArray> pieces = Tree(home.Path(QStringLiteral("out")));
    const QMap<QString, QByteArray> single = Tree(home.Path(QStringLiteral("one")));
    QCOMPARE(pieces.size(), 200);
    QCOMPARE(pieces.keys(), single.keys());
    for (auto it = pieces.cbegin(); it != pieces.cend(); ++it)
        QVERIFY2(it.value() == single.value(it.key()), qPrintable(it.key()));
}

QTEST_GUILESS_MAIN(TstBatchMode)
#include "tst_batchmode.moc"
