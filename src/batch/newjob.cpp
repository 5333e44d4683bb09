#include "newjob.h"

#include "compressvalues.h"
#include "genres.h"
#include "queueitem.h"
#include "sourcetags.h"

namespace NewJob {

namespace {

constexpr int kTagLength = 255;

} // namespace

void ApplyTags(TQueueItem& job, const Fixed& fixed, const TSourceTags* source)
{
    job.SetId3v1(fixed.id3v1);
    job.SetId3v2(fixed.id3v2);
    bool fromSource = false;

    job.SetTrack(0);
    if (fixed.track)
        job.SetTrack(*fixed.track);
    if (fixed.trackFixed) {
        job.AutoTrack = false;
    } else if (source && source->Track) {
        // A number the source gives is kept by the run instead of counted.
        job.SetTrack(*source->Track);
        job.AutoTrack = false;
        fromSource = true;
    }

    auto value = [&fromSource](const std::optional<QString>& fix,
                               const std::optional<QString>* given) {
        if (fix)
            return fix->left(kTagLength);
        if (given && given->has_value()) {
            fromSource = true;
            return given->value();
        }
        return QString();
    };
    job.SetTitle(value(fixed.title, source ? &source->Title : nullptr));
    job.SetArtist(value(fixed.artist, source ? &source->Artist : nullptr));
    job.SetAlbum(value(fixed.album, source ? &source->Album : nullptr));
    // The year setter ignores empty text; a zero is what empties a year.
    const QString year = value(fixed.year, source ? &source->Year : nullptr);
    job.SetYear(year.isEmpty() ? QStringLiteral("0") : year);
    job.SetComment(value(fixed.comment, source ? &source->Comment : nullptr));

    if (fixed.genre) {
        job.SetGenre(*fixed.genre);
    } else if (source && source->Genre) {
        job.SetGenre(*source->Genre);
        fromSource = true;
    } else {
        job.SetGenre(NoGenre);
    }

    if (fromSource && !job.Id3v1() && !job.Id3v2())
        job.SetId3v2(true);
}

void Init(TQueueItem& job, const ProgramSettings& settings, const Fixed& fixed,
          const TSourceTags* source)
{
    TCompressValues::From(settings).StoreTo(job);
    ApplyTags(job, fixed, source);
}

} // namespace NewJob
