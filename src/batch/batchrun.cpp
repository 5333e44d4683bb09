#include "batchrun.h"

#include "cmdline.h"
#include "audioduration.h"
#include "decoderpipe.h"
#include "freespace.h"
#include "naming.h"
#include "outputnamer.h"
#include "paths.h"
#include "programsettings.h"
#include "outputsize.h"
#include "queue.h"
#include "runlog.h"
#include "runview.h"
#include "sourceroute.h"
#include "replaygain.h"
#include "sourcereader.h"
#include "tempoutput.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>

#include <algorithm>

using namespace std::chrono_literals;

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
      m_gain(queue, view), m_tick(new QTimer(this))
{
    connect(&m_gain, &TRunGain::StepEnded, this, [this] { Later(0ms, &TBatchRun::Fill); });
    m_tick->setInterval(500);
    connect(m_tick, &QTimer::timeout, this, &TBatchRun::Tick);
}

TSourceReader* TBatchRun::SourceReader()
{
    if (!m_reader)
        m_reader = new TSourceReader(this);
    return m_reader;
}

// Only when the program quits in the middle of a run: the runners kill
// their encoders, and the half-written temporaries go with them.
TBatchRun::~TBatchRun() = default;

template <typename F> void TBatchRun::Later(std::chrono::milliseconds delay, F f)
{
    QTimer::singleShot(delay, this, [this, f, generation = m_generation] {
        if (m_running && generation == m_generation)
            (this->*f)();
    });
}

void TBatchRun::Start(TExistingOutput answer)
{
    if (m_running || m_queue.Count() == 0)
        return;
    m_running = true;
    ++m_generation;
    m_existing = answer != TExistingOutput::Ask ? answer : m_settings.ExistingOutput;
    if (m_existing == TExistingOutput::Ask)
        m_existing = TExistingOutput::KeepBoth;
    m_namer = std::make_unique<TOutputNamer>();
    m_cleanedFolders.clear();
    m_cancelRequested = false;
    m_stopRequested = false;
    m_failures = 0;
    m_stopped = 0;
    m_haltText.clear();
    m_endStatus.clear();
    m_startedAt.clear();
    m_expected.clear();
    m_pauseSteps = 2 * int(qMin(m_settings.PauseBetweenJobs, ProgramSettings::MaxPauseBetweenJobs));
    m_scheduler.Reset(m_queue, m_settings.EffectiveParallelJobs());
    m_progress.Reset();
    m_progress.Reserve(m_queue.Count());
    m_gain.Reset(m_settings.ReplayGain);
    m_gainFailures = 0;
    for (int i = 0; i < m_queue.Count(); ++i) {
        if (!m_view.IsLineChecked(i)) {
            const TQueueItem* job = m_queue.Items(i);
            m_progress.AddJob(job->Id(), job->InputFile());
            m_gain.Add(job->Id(), job->Artist(), job->Album());
        }
    }
    // The sources' lengths are read by the ticks, a slice at a time.
    m_durationsRead = false;
    m_clock.start();
    m_tick->start();
    // A run with nothing to do leaves the logs of earlier runs alone.
    if (m_log && m_progress.Total() > 0)
        m_log->Begin(m_progress.Total(), m_view.CurrentMode());
    Q_EMIT Started(m_progress.Total());
    Fill();
}

void TBatchRun::Cancel()
{
    if (!m_running || !m_cancelRequested) {
        m_cancelRequested = true;
        // One at a time, the run's texts stay those of the countdown.
        if (m_running && !m_scheduler.Sequential() && m_scheduler.Running() > 0)
            m_view.SetStatusText(WaitingText());
        return;
    }
    if (m_stopRequested || (m_runners.empty() && m_gain.Running() == 0))
        return;
    m_stopRequested = true;
    for (const auto& runner : m_runners)
        runner->Stop(m_stopGrace);
    m_gain.Stop();
}

// A ReplayGain step takes a slot as an encoder does.
bool TBatchRun::FreeSlot() const
{
    return m_scheduler.Running() + m_gain.Running() < m_scheduler.Slots();
}

