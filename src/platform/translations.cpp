#include "translations.h"

#include "language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace Translations {

QString DesktopLanguage()
{
    return Language::Choose(QLocale::system().uiLanguages());
}

void Install(const QString& language)
{
    const bool english = language == u"en";
    QLocale::setDefault(QLocale(english ? QLocale::English : QLocale::Russian,
                                english ? QLocale::UnitedStates : QLocale::Russia));
    // Owned by the application, so they stay installed until it ends.
    auto* qt = new QTranslator(QCoreApplication::instance());
    if (qt->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    if (english) {
        auto* own = new QTranslator(QCoreApplication::instance());
        if (own->load(QStringLiteral(":/i18n/tessary_en.qm")))
            QCoreApplication::installTranslator(own);
    }
}

} // namespace Translations
