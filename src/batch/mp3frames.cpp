#include "mp3frames.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

quint32 Be32(const char* p) { return qFromBigEndian<quint32>(p); }
quint32 Le32(const char* p) { return qFromLittleEndian<quint32>(p); }

bool Is(const char* p, const char* text) { return std::memcmp(p, text, std::strlen(text)) == 0; }

} // namespace

bool TMpegFrame::Parse(const char* p, TMpegFrame* f)
{
    const quint32 h = Be32(p);
    if ((h & 0xFFE00000u) != 0xFFE00000u)
        return false;
    const int version = int(h >> 19) & 3;
    const int layerBits = int(h >> 17) & 3;
    const int bitrateIndex = int(h >> 12) & 15;
    const int rateIndex = int(h >> 10) & 3;
    if (version == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return false;

    // kbit/s by [MPEG-1 layer 1, 2, 3, MPEG-2/2.5 layer 1, layers 2 and 3][index]
    static constexpr std::array<std::array<short, 15>, 5> kBitrates{{
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
    }};
    static constexpr std::array<int, 3> kRates{44100, 48000, 32000};

    f->version = version;
    f->layer = 4 - layerBits;
    const bool mpeg1 = version == 3;
    const int table = mpeg1 ? f->layer - 1 : (f->layer == 1 ? 3 : 4);
    const int bitrate = kBitrates[std::size_t(table)][std::size_t(bitrateIndex)] * 1000;
    f->sampleRate = kRates[std::size_t(rateIndex)] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    const int padding = int(h >> 9) & 1;
    f->channels = ((h >> 6) & 3) == 3 ? 1 : 2;
    if (f->layer == 1) {
        f->samples = 384;
        f->length = (12 * bitrate / f->sampleRate + padding) * 4;
    } else {
        f->samples = f->layer == 3 && !mpeg1 ? 576 : 1152;
        f->length = f->samples / 8 * bitrate / f->sampleRate + padding;
    }
    return f->length > 4;
}

qint64 TMp3Frames::Verdict::DecodedSamples() const
{
    if (delay < 0 || padding < 0)
        return -1;
    return std::max<qint64>(0, frames * samplesPerFrame - delay - padding);
}

void TMp3Frames::Feed(QByteArrayView bytes)
{
    if (m_state == State::Failed)
        return;
    qsizetype from = 0;
    if (m_skip > 0) {
        from = qsizetype(std::min<qint64>(m_skip, bytes.size()));
        m_skip -= from;
        m_offset += from;
    }
    if (from < bytes.size())
        m_buf.append(bytes.data() + from, bytes.size() - from);
    Walk(false);
}

void TMp3Frames::Fail(Problem problem, qint64 at)
{
    m_state = State::Failed;
    m_v.problem = problem;
    m_v.at = at;
    m_buf.clear();
    m_buf.squeeze();
}

// The first frame found gives the stream's kind.
void TMp3Frames::TakeFirst(const TMpegFrame& f)
{
    m_haveFirst = true;
    m_first = f;
    m_v.samplesPerFrame = f.samples;
    m_v.sampleRate = f.sampleRate;
    m_v.channels = f.channels;
}

void TMp3Frames::Walk(bool atEnd)
{
    qsizetype p = 0;
    // Passes n bytes from p on, the rest of them in later chunks.
    const auto pass = [this, &p](qint64 n) {
        const qint64 left = m_buf.size() - p;
        if (n <= left) {
            p += qsizetype(n);
        } else {
            m_skip = n - left;
            p = m_buf.size();
        }
    };

    if (m_state == State::Head) {
        if (m_buf.size() < 10 && !atEnd)
            return;
        m_state = State::Frames;
        const char* h = m_buf.constData();
        // An ID3v2 tag: "ID3", version, flags, then four 7-bit size bytes.
        if (m_buf.size() >= 10 && Is(h, "ID3") && ((h[6] | h[7] | h[8] | h[9]) & 0x80) == 0) {
            qint64 size = 0;
            for (int i = 6; i < 10; ++i)
                size = (size << 7) | (quint8(h[i]) & 0x7f);
            const bool footer = quint8(h[5]) & 0x10;
            pass(10 + size + (footer ? 10 : 0));
            m_skipIsFrame = false;
        }
    }

    while (m_state == State::Frames && p < m_buf.size()) {
        const qsizetype left = m_buf.size() - p;
        if (left < 4 && !atEnd)
            break;
        const char* q = m_buf.constData() + p;
        TMpegFrame f;
        if (left >= 4 && quint8(q[0]) == 0xFF && TMpegFrame::Parse(q, &f)
            && (!m_haveFirst || f.SameStream(m_first))) {
            if (!m_haveFirst) {
                // The whole first frame, to read an information frame in it.
                if (left < f.length && !atEnd)
                    break;
                TakeFirst(f);
                ReadInfo(q, std::min<qsizetype>(left, f.length));
            } else {
                ++m_v.frames;
            }
            m_lastFrameAt = m_offset + p;
            m_skipIsFrame = true;
            pass(f.length);
            continue;
        }
        if (m_mode == Mode::Lenient) {
            ++p; // lost sync: look for the next frame
            continue;
        }
        if (!m_haveFirst) {
            Fail(Problem::Junk, m_offset + p);
            return;
        }
        // Only tags may follow the last frame; they are judged at the end.
        m_state = State::Trailer;
    }

    m_buf.remove(0, p);
    m_offset += p;
    if (m_state == State::Trailer && m_buf.size() > MaxTrailer)
        Fail(Problem::Junk, m_offset);
}

// Whether the first frame (n bytes of it at q) is an information frame,
// and what it says.
void TMp3Frames::ReadInfo(const char* q, qsizetype n)
{
    const TMpegFrame& f = m_first;
    bool info = false;
    if (f.layer == 3) {
        const int sideInfo = f.version == 3 ? (f.channels == 1 ? 17 : 32) : (f.channels == 1 ? 9 : 17);
        const qsizetype x = 4 + sideInfo;
        if (n >= x + 8 && (Is(q + x, "Xing") || Is(q + x, "Info"))) {
            info = true;
            const quint32 flags = Be32(q + x + 4);
            qsizetype at = x + 8;
            if (flags & 1) {
                if (n >= at + 4)
                    m_v.infoFrames = Be32(q + at);
                at += 4;
            }
            at += (flags & 2 ? 4 : 0) + (flags & 4 ? 100 : 0) + (flags & 8 ? 4 : 0);
            // The LAME tag (ffmpeg writes one too): delay and padding, 12 bits each.
            if (n >= at + 24 && (Is(q + at, "LAME") || Is(q + at, "Lavf") || Is(q + at, "Lavc"))) {
                const auto b = [q, at](int i) { return int(quint8(q[at + i])); };
                m_v.delay = (b(21) << 4) | (b(22) >> 4);
                m_v.padding = ((b(22) & 0x0f) << 8) | b(23);
            }
        }
    }
    if (!info && n >= 36 + 18 && Is(q + 36, "VBRI")) {
        info = true;
        m_v.infoFrames = Be32(q + 36 + 14);
    }
    if (!info)
        m_v.frames = 1;
}

bool TMp3Frames::TrailerIsTags() const
{
    qsizetype end = m_buf.size();
    const char* b = m_buf.constData();
    if (end >= 128 && Is(b + end - 128, "TAG"))
        end -= 128;
    // An APEv2 tag ends in a 32-byte footer: its size counts the items and
    // the footer; a header of 32 more bytes is there when the flags say so.
    if (end >= 32 && Is(b + end - 32, "APETAGEX")) {
        const qint64 size = Le32(b + end - 32 + 12);
        const quint32 flags = Le32(b + end - 32 + 20);
        const qint64 total = size + ((flags & 0x80000000u) ? 32 : 0);
        if (total < 32 || total > end)
            return false;
        end -= qsizetype(total);
    }
    return end == 0;
}

TMp3Frames::Verdict TMp3Frames::Finish()
{
    if (m_state != State::Failed)
        Walk(true);
    if (m_state == State::Failed)
        return m_v;
    if (m_mode == Mode::Strict) {
        if (m_skip > 0 && m_skipIsFrame) {
            Fail(Problem::CutFrame, m_lastFrameAt);
            return m_v;
        }
        if (m_state == State::Trailer && !TrailerIsTags()) {
            Fail(Problem::Junk, m_offset);
            return m_v;
        }
    }
    if (m_v.frames == 0) {
        Fail(Problem::NoFrames, m_offset);
        return m_v;
    }
    if (m_mode == Mode::Strict && m_v.infoFrames >= 0 && m_v.infoFrames != m_v.frames) {
        Fail(Problem::Count, m_lastFrameAt);
        return m_v;
    }
    m_v.problem = Problem::None;
    m_buf.clear();
    return m_v;
}
