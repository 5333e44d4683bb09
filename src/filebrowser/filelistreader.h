#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

// The directory search behind the file list: one pass over a folder that
// sorts its entries into folder entries and the files that match a list of
// wildcard masks. Works on raw readdir() results so that a folder of many
// thousand files costs no stat() per entry where the file system already
// tells the entry's type.
//
// Attributes as Linux knows them: hidden = the name begins with "."; system =
// anything that is neither a regular file nor a folder (device, socket,
// FIFO); read-only files are always listed. Links are followed; broken links
// and link loops are skipped. Names that are not valid UTF-8 are skipped too:
// no path Tessary forms from them would reach the file.
class TFileListReader final
{
public:
    struct Options {
        QString folder;        // a missing trailing "/" is implied
        QStringList maskParts; // in order; an empty part matches nothing
        bool folders = false;  // collect sub-folders (never those beginning with ".")
        bool hidden = false;   // admit hidden files
        bool system = false;   // admit system entries
    };

    // Called every few entries; returning false breaks the pass off.
    using Tick = std::function<bool()>;

    // The parts of a ";"-separated mask list. A trailing ";" adds no part,
    // ";;" adds an empty one, and an empty list has no parts.
    static QStringList SplitMask(const QString& mask);

    // "*" and "?" wildcards, compared without regard to letter case.
    static bool Match(QStringView pattern, QStringView name);

    // One pass. Files come out mask part by mask part, each in directory
    // order, every file once (under the first part it matches). A folder
    // that is missing or cannot be read gives nothing. Returns false when
    // tick broke the pass off.
    static bool Scan(const Options& options, QStringList& folders, QStringList& files,
                     const Tick& tick = {});

    // Sorts names in the user's locale collation, ignoring letter case;
    // names that collate equal keep a stable, exact order.
    static void SortNames(QStringList& names);
};
