#pragma once

#include <QFlags>
#include <QObject>
#include <QString>

#include <atomic>
#include <stdexcept>

class TNotificationThread;

// The kinds of change a TFileNotify can watch. The kind number that a report
// carries is the position of the kind's bit (nkFileName 0 ... nkLastWrite 4).
// nkSubtree is not a kind: it extends the watch to every folder below.
enum TNotifyKind : quint8
{
    nkFileName = 0x01,   // kind 0: a file is created, deleted or renamed
    nkDirName = 0x02,    // kind 1: a folder is created, deleted or renamed
    nkAttributes = 0x04, // kind 2: attributes (mode, owner, times set explicitly) change
    nkSize = 0x08,       // kind 3: a file's size changes
    nkLastWrite = 0x10,  // kind 4: a file is written
    nkSubtree = 0x20,
};
Q_DECLARE_FLAGS(TNotifyKinds, TNotifyKind)
Q_DECLARE_OPERATORS_FOR_FLAGS(TNotifyKinds)

// Raised when a watch cannot be set up. The watcher catches it itself; it
// never reaches users of TFileNotify.
class EFileNotificationError final : public std::runtime_error
{
public:
    EFileNotificationError();
    static QString Message();
};

// Watches one folder for changes of the chosen kinds and reports each change
// through OnChange. A worker thread (TNotificationThread) does the waiting;
// with CallInThread false (the default) every report is delivered on the
// thread this object lives in, one at a time, and the next report of the same
// kind comes only after the handler has returned.
//
// Folders that cannot be watched (empty name, missing, not a folder,
// unreadable) are not an error: the notifier just reports nothing until it is
// given a folder that can be watched.
class TFileNotify : public QObject
{
    Q_OBJECT

public:
    explicit TFileNotify(TNotifyKinds kinds, QObject* parent = nullptr);
    // Stops the worker promptly, even when a report is waiting to be
    // delivered (that report is dropped).
    ~TFileNotify() override;

    // The watched folder, stored without its one trailing "/" ("/" itself
    // stays "/"). Changing it re-opens the watch of a running worker.
    const QString& Directory() const { return m_directory; }
    void SetDirectory(const QString& value);

    // Changing the kinds re-opens the watch of a running worker.
    TNotifyKinds Kinds() const { return m_kinds; }
    void SetKinds(TNotifyKinds value);

    // true: OnChange is emitted on the worker thread itself.
    bool CallInThread() const { return m_callInThread.load(); }
    void SetCallInThread(bool value) { m_callInThread.store(value); }

    // Creates the worker, which opens its watches and starts at once. Calling
    // it again while a worker exists does nothing.
    void StartWatching();
    // Kept for callers that start and then resume; the worker never waits
    // to be resumed, so this does nothing.
    void ResumeWatching() {}

    // The worker, or nullptr before StartWatching.
    TNotificationThread* Thread() const { return m_thread; }
    // true while a worker exists and is running. A worker ends early only
    // when a report handler throws.
    bool Active() const;

Q_SIGNALS:
    // kind: 0 file name, 1 folder name, 2 attributes, 3 size, 4 last write.
    void OnChange(int kind);

protected:
    // Called for every report; emits OnChange. With CallInThread it runs on
    // the worker, which this class's destructor stops only after a derived
    // part is gone: such an override must not need that part.
    virtual void Change(int kind);

private:
    friend class TNotificationThread;

    TNotificationThread* m_thread = nullptr;
    std::atomic<bool> m_callInThread{false};
    QString m_directory;
    TNotifyKinds m_kinds;
};
