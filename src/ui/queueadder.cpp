#include "queueadder.h"

#include <QElapsedTimer>
#include <QTimer>

TQueueAdder::TQueueAdder(std::function<void(const QString&)> add, QObject* parent)
    : QObject(parent), m_add(std::move(add))
{
}

void TQueueAdder::Add(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    const bool wasBusy = IsBusy();
    m_paths += paths;
    if (wasBusy)
        return; // the slice on its way takes these too
    Q_EMIT BusyChanged(true);
    Slice();
}

void TQueueAdder::Stop()
{
    if (!IsBusy())
        return;
    m_paths.clear();
    m_next = 0;
    m_reported = false;
    Q_EMIT BusyChanged(false);
}

void TQueueAdder::Slice()
{
    if (!IsBusy())
        return;
    QElapsedTimer clock;
    clock.start();
    int added = 0;
    while (m_next < m_paths.size()) {
        // Taken out first: the add may run events, even another Add().
        const QString path = m_paths[m_next++];
        m_add(path);
        if (++added >= m_minSlice && clock.elapsed() >= m_budget.count())
            break;
    }
    const int total = int(m_paths.size());
    if (m_next < m_paths.size()) {
        m_reported = true;
        Q_EMIT Progress(int(m_next), total);
        QTimer::singleShot(0, this, &TQueueAdder::Slice);
        return;
    }
    const bool reported = m_reported;
    m_paths.clear();
    m_next = 0;
    m_reported = false;
    if (reported)
        Q_EMIT Progress(total, total);
    Q_EMIT BusyChanged(false);
}
