#include "programsettings.h"

#include <QDir>
#include <QStandardPaths>

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
