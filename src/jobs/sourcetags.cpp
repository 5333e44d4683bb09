#include "sourcetags.h"

#include "genres.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <taglib/fileref.h>
#include <taglib/tfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/audioproperties.h>
#include <taglib/flacfile.h>
#include <taglib/flacproperties.h>
#include <taglib/flacpicture.h>
#include <taglib/wavfile.h>
#include <taglib/wavproperties.h>
#include <taglib/aifffile.h>
#include <taglib/aiffproperties.h>
#include <taglib/wavpackfile.h>
#include <taglib/wavpackproperties.h>
#include <taglib/mp4file.h>
#include <taglib/mp4properties.h>
#include <taglib/mp4coverart.h>
#include <taglib/mp4tag.h>
#include <taglib/xiphcomment.h>
#include <taglib/vorbisfile.h>
#include <taglib/opusfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/attachedpictureframe.h>

namespace {

constexpr int kTagLength = 255;

// TagLib takes a byte path; Linux file names are bytes as well.
TagLib::FileRef Open(const QString& path, bool audio)
{
    const QByteArray name = QFile::encodeName(path);
    return TagLib::FileRef(name.constData(), audio, TagLib::AudioProperties::Fast);
}

QString Text(const TagLib::String& s)
{
    return QString::fromStdWString(s.toWString());
}

std::optional<QString> First(const TagLib::PropertyMap& map, const char* key)
{
    const auto it = map.find(key);
    if (it == map.end() || it->second.isEmpty())
        return std::nullopt;
    const QString text = Text(it->second.front()).trimmed().left(kTagLength);
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

QString SuffixFor(const QString& mime, const QByteArray& data)
{
    if (mime.contains(QLatin1String("png"), Qt::CaseInsensitive) || data.startsWith("\x89PNG"))
        return QStringLiteral("png");
    if (mime.contains(QLatin1String("gif"), Qt::CaseInsensitive) || data.startsWith("GIF8"))
        return QStringLiteral("gif");
    return QStringLiteral("jpg");
}

QByteArray Bytes(const TagLib::ByteVector& v)
{
    return QByteArray(v.data(), int(v.size()));
}

// The front cover among FLAC-style pictures, else the first of them.
template <typename List>
bool PickFlacPicture(const List& pictures, TCoverArt& art)
{
    const TagLib::FLAC::Picture* chosen = nullptr;
    for (const TagLib::FLAC::Picture* p : pictures) {
        if (p->type() == TagLib::FLAC::Picture::FrontCover) {
            chosen = p;
            break;
        }
        if (!chosen)
            chosen = p;
    }
    if (!chosen || chosen->data().isEmpty())
        return false;
    art.data = Bytes(chosen->data());
    art.suffix = SuffixFor(Text(chosen->mimeType()), art.data);
    return true;
}

bool PickId3v2Picture(TagLib::ID3v2::Tag* tag, TCoverArt& art)
{
    if (!tag)
        return false;
    const TagLib::ID3v2::FrameList frames = tag->frameListMap()["APIC"];
    const TagLib::ID3v2::AttachedPictureFrame* chosen = nullptr;
    for (TagLib::ID3v2::Frame* f : frames) {
        auto* p = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(f);
        if (!p)
            continue;
        if (p->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover) {
            chosen = p;
            break;
        }
        if (!chosen)
            chosen = p;
    }
    if (!chosen || chosen->picture().isEmpty())
        return false;
    art.data = Bytes(chosen->picture());
    art.suffix = SuffixFor(Text(chosen->mimeType()), art.data);
    return true;
}

bool EmbeddedCover(const QString& path, TCoverArt& art)
{
    const TagLib::FileRef ref = Open(path, false);
    TagLib::File* file = ref.file();
    if (!file || !file->isValid())
        return false;
    if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(file))
        return PickFlacPicture(flac->pictureList(), art)
               || PickId3v2Picture(flac->ID3v2Tag(), art);
    if (auto* vorbis = dynamic_cast<TagLib::Ogg::Vorbis::File*>(file))
        return vorbis->tag() && PickFlacPicture(vorbis->tag()->pictureList(), art);
    if (auto* opus = dynamic_cast<TagLib::Ogg::Opus::File*>(file))
        return opus->tag() && PickFlacPicture(opus->tag()->pictureList(), art);
    if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(file))
        return PickId3v2Picture(wav->ID3v2Tag(), art);
    if (auto* aiff = dynamic_cast<TagLib::RIFF::AIFF::File*>(file))
        return PickId3v2Picture(aiff->tag(), art);
    if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(file)) {
        TagLib::MP4::Tag* tag = mp4->tag();
        if (!tag || !tag->contains("covr"))
            return false;
        const TagLib::MP4::CoverArtList covers = tag->item("covr").toCoverArtList();
        if (covers.isEmpty() || covers.front().data().isEmpty())
            return false;
        art.data = Bytes(covers.front().data());
        art.suffix = covers.front().format() == TagLib::MP4::CoverArt::PNG
                         ? QStringLiteral("png")
                         : SuffixFor(QString(), art.data);
        return true;
    }
    return false;
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

