// The parsers behind the content checks, on bytes made here: what a source
// is by its first bytes and how it reaches lame, the walk over an MP3's
// frames, and the judgments of an output's length.

#include "mp3frames.h"
#include "outputcheck.h"
#include "sourcekind.h"
#include "sourceroute.h"

#include <QBuffer>
#include <QtEndian>
#include <QtTest>

#include <cmath>

using Family = TSourceKind::Family;
using Samples = TSourceKind::Samples;
using Problem = TMp3Frames::Problem;
using Way = TSourceRoute::Way;

namespace {

QByteArray Le16(int v)
{
    char b[2];
    qToLittleEndian(quint16(v), b);
    return QByteArray(b, 2);
}

QByteArray Le32(quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    return QByteArray(b, 4);
}

QByteArray Be32(quint32 v)
{
    char b[4];
    qToBigEndian(v, b);
    return QByteArray(b, 4);
}

QByteArray Chunk(const char* id, const QByteArray& body)
{
    return QByteArray(id, 4) + Le32(quint32(body.size())) + body;
}

// A WAV of frames zero samples; format 0xFFFE is extensible with subformat.
QByteArray Wav(int format, int channels, int bits, int frames = 100, int subformat = 1)
{
    const int blockAlign = qMax(1, channels * bits / 8);
    QByteArray fmt = Le16(format) + Le16(channels) + Le32(44100) + Le32(44100 * blockAlign)
                     + Le16(blockAlign) + Le16(bits);
    if (format == 0xFFFE)
        fmt += Le16(22) + Le16(bits) + Le32(3) + Le16(subformat)
               + QByteArray("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71", 14);
    const QByteArray body = QByteArray("WAVE") + Chunk("fmt ", fmt)
                            + Chunk("data", QByteArray(frames * blockAlign, '\0'));
    return "RIFF" + Le32(quint32(body.size())) + body;
}

// MPEG-1 layer III, 128 kbit/s, 44.1 kHz, stereo, no padding: 417 bytes.
constexpr quint32 kHeader = 0xFFFB9004;
constexpr int kFrameBytes = 417;

QByteArray Frames(int count, quint32 header = kHeader)
{
    const QByteArray bytes = Be32(header);
    TMpegFrame f;
    if (!TMpegFrame::Parse(bytes.constData(), &f))
        return QByteArray();
    return (bytes + QByteArray(f.length - 4, '\0')).repeated(count);
}

// An information frame of lame's: "Info" after the side information, the
// frame count, then the LAME tag with delay and padding.
QByteArray InfoFrame(quint32 frames, int delay, int padding)
{
    QByteArray f = Frames(1);
    f.replace(36, 4, "Info");
    f.replace(40, 4, Be32(1));
    f.replace(44, 4, Be32(frames));
    f.replace(48, 9, "LAME3.100");
    f[48 + 21] = char(delay >> 4);
    f[48 + 22] = char((delay & 0x0f) << 4 | padding >> 8);
    f[48 + 23] = char(padding & 0xff);
    return f;
}

QByteArray Id3v2(int bodySize)
{
    QByteArray size(4, '\0');
    for (int i = 0; i < 4; ++i)
        size[3 - i] = char((bodySize >> (7 * i)) & 0x7f);
    return QByteArray("ID3\x03\x00\x00", 6) + size + QByteArray(bodySize, '\0');
}

QByteArray Id3v1() { return QByteArray("TAG") + QByteArray(125, ' '); }

QByteArray ApeTag()
{
    const QByteArray items(40, 'i');
    return items + "APETAGEX" + Le32(2000) + Le32(quint32(items.size() + 32)) + Le32(1) + Le32(0)
           + QByteArray(8, '\0');
}

QByteArray Ogg(const QByteArray& packet)
{
    return QByteArray("OggS") + QByteArray(22, '\0') + char(1) + char(packet.size()) + packet;
}

QByteArray Box(const char* type, const QByteArray& body)
{
    return Be32(quint32(body.size() + 8)) + QByteArray(type, 4) + body;
}

QByteArray Mp4(const char* brand, const char* handler, bool movieFirst)
{
    const QByteArray ftyp = Box("ftyp", QByteArray(brand, 4) + Be32(0) + "isom");
    const QByteArray hdlr = Box("hdlr", QByteArray(8, '\0') + QByteArray(handler, 4) + QByteArray(12, '\0'));
    const QByteArray moov = Box("moov", Box("trak", Box("mdia", hdlr)));
    const QByteArray mdat = Box("mdat", QByteArray(5000, '\x55'));
    return movieFirst ? ftyp + moov + mdat : ftyp + mdat + moov;
}

QByteArray WavPack(quint32 flags)
{
    return QByteArray("wvpk") + Le32(100) + Le16(0x410) + QByteArray(2, '\0') + Le32(0) + Le32(0)
           + Le32(0) + Le32(flags) + Le32(0) + QByteArray(100, '\0');
}

TSourceKind KindOf(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return TSourceKind::Of(buffer);
}

TMp3Frames::Verdict Walk(const QByteArray& bytes, TMp3Frames::Mode mode, qsizetype piece)
{
    TMp3Frames walk(mode);
    for (qsizetype at = 0; at < bytes.size(); at += piece)
        walk.Feed(QByteArrayView(bytes.constData() + at, qMin(piece, bytes.size() - at)));
    return walk.Finish();
}

} // namespace

