#pragma once

#include <QIcon>

// Tessary's icons. The four main buttons and the program always show
// Tessary's own pictures; the others come from the desktop's theme when it
// has them, and from the shipped pictures otherwise.
namespace Icons {

// A picture of the program's resources (":/icons/<name>.png").
QIcon Shipped(const char* name);

// themeName is a freedesktop icon name; fallback names a picture in the
// program's resources (":/icons/<fallback>.png").
QIcon Themed(const char* themeName, const char* fallback);

QIcon Add();
QIcon Remove();
QIcon Go();
QIcon Cancel();
QIcon Error();
QIcon Skipped();
QIcon Stopped();
QIcon Existing();
QIcon Help();
QIcon About();
QIcon Program();

} // namespace Icons
