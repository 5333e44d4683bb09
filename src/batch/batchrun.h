#pragma once

#include "jobrunner.h"
#include "jobscheduler.h"
#include "programsettings.h"
#include "rungain.h"
#include "runprogress.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

class IRunView;

// A job's output decided before the run (a plan made over a whole library):
// the path, and the choice for a file found there when the plan made one.
struct TGivenOutput
{
    QString path;
    std::optional<TExistingOutput> existing;
};
class QTimer;
class TOutputNamer;
class TQueue;
class TQueueItem;
class TRunLog;
class TSourceReader;

// The batch run over the queue: every unchecked job gets its output path
// and folder and one lame process (a TJobRunner). With one job at a time a
// counted pause between jobs gives the user time to cancel; with more
// ("Parallel jobs"), a job starts, in queue order, whenever a slot is free,
// and there is no pause. Event driven: an encoder's end is a signal and the
// pause is timers, so the GUI thread is never blocked. The run talks to the
// window only through IRunView.
//
// The jobs are those in the queue when the run starts, held by Id (see
// TJobScheduler), and each one's line is looked up afresh when needed; so
// lines added, removed or moved while the run waits can neither shift it
// onto the wrong job nor make it touch a deleted one.
//
// Each job's output is named through TOutputNamer when the job starts (so
// clashes inside the run are numbered as the plan shows them, whatever
// order the jobs finish in) and written into a hidden temporary file that
// gets the final name only when the job is done.
class TBatchRun final : public QObject
{
    Q_OBJECT
public:
    TBatchRun(TQueue& queue, const ProgramSettings& settings, IRunView& view,
              QObject* parent = nullptr);
    ~TBatchRun() override;

    // acGO: does nothing when the queue is empty or a run is active. answer
    // is the user's choice for outputs that exist already; Ask means the
    // "Existing output" setting decides, and where it says Ask as well,
    // nobody has chosen to overwrite, so both files are kept.
    void Start(TExistingOutput answer = TExistingOutput::Ask);
    // acCancel: the first press in a run sets CancelRequested (no new job
    // starts; running ones finish and are checked), a second one stops the
    // running encoders at once.
    void Cancel();
    bool IsRunning() const { return m_running; }
    bool CancelRequested() const { return m_cancelRequested; }

    // Before Start: these jobs (by Id) take the given outputs instead of
    // being named by the run; their Track is used as it stands.
    void SetGivenOutputs(QHash<quint64, TGivenOutput> given) { m_given = std::move(given); }

    // Tests and the benchmark: a fake encoder; empty looks up "lame".
    void SetEncoderProgram(const QString& path) { m_program = path; }
    // Tests: another decoder for non-WAV sources; empty looks up "ffmpeg".
    void SetDecoderProgram(const QString& path) { m_decoder = path; }
    // Tests: another loudgain for the ReplayGain steps.
    void SetGainProgram(const QString& path) { m_gain.SetProgram(path); }
    // One of the steps of the pause between jobs (two per second counted):
    // 500 ms in the program.
    void SetPauseStep(std::chrono::milliseconds step) { m_pauseStep = step; }
    // How long a stopped encoder may take to end before it is killed.
    void SetStopGrace(std::chrono::milliseconds grace) { m_stopGrace = grace; }
    // How long a job may go without a sign of life (output of its encoder,
    // a step of its decoder) before it is stopped as not responding.
    void SetStallLimit(std::chrono::milliseconds limit) { m_stallLimit = limit; }
    // lame shows its progress every few hundred milliseconds and ffmpeg
    // every half second; a minute leaves room for a source on a disk that
    // wakes up or a share that answers slowly, and for eight jobs sharing
    // two loaded cores, while a run left alone loses at most a minute on a
    // file that hangs its encoder.
    static constexpr std::chrono::seconds DefaultStallLimit{60};
    // Whether sources are told by their contents and outputs verified:
    // always, unless turned off here, or unless the environment has
    // TESSARY_PLACEHOLDER_FILES and the encoder is one set above (the test
    // suites' fake encoders, which read and write placeholder bytes).
    void SetVerification(bool on) { m_verification = on; }
    bool Verification() const;
    // Where each job's entry is written; null writes none. Not owned.
    void SetLog(TRunLog* log) { m_log = log; }
    TRunLog* Log() const { return m_log; }
    // The reader pool the jobs ask for their sources' audio facts, pictures
    // and lengths (the window's own); without one the run makes its own.
    void SetSourceReader(TSourceReader* reader) { m_reader = reader; }
    TSourceReader* SourceReader();

