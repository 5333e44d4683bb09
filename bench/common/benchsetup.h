#pragma once

// What the benchmarks share: a home of their own for the window's settings,
// and one batch run timed from its start to its end.

#include "batchrun.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QString>
#include <QtGlobal>

namespace Bench {

// Settings go to home (and not to the user's own), and a window that is
// built needs no display unless QT_QPA_PLATFORM asks for one. Call before
// the QApplication is made.
inline void UseHome(const QString& home)
{
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/config")).toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Starts run and turns the event loop until it has finished; the wall time
// in nanoseconds.
inline qint64 RunToEnd(TBatchRun& run)
{
    QEventLoop loop;
    QObject::connect(&run, &TBatchRun::Finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    QElapsedTimer clock;
    clock.start();
    run.Start();
    loop.exec();
    return clock.nsecsElapsed();
}

} // namespace Bench
