#pragma once

// Every field of a job as text, for whole-record comparisons in the tests
// and the queue file's fuzz target. A field added to the job belongs here.

#include "queueitem.h"

#include <QString>
#include <QStringList>

namespace TestUtil {

inline QStringList Fields(const TQueueItem* j)
{
    QStringList f{j->Title(), j->Artist(), j->Album(), j->Year(), j->Comment(),
                  j->InputFile(), j->OutputFile(), j->OutputDir()};
    for (int v : {int(j->Track()), int(j->Genre()), int(j->Id3v1()), int(j->Id3v2()),
                  int(j->ABitrate()), int(j->Algorithm()), int(j->Frequency()),
                  int(j->MinBitrate()), int(j->MaxBitrate()), int(j->Quality()),
                  int(j->VBRQuality()), int(j->KeepFreq()), int(j->Mode()), int(j->VBRNew()),
                  int(j->Copyrighted()), int(j->CRCs()), int(j->NonOriginal()), int(j->AutoTrack)})
        f << QString::number(v);
    f << j->ExtraOptions();
    return f;
}

} // namespace TestUtil
