#pragma once

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
// mixed down to stereo, which is all lame takes) and its bit depth where it
// has one (8, 16, 24 or 32 bits); lossy kinds have none and come as 16 bits.
// Since lame shows no progress for a stream of unknown length, the percent
// comes from ffmpeg's own progress report and the source's duration.
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
    // The decoder's arguments for a source whose bit depth (0: none) and
    // channel count (0: unknown) are given.
    static QStringList Arguments(const QString& input, int bitsPerSample, int channels);
    // The percent an ffmpeg progress line ("out_time_us=…") gives for a
    // source of durationMs; -1 for other lines or an unknown duration.
    static int ParseProgress(QStringView line, qint64 durationMs);

    explicit TDecoderPipe(QObject* parent = nullptr);
    ~TDecoderPipe() override;

    // program: a path or bare name to look up; empty means "ffmpeg". audio:
    // what the reader found out about the source (zeros where it could not).
    // False, with the message, when the decoder cannot be found.
    bool Prepare(const QString& program, const QString& input, const TSourceAudio& audio,
                 QString* message);
    // The process whose output the encoder reads; given to the encoder
    // before it starts (QProcess::setStandardOutputProcess).
    QProcess* Feeder() { return &m_process; }
    // Starts the decoder; call right after the encoder was started.
    void Start();
    // Stops it at once (the encoder stopped or failed to start).
    void Kill();
    bool Running() const { return m_started && !m_ended; }
    const Result& Outcome() const { return m_result; }
    // The job's failure text when the decoder failed, else empty. When the
    // encoder failed while the decoder was still running, the decoder only
    // lost its reader: the encoder's reason stands and this is empty.
    QString FailureReason(bool encoderFailedFirst) const;
    // Runs done once the decoder has ended: at once (from the event loop)
    // when it has already, else when it does. A decoder still running
    // graceMs after this call is killed: its reader is gone.
    void WhenEnded(std::function<void()> done, int graceMs = 3000);

Q_SIGNALS:
    void PercentChanged(int percent);

private:
    void OnReadyRead();
    void TakeLine(const QString& line);
    void OnFinished(int exitCode, QProcess::ExitStatus status);
    void OnError(QProcess::ProcessError error);
    void End();

    QProcess m_process;
    qint64 m_durationMs = 0;
    int m_percent = -1;
    bool m_started = false;
    bool m_ended = false;
    QByteArray m_pending;
    QString m_lastMessage;
    Result m_result;
    std::function<void()> m_done;
};
