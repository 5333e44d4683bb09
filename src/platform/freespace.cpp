#include "freespace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <sys/statvfs.h>

namespace FreeSpace {

Info Of(const QString& folder)
{
    Info info;
    QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    while (!QFileInfo(path).isDir()) {
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            return info;
        path = parent;
    }
    info.where = path;
    const QByteArray name = QFile::encodeName(path);
    struct statvfs fs {};
    struct stat st {};
    if (::statvfs(name.constData(), &fs) != 0 || ::stat(name.constData(), &st) != 0)
        return info;
    info.available = qint64(fs.f_bavail) * qint64(fs.f_frsize);
    info.device = quint64(st.st_dev);
    return info;
}

} // namespace FreeSpace
