#pragma once

#include <QStringList>

// The sources a user hands over at once (on the command line, or dropped on
// the queue): files that match the mode's mask are taken as they come,
// folders give their matching files, sub-folders included, sorted as the
// file list sorts them. Everything else is refused.
namespace SourcePaths {

struct Result
{
    QStringList files;   // absolute paths, in the order to queue them
    QStringList refused; // the given paths that are neither
};

Result Expand(const QStringList& paths, const QString& mask);

// Whether folder holds sources that only the "Source formats" setting lists.
bool HasOtherSources(const QString& folder);
// The add-file dialog's filter for the mode; with every source kind on,
// encoding mode offers them all first.
QString OpenFilter(bool decodeMode, bool allSourceFormats);

} // namespace SourcePaths
