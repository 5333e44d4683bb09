#include "rungain.h"

#include "queue.h"
#include "runview.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>

TRunGain::TRunGain(TQueue& queue, IRunView& view, QObject* parent)
    : QObject(parent), m_queue(queue), m_view(view)
{
}

TRunGain::~TRunGain() = default;

QString TRunGain::WarningText(const QString& reason)
{
    return QCoreApplication::translate("TRunGain", "ReplayGain не записан: %1").arg(reason);
}

QString TRunGain::StatusText(const QString& file)
{
    return QCoreApplication::translate("TRunGain", "ReplayGain: %1").arg(file);
}

void TRunGain::Reset(TReplayGain mode)
{
    m_albums.Reset(mode);
    m_outputs.clear();
    m_failed = 0;
}

void TRunGain::Add(quint64 jobId, const QString& artist, const QString& album)
{
    m_albums.Add(jobId, artist, album);
}

void TRunGain::JobStarted(quint64 jobId, const QString& output, bool encoded)
{
    if (Active() && encoded)
        m_outputs.insert(jobId, output);
}

void TRunGain::JobEnded(quint64 jobId, bool done)
{
    if (!Active())
        return;
    const QString output = m_outputs.take(jobId);
    m_albums.Ended(jobId, done ? output : QString());
}

void TRunGain::StartNext()
{
    if (!m_albums.HasReady())
        return;
    TGainAlbums::Batch batch = m_albums.TakeReady();
    auto step = std::make_unique<TGainStep>(batch.tracks, batch.album);
    TGainStep* s = step.get();
    const QString note = batch.note;
    connect(s, &TGainStep::PercentChanged, this, [this, s](int percent) {
        for (const TGainStep::Track& t : s->Tracks()) {
            if (const int line = m_queue.IndexOfId(t.jobId); line >= 0)
                m_view.SetLineProgress(line, percent);
        }
    });
    connect(s, &TGainStep::Ended, this, [this, s, note] {
        // Tags written, but not the album's: still worth a warning.
        if (!note.isEmpty()) {
            for (const TGainStep::Track& t : s->Tracks()) {
                if (!s->Failures().contains(t.jobId))
                    Warn(t.jobId, note, false);
            }
        }
        OnStepEnded(s);
    });
    m_steps.push_back(std::move(step));
    m_view.SetStatusText(StatusText(QFileInfo(batch.tracks.front().path).fileName()));
    s->Start(m_program);
}

void TRunGain::OnStepEnded(TGainStep* step)
{
    const auto it = std::find_if(m_steps.begin(), m_steps.end(),
                                 [step](const auto& s) { return s.get() == step; });
    if (it == m_steps.end())
        return;
    for (const TGainStep::Track& t : step->Tracks()) {
        if (const int line = m_queue.IndexOfId(t.jobId); line >= 0)
            m_view.SetLineProgress(line, -1);
        if (const auto f = step->Failures().constFind(t.jobId); f != step->Failures().cend())
            Warn(t.jobId, WarningText(*f), true);
    }
    // Deleted once its signal has returned.
    TGainStep* done = it->release();
    m_steps.erase(it);
    done->setParent(this);
    done->deleteLater();
    Q_EMIT StepEnded();
}

void TRunGain::Warn(quint64 jobId, const QString& text, bool failed)
{
    if (failed)
        ++m_failed;
    if (const int line = m_queue.IndexOfId(jobId); line >= 0)
        m_view.SetLineWarning(line, text);
}

void TRunGain::Stop()
{
    for (const auto& s : m_steps)
        s->Stop();
}

int TRunGain::Finish(const QString& reason)
{
    for (const TGainStep::Track& t : m_albums.TakeLeftOver())
        Warn(t.jobId, WarningText(reason), true);
    m_outputs.clear();
    const int failed = m_failed;
    m_albums.Reset(TReplayGain::Off);
    return failed;
}