class TstContentChecks final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void kinds_data();
    void kinds();
    void routes_data();
    void routes();
    void walk_data();
    void walk();
    void judgeMp3_data();
    void judgeMp3();
    void judgeWav_data();
    void judgeWav();
    void durations();
};

void TstContentChecks::kinds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Family>("family");
    QTest::addColumn<QString>("name");
    QTest::addColumn<Samples>("samples");
    QTest::addColumn<bool>("lameReads");
    QTest::addColumn<QString>("detail");

    QByteArray pcm;
    for (int i = 0; i < 2000; ++i)
        pcm += Le16(int(8000 * std::sin(i / 7.0)));
    QByteArray dataFirst = Wav(1, 2, 16);
    dataFirst.replace(12, 24, QByteArray()); // the fmt chunk gone
    QByteArray shortFmt = Wav(1, 2, 16);
    shortFmt.replace(16, 4, Le32(8));

    const auto row = [](const char* tag, const QByteArray& b, Family f, const QString& n,
                        Samples s = Samples::Unknown, bool lame = false, const QString& d = {}) {
        QTest::newRow(tag) << b << f << n << s << lame << d;
    };
    row("PCM, 16 bits, stereo", Wav(1, 2, 16), Family::Wav, "WAV", Samples::Integer, true);
    row("PCM, 8 bits, mono", Wav(1, 1, 8), Family::Wav, "WAV", Samples::Integer, true);
    row("PCM, 24 bits, extensible", Wav(0xFFFE, 2, 24), Family::Wav, "WAV", Samples::Integer, true);
    row("PCM, 32 bits", Wav(1, 2, 32), Family::Wav, "WAV", Samples::Integer, true);
    row("float, 32 bits", Wav(3, 2, 32), Family::Wav, "WAV", Samples::Float, false,
        "32 бит, плавающая точка");
    row("float, 64 bits, extensible", Wav(0xFFFE, 2, 64, 100, 3), Family::Wav, "WAV",
        Samples::Float, false, "64 бит, плавающая точка");
    row("six channels", Wav(1, 6, 16), Family::Wav, "WAV", Samples::Integer, false, "каналов: 6");
    row("12 bits", Wav(1, 2, 12), Family::Wav, "WAV", Samples::Integer, false, "12 бит");
    row("64-bit integers", Wav(1, 2, 64), Family::Wav, "WAV", Samples::Integer, false, "64 бит");
    row("A-law", Wav(6, 1, 8), Family::Wav, "WAV", Samples::Unknown, false, "формат 0x0006");
    QByteArray foreign = Wav(0xFFFE, 2, 16);
    foreign[foreign.indexOf(QByteArray("\x10\x00\x80", 3)) + 1] = 'x';
    row("extensible, foreign sub-format", foreign, Family::Wav, "WAV", Samples::Unknown, false,
        "неизвестный подформат");
    row("40-byte WAV", Wav(1, 2, 16).left(40), Family::DamagedWav, "WAV", Samples::Unknown, false,
        "нет блока данных");
    row("data before fmt", dataFirst, Family::DamagedWav, "WAV", Samples::Unknown, false,
        "нет блока fmt");
    row("fmt too short", shortFmt, Family::DamagedWav, "WAV", Samples::Unknown, false,
        "неверный блок fmt");
    row("RIFF cut short", QByteArray("RIFF\x10\x00", 6), Family::DamagedWav, "WAV",
        Samples::Unknown, false, "нет заголовка");
    row("PCM without a header", pcm, Family::Unknown, "");
    row("text", "Это не звук, а текст.\nВторая строка\n", Family::Text, "текстовый файл");
    row("empty", QByteArray(), Family::Unknown, "");
    row("FLAC", QByteArray("fLaC\x00\x00\x00\x22", 8) + QByteArray(40, '\0'), Family::Audio,
        "FLAC", Samples::Integer);
    row("ID3v2, then FLAC", Id3v2(100) + "fLaC" + QByteArray(40, '\0'), Family::Audio, "FLAC",
        Samples::Integer);
    row("Ogg Vorbis", Ogg("\x01vorbis" + QByteArray(23, '\0')), Family::Audio, "Ogg Vorbis",
        Samples::Lossy);
    row("Opus", Ogg("OpusHead" + QByteArray(11, '\0')), Family::Audio, "Opus", Samples::Lossy);
    row("Ogg Theora", Ogg("\x80theora" + QByteArray(30, '\0')), Family::Video, "видео Ogg");
    row("M4A", Mp4("M4A ", "soun", true), Family::Audio, "M4A");
    row("MP4 video", Mp4("isom", "vide", true), Family::Video, "видео MP4");
    row("MP4 video, movie box last", Mp4("mp42", "vide", false), Family::Video, "видео MP4");
    row("MP4 sound only, movie box last", Mp4("isom", "soun", false), Family::Audio, "M4A");
    row("MP3", Frames(3), Family::Mpeg, "MP3", Samples::Lossy);
    row("MP3 of one frame", Frames(1), Family::Mpeg, "MP3", Samples::Lossy);
    row("ID3v2 and padding, then MP3", Id3v2(300) + QByteArray(20, '\0') + Frames(3),
        Family::Mpeg, "MP3", Samples::Lossy);
    row("MP2", Frames(3, 0xFFFD9004), Family::Mpeg, "MP2", Samples::Lossy);
    row("a lone frame sync", Frames(1) + QByteArray(500, '\x11'), Family::Unknown, "");
    row("ADTS AAC", QByteArray("\xff\xf1\x50\x80\x02\x1f\xfc", 7) + QByteArray(100, '\0'),
        Family::Audio, "AAC", Samples::Lossy);
    row("WavPack", WavPack(0x1), Family::Audio, "WavPack", Samples::Integer);
    row("WavPack, float", WavPack(0x83), Family::Audio, "WavPack", Samples::Float);
    row("WavPack, DSD", WavPack(0x80000000u), Family::Audio, "WavPack", Samples::Dsd);
    row("Musepack", QByteArray("MPCK") + QByteArray(40, '\0'), Family::Audio, "Musepack",
        Samples::Lossy);
    row("AIFF", QByteArray("FORM\x00\x00\x00\x40" "AIFF", 12) + QByteArray(40, '\0'),
        Family::Audio, "AIFF", Samples::Integer);
    row("AVI", QByteArray("RIFF\x40\x00\x00\x00" "AVI ", 12) + QByteArray(40, '\0'),
        Family::Video, "видео AVI");
}

