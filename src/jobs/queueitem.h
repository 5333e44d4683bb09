#pragma once

#include "jobtypes.h"

#include <QString>

class TQueue;

// One job of the batch: source file, ID3 values, compression settings and
// the output path the run forms for it. Setters never throw; invalid values
// are ignored and the previous value stays.
class TQueueItem final
{
public:
    TQueueItem(const TQueueItem&) = delete;
    TQueueItem& operator=(const TQueueItem&) = delete;

    // The bitrates (kbit/s) a job accepts for ABitrate, MinBitrate, MaxBitrate.
    static bool IsValidBitrate(int kbps);
    // Reads text as a whole number: optional sign, then decimal digits only,
    // within 64 bits. Returns false for anything else.
    static bool ReadWholeNumber(const QString& text, qint64* value);

    TQueue* Collection() const { return m_queue; }
    // Never reused within the program's life, unlike the job's address: a
    // dialog or a run that outlives the job finds it gone by this number.
    quint64 Id() const { return m_id; }
    int Index() const { return m_queue ? m_index : -1; } // position in the owning queue

    const QString& Title() const { return m_title; }
    const QString& Artist() const { return m_artist; }
    const QString& Album() const { return m_album; }
    const QString& Year() const { return m_year; }
    quint8 Track() const { return m_track; }
    quint8 Genre() const { return m_genre; }
    const QString& Comment() const { return m_comment; }
    bool Id3v1() const { return m_id3v1; }
    bool Id3v2() const { return m_id3v2; }
    quint16 ABitrate() const { return m_aBitrate; }
    TAlgorithm Algorithm() const { return m_algorithm; }
    TInterval Frequency() const { return m_frequency; }
    quint16 MinBitrate() const { return m_minBitrate; }
    quint16 MaxBitrate() const { return m_maxBitrate; }
    TInterval Quality() const { return m_quality; }
    TInterval VBRQuality() const { return m_vbrQuality; }
    bool KeepFreq() const { return m_keepFreq; }
    TMode Mode() const { return m_mode; }
    bool VBRNew() const { return m_vbrNew; }
    bool Copyrighted() const { return m_copyrighted; }
    bool CRCs() const { return m_crcs; }
    bool NonOriginal() const { return m_nonOriginal; }
    const QString& InputFile() const { return m_inputFile; }
    const QString& OutputFile() const { return m_outputFile; }
    const QString& OutputDir() const { return m_outputDir; }
    // The user's own LAME options, as typed; lame gets them after Tessary's.
    const QString& ExtraOptions() const { return m_extraOptions; }

    void SetTitle(const QString& v) { m_title = v; }
    void SetArtist(const QString& v) { m_artist = v; }
    void SetAlbum(const QString& v) { m_album = v; }
    void SetYear(const QString& v);
    void SetTrack(quint8 v) { m_track = v; }
    void SetGenre(quint8 v) { m_genre = v; }
    void SetComment(const QString& v) { m_comment = v; }
    void SetId3v1(bool v) { m_id3v1 = v; }
    void SetId3v2(bool v) { m_id3v2 = v; }
    void SetABitrate(int v);
    void SetAlgorithm(TAlgorithm v) { m_algorithm = v; }
    void SetFrequency(TInterval v) { m_frequency = v; }
    void SetMinBitrate(int v);
    void SetMaxBitrate(int v);
    void SetQuality(TInterval v) { m_quality = v; }
    void SetVBRQuality(TInterval v) { m_vbrQuality = v; }
    void SetKeepFreq(bool v) { m_keepFreq = v; }
    void SetMode(TMode v) { m_mode = v; }
    void SetVBRNew(bool v) { m_vbrNew = v; }
    void SetCopyrighted(bool v) { m_copyrighted = v; }
    void SetCRCs(bool v) { m_crcs = v; }
    void SetNonOriginal(bool v) { m_nonOriginal = v; }
    void SetInputFile(const QString& v);
    // The source a queue file names for the job: stored when it is an
    // absolute path without NUL of at most MaxPathBytes bytes, whether the
    // file is still there or not (a processed job whose source was deleted
    // must still name it).
    void RestoreInputFile(const QString& v);
    static constexpr int MaxPathBytes = 4096;
    void SetOutputFile(const QString& v);
    // Stored only when LameOptions accepts the text; false otherwise, and
    // the old value stays.
    bool SetExtraOptions(const QString& v);

    // Copies every field of source, AutoTrack included (not its Id); a null
    // source does nothing.
    void Assign(const TQueueItem* source);

    // The run numbers this job's track itself.
    bool AutoTrack = true;

private:
    friend class TQueue;
    TQueueItem(TQueue* queue, quint64 id) : m_queue(queue), m_id(id) {}

    TQueue* m_queue = nullptr;
    quint64 m_id = 0;
    int m_index = -1; // kept by the queue
    QString m_title, m_artist, m_album, m_year;
    quint8 m_track = 0;
    quint8 m_genre = 255;
    QString m_comment;
    bool m_id3v1 = false;
    bool m_id3v2 = false;
    quint16 m_aBitrate = 128;
    TAlgorithm m_algorithm = CBR;
    TInterval m_frequency = 0;
    quint16 m_minBitrate = 32;
    quint16 m_maxBitrate = 320;
    TInterval m_quality = 5;
    TInterval m_vbrQuality = 4;
    bool m_keepFreq = false;
    TMode m_mode = Auto;
    bool m_vbrNew = true;
    bool m_copyrighted = false;
    bool m_crcs = false;
    bool m_nonOriginal = false;
    QString m_inputFile, m_outputFile, m_outputDir;
    QString m_extraOptions;
};
