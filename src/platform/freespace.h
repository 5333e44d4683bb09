#pragma once

#include <QString>
#include <QtGlobal>

// The free space where a folder lies, as an unprivileged writer sees it
// (statvfs's f_bavail). A folder that does not exist yet is looked up
// through its nearest existing parent, where it will be made.
namespace FreeSpace {

struct Info
{
    qint64 available = -1; // bytes; -1 when the system cannot tell
    quint64 device = 0;    // the file system's device, to tell disks apart
    QString where;         // the existing folder that was asked
};

Info Of(const QString& folder);

} // namespace FreeSpace
