#pragma once

#include <QString>
#include <array>

// ID3v1 genre names with the Winamp extensions, indexed by genre number.
// Entries 22, 24, 73 and 74 really do end in a blank: tags and output file
// names built from them depend on that.
inline constexpr int GenreCount = 148;
inline constexpr quint8 NoGenre = 255;

extern const std::array<const char*, GenreCount> GenreNames;

// Name of genre g, or an empty string for "no genre" (148 to 255).
QString GenreName(int g);
