// Start-up figures of the main window: the time from the start of the
// process to the first painted window, and the resident memory of the idle
// window with an empty queue and with a queue of 1,000 jobs.
//
//   bench_startup [jobs]        (default 1000)
//
// The start is TESSARY_T0_NS (CLOCK_REALTIME in ns) when the caller stamps it
// just before exec, as bench/figures.sh does; otherwise the kernel's start
// time of the process, which comes in clock ticks (10 ms steps).
// The program is set up as main.cpp sets it up, translations included; the
// settings go to a throw-away config folder.

#include "mainwindow.h"
#include "procstatus.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <ctime>

#include <fcntl.h>
#include <unistd.h>

namespace {

qint64 NowNs(clockid_t clock)
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// Nanoseconds since the process started, on the clock the start was taken from.
class TSinceStart final
{
public:
    TSinceStart()
    {
        bool ok = false;
        m_t0 = qEnvironmentVariable("TESSARY_T0_NS").toLongLong(&ok);
        if (ok && m_t0 > 0) {
            m_clock = CLOCK_REALTIME;
            m_source = "stamp before exec";
            return;
        }
        // Field 22 of /proc/self/stat: start time in clock ticks after boot.
        QFile stat(QStringLiteral("/proc/self/stat"));
        if (stat.open(QIODevice::ReadOnly)) {
            const QByteArray text = stat.readAll();
            const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
            const qint64 ticks = fields.value(22 - 3).toLongLong();
            m_t0 = ticks * (1000000000 / sysconf(_SC_CLK_TCK));
        }
        m_clock = CLOCK_BOOTTIME;
        m_source = "process start time (10 ms steps)";
    }
    double Ms() const { return (NowNs(m_clock) - m_t0) / 1e6; }
    const char* Source() const { return m_source; }

private:
    qint64 m_t0 = 0;
    clockid_t m_clock = CLOCK_REALTIME;
    const char* m_source = "";
};

// Lets the window settle: pending events, paints and deferred deletions.
void Settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Stamps the first paint of any widget of the window, and the moment the
// event loop is back after that frame.
class TFirstPaint final : public QObject
{
public:
    explicit TFirstPaint(const TSinceStart& clock) : m_clock(clock) {}
    QWidget* window = nullptr;
    double paintMs = -1;
    double frameMs = -1;
    QEventLoop loop;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (paintMs < 0 && event->type() == QEvent::Paint && window && watched->isWidgetType()
            && static_cast<QWidget*>(watched)->window() == window) {
            paintMs = m_clock.Ms();
            QTimer::singleShot(0, this, [this] {
                frameMs = m_clock.Ms();
                loop.quit();
            });
        }
        return false;
    }

private:
    const TSinceStart& m_clock;
};

} // namespace

int main(int argc, char* argv[])
{
    const TSinceStart clock;
    const int jobs = argc > 1 ? QByteArray(argv[1]).toInt() : 1000;

    QTemporaryDir work;
    if (!work.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", work.filePath(QStringLiteral("config")).toUtf8());

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessary"));
    QApplication::setOrganizationName(QStringLiteral("Morvane"));
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);
    const double appMs = clock.Ms();

    TFirstPaint firstPaint(clock);
    app.installEventFilter(&firstPaint);
    TMainF window;
    firstPaint.window = &window;
    const double builtMs = clock.Ms();
    window.showMaximized();
    QTimer::singleShot(10000, &firstPaint.loop, &QEventLoop::quit); // never painted: give up
    firstPaint.loop.exec();
    app.removeEventFilter(&firstPaint);
    if (firstPaint.frameMs < 0) {
        std::fprintf(stderr, "the window was never painted\n");
        return 1;
    }

    Settle(500);
    const long idleKiB = ProcStatusKiB("VmRSS");

    // The jobs' files exist (a job keeps only existing sources) before the clock runs.
    QStringList paths;
    paths.reserve(jobs);
    QDir().mkpath(work.filePath(QStringLiteral("music")));
    for (int i = 0; i < jobs; ++i) {
        paths << work.filePath(QStringLiteral("music/Track %1 - A rather long title of a song.wav").arg(i, 4, 10, QChar(u'0')));
        const int fd = ::open(QFile::encodeName(paths.last()).constData(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0)
            ::close(fd);
    }
    QElapsedTimer adding;
    adding.start();
    for (const QString& path : paths)
        window.AddToQueue(path);
    const double addMs = adding.nsecsElapsed() / 1e6;
    window.repaint();
    Settle(500);
    const long queuedKiB = ProcStatusKiB("VmRSS");
    const int queued = window.Queue().Count();

    std::printf("platform:                    %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("start measured from:         %s\n", clock.Source());
    std::printf("application ready:           %.1f ms\n", appMs);
    std::printf("main window built:           %.1f ms\n", builtMs);
    std::printf("first paint event:           %.1f ms\n", firstPaint.paintMs);
    std::printf("first painted window:        %.1f ms\n", firstPaint.frameMs);
    std::printf("idle RSS, empty queue:       %ld KiB\n", idleKiB);
    std::printf("adding %d jobs:            %.1f ms\n", queued, addMs);
    std::printf("idle RSS, %d jobs:         %ld KiB\n", queued, queuedKiB);
    std::printf("peak RSS:                    %ld KiB\n", ProcStatusKiB("VmHWM"));
    window.close();
    return queued == jobs ? 0 : 1;
}
