#include "batchrun.h"
#include "closeonsignal.h"
#include "commandline.h"
#include "indicatorstyle.h"
#include "mainwindow.h"
#include "translations.h"

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QTimer>

#include <chrono>
#include <cstdio>

int main(int argc, char* argv[])
{
    if (int status = 0; CommandLine::HandleInfo(argc, argv, &status))
        return status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessary"));
    QApplication::setOrganizationName(QStringLiteral("Morvane"));
    TIndicatorStyle::Install();

    Translations::Install(Translations::DesktopLanguage());

    TMainF window;
    // kill, a logout, Ctrl+C or a closed terminal close the window as its
    // close box does, instead of ending the program on the spot.
    TCloseOnSignal closeOnSignal(&window);

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

    // tessary FILE|FOLDER...: queued as if dropped on the queue.
    if (const QStringList sources = CommandLine::Sources(QApplication::arguments());
        !sources.isEmpty()) {
        for (const QString& refused : window.AddSources(sources))
            std::fprintf(stderr, "%s\n", qPrintable(CommandLine::RefusedText(refused)));
    }

    // For tests of the whole program: queue these files (one path a line)
    // and start the run once the window is up.
    if (const QString files = qEnvironmentVariable("TESSARY_START_RUN"); !files.isEmpty()) {
        for (const QString& path : files.split(u'\n', Qt::SkipEmptyParts))
            window.AddToQueue(path);
        // Once the files' tags are in, which unlocks the queue.
        auto* start = new QTimer(&window);
        QObject::connect(start, &QTimer::timeout, &window, [&window, start] {
            QAction* go = window.findChild<QAction*>(QStringLiteral("acGO"));
            if (go && !go->isEnabled())
                return;
            start->stop();
            if (go)
                go->trigger();
        });
        start->start(10);
    }

    // For smoke tests and start-up measurements: quit once the window is up.
    if (qEnvironmentVariableIsSet("TESSARY_QUIT_AFTER_START"))
        QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
