#include "audioduration.h"
#include "encoder.h"
#include "testutil.h"

#include <QBuffer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

QByteArray Le32(quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    return QByteArray(b, 4);
}

QByteArray Le16(quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    return QByteArray(b, 2);
}

QByteArray Chunk(const char* id, const QByteArray& body)
{
    QByteArray c = QByteArray(id, 4) + Le32(quint32(body.size())) + body;
    if (body.size() % 2)
        c += '\0';
    return c;
}

QByteArray Format(quint16 tag, int channels, int rate, int bits)
{
    const int block = channels * bits / 8;
    return Le16(tag) + Le16(quint16(channels)) + Le32(quint32(rate)) + Le32(quint32(rate * block))
           + Le16(quint16(block)) + Le16(quint16(bits));
}

QByteArray Riff(const QByteArray& chunks)
{
    return "RIFF" + Le32(quint32(4 + chunks.size())) + "WAVE" + chunks;
}

// One MPEG audio frame of a stream without CRC, padding or side data: a
// header and zeros (nothing here reads further than the header).
struct Stream
{
    int versionBits; // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    int layerBits;   // 1 layer 3, 2 layer 2, 3 layer 1
    int bitrateIndex;
    int rateIndex;
    int length;      // bytes per frame, as the standard gives it
    int samples;     // per frame
    int rate;
};

QByteArray Frame(const Stream& s, const QByteArray& payload = QByteArray())
{
    QByteArray f(s.length, '\0');
    f[0] = char(0xFF);
    f[1] = char(0xE0 | s.versionBits << 3 | s.layerBits << 1 | 1);
    f[2] = char(s.bitrateIndex << 4 | s.rateIndex << 2);
    f[3] = char(0x00); // stereo
    f.replace(4, payload.size(), payload);
    return f;
}

QByteArray Frames(const Stream& s, int n)
{
    QByteArray out;
    out.reserve(qsizetype(s.length) * n);
    for (int i = 0; i < n; ++i)
        out += Frame(s);
    return out;
}

QByteArray Be32(quint32 v)
{
    char b[4];
    qToBigEndian(v, b);
    return QByteArray(b, 4);
}

// An ID3v2.3 tag of size bytes of body, with a frame sync inside it.
QByteArray Id3v2(int size)
{
    QByteArray body(size, 'x');
    body[10] = char(0xFF);
    body[11] = char(0xFB);
    QByteArray h = "ID3";
    h += char(3);
    h += char(0);
    h += char(0);
    for (int shift : {21, 14, 7, 0})
        h += char((size >> shift) & 0x7f);
    return h + body;
}

const Stream kLayer3{3, 1, 9, 0, 417, 1152, 44100};  // 128 kbit/s, 44.1 kHz
const Stream kMpeg2{2, 1, 8, 0, 208, 576, 22050};    // 64 kbit/s
const Stream kMpeg25{0, 1, 4, 2, 288, 576, 8000};    // 32 kbit/s
const Stream kLayer2{3, 2, 10, 1, 576, 1152, 48000}; // 192 kbit/s
const Stream kLayer1{3, 3, 4, 0, 136, 384, 44100};   // 128 kbit/s

double Seconds(const Stream& s, qint64 frames)
{
    return double(frames) * s.samples / s.rate;
}

} // namespace

Q_DECLARE_METATYPE(std::optional<double>)

// The audio length the run's estimate of the time left goes by.
class TstAudioDuration final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void wav_data();
    void wav();
    void mpegFrames_data();
    void mpegFrames();
    void encodedByLame_data();
    void encodedByLame();
};

void TstAudioDuration::wav_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<std::optional<double>>("seconds");

    const QByteArray stereo = Chunk("fmt ", Format(1, 2, 44100, 16));
    const QByteArray second(44100 * 4, '\0');
    QTest::newRow("PCM stereo, one second") << Riff(stereo + Chunk("data", second))
                                            << std::optional<double>(1.0);
    QTest::newRow("mono 8 kHz, a list chunk of odd size before the data")
        << Riff(Chunk("fmt ", Format(1, 1, 8000, 16)) + Chunk("LIST", "odd")
                + Chunk("data", QByteArray(8000 * 2 * 3, '\0')))
        << std::optional<double>(3.0);
    // A streaming writer's size fields: the file's end gives the length.
    for (quint32 size : {0u, 0xFFFFFFFFu}) {
        QTest::addRow("data size %08x", size)
            << Riff(stereo + "data" + Le32(size) + second + second) << std::optional<double>(2.0);
    }
    QTest::newRow("cut short") << Riff(stereo + "data" + Le32(second.size() * 4) + second)
                               << std::optional<double>(1.0);
    QTest::newRow("compressed with a fact chunk")
        << Riff(Chunk("fmt ", Format(0x55, 2, 44100, 0) + Le16(0)) + Chunk("fact", Le32(22050))
                + Chunk("data", QByteArray(1000, '\0')))
        << std::optional<double>(0.5);

    QTest::newRow("three bytes") << QByteArray("wav") << std::optional<double>();
    QTest::newRow("empty") << QByteArray() << std::optional<double>();
    QTest::newRow("no format chunk") << Riff(Chunk("data", second)) << std::optional<double>();
    QTest::newRow("no data chunk") << Riff(stereo) << std::optional<double>();
    QTest::newRow("header cut inside the format")
        << Riff(stereo).left(24) << std::optional<double>();
    QTest::newRow("byte rate zero")
        << Riff(Chunk("fmt ", QByteArray(16, '\0')) + Chunk("data", second)) << std::optional<double>();
}

