#include "taglibread.h"

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

using ReaderProtocol::TAnswer;

namespace {

constexpr int kTagLength = 255;

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

QByteArray Bytes(const TagLib::ByteVector& v)
{
    return QByteArray(v.data(), int(v.size()));
}

template <typename List>
bool PickFlacPicture(const List& pictures, TAnswer& a)
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
    a.picture = Bytes(chosen->data());
    a.mime = Text(chosen->mimeType());
    return true;
}

bool PickId3v2Picture(TagLib::ID3v2::Tag* tag, TAnswer& a)
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
    a.picture = Bytes(chosen->picture());
    a.mime = Text(chosen->mimeType());
    return true;
}

bool EmbeddedCover(TagLib::File* file, TAnswer& a)
{
    if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(file))
        return PickFlacPicture(flac->pictureList(), a) || PickId3v2Picture(flac->ID3v2Tag(), a);
    if (auto* vorbis = dynamic_cast<TagLib::Ogg::Vorbis::File*>(file))
        return vorbis->tag() && PickFlacPicture(vorbis->tag()->pictureList(), a);
    if (auto* opus = dynamic_cast<TagLib::Ogg::Opus::File*>(file))
        return opus->tag() && PickFlacPicture(opus->tag()->pictureList(), a);
    if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(file))
        return PickId3v2Picture(wav->ID3v2Tag(), a);
    if (auto* aiff = dynamic_cast<TagLib::RIFF::AIFF::File*>(file))
        return PickId3v2Picture(aiff->tag(), a);
    if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(file)) {
        TagLib::MP4::Tag* tag = mp4->tag();
        if (!tag || !tag->contains("covr"))
            return false;
        const TagLib::MP4::CoverArtList covers = tag->item("covr").toCoverArtList();
        if (covers.isEmpty() || covers.front().data().isEmpty())
            return false;
        a.picture = Bytes(covers.front().data());
        if (covers.front().format() == TagLib::MP4::CoverArt::PNG)
            a.mime = QStringLiteral("image/png");
        return true;
    }
    return false;
}

void Audio(TagLib::File* file, TAnswer& a)
{
    const TagLib::AudioProperties* p = file->audioProperties();
    if (!p)
        return;
    a.durationMs = qMax(0, p->lengthInMilliseconds());
    a.sampleRate = qMax(0, p->sampleRate());
    a.channels = qMax(0, p->channels());
    if (auto* f = dynamic_cast<const TagLib::FLAC::Properties*>(p))
        a.bitsPerSample = f->bitsPerSample();
    else if (auto* w = dynamic_cast<const TagLib::RIFF::WAV::Properties*>(p))
        a.bitsPerSample = w->bitsPerSample();
    else if (auto* af = dynamic_cast<const TagLib::RIFF::AIFF::Properties*>(p))
        a.bitsPerSample = af->bitsPerSample();
    else if (auto* v = dynamic_cast<const TagLib::WavPack::Properties*>(p))
        a.bitsPerSample = v->isLossless() ? v->bitsPerSample() : 0;
    else if (auto* m = dynamic_cast<const TagLib::MP4::Properties*>(p))
        a.bitsPerSample = m->codec() == TagLib::MP4::Properties::ALAC ? m->bitsPerSample() : 0;
    a.bitsPerSample = qBound(0, a.bitsPerSample, 64);
}

TAnswer Unreadable()
{
    TAnswer a;
    a.failure = QStringLiteral("unknown or damaged file");
    return a;
}

} // namespace

namespace TagLibRead {

TAnswer Info(const QByteArray& path)
{
    const TagLib::FileRef ref(path.constData(), true, TagLib::AudioProperties::Fast);
    TagLib::File* file = ref.file();
    if (!file || !file->isValid())
        return Unreadable();
    TAnswer a;
    a.readable = true;
    const TagLib::PropertyMap map = file->properties();
    a.title = First(map, "TITLE");
    a.artist = First(map, "ARTIST");
    a.album = First(map, "ALBUM");
    a.comment = First(map, "COMMENT");
    a.date = First(map, "DATE");
    a.genre = First(map, "GENRE");
    a.track = First(map, "TRACKNUMBER");
    Audio(file, a);
    return a;
}

TAnswer Cover(const QByteArray& path)
{
    const TagLib::FileRef ref(path.constData(), true, TagLib::AudioProperties::Fast);
    TagLib::File* file = ref.file();
    if (!file || !file->isValid())
        return Unreadable();
    TAnswer a;
    a.readable = true;
    Audio(file, a);
    if (EmbeddedCover(file, a) && a.picture.size() > ReaderProtocol::MaxPicture) {
        // Not a cover anyone embeds; the window would refuse the reply.
        a.picture.clear();
        a.mime.clear();
    }
    return a;
}

} // namespace TagLibRead