// Starts jobs, in run order, while slots are free; ends the run when none
// is running and none is left to start.
void TBatchRun::Fill()
{
    // The ReplayGain steps that are ready come before the next jobs.
    while (!m_cancelRequested && m_showingError == 0 && FreeSlot() && m_gain.HasReady())
        m_gain.StartNext();
    while (!m_cancelRequested && m_haltText.isEmpty() && m_showingError == 0 && FreeSlot()) {
        const std::optional<quint64> id = m_scheduler.TakeNext();
        if (!id)
            break;
        const int line = m_queue.IndexOfId(*id);
        if (line < 0 || m_view.IsLineChecked(line)) {
            // Removed since the start, or processed: no text, no pause.
            m_progress.Ended(*id, false);
            m_gain.JobEnded(*id, false);
            continue;
        }
        StartJob(m_queue.Items(line), line);
        // A job that ended at once may have made its album ready.
        while (!m_cancelRequested && FreeSlot() && m_gain.HasReady())
            m_gain.StartNext();
    }
    if (m_runners.empty() && m_gain.Running() == 0 && m_showingError == 0
        && (!m_gain.HasReady() || m_cancelRequested || m_stopRequested)) {
        // Tracks whose step will not come now (the run was cancelled or
        // halted before their album was complete) are marked too.
        m_gainFailures = m_gain.Finish(tr("прервано до конца альбома"));
        EndRun(EndText());
    }
}

QString TBatchRun::SourceProblem(const QString& path)
{
    const QFileInfo source(path);
    if (!source.exists())
        return tr("Исходный файл не найден");
    if (!source.isFile())
        return tr("Исходный файл не является файлом");
    if (!source.isReadable())
        return tr("Исходный файл недоступен для чтения");
    if (source.size() == 0)
        return tr("Исходный файл пуст");
    return QString();
}

void TBatchRun::StartJob(TQueueItem* job, int line)
{
    const int mode = m_view.CurrentMode();
    const auto given = m_given.constFind(job->Id());
    const TOutputNamer::Assignment named =
        given != m_given.cend()
            ? m_namer->AssignGiven(*job, given->path, given->existing.value_or(m_existing), job)
            : m_namer->Assign(*job, m_settings, mode, m_existing, job);
    if (named.skip) {
        // Like a processed line: no status text, no pause, not an error.
        m_view.SetLineSkipped(line, SkippedReason());
        m_progress.Ended(job->Id(), false);
        m_gain.JobEnded(job->Id(), false);
        TJobRunner::Outcome skipped;
        skipped.reason = SkippedReason();
        LogJob(job->Id(), job->InputFile(), job->OutputFile(), skipped, tr("Пропущено"));
        return;
    }
    // A job that would not fit is not started, nor is any after it: the
    // running ones finish, and the user frees space and starts again.
    if (const QString shortage = SpaceShortage(*job, mode); !shortage.isEmpty()) {
        m_haltText = shortage;
        m_progress.Ended(job->Id(), false);
        m_gain.JobEnded(job->Id(), false);
        // Not a failure: the job waits for the next start.
        m_view.SetLineSkipped(line, shortage);
        m_view.SetStatusText(shortage);
        m_view.ShowNotice(shortage);
        return;
    }
    m_view.SetStatusText(tr("Обрабатывается: ") + job->InputFile());

    if (!EnsureOutputDir(job->OutputDir())) {
        m_haltText = tr("Не удалось создать папку: ") + job->OutputDir();
        m_view.SetLineFailure(line, m_haltText);
        m_progress.Ended(job->Id(), false);
        m_gain.JobEnded(job->Id(), false);
        TJobRunner::Outcome failed;
        failed.reason = m_haltText;
        LogJob(job->Id(), job->InputFile(), QString(), failed, tr("Ошибка"));
        return;
    }
    const QString folderKey = QFileInfo(job->OutputDir()).absoluteFilePath();
    if (!m_cleanedFolders.contains(folderKey)) {
        m_cleanedFolders.insert(folderKey);
        TTempOutput::RemoveStale(job->OutputDir());
        TGainStep::RemoveStale(job->OutputDir());
    }
    m_gain.JobStarted(job->Id(), job->OutputFile(), mode == EncodeMode);

    auto runner = std::make_unique<TJobRunner>(job->Id(), job->InputFile(), job->OutputFile(),
                                               named.replace);
    TJobRunner* r = runner.get();
    connect(r, &TJobRunner::PercentChanged, this, [this, r](int percent) { OnPercent(r, percent); });
    connect(r, &TJobRunner::Ended, this,
            [this, r](const TJobRunner::Outcome& outcome) { OnRunnerEnded(r, outcome); });
    m_runners.push_back(std::move(runner));
    m_startedAt.insert(job->Id(), QDateTime::currentDateTime());
    m_scheduler.Started(job->Id());
    m_progress.Started(job->Id());

    // A source changed since it was queued would make lame encode nothing
    // (an emptied file, a folder) and report success.
    if (const QString problem = SourceProblem(job->InputFile()); !problem.isEmpty()) {
        r->Fail(problem);
        return;
    }
    if (SameFile(job->OutputFile(), job->InputFile())) {
        r->Fail(SamePathReason());
        return;
    }
    if (Verification()) {
        // The source is what its first bytes say, whatever its name.
        const TSourceRoute route = TSourceRoute::For(
            TSourceKind::OfFile(job->InputFile()), mode,
            m_settings.AllSourceFormats || TDecoderPipe::Wanted(job->InputFile()));
        if (route.way == TSourceRoute::Way::Refused) {
            r->Fail(route.reason);
            return;
        }
        if (route.way == TSourceRoute::Way::Decoder)
            r->SetDecoder(m_decoder);
        r->SetSource(route.kind, route.reason);
        r->SetVerified(mode);
    } else if (mode == EncodeMode && TDecoderPipe::Wanted(job->InputFile())) {
        r->SetDecoder(m_decoder);
    }
    r->SetStallLimit(m_stallLimit, m_stopGrace);
    r->SetCoverArt(mode == EncodeMode && m_settings.EmbedCoverArt && job->Id3v2());
    r->SetSourceReader(SourceReader());
    r->Start(m_program,
             [job, mode](const QString& temporary) { return JobArguments(*job, mode, temporary); },
             job->OutputDir(), Paths::ProgramFolder());
    if (!r->Started())
        return;
    m_view.SetLineProgress(line, 0);
    ShowRunProgress();
    Q_EMIT JobStarted(job->Id());
}

