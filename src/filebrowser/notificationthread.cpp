#include "notificationthread.h"

#include "filenotify.h"

#include <QFile>
#include <QHash>
#include <QPointer>

#include <bit>
#include <cstring>
#include <vector>

#include <dirent.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// One inotify instance watching one kind; with nkSubtree it holds a watch for
// every folder below the root too.
struct TWatch
{
    int fd = -1;
    int kind = 0;
    QHash<int, QByteArray> folders; // watch descriptor -> folder path
};

struct TWatchSet
{
    QByteArray root;
    bool subtree = false;
    std::vector<TWatch> watches;
};

namespace {

constexpr int kWaitMs = 200;
constexpr TNotifyKind kOpenOrder[] = {nkFileName, nkDirName, nkSize, nkLastWrite, nkAttributes};
constexpr TNotifyKinds kAllKinds =
    TNotifyKinds(nkFileName) | nkDirName | nkSize | nkLastWrite | nkAttributes;
constexpr uint32_t kNameEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

uint32_t EventMask(int kind, bool subtree)
{
    uint32_t mask = 0;
    switch (kind) {
    case 0:
    case 1:
        mask = kNameEvents;
        break;
    case 2:
        mask = IN_ATTRIB;
        break;
    case 3:
        mask = IN_MODIFY;
        break;
    default:
        mask = IN_MODIFY | IN_CLOSE_WRITE;
        break;
    }
    // Following the sub-tree needs to see folders come and go on every kind.
    return subtree ? mask | kNameEvents : mask;
}

// Whether an event is a change of the given kind. Events about a watched
// folder itself (no name) are not: a folder's own changes belong to its parent.
bool IsChangeOf(int kind, const inotify_event& e)
{
    if (e.mask & IN_Q_OVERFLOW)
        return true; // events were lost: something changed
    if (e.len == 0)
        return false;
    switch (kind) {
    case 0:
        return (e.mask & kNameEvents) && !(e.mask & IN_ISDIR);
    case 1:
        return (e.mask & kNameEvents) && (e.mask & IN_ISDIR);
    case 2:
        return e.mask & IN_ATTRIB;
    case 3:
        return e.mask & IN_MODIFY;
    default:
        return e.mask & (IN_MODIFY | IN_CLOSE_WRITE);
    }
}

QByteArray JoinPath(const QByteArray& folder, const char* name, size_t length)
{
    QByteArray path = folder;
    if (!path.endsWith('/'))
        path += '/';
    path.append(name, qsizetype(length));
    return path;
}

// Qt maps LowestPriority to nothing under Linux's default scheduler, so lower
// the thread's nice value as well; raising it needs no privilege.
void LowerOwnPriority()
{
    const id_t tid = id_t(gettid());
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, tid);
    if (errno == 0)
        setpriority(PRIO_PROCESS, tid, qMin(nice + 5, 19));
}

} // namespace

TNotificationThread::TNotificationThread(TFileNotify* owner)
    : m_owner(owner), m_wakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    Rebuild();
    start(QThread::LowestPriority);
}

TNotificationThread::~TNotificationThread()
{
    {
        QMutexLocker lock(&m_mutex);
        m_stop.store(true);
        m_handedOver.wakeAll();
    }
    Wake();
    wait();
    if (m_set)
        CloseHandles(*m_set);
    if (m_pending)
        CloseHandles(*m_pending);
    if (m_wakeFd >= 0)
        close(m_wakeFd);
}

int TNotificationThread::Count() const
{
    QMutexLocker lock(&m_mutex);
    return m_count;
}

void TNotificationThread::Rebuild()
{
    std::unique_ptr<TWatchSet> set = OpenHandles();
    std::unique_ptr<TWatchSet> stale;
    {
        QMutexLocker lock(&m_mutex);
        stale = std::move(m_pending);
        m_count = int(set->watches.size());
        m_pending = std::move(set);
    }
    if (stale)
        CloseHandles(*stale);
    Wake();
}

