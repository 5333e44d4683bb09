// The parts of a non-WAV job that need no window: what ffmpeg is asked for,
// what its progress lines mean, and the tags, audio facts and pictures read
// from sources that Debian's own tools made.

#include "audioduration.h"
#include "cmdline.h"
#include "decoderpipe.h"
#include "encoder.h"
#include "genres.h"
#include "readnow.h"
#include "sourcefixture.h"
#include "sourcereader.h"
#include "sourcetags.h"

#include <QTemporaryDir>
#include <QtTest>

using SourceFixture::Tags;

class TstDecoderPipe final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void arguments_data();
    void arguments();
    void progress_data();
    void progress();
    void runArguments();
    void wanted();
    void tags_data();
    void tags();
    void damagedTagsReadAsNone();
    void audioFacts();
    void coverArt();
    void pipeReportsProgressAndFailure();

private:
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    ReaderProtocol::TAnswer Info(const QString& path)
    {
        return TestUtil::ReadNow(m_reader, ReaderProtocol::Verb::Info, path);
    }
    TSourceTags SourceTags(const QString& path) { return TSourceTags::From(Info(path)); }
    TSourceAudio Audio(const QString& path) { return TSourceAudio::From(Info(path)); }
    TCoverArt Cover(const QString& path)
    {
        const TCoverArt art =
            TCoverArt::Embedded(TestUtil::ReadNow(m_reader, ReaderProtocol::Verb::Cover, path));
        return art.data.isEmpty() ? TCoverArt::InFolder(path) : art;
    }
    QTemporaryDir m_dir;
    TSourceReader m_reader;
};

void TstDecoderPipe::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(!TSourceReader::HelperProgram().isEmpty(), "tessary-reader is not built");
    for (const char* tool : {"ffmpeg", "flac", "oggenc", "opusenc", "metaflac"}) {
        if (!SourceFixture::Have(QLatin1String(tool)))
            QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
    }
}

void TstDecoderPipe::arguments_data()
{
    using Samples = TSourceKind::Samples;
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("channels");
    QTest::addColumn<Samples>("samples");
    QTest::addColumn<QString>("codec");
    QTest::addColumn<bool>("downmix");
    QTest::newRow("lossy") << 0 << 2 << Samples::Lossy << "pcm_s16le" << false;
    QTest::newRow("8 bits widened, never 8 on the pipe") << 8 << 1 << Samples::Integer << "pcm_s16le" << false;
    QTest::newRow("16 bits") << 16 << 2 << Samples::Unknown << "pcm_s16le" << false;
    QTest::newRow("20 bits") << 20 << 2 << Samples::Integer << "pcm_s24le" << false;
    QTest::newRow("24 bits") << 24 << 2 << Samples::Integer << "pcm_s24le" << false;
    QTest::newRow("32 bits") << 32 << 2 << Samples::Integer << "pcm_s32le" << false;
    QTest::newRow("5.1 mixed down") << 24 << 6 << Samples::Integer << "pcm_s24le" << true;
    QTest::newRow("32-bit float") << 32 << 2 << Samples::Float << "pcm_s32le" << false;
    QTest::newRow("64-bit float") << 64 << 2 << Samples::Float << "pcm_s32le" << false;
    QTest::newRow("16-bit float") << 16 << 2 << Samples::Float << "pcm_s32le" << false;
    QTest::newRow("DSD, said to be 8 bits") << 8 << 2 << Samples::Dsd << "pcm_s24le" << false;
    QTest::newRow("DSD, said to be 1 bit") << 1 << 2 << Samples::Dsd << "pcm_s24le" << false;
}

