#pragma once

#include "readerprotocol.h"

#include <QByteArray>
#include <QString>

#include <optional>

class TQueueItem;

// The tag values a source file already carries (FLAC and Ogg comments,
// ID3v2 and RIFF INFO, MP4 atoms, APE tags), as the reader helper found them
// (see TSourceReader), put into the job's terms: the year as four digits, the
// genre as its number in the genre table, the first number of "3/12" as the
// track. A field the source lacks stays unset; an unreadable file gives no
// tags at all.
struct TSourceTags
{
    std::optional<QString> Title, Artist, Album, Year, Comment;
    std::optional<quint8> Genre; // a table index; a name not in the table gives 255
    std::optional<quint8> Track; // 1 to 255

    bool Any() const
    {
        return Title || Artist || Album || Year || Comment || Genre || Track;
    }

    static TSourceTags From(const ReaderProtocol::TAnswer& answer);

    // The genre's number for a name, ignoring case and outer blanks; 255
    // when the table has no such name.
    static quint8 GenreIndex(const QString& name);
};

// The facts about a source's audio that the decoder pipe needs. Zero where
// the file does not say (or the reader cannot read it).
struct TSourceAudio
{
    qint64 durationMs = 0;
    int bitsPerSample = 0; // 0 for lossy kinds, which have no bit depth of their own
    int sampleRate = 0;
    int channels = 0;

    static TSourceAudio From(const ReaderProtocol::TAnswer& answer);
};

// The picture to embed for a source: its own front cover (else its first
// picture), or else the first of cover.jpg, folder.jpg, front.jpg and
// cover.png in its folder, whatever their case. Empty data and file when none.
struct TCoverArt
{
    QByteArray data;
    QString suffix; // "jpg", "png" or "gif", after the picture's own first bytes
    QString file;   // the folder image used, when it came from a file

    // The embedded picture of a reader's answer, when it is a JPEG, PNG or
    // GIF (all lame takes) of at most ReaderProtocol::MaxPicture bytes.
    static TCoverArt Embedded(const ReaderProtocol::TAnswer& answer);
    // The folder image for a source; only names are looked at.
    static TCoverArt InFolder(const QString& sourcePath);
    // "jpg", "png", "gif" after the image's signature; empty for anything else.
    static QString ImageKind(const QByteArray& data);
};
