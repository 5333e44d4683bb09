#pragma once

#include <QString>

class QIODevice;

// What a source file is, told by its first bytes and never by its name: a
// WAV file with the facts of its fmt and data chunks, MPEG audio (a frame
// that another one follows, maybe after an ID3v2 tag), another audio or
// video container, text, or something unknown. Reads a bounded number of
// small pieces (a few chunk headers, at most one MiB of an MP4 movie box)
// and parses no tags.
struct TSourceKind
{
    enum class Family {
        Unknown,
        Text,
        DamagedWav, // RIFF/WAVE, but no usable fmt or data chunk
        Wav,
        Mpeg,       // MPEG audio, layers I to III
        Audio,      // another container with sound the decoder takes
        Video,
    };
    // How the samples are stored: what the decoder must keep.
    enum class Samples { Unknown, Integer, Float, Dsd, Lossy };

    Family family = Family::Unknown;
    QString name;        // "FLAC", "M4A", "видео MP4"… for messages; empty when unknown
    Samples samples = Samples::Unknown;
    int channels = 0;    // WAV and WavPack only, like the rest below
    int bits = 0;        // per sample, as stored
    int sampleRate = 0;
    qint64 frames = -1;  // sample frames the WAV header declares, -1 when it cannot say
    bool lameReads = false; // a WAV that lame reads exactly as it stands
    QString detail;      // why a WAV goes to the decoder, or what is damaged

    static TSourceKind Of(QIODevice& device);
    // The file's kind; Unknown when it cannot be opened.
    static TSourceKind OfFile(const QString& path);

    // The WAV facts of device (family Wav or DamagedWav; Unknown when it is
    // no RIFF/WAVE file): what the run checks a decoded output with, too.
    static TSourceKind OfWav(QIODevice& device);
};
