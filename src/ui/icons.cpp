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

QIcon Themed(const char* themeName, const char* fallback)
{
    EnsureResources();
    const QIcon shipped(QStringLiteral(":/icons/") + QLatin1String(fallback) +
                        QStringLiteral(".png"));
    return QIcon::fromTheme(QLatin1String(themeName), shipped);
}

QIcon Add() { return Themed("list-add", "add"); }
QIcon Remove() { return Themed("list-remove", "remove"); }
QIcon Go() { return Themed("media-playback-start", "go"); }
QIcon Cancel() { return Themed("process-stop", "cancel"); }
QIcon Error() { return Themed("dialog-error", "error"); }
QIcon Skipped() { return Themed("media-skip-forward", "skipped"); }
QIcon Existing() { return Themed("dialog-warning", "existing"); }
QIcon Help() { return Themed("help-contents", "help"); }
QIcon About() { return Themed("help-about", "about"); }

QIcon Program()
{
    EnsureResources();
    return QIcon(QStringLiteral(":/icons/tessary.png"));
}

} // namespace Icons