void TstDecoderPipe::arguments()
{
    QFETCH(int, bits);
    QFETCH(int, channels);
    QFETCH(TSourceKind::Samples, samples);
    QFETCH(QString, codec);
    QFETCH(bool, downmix);
    const QStringList args =
        TDecoderPipe::Arguments(QStringLiteral("/m/a:b -x.flac"), bits, channels, samples);
    // The path is one argument, its colon not a protocol, its dash no option.
    QCOMPARE(args.at(args.indexOf(QStringLiteral("-i")) + 1), QStringLiteral("file:/m/a:b -x.flac"));
    QCOMPARE(args.at(args.indexOf(QStringLiteral("-c:a")) + 1), codec);
    QCOMPARE(args.contains(QStringLiteral("-ac")), downmix);
    // No rate option: the source's rate reaches lame unchanged.
    QVERIFY(!args.contains(QStringLiteral("-ar")));
    QCOMPARE(args.mid(args.size() - 3), (QStringList{"-f", "wav", "-"}));
    // A warning never stops the decoder: the run checks what it decoded.
    QVERIFY(!args.contains(QStringLiteral("-xerror")));
}

void TstDecoderPipe::progress_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<qint64>("durationMs");
    QTest::addColumn<int>("percent");
    QTest::newRow("start") << "out_time_us=0" << qint64(60000) << 0;
    QTest::newRow("half") << "out_time_us=30000000" << qint64(60000) << 50;
    QTest::newRow("past the end") << "out_time_us=61000000" << qint64(60000) << 100;
    QTest::newRow("unknown duration") << "out_time_us=30000000" << qint64(0) << -1;
    QTest::newRow("other key") << "total_size=1234" << qint64(60000) << -1;
    QTest::newRow("N/A before the first frame") << "out_time_us=N/A" << qint64(60000) << -1;
    QTest::newRow("message") << "flac: invalid residual" << qint64(60000) << -1;
}

void TstDecoderPipe::progress()
{
    QFETCH(QString, line);
    QFETCH(qint64, durationMs);
    QFETCH(int, percent);
    QCOMPARE(TDecoderPipe::ParseProgress(line, durationMs), percent);
}

void TstDecoderPipe::runArguments()
{
    QStringList args{"-q", "5", "--tt", "Песня", "/in/a.flac", "/out/.a.mp3.tmp"};
    AddCoverArt(args, QStringLiteral("/in/cover.jpg"));
    PipeInput(args);
    QCOMPARE(args, (QStringList{"-q", "5", "--tt", "Песня", "--ti", "/in/cover.jpg", "-",
                                "/out/.a.mp3.tmp"}));
}

void TstDecoderPipe::wanted()
{
    for (const char* name : {"a.flac", "a.FLAC", "a.ogg", "a.oga", "a.opus", "a.aif", "a.aiff",
                             "a.m4a", "a.wv"})
        QVERIFY2(TDecoderPipe::Wanted(QLatin1String(name)), name);
    for (const char* name : {"a.wav", "a.WAV", "a.mp3", "flac", "a.flac.txt"})
        QVERIFY2(!TDecoderPipe::Wanted(QLatin1String(name)), name);
    QCOMPARE(TDecoderPipe::SourceMask(),
             QStringLiteral("*.wav;*.flac;*.ogg;*.oga;*.opus;*.aif;*.aiff;*.m4a;*.wv"));
}

void TstDecoderPipe::tags_data()
{
    QTest::addColumn<QString>("kind");
    for (const char* kind : {"flac", "ogg", "opus", "aiff", "m4a", "wv", "wav"})
        QTest::newRow(kind) << QString::fromLatin1(kind);
}

void TstDecoderPipe::tags()
{
    QFETCH(QString, kind);
    const QString path = Path(QStringLiteral("tags.") + kind);
    Tags given{QStringLiteral("Звезда по имени Солнце"), QStringLiteral("Кино"),
               QStringLiteral("Звезда"), QStringLiteral("1989-06-21"), QStringLiteral("rock"),
               QStringLiteral("3/12"), QStringLiteral("Комментарий")};
    QVERIFY(SourceFixture::Make(path, kind, given, 0.5));
    const TSourceTags tags = SourceTags(path);
    QCOMPARE(tags.Title.value_or("<none>"), given.title);
    QCOMPARE(tags.Artist.value_or("<none>"), given.artist);
    QCOMPARE(tags.Album.value_or("<none>"), given.album);
    QCOMPARE(tags.Year.value_or("<none>"), QStringLiteral("1989"));
    QCOMPARE(int(tags.Genre.value_or(0)), 17); // "Rock", whatever the case
    QCOMPARE(int(tags.Track.value_or(0)), 3);
    if (kind != QLatin1String("wav")) // RIFF INFO has a comment field, ffmpeg writes none
        QCOMPARE(tags.Comment.value_or("<none>"), given.comment);
}

