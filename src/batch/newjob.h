#pragma once

#include <QString>

#include <optional>

class TQueueItem;
struct ProgramSettings;
struct TSourceTags;

// How a freshly queued job gets its values, for the window and the batch
// mode alike: the compression settings of the settings record, then the tag
// versions and the values the tag editor holds fixed, and where a field is
// not fixed, the source's own value (if given) in place of "empty". A job
// that gets any value from its source and no tag version gets ID3v2.
namespace NewJob {

// What the tag editor holds for new jobs; the defaults are those of an
// editor nobody has touched (the batch mode has no other).
struct Fixed
{
    bool id3v1 = false;
    bool id3v2 = false;
    std::optional<quint8> track;   // the track box is fixed at this number
    bool trackFixed = false;       // ... and automatic numbering is off
    std::optional<QString> title, artist, album, year, comment;
    std::optional<quint8> genre;
};

// The tag part alone (the tag editor's part of an add).
void ApplyTags(TQueueItem& job, const Fixed& fixed, const TSourceTags* source);
// The whole of a new job: compression values, then the tags.
void Init(TQueueItem& job, const ProgramSettings& settings, const Fixed& fixed,
          const TSourceTags* source);

} // namespace NewJob
