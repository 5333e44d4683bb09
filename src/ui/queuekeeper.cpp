#include "queuekeeper.h"

#include "batchrun.h"
#include "queueadder.h"
#include "queuefileworker.h"
#include "queuelist.h"

#include <QAbstractItemModel>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

TQueueKeeper::TQueueKeeper(TQueue& queue, TQueueList& list, TQueueAdder& adder, QWidget* window)
    : QObject(window), m_queue(queue), m_list(list), m_adder(adder), m_window(window),
      m_journal(std::make_unique<TQueueJournal>([this] { return Snapshot(); }))
{
    AskRestore = [](int jobs, int unprocessed, QWidget* parent) {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Tessary"),
                        AskText(jobs, unprocessed), QMessageBox::NoButton, parent);
        box.setObjectName(QStringLiteral("RecoveryBox"));
        QPushButton* restore = box.addButton(tr("Восстановить"), QMessageBox::AcceptRole);
        restore->setObjectName(QStringLiteral("RestoreBtn"));
        QPushButton* remove = box.addButton(tr("Удалить"), QMessageBox::DestructiveRole);
        remove->setObjectName(QStringLiteral("DeleteBtn"));
        box.setDefaultButton(restore);
        box.exec();
        if (box.clickedButton() == restore)
            return TAnswer::Restore;
        return box.clickedButton() == remove ? TAnswer::Delete : TAnswer::Later;
    };
    ShowProblem = [](const QString& text, QWidget* parent) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Tessary"), text, QMessageBox::Ok,
                        parent);
        box.setObjectName(QStringLiteral("QueueFileBox"));
        box.exec();
    };

    // Lines added, removed or moved: an edit, written once things are quiet
    // (an add of thousands of files writes every few seconds, not per
    // slice). A tick or a mark is the run's news about a job, or the user
    // clearing one: written at once, unless an add is still under way.
    QAbstractItemModel* lines = m_list.model();
    connect(lines, &QAbstractItemModel::rowsInserted, this, &TQueueKeeper::Changed);
    connect(lines, &QAbstractItemModel::rowsRemoved, this, &TQueueKeeper::Changed);
    connect(lines, &QAbstractItemModel::rowsMoved, this, &TQueueKeeper::Changed);
    connect(lines, &QAbstractItemModel::modelReset, this, &TQueueKeeper::Changed);
    connect(lines, &QAbstractItemModel::layoutChanged, this, &TQueueKeeper::Changed);
    connect(lines, &QAbstractItemModel::dataChanged, this, [this] {
        if (m_adder.IsBusy())
            Changed();
        else
            ChangedSoon();
    });
    connect(&m_adder, &TQueueAdder::BusyChanged, this, [this](bool busy) {
        if (!busy)
            Finish();
    });
}

TQueueKeeper::~TQueueKeeper() = default;

QString TQueueKeeper::FileFilter()
{
    return tr("Очереди Tessary (*%1)").arg(TQueueFile::Extension()) + QStringLiteral(";;")
           + tr("Все файлы (*)");
}

QString TQueueKeeper::AskText(int jobs, int unprocessed)
{
    return tr("Восстановить очередь? После аварийного завершения осталось %1 заданий "
              "(%2 не обработаны).")
        .arg(jobs)
        .arg(unprocessed);
}

void TQueueKeeper::Changed()
{
    m_journal->MarkChanged();
}

void TQueueKeeper::ChangedSoon()
{
    m_journal->MarkChangedSoon();
}

TQueueContent TQueueKeeper::Snapshot() const
{
    TQueueContent c;
    const int count = m_queue.Count();
    c.lines.resize(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        const TQueueItem* job = m_queue.Items(i);
        c.queue->Add()->Assign(job);
        TQueueLine& line = c.lines[std::size_t(i)];
        m_list.LineState(i, &line.processed, &line.mark, &line.reason);
        line.running = m_run && m_run->IsRunning() && m_run->IsRunningJob(job);
    }
    c.current = m_list.CurrentLine();
    return c;
}

void TQueueKeeper::Start(std::function<void()> settled)
{
    if (m_journal->IsStarted()) {
        if (settled)
            settled();
        return;
    }
    m_journal->Start();
    m_settled = std::move(settled);
    for (TQueueJournal::TLeftover& leftover : m_journal->ClaimLeftovers())
        m_leftovers.push_back({std::move(leftover), {}, false});
    if (m_leftovers.empty()) {
        OnLeftoversRead();
        return;
    }
    for (std::size_t i = 0; i < m_leftovers.size(); ++i) {
        m_journal->Worker().Read(m_leftovers[i].leftover.path,
                                 [this, i](TQueueFile::TReadResult& result) {
                                     m_leftovers[i].result = std::move(result);
                                     m_leftovers[i].done = true;
                                     OnLeftoversRead();
                                 });
    }
}

