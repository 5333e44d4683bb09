#include "paths.h"

#include <QCoreApplication>

namespace Paths {

QString FolderPart(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : path.left(slash + 1);
}

QString NamePart(const QString& path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString ProgramFolder()
{
    QString dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return dir;
}

} // namespace Paths
