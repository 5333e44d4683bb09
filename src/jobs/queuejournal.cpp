#include "queuejournal.h"

#include "heldfile.h"
#include "queuefileworker.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace {

const QString kJournalPrefix = QStringLiteral("journal-");
const QString kKeptPrefix = QStringLiteral("kept-");
const QString kLockSuffix = QStringLiteral(".lock");

} // namespace

TQueueJournal::TQueueJournal(Snapshot snapshot, QObject* parent)
    : QObject(parent), m_snapshot(std::move(snapshot)), m_worker(new TQueueFileWorker(this)),
      m_lock(std::make_unique<THeldFile>())
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &TQueueJournal::Save);
}

TQueueJournal::~TQueueJournal()
{
    m_timer.stop();
    m_worker->WaitForDone();
}

QString TQueueJournal::Folder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(state) + QStringLiteral("/tessary");
}

QString TQueueJournal::BaseOf(const QString& journal)
{
    return journal.left(journal.size() - TQueueFile::Extension().size());
}

void TQueueJournal::Start()
{
    if (!m_closed)
        m_started = true;
}

bool TQueueJournal::IsIdle() const
{
    return !m_dirty && !m_writing && !m_timer.isActive();
}

void TQueueJournal::MarkChanged()
{
    if (!m_started || m_closed)
        return;
    if (!m_dirty) {
        m_dirty = true;
        m_firstChange.start();
    }
    const auto waited = std::chrono::milliseconds(m_firstChange.elapsed());
    const auto left = std::max(std::chrono::milliseconds(0), m_max - waited);
    // A save that is due at once stays so.
    if (m_timer.isActive() && m_timer.interval() == 0)
        return;
    m_timer.start(std::min(m_quiet, left));
}

void TQueueJournal::MarkChangedSoon()
{
    if (!m_started || m_closed)
        return;
    if (!m_dirty) {
        m_dirty = true;
        m_firstChange.start();
    }
    m_timer.start(0);
}

bool TQueueJournal::EnsureFiles(QString* error)
{
    if (m_lock->IsHeld())
        return true;
    const QString folder = Folder();
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("cannot create %1").arg(folder);
        return false;
    }
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                      | QFileDevice::ExeOwner);
    // A name nobody has; the lock first, so the journal is never seen
    // without the lock of the window that writes it.
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString base = folder + u'/' + kJournalPrefix
                             + QString::number(QRandomGenerator::system()->generate64(), 16);
        if (QFileInfo::exists(base + TQueueFile::Extension()))
            continue;
        if (m_lock->Create(base + kLockSuffix, error)) {
            m_lockPath = base + kLockSuffix;
            m_path = base + TQueueFile::Extension();
            return true;
        }
    }
    return false;
}

void TQueueJournal::Save()
{
    if (!m_started || m_closed || !m_dirty)
        return;
    if (m_writing) {
        m_saveWaiting = true;
        return;
    }
    QElapsedTimer cost;
    cost.start();
    QString error;
    if (!EnsureFiles(&error)) {
        m_dirty = false; // tried again with the next change
        Q_EMIT WriteFailed(error);
        return;
    }
    auto content = std::make_shared<const TQueueContent>(m_snapshot());
    m_dirty = false;
    m_writing = true;
    m_removeAfterThisWrite = m_removeAfterWrite;
    m_worker->Write(m_path, std::move(content),
                    [this](bool ok, const QString& error) { OnWritten(ok, error); });
    m_lastCost = std::chrono::nanoseconds(cost.nsecsElapsed());
}

void TQueueJournal::OnWritten(bool ok, const QString& error)
{
    m_writing = false;
    if (m_closed)
        return;
    if (ok) {
        ++m_writes;
        for (const QString& path : std::as_const(m_removeAfterThisWrite)) {
            m_removeAfterWrite.removeAll(path);
            RemoveLeftover(path);
        }
        m_removeAfterThisWrite.clear();
        Q_EMIT Written();
    } else {
        Q_EMIT WriteFailed(error);
    }
    if (m_saveWaiting) {
        m_saveWaiting = false;
        Save();
    }
}

