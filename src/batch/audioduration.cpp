#include "audioduration.h"

#include "decoderpipe.h"
#include "mp3frames.h"

#include <QFile>
#include <QtEndian>

namespace {

quint32 Le32(const char* p) { return qFromLittleEndian<quint32>(p); }
quint16 Le16(const char* p) { return qFromLittleEndian<quint16>(p); }
quint32 Be32(const char* p) { return qFromBigEndian<quint32>(p); }

// One MPEG audio frame header (the frame walk's own reading of it).
using Frame = TMpegFrame;

bool ParseFrame(const char* p, Frame* f) { return TMpegFrame::Parse(p, f); }

// Skips an ID3v2 tag at the start; returns where the audio may begin.
qint64 AfterId3v2(QIODevice& device)
{
    device.seek(0);
    const QByteArray head = device.read(10);
    if (head.size() < 10 || !head.startsWith("ID3"))
        return 0;
    qint64 size = 0;
    for (int i = 6; i < 10; ++i)
        size = (size << 7) | (quint8(head[i]) & 0x7f);
    const bool footer = quint8(head[5]) & 0x10;
    return 10 + size + (footer ? 10 : 0);
}

// The first frame in data that another frame of the same stream follows
// (or that ends the data), so that stray sync bits in a tag are passed by.
qsizetype FirstFrame(const QByteArray& data, Frame* first)
{
    for (qsizetype i = 0; i + 4 <= data.size(); ++i) {
        if (quint8(data[i]) != 0xFF || !ParseFrame(data.constData() + i, first))
            continue;
        const qsizetype next = i + first->length;
        Frame second;
        if (next + 4 > data.size())
            return next <= data.size() ? i : -1;
        if (ParseFrame(data.constData() + next, &second) && second.SameStream(*first))
            return i;
    }
    return -1;
}

// The frame count of a Xing/Info or VBRI frame at data's start, or -1.
qint64 CountedFrames(const QByteArray& data, const Frame& f)
{
    if (f.layer == 3) {
        const bool mono = f.channels == 1;
        const int sideInfo = f.version == 3 ? (mono ? 17 : 32) : (mono ? 9 : 17);
        const qsizetype at = 4 + sideInfo;
        if (data.size() >= at + 12) {
            const QByteArray tag = data.mid(at, 4);
            if (tag == "Xing" || tag == "Info") {
                if (Be32(data.constData() + at + 4) & 1)
                    return Be32(data.constData() + at + 8);
                return -1;
            }
        }
    }
    if (data.size() >= 36 + 18 && data.mid(36, 4) == "VBRI")
        return Be32(data.constData() + 36 + 14);
    return -1;
}

} // namespace

std::optional<double> TAudioDuration::OfFile(const QString& path)
{
    // The kinds the decoder pipe takes say their length in headers only
    // TagLib reads, which the window leaves to the reader (TSourceReader).
    if (TDecoderPipe::Wanted(path))
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray magic = file.peek(12);
    if (magic.startsWith("RIFF") && magic.mid(8, 4) == "WAVE")
        return OfWav(file);
    return OfMpeg(file);
}

std::optional<double> TAudioDuration::OfWav(QIODevice& device)
{
    device.seek(0);
    const QByteArray riff = device.read(12);
    if (riff.size() < 12 || !riff.startsWith("RIFF") || riff.mid(8, 4) != "WAVE")
        return std::nullopt;
    const qint64 fileSize = device.size();
    quint16 format = 0;
    quint32 rate = 0, byteRate = 0, factFrames = 0;
    bool haveFormat = false, haveFact = false;
    qint64 pos = 12;
    while (pos + 8 <= fileSize) {
        device.seek(pos);
        const QByteArray chunk = device.read(8);
        if (chunk.size() < 8)
            return std::nullopt;
        const QByteArray id = chunk.left(4);
        const qint64 size = Le32(chunk.constData() + 4);
        const qint64 body = pos + 8;
        if (id == "fmt ") {
            const QByteArray fmt = device.read(qMin<qint64>(size, 16));
            if (fmt.size() < 16)
                return std::nullopt;
            format = Le16(fmt.constData());
            rate = Le32(fmt.constData() + 4);
            byteRate = Le32(fmt.constData() + 8);
            haveFormat = true;
        } else if (id == "fact" && size >= 4) {
            const QByteArray fact = device.read(4);
            if (fact.size() == 4) {
                factFrames = Le32(fact.constData());
                haveFact = true;
            }
        } else if (id == "data") {
            if (!haveFormat)
                return std::nullopt;
            // A streaming writer leaves the size at 0 or all ones; a cut
            // file holds less than it says: the file's end tells the truth.
            qint64 bytes = size;
            if (bytes == 0 || bytes == 0xFFFFFFFFll || body + bytes > fileSize)
                bytes = fileSize - body;
            // PCM, float and extensible: the byte rate is exact. Compressed
            // data carries its length in samples, when it says it.
            const bool plain = format == 1 || format == 3 || format == 0xFFFE;
            if (!plain && haveFact && rate > 0)
                return double(factFrames) / rate;
            if (byteRate == 0)
                return std::nullopt;
            return double(bytes) / byteRate;
        }
        pos = body + size + (size & 1);
    }
    return std::nullopt;
}

std::optional<double> TAudioDuration::OfMpeg(QIODevice& device)
{
    const qint64 start = AfterId3v2(device);
    const qint64 fileSize = device.size();
    if (start >= fileSize || !device.seek(start))
        return std::nullopt;
    QByteArray data = device.read(64 * 1024);
    Frame first;
    const qsizetype offset = FirstFrame(data, &first);
    if (offset < 0)
        return std::nullopt;
    data.remove(0, offset);
    const double perFrame = double(first.samples) / first.sampleRate;
    if (const qint64 frames = CountedFrames(data, first); frames > 0)
        return frames * perFrame;

    // No count: walk the frames, up to a limit.
    const qint64 audioStart = start + offset;
    device.seek(audioStart);
    data = device.read(MaxScanBytes);
    qint64 frames = 0;
    qsizetype pos = 0;
    qsizetype walked = 0; // bytes up to the end of the last frame seen
    while (pos + 4 <= data.size()) {
        Frame f;
        if (quint8(data[pos]) == 0xFF && ParseFrame(data.constData() + pos, &f)
            && f.SameStream(first) && pos + f.length <= data.size() + 4) {
            ++frames;
            pos += f.length;
            walked = qMin(pos, data.size());
            continue;
        }
        if (data.mid(pos, 3) == "TAG" || data.mid(pos, 8) == "APETAGEX")
            break;
        ++pos; // lost sync: look for the next frame
    }
    if (frames == 0)
        return std::nullopt;
    double seconds = frames * perFrame;
    const qint64 rest = fileSize - audioStart;
    if (data.size() >= MaxScanBytes && rest > walked && walked > 0)
        seconds *= double(rest) / walked;
    return seconds;
}