void TstDecoderPipe::damagedTagsReadAsNone()
{
    const QString flac = Path(QStringLiteral("damaged.flac"));
    QVERIFY(TestUtil::WriteFile(flac, QByteArray("fLaC\x00\x00\x00\x22", 8) + QByteArray(40, '\xff')));
    QVERIFY(!SourceTags(flac).Any());
    const QString foreign = Path(QStringLiteral("text.ogg"));
    QVERIFY(TestUtil::WriteFile(foreign, "not an Ogg stream at all"));
    QVERIFY(!SourceTags(foreign).Any());
    QVERIFY(!SourceTags(Path(QStringLiteral("missing.flac"))).Any());

    QCOMPARE(int(TSourceTags::GenreIndex(QStringLiteral(" BLUES "))), 0);
    QCOMPARE(int(TSourceTags::GenreIndex(QStringLiteral("Death Metal"))), 22);
    QCOMPARE(TSourceTags::GenreIndex(QStringLiteral("Dungeon Synth")), NoGenre);
}

void TstDecoderPipe::audioFacts()
{
    const QString flac = Path(QStringLiteral("hires.flac"));
    QVERIFY(SourceFixture::Make(flac, QStringLiteral("flac"), {}, 1.5, 48000, 24));
    const TSourceAudio audio = Audio(flac);
    QCOMPARE(audio.bitsPerSample, 24);
    QCOMPARE(audio.sampleRate, 48000);
    QCOMPARE(audio.channels, 2);
    // To the fraction of a second: the time left is estimated from it.
    QVERIFY2(qAbs(audio.durationMs - 1500) <= 20, qPrintable(QString::number(audio.durationMs)));
    // Only the reader looks inside such a source, for the time left as well.
    QVERIFY(!TAudioDuration::OfFile(flac));
    const QString opus = Path(QStringLiteral("lossy.opus"));
    QVERIFY(SourceFixture::Make(opus, QStringLiteral("opus"), {}, 1.0));
    QCOMPARE(Audio(opus).bitsPerSample, 0);
}

void TstDecoderPipe::coverArt()
{
    QTemporaryDir album(m_dir.filePath(QStringLiteral("album-XXXXXX")));
    const QString plain = album.filePath(QStringLiteral("01.flac"));
    QVERIFY(SourceFixture::Make(plain, QStringLiteral("flac"), {}, 0.3));
    QVERIFY(Cover(plain).data.isEmpty() && Cover(plain).file.isEmpty());

    // Folder images in their order of preference, whatever their case.
    QVERIFY(TestUtil::WriteFile(album.filePath(QStringLiteral("Cover.PNG")), "\x89PNG-cover"));
    QCOMPARE(Cover(plain).file, album.filePath(QStringLiteral("Cover.PNG")));
    QVERIFY(TestUtil::WriteFile(album.filePath(QStringLiteral("FOLDER.jpg")), "folder-jpeg"));
    QCOMPARE(Cover(plain).file, album.filePath(QStringLiteral("FOLDER.jpg")));

    // An embedded front cover wins over the folder's.
    const QString picture = m_dir.filePath(QStringLiteral("front.png"));
    QByteArray png = QByteArray::fromBase64(
        "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==");
    QVERIFY(TestUtil::WriteFile(picture, png));
    QVERIFY(SourceFixture::Run(QStringLiteral("metaflac"),
                               {QStringLiteral("--import-picture-from=3||||") + picture, plain}));
    const TCoverArt art = Cover(plain);
    QCOMPARE(art.data, png);
    QCOMPARE(art.suffix, QStringLiteral("png"));
    QVERIFY(art.file.isEmpty());

    // Among several pictures the front cover wins, before or after the others.
    const QString back = m_dir.filePath(QStringLiteral("back.jpg"));
    QVERIFY(TestUtil::WriteFile(back, "back-jpeg"));
    const QString backPicture = QStringLiteral("--import-picture-from=4|image/jpeg||1x1x24|") + back;
    QVERIFY(SourceFixture::Run(QStringLiteral("metaflac"), {backPicture, plain}));
    QCOMPARE(Cover(plain).data, png);
    QVERIFY(SourceFixture::Run(QStringLiteral("metaflac"),
                               {QStringLiteral("--remove"), QStringLiteral("--block-type=PICTURE"), plain}));
    QVERIFY(SourceFixture::Run(QStringLiteral("metaflac"),
                               {backPicture, QStringLiteral("--import-picture-from=3||||") + picture, plain}));
    QCOMPARE(Cover(plain).data, png);
}

