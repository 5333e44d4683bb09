#pragma once

#include <QString>
#include <vector>

// Artists, their albums and the albums' titles met during one run, in order
// of first meeting. Names compare without regard to letter case.
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

private:
    struct Album
    {
        QString name;
        std::vector<QString> titles;
    };
    struct Artist
    {
        QString name;
        std::vector<Album> albums;
    };
    std::vector<Artist> m_artists;
};
