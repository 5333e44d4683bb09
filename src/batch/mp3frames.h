#pragma once

#include <QByteArray>
#include <QByteArrayView>

// One MPEG audio frame header (layers I to III, MPEG-1, 2 and 2.5).
struct TMpegFrame
{
    int version = 0;    // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5 (the header's own bits)
    int layer = 0;      // 1, 2 or 3
    int sampleRate = 0;
    int samples = 0;    // per frame
    int length = 0;     // bytes, header included
    int channels = 0;

    // Four bytes at p; false when they are no frame header (free format,
    // reserved values) or the frame would hold nothing.
    static bool Parse(const char* p, TMpegFrame* frame);
    bool SameStream(const TMpegFrame& other) const
    {
        return version == other.version && layer == other.layer && sampleRate == other.sampleRate;
    }
};

// A walk over the frames of a whole MPEG audio file, fed in chunks of any
// size (the verdict does not depend on how the bytes are cut), holding no
// more than a few frames' worth of them.
//
// Strict (a file lame has just written): an ID3v2 tag may open it and APE
// and ID3v1 tags may close it; every byte between is in a frame of one
// stream, the last one whole. Lenient (a source): bytes that are no frame
// are passed by, as a decoder does.
//
// The first frame may be an information frame (Xing, Info or VBRI); it is
// not counted as audio. Its LAME tag, when it has one, gives the encoder's
// delay and padding, from which the exact length follows.
class TMp3Frames final
{
public:
    enum class Mode { Strict, Lenient };
    enum class Problem {
        None,
        NoFrames,  // no audio frame at all
        Junk,      // bytes that belong to no frame (strict)
        CutFrame,  // the last frame is cut short (strict)
        Count,     // the information frame counts other frames than there are (strict)
    };

    struct Verdict
    {
        Problem problem = Problem::NoFrames;
        qint64 at = 0;        // the byte where the problem starts
        qint64 frames = 0;    // audio frames
        int samplesPerFrame = 0;
        int sampleRate = 0;
        int channels = 0;
        qint64 infoFrames = -1; // the information frame's count, -1 without one
        int delay = -1;         // from a LAME tag: samples before the audio ...
        int padding = -1;       // ... and after it

        bool Ok() const { return problem == Problem::None; }
        // The samples a decoder that honours the LAME tag gives back; -1
        // without a tag.
        qint64 DecodedSamples() const;
    };

    explicit TMp3Frames(Mode mode = Mode::Strict) : m_mode(mode) {}

    void Feed(QByteArrayView bytes);
    // The verdict over everything fed; call once, after the last Feed.
    Verdict Finish();

    // Trailing tags are kept until the end to be told from junk; more than
    // this many bytes of them is junk.
    static constexpr qsizetype MaxTrailer = 1 << 20;

private:
    enum class State { Head, Frames, Trailer, Failed };

    void Walk(bool atEnd);
    void TakeFirst(const TMpegFrame& f);
    void ReadInfo(const char* frame, qsizetype size);
    void Fail(Problem problem, qint64 at);
    bool TrailerIsTags() const;

    Mode m_mode;
    State m_state = State::Head;
    QByteArray m_buf;      // bytes not yet walked; m_buf[0] is at m_offset
    qint64 m_offset = 0;
    qint64 m_skip = 0;     // bytes still to pass (the rest of a tag or frame)
    bool m_skipIsFrame = false;
    qint64 m_lastFrameAt = 0;
    bool m_haveFirst = false;
    TMpegFrame m_first;
    Verdict m_v;
};
