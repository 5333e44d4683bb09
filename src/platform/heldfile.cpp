#include "heldfile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

bool THeldFile::Create(const QString& path, QString* error)
{
    Release();
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int code = errno;
        if (fd >= 0) {
            ::close(fd);
            ::unlink(name.constData());
        }
        if (error)
            *error = qt_error_string(code);
        return false;
    }
    m_fd = fd;
    return true;
}

bool THeldFile::Adopt(const QString& path)
{
    Release();
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void THeldFile::Release()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool THeldFile::IsAbandoned(const QString& path)
{
    // A lock taken through a descriptor of our own conflicts with every other
    // descriptor, those of this process included.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool abandoned = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)
                           && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return abandoned;
}