void TstAudioDuration::wav()
{
    QFETCH(QByteArray, file);
    QFETCH(std::optional<double>, seconds);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.wav"));
    QVERIFY(TestUtil::WriteFile(path, file));
    const std::optional<double> read = TAudioDuration::OfFile(path);
    QCOMPARE(read.has_value(), seconds.has_value());
    if (seconds)
        QVERIFY2(qAbs(*read - *seconds) < 1e-6, qPrintable(QString::number(*read)));
}

void TstAudioDuration::mpegFrames_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<std::optional<double>>("seconds");
    QTest::addColumn<double>("tolerance");

    const auto row = [](const char* tag, const QByteArray& file, std::optional<double> s,
                        double tolerance = 1e-6) {
        QTest::newRow(tag) << file << s << tolerance;
    };
    row("MPEG-1 layer 3", Frames(kLayer3, 1000), Seconds(kLayer3, 1000));
    row("MPEG-2 layer 3", Frames(kMpeg2, 500), Seconds(kMpeg2, 500));
    row("MPEG-2.5 layer 3", Frames(kMpeg25, 200), Seconds(kMpeg25, 200));
    row("MPEG-1 layer 2", Frames(kLayer2, 300), Seconds(kLayer2, 300));
    row("MPEG-1 layer 1", Frames(kLayer1, 400), Seconds(kLayer1, 400));
    row("ID3v2 tag with a stray sync inside", Id3v2(3000) + Frames(kLayer3, 50), Seconds(kLayer3, 50));
    row("junk between frames, ID3v1 at the end",
        Frames(kLayer3, 20) + "junk" + Frames(kLayer3, 30) + "TAG" + QByteArray(125, 'y'),
        Seconds(kLayer3, 50));
    // The frame count of a Xing or VBRI frame is believed, however many
    // frames follow.
    row("Xing frame count", Frame(kLayer3, QByteArray(32, '\0') + "Xing" + Be32(1) + Be32(12345))
                                + Frames(kLayer3, 9),
        Seconds(kLayer3, 12345));
    row("Info without a frame count: frames walked",
        Frame(kLayer3, QByteArray(32, '\0') + "Info" + Be32(0)) + Frames(kLayer3, 9),
        Seconds(kLayer3, 10));
    row("VBRI frame count",
        Frame(kLayer3, QByteArray(32, '\0') + "VBRI" + QByteArray(10, '\0') + Be32(777))
            + Frames(kLayer3, 9),
        Seconds(kLayer3, 777));
    // Past the walking limit the rest is taken to be like what was seen.
    const int many = int(TAudioDuration::MaxScanBytes / kLayer3.length) * 3 / 2;
    row("beyond the walking limit", Frames(kLayer3, many), Seconds(kLayer3, many),
        Seconds(kLayer3, many) * 0.005);

    row("no frames", QByteArray(5000, 'z'), std::nullopt);
    row("a single sync without a second frame", "\xff\xfb\x90\x00" + QByteArray(5000, 'z'),
        std::nullopt);
    row("only a tag", Id3v2(100), std::nullopt);
}

void TstAudioDuration::mpegFrames()
{
    QFETCH(QByteArray, file);
    QFETCH(std::optional<double>, seconds);
    QFETCH(double, tolerance);

    QBuffer buffer(&file);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    const std::optional<double> read = TAudioDuration::OfMpeg(buffer);
    QCOMPARE(read.has_value(), seconds.has_value());
    if (seconds)
        QVERIFY2(qAbs(*read - *seconds) <= tolerance,
                 qPrintable(QStringLiteral("%1 instead of %2").arg(*read).arg(*seconds)));
}

void TstAudioDuration::encodedByLame_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");

    QTest::newRow("CBR with its Info frame") << QStringList{"-b", "128"} << 44100 << 2;
    QTest::newRow("VBR with its Xing frame") << QStringList{"-V", "4"} << 44100 << 2;
    QTest::newRow("CBR without the frame: walked") << QStringList{"-b", "96", "-t"} << 44100 << 2;
    QTest::newRow("VBR without the frame: walked") << QStringList{"-V", "2", "-t"} << 44100 << 1;
    QTest::newRow("MPEG-2 at 22.05 kHz, with ID3v2") << QStringList{"--add-id3v2", "--tt", "x"}
                                                     << 22050 << 1;
    QTest::newRow("MPEG-2.5 at 8 kHz, walked") << QStringList{"-t"} << 8000 << 1;
}

// Real MP3 files come out as long as their WAV sources, give or take the
// encoder's delay and padding (a few frames).
void TstAudioDuration::encodedByLame()
{
    QFETCH(QStringList, options);
    QFETCH(int, rate);
    QFETCH(int, channels);
    const Encoder::Location lame = Encoder::Locate();
    if (!lame.errorName.isEmpty())
        QSKIP("lame is not installed");

    QTemporaryDir dir;
    const double seconds = 2.5;
    const QString wav = dir.filePath(QStringLiteral("in.wav"));
    const QString mp3 = dir.filePath(QStringLiteral("out.mp3"));
    QVERIFY(TestUtil::WriteWav(wav, seconds, rate, channels));
    QProcess encoder;
    encoder.setProcessChannelMode(QProcess::MergedChannels);
    encoder.start(lame.program, QStringList{"--quiet"} << options << wav << mp3);
    QVERIFY(encoder.waitForFinished(30000));
    QCOMPARE(encoder.exitCode(), 0);

    const std::optional<double> read = TAudioDuration::OfFile(mp3);
    QVERIFY(read.has_value());
    const double frame = (rate >= 32000 ? 1152.0 : 576.0) / rate;
    QVERIFY2(*read >= seconds - frame && *read <= seconds + 4 * frame,
             qPrintable(QStringLiteral("%1 s, %2 frames over").arg(*read).arg((*read - seconds) / frame)));
}

QTEST_GUILESS_MAIN(TstAudioDuration)
#include "tst_audioduration.moc"
