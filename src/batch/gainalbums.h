#pragma once

#include "programsettings.h"
#include "replaygain.h"

#include <QHash>
#include <QString>

#include <deque>
#include <vector>

// Which MP3s of a run get their ReplayGain step, and when. For track gain a
// job's MP3 is ready as soon as its job is done. For album gain an album (its
// artist and album compared as the naming tree compares them) is ready once
// every job of it in the run has ended: all done, and its tracks get track
// and album gain in one step; some not done, and the done ones get track
// gain only, with a note saying why. A job without an album name is a
// track of its own.
class TGainAlbums final
{
public:
    struct Batch
    {
        std::vector<TGainStep::Track> tracks;
        bool album = false;
        QString note; // the warning of tracks whose album gets no album gain
    };

    void Reset(TReplayGain mode);
    TReplayGain Mode() const { return m_mode; }
    // Before the run: one of its jobs.
    void Add(quint64 jobId, const QString& artist, const QString& album);
    // A job has ended: output is its MP3 when it was done, empty otherwise.
    void Ended(quint64 jobId, const QString& output);

    bool HasReady() const { return !m_ready.empty(); }
    Batch TakeReady();
    // The done tracks that will get no step now: those ready and those of
    // albums still waiting for jobs that will not run. Empties the plan.
    std::vector<TGainStep::Track> TakeLeftOver();

    static QString IncompleteAlbumNote();

private:
    struct Album
    {
        int waiting = 0;
        bool allDone = true;
        std::vector<TGainStep::Track> done;
    };

    TReplayGain m_mode = TReplayGain::Off;
    QHash<quint64, QString> m_albumOf; // job -> album key; empty for a track of its own
    QHash<QString, Album> m_albums;
    std::deque<Batch> m_ready;
};
