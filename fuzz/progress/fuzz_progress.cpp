// LAME's progress lines: any line gives -1 or a percent from 0 to 100, and a
// well-formed encoding or decoding line with any numbers gives the percent
// they mean.

#include "encoder.h"
#include "fuzzinput.h"

#include <limits>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::TFields in(data, size);
    const QString line = in.Text();
    const int any = Encoder::ParsePercent(line);
    Fuzz::Check(any >= -1 && any <= 100, "percent out of range", line + u'\n' + QString::number(any));

    // Frame counts are whatever lame prints; qint64 is the most we read.
    const quint64 max = quint64(std::numeric_limits<qint64>::max());
    const quint64 done = in.Number64() % (max + 1);
    const quint64 total = in.Number64() % (max + 1);
    const QString decoding = QStringLiteral("Frame#  %1/%2  256 kbps  L  R").arg(done).arg(total);
    const int expected = total == 0 ? -1
        : done >= total             ? 100
                                    : int(static_cast<unsigned __int128>(done) * 100 / total);
    const int got = Encoder::ParsePercent(decoding);
    Fuzz::Check(got == expected, "decoding line read wrongly",
                decoding + u'\n' + QString::number(got));

    const unsigned percent = in.Number() % 1000;
    const QString encoding = QStringLiteral("  %1/%2  (%3%)|  0:01/  0:02|").arg(done).arg(total).arg(percent);
    const int gotEncoding = Encoder::ParsePercent(encoding);
    Fuzz::Check(gotEncoding == int(qMin(100u, percent)), "encoding line read wrongly",
                encoding + u'\n' + QString::number(gotEncoding));
    return 0;
}
