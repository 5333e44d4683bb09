#include "queuefile.h"
#include "jobfields.h"
#include "testutil.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

using TestUtil::Fields;

QList<QStringList> AllFields(const TQueue& q)
{
    QList<QStringList> all;
    for (int i = 0; i < q.Count(); ++i)
        all << Fields(q.Items(i));
    return all;
}

// A file with one job whose source is /music/a.wav and the given extra
// members in its object, e.g. R"("title":"x")".
QByteArray OneJob(const QByteArray& members, const QByteArray& top = QByteArray())
{
    return "{\"format\":\"tessary-queue\",\"version\":1" + top
           + ",\"jobs\":[{\"input\":\"/music/a.wav\"" + (members.isEmpty() ? "" : "," + members)
           + "}]}";
}

} // namespace

class TstQueueFile final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundTripEveryField_data();
    void roundTripEveryField();
    void everyModeMethodAndMark();
    void refusedFiles_data();
    void refusedFiles();
    void handEditedValuesGoThroughSetters_data();
    void handEditedValuesGoThroughSetters();
    void entriesWithoutSourceAreDropped();
    void fileTooLarge();
};

void TstQueueFile::roundTripEveryField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("path");
    const QString cyr = QStringLiteral("Кино — Группа крови «Live» ёЁ");
    QTest::addRow("cyrillic") << cyr << QStringLiteral("/музыка/Кино/01 Группа крови.wav");
    QTest::addRow("255 characters") << QString(255, QChar(u'Ж'))
                                    << u'/' + QString(200, QChar(u'я')) + QStringLiteral(".wav");
    QTest::addRow("quotes, backslashes, controls")
        << QStringLiteral("a\"b\\c\nd\te\r\x01\x1f/{}[],:")
        << QStringLiteral("/m/\"quoted\"\\back\nline.wav");
    QTest::addRow("beyond the basic plane") << QStringLiteral("\U0001F3B5 𝄞 ноты")
                                            << QStringLiteral("/m/\U0001F3B5.wav");
    QTest::addRow("empty") << QString() << QStringLiteral("/a.wav");
}

void TstQueueFile::roundTripEveryField()
{
    QFETCH(QString, text);
    QFETCH(QString, path);
    TQueueContent c;
    TQueueItem* j = c.queue->Add();
    j->RestoreInputFile(path);
    j->SetOutputFile(u'/' + text + QStringLiteral("/out.mp3"));
    j->SetTitle(text);
    j->SetArtist(text.left(254) + u'a');
    j->SetAlbum(u'b' + text.left(254));
    j->SetComment(text.right(100));
    j->SetYear(QStringLiteral("0999"));
    j->SetTrack(254);
    j->SetGenre(147);
    j->SetId3v1(true);
    j->SetId3v2(true);
    j->AutoTrack = false;
    j->SetAlgorithm(ABR);
    j->SetABitrate(8);
    j->SetMinBitrate(320);
    j->SetMaxBitrate(16);
    j->SetFrequency(9);
    j->SetQuality(0);
    j->SetVBRQuality(9);
    j->SetVBRNew(false);
    j->SetMode(Mono);
    j->SetKeepFreq(true);
    j->SetCopyrighted(true);
    j->SetCRCs(true);
    j->SetNonOriginal(true);
    QVERIFY(j->SetExtraOptions(QStringLiteral("--lowpass 19 --noasm \"a b\"")));
    c.lines.push_back({true, TLineMark::Failed, text, true});
    // A second job with every default, which must stay so.
    c.queue->Add()->RestoreInputFile(path + u'2');
    c.lines.push_back({});
    c.current = 1;

    const QByteArray bytes = TQueueFile::Write(c);
    const TQueueFile::TReadResult r = TQueueFile::Read(bytes);
    QVERIFY2(r.Ok(), qPrintable(r.error));
    QCOMPARE(r.dropped, 0);
    QCOMPARE(AllFields(*r.content.queue), AllFields(*c.queue));
    QVERIFY(r.content.lines == c.lines);
    QCOMPARE(r.content.current, 1);
    // Written again, the very same bytes.
    QCOMPARE(TQueueFile::Write(r.content), bytes);
}

