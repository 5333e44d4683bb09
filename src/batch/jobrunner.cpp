#include "jobrunner.h"

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
    m_started = true;
    m_encoder->Start(program, arguments(m_temp.Path()), workingDirectory);
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
    m_encoder->Stop(grace);
}

void TJobRunner::OnEncoderEnded(const TEncoderProcess::Result& result)
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
