#pragma once

// Reading ID3v2 frames back from an encoded file, for tests that check what
// lame wrote. Needs TagLib (pkg-config "taglib").

#include <QString>

#include <taglib/id3v2frame.h>
#include <taglib/id3v2tag.h>
#include <taglib/tstring.h>

namespace TestUtil {

inline QString ToQString(const TagLib::String& s)
{
    return QString::fromStdWString(s.toWString());
}

// The text of the first frame with the id, or "<none>" when there is none.
inline QString V2Frame(TagLib::ID3v2::Tag* tag, const char* id)
{
    const TagLib::ID3v2::FrameList frames = tag->frameListMap()[id];
    return frames.isEmpty() ? QStringLiteral("<none>") : ToQString(frames.front()->toString());
}

} // namespace TestUtil