void TstContentChecks::kinds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Family, family);
    QFETCH(QString, name);
    QFETCH(Samples, samples);
    QFETCH(bool, lameReads);
    QFETCH(QString, detail);
    const TSourceKind kind = KindOf(bytes);
    QCOMPARE(kind.family, family);
    QCOMPARE(kind.name, name);
    QCOMPARE(kind.samples, samples);
    QCOMPARE(kind.lameReads, lameReads);
    QCOMPARE(kind.detail, detail);
    if (family == Family::Wav && samples != Samples::Unknown)
        QCOMPARE(kind.frames, qint64(100));
}

void TstContentChecks::routes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("decoderAllowed");
    QTest::addColumn<Way>("way");
    QTest::addColumn<QString>("reason");

    const QByteArray text = "Это не звук";
    QTest::newRow("WAV lame reads") << Wav(1, 2, 16) << 0 << false << Way::Lame << "";
    QTest::newRow("float WAV, whatever the setting")
        << Wav(3, 2, 32) << 0 << false << Way::Decoder << "WAV (32 бит, плавающая точка)";
    QTest::newRow("damaged WAV") << Wav(1, 2, 16).left(40) << 0 << true << Way::Refused
                                 << "Повреждённый WAV-файл: нет блока данных";
    QTest::newRow("M4A, decoder not allowed")
        << Mp4("M4A ", "soun", true) << 0 << false << Way::Refused
        << "Не WAV-файл: это M4A (включите «Сжимать также…»)";
    QTest::newRow("M4A, decoder allowed") << Mp4("M4A ", "soun", true) << 0 << true << Way::Decoder << "";
    QTest::newRow("MP3 to encode, not allowed")
        << Frames(3) << 0 << false << Way::Refused
        << "Не WAV-файл: это MP3 (включите «Сжимать также…»)";
    QTest::newRow("text to encode") << text << 0 << true << Way::Refused
                                    << "Не WAV-файл: это текстовый файл";
    QTest::newRow("unknown to encode") << QByteArray(64, '\0') << 0 << true << Way::Refused
                                       << "Не WAV-файл: формат не распознан";
    QTest::newRow("MP3 to decode") << Frames(3) << 1 << false << Way::Lame << "";
    QTest::newRow("ID3v2 and MP3 to decode") << Id3v2(10) + Frames(3) << 1 << false << Way::Lame << "";
    QTest::newRow("MP4 video to decode") << Mp4("isom", "vide", true) << 1 << true << Way::Refused
                                         << "Не MPEG-аудио: видео MP4";
    QTest::newRow("text to decode") << text << 1 << true << Way::Refused
                                    << "Не MPEG-аудио: текстовый файл";
    QTest::newRow("Musepack to decode") << QByteArray("MPCK") + QByteArray(40, '\0') << 1 << true
                                        << Way::Refused << "Не MPEG-аудио: Musepack";
    QTest::newRow("WAV to decode") << Wav(1, 2, 16) << 1 << true << Way::Refused
                                   << "Не MPEG-аудио: WAV";
    QTest::newRow("damaged WAV to decode") << Wav(1, 2, 16).left(40) << 1 << true << Way::Refused
                                           << "Не MPEG-аудио: повреждённый WAV-файл";
}

