#include "translations.h"

#include "language.h"

#include <QApplication>
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
    auto* qt = new QTranslator(qApp);
    if (qt->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(qt);
    if (english) {
        auto* own = new QTranslator(qApp);
        if (own->load(QStringLiteral(":/i18n/tessary_en.qm")))
            QApplication::installTranslator(own);
    }
}

} // namespace Translations