void TstQueueFile::everyModeMethodAndMark()
{
    TQueueContent c;
    const TLineMark marks[] = {TLineMark::None, TLineMark::Failed, TLineMark::Skipped};
    int k = 0;
    for (int mode = 0; mode <= 5; ++mode) {
        for (int algorithm = 0; algorithm <= 2; ++algorithm, ++k) {
            TQueueItem* j = c.queue->Add();
            j->RestoreInputFile(QStringLiteral("/m/%1.wav").arg(k));
            j->SetMode(TMode(mode));
            j->SetAlgorithm(TAlgorithm(algorithm));
            j->SetQuality(TInterval(k % 10));
            j->SetFrequency(TInterval((k + 3) % 10));
            j->SetTrack(quint8(k));
            j->SetGenre(quint8(k * 14));
            j->SetYear(QString::number(1990 + k));
            c.lines.push_back({k % 2 == 0, marks[k % 3],
                               k % 3 ? QStringLiteral("причина %1").arg(k) : QString(), k == 7});
        }
    }
    // Values beyond the named ones, as a hand-edited settings file gives
    // them to new jobs, survive as well.
    TQueueItem* odd = c.queue->Add();
    odd->RestoreInputFile(QStringLiteral("/m/odd.wav"));
    odd->SetMode(TMode(200));
    odd->SetAlgorithm(TAlgorithm(7));
    odd->SetQuality(12);
    odd->SetGenre(200);
    c.lines.push_back({});
    c.current = 5;

    const TQueueFile::TReadResult r = TQueueFile::Read(TQueueFile::Write(c));
    QVERIFY2(r.Ok(), qPrintable(r.error));
    QCOMPARE(AllFields(*r.content.queue), AllFields(*c.queue));
    QVERIFY(r.content.lines == c.lines);
    QCOMPARE(r.content.current, 5);
    QCOMPARE(r.content.Unprocessed(), 10);
}

void TstQueueFile::refusedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    TQueueContent c;
    for (int i = 0; i < 3; ++i)
        c.queue->Add()->RestoreInputFile(QStringLiteral("/m/%1.wav").arg(i));
    c.lines.resize(3);
    const QByteArray whole = TQueueFile::Write(c);
    const QString damaged = QStringLiteral("повреждён или обрезан");
    const QString notQueue = QStringLiteral("не файл очереди");
    QTest::addRow("empty") << QByteArray() << QStringLiteral("пуст");
    QTest::addRow("blank") << QByteArray(" \n\t") << QStringLiteral("пуст");
    QTest::addRow("cut in the middle") << whole.left(whole.size() / 2) << damaged;
    QTest::addRow("cut before the end") << whole.left(whole.size() - 3) << damaged;
    QTest::addRow("a zero block") << QByteArray(whole.size(), '\0') << notQueue;
    QTest::addRow("newer version")
        << QByteArray(whole).replace("\"version\":1", "\"version\":2")
        << QStringLiteral("более новой версией Tessary (формат 2)");
    QTest::addRow("version 0") << QByteArray(whole).replace("\"version\":1", "\"version\":0")
                               << notQueue;
    QTest::addRow("version as text")
        << QByteArray(whole).replace("\"version\":1", "\"version\":\"1\"") << notQueue;
    QTest::addRow("another format")
        << QByteArray(whole).replace("tessary-queue", "tessary-plan") << notQueue;
    QTest::addRow("settings file") << QByteArray("REGEDIT4\n\n[HKEY_CURRENT_USER]\n") << notQueue;
    QTest::addRow("a JSON list") << QByteArray("[1,2,3]") << notQueue;
    QTest::addRow("jobs not a list")
        << QByteArray("{\"format\":\"tessary-queue\",\"version\":1,\"jobs\":{}}") << notQueue;
    QByteArray many = "{\"format\":\"tessary-queue\",\"version\":1,\"jobs\":[";
    for (int i = 0; i <= TQueueFile::MaxJobs; ++i)
        many += i ? ",{}" : "{}";
    many += "]}";
    QTest::addRow("too many jobs") << many << QStringLiteral("больше 100000 заданий");
}

void TstQueueFile::refusedFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    const TQueueFile::TReadResult r = TQueueFile::Read(bytes);
    QVERIFY(!r.Ok());
    QVERIFY2(r.error.contains(error), qPrintable(r.error));
    QCOMPARE(r.content.Count(), 0);
    QVERIFY(r.content.lines.empty());
}

