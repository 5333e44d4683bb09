#pragma once

#include <QString>

// Puts the window into the language the desktop asks for: Tessary's own
// English catalogue (none for Russian, the language of its texts) and Qt's
// catalogue for the same language, so standard dialogs and buttons match.
namespace Translations {

// "ru" or "en", from the user's UI languages.
QString DesktopLanguage();
// Installs the catalogues for language; they live as long as the program.
// Also makes it the default locale, which the help window follows.
void Install(const QString& language);

} // namespace Translations
