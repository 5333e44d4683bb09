// The plan file's text and the batch mode's command line, as pure functions.

#include "batchoptions.h"
#include "planfile.h"

#include <QtTest>

class TstPlanFile final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void options_data();
    void options();
};

void TstPlanFile::roundTrip_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("plain") << QStringLiteral("/m/a b/c.wav");
    QTest::newRow("tab, newline, CR") << QStringLiteral("/m/a\tb\nc\rd.wav");
    QTest::newRow("backslashes") << QStringLiteral("/m/\\t\\\\n\\.wav");
    QTest::newRow("Cyrillic and a hash") << QStringLiteral("/m/#Песня №1.wav");
    QTest::newRow("trailing CR") << QStringLiteral("/m/x\r");
}

void TstPlanFile::roundTrip()
{
    QFETCH(QString, path);
    PlanFile::Line line;
    line.source = path;
    line.output = path + QStringLiteral(".mp3");
    line.clash = true;
    line.exists = true;
    line.overwrite = true;
    line.track = 255;
    const QByteArray text = PlanFile::Format(line);
    QCOMPARE(text.count('\n'), 1);
    QCOMPARE(text.count('\t'), 3);
    const PlanFile::Parsed parsed = PlanFile::Parse(text + "\r\n# a comment\n\n" + text);
    QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
    QCOMPARE(parsed.lines.size(), std::size_t(2));
    QVERIFY(parsed.lines[0] == line);
    QVERIFY(parsed.lines[1] == line);
}

void TstPlanFile::options_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("printPlan");
    QTest::addColumn<QString>("planFile");
    QTest::addColumn<QStringList>("sources");
    QTest::addColumn<bool>("error");
    const QString d = QStringLiteral("dir");
    QTest::newRow("print a plan of a folder") << QStringList{QStringLiteral("--plan"), d}
                                              << true << QString() << QStringList{d} << false;
    QTest::newRow("--batch after --plan FILE") << QStringList{QStringLiteral("--plan"), QStringLiteral("p.tsv"), QStringLiteral("--batch")}
                                               << false << QStringLiteral("p.tsv") << QStringList() << false;
    QTest::newRow("plan from standard input") << QStringList{QStringLiteral("--batch"), QStringLiteral("--plan=-")}
                                              << false << QStringLiteral("-") << QStringList() << false;
    QTest::newRow("--batch --plan without a file") << QStringList{QStringLiteral("--batch"), QStringLiteral("--plan")}
                                                   << false << QString() << QStringList() << true;
    QTest::newRow("a plan and sources") << QStringList{QStringLiteral("--batch"), QStringLiteral("--plan"), QStringLiteral("p"), d}
                                        << false << QStringLiteral("p") << QStringList{d} << true;
    QTest::newRow("-- ends the options") << QStringList{QStringLiteral("--batch"), QStringLiteral("--"), QStringLiteral("--plan")}
                                         << false << QString() << QStringList{QStringLiteral("--plan")} << false;
    QTest::newRow("--jobs out of range") << QStringList{QStringLiteral("--batch"), QStringLiteral("--jobs"), QStringLiteral("65"), d}
                                         << false << QString() << QStringList{d} << true;
    QTest::newRow("a flag with a value") << QStringList{QStringLiteral("--batch"), QStringLiteral("--json=yes"), d}
                                         << false << QString() << QStringList{d} << true;
}

void TstPlanFile::options()
{
    QFETCH(QStringList, args);
    const TBatchOptions o = TBatchOptions::Parse(args);
    QFETCH(bool, error);
    QCOMPARE(!o.error.isEmpty(), error);
    if (error)
        return;
    QTEST(o.printPlan, "printPlan");
    QTEST(o.planFile, "planFile");
    QTEST(o.sources, "sources");
}

QTEST_GUILESS_MAIN(TstPlanFile)
#include "tst_planfile.moc"