TSourceTags TSourceTags::Read(const QString& path)
{
    TSourceTags tags;
    const TagLib::FileRef ref = Open(path, false);
    TagLib::File* file = ref.file();
    if (!file || !file->isValid())
        return tags;
    const TagLib::PropertyMap map = file->properties();
    tags.Title = First(map, "TITLE");
    tags.Artist = First(map, "ARTIST");
    tags.Album = First(map, "ALBUM");
    tags.Comment = First(map, "COMMENT");
    if (const auto date = First(map, "DATE")) {
        static const QRegularExpression fourDigits(QStringLiteral("\\d{4}"));
        if (const auto m = fourDigits.match(*date); m.hasMatch())
            tags.Year = m.captured();
    }
    if (const auto genre = First(map, "GENRE"))
        tags.Genre = GenreIndex(*genre);
    if (const auto track = First(map, "TRACKNUMBER")) {
        static const QRegularExpression number(QStringLiteral("^\\s*(\\d+)"));
        if (const auto m = number.match(*track); m.hasMatch()) {
            const int n = m.captured(1).left(4).toInt();
            if (n >= 1 && n <= 255)
                tags.Track = quint8(n);
        }
    }
    return tags;
}

TSourceAudio TSourceAudio::Read(const QString& path)
{
    TSourceAudio audio;
    const TagLib::FileRef ref = Open(path, true);
    TagLib::File* file = ref.file();
    if (!file || !file->isValid() || !file->audioProperties())
        return audio;
    const TagLib::AudioProperties* p = file->audioProperties();
    audio.durationMs = p->lengthInMilliseconds();
    audio.sampleRate = p->sampleRate();
    audio.channels = p->channels();
    if (auto* f = dynamic_cast<const TagLib::FLAC::Properties*>(p))
        audio.bitsPerSample = f->bitsPerSample();
    else if (auto* w = dynamic_cast<const TagLib::RIFF::WAV::Properties*>(p))
        audio.bitsPerSample = w->bitsPerSample();
    else if (auto* a = dynamic_cast<const TagLib::RIFF::AIFF::Properties*>(p))
        audio.bitsPerSample = a->bitsPerSample();
    else if (auto* v = dynamic_cast<const TagLib::WavPack::Properties*>(p))
        audio.bitsPerSample = v->isLossless() ? v->bitsPerSample() : 0;
    else if (auto* m = dynamic_cast<const TagLib::MP4::Properties*>(p))
        audio.bitsPerSample = m->codec() == TagLib::MP4::Properties::ALAC ? m->bitsPerSample() : 0;
    return audio;
}

TCoverArt TCoverArt::Find(const QString& sourcePath)
{
    TCoverArt art;
    if (EmbeddedCover(sourcePath, art))
        return art;
    art = TCoverArt();
    const QDir folder = QFileInfo(sourcePath).absoluteDir();
    const QStringList entries = folder.entryList(QDir::Files | QDir::Readable);
    for (const char* wanted : {"cover.jpg", "folder.jpg", "front.jpg", "cover.png"}) {
        for (const QString& name : entries) {
            if (name.compare(QLatin1String(wanted), Qt::CaseInsensitive) != 0)
                continue;
            QFile f(folder.filePath(name));
            if (f.open(QIODevice::ReadOnly) && f.size() > 0) {
                art.data = f.readAll();
                art.suffix = QFileInfo(name).suffix().toLower();
                art.file = f.fileName();
                return art;
            }
        }
    }
    return art;
}
