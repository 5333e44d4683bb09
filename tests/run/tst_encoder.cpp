#include "encoder.h"
#include "testutil.h"

#include <QTemporaryDir>
#include <QTest>

// Finding lame, its environment, and reading its progress lines.
class TstEncoder final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void locate_data();
    void locate();
    void environment_data();
    void environment();
    void percent_data();
    void percent();
};

void TstEncoder::locate_data()
{
    // Files: "own/lame", "p1/lame", "p2/lame", each "x" (executable), "r" (not) or absent.
    QTest::addColumn<QString>("own");
    QTest::addColumn<QString>("p1");
    QTest::addColumn<QString>("p2");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("found"); // folder of the result, or the error name

    QTest::newRow("own folder first") << "x" << "x" << "" << "" << "own";
    QTest::newRow("then PATH in order") << "" << "x" << "x" << "" << "p1";
    QTest::newRow("non-executable skipped") << "r" << "r" << "x" << "" << "p2";
    QTest::newRow("only non-executable") << "r" << "" << "" << "" << "ERROR_ACCESS_DENIED";
    QTest::newRow("nowhere") << "" << "" << "" << "" << "ERROR_FILE_NOT_FOUND";
    QTest::newRow("explicit path") << "" << "x" << "" << "p1/lame" << "p1";
    QTest::newRow("explicit, missing") << "x" << "" << "" << "p1/lame" << "ERROR_FILE_NOT_FOUND";
    QTest::newRow("explicit, folder missing") << "" << "" << "" << "none/lame"
                                              << "ERROR_PATH_NOT_FOUND";
    QTest::newRow("explicit, not executable") << "" << "r" << "" << "p1/lame"
                                              << "ERROR_ACCESS_DENIED";
    QTest::newRow("explicit folder") << "" << "" << "" << "p1" << "ERROR_ACCESS_DENIED";
}

void TstEncoder::locate()
{
    QFETCH(QString, own);
    QFETCH(QString, p1);
    QFETCH(QString, p2);
    QFETCH(QString, program);
    QFETCH(QString, found);

    QTemporaryDir dir;
    for (const auto& [folder, kind] : {std::pair{"own", own}, {"p1", p1}, {"p2", p2}}) {
        const QString path = dir.filePath(QLatin1String(folder) + QStringLiteral("/lame"));
        QVERIFY(QDir().mkpath(dir.filePath(QLatin1String(folder))));
        if (kind.isEmpty())
            continue;
        QVERIFY(TestUtil::WriteFile(path, "#!/bin/sh\n"));
        QFile::setPermissions(path, kind == u"x" ? QFile::ReadOwner | QFile::ExeOwner
                                                 : QFile::ReadOwner);
    }
    const QString explicitProgram = program.isEmpty() ? QString() : dir.filePath(program);
    const QString pathVariable = dir.filePath(QStringLiteral("p1")) + QStringLiteral("::")
                                 + dir.filePath(QStringLiteral("p2/"));
    const Encoder::Location loc =
        Encoder::Locate(explicitProgram, dir.filePath(QStringLiteral("own")), pathVariable);

    if (found.startsWith(u"ERROR_")) {
        QCOMPARE(loc.errorName, found);
        QVERIFY(loc.program.isEmpty());
    } else {
        QVERIFY(loc.errorName.isEmpty());
        QCOMPARE(loc.program, dir.filePath(found + QStringLiteral("/lame")));
    }
}

void TstEncoder::environment_data()
{
    QTest::addColumn<QString>("lcAll");
    QTest::addColumn<QString>("lcCtype");
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QString>("expected"); // LC_ALL lame gets

    QTest::newRow("C") << "C" << "" << "" << "C.UTF-8";
    QTest::newRow("nothing set") << "" << "" << "" << "C.UTF-8";
    QTest::newRow("POSIX over UTF-8 LANG") << "POSIX" << "" << "ru_RU.UTF-8" << "C.UTF-8";
    // A UTF-8 locale may be named without being generated on the machine.
    QTest::newRow("UTF-8 LANG") << "" << "" << "ru_RU.UTF-8" << "C.UTF-8";
    QTest::newRow("utf8 spelling") << "" << "de_DE.utf8" << "C" << "C.UTF-8";
    QTest::newRow("8-bit LC_CTYPE") << "" << "ru_RU.KOI8-R" << "ru_RU.UTF-8" << "C.UTF-8";
    QTest::newRow("UTF-8 LC_ALL") << "en_US.UTF-8" << "" << "" << "C.UTF-8";
}

void TstEncoder::environment()
{
    QFETCH(QString, lcAll);
    QFETCH(QString, lcCtype);
    QFETCH(QString, lang);
    QFETCH(QString, expected);

    QProcessEnvironment inherited;
    inherited.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin"));
    if (!lcAll.isEmpty())
        inherited.insert(QStringLiteral("LC_ALL"), lcAll);
    if (!lcCtype.isEmpty())
        inherited.insert(QStringLiteral("LC_CTYPE"), lcCtype);
    if (!lang.isEmpty())
        inherited.insert(QStringLiteral("LANG"), lang);

    const QProcessEnvironment env = Encoder::Environment(inherited);
    QCOMPARE(env.value(QStringLiteral("LC_ALL")), expected);
    QCOMPARE(env.value(QStringLiteral("PATH")), QStringLiteral("/usr/bin"));
    QCOMPARE(env.value(QStringLiteral("LANG")), lang);
}

void TstEncoder::percent_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("percent");

    // Lines as lame 3.100 writes them, escapes already removed.
    QTest::newRow("encoding start") << "0/       ( 0%)|    0:00/     :  |    0:00/     :  |         x|     :"
                                    << 0;
    QTest::newRow("encoding") << "100/116    (86%)|    0:00/    0:00|    0:00/    0:00|   122.84x|    0:00"
                              << 86;
    QTest::newRow("encoding done") << "116/116   (100%)|    0:00/    0:00|" << 100;
    QTest::newRow("decoding") << "Frame#    58/116    128 kbps   MS" << 50;
    QTest::newRow("decoding, total unknown") << "Frame#    58/0    128 kbps" << -1;
    // Frame counts too large to multiply by 100 in 64 bits.
    QTest::newRow("decoding, huge counts") << "Frame# 9223372036854775807/9223372036854775807" << 100;
    QTest::newRow("decoding, huge counts, not done")
        << "Frame# 92233720368547758/92233720368547759" << 99;
    QTest::newRow("decoding, huge done, small total") << "Frame# 9223372036854775807/3" << 100;
    QTest::newRow("decoding, huge counts, just short")
        << "Frame#  9223372036846383106/9223372036846383131  256 kbps  L  R" << 99;
    QTest::newRow("header") << "Frame          |  CPU time/estim | REAL time/estim | play/CPU |    ETA"
                            << -1;
    QTest::newRow("message") << "Can't init infile 'a/b (1%).wav'" << -1;
    QTest::newRow("summary") << "128.0      100.0        98.5   1.0   0.5" << -1;
}

void TstEncoder::percent()
{
    QFETCH(QString, line);
    QFETCH(int, percent);
    QCOMPARE(Encoder::ParsePercent(line), percent);
}

QTEST_GUILESS_MAIN(TstEncoder)
#include "tst_encoder.moc"
