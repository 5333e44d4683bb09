#include "sourcekind.h"

#include "mp3frames.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringDecoder>
#include <QtEndian>

#include <cstring>

namespace {

using Family = TSourceKind::Family;
using Samples = TSourceKind::Samples;

// Numbers at b[at]; 0 where b is too short (which callers have ruled out).
template <typename T, bool big> T Number(const QByteArray& b, qsizetype at)
{
    if (at < 0 || at + qsizetype(sizeof(T)) > b.size())
        return 0;
    T v;
    std::memcpy(&v, b.constData() + at, sizeof(T));
    return big ? qFromBigEndian(v) : qFromLittleEndian(v);
}
quint16 Le16(const QByteArray& b, qsizetype at) { return Number<quint16, false>(b, at); }
quint32 Le32(const QByteArray& b, qsizetype at) { return Number<quint32, false>(b, at); }
quint32 Be32(const QByteArray& b, qsizetype at) { return Number<quint32, true>(b, at); }
quint64 Be64(const QByteArray& b, qsizetype at) { return Number<quint64, true>(b, at); }
quint64 Le64(const QByteArray& b, qsizetype at) { return Number<quint64, false>(b, at); }

bool At(const QByteArray& b, qsizetype at, const char* text)
{
    const auto n = qsizetype(std::strlen(text));
    return at >= 0 && at + n <= b.size() && std::memcmp(b.constData() + at, text, size_t(n)) == 0;
}

QString Tr(const char* text) { return QCoreApplication::translate("TSourceKind", text); }

TSourceKind Kind(Family family, const QString& name, Samples samples = Samples::Unknown)
{
    TSourceKind k;
    k.family = family;
    k.name = name;
    k.samples = samples;
    return k;
}

QByteArray ReadAt(QIODevice& device, qint64 at, qint64 size)
{
    if (at < 0 || size <= 0 || !device.seek(at))
        return QByteArray();
    return device.read(size);
}

// The sub-format GUIDs of WAVE_FORMAT_EXTENSIBLE share all but their first
// two bytes, which hold the plain format tag.
constexpr char kGuidTail[] = "\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71";

constexpr int kMaxChunks = 256;

TSourceKind Damaged(const QString& detail)
{
    TSourceKind k = Kind(Family::DamagedWav, QStringLiteral("WAV"));
    k.detail = detail;
    return k;
}

// The fmt chunk's facts into k; false when they cannot describe audio.
bool ReadFmt(const QByteArray& fmt, TSourceKind& k, int* formatTag)
{
    if (fmt.size() < 16)
        return false;
    int format = Le16(fmt, 0);
    k.channels = Le16(fmt, 2);
    k.sampleRate = int(qMin<quint32>(Le32(fmt, 4), 0x7fffffff));
    const int blockAlign = Le16(fmt, 12);
    k.bits = Le16(fmt, 14);
    if (format == 0xFFFE) {
        // The sub-format, when the extension is there and of the known family.
        format = fmt.size() >= 40 && std::memcmp(fmt.constData() + 26, kGuidTail, 14) == 0
                     ? Le16(fmt, 24)
                     : -1;
    }
    *formatTag = format;
    return k.channels > 0 && k.sampleRate > 0 && blockAlign > 0;
}

QString BitsText(int bits) { return Tr("%1 бит").arg(bits); }

// Whether lame reads this WAV as it stands; else why not, in detail.
void JudgeWav(TSourceKind& k, int format, int blockAlign, bool rf64)
{
    const bool wholeBytes = k.bits % 8 == 0 && blockAlign == k.channels * k.bits / 8;
    if (format == 1) {
        k.samples = Samples::Integer;
    } else if (format == 3) {
        k.samples = Samples::Float;
        k.detail = BitsText(k.bits) + Tr(", плавающая точка");
        return;
    } else {
        k.detail = format < 0 ? Tr("неизвестный подформат")
                              : Tr("формат 0x%1").arg(format, 4, 16, QChar(u'0'));
        return;
    }
    if (k.bits != 8 && k.bits != 16 && k.bits != 24 && k.bits != 32)
        k.detail = BitsText(k.bits);
    else if (!wholeBytes)
        k.detail = Tr("неверный размер блока");
    else if (k.channels > 2)
        k.detail = Tr("каналов: %1").arg(k.channels);
    else if (rf64)
        k.detail = QStringLiteral("RF64");
    else
        k.lameReads = true;
}

TSourceKind OfMp4(QIODevice& device, const QByteArray& head)
{
    const QByteArray brand = head.mid(8, 4);
    // The top-level boxes, for the movie box that says what the tracks are.
    QByteArray movie;
    const qint64 fileSize = device.size();
    qint64 pos = 0;
    for (int i = 0; i < kMaxChunks && pos + 8 <= fileSize; ++i) {
        const QByteArray box = ReadAt(device, pos, 16);
        if (box.size() < 8)
            break;
        qint64 size = Be32(box, 0);
        qint64 header = 8;
        if (size == 1 && box.size() == 16) {
            size = qint64(qMin<quint64>(Be64(box, 8), quint64(fileSize)));
            header = 16;
        } else if (size == 0) {
            size = fileSize - pos;
        }
        if (size < header)
            break;
        if (At(box, 4, "moov")) {
            movie = ReadAt(device, pos + header, qMin<qint64>(size - header, 1 << 20));
            break;
        }
        pos += size;
    }
    // A handler box names its track's kind: "hdlr", 4 bytes of version and
    // flags, 4 of pre-definition, then "vide" or "soun".
    const auto handler = [&movie](const char* kind) {
        for (qsizetype at = movie.indexOf("hdlr"); at >= 0; at = movie.indexOf("hdlr", at + 4)) {
            if (At(movie, at + 12, kind))
                return true;
        }
        return false;
    };
    const bool video = handler("vide");
    const Samples samples = movie.contains("alac") ? Samples::Integer
                            : movie.contains("mp4a") ? Samples::Lossy
                                                     : Samples::Unknown;
    if (video)
        return Kind(Family::Video, brand == "qt  " ? Tr("видео QuickTime") : Tr("видео MP4"));
    if (brand.startsWith("3g"))
        return Kind(Family::Audio, QStringLiteral("3GP"), samples);
    const bool audioBrand = brand == "M4A " || brand == "M4B " || brand == "M4P " || brand == "F4A ";
    return Kind(Family::Audio, audioBrand || handler("soun") ? QStringLiteral("M4A")
                                                             : QStringLiteral("MP4"),
                samples);
}

TSourceKind OfOgg(const QByteArray& head)
{
    // The first page's first packet names the codec.
    const int segments = head.size() > 26 ? quint8(head[26]) : 0;
    const qsizetype at = 27 + segments;
    if (At(head, at, "\x01vorbis"))
        return Kind(Family::Audio, QStringLiteral("Ogg Vorbis"), Samples::Lossy);
    if (At(head, at, "OpusHead"))
        return Kind(Family::Audio, QStringLiteral("Opus"), Samples::Lossy);
    if (At(head, at, "\x7f" "FLAC"))
        return Kind(Family::Audio, QStringLiteral("Ogg FLAC"), Samples::Integer);
    if (At(head, at, "Speex   "))
        return Kind(Family::Audio, QStringLiteral("Speex"), Samples::Lossy);
    if (At(head, at, "\x80theora"))
        return Kind(Family::Video, Tr("видео Ogg"));
    return Kind(Family::Audio, QStringLiteral("Ogg"));
}

TSourceKind OfWavPack(const QByteArray& head)
{
    TSourceKind k = Kind(Family::Audio, QStringLiteral("WavPack"), Samples::Integer);
    if (head.size() >= 28) {
        const quint32 flags = Le32(head, 24);
        if (flags & 0x80000000u)
            k.samples = Samples::Dsd;
        else if (flags & 0x80u)
            k.samples = Samples::Float;
        k.bits = k.samples == Samples::Dsd ? 1 : int((flags & 3) + 1) * 8;
    }
    return k;
}

// MPEG audio at offset: a frame that another of the same stream follows,
// or that ends the file.
bool MpegAt(QIODevice& device, qint64 offset)
{
    const QByteArray first = ReadAt(device, offset, 4);
    TMpegFrame a, b;
    if (first.size() < 4 || !TMpegFrame::Parse(first.constData(), &a))
        return false;
    const qint64 next = offset + a.length;
    if (next == device.size())
        return true;
    const QByteArray second = ReadAt(device, next, 4);
    return second.size() == 4 && TMpegFrame::Parse(second.constData(), &b) && b.SameStream(a);
}

QString MpegName(QIODevice& device, qint64 offset)
{
    TMpegFrame f;
    const QByteArray h = ReadAt(device, offset, 4);
    if (h.size() < 4 || !TMpegFrame::Parse(h.constData(), &f))
        return QStringLiteral("MPEG");
    return QStringLiteral("MP%1").arg(f.layer);
}

bool LooksLikeText(const QByteArray& head)
{
    if (head.isEmpty())
        return false;
    // A multi-byte character cut at the end of the piece read is no error.
    const QByteArray body = head.size() >= 4096 ? head.left(head.size() - 4) : head;
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(body);
    if (utf8.hasError())
        return false;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 && c != u'\n' && c != u'\r' && c != u'\t' && c != u'\f')
            return false;
    }
    return true;
}

} // namespace

