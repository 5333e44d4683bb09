#pragma once

#include <QIcon>

// Icons come from the desktop's theme when it has them; Tessary ships its own
// pictures for desktops (and test platforms) whose theme lacks a name.
namespace Icons {

// themeName is a freedesktop icon name; fallback names a picture in the
// program's resources (":/icons/<fallback>.png").
QIcon Themed(const char* themeName, const char* fallback);

QIcon Add();
QIcon Remove();
QIcon Go();
QIcon Cancel();
QIcon Error();
QIcon Skipped();
QIcon Existing();
QIcon Help();
QIcon About();
QIcon Program();

} // namespace Icons
