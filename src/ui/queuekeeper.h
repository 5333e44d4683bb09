#pragma once

#include "queuefile.h"
#include "queuejournal.h"

#include <QHash>
#include <QObject>

#include <functional>
#include <memory>
#include <vector>

class QWidget;
class TBatchRun;
class TQueueAdder;
class TQueueList;

// Keeps the window's queue on the disk and brings it back: the journal,
// written after every change; at start, the queue kept at the last close
// (restored without asking) and the one a crash left (offered once); and
// the queue menu's save and open. Jobs from a file reach the queue through
// the window's adder like any added file, so duplicates are refused as
// always and a long queue comes in across turns of the event loop.
//
// A job comes back as it was, with these exceptions: one that was running
// comes back unprocessed (its output, if it is in place, is an existing
// output to the next run), unless its source is gone and its output is in
// place, which only a job that was done leaves (a source is deleted only
// after its job is done): that one comes back processed. A job whose
// source is gone otherwise comes back marked as the run marks a vanished
// source.
class TQueueKeeper final : public QObject
{
    Q_OBJECT
public:
    TQueueKeeper(TQueue& queue, TQueueList& list, TQueueAdder& adder, QWidget* window);
    ~TQueueKeeper() override;

    void SetRun(const TBatchRun* run) { m_run = run; }
    TQueueJournal& Journal() { return *m_journal; }

    enum class TAnswer { Restore, Delete, Later };
    // The question about a queue a crash left; Later (closed unanswered)
    // leaves it for the next start. Replaceable so tests answer it.
    std::function<TAnswer(int jobs, int unprocessed, QWidget* parent)> AskRestore;
    // A warning box; replaceable so tests read it.
    std::function<void(const QString& text, QWidget* parent)> ShowProblem;
    // Makes a line current as the user's click does.
    std::function<void(int line)> SelectLine;

    // Starts the journal and restores or offers what earlier runs left;
    // then settled() runs, once (the restored jobs may still be coming in).
    void Start(std::function<void()> settled = {});
    bool IsStarted() const { return m_journal->IsStarted(); }

    // The window's add asks first: a path that is a job of a queue file
    // being opened gets that job's values. True when the path was taken.
    bool AddFromFile(const QString& path);
    // Files being read or jobs of theirs still to be added.
    bool IsOpening() const { return m_reading > 0 || !m_pending.isEmpty(); }

    // Adds the jobs of a queue file to the queue (read on the worker).
    void Open(const QString& path);
    // Writes the queue to path (on the worker); a path without the queue
    // file extension gets it. Reports a failure.
    void Save(const QString& path);

    // Something the journal holds changed: an edit, or a job started.
    void Changed();
    void ChangedSoon();

    // The window closes; see TQueueJournal::TEnd.
    void Close(TQueueJournal::TEnd end);

    // The queue as it is now, with its lines; cheap: the texts are shared.
    TQueueContent Snapshot() const;

    static QString FileFilter();
    static QString AskText(int jobs, int unprocessed);

Q_SIGNALS:
    // A save by hand ended.
    void Saved(const QString& path, bool ok);
    // Every job of the files opened or restored so far has been added.
    void Opened();

private:
    void OnLeftoversRead();
    // Hands the jobs to the adder; false when there are none.
    bool AddContent(TQueueContent content);
    void Finish();
    void Problem(const QString& text);

    TQueue& m_queue;
    TQueueList& m_list;
    TQueueAdder& m_adder;
    QWidget* m_window;
    const TBatchRun* m_run = nullptr;
    std::unique_ptr<TQueueJournal> m_journal;

    struct TPending
    {
        std::size_t content;
        int job;
    };
    std::vector<TQueueContent> m_contents; // files whose jobs are being added
    QHash<QString, TPending> m_pending;    // source path -> its job in m_contents
    quint64 m_currentId = 0;               // the job to make current once all are in
    int m_reading = 0;

    struct TLeftoverRead
    {
        TQueueJournal::TLeftover leftover;
        TQueueFile::TReadResult result;
        bool done = false;
    };
    std::vector<TLeftoverRead> m_leftovers;
    std::function<void()> m_settled;
};