    // The job's output must not overwrite its own source.
    static QString SamePathReason() { return tr("Файл назначения совпадает с исходным"); }
    // Why a source cannot be encoded as it stands now; empty when it can.
    static QString SourceProblem(const QString& path);
    static QString SkippedReason() { return tr("Пропущено: файл уже существует"); }
    static QString StoppedReason() { return tr("Прервано"); }
    // The end of a run stopped by the second "&Отмена": stopped jobs.
    static QString StoppedText(int stopped)
    {
        return tr("Остановлено. Прервано: ") + QString::number(stopped);
    }
    // The free space at folder is short of what the next job needs.
    static QString NoSpaceText(const QString& folder, qint64 needed, qint64 available, bool reserve);
    static QString WaitingText()
    {
        return tr("Ожидание завершения текущих заданий… (ещё раз «Отмена» — прервать)");
    }

    // While a run is active, for the plan of the jobs it has still ahead:
    // its namer as it stands, those jobs (still queued, in run order), the
    // jobs being run and the choice for existing outputs in force.
    const TOutputNamer* Namer() const { return m_namer.get(); }
    std::vector<const TQueueItem*> JobsAhead() const;
    bool IsRunningJob(const TQueueItem* job) const;
    TExistingOutput ExistingChoice() const { return m_existing; }

    // How the last run ended: its status text, its failures, whether it was stopped.
    const QString& EndStatus() const { return m_endStatus; }
    int Failures() const { return m_failures; }
    bool WasStopped() const { return m_stopRequested; }

Q_SIGNALS:
    // A run has begun with jobs to do.
    void Started(int jobs);
    // The run's share done (0 to 100) and the jobs not ended yet.
    void ProgressChanged(int percent, int jobsLeft);
    // After the end step ("Готово" or its variants).
    void Finished();
    // A job's encoder has started (its output path and track are set).
    void JobStarted(quint64 id);

private:
    void Fill();
    void StartJob(TQueueItem* job, int line);
    void OnPercent(TJobRunner* runner, int percent);
    void OnRunnerEnded(TJobRunner* runner, const TJobRunner::Outcome& outcome);
    void AfterJob();
    void PauseTick();
    void Tick();
    void ShowRunProgress();
    // Runs f in a later turn of the event loop, unless this run has ended by then.
    template <typename F> void Later(std::chrono::milliseconds delay, F f);
    QString EndText() const;
    bool FreeSlot() const;
    // Empty when the output folder has room for job, else what is short, and where.
    // The room the job's output takes is kept in m_expected while it runs.
    QString SpaceShortage(const TQueueItem& job, int mode);
    void LogJob(quint64 id, const QString& source, const QString& output,
                const TJobRunner::Outcome& outcome, const QString& word);
    void EndRun(const QString& status);

    TQueue& m_queue;
    const ProgramSettings& m_settings;
    IRunView& m_view;

    QString m_program;
    QString m_decoder;
    TSourceReader* m_reader = nullptr;
    std::chrono::milliseconds m_pauseStep{500};
    std::chrono::milliseconds m_stopGrace{1000};
    std::chrono::milliseconds m_stallLimit{DefaultStallLimit};
    std::optional<bool> m_verification;

    bool m_running = false;
    bool m_cancelRequested = false;
    bool m_stopRequested = false;
    quint64 m_generation = 0;  // tells a run's timers from a later run's
    TExistingOutput m_existing = TExistingOutput::KeepBoth;
    std::unique_ptr<TOutputNamer> m_namer;
    QHash<quint64, TGivenOutput> m_given;
    QSet<QString> m_cleanedFolders;  // output folders rid of stale temporaries
    TJobScheduler m_scheduler;
    TRunGain m_gain;       // ReplayGain steps after the jobs, in the same slots
    int m_gainFailures = 0;
    std::vector<std::unique_ptr<TJobRunner>> m_runners;
    TRunProgress m_progress;
    bool m_durationsRead = false;
    QElapsedTimer m_clock;
    QTimer* m_tick;
    int m_pauseTick = 0;   // two steps for each count of the pause
    int m_pauseSteps = 6;
    int m_showingError = 0;
    int m_failures = 0;
    QString m_haltText;    // an output folder failed: no new job, and the end says why
    int m_stopped = 0;     // jobs ended by a stop
    QString m_endStatus;
    TRunLog* m_log = nullptr;
    QHash<quint64, QDateTime> m_startedAt;
    struct Room
    {
        quint64 device = 0;
        qint64 bytes = 0;
    };
    QHash<quint64, Room> m_expected; // running jobs: the room their outputs may take
};