void TQueueJournal::Close(TEnd end)
{
    if (m_closed)
        return;
    m_timer.stop();
    m_worker->WaitForDone();
    const bool wasStarted = m_started;
    m_closed = true;
    m_started = false;
    bool written = false;
    if (wasStarted && end != TEnd::Remove) {
        const TQueueContent content = m_snapshot();
        QString error;
        if (content.Count() == 0)
            end = TEnd::Remove;
        else if (EnsureFiles(&error)) {
            const QString target = end == TEnd::Keep
                ? QFileInfo(m_path).absolutePath() + u'/' + kKeptPrefix
                      + QFileInfo(m_path).fileName().mid(kJournalPrefix.size())
                : m_path;
            written = TQueueFileWorker::WriteFile(target, TQueueFile::Write(content), &error);
            if (!written && end == TEnd::Keep) {
                // The journal as last written stays: the next start offers it.
                end = TEnd::Leave;
            }
        }
    }
    // What was restored into this queue is in the file just written, or
    // goes with the window as the rest of the queue does.
    if (written || end == TEnd::Remove) {
        for (const QString& path : std::as_const(m_removeAfterWrite))
            RemoveLeftover(path);
        m_removeAfterWrite.clear();
    }
    if (end != TEnd::Leave && !m_path.isEmpty())
        QFile::remove(m_path);
    if (m_lock->IsHeld()) {
        // A journal that is left keeps its lock file, free now, as a crash
        // leaves it.
        if (end != TEnd::Leave || !QFileInfo::exists(m_path))
            QFile::remove(m_lockPath);
        m_lock->Release();
    }
    for (auto& [path, lock] : m_claimed)
        lock->Release();
    m_claimed.clear();
}

std::vector<TQueueJournal::TLeftover> TQueueJournal::ClaimLeftovers()
{
    std::vector<TLeftover> found;
    const QDir folder(Folder());
    const QStringList names = folder.entryList(
        {kJournalPrefix + u'*' + TQueueFile::Extension(), kKeptPrefix + u'*' + TQueueFile::Extension()},
        QDir::Files | QDir::Hidden, QDir::Time | QDir::Reversed);
    for (const QString& name : names) {
        const QString path = folder.filePath(name);
        if (path == m_path || m_claimed.count(path))
            continue;
        const QString lockPath = BaseOf(path) + kLockSuffix;
        auto lock = std::make_unique<THeldFile>();
        // A lock file that is there must be free; one that is not is made,
        // which only one window can do.
        const bool claimed = QFileInfo::exists(lockPath) ? lock->Adopt(lockPath)
                                                         : lock->Create(lockPath);
        if (!claimed || !QFileInfo::exists(path))
            continue;
        m_claimed.emplace(path, std::move(lock));
        found.push_back({path, name.startsWith(kKeptPrefix)});
    }
    return found;
}

void TQueueJournal::RemoveLeftover(const QString& path)
{
    const auto it = m_claimed.find(path);
    if (it == m_claimed.end())
        return;
    QFile::remove(path);
    QFile::remove(BaseOf(path) + kLockSuffix);
    m_claimed.erase(it);
}

void TQueueJournal::RemoveLeftoverAfterNextWrite(const QString& path)
{
    if (m_claimed.count(path) && !m_removeAfterWrite.contains(path))
        m_removeAfterWrite << path;
}

void TQueueJournal::ReleaseLeftover(const QString& path)
{
    const auto it = m_claimed.find(path);
    if (it == m_claimed.end())
        return;
    m_removeAfterWrite.removeAll(path);
    m_claimed.erase(it); // drops the lock
}

QString TQueueJournal::SetLeftoverAside(const QString& path)
{
    const auto it = m_claimed.find(path);
    if (it == m_claimed.end())
        return QString();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = BaseOf(path) + QStringLiteral(".damaged-") + stamp;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = BaseOf(path) + QStringLiteral(".damaged-%1-%2").arg(stamp).arg(n);
    if (!QFile::rename(path, aside))
        aside.clear();
    QFile::remove(BaseOf(path) + kLockSuffix);
    m_claimed.erase(it);
    return aside;
}
