#include "batchrun.h"
#include "indicatorstyle.h"
#include "mainwindow.h"
#include "translations.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

#include <chrono>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessary"));
    QApplication::setOrganizationName(QStringLiteral("Morvane"));
    TIndicatorStyle::Install();

    Translations::Install(Translations::DesktopLanguage());

    TMainF window;

    // For trying the window without real encoding (demonstrations, the
    // benchmark): another encoder program and a shorter pause between jobs.
    if (const QString encoder = qEnvironmentVariable("TESSARY_ENCODER"); !encoder.isEmpty())
        window.BatchRun()->SetEncoderProgram(encoder);
    bool pauseOk = false;
    const int pauseMs = qEnvironmentVariableIntValue("TESSARY_PAUSE_MS", &pauseOk);
    if (pauseOk && pauseMs >= 0)
        window.BatchRun()->SetPauseStep(std::chrono::milliseconds(pauseMs));

    // The normal size, used when the desktop has no window manager to
    // maximize the window and when the user restores it from maximized.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window.resize(QSize(1100, 720).boundedTo(screen->availableGeometry().size()));
    window.showMaximized();

    // For smoke tests and start-up measurements: quit once the window is up.
    if (qEnvironmentVariableIsSet("TESSARY_QUIT_AFTER_START"))
        QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
