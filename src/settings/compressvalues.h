#pragma once

#include "jobtypes.h"

#include <QString>

class TQueueItem;
struct ProgramSettings;

// The compression values that a job and the settings record share, as the
// panel edits them. Fields are raw on purpose: a hand-edited settings value
// may lie outside its type's range and must reach the panel as it is.
struct TCompressValues
{
    TInterval Frequency = 0;
    TMode Mode = Auto;
    TInterval Quality = 5;
    bool KeepFreq = false;
    quint16 ABitrate = 128;
    TAlgorithm Algorithm = CBR;
    quint16 MinBitrate = 32;
    quint16 MaxBitrate = 320;
    TInterval VBRQuality = 4;
    bool VBRNew = true;
    bool Copyrighted = false;
    bool NonOriginal = false;
    bool CRCs = false;
    // The user's own LAME options (text as typed, accepted by LameOptions).
    QString ExtraOptions{};

    static TCompressValues From(const ProgramSettings& s);
    static TCompressValues From(const TQueueItem& job);
    // Assigns the fields directly; the record has no guards.
    void StoreTo(ProgramSettings& s) const;
    // Goes through the job's setters, so a bitrate the job does not accept
    // leaves that bitrate as it was.
    void StoreTo(TQueueItem& job) const;

    bool operator==(const TCompressValues&) const = default;
};
