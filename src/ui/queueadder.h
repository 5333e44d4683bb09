#pragma once

#include <QObject>
#include <QStringList>

#include <chrono>
#include <functional>

// Adds a selection of files to the queue across turns of the event loop:
// each turn adds files for about SliceBudget (and at least MinSlice files),
// so that adding tens of thousands never freezes the window; a small
// selection is added at once, within the call. Progress reports how far a
// longer add has come.
class TQueueAdder final : public QObject
{
    Q_OBJECT
public:
    explicit TQueueAdder(std::function<void(const QString& path)> add, QObject* parent = nullptr);

    // Queues paths behind those still waiting and adds the first slice now.
    void Add(const QStringList& paths);
    // Drops the paths still waiting.
    void Stop();
    bool IsBusy() const { return m_next < m_paths.size(); }

    void SetSliceBudget(std::chrono::milliseconds budget) { m_budget = budget; }
    void SetMinSlice(int files) { m_minSlice = files; }

Q_SIGNALS:
    // After a slice that left files waiting, and once more when the last one
    // is added (done == total).
    void Progress(int done, int total);
    void BusyChanged(bool busy);

private:
    void Slice();

    std::function<void(const QString&)> m_add;
    QStringList m_paths;
    qsizetype m_next = 0;
    bool m_reported = false; // a Progress was sent for this add
    std::chrono::milliseconds m_budget{25};
    int m_minSlice = 200;
};
