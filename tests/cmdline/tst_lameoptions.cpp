#include "cmdline.h"
#include "lameoptions.h"
#include "queue.h"
#include "testutil.h"

#include <QTemporaryDir>
#include <QTest>

// The user's own LAME options: how a text splits into arguments, which of
// them lame may get, and where they land in the command line.
class TstLameOptions final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void shownFormSplitsBack_data();
    void shownFormSplitsBack();
    void jobKeepsOnlyAcceptedText();
    void argumentsInBothModes();
};

void TstLameOptions::accepted_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("arguments");
    const auto row = [](const char* name, const char* text, QStringList args) {
        QTest::newRow(name) << QString::fromUtf8(text) << args;
    };
    row("empty", "", {});
    row("blanks only", " \t ", {});
    row("value", "--lowpass 19", {"--lowpass", "19"});
    row("long names without case", "--LowPass 19 --NOREPLAYGAIN", {"--LowPass", "19", "--NOREPLAYGAIN"});
    row("tabs and blanks", "  --noreplaygain\t-Y  ", {"--noreplaygain", "-Y"});
    row("grouped flags", "-YF", {"-YF"});
    row("value attached", "-X3 -e n", {"-X3", "-e", "n"});
    row("double quotes", "--scale \"0.5\"", {"--scale", "0.5"});
    row("escapes in double quotes", "--noasm \"a\\\"b\\\\c\\d\"", {"--noasm", "a\"b\\c\\d"});
    row("single quotes keep backslashes", "--noasm 'a\\b \"c\"'", {"--noasm", "a\\b \"c\""});
    row("backslash outside quotes", "--noasm sse\\ 2", {"--noasm", "sse 2"});
    row("quotes inside a word", "--noasm s\"s\"'e'", {"--noasm", "sse"});
    row("Cyrillic in a value", "--buffer-constraint \"строгий режим\"",
        {"--buffer-constraint", QString::fromUtf8("строгий режим")});
    row("negative value", "--gain -3.5", {"--gain", "-3.5"});
    // lame takes the next argument as the value whatever it looks like, so
    // this never reaches lame as an option (it fails as a frequency).
    row("option text as a value", "--lowpass --decode", {"--lowpass", "--decode"});
    row("several", "--highpass 0.1 --highpass-width 0.05 --replaygain-accurate --nores -T",
        {"--highpass", "0.1", "--highpass-width", "0.05", "--replaygain-accurate", "--nores",
         "-T"});
}

void TstLameOptions::accepted()
{
    QFETCH(QString, text);
    QFETCH(QStringList, arguments);
    QCOMPARE(LameOptions::Problem(text), QString());
    QCOMPARE(LameOptions::Arguments(text), arguments);
}

void TstLameOptions::refused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("named"); // the option the message names, or empty
    QTest::addColumn<QString>("why");   // a part of the reason
    const auto row = [](const char* text, const char* named, const char* why) {
        QTest::newRow(text) << QString::fromUtf8(text) << QString::fromUtf8(named)
                            << QString::fromUtf8(why);
    };
    // Files: lame would read or write something else.
    row("song.wav", "song.wav", "файлы задаёт Tessary");
    row("-", "-", "файлы задаёт Tessary");
    row("\"\"", "", "файлы задаёт Tessary");
    row("--out-dir /tmp", "--out-dir", "файлы задаёт Tessary");
    row("--nogap a.wav b.wav", "--nogap", "несколько файлов");
    row("--nogapout /tmp", "--nogapout", "несколько файлов");
    row("--nogaptags", "--nogaptags", "несколько файлов");
    // The run's own choices.
    row("--decode", "--decode", "главном окне");
    row("--DECODE", "--DECODE", "главном окне");
    row("-r", "-r", "сырому PCM");
    row("-Yr", "-r", "сырому PCM");
    row("-s 44.1", "-s", "сырому PCM");
    row("-x", "-x", "сырому PCM");
    row("--bitwidth 8", "--bitwidth", "сырому PCM");
    row("--big-endian", "--big-endian", "сырому PCM");
    row("--mp3input", "--mp3input", "вид входного файла");
    row("--quiet", "--quiet", "ход работы");
    row("--silent", "--silent", "ход работы");
    row("-S", "-S", "ход работы");
    row("--disptime 5", "--disptime", "ход работы");
    row("--tt Title", "--tt", "редакторе тегов");
    row("--tv TXXX=a=b", "--tv", "редакторе тегов");
    row("--ti cover.jpg", "--ti", "редакторе тегов");
    row("--add-id3v2", "--add-id3v2", "редакторе тегов");
    row("--id3v2-utf16", "--id3v2-utf16", "редакторе тегов");
    row("--pad-id3v2-size 64", "--pad-id3v2-size", "редакторе тегов");
    row("--help", "--help", "завершится");
    row("--version", "--version", "завершится");
    row("--genre-list", "--genre-list", "завершится");
    row("-?", "-?", "завершится");
    row("--freeformat", "--freeformat", "свободного формата");
    // What the panel sets.
    row("-m j", "-m", "«Режим»");
    row("-q 0", "-q", "«Качество»");
    row("-h", "-h", "«Качество»");
    row("-f", "-f", "«Качество»");
    row("-b 320", "-b", "«Метод»");
    row("-B 256", "-B", "«Метод»");
    row("-V2", "-V", "«Метод»");
    row("-v", "-v", "«Метод»");
    row("--abr 192", "--abr", "«Метод»");
    row("--cbr", "--cbr", "«Метод»");
    row("--vbr-old", "--vbr-old", "«Метод»");
    row("--comp 11", "--comp", "«Метод»");
    row("--preset standard", "--preset", "«Профиль:»");
    row("--resample 44.1", "--resample", "«Частота»");
    row("-k", "-k", "все частоты");
    row("-c", "-c", "«Прочее»");
    row("-Yo", "-o", "«Прочее»");
    row("-p", "-p", "«Прочее»");
    // Not lame's, or not complete.
    row("--foo", "--foo", "нет");
    row("--lowpass=19", "--lowpass=19", "нет");
    row("-Z", "-Z", "нет");
    row("--", "--", "нет");
    row("--lowpass", "--lowpass", "значения");
    row("-Y -X", "-X", "значения");
    row("--noasm \"mmx", "", "двойная кавычка");
    row("--noasm 'mmx", "", "одинарная кавычка");
    row("--noasm mmx\\", "", "косая черта");
    row("--noasm mmx\n--decode", "", "управляющие символы");
}