TSourceKind TSourceKind::OfWav(QIODevice& device)
{
    const QByteArray riff = ReadAt(device, 0, 12);
    const bool rf64 = At(riff, 0, "RF64") || At(riff, 0, "BW64");
    if (!(At(riff, 0, "RIFF") || rf64) || !At(riff, 8, "WAVE"))
        return TSourceKind();
    const qint64 fileSize = device.size();
    TSourceKind k = Kind(Family::Wav, QStringLiteral("WAV"));
    int format = 0;
    int blockAlign = 0;
    bool haveFmt = false;
    qint64 bigData = -1; // RF64: the data size from the ds64 chunk
    qint64 pos = 12;
    for (int i = 0; i < kMaxChunks && pos + 8 <= fileSize; ++i) {
        // A plain array: GCC 12 takes a QByteArray here for its empty one.
        char header[8];
        if (!device.seek(pos) || device.read(header, 8) != 8)
            break;
        const QByteArray chunk(header, 4);
        const qint64 size = qFromLittleEndian<quint32>(header + 4);
        const qint64 body = pos + 8;
        if (At(chunk, 0, "fmt ")) {
            const QByteArray fmt = ReadAt(device, body, qMin<qint64>(size, 40));
            if (!ReadFmt(fmt, k, &format))
                return Damaged(Tr("неверный блок fmt"));
            blockAlign = Le16(fmt, 12);
            haveFmt = true;
        } else if (At(chunk, 0, "ds64") && size >= 16) {
            const QByteArray ds64 = ReadAt(device, body, 16);
            if (ds64.size() == 16)
                bigData = qint64(qMin<quint64>(Le64(ds64, 8), quint64(fileSize)));
        } else if (At(chunk, 0, "data")) {
            if (!haveFmt)
                return Damaged(Tr("нет блока fmt"));
            // A streaming writer leaves the size at 0 or all ones: the file's
            // end tells. A size beyond the end is the header's word for what
            // the file should hold: a cut file is shorter than it says.
            qint64 bytes = size;
            if (rf64 && size == 0xFFFFFFFFll && bigData >= 0)
                bytes = bigData;
            else if (bytes == 0 || bytes == 0xFFFFFFFFll)
                bytes = fileSize - body;
            if (format == 1 || format == 3)
                k.frames = bytes / blockAlign;
            JudgeWav(k, format, blockAlign, rf64);
            return k;
        }
        pos = body + size + (size & 1);
    }
    return Damaged(haveFmt ? Tr("нет блока данных") : Tr("нет заголовка"));
}