void TQueueKeeper::OnLeftoversRead()
{
    for (const TLeftoverRead& read : m_leftovers) {
        if (!read.done)
            return;
    }
    std::vector<TLeftoverRead> leftovers = std::move(m_leftovers);
    m_leftovers.clear();

    // Damaged ones are moved aside and told about; empty ones go silently;
    // kept ones come back at once; what a crash left is offered once.
    std::vector<TLeftoverRead*> offered;
    int jobs = 0, unprocessed = 0;
    for (TLeftoverRead& read : leftovers) {
        const QString& path = read.leftover.path;
        if (!read.result.Ok()) {
            const QString aside = m_journal->SetLeftoverAside(path);
            Problem(tr("Не удалось прочитать очередь, оставшуюся с прошлого запуска: %1\n"
                       "Файл сохранён как %2. Очередь начинается пустой.")
                        .arg(read.result.error, aside.isEmpty() ? path : aside));
        } else if (read.result.content.Count() == 0) {
            m_journal->RemoveLeftover(path);
        } else if (read.leftover.kept) {
            AddContent(std::move(read.result.content));
            m_journal->RemoveLeftoverAfterNextWrite(path);
        } else {
            offered.push_back(&read);
            jobs += read.result.content.Count();
            unprocessed += read.result.content.Unprocessed();
        }
    }
    if (!offered.empty()) {
        const TAnswer answer = AskRestore ? AskRestore(jobs, unprocessed, m_window) : TAnswer::Later;
        for (TLeftoverRead* read : offered) {
            const QString& path = read->leftover.path;
            switch (answer) {
            case TAnswer::Restore:
                AddContent(std::move(read->result.content));
                m_journal->RemoveLeftoverAfterNextWrite(path);
                break;
            case TAnswer::Delete:
                m_journal->RemoveLeftover(path);
                break;
            case TAnswer::Later:
                m_journal->ReleaseLeftover(path);
                break;
            }
        }
    }
    if (auto settled = std::move(m_settled)) {
        m_settled = nullptr;
        settled();
    }
}

void TQueueKeeper::Open(const QString& path)
{
    ++m_reading;
    m_journal->Worker().Read(path, [this, path](TQueueFile::TReadResult& result) {
        --m_reading;
        if (!result.Ok()) {
            Problem(tr("Не удалось открыть очередь %1:\n%2").arg(path, result.error));
            Q_EMIT Opened();
            return;
        }
        if (!AddContent(std::move(result.content)))
            Q_EMIT Opened();
    });
}

bool TQueueKeeper::AddContent(TQueueContent content)
{
    if (content.Count() == 0)
        return false;
    const std::size_t index = m_contents.size();
    QStringList paths;
    paths.reserve(content.Count());
    for (int i = 0; i < content.Count(); ++i) {
        const QString& path = content.queue->Items(i)->InputFile();
        if (m_pending.contains(path))
            continue; // twice in the file: the second is a duplicate anyway
        m_pending.insert(path, {index, i});
        paths << path;
    }
    m_contents.push_back(std::move(content));
    m_adder.Add(paths);
    return true;
}

bool TQueueKeeper::AddFromFile(const QString& path)
{
    const auto it = m_pending.constFind(path);
    if (it == m_pending.constEnd())
        return false;
    const TPending pending = *it;
    m_pending.erase(it);
    const TQueueContent& content = m_contents[pending.content];
    const TQueueItem* record = content.queue->Items(pending.job);
    const TQueueLine& saved = content.lines[std::size_t(pending.job)];

    TQueueItem* job = m_list.AddToQueue(path, [record](TQueueItem& j) { j.Assign(record); });
    if (!job)
        return true; // queued already: refused as any duplicate is
    const int line = job->Index();
    const bool sourceThere = QFileInfo(path).isFile();
    bool processed = saved.processed;
    if (saved.running && !processed && !sourceThere && !record->OutputFile().isEmpty()
        && QFileInfo(record->OutputFile()).isFile())
        processed = true;
    if (processed)
        m_list.SetLineChecked(line, true);
    if (!processed && !sourceThere)
        m_list.SetLineFailure(line, TBatchRun::SourceProblem(path));
    else if (!saved.running && saved.mark == TLineMark::Failed)
        m_list.SetLineFailure(line, saved.reason);
    else if (!saved.running && saved.mark == TLineMark::Skipped)
        m_list.SetLineSkipped(line, saved.reason);
    if (pending.job == content.current)
        m_currentId = job->Id();
    return true;
}

void TQueueKeeper::Finish()
{
    // Jobs the adder dropped (the window closing) are dropped here too.
    const bool any = !m_contents.empty();
    m_pending.clear();
    m_contents.clear();
    if (m_currentId) {
        const int line = m_queue.IndexOfId(m_currentId);
        m_currentId = 0;
        if (line >= 0 && m_list.CurrentLine() < 0 && SelectLine)
            SelectLine(line);
    }
    if (any) {
        m_journal->MarkChangedSoon();
        Q_EMIT Opened();
    }
}

void TQueueKeeper::Save(const QString& chosen)
{
    QString path = chosen;
    if (!path.endsWith(TQueueFile::Extension()))
        path += TQueueFile::Extension();
    auto content = std::make_shared<const TQueueContent>(Snapshot());
    m_journal->Worker().Write(path, std::move(content), [this, path](bool ok, const QString& error) {
        if (!ok)
            Problem(tr("Не удалось сохранить очередь в %1:\n%2").arg(path, error));
        Q_EMIT Saved(path, ok);
    });
}

void TQueueKeeper::Close(TQueueJournal::TEnd end)
{
    m_journal->Close(end);
}

void TQueueKeeper::Problem(const QString& text)
{
    if (ShowProblem)
        ShowProblem(text, m_window);
}
