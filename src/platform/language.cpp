#include "language.h"

namespace Language {

QString Choose(const QStringList& uiLanguages)
{
    if (uiLanguages.isEmpty())
        return QStringLiteral("ru");
    for (const QString& entry : uiLanguages) {
        // "ru", "ru-RU", "ru_RU.UTF-8", "en-GB", ...
        const QString language = entry.section(u'-', 0, 0).section(u'_', 0, 0).toLower();
        if (language == u"c" || language == u"posix")
            return QStringLiteral("ru");
        if (language == u"ru" || language == u"en")
            return language;
    }
    return QStringLiteral("en");
}

} // namespace Language
