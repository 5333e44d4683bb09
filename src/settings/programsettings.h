#pragma once

#include "compresspresets.h"
#include "jobtypes.h"

#include <QList>
#include <QString>

// What a run does when a job's final output name is taken by a file that
// was there before the run.
enum class TExistingOutput : quint8 { Ask = 0, Overwrite = 1, Skip = 2, KeepBoth = 3 };

// Whether a run writes ReplayGain tags into the MP3s it made ("ReplayGain:").
enum class TReplayGain : quint8 { Off = 0, Track = 1, Album = 2 };

// Program-wide options and the default compression settings for new jobs.
// A plain record owned by the main window; no field is range-checked, since
// it holds whatever the settings file or the preferences dialog gave it.
struct ProgramSettings
{
    quint16 ABitrate = 128;
    TInterval Frequency = 0;
    quint16 MinBitrate = 32;
    quint16 MaxBitrate = 320;
    TInterval Quality = 5;
    TInterval VBRQuality = 4;
    bool KeepFreq = false;
    TMode Mode = Default;
    bool VBRNew = true;
    TAlgorithm Algorithm = CBR;
    bool Copyrighted = false;
    bool CRCs = false;
    bool NonOriginal = false;
    QString TargetDirectory = DefaultTargetDirectory();
    bool CreateSubFolders = false;
    QString ArtistFolderFormat = QStringLiteral("%2");
    QString AlbumFolderFormat = QStringLiteral("%4 - %3");
    QString FileNameFormat = QStringLiteral("%0");
    bool DeleteAfterProcess = false;
    bool DeleteFromQueue = true;
    // Optional values, stored after the 21 of the original format.
    bool ShowOutputNames = true;
    TExistingOutput ExistingOutput = TExistingOutput::Ask;
    // Encoders run at once: 0 one per processor core, 1 one after the other
    // (with the countdown between jobs), up to MaxParallelJobs.
    quint32 ParallelJobs = 1;
    // Seconds of countdown between two jobs when they run one after the other.
    quint32 PauseBetweenJobs = 3;

    static constexpr quint32 MaxParallelJobs = 64;
    static constexpr quint32 MaxPauseBetweenJobs = 3;
    // How many encoders a run may start at once: ParallelJobs, with 0 as the
    // number of processor cores.
    int EffectiveParallelJobs() const;
    // "Source formats": 0 WAV only, 1 every kind the decoder takes.
    bool AllSourceFormats = false;
    // "Embed cover art": jobs with an ID3v2 tag get the source's picture.
    bool EmbedCoverArt = false;
    // "File names": 0 as the target's file system takes them, 1 names any
    // medium takes (FAT's rules wherever the output goes).
    bool PortableNames = false;
    // The user's own LAME options for new jobs (accepted by LameOptions).
    QString ExtraOptions{};
    // The user's own profiles of the compression panel.
    QList<TCompressPreset> UserPresets{};
    // ReplayGain tags by loudgain after the run's MP3s are done.
    TReplayGain ReplayGain = TReplayGain::Off;
    // "Notify at end": a desktop notification when a run ends while the
    // window is not the active one.
    bool NotifyAtEnd = true;
    // "Keep the queue at exit": a normal close keeps the queue's journal
    // and the next start restores it without asking.
    bool KeepQueue = false;
    // Where the dialogs that save and open queue files start.
    QString QueueFolder;

    // The user's music folder, else the home folder, ending in "/".
    static QString DefaultTargetDirectory();

    bool operator==(const ProgramSettings&) const = default;
};
