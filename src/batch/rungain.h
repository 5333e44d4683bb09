#pragma once

#include "gainalbums.h"
#include "programsettings.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class IRunView;
class TQueue;

// The ReplayGain part of a run ("ReplayGain:" not "нет"): it learns which
// jobs the run has and how each ends, starts a TGainStep for every track or
// album that is ready while the run gives it a slot, shows the step's percent
// on its lines, and marks a line whose MP3 got no tags with a warning and
// the reason. A failed step is not a failed job: the line stays processed,
// its MP3 stays as it was, and the end text counts such lines apart.
class TRunGain final : public QObject
{
    Q_OBJECT
public:
    TRunGain(TQueue& queue, IRunView& view, QObject* parent = nullptr);
    ~TRunGain() override;

    // Tests: another loudgain; empty looks it up.
    void SetProgram(const QString& path) { m_program = path; }

    // At the start of a run, before any job is added.
    void Reset(TReplayGain mode);
    bool Active() const { return m_albums.Mode() != TReplayGain::Off; }
    void Add(quint64 jobId, const QString& artist, const QString& album);
    // A job got its output name; only encoded jobs make MP3s.
    void JobStarted(quint64 jobId, const QString& output, bool encoded);
    // A job has ended (or will never start).
    void JobEnded(quint64 jobId, bool done);

    bool HasReady() const { return m_albums.HasReady(); }
    void StartNext();
    int Running() const { return int(m_steps.size()); }
    // Kills the running steps; each ends as failed.
    void Stop();
    // At the end of the run: lines whose MP3 will get no step now are
    // marked; returns how many MP3s of the run got no tags.
    int Finish(const QString& reason);

    static QString WarningText(const QString& reason);
    static QString StatusText(const QString& file);

Q_SIGNALS:
    void StepEnded();

private:
    void OnStepEnded(TGainStep* step);
    void Warn(quint64 jobId, const QString& text, bool failed);

    TQueue& m_queue;
    IRunView& m_view;
    QString m_program;
    TGainAlbums m_albums;
    QHash<quint64, QString> m_outputs; // encoded jobs' MP3s
    std::vector<std::unique_ptr<TGainStep>> m_steps;
    int m_failed = 0;
};
