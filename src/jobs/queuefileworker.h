#pragma once

#include "queuefile.h"

#include <QObject>
#include <QThreadPool>

#include <functional>
#include <memory>

// Reads and writes queue files on a thread of its own, one file at a time
// in the order asked, and reports back in the thread that asked; so a long
// queue costs the window nothing but the copy it hands over. A write goes
// to a new file that replaces the old one only once it is whole and on the
// disk: the file is never half-written, whatever moment the program dies.
class TQueueFileWorker final : public QObject
{
    Q_OBJECT
public:
    explicit TQueueFileWorker(QObject* parent = nullptr);
    // Waits for the file under way; what is still to report is dropped.
    ~TQueueFileWorker() override;

    using ReadDone = std::function<void(TQueueFile::TReadResult& result)>;
    using WriteDone = std::function<void(bool ok, const QString& error)>;

    void Read(const QString& path, ReadDone done);
    // The content is turned into bytes on the worker thread as well.
    void Write(const QString& path, std::shared_ptr<const TQueueContent> content, WriteDone done);
    // Blocks until every file asked for so far is done (their reports still
    // come through the event loop). For the end of the program only.
    void WaitForDone();
    // Files asked for whose report has not come yet.
    int Pending() const { return m_pending; }

    // The replacement itself: a new file beside path, flushed to the disk,
    // renamed over path, and the folder flushed so the rename is kept too.
    // Readable by the user only: it holds the user's paths and tags.
    static bool WriteFile(const QString& path, const QByteArray& bytes, QString* error);

private:
    QThreadPool m_pool;
    int m_pending = 0;
};
