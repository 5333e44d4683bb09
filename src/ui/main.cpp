#include "mainwindow.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessary"));
    QApplication::setOrganizationName(QStringLiteral("Morvane"));

    // The window speaks Russian, so Qt's own dialogs and buttons should too.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    TMainF window;
    window.showMaximized();

    // For smoke tests and start-up measurements: quit once the window is up.
    if (qEnvironmentVariableIsSet("TESSARY_QUIT_AFTER_START"))
        QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
