#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class TQueueItem;

// The tag values a source file already carries (FLAC and Ogg comments,
// ID3v2 and RIFF INFO, MP4 atoms, APE tags), read with TagLib and put into
// the job's terms: the year as four digits, the genre as its number in the
// genre table, the first number of "3/12" as the track. A field the source
// lacks stays unset. Reading never fails: a damaged or foreign tag reads as
// no tags at all.
struct TSourceTags
{
    std::optional<QString> Title, Artist, Album, Year, Comment;
    std::optional<quint8> Genre; // a table index; a name not in the table gives 255
    std::optional<quint8> Track; // 1 to 255

    bool Any() const
    {
        return Title || Artist || Album || Year || Comment || Genre || Track;
    }

    static TSourceTags Read(const QString& path);

    // The genre's number for a name, ignoring case and outer blanks; 255
    // when the table has no such name.
    static quint8 GenreIndex(const QString& name);
};

// The facts about a source's audio that the decoder pipe needs. Zero where
// the file does not say (or TagLib cannot read it).
struct TSourceAudio
{
    qint64 durationMs = 0;
    int bitsPerSample = 0; // 0 for lossy kinds, which have no bit depth of their own
    int sampleRate = 0;
    int channels = 0;

    static TSourceAudio Read(const QString& path);
};

// The picture to embed for a source: its own front cover (else its first
// picture), or else the first of cover.jpg, folder.jpg, front.jpg and
// cover.png in its folder, whatever their case. Empty data when none.
struct TCoverArt
{
    QByteArray data;
    QString suffix; // "jpg", "png" or "gif", after the picture's type
    QString file;   // the folder image used, when it came from a file

    static TCoverArt Find(const QString& sourcePath);
};
