#pragma once

#include <QString>

#include <optional>

class QIODevice;

// The playing time of a job's source, for the run's estimate of the time
// left: a WAV file's header gives it from the data size and the byte rate;
// an MPEG audio file's from the frame count in its Xing, Info or VBRI frame,
// or else from the frames themselves. Nothing here decodes audio; a file of
// another kind gives no length, and so do FLAC, Ogg, Opus, AIFF, M4A and
// WavPack, whose lengths only the reader helper finds (TSourceReader).
class TAudioDuration final
{
public:
    // Reads the start of the file (and, for MPEG audio without a frame
    // count, up to MaxScanBytes of frames); nullopt when the file is not
    // audio Tessary knows.
    static std::optional<double> OfFile(const QString& path);
    static std::optional<double> OfWav(QIODevice& device);
    static std::optional<double> OfMpeg(QIODevice& device);

    // Frames beyond this many bytes are not walked: the rest of the file is
    // taken to hold frames like those seen.
    static constexpr qint64 MaxScanBytes = 4 * 1024 * 1024;
};
