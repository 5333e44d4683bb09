#pragma once

#include "filesystemkind.h"

#include <QString>
#include <QStringList>

// What names a target folder's file system takes, as pure functions. On
// Linux's own file systems a name may hold anything but "/" and NUL, up to
// 255 bytes. FAT, exFAT, NTFS and SMB shares (as Windows and the players
// that read them see them) refuse < > : " \ | ? * and control characters,
// a name ending in a dot or a space, and the device names CON, PRN, AUX,
// NUL, COM0-9, LPT0-9 (also with an extension); they count 255 UTF-16 units
// and do not tell upper from lower case.
namespace NameRules {

// Replaces every refused character.
constexpr char16_t Replacement = u'_';

struct TTarget
{
    TFsKind kind = TFsKind::Other; // the file system written to
    bool portable = false;         // FAT's rules wherever the file is written

    // The kind whose rules apply to characters, names and case.
    TFsKind Rules() const { return portable ? TFsKind::Fat : kind; }
    bool Restricted() const { return Rules() != TFsKind::Other; }
};

// Whether the kind tells "ABBA" from "Abba".
bool CaseInsensitive(TFsKind kind);
// The key two names share exactly when kind sees them as one name. FAT:
// the simple upper case of every character; exFAT, NTFS and SMB: of every
// UTF-16 unit, as their 16-bit up-case tables do (so characters beyond the
// BMP keep their case). Other kinds: the name itself.
QString FoldCase(const QString& name, TFsKind kind);

// The reserved device name part begins with ("CON", "lpt1"), or empty.
QString ReservedDevice(const QString& part);

// A tag value about to go into a pattern: with portable rules a "/" in it
// is a character like the refused ones, not a new folder level.
QString AdaptValue(const QString& value, const TTarget& target, QStringList* notes);

// One part of the path below the target folder as the target takes it:
// extension (the file name's, or empty for a folder) comes after it and is
// kept whole. "." and ".." are replaced by "_" and "__" on every kind, so
// that no output leaves the target folder.
QString AdaptPart(const QString& part, const QString& extension, const TTarget& target,
                  QStringList* notes);

// name + extension, whole characters taken off the end of name until it
// fits the target: 255 UTF-8 bytes on Linux's own kinds, 255 UTF-16 units
// on the others (portable names on a Linux kind: both).
QString Fit(const QString& name, const QString& extension, const TTarget& target);

} // namespace NameRules
