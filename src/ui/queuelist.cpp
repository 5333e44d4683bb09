#include "queuelist.h"

#include "icons.h"
#include "queue.h"
#include "queuefile.h"
#include "queuelinedelegate.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QToolTip>

namespace {

// Set on a line marked as failed: its tooltip then points to the run log.
constexpr int kFailedRole = Qt::UserRole + 40;
// Which mark a line shows, beside its icon.
constexpr int kMarkRole = Qt::UserRole + 20;

// Marks the program's own changes so that the handlers for user actions
// (selection loads the tag editor, ticking is refused) leave them alone.
class ProgramChange final
{
public:
    explicit ProgramChange(int& counter) : m_counter(counter) { ++m_counter; }
    ~ProgramChange() { --m_counter; }
    ProgramChange(const ProgramChange&) = delete;
    ProgramChange& operator=(const ProgramChange&) = delete;

private:
    int& m_counter;
};

} // namespace

TQueueList::TQueueList(TQueue& queue, QWidget* parent) : QListWidget(parent), m_queue(queue)
{
    setObjectName(QStringLiteral("QueueLst"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    // Long paths keep their start and their file name.
    setTextElideMode(Qt::ElideMiddle);
    // The failure mark must fit the tight lines of the list.
    const int mark = qMax(8, fontMetrics().height() - 2);
    setIconSize(QSize(mark, mark));
    connect(this, &QListWidget::itemChanged, this, &TQueueList::OnItemChanged);
    connect(this, &QListWidget::itemSelectionChanged, this, &TQueueList::OnSelectionChanged);

    // A list has no header of its own: this one stands above the viewport.
    auto* titles = new QStandardItemModel(0, 2, this);
    titles->setHorizontalHeaderLabels({tr("Исходный файл"), OutputColumnTitle()});
    m_header = new QHeaderView(Qt::Horizontal, this);
    m_header->setObjectName(QStringLiteral("QueueHeader"));
    m_header->setModel(titles);
    m_header->setStretchLastSection(true);
    m_header->setSectionsClickable(false);
    m_header->setSectionsMovable(false);
    m_header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_header->hide();
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, m_header, &QHeaderView::setOffset);
    connect(m_header, &QHeaderView::sectionResized, this, [this] {
        scheduleDelayedItemsLayout();
        viewport()->update();
    });
    setItemDelegate(new TQueueLineDelegate(this));
}

TQueueItem* TQueueList::AddToQueue(const QString& path,
                                   const std::function<void(TQueueItem&)>& init)
{
    // Linux file names are case-sensitive: only the exact path is a duplicate.
    if (m_paths.contains(path))
        return nullptr;

    TQueueItem* job = m_queue.Add();
    job->SetInputFile(path);
    if (init)
        init(*job);

    ProgramChange guard(m_programChange);
    auto* line = new QListWidgetItem(job->InputFile());
    line->setFlags(line->flags() | Qt::ItemIsUserCheckable);
    line->setCheckState(Qt::Unchecked);
    addItem(line);
    ++m_paths[line->text()];
    return job;
}

int TQueueList::CurrentLine() const
{
    const auto selected = selectedItems();
    return selected.isEmpty() ? -1 : row(selected.first());
}

TQueueItem* TQueueList::CurrentJob() const
{
    return m_queue.Items(CurrentLine());
}

void TQueueList::DropCurrent()
{
    Q_EMIT CurrentDropping();
    clearSelection();
    setCurrentItem(nullptr);
}

void TQueueList::ForgetLine(const QListWidgetItem* line)
{
    const auto it = m_paths.find(line->text());
    if (it != m_paths.end() && --it.value() <= 0)
        m_paths.erase(it);
}

void TQueueList::DeleteCurrent()
{
    const int line = CurrentLine();
    if (line < 0)
        return;
    ProgramChange guard(m_programChange);
    DropCurrent();
    if (const TQueueItem* job = m_queue.Items(line))
        m_progress.remove(job->Id());
    m_queue.Delete(line);
    QListWidgetItem* gone = takeItem(line);
    ForgetLine(gone);
    delete gone;
    setCurrentItem(nullptr);
}

void TQueueList::DeleteProcessed()
{
    ProgramChange guard(m_programChange);
    DropCurrent();
    const int lines = count();
    std::vector<bool> remove(std::size_t(lines), false);
    int removed = 0;
    for (int i = 0; i < lines; ++i) {
        remove[std::size_t(i)] = item(i)->checkState() == Qt::Checked;
        removed += remove[std::size_t(i)];
    }
    for (int i = 0; i < lines; ++i) {
        if (remove[std::size_t(i)])
            m_progress.remove(m_queue.Items(i)->Id());
    }
    m_queue.DeleteWhere(remove);
    // Taking a line out of the middle moves the rest of the list: fine for
    // a few, but for many, every line is taken from the front (which costs
    // nothing per line) and the kept ones go back in their order.
    if (removed < 64) {
        for (int i = lines - 1; i >= 0; --i) {
            if (remove[std::size_t(i)]) {
                QListWidgetItem* line = takeItem(i);
                ForgetLine(line);
                delete line;
            }
        }
        setCurrentItem(nullptr);
        return;
    }
    std::vector<QListWidgetItem*> kept;
    kept.reserve(std::size_t(lines));
    for (int i = 0; i < lines; ++i) {
        QListWidgetItem* line = takeItem(0);
        if (remove[std::size_t(i)]) {
            ForgetLine(line);
            delete line;
        } else {
            kept.push_back(line);
        }
    }
    for (QListWidgetItem* line : kept)
        addItem(line);
    setCurrentItem(nullptr);
}

void TQueueList::ClearQueue()
{
    ProgramChange guard(m_programChange);
    DropCurrent();
    clear();
    m_paths.clear();
    m_progress.clear();
    m_queue.Clear();
}

void TQueueList::MoveCurrent(bool up)
{
    const int line = CurrentLine();
    const int target = up ? line - 1 : line + 1;
    if (line < 0 || target < 0 || target >= count())
        return;
    ProgramChange guard(m_programChange);
    m_queue.Move(line, target);
    // The whole line travels: text, check mark and failure mark.
    QListWidgetItem* moved = takeItem(line);
    insertItem(target, moved);
    setCurrentItem(moved);
    moved->setSelected(true);
}

bool TQueueList::IsLineChecked(int line) const
{
    const QListWidgetItem* it = item(line);
    return it && it->checkState() == Qt::Checked;
}

void TQueueList::SetLineChecked(int line, bool checked)
{
    if (QListWidgetItem* it = item(line)) {
        ProgramChange guard(m_programChange);
        it->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
}

void TQueueList::SetLineFailure(int line, const QString& reason)
{
    if (QListWidgetItem* it = item(line)) {
        ProgramChange guard(m_programChange);
        it->setIcon(reason.isEmpty() ? QIcon() : Icons::Error());
        it->setToolTip(reason);
        it->setData(kFailedRole, !reason.isEmpty());
        it->setData(kMarkRole, int(reason.isEmpty() ? TLineMark::None : TLineMark::Failed));
    }
}

void TQueueList::SetLineStopped(int line, const QString& reason)
{
    if (QListWidgetItem* it = item(line)) {
        ProgramChange guard(m_programChange);
        it->setIcon(Icons::Stopped());
        it->setToolTip(reason);
        it->setData(kFailedRole, false);
        // Not a failure: after a restore the job is simply not processed yet.
        it->setData(kMarkRole, int(TLineMark::None));
    }
}

void TQueueList::SetLineSkipped(int line, const QString& reason)
{
    if (QListWidgetItem* it = item(line)) {
        ProgramChange guard(m_programChange);
        it->setIcon(Icons::Skipped());
        it->setToolTip(reason);
        it->setData(kFailedRole, false);
        it->setData(kMarkRole, int(TLineMark::Skipped));
    }
}

void TQueueList::SetLineWarning(int line, const QString& text)
{
    if (QListWidgetItem* it = item(line)) {
        ProgramChange guard(m_programChange);
        it->setIcon(Icons::Existing());
        it->setToolTip(text);
    }
}

TLineMark TQueueList::LineMark(int line) const
{
    const QListWidgetItem* it = item(line);
    return it ? TLineMark(it->data(kMarkRole).toInt()) : TLineMark::None;
}

QString TQueueList::LineReason(int line) const
{
    const QListWidgetItem* it = item(line);
    return it && LineMark(line) != TLineMark::None ? it->toolTip() : QString();
}

void TQueueList::LineState(int line, bool* checked, TLineMark* mark, QString* reason) const
{
    const QListWidgetItem* it = item(line);
    *checked = it && it->checkState() == Qt::Checked;
    *mark = it ? TLineMark(it->data(kMarkRole).toInt()) : TLineMark::None;
    *reason = it && *mark != TLineMark::None ? it->toolTip() : QString();
}

void TQueueList::SetLineProgress(int line, int percent)
{
    const TQueueItem* job = m_queue.Items(line);
    if (!job)
        return;
    if (percent < 0)
        m_progress.remove(job->Id());
    else
        m_progress.insert(job->Id(), qMin(percent, 100));
    viewport()->update(visualItemRect(item(line)));
}

int TQueueList::LineProgress(int line) const
{
    const TQueueItem* job = m_queue.Items(line);
    return job ? m_progress.value(job->Id(), -1) : -1;
}

void TQueueList::SetOutputColumnVisible(bool on)
{
    if (on == m_outputVisible)
        return;
    m_outputVisible = on;
    m_header->setVisible(on);
    setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    updateGeometries();
    scheduleDelayedItemsLayout();
    viewport()->update();
}

void TQueueList::SetLineOutputs(std::vector<TLineOutput> outputs)
{
    m_outputs = std::move(outputs);
    viewport()->update();
}

const TLineOutput* TQueueList::LineOutput(int line) const
{
    if (line < 0 || std::size_t(line) >= m_outputs.size())
        return nullptr;
    const TLineOutput& entry = m_outputs[std::size_t(line)];
    return entry.job && entry.job == m_queue.Items(line) ? &entry : nullptr;
}

void TQueueList::updateGeometries()
{
    const int height = m_outputVisible ? m_header->sizeHint().height() : 0;
    setViewportMargins(0, height, 0, 0);
    QListWidget::updateGeometries();
    if (m_outputVisible) {
        const QRect view = viewport()->geometry();
        m_header->setGeometry(view.left(), view.top() - height, view.width(), height);
        // The columns start out halving the list once it has its real width;
        // after that the user's split stays.
        if (!m_columnsSplit && view.width() > 200) {
            m_columnsSplit = true;
            m_header->resizeSection(0, view.width() / 2);
        }
    }
}

bool TQueueList::viewportEvent(QEvent* event)
{
    // Over the output column the tooltip tells about the output, elsewhere
    // it is the line's own (a failure or a skip).
    if (event->type() == QEvent::ToolTip && m_outputVisible) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (m_header->logicalIndexAt(help->pos().x()) == 1) {
            const QListWidgetItem* it = itemAt(help->pos());
            const TLineOutput* out = it ? LineOutput(row(it)) : nullptr;
            if (out && !out->path.isEmpty()) {
                QToolTip::showText(help->globalPos(),
                                   out->note.isEmpty() ? out->path : out->path + u'\n' + out->note,
                                   viewport());
            } else {
                QToolTip::hideText();
            }
            return true;
        }
    }
    // A line without a failure or skip of its own shows its whole source
    // path, which the line itself may show cut in the middle.
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (const QListWidgetItem* it = itemAt(help->pos()); it && it->toolTip().isEmpty()) {
            QToolTip::showText(help->globalPos(), it->text(), viewport());
            return true;
        }
        // A failure's tooltip holds its reason; the raw lines are in the log.
        if (const QListWidgetItem* it = itemAt(help->pos()); it && it->data(kFailedRole).toBool()) {
            QToolTip::showText(help->globalPos(), it->toolTip() + u'\n' + LogHint(), viewport());
            return true;
        }
    }
    return QListWidget::viewportEvent(event);
}

