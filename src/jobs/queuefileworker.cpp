#include "queuefileworker.h"

#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>
#include <unistd.h>

TQueueFileWorker::TQueueFileWorker(QObject* parent) : QObject(parent)
{
    m_pool.setMaxThreadCount(1);
    m_pool.setExpiryTimeout(-1);
}

TQueueFileWorker::~TQueueFileWorker()
{
    m_pool.waitForDone();
}

void TQueueFileWorker::Read(const QString& path, ReadDone done)
{
    ++m_pending;
    m_pool.start([this, path, done = std::move(done)] {
        auto result = std::make_shared<TQueueFile::TReadResult>(TQueueFile::ReadFile(path));
        QMetaObject::invokeMethod(
            this,
            [this, done, result] {
                --m_pending;
                if (done)
                    done(*result);
            },
            Qt::QueuedConnection);
    });
}

void TQueueFileWorker::Write(const QString& path, std::shared_ptr<const TQueueContent> content,
                             WriteDone done)
{
    ++m_pending;
    m_pool.start([this, path, content = std::move(content), done = std::move(done)] {
        QString error;
        const bool ok = WriteFile(path, TQueueFile::Write(*content), &error);
        QMetaObject::invokeMethod(
            this,
            [this, done, ok, error] {
                --m_pending;
                if (done)
                    done(ok, error);
            },
            Qt::QueuedConnection);
    });
}

void TQueueFileWorker::WaitForDone()
{
    m_pool.waitForDone();
}

bool TQueueFileWorker::WriteFile(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    // Never the old file opened for writing in place: that is what could be
    // left half-written.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(bytes) != bytes.size()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    // On the disk before the rename: after a power cut the name holds
    // either the old file or the whole new one.
    if (!file.flush() || ::fsync(file.handle()) != 0) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    if (const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return true;
}
