#pragma once

#include "encoder.h"
#include "programsettings.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <QSet>
#include <vector>

class IRunView;
class TCoverFile;
class TDecoderPipe;
class TOutputNamer;
class TQueue;
class TQueueItem;
class TTempOutput;

// The batch run over the queue: every unchecked job in turn gets its output
// path and folder and one lame process; a counted pause between jobs gives the
// user time to cancel. Event driven: the encoder's end is a signal and the
// pause is timers, so the GUI thread is never blocked. The run talks to the
// window only through IRunView.
//
// The jobs are those in the queue when the run starts, held by pointer, and
// each one's line is looked up afresh when needed; so lines added, removed or
// moved while the run waits can neither shift it onto the wrong job nor make
// it touch a deleted one.
//
// Each job's output goes through TOutputNamer (so clashes inside the run are
// numbered, as the plan shows them) and is written into a hidden temporary
// file that gets the final name only when the job is done.
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
    // acCancel: sets CancelRequested; a running encoder is never stopped.
    void Cancel() { m_cancelRequested = true; }
    bool IsRunning() const { return m_running; }
    bool CancelRequested() const { return m_cancelRequested; }

    // Tests and the benchmark: a fake encoder; empty looks up "lame".
    void SetEncoderProgram(const QString& path) { m_program = path; }
    // Tests: another decoder for non-WAV sources; empty looks up "ffmpeg".
    void SetDecoderProgram(const QString& path) { m_decoder = path; }
    // One of the six steps of the pause between jobs: 500 ms in the program.
    void SetPauseStep(std::chrono::milliseconds step) { m_pauseStep = step; }

    // The job's output must not overwrite its own source.
    static QString SamePathReason() { return tr("Файл назначения совпадает с исходным"); }
    static QString SkippedReason() { return tr("Пропущено: файл уже существует"); }

    // While a run is active, for the plan of the jobs it has still ahead:
    // its namer as it stands, those jobs (still queued, in run order), the
    // job being run and the choice for existing outputs in force.
    const TOutputNamer* Namer() const { return m_namer.get(); }
    std::vector<const TQueueItem*> JobsAhead() const;
    const TQueueItem* CurrentJob() const { return m_current.job; }
    TExistingOutput ExistingChoice() const { return m_existing; }

Q_SIGNALS:
    // After the end step ("Готово" or its variants).
    void Finished();

private:
    struct Entry
    {
        TQueueItem* job;
        QString input; // tells the job from a new one that took its memory
    };
    struct Current
    {
        TQueueItem* job = nullptr;
        QString input;
        QString output;
        bool replace = false; // the final name may be replaced by this job
        std::unique_ptr<TTempOutput> temp;
        TDecoderPipe* pipe = nullptr; // a child of the encoder, which must end first
        std::unique_ptr<TCoverFile> cover;
    };

    void NextPosition();
    // False when the job was skipped and the run goes straight on.
    bool StartJob(TQueueItem* job, int line);
    void OnEncoderEnded(const TEncoderProcess::Result& result);
    // decoderOutlived: a decoder fed the job and ended after the encoder.
    void JudgeJob(const TEncoderProcess::Result& result, bool decoderOutlived);
    void ShowPercent(int percent);
    void FinishJob(bool done, const QString& reason);
    void PauseTick();
    int LineOf(const Entry& entry) const;
    int CurrentLine() const;
    bool MoreJobsAhead() const;
    void EndRun(const QString& status);

    TQueue& m_queue;
    const ProgramSettings& m_settings;
    IRunView& m_view;
    TEncoderProcess* m_encoder;

    QString m_program;
    QString m_decoder;
    std::chrono::milliseconds m_pauseStep{500};

    bool m_running = false;
    bool m_cancelRequested = false;
    TExistingOutput m_existing = TExistingOutput::KeepBoth;
    std::unique_ptr<TOutputNamer> m_namer;
    QSet<QString> m_cleanedFolders;  // output folders rid of stale temporaries
    std::vector<Entry> m_jobs;       // the queue as it was at the start
    std::size_t m_next = 0;          // the next entry of m_jobs
    Current m_current;
    int m_pauseTick = 0;             // 0..5: two steps for each of the counts 3, 2, 1
    int m_failures = 0;
};
