#pragma once

#include <QFlags>

// Which entries a file list shows. Each member is one bit of the set; the
// members that take part in the file search (read-only, hidden, system,
// volume label, archive) use the search's attribute bits, ftDirectory and
// ftNormal have bits of their own so that [ftNormal] and [] stay different.
enum TFileAttr : unsigned {
    ftReadOnly = 0x01,  // read-only files (listed anyway)
    ftHidden = 0x02,    // hidden files: the name begins with "."
    ftSystem = 0x04,    // entries that are neither regular files nor folders
    ftVolumeID = 0x08,  // volume labels: none on Linux
    ftDirectory = 0x10, // sub-folders, listed first as folder entries
    ftArchive = 0x20,   // archive files (listed anyway)
    ftNormal = 0x80,    // plain files: listed whatever the set holds
};
Q_DECLARE_FLAGS(TFileType, TFileAttr)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFileType)

// The attribute mask of the file search: the members other than ftDirectory
// and ftNormal.
inline unsigned SearchAttributes(TFileType type)
{
    return unsigned(type.toInt()) & (ftReadOnly | ftHidden | ftSystem | ftVolumeID | ftArchive);
}
