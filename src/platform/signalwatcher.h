#pragma once

#include <QList>
#include <QObject>

class QSocketNotifier;

// Turns Unix signals (SIGTERM from a logout or `kill`, SIGINT from Ctrl+C,
// SIGHUP from a closed terminal) into a Qt signal delivered by the event
// loop. The handler itself only writes the signal number into a pipe, the one
// kind of work that is safe there; a socket notifier on the other end emits
// Received on the thread that made the watcher. One watcher at a time.
class TSignalWatcher final : public QObject
{
    Q_OBJECT
public:
    // Signals that are ignored when the watcher is made (as under nohup) are
    // left ignored. The destructor gives the others their default back.
    explicit TSignalWatcher(const QList<int>& signalNumbers, QObject* parent = nullptr);
    ~TSignalWatcher() override;

    // False when the pipe or a handler could not be set up.
    bool IsActive() const { return m_active; }

Q_SIGNALS:
    void Received(int signalNumber);

private:
    void OnReadable();

    QList<int> m_installed;
    QSocketNotifier* m_notifier = nullptr;
    bool m_active = false;
};
