#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <unordered_map>

class TQueue;
class TQueueItem;
class TSourceReader;
struct TSourceTags;

// Source tags for jobs just queued: the job is made at once without them,
// the reader is asked, and its answer is put into the job (through apply,
// the same steps that made it) only while the job is still queued and its
// tags are as they were made: a job removed meanwhile is not touched, and a
// value the user typed in is not overwritten. A file the reader could not
// read keeps its job as it is, without source tags.
class TSourceTagFiller final : public QObject
{
    Q_OBJECT
public:
    using Apply = std::function<void(TQueueItem& job, const TSourceTags* tags)>;

    TSourceTagFiller(TQueue& queue, TSourceReader& reader, QObject* parent = nullptr);

    void Request(const TQueueItem& job, Apply apply);
    int Pending() const { return int(m_pending.size()); }
    bool IsBusy() const { return !m_pending.empty(); }

    // The line's text for a file whose tags could not be read.
    static QString UnreadableText(const QString& reason);

Q_SIGNALS:
    // The job got its source's tags (when it had any).
    void Applied(quint64 jobId);
    void Unreadable(quint64 jobId, const QString& reason);
    void BusyChanged(bool busy);

private:
    struct Waiting
    {
        QString fingerprint; // the job's tag values as made
        Apply apply;
    };
    static QString Fingerprint(const TQueueItem& job);
    void Answered(quint64 id, bool readable, const TSourceTags* tags, const QString& reason);

    TQueue& m_queue;
    TSourceReader& m_reader;
    std::unordered_map<quint64, Waiting> m_pending;
};
