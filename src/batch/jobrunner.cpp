#include "jobrunner.h"

#include "cmdline.h"
#include "coverfile.h"
#include "decoderpipe.h"
#include "outputcheck.h"
#include "failuretext.h"
#include "sourcereader.h"
#include "sourcetags.h"

#include <QTimer>

TJobRunner::TJobRunner(quint64 jobId, const QString& input, const QString& output, bool replace,
                       QObject* parent)
    : QObject(parent), m_jobId(jobId), m_input(input), m_output(output), m_replace(replace),
      m_encoder(new TEncoderProcess(this))
{
    connect(m_encoder, &TEncoderProcess::Ended, this, &TJobRunner::OnEncoderEnded);
    connect(m_encoder, &TEncoderProcess::PercentChanged, this, &TJobRunner::PercentChanged);
    connect(m_encoder, &TEncoderProcess::Output, this, &TJobRunner::Alive);
}

TJobRunner::~TJobRunner()
{
    // Only when the program quits during the job: the encoder is killed
    // first, so that nothing writes into the temporary once it is gone.
    delete m_encoder;
    delete m_check; // waits for its worker, which reads the temporary
    m_temp.Discard();
}

void TJobRunner::Start(const QString& program,
                       const std::function<QStringList(const QString&)>& arguments,
                       const QString& folder, const QString& workingDirectory)
{
    QString error;
    if (!m_temp.Create(folder, &error)) {
        Fail(tr("Не удалось создать временный файл: ") + error);
        return;
    }
    const QStringList args = arguments(m_temp.Path());
    m_started = true;
    if (m_reader && (m_coverArt || m_piped)) {
        m_waitingForReader = true;
        const auto verb = m_coverArt ? ReaderProtocol::Verb::Cover : ReaderProtocol::Verb::Info;
        m_reader->Read(verb, m_input, this,
                       [this, program, args, workingDirectory](const ReaderProtocol::TAnswer& a) {
                           m_waitingForReader = false;
                           if (!m_ended)
                               Launch(program, args, workingDirectory, a);
                       });
        return;
    }
    Launch(program, args, workingDirectory, ReaderProtocol::TAnswer());
}

void TJobRunner::Launch(const QString& program, QStringList args,
                        const QString& workingDirectory, const ReaderProtocol::TAnswer& facts)
{
    if (m_coverArt) {
        TCoverArt art = TCoverArt::Embedded(facts);
        if (art.data.isEmpty())
            art = TCoverArt::InFolder(m_input);
        auto cover = std::make_unique<TCoverFile>();
        if (cover->Prepare(art)) {
            AddCoverArt(args, cover->Path());
            m_cover = std::move(cover);
        }
    }
    QProcess* feeder = nullptr;
    if (m_piped) {
        m_pipe = new TDecoderPipe(m_encoder);
        m_pipe->SetSourceKind(m_kind);
        QString message;
        if (!m_pipe->Prepare(m_decoderProgram, m_input, TSourceAudio::From(facts), &message)) {
            Fail(m_decoderWhy.isEmpty() ? message : m_decoderWhy + QStringLiteral(": ") + message);
            return;
        }
        connect(m_pipe, &TDecoderPipe::PercentChanged, this, &TJobRunner::PercentChanged);
        connect(m_pipe, &TDecoderPipe::Progressed, this, &TJobRunner::Alive);
        feeder = m_pipe->Feeder();
        PipeInput(args);
    }
    const bool running = m_encoder->Start(program, args, workingDirectory, feeder);
    if (running && feeder)
        m_pipe->Start();
    if (running && m_stallLimit.count() > 0) {
        m_stallTimer = new QTimer(this);
        m_stallTimer->setSingleShot(true);
        connect(m_stallTimer, &QTimer::timeout, this, &TJobRunner::OnStalled);
        m_stallTimer->start(m_stallLimit);
    }
}

// A sign of life from the encoder or the decoder: the stall watch starts over.
void TJobRunner::Alive()
{
    if (m_stallTimer && m_stallTimer->isActive())
        m_stallTimer->start(m_stallLimit);
}

void TJobRunner::OnStalled()
{
    if (m_ended || m_stopping)
        return;
    m_stalled = true;
    Stop(m_stallGrace);
}

void TJobRunner::Fail(const QString& reason)
{
    Outcome outcome;
    outcome.reason = reason;
    QTimer::singleShot(0, this, [this, outcome] { End(outcome); });
}

void TJobRunner::Stop(std::chrono::milliseconds grace)
{
    if (m_ended || m_stopping)
        return;
    m_stopping = true;
    if (m_waitingForReader) {
        // Nothing has been started: the job ends here, its temporary removed.
        Outcome outcome;
        outcome.stopped = true;
        outcome.reason = tr("Прервано");
        QTimer::singleShot(0, this, [this, outcome] { End(outcome); });
        return;
    }
    if (m_pipe)
        m_pipe->Kill();
    m_encoder->Stop(grace);
}

