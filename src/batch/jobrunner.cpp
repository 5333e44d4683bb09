#include "jobrunner.h"

#include "cmdline.h"
#include "coverfile.h"
#include "decoderpipe.h"
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
}

TJobRunner::~TJobRunner()
{
    // Only when the program quits during the job: the encoder is killed
    // first, so that nothing writes into the temporary once it is gone.
    delete m_encoder;
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
        QString message;
        if (!m_pipe->Prepare(m_decoderProgram, m_input, TSourceAudio::From(facts), &message)) {
            Fail(message);
            return;
        }
        connect(m_pipe, &TDecoderPipe::PercentChanged, this, &TJobRunner::PercentChanged);
        feeder = m_pipe->Feeder();
        PipeInput(args);
    }
    if (m_encoder->Start(program, args, workingDirectory, feeder) && feeder)
        m_pipe->Start();
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
    // A job fed by a decoder is judged once both have ended.
    if (m_pipe && m_pipe->Running())
        m_pipe->WhenEnded([this, result] { Judge(result, true); });
    else
        Judge(result, false);
}

void TJobRunner::Judge(const TEncoderProcess::Result& result, bool decoderOutlived)
{
    Outcome outcome;
    QString& reason = outcome.reason;
    if (m_stopping) {
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
        if (!reason.isEmpty() && !result.lastMessage.isEmpty())
            reason += QStringLiteral(": ") + result.lastMessage;
        // lame ends normally on a stream cut short: a decoder failure is the
        // job's failure, and usually the cause of the encoder's too.
        if (m_pipe) {
            if (const QString decoder = m_pipe->FailureReason(!reason.isEmpty() && decoderOutlived);
                !decoder.isEmpty())
                reason = decoder;
        }
    }
    // The output takes its final name only now that the job is done.
    QString error;
    if (reason.isEmpty() && !m_temp.Commit(m_output, m_replace, &error))
        reason = tr("Не удалось сохранить файл результата: ") + error;
    outcome.done = reason.isEmpty();
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