void TstLameOptions::refused()
{
    QFETCH(QString, text);
    QFETCH(QString, named);
    QFETCH(QString, why);
    const QString problem = LameOptions::Problem(text);
    QVERIFY2(problem.contains(why), qPrintable(problem));
    if (!named.isEmpty())
        QVERIFY2(problem.contains(u'«' + named + u'»'), qPrintable(problem));
    QCOMPARE(LameOptions::Arguments(text), QStringList());
}

void TstLameOptions::shownFormSplitsBack_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << QStringLiteral("--lowpass") << QStringLiteral("--lowpass");
    QTest::newRow("blank") << QStringLiteral("a b") << QStringLiteral("\"a b\"");
    QTest::newRow("quote and backslash") << QStringLiteral("a\"b\\c")
                                         << QStringLiteral("\"a\\\"b\\\\c\"");
    QTest::newRow("single quote") << QStringLiteral("it's") << QStringLiteral("\"it's\"");
    QTest::newRow("Cyrillic") << QStringLiteral("режим") << QStringLiteral("режим");
}

void TstLameOptions::shownFormSplitsBack()
{
    QFETCH(QString, argument);
    QFETCH(QString, shown);
    QCOMPARE(LameOptions::Shown(argument), shown);
    QCOMPARE(LameOptions::Split(shown).value_or(QStringList()), QStringList{argument});
}

void TstLameOptions::jobKeepsOnlyAcceptedText()
{
    TQueue queue;
    TQueueItem* job = queue.Add();
    QCOMPARE(job->ExtraOptions(), QString());
    QVERIFY(job->SetExtraOptions(QStringLiteral("--lowpass 19")));
    QVERIFY(!job->SetExtraOptions(QStringLiteral("--lowpass 19 song.wav")));
    QVERIFY(!job->SetExtraOptions(QStringLiteral("--decode")));
    QCOMPARE(job->ExtraOptions(), QStringLiteral("--lowpass 19"));
    TQueueItem* copy = queue.Add();
    copy->Assign(job);
    QCOMPARE(copy->ExtraOptions(), QStringLiteral("--lowpass 19"));
    QVERIFY(job->SetExtraOptions(QString()));
    QCOMPARE(job->ExtraOptions(), QString());
}

void TstLameOptions::argumentsInBothModes()
{
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("song.wav"));
    QVERIFY(TestUtil::WriteFile(wav));
    TQueue queue;
    TQueueItem* job = queue.Add();
    job->SetInputFile(wav);
    job->SetOutputFile(QStringLiteral("/Out/song.mp3"));
    job->SetMode(Joint_stereo);
    job->SetId3v2(true);
    job->SetTitle(QStringLiteral("Song"));
    const QString plain = JobOptions(*job, 0);
    QVERIFY(job->SetExtraOptions(QStringLiteral("--lowpass 19 --noasm 'a \"b'")));

    // After the panel's options and the tags, before the two files.
    const QString in = u'"' + wav + u'"';
    QCOMPARE(plain, QStringLiteral("-m j -q 5 -b 128 --tt \"Song\" --id3v2-only ") + in
                        + QStringLiteral(" \"/Out/song.mp3\""));
    QCOMPARE(JobOptions(*job, 0), QStringLiteral("-m j -q 5 -b 128 --tt \"Song\" --id3v2-only "
                                                 "--lowpass 19 --noasm \"a \\\"b\" ")
                                      + in + QStringLiteral(" \"/Out/song.mp3\""));
    QCOMPARE(JobArguments(*job, 0),
             (QStringList{"-m", "j", "-q", "5", "-b", "128", "--tt", "Song", "--id3v2-only",
                          "--lowpass", "19", "--noasm", "a \"b", wav, "/Out/song.mp3"}));
    // Decoding uses none of the job's compression settings, these included.
    QCOMPARE(JobOptions(*job, 1), QStringLiteral("--decode ") + in + QStringLiteral(" \"/Out/song.mp3\""));
    QCOMPARE(JobArguments(*job, 1), (QStringList{"--decode", wav, "/Out/song.mp3"}));
}

QTEST_GUILESS_MAIN(TstLameOptions)
#include "tst_lameoptions.moc"