void TJobRunner::OnEncoderEnded(const TEncoderProcess::Result& result)
{
    if (m_stallTimer)
        m_stallTimer->stop();
    // A job fed by a decoder is judged once both have ended.
    if (m_pipe && m_pipe->Running())
        m_pipe->WhenEnded([this, result] { Judge(result, true); });
    else
        Judge(result, false);
}

void TJobRunner::Judge(const TEncoderProcess::Result& result, bool decoderOutlived)
{
    Outcome outcome;
    outcome.encoderCommand = result.command;
    outcome.encoderLines = result.lastLines;
    if (m_pipe) {
        outcome.decoderCommand = m_pipe->Command();
        outcome.decoderLines = m_pipe->LastLines();
    }
    QString& reason = outcome.reason;
    if (m_stalled) {
        // Stopped by the stall watch: a failure of the job, not the user's stop.
        reason = StalledReason();
    } else if (m_stopping) {
        // Asked to stop: whatever the encoder managed is not kept.
        outcome.stopped = true;
        reason = tr("Прервано");
    } else if (!result.started) {
        outcome.errorName = result.errorName;
        reason = result.errorName.isEmpty() ? result.errorText : result.errorName;
        if (reason.isEmpty())
            reason = tr("Не удалось запустить кодировщик");
    } else {
        if (result.crashed)
            reason = tr("Кодировщик завершился аварийно");
        else if (result.exitCode != 0)
            reason = tr("Код завершения ") + QString::number(result.exitCode);
        else if (!m_temp.HasContent())
            reason = tr("Кодировщик не создал файл назначения");
        // A failure lame words for developers gets plain words; its own
        // lines stay in the run log.
        if (!reason.isEmpty()) {
            if (const QString plain = FailureText::Plain(result.lastLines); !plain.isEmpty())
                reason = plain;
            else if (!result.lastMessage.isEmpty())
                reason += QStringLiteral(": ") + result.lastMessage;
        }
        // lame ends normally on a stream cut short: a decoder failure is the
        // job's failure, and usually the cause of the encoder's too.
        if (m_pipe) {
            if (const QString decoder = m_pipe->FailureReason(!reason.isEmpty() && decoderOutlived);
                !decoder.isEmpty())
                reason = decoder;
        }
    }
    if (reason.isEmpty() && m_verified) {
        // The commands and last lines go with the verdict into the log.
        m_judged = outcome;
        Verify();
        return;
    }
    Conclude(outcome);
}

// lame ended well: the output is read on a worker before it is kept.
void TJobRunner::Verify()
{
    TOutputCheck::Request request;
    request.mode = m_mode;
    request.output = m_temp.Path();
    request.source = m_input;
    // The source's length: from its WAV header, else from what the reader
    // found in its own headers, else what the decoder counted.
    if (m_kind.family == TSourceKind::Family::Wav && m_kind.frames >= 0 && m_kind.sampleRate > 0)
        request.expected = TAudioLength{m_kind.frames, m_kind.sampleRate};
    else if (m_pipe && m_pipe->Audio().durationMs > 0)
        request.expected = TAudioLength{m_pipe->Audio().durationMs, 1000};
    else if (m_pipe)
        request.expected = m_pipe->Decoded();
    m_check = new TOutputCheck(this);
    connect(m_check, &TOutputCheck::Finished, this, &TJobRunner::OnVerified);
    m_check->Start(request);
}

void TJobRunner::OnVerified(const QString& reason)
{
    Outcome outcome = m_judged;
    if (m_stopping) {
        outcome.stopped = true;
        outcome.reason = tr("Прервано");
    } else if (!reason.isEmpty()) {
        outcome.reason = reason;
        // A decoder that went on past a damaged part said why, first of all.
        if (m_pipe && !m_pipe->FirstMessage().isEmpty())
            outcome.reason += QStringLiteral(" (") + m_pipe->FirstMessage() + u')';
    }
    Conclude(outcome);
}

void TJobRunner::Conclude(Outcome outcome)
{
    // The output takes its final name only now that the job is done.
    QString error;
    if (outcome.reason.isEmpty() && !m_temp.Commit(m_output, m_replace, &error))
        outcome.reason = tr("Не удалось сохранить файл результата: ") + error;
    outcome.done = outcome.reason.isEmpty();
    End(outcome);
}

void TJobRunner::End(Outcome outcome)
{
    if (m_ended)
        return;
    m_ended = true;
    if (!outcome.done)
        m_temp.Discard(); // a failed job takes away only what it made itself
    Q_EMIT Ended(outcome);
}
