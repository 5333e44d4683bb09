// The content checks on any bytes: the frame walk gives a verdict, the same
// however the bytes are cut, and never counts more frames than the bytes
// could hold; the source's kind, its route and the length judgments come
// out without a crash whatever a file holds.

#include "fuzzinput.h"
#include "mp3frames.h"
#include "outputcheck.h"
#include "sourcekind.h"
#include "sourceroute.h"

#include <QBuffer>

namespace {

TMp3Frames::Verdict Walk(const QByteArray& bytes, TMp3Frames::Mode mode, qsizetype piece)
{
    TMp3Frames walk(mode);
    for (qsizetype at = 0; at < bytes.size(); at += piece)
        walk.Feed(QByteArrayView(bytes.constData() + at, qMin(piece, bytes.size() - at)));
    return walk.Finish();
}

bool Same(const TMp3Frames::Verdict& a, const TMp3Frames::Verdict& b)
{
    return a.problem == b.problem && a.at == b.at && a.frames == b.frames
           && a.infoFrames == b.infoFrames && a.delay == b.delay && a.padding == b.padding
           && a.sampleRate == b.sampleRate && a.samplesPerFrame == b.samplesPerFrame;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype piece = size > 0 ? 1 + data[0] % 97 : 1;
    for (auto mode : {TMp3Frames::Mode::Strict, TMp3Frames::Mode::Lenient}) {
        const TMp3Frames::Verdict whole = Walk(bytes, mode, qMax<qsizetype>(1, bytes.size()));
        const TMp3Frames::Verdict cut = Walk(bytes, mode, piece);
        Fuzz::Check(Same(whole, cut), "the verdict depends on how the bytes are cut");
        // The smallest frame is 24 bytes (MPEG-2.5 layer III at 8 kbit/s, 12 kHz).
        Fuzz::Check(whole.frames >= 0 && whole.frames <= bytes.size() / 5 + 1, "frame count");
        Fuzz::Check(whole.at >= 0 && whole.at <= bytes.size() + (qint64(1) << 30), "offset");
        Fuzz::Check(!whole.Ok() || whole.frames > 0, "a good verdict without frames");
        const qint64 frames = size > 1 ? data[1] * 4096 : -1;
        TOutputCheck::JudgeMp3(whole, TAudioLength{frames, size > 2 ? data[2] * 1000 : 0});
    }

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const TSourceKind kind = TSourceKind::Of(buffer);
    for (int mode : {0, 1}) {
        const TSourceRoute route = TSourceRoute::For(kind, mode, size % 2 == 0);
        Fuzz::Check(route.way != TSourceRoute::Way::Refused || !route.reason.isEmpty(),
                    "refused without a reason");
    }
    Fuzz::Check(kind.family != TSourceKind::Family::Wav || kind.lameReads || !kind.detail.isEmpty(),
                "a WAV for the decoder without a reason");
    TOutputCheck::JudgeWav(TSourceKind::OfWav(buffer),
                           Walk(bytes, TMp3Frames::Mode::Lenient, qMax<qsizetype>(1, bytes.size())));
    return 0;
}
