#pragma once

#include <QString>

// Linux path helpers. "/" is the only separator; ":" is an ordinary character.
namespace Paths {

// The folder part of a path, up to and including its last "/" (empty if none).
QString FolderPart(const QString& path);
// The part after the last "/".
QString NamePart(const QString& path);
// The folder that holds Tessary's own executable, ending in "/".
QString ProgramFolder();
// A leading "~" or "~/" becomes the home folder, as a shell would read it;
// any other path comes back as it is.
QString ExpandHome(const QString& path);
// ExpandHome, then a path that is still relative is taken under the home
// folder. The empty path stays empty.
QString AbsoluteUnderHome(const QString& path);

} // namespace Paths
