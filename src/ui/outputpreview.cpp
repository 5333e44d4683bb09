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
    connect(lines, &QAbstractItemModel::rowsRemoved, this, &TOutputPreview::LinesRemoved);
    connect(lines, &QAbstractItemModel::rowsMoved, this, &TOutputPreview::MarkDirty);
    connect(lines, &QAbstractItemModel::modelReset, this, &TOutputPreview::LinesRemoved);
    connect(lines, &QAbstractItemModel::layoutChanged, this, &TOutputPreview::MarkDirty);
    connect(lines, &QAbstractItemModel::dataChanged, this, &TOutputPreview::MarkDirty);
    m_later.setSingleShot(true);
    connect(&m_later, &QTimer::timeout, this, &TOutputPreview::RecomputeIfDirty);
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
    if (!m_dirty || m_held || m_plan.InProgress())
        return;
    // During a run every job that ends changes the plan; with a long queue
    // planning after each one would take the time the run needs. The column
    // follows at most once a second then.
    if (m_run && m_run->IsRunning() && m_queue.Count() > kSmallQueue && m_lastPass.isValid()
        && m_lastPass.elapsed() < kRunInterval.count()) {
        if (!m_later.isActive())
            m_later.start(kRunInterval - std::chrono::milliseconds(m_lastPass.elapsed()));
        return;
    }
    StartPass(false);
}

void TOutputPreview::Recompute()
{
    m_plan.Abandon();
    m_later.stop();
    StartPass(true);
}

void TOutputPreview::LinesRemoved()
{
    // The plan under way holds the removed jobs among those it has planned.
    if (m_plan.InProgress()) {
        m_plan.Abandon();
        m_dirty = false; // so that a recompute is asked for again
    }
    MarkDirty();
}

void TOutputPreview::StartPass(bool whole)
{
    m_dirty = false;
    m_lastExisting.reset();
    m_list.SetOutputColumnVisible(m_settings.ShowOutputNames);
    if (!m_settings.ShowOutputNames) {
        m_list.SetLineOutputs({});
        return;
    }
    ++m_recomputations;
    m_lastPass.start();

    std::vector<quint64> ids;
    ids.reserve(std::size_t(m_queue.Count()));
    if (m_run && m_run->IsRunning() && m_run->Namer()) {
        m_passExisting = m_run->ExistingChoice();
        m_passFresh = false;
        for (const TQueueItem* job : m_run->JobsAhead()) {
            if (!m_list.IsLineChecked(m_queue.IndexOfId(job->Id())))
                ids.push_back(job->Id());
        }
        m_plan.Begin(m_queue, std::move(ids), m_settings, m_mode(), m_passExisting,
                     *m_run->Namer());
    } else {
        m_passExisting = m_settings.ExistingOutput;
        m_passFresh = true;
        for (const TQueueItem* job : UncheckedJobs())
            ids.push_back(job->Id());
        m_plan.Begin(m_queue, std::move(ids), m_settings, m_mode(), m_passExisting);
    }
    if (whole) {
        m_plan.Step(std::chrono::nanoseconds::max());
        Finish();
    } else {
        Continue();
    }
}

void TOutputPreview::Continue()
{
    if (!m_plan.InProgress())
        return; // abandoned, or finished by a recompute at once
    if (m_held) {
        // A long add is under way: the plan starts afresh when it ends.
        m_plan.Abandon();
        m_dirty = true;
        return;
    }
    if (m_plan.Step(m_slice)) {
        Finish();
        return;
    }
    QMetaObject::invokeMethod(this, &TOutputPreview::Continue, Qt::QueuedConnection);
}

std::vector<const TQueueItem*> TOutputPreview::UncheckedJobs() const
{
    std::vector<const TQueueItem*> jobs;
    jobs.reserve(std::size_t(m_queue.Count()));
    for (int i = 0; i < m_queue.Count(); ++i) {
        if (!m_list.IsLineChecked(i))
            jobs.push_back(m_queue.Items(i));
    }
    return jobs;
}

std::vector<TPlannedOutput> TOutputPreview::FreshPlan(TExistingOutput existing)
{
    return m_plan.Compute(UncheckedJobs(), m_settings, m_mode(), existing);
}

std::vector<std::pair<QString, QString>> TOutputPreview::ExistingOutputs()
{
    // Planning a long queue afresh would hold the window up when "&Вперед!"
    // is pressed; the plan the column shows answers as well while nothing has
    // changed since. A file that appeared on disk after it is kept beside,
    // as the run does with every file it was not told to replace.
    if (m_queue.Count() > kSmallQueue && !IsDirty() && m_lastExisting)
        return *m_lastExisting;
    std::vector<std::pair<QString, QString>> existing;
    for (const TPlannedOutput& p : FreshPlan(TExistingOutput::Ask)) {
        if (p.existed)
            existing.emplace_back(p.job->InputFile(), p.path);
    }
    return existing;
}

// The plan's paths into the lines of the queue as it stands now.
void TOutputPreview::Finish()
{
    const std::vector<TPlannedOutput> plan = m_plan.Take();
    const int count = m_queue.Count();
    QHash<const TQueueItem*, int> lineOf;
    lineOf.reserve(count);
    std::vector<TLineOutput> lines(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const TQueueItem* job = m_queue.Items(i);
        lineOf.insert(job, i);
        lines[std::size_t(i)].job = job;
    }

    const bool running = m_run && m_run->IsRunning();
    const TExistingOutput existing = m_passExisting;
    if (m_passFresh && existing == TExistingOutput::Ask) {
        m_lastExisting.emplace();
        for (const TPlannedOutput& p : plan) {
            if (p.existed)
                m_lastExisting->emplace_back(p.job->InputFile(), p.path);
        }
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
        // Why the name differs from what the tags and patterns give.
        out.note = p.notes.join(u'\n');
        if (p.clashWith) {
            out.clash = true;
            const int other = lineOf.value(p.clashWith, -1);
            QString clash = other >= 0
                                ? tr("Совпадает с файлом результата строки %1: %2")
                                      .arg(other + 1)
                                      .arg(m_queue.Items(other)->InputFile())
                                : tr("Совпадает с файлом результата другого задания");
            clash += tr("; добавлен номер");
            out.note = out.note.isEmpty() ? clash : out.note + u'\n' + clash;
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
    // What changed while the plan was under way.
    if (m_dirty && !m_held)
        QMetaObject::invokeMethod(this, &TOutputPreview::RecomputeIfDirty, Qt::QueuedConnection);
}
