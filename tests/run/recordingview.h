#pragma once

#include "queue.h"
#include "runview.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QStringList>

#include <functional>

// A window stand-in for the run: it keeps check marks and failure marks per
// job (so they follow lines that move), records what the run shows, and lets
// a test act at a given status text or progress call, as a user would.
class TRecordingView final : public IRunView
{
public:
    explicit TRecordingView(TQueue& queue) : m_queue(queue) {}

    void SetStatusText(const QString& text) override
    {
        statuses << text;
        if (onStatus)
            onStatus(text);
    }
    bool IsLineChecked(int line) const override { return checked.contains(m_queue.Items(line)); }
    void SetLineChecked(int line, bool on) override
    {
        if (on)
            checked.insert(m_queue.Items(line));
        else
            checked.remove(m_queue.Items(line));
    }
    void SetLineFailure(int line, const QString& reason) override
    {
        skipped.remove(m_queue.Items(line));
        if (reason.isEmpty())
            failures.remove(m_queue.Items(line));
        else
            failures.insert(m_queue.Items(line), reason);
    }
    void SetLineSkipped(int line, const QString& reason) override
    {
        failures.remove(m_queue.Items(line));
        skipped.insert(m_queue.Items(line), reason);
    }
    void DeleteProcessedLines() override
    {
        for (int i = m_queue.Count() - 1; i >= 0; --i) {
            if (IsLineChecked(i))
                Delete(i);
        }
    }
    void ShowError(const QString& text) override { errors << text; }
    int CurrentMode() const override { return mode; }
    void SetProgress(int position, int count, int percent) override
    {
        progress << QStringLiteral("%1/%2:%3").arg(position).arg(count).arg(percent);
        if (onProgress)
            onProgress(position, percent);
    }

    void SetLineProgress(int line, int percent) override
    {
        lineProgress << QStringLiteral("%1:%2").arg(m_queue.Items(line)->InputFile()).arg(percent);
        if (onLineProgress)
            onLineProgress(line, percent);
    }
    void SetTimeLeft(int seconds) override { timeLeft << seconds; }
    void SetLineWarning(int line, const QString& text) override
    {
        warnings.insert(m_queue.Items(line), text);
    }
    void ShowNotice(const QString& text) override { notices << text; }

    // Deletes a line and forgets its marks, as the window does.
    void Delete(int line)
    {
        checked.remove(m_queue.Items(line));
        failures.remove(m_queue.Items(line));
        skipped.remove(m_queue.Items(line));
        m_queue.Delete(line);
    }
    // "x" for a checked line, "-" for an unchecked one.
    QString Lines() const
    {
        QString s;
        for (int i = 0; i < m_queue.Count(); ++i)
            s += IsLineChecked(i) ? u'x' : u'-';
        return s;
    }
    QString Failure(int line) const { return failures.value(m_queue.Items(line)); }

    int mode = 0;
    QStringList statuses;
    QStringList errors;
    QStringList notices;
    QStringList progress; // "position/count:percent"
    QStringList lineProgress; // "source:percent"
    QList<int> timeLeft;
    QSet<const TQueueItem*> checked;
    QMap<const TQueueItem*, QString> failures;
    QMap<const TQueueItem*, QString> skipped;
    QMap<const TQueueItem*, QString> warnings;
    std::function<void(const QString&)> onStatus;
    std::function<void(int, int)> onProgress;
    std::function<void(int, int)> onLineProgress; // line, percent

private:
    TQueue& m_queue;
};
