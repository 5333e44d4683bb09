#include "namingtree.h"

namespace {

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Index of name in list (by accessor), appending a new entry when missing.
template <typename List, typename NameOf, typename Make>
int FindOrAppend(List& list, const QString& name, NameOf nameOf, Make make)
{
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (SameName(nameOf(list[i]), name))
            return int(i);
    }
    list.push_back(make(name));
    return int(list.size() - 1);
}

} // namespace

TNamingTree::Position TNamingTree::Enter(const QString& artist, const QString& album,
                                         const QString& title)
{
    Position p;
    p.artist = FindOrAppend(
        m_artists, artist, [](const Artist& a) -> const QString& { return a.name; },
        [](const QString& n) { return Artist{n, {}}; });
    auto& albums = m_artists[std::size_t(p.artist)].albums;
    p.album = FindOrAppend(
        albums, album, [](const Album& a) -> const QString& { return a.name; },
        [](const QString& n) { return Album{n, {}}; });
    auto& titles = albums[std::size_t(p.album)].titles;
    p.title = FindOrAppend(
        titles, title, [](const QString& t) -> const QString& { return t; },
        [](const QString& n) { return n; });
    return p;
}
