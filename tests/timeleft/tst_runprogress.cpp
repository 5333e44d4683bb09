#include "runprogress.h"
#include "testutil.h"

#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

// The run's queue-wide percent and its estimate of the time left.
class TstRunProgress final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void secondsLeft_data();
    void secondsLeft();
    void percentAndTaken();
    void lengthsReadFromSources();
    void text_data();
    void text();
};

void TstRunProgress::secondsLeft_data()
{
    // Per job: its length in seconds ("?" unknown) and its state: "w"
    // waiting, "d" done, "f" ended without being done, or a running percent.
    QTest::addColumn<QStringList>("lengths");
    QTest::addColumn<QStringList>("states");
    QTest::addColumn<double>("elapsed");
    QTest::addColumn<int>("left");

    // 90 s of audio in 10 s: 150 s still to do at 9 a second.
    QTest::newRow("one done, one half way") << QStringList{"60", "60", "60", "60"}
                                            << QStringList{"d", "50", "w", "w"} << 10.0 << 17;
    // Two encoders at once: the speed is that of the run, not of one job.
    QTest::newRow("two running") << QStringList{"60", "60", "60", "60"}
                                 << QStringList{"25", "25", "w", "w"} << 10.0 << 70;
    // Unknown lengths count as the average of the known ones (60 s).
    QTest::newRow("unknown lengths") << QStringList{"30", "?", "90", "?"}
                                     << QStringList{"d", "w", "w", "w"} << 5.0 << 35;
    // A failed or skipped job is neither done audio nor audio to do.
    QTest::newRow("a failed job") << QStringList{"60", "600", "60"}
                                  << QStringList{"d", "f", "w"} << 6.0 << 6;
    QTest::newRow("all done") << QStringList{"60", "60"} << QStringList{"d", "d"} << 20.0 << 0;
    QTest::newRow("under a second") << QStringList{"60"} << QStringList{"50"} << 0.5 << -1;
    QTest::newRow("nothing encoded yet") << QStringList{"60", "60"} << QStringList{"0", "w"} << 5.0
                                         << -1;
    QTest::newRow("no length known") << QStringList{"?", "?"} << QStringList{"d", "w"} << 5.0 << -1;
}

void TstRunProgress::secondsLeft()
{
    QFETCH(QStringList, lengths);
    QFETCH(QStringList, states);
    QFETCH(double, elapsed);
    QFETCH(int, left);

    TRunProgress p;
    for (int i = 0; i < lengths.size(); ++i) {
        const quint64 id = quint64(i + 1);
        p.AddJob(id, QString());
        if (lengths[i] != u"?")
            p.SetDuration(id, lengths[i].toDouble());
        const QString& state = states[i];
        if (state == u"w")
            continue;
        p.Started(id);
        if (state == u"d" || state == u"f")
            p.Ended(id, state == u"d");
        else
            p.SetPercent(id, state.toInt());
    }
    QCOMPARE(p.SecondsLeft(elapsed), left);
}

void TstRunProgress::percentAndTaken()
{
    TRunProgress p;
    for (quint64 id = 1; id <= 4; ++id)
        p.AddJob(id, QString());
    QCOMPARE(p.Total(), 4);
    QCOMPARE(p.Percent(), 0);
    p.Started(1);
    p.Started(2);
    p.SetPercent(1, 100);
    p.SetPercent(2, 60);
    QCOMPARE(p.Taken(), 2);
    QCOMPARE(p.Percent(), 40);
    p.Ended(1, true);
    p.Ended(3, false); // passed over: taken, as if run
    QCOMPARE(p.Taken(), 3);
    QCOMPARE(p.Percent(), (200 + 60) / 4);
    p.Ended(2, false);
    p.Started(4);
    p.SetPercent(4, 120); // capped
    // Full only once every job has ended: an encoder at 100% is not done yet.
    QCOMPARE(p.Percent(), 99);
    p.Ended(4, true);
    QCOMPARE(p.Percent(), 100);
    // Unknown jobs and repeated ends change nothing.
    p.Ended(1, true);
    p.Started(9);
    p.SetPercent(9, 50);
    QCOMPARE(p.Taken(), 4);
    QCOMPARE(p.Percent(), 100);
}

void TstRunProgress::lengthsReadFromSources()
{
    QTemporaryDir dir;
    TRunProgress p;
    const QString a = dir.filePath(QStringLiteral("a.wav")), b = dir.filePath(QStringLiteral("b.wav"));
    QVERIFY(TestUtil::WriteWav(a, 1.0, 8000, 1));
    QVERIFY(TestUtil::WriteFile(b, "not audio"));
    p.AddJob(1, a);
    p.AddJob(2, b);
    p.AddJob(3, dir.filePath(QStringLiteral("missing.wav")));
    QVERIFY(p.ReadDurations(1000ms));
    // Job 1 took 2 s for its 1 s; the two unknown ones count as 1 s each.
    p.Started(1);
    p.Ended(1, true);
    QCOMPARE(p.SecondsLeft(2.0), 4);
}

void TstRunProgress::text_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("nothing") << 0 << "Осталось: 0:00";
    QTest::newRow("seconds") << 42 << "Осталось: 0:42";
    QTest::newRow("minutes") << 245 << "Осталось: 4:05";
    QTest::newRow("hours") << 3723 << "Осталось: 1:02:03";
    QTest::newRow("a day") << 90000 << "Осталось: 25:00:00";
}

void TstRunProgress::text()
{
    QFETCH(int, seconds);
    QFETCH(QString, text);
    QCOMPARE(TRunProgress::Text(seconds), text);
}

QTEST_GUILESS_MAIN(TstRunProgress)
#include "tst_runprogress.moc"