void TstContentChecks::routes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, mode);
    QFETCH(bool, decoderAllowed);
    QFETCH(Way, way);
    QFETCH(QString, reason);
    const TSourceRoute route = TSourceRoute::For(KindOf(bytes), mode, decoderAllowed);
    QCOMPARE(route.way, way);
    QCOMPARE(route.reason, reason);
}

void TstContentChecks::walk_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("strict");
    QTest::addColumn<Problem>("problem");
    QTest::addColumn<qint64>("at");
    QTest::addColumn<qint64>("frames");

    const qint64 f = kFrameBytes;
    const QByteArray tagged = Id3v2(200) + InfoFrame(10, 576, 792) + Frames(10);
    QTest::newRow("frames") << Frames(10) << true << Problem::None << qint64(0) << qint64(10);
    QTest::newRow("ID3v2, Info frame, frames, APE and ID3v1")
        << tagged + ApeTag() + Id3v1() << true << Problem::None << qint64(0) << qint64(10);
    QTest::newRow("empty") << QByteArray() << true << Problem::NoFrames << qint64(0) << qint64(0);
    QTest::newRow("ID3v2 only") << Id3v2(200) << true << Problem::NoFrames << qint64(210) << qint64(0);
    QTest::newRow("Info frame only") << InfoFrame(0, 576, 792) << true << Problem::NoFrames
                                     << f << qint64(0);
    QTest::newRow("junk first") << QByteArray("junk") + Frames(3) << true << Problem::Junk
                                << qint64(0) << qint64(0);
    QTest::newRow("junk between frames") << Frames(4) + "junk" + Frames(4) << true << Problem::Junk
                                         << 4 * f << qint64(4);
    QTest::newRow("a frame of another stream") << Frames(4) + Frames(1, 0xFFF39004) + Frames(2)
                                               << true << Problem::Junk << 4 * f << qint64(4);
    QTest::newRow("last frame cut") << Frames(5).left(5 * f - 100) << true << Problem::CutFrame
                                    << 4 * f << qint64(5);
    QTest::newRow("Info frame counts more") << InfoFrame(20, 576, 792) + Frames(10) << true
                                            << Problem::Count << 10 * f << qint64(10);
    QTest::newRow("ID3v1 not at the end") << Frames(3) + Id3v1() + "x" << true << Problem::Junk
                                          << 3 * f << qint64(3);
    QTest::newRow("ID3v2 cut") << Id3v2(200).left(100) << true << Problem::NoFrames << qint64(210)
                               << qint64(0);
    QTest::newRow("lenient: junk passed by") << QByteArray("junk") + Frames(4) + "junk" + Frames(4)
                                             << false << Problem::None << qint64(0) << qint64(8);
    QTest::newRow("lenient: nothing at all") << QByteArray(3000, '\x77') << false
                                             << Problem::NoFrames << qint64(3000) << qint64(0);
}

