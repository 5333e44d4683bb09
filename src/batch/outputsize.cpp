#include "outputsize.h"

#include "jobtypes.h"
#include "queueitem.h"

#include <QCoreApplication>
#include <QLocale>

namespace OutputSize {

int VbrTypicalKbps(int quality)
{
    // Above lame's averages for pop music, so that loud material fits too.
    static const int kbps[] = {260, 240, 210, 195, 180, 150, 135, 120, 105, 90};
    return kbps[qBound(0, quality, 9)];
}

qint64 Expected(const TQueueItem& job, int mode, double seconds, qint64 sourceBytes)
{
    if (seconds < 0) {
        if (mode != DecodeMode && sourceBytes >= 0)
            return qMin(FixedReserve, sourceBytes * 10 + TagRoom);
        return FixedReserve;
    }
    double bytesPerSecond = 0;
    if (mode == DecodeMode) {
        bytesPerSecond = 48000.0 * 2 * 2;
    } else {
        int kbps = job.ABitrate();
        if (job.Algorithm() == VBR)
            kbps = qMin(VbrTypicalKbps(job.VBRQuality()), int(qMax<quint16>(job.MaxBitrate(), 32)));
        bytesPerSecond = qMax(kbps, 8) * 1000.0 / 8;
    }
    return qint64(seconds * bytesPerSecond * 1.1) + TagRoom;
}

QString Text(qint64 bytes)
{
    const QLocale locale(QLocale::Russian);
    if (bytes < 1024 * 1024)
        return QCoreApplication::translate("OutputSize", "%1 КБ")
            .arg(locale.toString(double(bytes) / 1024, 'f', 0));
    return QCoreApplication::translate("OutputSize", "%1 МБ")
        .arg(locale.toString(double(bytes) / (1024 * 1024), 'f', 1));
}

} // namespace OutputSize
