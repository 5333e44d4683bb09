// The reader helper seen from the window: what it says is checked to the
// byte, a helper that misbehaves is replaced, and the files that crash,
// hang or flood TagLib cost one answer each, never the next file's.

#include "hostilefiles.h"
#include "readerhelper.h"
#include "readerprotocol.h"
#include "readnow.h"
#include "sourcefixture.h"
#include "sourcereader.h"
#include "sourcetags.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace std::chrono_literals;
using ReaderProtocol::Parse;
using ReaderProtocol::TAnswer;
using ReaderProtocol::Verb;

class TstReader final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void replyRoundTrip();
    void brokenReplies_data();
    void brokenReplies();
    void misbehavingHelpers_data();
    void misbehavingHelpers();
    void hostileFiles_data();
    void hostileFiles();
    void crashAndHangCostOneFile();

private:
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    QString GoodFlac(const QString& name, const QString& title);
    QTemporaryDir m_dir;
};

void TstReader::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(!TSourceReader::HelperProgram().isEmpty(), "tessary-reader is not built");
}

QString TstReader::GoodFlac(const QString& name, const QString& title)
{
    const QString path = Path(name);
    SourceFixture::Tags tags;
    tags.title = title;
    if (!SourceFixture::Have(QStringLiteral("flac")) || !SourceFixture::Make(path, QStringLiteral("flac"), tags, 0.2))
        return QString();
    return path;
}

// What the helper writes is what the window reads, whole or in any pieces;
// and a failure's text is the window's own, never the helper's.
void TstReader::replyRoundTrip()
{
    TAnswer sent;
    sent.readable = true;
    sent.title = QStringLiteral("Звезда по имени Солнце");
    sent.genre = QStringLiteral("Rock");
    sent.durationMs = 215000;
    sent.bitsPerSample = 24;
    sent.sampleRate = 96000;
    sent.channels = 2;
    sent.picture = QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(5000, '\n');
    sent.mime = QStringLiteral("image/png");
    const QByteArray wire = ReaderProtocol::OkReply(sent) + ReaderProtocol::FailReply("x");

    QByteArray buffer;
    TAnswer got;
    qsizetype i = 0;
    for (; i < wire.size(); ++i) {
        buffer += wire[i];
        const Parse p = ReaderProtocol::TakeReply(buffer, &got, nullptr);
        QVERIFY(p != Parse::Broken);
        if (p == Parse::Done)
            break;
    }
    buffer += wire.mid(i + 1);
    QVERIFY(got.readable);
    QCOMPARE(got.title, sent.title);
    QCOMPARE(got.genre, sent.genre);
    QVERIFY(!got.artist);
    QCOMPARE(got.durationMs, sent.durationMs);
    QCOMPARE(got.bitsPerSample, 24);
    QCOMPARE(got.sampleRate, 96000);
    QCOMPARE(got.channels, 2);
    QCOMPARE(got.picture, sent.picture);
    QCOMPARE(TCoverArt::Embedded(got).suffix, QStringLiteral("png"));
    QCOMPARE(ReaderProtocol::TakeReply(buffer, &got, nullptr), Parse::Done);
    QVERIFY(!got.readable);
    QVERIFY(buffer.isEmpty());

    // Only the picture kinds lame takes are embedded.
    TAnswer bmp = sent;
    bmp.picture = "BM" + QByteArray(100, 'x');
    QVERIFY(TCoverArt::Embedded(bmp).data.isEmpty());
}

void TstReader::brokenReplies_data()
{
    QTest::addColumn<QByteArray>("reply");
    const QByteArray big = QByteArray::number(ReaderProtocol::MaxBody + 1);
    QTest::newRow("unknown word") << QByteArray("yes 0\n");
    QTest::newRow("no length") << QByteArray("ok \n");
    QTest::newRow("signed length") << QByteArray("ok -1\n");
    QTest::newRow("long header") << QByteArray(ReaderProtocol::MaxHeader, 'o');
    QTest::newRow("body over the cap") << "ok " + big + "\n";
    QTest::newRow("failure over the cap") << QByteArray("fail 5000\n");
    QTest::newRow("title over the cap") << QByteArray("ok 16\ntitle 5000\nxxxx\n");
    QTest::newRow("picture over the cap")
        << "ok 30\npicture " + QByteArray::number(ReaderProtocol::MaxPicture + 1) + "\n";
    QTest::newRow("record without end") << QByteArray("ok 11\ntitle 3\nabcd");
    QTest::newRow("record past the body") << QByteArray("ok 10\ntitle 9\nabc\n");
    QTest::newRow("repeated key") << QByteArray("ok 20\ntitle 1\na\ntitle 1\nb\n");
    QTest::newRow("key not lower case") << QByteArray("ok 10\nTitle 1\na\n");
    QTest::newRow("rate out of range") << QByteArray("ok 16\nrate 7\n9999999\n");
    QTest::newRow("bits not a number") << QByteArray("ok 10\nbits 2\n1x\n");
}

// Every size is capped before anything is allocated for it, and a reply out
// of shape is refused, not guessed at.
void TstReader::brokenReplies()
{
    QFETCH(QByteArray, reply);
    QByteArray buffer = reply + QByteArray(64, '\n');
    TAnswer got;
    QString error;
    Parse p = ReaderProtocol::TakeReply(buffer, &got, &error);
    // A cap on a length is checked before the bytes arrive.
    QCOMPARE(p, Parse::Broken);
    QVERIFY(!got.readable);
}

