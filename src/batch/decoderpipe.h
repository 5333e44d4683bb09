#pragma once

#include "outputcheck.h"
#include "sourcekind.h"
#include "sourcetags.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>

struct TSourceAudio;

// A non-WAV source on its way into lame: one ffmpeg process that decodes it
// to WAV on its standard output, which is piped straight into the encoder's
// standard input (lame reads "-"), so no decoded file is ever written.
// ffmpeg keeps the source's sample rate and channels (more than two are
// mixed down to stereo, which is all lame takes) and its precision and
// level: 16, 24 or 32-bit integers after the source's bit depth (8 bits
// widen to 16), 32 bits for floating-point samples, 24 for DSD; lossy
// kinds have no depth of their own and come as 16 bits. Never 8 bits, and
// never floating point, which lame scales to its peak or, from a pipe,
// takes for silence.
// Since lame shows no progress for a stream of unknown length, the percent
// comes from ffmpeg's own progress report and the source's duration.
//
// ffmpeg goes on past a damaged part of a source, as it does past harmless
// warnings: a damaged source shows in the length of what it decoded, which
// the run checks (TOutputCheck), with ffmpeg's last message as the cause.
class TDecoderPipe final : public QObject
{
    Q_OBJECT
public:
    struct Result
    {
        bool failed = false;
        QString message; // the decoder's last message; set when failed
    };

    // The kinds the decoder handles, as a file list mask, WAV first.
    static QString SourceMask();
    // Whether a source of this path goes through the decoder in encoding
    // mode: every kind of SourceMask but WAV, which lame reads itself.
    static bool Wanted(const QString& path);
    // The decoder's arguments for a source whose bit depth (0: none),
    // channel count (0: unknown) and kind of samples are given.
    static QStringList Arguments(const QString& input, int bitsPerSample, int channels,
                                 TSourceKind::Samples samples = TSourceKind::Samples::Unknown);
    // The percent an ffmpeg progress line ("out_time_us=…") gives for a
    // source of durationMs; -1 for other lines or an unknown duration.
    static int ParseProgress(QStringView line, qint64 durationMs);
    // The microseconds decoded that such a line gives; -1 for other lines.
    static qint64 ProgressTime(QStringView line);

    explicit TDecoderPipe(QObject* parent = nullptr);
    ~TDecoderPipe() override;

    // program: a path or bare name to look up; empty means "ffmpeg". audio:
    // what the reader found out about the source (zeros where it could not).
    // False, with the message, when the decoder cannot be found.
    bool Prepare(const QString& program, const QString& input, const TSourceAudio& audio,
                 QString* message);
    // Before Prepare: what the source was found to be; a WAV's own facts
    // then stand for those read from its tags.
    void SetSourceKind(const TSourceKind& kind) { m_kind = kind; }
    // After Prepare: the source's audio facts.
    const TSourceAudio& Audio() const { return m_audio; }
    // The process whose output the encoder reads; given to the encoder
    // before it starts (QProcess::setStandardOutputProcess).
    QProcess* Feeder() { return &m_process; }
    // Starts the decoder; call right after the encoder was started.
    void Start();
    // Stops it at once (the encoder stopped or failed to start).
    void Kill();
    bool Running() const { return m_started && !m_ended; }
    const Result& Outcome() const { return m_result; }
    // For the run log: the decoder and its arguments, and its last message lines.
    QStringList Command() const { return QStringList{m_process.program()} + m_process.arguments(); }
    const QStringList& LastLines() const { return m_lastLines; }
    // The job's failure text when the decoder failed, else empty. When the
    // encoder failed while the decoder was still running, the decoder only
    // lost its reader: the encoder's reason stands and this is empty.
    QString FailureReason(bool encoderFailedFirst) const;
    // Runs done once the decoder has ended: at once (from the event loop)
    // when it has already, else when it does. A decoder still running
    // graceMs after this call is killed: its reader is gone.
    void WhenEnded(std::function<void()> done, int graceMs = 3000);
    // Once ended: the length decoded, when ffmpeg reported its end.
    TAudioLength Decoded() const;
    // The decoder's last message, a warning of a run that went on included,
    // and its first, which names the first damage it met.
    const QString& LastMessage() const { return m_lastMessage; }
    const QString& FirstMessage() const { return m_firstMessage; }

Q_SIGNALS:
    void PercentChanged(int percent);
    // The decoder has moved on through the source.
    void Progressed();

private:
    void OnReadyRead();
    void TakeLine(const QString& line);
    void OnFinished(int exitCode, QProcess::ExitStatus status);
    void OnError(QProcess::ProcessError error);
    void End();

    QProcess m_process;
    qint64 m_durationMs = 0;
    TSourceKind m_kind;
    TSourceAudio m_audio;
    qint64 m_decodedUs = -1;
    bool m_reportedEnd = false;
    int m_percent = -1;
    bool m_started = false;
    bool m_ended = false;
    QByteArray m_pending;
    QString m_lastMessage;
    QStringList m_lastLines;
    QString m_firstMessage;
    Result m_result;
    std::function<void()> m_done;
};
