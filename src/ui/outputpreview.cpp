#include "outputpreview.h"

#include "batchrun.h"
#include "paths.h"
#include "programsettings.h"
#include "queuelist.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QHash>

namespace {

// The path as the column shows it: below the target folder (or, with no
// target, below the source's folder) relative to it, anywhere else in full.
QString ShownPath(const QString& path, const QString& base)
{
    if (!base.isEmpty() && path.startsWith(base) && path.size() > base.size())
        return path.mid(base.size());
    return path;
}

QString ExistingNote(const TPlannedOutput& p, TExistingOutput existing)
{
    switch (existing) {
    case TExistingOutput::Ask:
        return QCoreApplication::translate("TOutputPreview", "Файл уже существует: перед запуском будет задан вопрос");
    case TExistingOutput::Overwrite:
        return QCoreApplication::translate("TOutputPreview", "Файл уже существует и будет перезаписан");
    case TExistingOutput::Skip:
        return QCoreApplication::translate("TOutputPreview", "Файл уже существует: задание будет пропущено");
    case TExistingOutput::KeepBoth:
        break;
    }
    return QCoreApplication::translate("TOutputPreview", "Файл уже существует: %1 сохранится рядом с ним").arg(Paths::NamePart(p.path));
}

} // namespace

TOutputPreview::TOutputPreview(TQueue& queue, TQueueList& list, const ProgramSettings& settings,
                               std::function<int()> mode, QObject* parent)
    : QObject(parent), m_queue(queue), m_list(list), m_settings(settings), m_mode(std::move(mode))
{
    // Lines added, removed, moved, ticked or unticked (by the user or the run).
    QAbstractItemModel* lines = m_list.model();
    connect(lines, &QAbstractItemModel::rowsInserted, this, &TOutputPreview::MarkDirty);
    connect(lines, &QAbstractItemModel::rowsRemoved, this, &TOutputPreview::MarkDirty);
    connect(lines, &QAbstractItemModel::rowsMoved, this, &TOutputPreview::MarkDirty);
    connect(lines, &QAbstractItemModel::modelReset, this, &TOutputPreview::MarkDirty);
    connect(lines, &QAbstractItemModel::layoutChanged, this, &TOutputPreview::MarkDirty);
    connect(lines, &QAbstractItemModel::dataChanged, this, &TOutputPreview::MarkDirty);
}

void TOutputPreview::SetRun(const TBatchRun* run)
{
    if (m_run)
        disconnect(m_run, nullptr, this, nullptr);
    m_run = run;
    if (m_run)
        connect(m_run, &TBatchRun::Finished, this, &TOutputPreview::MarkDirty);
}

void TOutputPreview::MarkDirty()
{
    if (m_dirty)
        return;
    m_dirty = true;
    if (!m_held)
        QMetaObject::invokeMethod(this, &TOutputPreview::RecomputeIfDirty, Qt::QueuedConnection);
}

void TOutputPreview::SetHeld(bool held)
{
    m_held = held;
    if (!held && m_dirty)
        QMetaObject::invokeMethod(this, &TOutputPreview::RecomputeIfDirty, Qt::QueuedConnection);
}

void TOutputPreview::RecomputeIfDirty()
{
    if (m_dirty && !m_held)
        Recompute();
}

std::vector<TPlannedOutput> TOutputPreview::FreshPlan(TExistingOutput existing)
{
    std::vector<const TQueueItem*> jobs;
    jobs.reserve(std::size_t(m_queue.Count()));
    for (int i = 0; i < m_queue.Count(); ++i) {
        if (!m_list.IsLineChecked(i))
            jobs.push_back(m_queue.Items(i));
    }
    return m_plan.Compute(jobs, m_settings, m_mode(), existing);
}

std::vector<std::pair<QString, QString>> TOutputPreview::ExistingOutputs()
{
    std::vector<std::pair<QString, QString>> existing;
    for (const TPlannedOutput& p : FreshPlan(TExistingOutput::Ask)) {
        if (p.existed)
            existing.emplace_back(p.job->InputFile(), p.path);
    }
    return existing;
}

void TOutputPreview::Recompute()
{
    m_dirty = false;
    m_list.SetOutputColumnVisible(m_settings.ShowOutputNames);
    if (!m_settings.ShowOutputNames) {
        m_list.SetLineOutputs({});
        return;
    }
    ++m_recomputations;

    const int count = m_queue.Count();
    QHash<const TQueueItem*, int> lineOf;
    lineOf.reserve(count);
    std::vector<TLineOutput> lines(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const TQueueItem* job = m_queue.Items(i);
        lineOf.insert(job, i);
        lines[std::size_t(i)].job = job;
    }

    const bool running = m_run && m_run->IsRunning() && m_run->Namer();
    TExistingOutput existing = m_settings.ExistingOutput;
    std::vector<TPlannedOutput> plan;
    if (running) {
        existing = m_run->ExistingChoice();
        std::vector<const TQueueItem*> ahead = m_run->JobsAhead();
        std::erase_if(ahead, [&](const TQueueItem* job) {
            return m_list.IsLineChecked(lineOf.value(job, -1));
        });
        plan = m_plan.Compute(ahead, m_settings, m_mode(), existing, *m_run->Namer());
    } else {
        plan = FreshPlan(existing);
    }
    QString base = m_settings.TargetDirectory;
    if (!base.isEmpty() && !base.endsWith(u'/'))
        base += u'/';
    const auto baseOf = [&base](const TQueueItem* job) {
        return base.isEmpty() ? Paths::FolderPart(job->InputFile()) : base;
    };

    QHash<const TQueueItem*, bool> planned;
    planned.reserve(qsizetype(plan.size()));
    for (const TPlannedOutput& p : plan) {
        const int line = lineOf.value(p.job, -1);
        if (line < 0)
            continue;
        planned.insert(p.job, true);
        TLineOutput& out = lines[std::size_t(line)];
        out.path = p.path;
        out.text = ShownPath(p.path, baseOf(p.job));
        out.existing = p.existed;
        if (p.clashWith) {
            out.clash = true;
            const int other = lineOf.value(p.clashWith, -1);
            out.note = other >= 0
                           ? tr("Совпадает с файлом результата строки %1: %2")
                                 .arg(other + 1)
                                 .arg(m_queue.Items(other)->InputFile())
                           : tr("Совпадает с файлом результата другого задания");
            out.note += tr("; добавлен номер");
        }
        if (p.existed) {
            const QString note = ExistingNote(p, existing);
            out.note = out.note.isEmpty() ? note : out.note + u'\n' + note;
        }
    }
    // The rest: processed lines show where their file went; the jobs being
    // run, and those the run has passed, the path the run gave them.
    for (int i = 0; i < count; ++i) {
        const TQueueItem* job = m_queue.Items(i);
        const bool checked = m_list.IsLineChecked(i);
        if ((!checked && !running) || planned.contains(job) || job->OutputFile().isEmpty())
            continue;
        TLineOutput& out = lines[std::size_t(i)];
        out.path = job->OutputFile();
        out.text = ShownPath(out.path, baseOf(job));
        out.written = checked;
        if (running && m_run->IsRunningJob(job))
            out.note = tr("Обрабатывается");
    }
    m_list.SetLineOutputs(std::move(lines));
}
