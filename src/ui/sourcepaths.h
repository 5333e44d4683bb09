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

} // namespace SourcePaths