void TBatchRun::OnPercent(TJobRunner* runner, int percent)
{
    m_progress.SetPercent(runner->JobId(), percent);
    const int line = m_queue.IndexOfId(runner->JobId());
    if (line < 0)
        return;
    m_view.SetLineProgress(line, percent);
    ShowRunProgress();
}

// One measure for both modes: the jobs of this run, ended ones whole and
// running ones by their percent. It reaches 100 only once every job of the
// run has ended, so a pause or a failure never shows a full or a busy bar.
void TBatchRun::ShowRunProgress()
{
    // A stopped run's bar stays where the run stood: the stopped jobs do
    // not count as done.
    if (m_stopRequested)
        return;
    Q_EMIT ProgressChanged(m_progress.Percent(), m_progress.Left());
    m_view.SetProgress(qMax(0, m_progress.Taken() - 1), m_progress.Total(), m_progress.Percent());
}

void TBatchRun::OnRunnerEnded(TJobRunner* runner, const TJobRunner::Outcome& outcome)
{
    const auto it = std::find_if(m_runners.begin(), m_runners.end(),
                                 [runner](const auto& r) { return r.get() == runner; });
    if (it == m_runners.end())
        return;
    const quint64 id = runner->JobId();
    const QString input = runner->Input();
    LogJob(id, input, runner->Output(), outcome,
           outcome.done ? tr("Готово") : outcome.stopped ? tr("Прервано") : tr("Ошибка"));
    m_expected.remove(id);
    // Deleted once its signal has returned (or with the run); not to be
    // touched after this.
    TJobRunner* done = it->release();
    done->setParent(this);
    done->deleteLater();
    m_runners.erase(it);
    m_scheduler.Ended(id);
    m_progress.Ended(id, outcome.done);
    m_gain.JobEnded(id, outcome.done);

    if (!outcome.errorName.isEmpty()) {
        // Only a failure with a name gets a message box; the line shows every
        // one. No job starts while the box is up.
        const QPointer<TBatchRun> alive(this);
        ++m_showingError;
        m_view.ShowError(outcome.errorName);
        if (!alive)
            return;
        --m_showingError;
    }
    const int line = m_queue.IndexOfId(id);
    if (outcome.done) {
        if (m_settings.DeleteAfterProcess)
            QFile::remove(input);
        if (line >= 0) {
            m_view.SetLineFailure(line, QString());
            m_view.SetLineChecked(line, true);
        }
    } else if (outcome.stopped) {
        ++m_stopped;
        if (line >= 0)
            m_view.SetLineStopped(line, StoppedReason());
    } else {
        ++m_failures;
        if (line >= 0)
            m_view.SetLineFailure(line, outcome.reason);
    }
    if (line >= 0)
        m_view.SetLineProgress(line, -1);
    ShowRunProgress();
    AfterJob();
}

void TBatchRun::AfterJob()
{
    // Let the window handle what came in meanwhile before the run goes on.
    if (m_scheduler.Sequential() && !m_stopRequested && m_pauseSteps > 0
        && m_scheduler.MoreAhead(m_queue)) {
        m_pauseTick = 0;
        PauseTick();
        return;
    }
    Later(0ms, &TBatchRun::Fill);
}

// One step of the pause: the even steps show the next count, every step first
// tests the cancel flag and then waits one pause step.
void TBatchRun::PauseTick()
{
    if (m_pauseTick >= m_pauseSteps) {
        Later(0ms, &TBatchRun::Fill);
        return;
    }
    if (m_pauseTick % 2 == 0) {
        m_view.SetStatusText(tr("Ожидание отмены... ")
                             + QString::number((m_pauseSteps - m_pauseTick) / 2));
    }
    if (m_cancelRequested) {
        Later(0ms, &TBatchRun::Fill);
        return;
    }
    ++m_pauseTick;
    Later(m_pauseStep, &TBatchRun::PauseTick);
}

