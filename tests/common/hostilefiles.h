#pragma once

// Crafted source files of the kinds that upset TagLib 1.13, made at test
// time: each one either crashes, hangs or floods the memory of whatever
// parses it with that library.

#include <QByteArray>
#include <QtEndian>

#include <zlib.h>

namespace Hostile {

inline QByteArray Be32(quint32 v)
{
    QByteArray b(4, '\0');
    qToBigEndian(v, b.data());
    return b;
}

inline QByteArray Le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

inline QByteArray SyncSafe(quint32 v)
{
    QByteArray b(4, '\0');
    for (int i = 3; i >= 0; --i, v >>= 7)
        b[i] = char(v & 0x7f);
    return b;
}

// An MP4 whose moov atoms nest depth deep: a parser that recurses runs out
// of stack.
inline QByteArray NestedM4a(int depth = 400000)
{
    QByteArray data = Be32(24) + "ftypM4A " + Be32(0) + "M4A mp42";
    data.reserve(data.size() + 8 * qsizetype(depth));
    for (int i = 0; i < depth; ++i)
        data += Be32(quint32(8 * (depth - i))) + "moov";
    return data;
}

// A WAV whose ID3v2 tag holds a compressed title that inflates to `inflated`
// bytes of zeros, from about a thousandth as many.
inline QByteArray CompressedId3Wav(qint64 inflated = 1100LL << 20)
{
    // One block of zeros, flushed whole so that it does not refer to what
    // came before it and can be repeated as it is.
    const QByteArray zeros(1 << 20, '\0');
    z_stream z{};
    deflateInit(&z, 9);
    QByteArray out(64 * 1024, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.constData()));
    z.avail_in = uInt(zeros.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FULL_FLUSH);
    out.resize(out.size() - qsizetype(z.avail_out));
    deflateEnd(&z);
    const QByteArray header = out.left(2), block = out.mid(2);
    QByteArray stream = header;
    const qint64 blocks = inflated / zeros.size();
    stream.reserve(2 + block.size() * blocks + 6);
    for (qint64 i = 0; i < blocks; ++i)
        stream += block;
    stream += QByteArray("\x03\x00", 2); // an empty final block
    // Adler-32 of n zeros: a stays 1, b is n.
    stream += Be32(quint32((quint64(blocks * zeros.size()) % 65521) << 16 | 1));

    const QByteArray frameData = SyncSafe(0x0fffffff) + stream;
    const QByteArray frame = "TIT2" + SyncSafe(quint32(frameData.size())) + QByteArray("\x00\x09", 2)
                             + frameData;
    const QByteArray tag = QByteArray("ID3\x04\x00\x00", 6) + SyncSafe(quint32(frame.size())) + frame;
    const QByteArray fmt = "fmt " + Le32(16) + QByteArray("\x01\x00\x02\x00", 4) + Le32(44100)
                           + Le32(44100 * 4) + QByteArray("\x04\x00\x10\x00", 4);
    const QByteArray data = "data" + Le32(4) + QByteArray(4, '\0');
    QByteArray id3 = "id3 " + Le32(quint32(tag.size())) + tag;
    if (id3.size() % 2)
        id3 += '\0';
    const QByteArray body = "WAVE" + fmt + data + id3;
    return "RIFF" + Le32(quint32(body.size())) + body;
}

// A WavPack block whose size, plus its header, wraps to 0: a reader that
// walks the blocks never moves on.
inline QByteArray OverflowingWavPack()
{
    QByteArray block = "wvpk" + Le32(0xfffffff8u) + QByteArray("\x10\x04\x00\x00", 4)
                       + Le32(44100) + Le32(0) + Le32(4410)
                       + Le32(0x00000002u | (9u << 23)) // stereo-ish flags, 44.1 kHz, not final
                       + Le32(0);
    return block + QByteArray(64, '\0');
}

// A FLAC whose comment block says it holds four billion comments, each
// 2^32 - 4 bytes long: the position wraps back onto the same bytes.
inline QByteArray WrappingFlac()
{
    QByteArray info;
    info += QByteArray("\x10\x00\x10\x00", 4);         // block sizes 4096
    info += QByteArray("\x00\x00\x00\x00\x00\x00", 6); // frame sizes unknown
    // 44100 Hz, 2 channels, 16 bits, 44100 samples.
    info += QByteArray("\x0a\xc4\x42\xf0\x00\x00\xac\x44", 8);
    info += QByteArray(16, '\0'); // MD5
    const QByteArray comments = Le32(0) + Le32(0xffffffffu) + Le32(0xfffffffcu) + "TITLE=x";
    auto header = [](int type, bool last, qsizetype length) {
        QByteArray h(4, '\0');
        h[0] = char((last ? 0x80 : 0) | type);
        h[1] = char(length >> 16);
        h[2] = char(length >> 8);
        h[3] = char(length);
        return h;
    };
    return "fLaC" + header(0, false, info.size()) + info + header(4, true, comments.size())
           + comments + QByteArray("\xff\xf8", 2) + QByteArray(64, '\0');
}

} // namespace Hostile