TSourceKind TSourceKind::Of(QIODevice& device)
{
    const QByteArray head = ReadAt(device, 0, 4096);
    if ((At(head, 0, "RIFF") || At(head, 0, "RF64") || At(head, 0, "BW64")) && At(head, 8, "WAVE"))
        return OfWav(device);
    // Short files, and WAV headers cut before their "WAVE".
    if (At(head, 0, "RIFF") && head.size() < 12)
        return Damaged(Tr("нет заголовка"));
    if (At(head, 0, "RIFF") && At(head, 8, "AVI "))
        return Kind(Family::Video, Tr("видео AVI"));
    if (At(head, 0, "fLaC"))
        return Kind(Family::Audio, QStringLiteral("FLAC"), Samples::Integer);
    if (At(head, 0, "OggS"))
        return OfOgg(head);
    if (At(head, 0, "FORM") && (At(head, 8, "AIFF") || At(head, 8, "AIFC"))) {
        TSourceKind k = Kind(Family::Audio, QStringLiteral("AIFF"), Samples::Integer);
        const qsizetype comm = head.indexOf("COMM");
        if (At(head, 8, "AIFC") && comm >= 0) {
            const QByteArray type = head.mid(comm + 26, 4).toLower();
            k.samples = type == "fl32" || type == "fl64" ? Samples::Float
                        : type == "none" || type == "sowt" || type == "twos" ? Samples::Integer
                                                                             : Samples::Unknown;
        }
        return k;
    }
    if (At(head, 4, "ftyp"))
        return OfMp4(device, head);
    if (At(head, 0, "wvpk"))
        return OfWavPack(head);
    if (At(head, 0, "MPCK") || At(head, 0, "MP+"))
        return Kind(Family::Audio, QStringLiteral("Musepack"), Samples::Lossy);
    if (At(head, 0, "MAC "))
        return Kind(Family::Audio, QStringLiteral("Monkey's Audio"), Samples::Integer);
    if (At(head, 0, "DSD "))
        return Kind(Family::Audio, QStringLiteral("DSF"), Samples::Dsd);
    if (At(head, 0, "FRM8") && At(head, 12, "DSD "))
        return Kind(Family::Audio, QStringLiteral("DSDIFF"), Samples::Dsd);
    if (At(head, 0, "caff"))
        return Kind(Family::Audio, QStringLiteral("CAF"));
    if (At(head, 0, "\x30\x26\xb2\x75\x8e\x66\xcf\x11"))
        return Kind(Family::Audio, QStringLiteral("ASF"));
    if (At(head, 0, "\x1a\x45\xdf\xa3"))
        return Kind(Family::Audio, head.left(64).contains("webm") ? QStringLiteral("WebM")
                                                                 : QStringLiteral("Matroska"));

    // MPEG audio, maybe after an ID3v2 tag (and the zeros some writers pad it with).
    qint64 audio = 0;
    if (At(head, 0, "ID3") && head.size() >= 10 && ((head[6] | head[7] | head[8] | head[9]) & 0x80) == 0) {
        qint64 size = 0;
        for (int i = 6; i < 10; ++i)
            size = (size << 7) | (quint8(head[i]) & 0x7f);
        audio = 10 + size + ((quint8(head[5]) & 0x10) ? 10 : 0);
        const QByteArray after = ReadAt(device, audio, 4096);
        qsizetype zeros = 0;
        while (zeros < after.size() && after[zeros] == '\0')
            ++zeros;
        audio += zeros;
        if (At(after, zeros, "fLaC"))
            return Kind(Family::Audio, QStringLiteral("FLAC"), Samples::Integer);
    }
    if (MpegAt(device, audio))
        return Kind(Family::Mpeg, MpegName(device, audio), Samples::Lossy);
    // ADTS: the frame sync of MPEG audio with the layer bits at zero.
    if (head.size() >= 2 && quint8(head[0]) == 0xFF && (quint8(head[1]) & 0xF6) == 0xF0)
        return Kind(Family::Audio, QStringLiteral("AAC"), Samples::Lossy);
    if (audio == 0 && LooksLikeText(head))
        return Kind(Family::Text, Tr("текстовый файл"));
    return TSourceKind();
}

TSourceKind TSourceKind::OfFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return TSourceKind();
    return Of(file);
}
