#include "sourcetags.h"

#include "genres.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

constexpr int kTagLength = 255;

// The reader sends values trimmed and cut already; a reply is not trusted
// to, and doing it again changes nothing for one that did.
std::optional<QString> Value(const std::optional<QString>& given)
{
    if (!given)
        return std::nullopt;
    const QString text = given->trimmed().left(kTagLength);
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

} // namespace

quint8 TSourceTags::GenreIndex(const QString& name)
{
    const QString wanted = name.trimmed();
    for (int g = 0; g < GenreCount; ++g) {
        if (QString::fromLatin1(GenreNames[g]).trimmed().compare(wanted, Qt::CaseInsensitive) == 0)
            return quint8(g);
    }
    return NoGenre;
}

TSourceTags TSourceTags::From(const ReaderProtocol::TAnswer& answer)
{
    TSourceTags tags;
    if (!answer.readable)
        return tags;
    tags.Title = Value(answer.title);
    tags.Artist = Value(answer.artist);
    tags.Album = Value(answer.album);
    tags.Comment = Value(answer.comment);
    if (const auto date = Value(answer.date)) {
        static const QRegularExpression fourDigits(QStringLiteral("\\d{4}"));
        if (const auto m = fourDigits.match(*date); m.hasMatch())
            tags.Year = m.captured();
    }
    if (const auto genre = Value(answer.genre))
        tags.Genre = GenreIndex(*genre);
    if (const auto track = Value(answer.track)) {
        static const QRegularExpression number(QStringLiteral("^\\s*(\\d+)"));
        if (const auto m = number.match(*track); m.hasMatch()) {
            const int n = m.captured(1).left(4).toInt();
            if (n >= 1 && n <= 255)
                tags.Track = quint8(n);
        }
    }
    return tags;
}

TSourceAudio TSourceAudio::From(const ReaderProtocol::TAnswer& answer)
{
    TSourceAudio audio;
    if (!answer.readable)
        return audio;
    audio.durationMs = answer.durationMs;
    audio.bitsPerSample = answer.bitsPerSample;
    audio.sampleRate = answer.sampleRate;
    audio.channels = answer.channels;
    return audio;
}

QString TCoverArt::ImageKind(const QByteArray& data)
{
    if (data.startsWith("\xFF\xD8\xFF"))
        return QStringLiteral("jpg");
    if (data.startsWith("\x89PNG\r\n\x1A\n"))
        return QStringLiteral("png");
    if (data.startsWith("GIF87a") || data.startsWith("GIF89a"))
        return QStringLiteral("gif");
    return QString();
}

TCoverArt TCoverArt::Embedded(const ReaderProtocol::TAnswer& answer)
{
    TCoverArt art;
    if (!answer.readable || answer.picture.isEmpty()
        || answer.picture.size() > ReaderProtocol::MaxPicture)
        return art;
    const QString kind = ImageKind(answer.picture);
    if (kind.isEmpty())
        return art;
    art.data = answer.picture;
    art.suffix = kind;
    return art;
}

TCoverArt TCoverArt::InFolder(const QString& sourcePath)
{
    TCoverArt art;
    const QDir folder = QFileInfo(sourcePath).absoluteDir();
    const QStringList entries = folder.entryList(QDir::Files | QDir::Readable);
    for (const char* wanted : {"cover.jpg", "folder.jpg", "front.jpg", "cover.png"}) {
        for (const QString& name : entries) {
            if (name.compare(QLatin1String(wanted), Qt::CaseInsensitive) != 0)
                continue;
            const QFileInfo image(folder.filePath(name));
            if (image.size() > 0) {
                art.suffix = image.suffix().toLower();
                art.file = image.filePath();
                return art;
            }
        }
    }
    return art;
}
