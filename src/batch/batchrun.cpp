#include "batchrun.h"

#include "cmdline.h"
#include "coverfile.h"
#include "decoderpipe.h"
#include "naming.h"
#include "outputnamer.h"
#include "paths.h"
#include "programsettings.h"
#include "queue.h"
#include "runview.h"
#include "tempoutput.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTimer>

namespace {

bool SameFile(const QString& a, const QString& b)
{
    if (a == b)
        return true;
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists())
        return fa.canonicalFilePath() == fb.canonicalFilePath();
    return fa.absoluteFilePath() == fb.absoluteFilePath();
}

} // namespace

TBatchRun::TBatchRun(TQueue& queue, const ProgramSettings& settings, IRunView& view,
                     QObject* parent)
    : QObject(parent), m_queue(queue), m_settings(settings), m_view(view),
      m_encoder(new TEncoderProcess(this))
{
    connect(m_encoder, &TEncoderProcess::Ended, this, &TBatchRun::OnEncoderEnded);
    connect(m_encoder, &TEncoderProcess::PercentChanged, this, &TBatchRun::ShowPercent);
}

void TBatchRun::ShowPercent(int percent)
{
    if (const int line = CurrentLine(); line >= 0)
        m_view.SetProgress(line, m_queue.Count(), percent);
}

TBatchRun::~TBatchRun()
{
    // Only when the program quits in the middle of a job: the encoder is
    // killed with it, and its half-written temporary goes too.
    if (m_encoder->IsRunning())
        delete m_encoder;
    m_current.temp.reset();
}

void TBatchRun::Start(TExistingOutput answer)
{
    if (m_running || m_queue.Count() == 0)
        return;
    m_running = true;
    m_existing = answer != TExistingOutput::Ask ? answer : m_settings.ExistingOutput;
    if (m_existing == TExistingOutput::Ask)
        m_existing = TExistingOutput::KeepBoth;
    m_namer = std::make_unique<TOutputNamer>();
    m_cleanedFolders.clear();
    m_cancelRequested = false;
    m_failures = 0;
    m_jobs.clear();
    for (int i = 0; i < m_queue.Count(); ++i)
        m_jobs.push_back({m_queue.Items(i), m_queue.Items(i)->InputFile()});
    m_next = 0;
    NextPosition();
}

void TBatchRun::NextPosition()
{
    while (m_next < m_jobs.size() && !m_cancelRequested) {
        const int line = LineOf(m_jobs[m_next++]);
        if (line < 0 || m_view.IsLineChecked(line))
            continue; // removed since the start, or processed: no text, no pause
        if (StartJob(m_queue.Items(line), line))
            return;
    }
    EndRun(m_failures > 0 ? tr("Готово. Ошибок: ") + QString::number(m_failures)
                          : tr("Готово"));
}

bool TBatchRun::StartJob(TQueueItem* job, int line)
{
    const int mode = m_view.CurrentMode();
    const TOutputNamer::Assignment named = m_namer->Assign(*job, m_settings, mode, m_existing, job);
    if (named.skip) {
        // Like a processed line: no status text, no pause, not an error.
        m_view.SetLineSkipped(line, SkippedReason());
        return false;
    }
    m_view.SetStatusText(tr("Обрабатывается: ") + job->InputFile());

    if (!EnsureOutputDir(job->OutputDir())) {
        const QString text = tr("Не удалось создать папку: ") + job->OutputDir();
        m_view.SetLineFailure(line, text);
        // The jobs that failed before this one still count.
        EndRun(m_failures > 0 ? text + tr(". Ошибок: ") + QString::number(m_failures)
                              : text);
        return true;
    }
    const QString folderKey = QFileInfo(job->OutputDir()).absoluteFilePath();
    if (!m_cleanedFolders.contains(folderKey)) {
        m_cleanedFolders.insert(folderKey);
        TTempOutput::RemoveStale(job->OutputDir());
    }

    m_current.job = job;
    m_current.input = job->InputFile();
    m_current.output = job->OutputFile();
    m_current.replace = named.replace;

    if (SameFile(m_current.output, m_current.input)) {
        FinishJob(false, SamePathReason());
        return true;
    }
    m_current.temp = std::make_unique<TTempOutput>();
    QString error;
    if (!m_current.temp->Create(job->OutputDir(), &error)) {
        FinishJob(false, tr("Не удалось создать временный файл: ") + error);
        return true;
    }
    QStringList arguments = JobArguments(*job, mode, m_current.temp->Path());
    if (mode == EncodeMode && m_settings.EmbedCoverArt && job->Id3v2()) {
        auto cover = std::make_unique<TCoverFile>();
        if (cover->Prepare(m_current.input)) {
            AddCoverArt(arguments, cover->Path());
            m_current.cover = std::move(cover);
        }
    }
    QProcess* feeder = nullptr;
    if (mode == EncodeMode && TDecoderPipe::Wanted(m_current.input)) {
        auto* pipe = new TDecoderPipe(m_encoder);
        QString message;
        if (!pipe->Prepare(m_decoder, m_current.input, &message)) {
            delete pipe;
            FinishJob(false, message);
            return true;
        }
        connect(pipe, &TDecoderPipe::PercentChanged, this, &TBatchRun::ShowPercent);
        m_current.pipe = pipe;
        feeder = pipe->Feeder();
        PipeInput(arguments);
    }
    if (m_encoder->Start(m_program, arguments, Paths::ProgramFolder(), feeder) && feeder)
        m_current.pipe->Start();
    m_view.SetProgress(line, m_queue.Count(), -1);
    return true;
}

