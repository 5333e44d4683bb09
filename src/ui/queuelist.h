#pragma once

#include <QListWidget>

#include <functional>

class TQueue;
class TQueueItem;

// The queue list: line i shows job i of the queue, and every operation here
// changes both together. A line's check mark means "processed"; only the
// program sets it, the user can only clear it. The current line is the
// selected one (at most one); focus alone does not make a line current.
class TQueueList final : public QListWidget
{
    Q_OBJECT
public:
    explicit TQueueList(TQueue& queue, QWidget* parent = nullptr);

    // Appends a job for path and its line, unticked, unless a line already
    // holds exactly that path. init gives the new job its values before the
    // line appears. Returns the new job, or nullptr for a duplicate.
    TQueueItem* AddToQueue(const QString& path, const std::function<void(TQueueItem&)>& init);

    int CurrentLine() const; // -1 when no line is current
    TQueueItem* CurrentJob() const;

    void DeleteCurrent();
    // Removes every ticked line with its job, from the last line up.
    void DeleteProcessed();
    void ClearQueue();
    // Moves the current line (and its job) one place; does nothing at the ends.
    void MoveCurrent(bool up);

    bool IsLineChecked(int line) const;
    void SetLineChecked(int line, bool checked);
    // An error mark with reason as its tooltip; an empty reason clears it.
    void SetLineFailure(int line, const QString& reason);

Q_SIGNALS:
    // The user made line current (mouse or keyboard); -1 when the user
    // cleared the selection. Program changes never raise it.
    void LineSelected(int line);
    // Raised before an operation that leaves no line current deletes jobs,
    // so whoever holds the current job can let go of it first.
    void CurrentDropping();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void OnItemChanged(QListWidgetItem* item);
    void OnSelectionChanged();
    void DropCurrent();

    TQueue& m_queue;
    int m_programChange = 0; // > 0 while the program itself changes lines
    bool m_mousePress = false;
};