void TQueueList::OnItemChanged(QListWidgetItem* it)
{
    // The user may clear a processed mark but never set one.
    if (m_programChange > 0 || it->checkState() == Qt::Unchecked)
        return;
    ProgramChange guard(m_programChange);
    it->setCheckState(Qt::Unchecked);
}

void TQueueList::OnSelectionChanged()
{
    if (m_programChange > 0 || m_mousePress)
        return;
    Q_EMIT LineSelected(CurrentLine());
}

void TQueueList::mousePressEvent(QMouseEvent* event)
{
    // A click loads its line even when that line is already current, so the
    // mouse reports its selection here rather than through selection changes.
    const int before = CurrentLine();
    QListWidgetItem* pressed = itemAt(event->position().toPoint());
    m_mousePress = true;
    QListWidget::mousePressEvent(event);
    // Qt leaves the selection alone for a press on a check box; here that
    // press selects its line first, as any other click on the line does.
    if (pressed && !pressed->isSelected() && event->button() == Qt::LeftButton &&
        !(event->modifiers() & Qt::ControlModifier))
        setCurrentItem(pressed);
    m_mousePress = false;
    const int after = CurrentLine();
    if (after >= 0 ? pressed != nullptr : before >= 0)
        Q_EMIT LineSelected(after);
}
