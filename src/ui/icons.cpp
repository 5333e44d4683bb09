#include "icons.h"

// The resources live in a static library; without this call the linker may
// drop their registration.
static void EnsureResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(tessary);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace Icons {

QIcon Shipped(const char* name)
{
    EnsureResources();
    return QIcon(QStringLiteral(":/icons/") + QLatin1String(name) + QStringLiteral(".png"));
}

QIcon Themed(const char* themeName, const char* fallback)
{
    return QIcon::fromTheme(QLatin1String(themeName), Shipped(fallback));
}

// The four main buttons keep Tessary's own coloured pictures: an icon theme
// would turn them into monochrome symbols that no longer tell green from red.
QIcon Add() { return Shipped("add"); }
QIcon Remove() { return Shipped("remove"); }
QIcon Go() { return Shipped("go"); }
QIcon Cancel() { return Shipped("cancel"); }
QIcon Error() { return Themed("dialog-error", "error"); }
// A theme's "skip" and "stop" symbols are triangles and squares of the
// media player, easily read as "running": the line marks are our own.
QIcon Skipped() { return Shipped("skipped"); }
QIcon Stopped() { return Shipped("stopped"); }
QIcon Existing() { return Themed("dialog-warning", "existing"); }
QIcon Help() { return Themed("help-contents", "help"); }
QIcon About() { return Themed("help-about", "about"); }

QIcon Program()
{
    return Shipped("tessary");
}

} // namespace Icons
