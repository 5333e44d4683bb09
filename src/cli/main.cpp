// tessary-batch: Tessary without a window (tessary --batch and --plan start
// it). QtCore only: no display, no widget library.

#include "batchmode.h"
#include "translations.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tessary"));
    QCoreApplication::setOrganizationName(QStringLiteral("Morvane"));
    Translations::Install(Translations::DesktopLanguage());
    return BatchMode::Main(QCoreApplication::arguments());
}
