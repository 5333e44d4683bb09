#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

// The kinds of file system whose naming rules differ from Linux's own.
// Other covers ext4, btrfs, xfs, tmpfs and every kind not named here.
enum class TFsKind : quint8 { Other, Fat, ExFat, Ntfs, Smb };

namespace FileSystemKind {

// The kind statfs() reports as f_type; none for a FUSE mount, whose kind
// only its mount entry tells.
std::optional<TFsKind> FromStatfsType(quint64 type);
constexpr quint64 FuseMagic = 0x65735546;

// The kind of a mount type as /proc/self/mountinfo spells it ("vfat",
// "fuseblk", "fuse.exfat", "fuse.fusefat", "cifs", ...).
TFsKind FromMountType(const QString& type);

// The mount type of the mount whose device is major:minor, from the text of
// /proc/self/mountinfo; empty when no line has it.
QString MountTypeOfDevice(const QByteArray& mountinfo, unsigned major, unsigned minor);

// "FAT", "exFAT", "NTFS", "SMB"; empty for Other.
QString Name(TFsKind kind);

} // namespace FileSystemKind

// Finds the kind of file system a folder lies on: the nearest existing
// ancestor while the folder does not exist yet. Answers are kept per mount
// (device) for as long as the probe lives; a plan and a run each make a new
// one, so a stick plugged in meanwhile is seen at the next one.
class TFileSystemProbe final
{
public:
    TFsKind KindOf(const QString& folder);

private:
    QHash<quint64, TFsKind> m_byDevice;
    std::optional<QByteArray> m_mountinfo;
};
