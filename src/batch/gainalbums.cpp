#include "gainalbums.h"

#include "namingtree.h"

#include <QCoreApplication>

void TGainAlbums::Reset(TReplayGain mode)
{
    m_mode = mode;
    m_albumOf.clear();
    m_albums.clear();
    m_ready.clear();
}

QString TGainAlbums::IncompleteAlbumNote()
{
    return QCoreApplication::translate(
        "TGainAlbums", "ReplayGain: записано только усиление трека, не все дорожки альбома сжаты");
}

void TGainAlbums::Add(quint64 jobId, const QString& artist, const QString& album)
{
    if (m_mode == TReplayGain::Off)
        return;
    QString key;
    if (m_mode == TReplayGain::Album && !album.isEmpty()) {
        // The separator cannot occur in a folded name's text of its own.
        key = TNamingTree::FoldKey(artist) + QChar(0x1f) + TNamingTree::FoldKey(album);
        ++m_albums[key].waiting;
    }
    m_albumOf.insert(jobId, key);
}

void TGainAlbums::Ended(quint64 jobId, const QString& output)
{
    const auto it = m_albumOf.constFind(jobId);
    if (it == m_albumOf.cend())
        return;
    const QString key = *it;
    m_albumOf.erase(it);
    if (key.isEmpty()) {
        if (!output.isEmpty())
            m_ready.push_back(Batch{{{jobId, output}}, false, QString()});
        return;
    }
    Album& album = m_albums[key];
    --album.waiting;
    if (output.isEmpty())
        album.allDone = false;
    else
        album.done.push_back({jobId, output});
    if (album.waiting > 0)
        return;
    if (!album.done.empty()) {
        const bool whole = album.allDone;
        m_ready.push_back(
            Batch{std::move(album.done), whole, whole ? QString() : IncompleteAlbumNote()});
    }
    m_albums.remove(key);
}

TGainAlbums::Batch TGainAlbums::TakeReady()
{
    Batch b = std::move(m_ready.front());
    m_ready.pop_front();
    return b;
}

std::vector<TGainStep::Track> TGainAlbums::TakeLeftOver()
{
    std::vector<TGainStep::Track> left;
    for (Batch& b : m_ready)
        left.insert(left.end(), b.tracks.begin(), b.tracks.end());
    for (Album& a : m_albums)
        left.insert(left.end(), a.done.begin(), a.done.end());
    m_ready.clear();
    m_albums.clear();
    m_albumOf.clear();
    return left;
}
