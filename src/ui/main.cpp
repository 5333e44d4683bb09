#include "batchrun.h"
#include "closeonsignal.h"
#include "commandline.h"
#include "indicatorstyle.h"
#include "mainwindow.h"
#include "queueadder.h"
#include "queuekeeper.h"
#include "translations.h"

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QTimer>

#include <chrono>
#include <cstdio>

int main(int argc, char* argv[])
{
    // --batch and --plan: the program without a window, before anything of
    // the GUI is made (no display needed, no connection to one).
    if (CommandLine::WantsBatch(argc, argv))
        return CommandLine::ExecBatch(argc, argv);
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

    // For tests of the whole program: the answer to the question about a
    // queue a crash left ("restore" or "delete"), given without the box.
    if (const QString answer = qEnvironmentVariable("TESSARY_RECOVERY"); !answer.isEmpty()) {
        window.QueueKeeper()->AskRestore = [answer](int, int, QWidget*) {
            return answer == u"restore"  ? TQueueKeeper::TAnswer::Restore
                   : answer == u"delete" ? TQueueKeeper::TAnswer::Delete
                                         : TQueueKeeper::TAnswer::Later;
        };
    }
    QObject::connect(&closeOnSignal, &TCloseOnSignal::Closing, &window,
                     &TMainF::SetClosingBySignal);

    // Once the window is up: the journal, and the question about what a
    // crash left; then what the command line names, behind the restored jobs.
    QTimer::singleShot(0, &window, [&window] {
        window.StartJournal([&window] {
            // tessary FILE|FOLDER|QUEUEFILE...: files and folders queued as
            // if dropped on the queue, queue files opened.
            QStringList sources;
            for (const QString& arg : CommandLine::Sources(QApplication::arguments())) {
                if (CommandLine::IsQueueFile(arg))
                    window.OpenQueueFile(arg);
                else
                    sources << arg;
            }
            if (!sources.isEmpty()) {
                for (const QString& refused : window.AddSources(sources))
                    std::fprintf(stderr, "%s\n", qPrintable(CommandLine::RefusedText(refused)));
            }

            // For tests of the whole program: queue these files (one path a
            // line) and start the run once every add has ended.
            if (!qEnvironmentVariableIsSet("TESSARY_START_RUN"))
                return;
            for (const QString& path :
                 qEnvironmentVariable("TESSARY_START_RUN").split(u'\n', Qt::SkipEmptyParts))
                window.AddToQueue(path);
            auto* poll = new QTimer(&window);
            QObject::connect(poll, &QTimer::timeout, &window, [&window, poll] {
                if (window.QueueAdder()->IsBusy() || window.QueueKeeper()->IsOpening())
                    return;
                // The button is enabled once the files' tags are in too.
                QAction* go = window.findChild<QAction*>(QStringLiteral("acGO"));
                if (go && !go->isEnabled())
                    return;
                poll->deleteLater();
                if (go)
                    go->trigger();
            });
            poll->start(20);
        });
    });

    // For smoke tests and start-up measurements: quit once the window is up.
    if (qEnvironmentVariableIsSet("TESSARY_QUIT_AFTER_START"))
        QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