void TstContentChecks::walk()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, strict);
    QFETCH(Problem, problem);
    QFETCH(qint64, at);
    QFETCH(qint64, frames);
    const auto mode = strict ? TMp3Frames::Mode::Strict : TMp3Frames::Mode::Lenient;
    // However the bytes come, the verdict is the same.
    for (qsizetype piece : {qsizetype(1 << 20), qsizetype(1), qsizetype(7), qsizetype(416)}) {
        const TMp3Frames::Verdict v = Walk(bytes, mode, piece);
        QCOMPARE(v.problem, problem);
        if (problem != Problem::None && problem != Problem::NoFrames)
            QCOMPARE(v.at, at);
        QCOMPARE(v.frames, frames);
    }
    if (QByteArray(QTest::currentDataTag()).startsWith("ID3v2, Info")) {
        const TMp3Frames::Verdict v = Walk(bytes, mode, 100);
        QCOMPARE(v.infoFrames, qint64(10));
        QCOMPARE(v.delay, 576);
        QCOMPARE(v.padding, 792);
        QCOMPARE(v.DecodedSamples(), qint64(10 * 1152 - 576 - 792));
        QCOMPARE(v.sampleRate, 44100);
        QCOMPARE(v.channels, 2);
    }
}

void TstContentChecks::judgeMp3_data()
{
    QTest::addColumn<qint64>("frames");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("delay");   // -1: no LAME tag
    QTest::addColumn<int>("padding");
    QTest::addColumn<qint64>("expected");
    QTest::addColumn<int>("expectedRate");
    QTest::addColumn<QString>("reason");

    // 10 s at 44.1 kHz, as lame 3.100 writes it: 384 frames, 576 + 792.
    QTest::newRow("exact") << qint64(384) << 44100 << 576 << 792 << qint64(441000) << 44100 << "";
    QTest::newRow("within a frame") << qint64(384) << 44100 << 576 << 792
                                    << qint64(441000 + 1100) << 44100 << "";
    QTest::newRow("more than a frame off")
        << qint64(384) << 44100 << 576 << 792 << qint64(441000 + 1300) << 44100
        << "Результат короче исходного: 0:10.00 из 0:10.03";
    QTest::newRow("half") << qint64(384) << 44100 << 576 << 792 << qint64(882000) << 44100
                          << "Результат короче исходного: 0:10 из 0:20";
    QTest::newRow("a tenth") << qint64(39) << 44100 << 576 << 1080 << qint64(441000) << 44100
                             << "Результат короче исходного: 0:01 из 0:10";
    QTest::newRow("longer") << qint64(384) << 44100 << 576 << 792 << qint64(44100) << 44100
                            << "Результат длиннее исходного: 0:10 из 0:01";
    // 3 s at 96 kHz, resampled by lame to 48 kHz: compared in time.
    QTest::newRow("resampled") << qint64(126) << 48000 << 576 << 576 << qint64(288000) << 96000 << "";
    QTest::newRow("milliseconds from the reader")
        << qint64(384) << 44100 << 576 << 792 << qint64(10000) << 1000 << "";
    QTest::newRow("microseconds from the decoder")
        << qint64(384) << 44100 << 576 << 792 << qint64(10007800) << 1000000 << "";
    // Without the tag: lame's delay is known, its padding is up to two frames.
    QTest::newRow("no tag") << qint64(384) << 44100 << -1 << -1 << qint64(441000) << 44100 << "";
    QTest::newRow("no tag, 10 ms") << qint64(2) << 44100 << -1 << -1 << qint64(441) << 44100 << "";
    QTest::newRow("no tag, short") << qint64(384) << 44100 << -1 << -1 << qint64(882000) << 44100
                                   << "Результат короче исходного: 0:10 из 0:20";
    QTest::newRow("no tag, long") << qint64(384) << 44100 << -1 << -1 << qint64(400000) << 44100
                                  << "Результат длиннее исходного: 0:10 из 0:09";
    QTest::newRow("unknown length") << qint64(1) << 44100 << -1 << -1 << qint64(-1) << 0 << "";
}

