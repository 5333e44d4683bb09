#pragma once

#include <QString>
#include <QtGlobal>

class TQueueItem;

// How much room a job's output needs, for the free-space check before the
// job starts: its bitrate times its length (CBR and ABR: the bitrate; VBR:
// a typical bitrate of its quality, at most the job's highest bitrate; the
// decoding mode: 16-bit stereo WAV at 48 kHz), plus a tenth and room for the
// tags. A source whose length is not known gets the fixed reserve instead.
namespace OutputSize {

// 64 MiB: a CBR 320 kbit/s MP3 of some 25 minutes, a WAV of some 6.
constexpr qint64 FixedReserve = 64LL * 1024 * 1024;
// Tags and a cover picture.
constexpr qint64 TagRoom = 64 * 1024;

// seconds < 0: not known. Then an encoded source of sourceBytes (when
// known) needs at most ten times its size: even a 32 kbit/s source becomes
// no more than a 320 kbit/s MP3; the fixed reserve is the most asked.
qint64 Expected(const TQueueItem& job, int mode, double seconds, qint64 sourceBytes = -1);
// The typical kbit/s of VBR quality 0 to 9 (values beyond 9 count as 9).
int VbrTypicalKbps(int quality);

// "1,5 МБ", "640 КБ": sizes for the user.
QString Text(qint64 bytes);

} // namespace OutputSize
