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

} // namespace Paths