void TstQueueFile::handEditedValuesGoThroughSetters_data()
{
    QTest::addColumn<QByteArray>("members");
    QTest::addColumn<int>("field"); // index into Fields()
    QTest::addColumn<QString>("expected");
    // Fields(): 0 title, 3 year, 6 output, 7 output dir, 8 track, 9 genre,
    // 12 bitrate, 13 algorithm, 14 frequency, 17 quality, 20 mode, 21 VBR new, 25 auto track
    QTest::addRow("bitrate not in the list") << QByteArray("\"bitrate\":100") << 12 << "128";
    QTest::addRow("bitrate in the list") << QByteArray("\"bitrate\":24") << 12 << "24";
    QTest::addRow("bitrate as text") << QByteArray("\"bitrate\":\"320\"") << 12 << "128";
    QTest::addRow("year not a number") << QByteArray("\"year\":\"abc\"") << 3 << "";
    QTest::addRow("year with leading zero") << QByteArray("\"year\":\"0999\"") << 3 << "0999";
    QTest::addRow("year 10000") << QByteArray("\"year\":\"10000\"") << 3 << "";
    QTest::addRow("track beyond a byte") << QByteArray("\"track\":300") << 8 << "0";
    QTest::addRow("track negative") << QByteArray("\"track\":-1") << 8 << "0";
    QTest::addRow("track a fraction") << QByteArray("\"track\":1.5") << 8 << "0";
    QTest::addRow("track huge") << QByteArray("\"track\":1e300") << 8 << "0";
    QTest::addRow("track 254") << QByteArray("\"track\":254") << 8 << "254";
    QTest::addRow("genre as text") << QByteArray("\"genre\":\"Rock\"") << 9 << "255";
    QTest::addRow("quality beyond a byte") << QByteArray("\"quality\":256") << 17 << "5";
    QTest::addRow("mode beyond a byte") << QByteArray("\"mode\":1000") << 20 << "4";
    QTest::addRow("mode null") << QByteArray("\"mode\":null") << 20 << "4";
    QTest::addRow("flag as number") << QByteArray("\"vbrNew\":0") << 21 << "1";
    QTest::addRow("flag false") << QByteArray("\"vbrNew\":false") << 21 << "0";
    QTest::addRow("auto track off") << QByteArray("\"autoTrack\":false") << 25 << "0";
    QTest::addRow("title too long is cut")
        << "\"title\":\"" + QByteArray(300, 'x') + '"' << 0 << QString(255, u'x');
    QTest::addRow("title with NUL") << QByteArray("\"title\":\"a\\u0000b\"") << 0 << "";
    QTest::addRow("title as list") << QByteArray("\"title\":[\"a\"]") << 0 << "";
    QTest::addRow("relative output") << QByteArray("\"output\":\"../x.mp3\"") << 6 << "";
    QTest::addRow("output dir follows output")
        << QByteArray("\"output\":\"/o/Band/x.mp3\"") << 7 << "/o/Band/";
    QTest::addRow("unknown keys") << QByteArray("\"lameOptions\":\"-V0\",\"x\":{\"y\":[1]}") << 0
                                  << "";
    QTest::addRow("later key wins") << QByteArray("\"title\":\"a\",\"title\":\"b\"") << 0 << "b";
}

void TstQueueFile::handEditedValuesGoThroughSetters()
{
    QFETCH(QByteArray, members);
    QFETCH(int, field);
    QFETCH(QString, expected);
    const TQueueFile::TReadResult r = TQueueFile::Read(OneJob(members));
    QVERIFY2(r.Ok(), qPrintable(r.error));
    QCOMPARE(r.content.Count(), 1);
    QCOMPARE(Fields(r.content.queue->Items(0)).at(field), expected);
}

void TstQueueFile::entriesWithoutSourceAreDropped()
{
    // Neither the reader nor the job looks at the disk: a source that is
    // gone is kept, so the window can tell the user about it.
    const QByteArray bytes =
        "{\"format\":\"tessary-queue\",\"version\":1,\"current\":4,\"unknown\":[],\"jobs\":["
        "{\"input\":\"/gone/a.wav\",\"done\":true},"
        "{\"input\":\"relative.wav\"},"
        "17,"
        "{\"title\":\"no source\"},"
        "{\"input\":\"/gone/b.wav\",\"mark\":\"skipped\",\"reason\":\"Прервано\"},"
        "{\"input\":\"/gone/a\\u0000.wav\"},"
        "{\"input\":\"/" + QByteArray(TQueueItem::MaxPathBytes, 'p') + "\"}"
        "]}";
    const TQueueFile::TReadResult r = TQueueFile::Read(bytes);
    QVERIFY2(r.Ok(), qPrintable(r.error));
    QCOMPARE(r.dropped, 5);
    QCOMPARE(r.content.Count(), 2);
    QCOMPARE(r.content.queue->Items(0)->InputFile(), QStringLiteral("/gone/a.wav"));
    QCOMPARE(r.content.queue->Items(1)->InputFile(), QStringLiteral("/gone/b.wav"));
    QVERIFY(r.content.lines[0].processed);
    QCOMPARE(r.content.lines[1].mark, TLineMark::Skipped);
    QCOMPARE(r.content.lines[1].reason, QStringLiteral("Прервано"));
    // The current line follows its job past the dropped ones.
    QCOMPARE(r.content.current, 1);
    QCOMPARE(r.content.Unprocessed(), 1);

    // A current line that is out of range, or was dropped, is none.
    QCOMPARE(TQueueFile::Read(OneJob({}, ",\"current\":1")).content.current, -1);
    QCOMPARE(TQueueFile::Read(OneJob({}, ",\"current\":-7")).content.current, -1);
    QCOMPARE(TQueueFile::Read(OneJob({}, ",\"current\":0")).content.current, 0);
}

void TstQueueFile::fileTooLarge()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("big.tessary-queue"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QVERIFY(f.resize(TQueueFile::MaxFileSize + 1)); // sparse: costs no disk
    f.close();
    const TQueueFile::TReadResult r = TQueueFile::ReadFile(path);
    QVERIFY(r.error.contains(QStringLiteral("слишком велик")));
    QVERIFY(TQueueFile::ReadFile(dir.filePath(QStringLiteral("missing"))).error.contains(
        QStringLiteral("Не удалось открыть")));
}

QTEST_GUILESS_MAIN(TstQueueFile)
#include "tst_queuefile.moc"
