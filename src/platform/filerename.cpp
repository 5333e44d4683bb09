#include "filerename.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileRename {

namespace {

bool Fail(QString* error, int code)
{
    if (error)
        *error = qt_error_string(code);
    return false;
}

} // namespace

bool NoReplace(const QString& from, const QString& to, QString* error)
{
    const QByteArray a = QFile::encodeName(from);
    const QByteArray b = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return Fail(error, errno);
    // The file system cannot refuse to replace in the same step: a hard link
    // fails on an existing name just as well, and where links are not
    // possible either (FAT), a test just before the rename is the best left.
    if (::link(a.constData(), b.constData()) == 0) {
        ::unlink(a.constData());
        return true;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS)
        return Fail(error, errno);
    struct stat st {};
    if (::lstat(b.constData(), &st) == 0)
        return Fail(error, EEXIST);
    if (::rename(a.constData(), b.constData()) != 0)
        return Fail(error, errno);
    return true;
}

bool Replace(const QString& from, const QString& to, QString* error)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return Fail(error, errno);
    return true;
}

} // namespace FileRename
