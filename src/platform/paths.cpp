#include "paths.h"

#include <QCoreApplication>
#include <QDir>

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

QString ExpandHome(const QString& path)
{
    if (path == u'~')
        return QDir::homePath();
    if (path.startsWith(QStringLiteral("~/")))
        return QDir::homePath() + path.mid(1);
    return path;
}

QString AbsoluteUnderHome(const QString& path)
{
    const QString expanded = ExpandHome(path);
    if (expanded.isEmpty() || QDir::isAbsolutePath(expanded))
        return expanded;
    return QDir::homePath() + u'/' + expanded;
}

} // namespace Paths
