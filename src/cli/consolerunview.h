#pragma once

#include "runview.h"

#include <QString>
#include <QStringList>

#include <cstdio>
#include <vector>

class TQueue;

// Shows a run without a window. On a terminal: one line that is rewritten in
// place (the run's percent, "i из n", the time left, the job started last),
// with failures and skips printed above it. Otherwise one line per job
// event; with Json, one JSON object a line per event (started, progress,
// done, failed, skipped, summary) for other programs to read.
class TConsoleRunView final : public IRunView
{
public:
    enum class Style { Terminal, Lines, Json };

    // names: each job's source as given (a job whose source is gone has none).
    TConsoleRunView(const TQueue& queue, const QStringList& names, int mode, Style style,
                    std::FILE* out);

    void SetStatusText(const QString& text) override;
    bool IsLineChecked(int line) const override;
    void SetLineChecked(int line, bool checked) override;
    void SetLineFailure(int line, const QString& reason) override;
    void SetLineSkipped(int line, const QString& reason) override;
    void DeleteProcessedLines() override {}
    void ShowError(const QString& text) override;
    int CurrentMode() const override { return m_mode; }
    void SetProgress(int position, int count, int percent) override;
    void SetLineProgress(int line, int percent) override;
    void SetTimeLeft(int seconds) override;

    // A job the run will not see (the plan said skip): counted as skipped.
    void SkipBeforeRun(int line, const QString& reason);

    int Done() const { return m_done; }
    int Failed() const { return m_failed; }
    int Skipped() const { return m_skipped; }
    // The end: the summary line or object.
    void Summary(int exitStatus, bool interrupted, double seconds);

private:
    enum class Line { Waiting, Running, Ended };
    void Event(const char* name, int line, const QString& reason = QString());
    void Print(const QString& text);
    void Redraw();

    const TQueue& m_queue;
    QStringList m_names;
    int m_mode;
    Style m_style;
    std::FILE* m_out;
    std::vector<Line> m_lines;
    std::vector<int> m_percent;
    int m_position = -1;
    int m_count = 0;
    int m_runPercent = 0;
    int m_secondsLeft = -1;
    QString m_current;
    QString m_drawn;
    int m_done = 0;
    int m_failed = 0;
    int m_skipped = 0;
};