void TstContentChecks::judgeMp3()
{
    QFETCH(qint64, frames);
    QFETCH(int, rate);
    QFETCH(int, delay);
    QFETCH(int, padding);
    QFETCH(qint64, expected);
    QFETCH(int, expectedRate);
    QFETCH(QString, reason);
    TMp3Frames::Verdict v;
    v.problem = Problem::None;
    v.frames = frames;
    v.samplesPerFrame = 1152;
    v.sampleRate = rate;
    v.delay = delay;
    v.padding = padding;
    QCOMPARE(TOutputCheck::JudgeMp3(v, TAudioLength{expected, expectedRate}), reason);

    // A walk that failed says so, whatever the lengths.
    v.problem = Problem::NoFrames;
    QCOMPARE(TOutputCheck::JudgeMp3(v, TAudioLength{expected, expectedRate}),
             QStringLiteral("Результат пуст: в нём нет звука MPEG"));
}

void TstContentChecks::judgeWav_data()
{
    QTest::addColumn<QByteArray>("wav");
    QTest::addColumn<int>("delay"); // of the MP3 source; -1: no LAME tag
    QTest::addColumn<QString>("reason");

    // The MP3 source: 384 frames at 44.1 kHz, 10 s with its tag.
    QTest::newRow("as lame decodes a tagged MP3") << Wav(1, 2, 16, 441000) << 576 << "";
    QTest::newRow("as lame decodes an untagged one") << Wav(1, 2, 16, 441839) << -1 << "";
    QTest::newRow("half") << Wav(1, 2, 16, 220500) << 576
                          << "Результат короче исходного: 0:05 из 0:10";
    QTest::newRow("no WAV") << QByteArray("noise") << 576
                            << "Результат повреждён: это не WAV-файл PCM";
    QTest::newRow("damaged WAV") << Wav(1, 2, 16).left(40) << 576
                                 << "Результат повреждён: это не WAV-файл PCM";
}

void TstContentChecks::judgeWav()
{
    QFETCH(QByteArray, wav);
    QFETCH(int, delay);
    QFETCH(QString, reason);
    TMp3Frames::Verdict source;
    source.problem = Problem::None;
    source.frames = 384;
    source.samplesPerFrame = 1152;
    source.sampleRate = 44100;
    source.delay = delay;
    source.padding = delay < 0 ? -1 : 792;
    QCOMPARE(TOutputCheck::JudgeWav(KindOf(wav), source), reason);
}

void TstContentChecks::durations()
{
    QCOMPARE(TOutputCheck::Duration(0), QStringLiteral("0:00"));
    QCOMPARE(TOutputCheck::Duration(9.6), QStringLiteral("0:10"));
    QCOMPARE(TOutputCheck::Duration(62), QStringLiteral("1:02"));
    QCOMPARE(TOutputCheck::Duration(3723), QStringLiteral("1:02:03"));
    QCOMPARE(TOutputCheck::Duration(9.64, 1), QStringLiteral("0:09.6"));
    QCOMPARE(TOutputCheck::Duration(10.0295, 2), QStringLiteral("0:10.03"));
    QCOMPARE(TOutputCheck::Duration(-1), QStringLiteral("0:00"));
}

QTEST_GUILESS_MAIN(TstContentChecks)
#include "tst_contentchecks.moc"