// The pipe itself, with a reader that swallows the stream in place of lame:
// the percent climbs to 100 for a whole source, and a damaged one is
// decoded on past the damage (the run's check of the output judges it),
// with ffmpeg's own words kept for the reason.
void TstDecoderPipe::pipeReportsProgressAndFailure()
{
    const QString flac = Path(QStringLiteral("long.flac"));
    QVERIFY(SourceFixture::Make(flac, QStringLiteral("flac"), {}, 20.0));
    QByteArray bytes = TestUtil::ReadFile(flac);
    for (qsizetype i = bytes.size() / 2; i < bytes.size() / 2 + 200; ++i)
        bytes[i] = 'X';
    const QString bad = Path(QStringLiteral("bad.flac"));
    QVERIFY(TestUtil::WriteFile(bad, bytes));

    for (const QString& source : {flac, bad}) {
        TEncoderProcess reader;
        auto* pipe = new TDecoderPipe(&reader);
        QSignalSpy percents(pipe, &TDecoderPipe::PercentChanged);
        QVERIFY(pipe->Prepare(QString(), source, Audio(source), nullptr));
        QSignalSpy ended(&reader, &TEncoderProcess::Ended);
        QVERIFY(reader.Start(QStringLiteral("/bin/sh"), {"-c", "cat > /dev/null"}, m_dir.path(),
                             pipe->Feeder()));
        pipe->Start();
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 30000);
        bool decoderEnded = false;
        pipe->WhenEnded([&decoderEnded] { decoderEnded = true; });
        QTRY_VERIFY(decoderEnded);
        if (source == flac) {
            QVERIFY(!pipe->Outcome().failed);
            QVERIFY(pipe->FailureReason(false).isEmpty());
            QVERIFY(!percents.isEmpty());
            QCOMPARE(percents.last().at(0).toInt(), 100);
        } else {
            QVERIFY(!pipe->Outcome().failed);
            const QString message = pipe->LastMessage();
            QVERIFY2(!message.isEmpty() && !message.contains(QStringLiteral("0x")),
                     qPrintable(message));
        }
        QVERIFY(pipe->Decoded().Known());
    }
    // An encoder that gives up at once: the decoder loses its reader and
    // ends soon, well before its grace runs out, and takes no blame.
    {
        TEncoderProcess reader;
        auto* pipe = new TDecoderPipe(&reader);
        QVERIFY(pipe->Prepare(QString(), flac, Audio(flac), nullptr));
        QSignalSpy ended(&reader, &TEncoderProcess::Ended);
        QVERIFY(reader.Start(QStringLiteral("/bin/sh"), {"-c", "exit 3"}, m_dir.path(),
                             pipe->Feeder()));
        pipe->Start();
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 30000);
        QElapsedTimer clock;
        clock.start();
        bool decoderEnded = false;
        pipe->WhenEnded([&decoderEnded] { decoderEnded = true; }, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(decoderEnded, 30000);
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(pipe->FailureReason(true).isEmpty());
    }
    QString missing;
    TDecoderPipe pipe;
    QVERIFY(!pipe.Prepare(Path(QStringLiteral("no-ffmpeg")), flac, TSourceAudio(), &missing));
    QCOMPARE(missing, QStringLiteral("Не найден декодер ffmpeg"));
}

QTEST_GUILESS_MAIN(TstDecoderPipe)
#include "tst_decoderpipe.moc"