void TBatchRun::OnEncoderEnded(const TEncoderProcess::Result& result)
{
    // A job fed by a decoder is judged once both have ended.
    if (TDecoderPipe* pipe = m_current.pipe; pipe && pipe->Running())
        pipe->WhenEnded([this, result] { JudgeJob(result, true); });
    else
        JudgeJob(result, false);
}

void TBatchRun::JudgeJob(const TEncoderProcess::Result& result, bool decoderOutlived)
{
    QString reason;
    if (!result.started) {
        // Only a failure with a name gets a message box; the line shows every one.
        if (!result.errorName.isEmpty())
            m_view.ShowError(result.errorName);
        reason = result.errorName.isEmpty() ? result.errorText : result.errorName;
        if (reason.isEmpty())
            reason = tr("Не удалось запустить кодировщик");
    } else {
        if (result.crashed)
            reason = tr("Кодировщик завершился аварийно");
        else if (result.exitCode != 0)
            reason = tr("Код завершения ") + QString::number(result.exitCode);
        else if (!m_current.temp || !m_current.temp->HasContent())
            reason = tr("Кодировщик не создал файл назначения");
        if (!reason.isEmpty() && !result.lastMessage.isEmpty())
            reason += QStringLiteral(": ") + result.lastMessage;
    }
    if (m_current.pipe) {
        // lame ends normally on a stream cut short: a decoder failure is the
        // job's failure, and usually the cause of the encoder's too.
        if (const QString decoder =
                m_current.pipe->FailureReason(!reason.isEmpty() && decoderOutlived);
            !decoder.isEmpty())
            reason = decoder;
    }
    // The output takes its final name only now that the job is done.
    QString error;
    if (reason.isEmpty() && !m_current.temp->Commit(m_current.output, m_current.replace, &error))
        reason = tr("Не удалось сохранить файл результата: ") + error;
    FinishJob(reason.isEmpty(), reason);
}

void TBatchRun::FinishJob(bool done, const QString& reason)
{
    const int line = CurrentLine();
    if (done) {
        if (m_settings.DeleteAfterProcess)
            QFile::remove(m_current.input);
        if (line >= 0) {
            m_view.SetLineFailure(line, QString());
            m_view.SetLineChecked(line, true);
        }
    } else {
        ++m_failures;
        // A failed job takes away only what it made itself: its temporary.
        if (line >= 0)
            m_view.SetLineFailure(line, reason);
    }
    m_current.job = nullptr;
    m_current.temp.reset();
    m_current.cover.reset();
    if (m_current.pipe) {
        // This may run inside the decoder's own end handler.
        m_current.pipe->Kill();
        m_current.pipe->deleteLater();
        m_current.pipe = nullptr;
    }

    if (MoreJobsAhead()) {
        m_pauseTick = 0;
        PauseTick();
    } else {
        // Let the window handle what came in meanwhile before the loop goes on.
        QTimer::singleShot(0, this, &TBatchRun::NextPosition);
    }
}

// One step of the pause: the even steps show the next count, every step first
// tests the cancel flag and then waits one pause step.
void TBatchRun::PauseTick()
{
    if (m_pauseTick >= 6) {
        QTimer::singleShot(0, this, &TBatchRun::NextPosition);
        return;
    }
    if (m_pauseTick % 2 == 0) {
        m_view.SetStatusText(tr("Ожидание отмены... ")
                             + QString::number(3 - m_pauseTick / 2));
    }
    if (m_cancelRequested) {
        QTimer::singleShot(0, this, &TBatchRun::NextPosition);
        return;
    }
    ++m_pauseTick;
    QTimer::singleShot(m_pauseStep, this, &TBatchRun::PauseTick);
}

int TBatchRun::LineOf(const Entry& entry) const
{
    if (!entry.job)
        return -1;
    // Only the address is compared: a deleted job is never touched. A new job
    // that took a deleted one's memory is told apart by its source file.
    const int line = m_queue.IndexOf(entry.job);
    if (line >= 0 && m_queue.Items(line)->InputFile() != entry.input)
        return -1;
    return line;
}

int TBatchRun::CurrentLine() const
{
    return LineOf({m_current.job, m_current.input});
}

std::vector<const TQueueItem*> TBatchRun::JobsAhead() const
{
    std::vector<const TQueueItem*> jobs;
    if (!m_running)
        return jobs;
    // As LineOf() does, but with one pass over the queue for all of them.
    QHash<const TQueueItem*, int> lines;
    lines.reserve(m_queue.Count());
    for (int i = 0; i < m_queue.Count(); ++i)
        lines.insert(m_queue.Items(i), i);
    jobs.reserve(m_jobs.size() - m_next);
    for (std::size_t i = m_next; i < m_jobs.size(); ++i) {
        const int line = lines.value(m_jobs[i].job, -1);
        if (line >= 0 && m_queue.Items(line)->InputFile() == m_jobs[i].input)
            jobs.push_back(m_queue.Items(line));
    }
    return jobs;
}

bool TBatchRun::MoreJobsAhead() const
{
    for (std::size_t i = m_next; i < m_jobs.size(); ++i) {
        if (LineOf(m_jobs[i]) >= 0)
            return true;
    }
    return false;
}

void TBatchRun::EndRun(const QString& status)
{
    m_namer.reset();
    m_jobs.clear();
    m_current = Current();
    if (m_settings.DeleteFromQueue)
        m_view.DeleteProcessedLines();
    m_view.SetProgress(-1, m_queue.Count(), -1);
    m_view.SetStatusText(status);
    m_running = false;
    Q_EMIT Finished();
}