std::unique_ptr<TWatchSet> TNotificationThread::OpenHandles()
{
    auto set = std::make_unique<TWatchSet>();
    if (!m_owner || !(m_owner->Kinds() & kAllKinds))
        return set;
    const TNotifyKinds kinds = m_owner->Kinds();
    set->root = QFile::encodeName(m_owner->Directory());
    set->subtree = kinds.testFlag(nkSubtree);
    try {
        // A NUL inside the name would silently watch a shorter path.
        if (set->root.isEmpty() || set->root.contains('\0'))
            throw EFileNotificationError();
        for (TNotifyKind kind : kOpenOrder) {
            if (!kinds.testFlag(kind))
                continue;
            TWatch& watch = set->watches.emplace_back();
            watch.kind = std::countr_zero(unsigned(kind));
            watch.fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
            if (watch.fd < 0)
                throw EFileNotificationError();
            // IN_ONLYDIR: a plain file is not a folder that can be watched.
            const int wd = inotify_add_watch(watch.fd, set->root.constData(),
                                             EventMask(watch.kind, set->subtree) | IN_ONLYDIR);
            if (wd < 0)
                throw EFileNotificationError();
            watch.folders.insert(wd, set->root);
            if (set->subtree)
                WatchTree(watch, set->root, true);
        }
    } catch (const EFileNotificationError&) {
        CloseHandles(*set);
    }
    return set;
}

void TNotificationThread::CloseHandles(TWatchSet& set)
{
    for (const TWatch& watch : set.watches) {
        if (watch.fd >= 0)
            close(watch.fd);
    }
    set.watches.clear();
}

void TNotificationThread::Wake()
{
    if (m_wakeFd >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = write(m_wakeFd, &one, sizeof one);
    }
}

void TNotificationThread::run()
{
    LowerOwnPriority();
    while (!m_stop.load()) {
        TakeUpPendingSet();
        const int kind = WaitForChange();
        if (kind < 0)
            continue;
        {
            QMutexLocker lock(&m_mutex);
            m_firedKind = kind;
        }
        if (!ReportChange())
            break;
    }
}

void TNotificationThread::TakeUpPendingSet()
{
    std::unique_ptr<TWatchSet> old;
    {
        QMutexLocker lock(&m_mutex);
        if (!m_pending)
            return;
        old = std::move(m_set);
        m_set = std::move(m_pending);
    }
    if (old)
        CloseHandles(*old);
}

// Waits up to one period for a change. Returns the kind of the lowest watch
// that holds a change, or -1. Only that watch's queue is consumed: changes of
// other kinds stay queued for the next turns.
int TNotificationThread::WaitForChange()
{
    pollfd fds[1 + std::size(kOpenOrder)];
    nfds_t n = 0;
    fds[n++] = {m_wakeFd, POLLIN, 0};
    if (m_set) {
        for (const TWatch& watch : m_set->watches)
            fds[n++] = {watch.fd, POLLIN, 0};
    }
    if (poll(fds, n, kWaitMs) <= 0)
        return -1;
    if (fds[0].revents) {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t r = read(m_wakeFd, &count, sizeof count);
        return -1; // stop or a new set: seen at the top of the next turn
    }
    for (nfds_t i = 1; i < n; ++i) {
        TWatch& watch = m_set->watches[i - 1];
        if ((fds[i].revents & POLLIN) && ReadEvents(watch))
            return watch.kind;
    }
    return -1;
}

// Empties the watch's queue (inotify keeps queuing while the report runs, so
// nothing that happens during a report is lost and no re-arming is needed).
// Returns whether the queue held a change of the watch's kind.
bool TNotificationThread::ReadEvents(TWatch& watch)
{
    alignas(inotify_event) char buffer[16 * 1024];
    bool changed = false;
    // Bounded, so that a folder under constant change still gets reported.
    for (int round = 0; round < 16 && !m_stop.load(); ++round) {
        const ssize_t length = read(watch.fd, buffer, sizeof buffer);
        if (length <= 0) {
            if (length < 0 && errno == EINTR)
                continue;
            break;
        }
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += ssize_t(sizeof(inotify_event) + event->len);
            changed = changed || IsChangeOf(watch.kind, *event);
            if (event->mask & IN_IGNORED) {
                watch.folders.remove(event->wd);
                continue;
            }
            if (!m_set->subtree || !(event->mask & IN_ISDIR) || event->len == 0)
                continue;
            const auto parent = watch.folders.constFind(event->wd);
            if (parent == watch.folders.cend())
                continue;
            const QByteArray path =
                JoinPath(*parent, event->name, strnlen(event->name, event->len));
            if (event->mask & (IN_CREATE | IN_MOVED_TO)) {
                // Files may have appeared in it before its watch existed.
                if (WatchTree(watch, path, false))
                    changed = true;
            } else if (event->mask & IN_MOVED_FROM) {
                UnwatchTree(watch, path);
            }
        }
    }
    return changed;
}

