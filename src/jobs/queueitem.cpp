#include "queueitem.h"

#include "lameoptions.h"
#include "paths.h"
#include "queue.h"

#include <QFileInfo>

#include <algorithm>
#include <array>

namespace {
constexpr std::array<int, 17> kBitrates = {8,   16,  24,  32,  40,  48,  56,  64, 80,
                                           96, 112, 128, 160, 192, 224, 256, 320};
}

bool TQueueItem::IsValidBitrate(int kbps)
{
    return std::find(kBitrates.begin(), kBitrates.end(), kbps) != kBitrates.end();
}

bool TQueueItem::ReadWholeNumber(const QString& text, qint64* value)
{
    // Only "[+-]digits"; QString::toLongLong alone would also take blanks.
    int i = 0;
    if (!text.isEmpty() && (text[0] == u'+' || text[0] == u'-'))
        i = 1;
    if (i >= text.size())
        return false;
    for (int k = i; k < text.size(); ++k) {
        if (text[k] < u'0' || text[k] > u'9')
            return false;
    }
    bool ok = false;
    const qint64 v = text.toLongLong(&ok, 10);
    if (!ok)
        return false; // outside 64 bits
    *value = v;
    return true;
}

void TQueueItem::SetYear(const QString& v)
{
    qint64 number = 0;
    if (!ReadWholeNumber(v, &number))
        return;
    const quint16 y = quint16(quint64(number) & 0xFFFF);
    if (y == 0 || y >= 10000)
        m_year.clear();
    else
        m_year = v;
}

void TQueueItem::SetABitrate(int v)
{
    if (IsValidBitrate(v))
        m_aBitrate = quint16(v);
}

void TQueueItem::SetMinBitrate(int v)
{
    if (IsValidBitrate(v))
        m_minBitrate = quint16(v);
}

void TQueueItem::SetMaxBitrate(int v)
{
    if (IsValidBitrate(v))
        m_maxBitrate = quint16(v);
}

void TQueueItem::SetInputFile(const QString& v)
{
    if (v == m_inputFile)
        return;
    if (!v.isEmpty() && QFileInfo(v).isFile())
        m_inputFile = v;
}

void TQueueItem::RestoreInputFile(const QString& v)
{
    if (v.startsWith(u'/') && !v.contains(QChar(u'\0')) && v.toUtf8().size() <= MaxPathBytes)
        m_inputFile = v;
}

void TQueueItem::SetOutputFile(const QString& v)
{
    m_outputFile = v;
    m_outputDir = Paths::FolderPart(v);
}

bool TQueueItem::SetExtraOptions(const QString& v)
{
    if (!LameOptions::Problem(v).isEmpty())
        return false;
    m_extraOptions = v;
    return true;
}

void TQueueItem::Assign(const TQueueItem* s)
{
    if (!s || s == this)
        return;
    m_title = s->m_title;
    m_artist = s->m_artist;
    m_album = s->m_album;
    m_year = s->m_year;
    m_track = s->m_track;
    m_genre = s->m_genre;
    m_comment = s->m_comment;
    m_id3v1 = s->m_id3v1;
    m_id3v2 = s->m_id3v2;
    m_aBitrate = s->m_aBitrate;
    m_algorithm = s->m_algorithm;
    m_frequency = s->m_frequency;
    m_minBitrate = s->m_minBitrate;
    m_maxBitrate = s->m_maxBitrate;
    m_quality = s->m_quality;
    m_vbrQuality = s->m_vbrQuality;
    m_keepFreq = s->m_keepFreq;
    m_mode = s->m_mode;
    m_vbrNew = s->m_vbrNew;
    m_copyrighted = s->m_copyrighted;
    m_crcs = s->m_crcs;
    m_nonOriginal = s->m_nonOriginal;
    m_inputFile = s->m_inputFile;
    SetOutputFile(s->m_outputFile);
    m_extraOptions = s->m_extraOptions;
    AutoTrack = s->AutoTrack;
}
