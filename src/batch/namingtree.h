#pragma once

#include <QHash>
#include <QString>
#include <vector>

// Artists, their albums and the albums' titles met during one run, in order
// of first meeting. Names compare without regard to letter case, character by
// character as QString::compare(Qt::CaseInsensitive) does, Cyrillic included.
// Lookups are hashed on the case-folded name, so entering n jobs costs O(n).
class TNamingTree final
{
public:
    struct Position
    {
        int artist = 0;
        int album = 0;
        int title = 0;
    };

    // Finds or appends the three names and returns their positions (from 0).
    Position Enter(const QString& artist, const QString& album, const QString& title);

    // The key two names share exactly when they compare equal without case.
    static QString FoldKey(const QString& name);

private:
    struct Album
    {
        QHash<QString, int> titles;
    };
    struct Artist
    {
        QHash<QString, int> albumIndex;
        std::vector<Album> albums;
    };
    QHash<QString, int> m_artistIndex;
    std::vector<Artist> m_artists;
};