// Watches top (unless it is watched already) and every folder below it,
// without following symbolic links. A folder that is already watched is not
// entered again, which also ends loops through bind mounts. Folders that
// cannot be watched or read are skipped. Returns whether anything other than
// a folder was found.
bool TNotificationThread::WatchTree(TWatch& watch, const QByteArray& top, bool topWatched)
{
    const uint32_t mask = EventMask(watch.kind, true) | IN_ONLYDIR | IN_DONT_FOLLOW;
    bool foundOther = false;
    std::vector<QByteArray> stack{top};
    bool first = true;
    while (!stack.empty() && !m_stop.load()) {
        const QByteArray path = std::move(stack.back());
        stack.pop_back();
        if (!(first && topWatched)) {
            const int wd = inotify_add_watch(watch.fd, path.constData(), mask);
            if (wd < 0 || watch.folders.contains(wd)) {
                first = false;
                continue;
            }
            watch.folders.insert(wd, path);
        }
        first = false;
        DIR* dir = opendir(path.constData());
        if (!dir)
            continue;
        while (const dirent* entry = readdir(dir)) {
            if (!std::strcmp(entry->d_name, ".") || !std::strcmp(entry->d_name, ".."))
                continue;
            const QByteArray child = JoinPath(path, entry->d_name, std::strlen(entry->d_name));
            bool isFolder = entry->d_type == DT_DIR;
            if (entry->d_type == DT_UNKNOWN) {
                struct stat st;
                isFolder = lstat(child.constData(), &st) == 0 && S_ISDIR(st.st_mode);
            }
            if (isFolder)
                stack.push_back(child);
            else
                foundOther = true;
        }
        closedir(dir);
    }
    return foundOther;
}

// Drops the watches of a folder that left the tree, and of the folders below.
void TNotificationThread::UnwatchTree(TWatch& watch, const QByteArray& top)
{
    const QByteArray prefix = top + '/';
    for (auto it = watch.folders.begin(); it != watch.folders.end();) {
        if (it.value() == top || it.value().startsWith(prefix)) {
            inotify_rm_watch(watch.fd, it.key());
            it = watch.folders.erase(it);
        } else {
            ++it;
        }
    }
}

// Runs the owner's report. Returns false when the worker must end: it is
// being stopped, or the handler threw (the notifier then goes quiet).
bool TNotificationThread::ReportChange()
{
    if (m_owner->CallInThread()) {
        try {
            m_owner->Change(m_firedKind);
            return true;
        } catch (...) {
            return false;
        }
    }
    // A blocking queued call, done by hand: the worker waits for the owner's
    // thread to run the report, but gives up as soon as it is told to stop, so
    // a destructor on that thread never waits for a hand-over it cannot serve.
    quint64 ticket = 0;
    {
        QMutexLocker lock(&m_mutex);
        if (m_stop.load())
            return false;
        ticket = ++m_ticket;
        m_handOver = HandOver::Pending;
    }
    QMetaObject::invokeMethod(
        this, [this, ticket] { DeliverReport(ticket); }, Qt::QueuedConnection);
    QMutexLocker lock(&m_mutex);
    while (m_handOver == HandOver::Pending && !m_stop.load())
        m_handedOver.wait(&m_mutex);
    const bool failed = m_handOver == HandOver::Failed;
    m_handOver = HandOver::None;
    return !failed && !m_stop.load();
}

// Runs on the owner's thread. The handler may change the folder or kinds, or
// even destroy the notifier (and with it this object).
void TNotificationThread::DeliverReport(quint64 ticket)
{
    int kind = 0;
    {
        QMutexLocker lock(&m_mutex);
        if (m_stop.load() || ticket != m_ticket || m_handOver != HandOver::Pending)
            return;
        kind = m_firedKind;
    }
    const QPointer<TNotificationThread> self(this);
    bool failed = false;
    try {
        m_owner->Change(kind);
    } catch (...) {
        failed = true;
    }
    if (!self)
        return;
    QMutexLocker lock(&m_mutex);
    if (ticket == m_ticket && m_handOver == HandOver::Pending) {
        m_handOver = failed ? HandOver::Failed : HandOver::Done;
        m_handedOver.wakeAll();
    }
}
