#pragma once

#include "encoder.h"
#include "sourcekind.h"
#include "tempoutput.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>

class QTimer;
class TCoverFile;
class TDecoderPipe;
class TOutputCheck;
class TSourceReader;
namespace ReaderProtocol { struct TAnswer; }

// One job of a run on its way through the encoder: its lame process and
// the hidden temporary it writes, which takes the job's final name only
// when the job is done (exit status 0, output not empty and, when asked,
// verified by TOutputCheck). An encoder or decoder that shows no sign of
// life for the stall limit is stopped and the job fails. Whatever else
// happens (a failure, a stop, the runner destroyed when the program quits)
// the temporary goes and nothing at the final name is touched. Ended comes
// exactly once, always from the event loop.
class TJobRunner final : public QObject
{
    Q_OBJECT
public:
    struct Outcome
    {
        bool done = false;
        bool stopped = false; // ended by Stop(), done or not
        QString errorName;    // the encoder could not be started and the failure has a name
        QString reason;       // why the job is not done
        // For the run log: what was started, with its arguments, and the
        // last lines each process printed.
        QStringList encoderCommand;
        QStringList encoderLines;
        QStringList decoderCommand;
        QStringList decoderLines;
    };

    // replace: an existing file at output may be replaced once the job is done.
    TJobRunner(quint64 jobId, const QString& input, const QString& output, bool replace,
               QObject* parent = nullptr);
    ~TJobRunner() override;

    quint64 JobId() const { return m_jobId; }
    const QString& Input() const { return m_input; }
    const QString& Output() const { return m_output; }

    // Before Start: the source is decoded by a separate decoder (program:
    // empty looks up "ffmpeg") piped into the encoder's standard input.
    void SetDecoder(const QString& program)
    {
        m_piped = true;
        m_decoderProgram = program;
    }
    // Before Start: the ID3v2 tag gets the source's cover picture, if any.
    void SetCoverArt(bool on) { m_coverArt = on; }
    // Before Start: what the source was found to be, and why a WAV needs the
    // decoder (the cause a missing decoder is told with).
    void SetSource(const TSourceKind& kind, const QString& decoderWhy)
    {
        m_kind = kind;
        m_decoderWhy = decoderWhy;
    }
    // Before Start: the output is verified before it is kept (mode: 0
    // encode, 1 decode).
    void SetVerified(int mode)
    {
        m_verified = true;
        m_mode = mode;
    }
    // Before Start: no output from the encoder and no step of the decoder
    // for limit stops the job (with grace, as Stop does) and fails it.
    void SetStallLimit(std::chrono::milliseconds limit, std::chrono::milliseconds grace)
    {
        m_stallLimit = limit;
        m_stallGrace = grace;
    }
    static QString StalledReason() { return tr("Кодер не отвечает"); }
    // Before Start: where the decoder's audio facts and the cover picture
    // come from. Without one, the pipe goes by the decoder's defaults and
    // only folder images are embedded.
    void SetSourceReader(TSourceReader* reader) { m_reader = reader; }

    // Creates the temporary in folder and starts program with the arguments
    // made for it; workingDirectory is where lame runs. A job that needs the
    // reader (a cover, a decoder) starts once it has answered.
    void Start(const QString& program,
               const std::function<QStringList(const QString& temporary)>& arguments,
               const QString& folder, const QString& workingDirectory);
    // Ends the job without running anything.
    void Fail(const QString& reason);
    // Stops the encoder now: terminate, then kill after grace. The job ends
    // as stopped, its temporary removed.
    void Stop(std::chrono::milliseconds grace);
    bool Started() const { return m_started; }

Q_SIGNALS:
    void PercentChanged(int percent);
    void Ended(const TJobRunner::Outcome& outcome);

private:
    void Launch(const QString& program, QStringList args, const QString& workingDirectory,
                const ReaderProtocol::TAnswer& facts);
    void OnEncoderEnded(const TEncoderProcess::Result& result);
    // decoderOutlived: a decoder fed the job and ended after the encoder.
    void Judge(const TEncoderProcess::Result& result, bool decoderOutlived);
    void Verify();
    void OnVerified(const QString& reason);
    void Conclude(Outcome outcome);
    void End(Outcome outcome);
    void Alive();
    void OnStalled();

    quint64 m_jobId;
    QString m_input;
    QString m_output;
    bool m_replace;
    TTempOutput m_temp;
    TEncoderProcess* m_encoder; // a child: killed in the destructor before the temporary goes
    bool m_piped = false;
    QString m_decoderProgram;
    TDecoderPipe* m_pipe = nullptr; // a child of the encoder, which unlinks it before it goes
    bool m_coverArt = false;
    std::unique_ptr<TCoverFile> m_cover;
    TSourceKind m_kind;
    QString m_decoderWhy;
    bool m_verified = false;
    int m_mode = 0;
    TOutputCheck* m_check = nullptr; // a child
    Outcome m_judged; // what the encoder's end gave, while its output is checked
    std::chrono::milliseconds m_stallLimit{0};
    std::chrono::milliseconds m_stallGrace{1000};
    QTimer* m_stallTimer = nullptr;
    TSourceReader* m_reader = nullptr;
    bool m_waitingForReader = false;
    bool m_started = false;
    bool m_stopping = false;
    bool m_stalled = false;
    bool m_ended = false;
};
