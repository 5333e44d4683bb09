#include "sourcetagfiller.h"

#include "queue.h"
#include "sourcereader.h"
#include "sourcetags.h"

TSourceTagFiller::TSourceTagFiller(TQueue& queue, TSourceReader& reader, QObject* parent)
    : QObject(parent), m_queue(queue), m_reader(reader)
{
}

QString TSourceTagFiller::UnreadableText(const QString& reason)
{
    return tr("Не удалось прочитать теги: ") + reason;
}

QString TSourceTagFiller::Fingerprint(const TQueueItem& job)
{
    return QStringList{job.Title(), job.Artist(), job.Album(), job.Year(), job.Comment(),
                       QString::number(job.Track()), QString::number(job.Genre()),
                       QString::number(int(job.AutoTrack) | int(job.Id3v1()) << 1
                                       | int(job.Id3v2()) << 2)}
        .join(QChar(0));
}

void TSourceTagFiller::Request(const TQueueItem& job, Apply apply)
{
    const quint64 id = job.Id();
    const bool wasBusy = IsBusy();
    m_pending[id] = Waiting{Fingerprint(job), std::move(apply)};
    if (!wasBusy)
        Q_EMIT BusyChanged(true);
    m_reader.Read(ReaderProtocol::Verb::Info, job.InputFile(), this,
                  [this, id](const ReaderProtocol::TAnswer& answer) {
                      const TSourceTags tags = TSourceTags::From(answer);
                      Answered(id, answer.readable, &tags, answer.failure);
                  });
}

void TSourceTagFiller::Answered(quint64 id, bool readable, const TSourceTags* tags,
                                const QString& reason)
{
    const auto it = m_pending.find(id);
    if (it == m_pending.end())
        return;
    Waiting pending = std::move(it->second);
    m_pending.erase(it);
    // Nothing touches a job that has left the queue.
    if (TQueueItem* job = m_queue.Find(id)) {
        if (!readable) {
            Q_EMIT Unreadable(id, reason);
        } else if (tags->Any() && Fingerprint(*job) == pending.fingerprint) {
            pending.apply(*job, tags);
            Q_EMIT Applied(id);
        }
    }
    if (!IsBusy())
        Q_EMIT BusyChanged(false);
}
