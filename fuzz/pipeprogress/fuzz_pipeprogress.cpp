// ffmpeg's progress lines: any line gives -1 or a percent from 0 to 100
// and a time of -1 or more; a well-formed "out_time_us=" line with any
// number gives the percent that number means.

#include "decoderpipe.h"
#include "fuzzinput.h"

#include <limits>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::TFields in(data, size);
    const QString line = in.Text();
    const qint64 duration = qint64(in.Number64() >> 1) - (qint64(1) << 40);
    const int any = TDecoderPipe::ParseProgress(line, duration);
    Fuzz::Check(any >= -1 && any <= 100, "percent out of range", line + u'\n' + QString::number(any));
    Fuzz::Check(TDecoderPipe::ProgressTime(line) >= -1, "time out of range", line);
    if (duration <= 0)
        Fuzz::Check(any == -1, "a percent without a duration", line);

    const qint64 us = qint64(in.Number64() & quint64(std::numeric_limits<qint64>::max()));
    const QString good = QStringLiteral("out_time_us=%1").arg(us);
    Fuzz::Check(TDecoderPipe::ProgressTime(good) == us, "time read wrongly", good);
    if (duration > 0) {
        const int expected = int(qMin<qint64>(us / 10 / duration, 100));
        const int got = TDecoderPipe::ParseProgress(good, duration);
        Fuzz::Check(got == expected, "percent read wrongly", good + u'\n' + QString::number(got));
    }
    return 0;
}
