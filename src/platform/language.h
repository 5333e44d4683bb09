#pragma once

#include <QString>
#include <QStringList>

// The language of the window: Russian, in which its texts are written, or
// English, the one catalogue it ships.
namespace Language {

// The first of the user's UI languages (as QLocale::uiLanguages() lists
// them, most wanted first) that Tessary speaks: "ru" or "en". The "C" and
// "POSIX" locales, and an empty list, mean no choice was made: Russian. A
// list of languages Tessary does not speak gives English.
QString Choose(const QStringList& uiLanguages);

} // namespace Language
