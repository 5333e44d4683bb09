#pragma once

// A temporary folder for file-list and folder-tree tests, with helpers for
// the odd entries Linux allows (FIFOs, links, raw byte names).

#include "testutil.h"

#include <QByteArray>
#include <QList>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TTempFolder final
{
public:
    // Names that are not UTF-8 cannot be removed through QDir.
    ~TTempFolder()
    {
        for (const QByteArray& path : std::as_const(m_raw))
            ::unlink(path.constData());
    }

    bool IsValid() const { return m_dir.isValid(); }
    // The folder's path, ending in "/".
    QString Path() const { return m_dir.path() + QLatin1Char('/'); }
    QString PathOf(const QString& name) const { return Path() + name; }

    bool Add(const QString& name) { return TestUtil::WriteFile(PathOf(name)); }
    bool Add(const QStringList& names)
    {
        for (const QString& name : names)
            if (!Add(name))
                return false;
        return true;
    }
    bool Mkdir(const QString& name) { return QDir().mkpath(PathOf(name)); }
    bool Fifo(const QString& name) { return ::mkfifo(QFile::encodeName(PathOf(name)).constData(), 0644) == 0; }
    bool Link(const QString& target, const QString& name)
    {
        return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(PathOf(name)).constData()) == 0;
    }
    // A file whose name is taken byte for byte.
    bool AddRaw(const QByteArray& name)
    {
        const QByteArray path = QFile::encodeName(Path()) + name;
        m_raw << path;
        const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0644);
        return fd >= 0 && ::close(fd) == 0;
    }
    // Many empty files, quickly.
    bool AddMany(const QString& prefix, const QString& suffix, int count)
    {
        const QByteArray dir = QFile::encodeName(Path());
        for (int i = 0; i < count; ++i) {
            const QByteArray path = dir + QFile::encodeName(prefix + QString::number(i) + suffix);
            const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0644);
            if (fd < 0 || ::close(fd) != 0)
                return false;
        }
        return true;
    }
    bool Remove() { return m_dir.remove(); }

private:
    QTemporaryDir m_dir;
    QList<QByteArray> m_raw;
};