void TstReader::misbehavingHelpers_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("reason");
    QTest::newRow("exits") << "exit 0" << TReaderHelper::CrashedText();
    QTest::newRow("crashes") << "kill -SEGV $$" << TReaderHelper::CrashedText();
    QTest::newRow("floods") << "yes" << TReaderHelper::BrokenText();
    QTest::newRow("huge header") << "printf 'ok 999999999\\n'; cat" << TReaderHelper::BrokenText();
    QTest::newRow("says too much")
        << "printf 'fail 1\\nxfail 1\\nx'; cat >/dev/null" << TReaderHelper::DamagedText();
    QTest::newRow("hangs") << "cat >/dev/null" << TReaderHelper::TimeoutText();
    QTest::newRow("missing") << QString() << TReaderHelper::MissingText();
}

// Whatever the helper does, the request ends, once, with the window's words,
// and the pool reads the next file with a new helper.
void TstReader::misbehavingHelpers()
{
    QFETCH(QString, script);
    QFETCH(QString, reason);
    TSourceReader reader;
    reader.SetMaxHelpers(1);
    reader.SetTimeLimit(1000ms);
    if (script.isEmpty())
        reader.SetProgram(Path(QStringLiteral("no-such-reader")));
    else
        reader.SetProgram(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
    int answers = 0;
    TAnswer got;
    reader.Read(Verb::Info, Path(QStringLiteral("a.flac")), nullptr, [&](const TAnswer& a) {
        ++answers;
        got = a;
    });
    QCOMPARE(answers, 0); // never within the call
    QTRY_COMPARE_WITH_TIMEOUT(answers, 1, 10000);
    QVERIFY(!got.readable);
    QCOMPARE(got.failure, reason);
    QCOMPARE(reader.Pending(), 0);
}

void TstReader::hostileFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("nested moov atoms") << "nested.m4a" << Hostile::NestedM4a();
    QTest::newRow("inflating ID3v2 frame") << "inflating.wav" << Hostile::CompressedId3Wav();
    QTest::newRow("overflowing WavPack block") << "overflow.wv" << Hostile::OverflowingWavPack();
    QTest::newRow("wrapping FLAC comment") << "wrapping.flac" << Hostile::WrappingFlac();
}

// The real helper on each crafted file: an answer within the time limit
// (whatever it is), and the same pool then reads a good file's tags.
void TstReader::hostileFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    const QString good = GoodFlac(QStringLiteral("good.flac"), QStringLiteral("Хорошая"));
    if (good.isEmpty())
        QSKIP("flac is not installed");
    const QString path = Path(name);
    QVERIFY(TestUtil::WriteFile(path, bytes));
    TSourceReader reader;
    reader.SetMaxHelpers(1);
    reader.SetTimeLimit(3000ms);
    QElapsedTimer clock;
    clock.start();
    const TAnswer hostile = TestUtil::ReadNow(reader, Verb::Info, path);
    qInfo("%s: %s", qPrintable(name), hostile.readable ? "read" : qPrintable(hostile.failure));
    QVERIFY2(hostile.failure != QStringLiteral("no answer"), qPrintable(name));
    QVERIFY2(clock.elapsed() < 15000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!TSourceTags::From(hostile).Title);
    const TAnswer next = TestUtil::ReadNow(reader, Verb::Info, good);
    QVERIFY2(next.readable, qPrintable(next.failure));
    QCOMPARE(TSourceTags::From(next).Title.value_or(QString()), QStringLiteral("Хорошая"));
}

// A helper that dies or hangs on a file: that file is unreadable, the files
// queued behind it are read by the helper started in its place.
void TstReader::crashAndHangCostOneFile()
{
    QStringList files;
    for (const char* name : {"1.flac", "crashy.flac", "2.flac", "sleepy.flac", "3.flac"}) {
        const QString path = GoodFlac(QLatin1String(name), QLatin1String(name));
        if (path.isEmpty())
            QSKIP("flac is not installed");
        files << path;
    }
    TSourceReader reader;
    reader.SetMaxHelpers(1);
    reader.SetTimeLimit(1500ms);
    reader.SetProgram(TSourceReader::HelperProgram(),
                      {QStringLiteral("--test-crash-on"), QStringLiteral("crashy"),
                       QStringLiteral("--test-sleep-on"), QStringLiteral("sleepy")});
    QList<TAnswer> answers;
    for (const QString& f : files)
        reader.Read(Verb::Info, f, nullptr, [&answers](const TAnswer& a) { answers << a; });
    QTRY_COMPARE_WITH_TIMEOUT(answers.size(), files.size(), 20000);
    QCOMPARE(reader.Pending(), 0);
    const QStringList want{"1.flac", "", "2.flac", "", "3.flac"};
    for (int i = 0; i < files.size(); ++i)
        QCOMPARE(answers[i].title.value_or(QString()), want[i]);
    QCOMPARE(answers[1].failure, TReaderHelper::CrashedText());
    QCOMPARE(answers[3].failure, TReaderHelper::TimeoutText());
}

QTEST_GUILESS_MAIN(TstReader)
#include "tst_reader.moc"
