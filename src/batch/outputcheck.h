#pragma once

#include "mp3frames.h"
#include "sourcekind.h"

#include <QObject>
#include <QString>

#include <atomic>

class QThread;

// A length in sample frames at a rate (a rate of 1000 counts milliseconds).
struct TAudioLength
{
    qint64 frames = -1;
    qint64 rate = 0;

    bool Known() const { return frames >= 0 && rate > 0; }
    double Seconds() const { return Known() ? double(frames) / double(rate) : 0.0; }
};

// Whether a job's output is what it should be, before it takes its final
// name. Encoding: the MP3 is MPEG audio frames from its first byte to its
// last (tags at either end aside) and as long as the source, within one
// frame beyond LAME's own delay and padding (exact from its LAME tag when
// there is one); a source of unknown length only has to give frames.
// Decoding: the WAV's data is as long as the MP3 source decodes to.
//
// The files are read on a worker thread, in chunks, so the GUI thread
// never waits for them; Finished comes from the event loop.
class TOutputCheck final : public QObject
{
    Q_OBJECT
public:
    struct Request
    {
        int mode = 0;          // 0 encode, 1 decode
        QString output;        // the file the job wrote
        QString source;        // decoding: the MP3 it was made from
        TAudioLength expected; // encoding: the source's length, when known
    };

    explicit TOutputCheck(QObject* parent = nullptr);
    // Waits for the worker, which stops at its next chunk.
    ~TOutputCheck() override;

    void Start(const Request& request);

    // The same check, done here and now; the reason the output is not
    // good, or empty. cancel, when given and set, ends it early.
    static QString Run(const Request& request, const std::atomic_bool* cancel = nullptr);

    // The judgments themselves, over what the files were found to hold.
    static QString JudgeMp3(const TMp3Frames::Verdict& mp3, const TAudioLength& expected);
    static QString JudgeWav(const TSourceKind& wav, const TMp3Frames::Verdict& source);
    // "0:10", "1:02:03", "0:09.6" with a decimal.
    static QString Duration(double seconds, int decimals = 0);

    // lame's delay before the first sample it encodes, and the decoder's
    // delay that lame --decode takes off when the MP3 has no LAME tag.
    static constexpr int EncoderDelay = 576;
    static constexpr int DecoderDelay = 529;

Q_SIGNALS:
    void Finished(const QString& reason);

private:
    QThread* m_thread = nullptr;
    std::atomic_bool m_cancel{false};
};