// Twice a second: a few more sources' lengths, and the time left.
void TBatchRun::Tick()
{
    if (!m_durationsRead)
        m_durationsRead = m_progress.ReadDurations(15ms, SourceReader(), this);
    m_view.SetTimeLeft(m_progress.SecondsLeft(m_clock.elapsed() / 1000.0));
}

bool TBatchRun::Verification() const
{
    return m_verification.value_or(
        m_program.isEmpty() || !qEnvironmentVariableIsSet("TESSARY_PLACEHOLDER_FILES"));
}

std::vector<const TQueueItem*> TBatchRun::JobsAhead() const
{
    if (!m_running)
        return {};
    return m_scheduler.JobsAhead(m_queue);
}

bool TBatchRun::IsRunningJob(const TQueueItem* job) const
{
    return m_running && job && m_scheduler.IsRunning(job->Id());
}

QString TBatchRun::EndText() const
{
    // The jobs that failed before an output folder failed still count.
    const QString errors = m_failures > 0 ? tr(". Ошибок: ") + QString::number(m_failures)
                                          : QString();
    // Not errors: the MP3s are done, only their ReplayGain tags are missing.
    const QString gain = m_gainFailures > 0
        ? tr(". Без ReplayGain: ") + QString::number(m_gainFailures)
        : QString();
    if (m_stopRequested)
        return StoppedText(m_stopped) + errors + gain;
    return (m_haltText.isEmpty() ? tr("Готово") : m_haltText) + errors + gain;
}

QString TBatchRun::NoSpaceText(const QString& folder, qint64 needed, qint64 available, bool reserve)
{
    const QString need = reserve ? tr("нужен запас %1, так как длина источника неизвестна")
                                       .arg(OutputSize::Text(needed))
                                 : tr("нужно около %1").arg(OutputSize::Text(needed));
    return tr("Недостаточно места в %1: не хватает %2 (%3, свободно %4). "
              "Освободите место и снова нажмите «Вперед!»")
        .arg(folder, OutputSize::Text(needed - qMax<qint64>(available, 0)), need,
             OutputSize::Text(qMax<qint64>(available, 0)));
}

QString TBatchRun::SpaceShortage(const TQueueItem& job, int mode)
{
    const FreeSpace::Info space = FreeSpace::Of(job.OutputDir());
    if (space.available < 0)
        return QString();
    double seconds = m_progress.Seconds(job.Id());
    if (seconds < 0)
        seconds = TAudioDuration::OfFile(job.InputFile()).value_or(-1.0);
    const qint64 needed =
        OutputSize::Expected(job, mode, seconds, QFileInfo(job.InputFile()).size());
    // The jobs running into the same file system may still need theirs.
    qint64 pending = 0;
    for (auto it = m_expected.cbegin(); it != m_expected.cend(); ++it) {
        if (it->device == space.device)
            pending += it->bytes;
    }
    if (space.available - pending >= needed) {
        m_expected.insert(job.Id(), Room{space.device, needed});
        return QString();
    }
    const QString folder = job.OutputDir();
    return NoSpaceText(folder, needed + pending, space.available, seconds < 0);
}

void TBatchRun::LogJob(quint64 id, const QString& source, const QString& output,
                       const TJobRunner::Outcome& outcome, const QString& word)
{
    if (!m_log)
        return;
    TRunLog::Entry e;
    e.ended = QDateTime::currentDateTime();
    e.started = m_startedAt.value(id, e.ended);
    m_startedAt.remove(id);
    e.source = source;
    e.output = output;
    e.outcome = word;
    e.reason = outcome.done ? QString() : outcome.reason;
    e.encoderCommand = outcome.encoderCommand;
    e.encoderLines = outcome.encoderLines;
    e.decoderCommand = outcome.decoderCommand;
    e.decoderLines = outcome.decoderLines;
    m_log->Add(e);
}

void TBatchRun::EndRun(const QString& status)
{
    m_namer.reset();
    m_scheduler.Clear();
    m_progress.Reset();
    m_tick->stop();
    m_view.SetTimeLeft(-1);
    if (m_settings.DeleteFromQueue)
        m_view.DeleteProcessedLines();
    if (!m_stopRequested)
        m_view.SetProgress(-1, m_queue.Count(), -1);
    m_view.SetStatusText(status);
    m_endStatus = status;
    if (m_log)
        m_log->End(status);
    m_running = false;
    Q_EMIT Finished();
}
