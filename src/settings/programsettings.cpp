#include "programsettings.h"

#include <QDir>
#include <QStandardPaths>
#include <QThread>

QString ProgramSettings::DefaultTargetDirectory()
{
    // Installed programs live in read-only system folders, so output goes to
    // the user's music folder rather than beside the executable.
    QString dir = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (dir.isEmpty())
        dir = QDir::homePath();
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return dir;
}

int ProgramSettings::EffectiveParallelJobs() const
{
    const quint32 n = ParallelJobs == 0 ? quint32(qMax(1, QThread::idealThreadCount())) : ParallelJobs;
    return int(qBound<quint32>(1, n, MaxParallelJobs));
}
