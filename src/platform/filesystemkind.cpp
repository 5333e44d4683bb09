#include "filesystemkind.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

namespace FileSystemKind {

std::optional<TFsKind> FromStatfsType(quint64 type)
{
    switch (type) {
    case 0x4d44: return TFsKind::Fat;        // vfat, msdos
    case 0x2011bab0: return TFsKind::ExFat;  // exfat
    case 0x5346544e:                         // ntfs (the old driver)
    case 0x7366746e: return TFsKind::Ntfs;   // ntfs3
    case 0xff534d42:                         // cifs
    case 0xfe534d42:                         // smb3
    case 0x517b: return TFsKind::Smb;        // smbfs
    case FuseMagic: return std::nullopt;
    default: return TFsKind::Other;
    }
}

TFsKind FromMountType(const QString& type)
{
    const QString t = type.toLower();
    // A FUSE mount reads "fuse.<driver>" or "fuseblk[.<driver>]"; plain
    // "fuseblk" is what ntfs-3g mounts as.
    const QString driver = t.section(u'.', 1);
    const QString base = driver.isEmpty() ? t : driver;
    if (t == u"fuseblk")
        return TFsKind::Ntfs;
    if (base == u"vfat" || base == u"msdos" || base == u"fat" || base == u"fusefat"
        || base == u"fatfs")
        return TFsKind::Fat;
    if (base == u"exfat" || base == u"exfat-fuse")
        return TFsKind::ExFat;
    if (base.startsWith(u"ntfs") || base == u"lowntfs-3g")
        return TFsKind::Ntfs;
    if (base == u"cifs" || base == u"smb3" || base == u"smbfs" || base == u"smbnetfs")
        return TFsKind::Smb;
    return TFsKind::Other;
}

QString MountTypeOfDevice(const QByteArray& mountinfo, unsigned major, unsigned minor)
{
    // "36 35 0:40 / /media/stick rw,nosuid - fuse.fusefat fusefat rw,..."
    const QByteArray device = QByteArray::number(major) + ':' + QByteArray::number(minor);
    for (const QByteArray& line : mountinfo.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 3 || fields.at(2) != device)
            continue;
        const qsizetype dash = fields.indexOf("-");
        if (dash < 0 || dash + 1 >= fields.size())
            continue;
        return QString::fromUtf8(fields.at(dash + 1));
    }
    return QString();
}

QString Name(TFsKind kind)
{
    switch (kind) {
    case TFsKind::Fat: return QStringLiteral("FAT");
    case TFsKind::ExFat: return QStringLiteral("exFAT");
    case TFsKind::Ntfs: return QStringLiteral("NTFS");
    case TFsKind::Smb: return QStringLiteral("SMB");
    case TFsKind::Other: break;
    }
    return QString();
}

} // namespace FileSystemKind

TFsKind TFileSystemProbe::KindOf(const QString& folder)
{
    QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    struct stat st {};
    // The nearest ancestor that exists: where the folder will be made.
    while (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            return TFsKind::Other;
        path = parent;
    }
    const quint64 device = quint64(st.st_dev);
    const auto known = m_byDevice.constFind(device);
    if (known != m_byDevice.cend())
        return known.value();

    TFsKind kind = TFsKind::Other;
    struct statfs fs {};
    if (::statfs(QFile::encodeName(path).constData(), &fs) == 0) {
        if (const auto k = FileSystemKind::FromStatfsType(quint64(fs.f_type))) {
            kind = *k;
        } else {
            if (!m_mountinfo) {
                QFile f(QStringLiteral("/proc/self/mountinfo"));
                // A few kB on any machine; capped all the same.
                m_mountinfo = f.open(QIODevice::ReadOnly) ? f.read(4 << 20) : QByteArray();
            }
            kind = FileSystemKind::FromMountType(FileSystemKind::MountTypeOfDevice(
                *m_mountinfo, ::major(st.st_dev), ::minor(st.st_dev)));
        }
    }
    m_byDevice.insert(device, kind);
    return kind;
}
