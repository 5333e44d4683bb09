#pragma once

#include <QHash>
#include <QListWidget>

#include <functional>
#include <vector>

class QHeaderView;
class TQueue;
enum class TLineMark : quint8;
class TQueueItem;

// What the output column shows on one line.
struct TLineOutput
{
    const TQueueItem* job = nullptr; // the job the entry was made for
    QString text;                    // relative to the target folder where it lies there
    QString path;                    // the full path (the tooltip)
    QString note;                    // a second tooltip line: why the line is marked
    bool clash = false;    // numbered because an earlier job wanted the same path
    bool existing = false; // a file is there already
    bool written = false;  // a processed line: where its file was written
};

// The queue list: line i shows job i of the queue, and every operation here
// changes both together. A line's check mark means "processed"; only the
// program sets it, the user can only clear it. The current line is the
// selected one (at most one); focus alone does not make a line current.
//
// Beside the line text (the source path) the list can show a second column,
// "Файл результата", under a header of its own: the output each line's job
// gets or got. The entries are kept beside the list, not in its items, so
// a new plan for thousands of lines costs one repaint.
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
    // Removes every ticked line with its job, in time linear in the lines.
    void DeleteProcessed();
    void ClearQueue();
    // Moves the current line (and its job) one place; does nothing at the ends.
    void MoveCurrent(bool up);

    bool IsLineChecked(int line) const;
    void SetLineChecked(int line, bool checked);
    // An error mark with reason as its tooltip; an empty reason clears it
    // (and a skipped mark).
    void SetLineFailure(int line, const QString& reason);
    // The mark of a job the run skipped, with reason as its tooltip.
    void SetLineSkipped(int line, const QString& reason);
    // A warning mark on a processed line (its job is done, a step after it
    // is not), text as its tooltip.
    void SetLineWarning(int line, const QString& text);
    // The mark of a job the user stopped, with reason as its tooltip.
    void SetLineStopped(int line, const QString& reason);
    // What a failed line's tooltip adds below its reason: where the details are.
    static QString LogHint() { return tr("Подробности — в журнале: «Очередь → Журнал»"); }
    // The mark a line shows and what it says (none: an empty reason).
    TLineMark LineMark(int line) const;
    QString LineReason(int line) const;
    // The tick, mark and reason of a line in one look-up (the journal takes
    // them for every line).
    void LineState(int line, bool* checked, TLineMark* mark, QString* reason) const;
    // The percentage of a running job, drawn on its line; -1 removes it.
    // Kept beside the items, so that a new figure repaints one line and
    // changes nothing the plan of outputs depends on.
    void SetLineProgress(int line, int percent);
    int LineProgress(int line) const; // -1 when none is shown

    static QString OutputColumnTitle() { return tr("Файл результата"); }
    void SetOutputColumnVisible(bool on);
    bool IsOutputColumnVisible() const { return m_outputVisible; }
    // One entry per line, in line order.
    void SetLineOutputs(std::vector<TLineOutput> outputs);
    // The entry for line, or nullptr when there is none (or it is for
    // another job: lines moved since the entries were made).
    const TLineOutput* LineOutput(int line) const;
    QHeaderView* Header() const { return m_header; }

Q_SIGNALS:
    // The user made line current (mouse or keyboard); -1 when the user
    // cleared the selection. Program changes never raise it.
    void LineSelected(int line);
    // Raised before an operation that leaves no line current deletes jobs,
    // so whoever holds the current job can let go of it first.
    void CurrentDropping();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void updateGeometries() override;
    bool viewportEvent(QEvent* event) override;

private:
    void OnItemChanged(QListWidgetItem* item);
    void OnSelectionChanged();
    void DropCurrent();
    void ForgetLine(const QListWidgetItem* line);

    TQueue& m_queue;
    QHeaderView* m_header = nullptr;
    bool m_outputVisible = false;
    bool m_columnsSplit = false;
    std::vector<TLineOutput> m_outputs;
    QHash<QString, int> m_paths;       // line text -> how many lines have it
    QHash<quint64, int> m_progress;    // job Id -> percent shown on its line
    int m_programChange = 0; // > 0 while the program itself changes lines
    bool m_mousePress = false;
};
