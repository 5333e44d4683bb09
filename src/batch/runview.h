#pragma once

#include <QString>
#include <QtGlobal>

// What the batch run needs from the window that shows the queue. The main
// window implements it; tests implement it with a plain recording object.
class IRunView
{
public:
    virtual ~IRunView() = default;

    virtual void SetStatusText(const QString& text) = 0;
    virtual bool IsLineChecked(int line) const = 0;
    virtual void SetLineChecked(int line, bool checked) = 0;
    // Marks line as failed (error mark and tooltip); an empty reason clears the mark.
    virtual void SetLineFailure(int line, const QString& reason) = 0;
    // Marks line as skipped (a mark of its own and reason as tooltip): the job
    // was not run, or was stopped by the user, which is not a failure.
    // SetLineFailure with an empty reason clears this mark too.
    virtual void SetLineSkipped(int line, const QString& reason) = 0;
    // Removes every checked line together with its job (the "remove processed" operation).
    virtual void DeleteProcessedLines() = 0;
    // A modal message box with an OK button, titled "Tessary".
    virtual void ShowError(const QString& text) = 0;
    // 0 encode, 1 decode: read afresh for every job.
    virtual int CurrentMode() const = 0;
    // The run's progress: position (from 0) of the last job started among the
    // count jobs of the run, and the percent of the whole run. Called with
    // position -1 when the run ends.
    virtual void SetProgress(int position, int count, int percent) = 0;
    // The percent shown on a running job's line; -1 takes it away.
    virtual void SetLineProgress(int line, int percent) { Q_UNUSED(line) Q_UNUSED(percent) }
    // Marks a processed line with a warning and text as its tooltip: its
    // job is done, but a step after it (ReplayGain) was not.
    virtual void SetLineWarning(int line, const QString& text) { Q_UNUSED(line) Q_UNUSED(text) }
    // The estimate of the run's time left in seconds; -1 when there is none.
    virtual void SetTimeLeft(int seconds) { Q_UNUSED(seconds) }
    // Marks line as stopped by the user: by default as a skipped one.
    virtual void SetLineStopped(int line, const QString& reason) { SetLineSkipped(line, reason); }
    // A message the run does not wait for (the window shows it without
    // blocking; the run goes on with its running jobs).
    virtual void ShowNotice(const QString& text) { Q_UNUSED(text) }
};
