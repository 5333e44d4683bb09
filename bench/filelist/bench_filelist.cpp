// Reading a large folder into the file list, against a plain QDirIterator
// listing and sort of the same folder.
//
//   bench_filelist [wav-count [other-count]]   (defaults 10000 10000)
//
// Prints the median of several reads, the ratio to the plain listing and the
// memory the lines take (resident set growth over the first read).

#include "filelistreader.h"
#include "procstatus.h"
#include "newfilelistbox.h"

#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int Runs = 7;

bool MakeFiles(const QString& dir, const QString& suffix, int count)
{
    for (int i = 0; i < count; ++i) {
        const QByteArray path = QFile::encodeName(dir + QStringLiteral("/Track %1 - Title%2").arg(i).arg(suffix));
        const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0644);
        if (fd < 0 || ::close(fd) != 0)
            return false;
    }
    return true;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

QStringList PlainListing(const QString& dir)
{
    QStringList names;
    QDirIterator it(dir, {QStringLiteral("*.wav")}, QDir::Files);
    while (it.hasNext()) {
        it.next();
        names << it.fileName();
    }
    names.sort(Qt::CaseInsensitive);
    return names;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int wavs = argc > 1 ? atoi(argv[1]) : 10000;
    const int others = argc > 2 ? atoi(argv[2]) : 10000;

    QTemporaryDir tmp;
    if (!tmp.isValid() || !MakeFiles(tmp.path(), QStringLiteral(".wav"), wavs)
        || !MakeFiles(tmp.path(), QStringLiteral(".txt"), others)) {
        std::fprintf(stderr, "cannot create the test folder\n");
        return 1;
    }
    const QString folder = tmp.path() + QLatin1Char('/');

    QWidget window;
    window.resize(400, 600);
    auto* list = new TNewFileListBox(&window);
    list->resize(400, 600);
    list->SetMask(QStringLiteral("*.wav"));
    window.show();
    QCoreApplication::processEvents();

    // Warm the directory cache before anything is timed.
    PlainListing(tmp.path());

    QElapsedTimer timer;
    std::vector<double> plain, read, paint, scan, sort;
    long rssGrowth = -1;
    for (int run = 0; run < Runs; ++run) {
        timer.start();
        const QStringList names = PlainListing(tmp.path());
        plain.push_back(timer.nsecsElapsed() / 1e6);
        if (names.size() != wavs) {
            std::fprintf(stderr, "plain listing found %lld files\n", qlonglong(names.size()));
            return 1;
        }

        list->SetDirectory(QStringLiteral("..."));
        const long rssBefore = ProcStatusKiB("VmRSS");
        timer.start();
        list->SetDirectory(folder);
        read.push_back(timer.nsecsElapsed() / 1e6);
        if (run == 0)
            rssGrowth = ProcStatusKiB("VmRSS") - rssBefore;
        if (list->Count() != wavs) {
            std::fprintf(stderr, "the list holds %d lines\n", list->Count());
            return 1;
        }
        // The parts of a read: the directory pass and the sort.
        TFileListReader::Options options;
        options.folder = folder;
        options.maskParts = {QStringLiteral("*.wav")};
        QStringList folders, files;
        timer.start();
        TFileListReader::Scan(options, folders, files);
        scan.push_back(timer.nsecsElapsed() / 1e6);
        timer.start();
        TFileListReader::SortNames(files);
        sort.push_back(timer.nsecsElapsed() / 1e6);

        // Laying out and drawing the visible lines.
        timer.start();
        window.grab();
        paint.push_back(timer.nsecsElapsed() / 1e6);
    }

    const double plainMs = Median(plain), readMs = Median(read), paintMs = Median(paint);
    const double ratio = readMs / plainMs;
    std::printf("folder: %d WAV files + %d other files, median of %d runs\n", wavs, others, Runs);
    std::printf("plain QDirIterator listing + sort: %8.2f ms\n", plainMs);
    std::printf("TNewFileListBox::SetDirectory:     %8.2f ms  (%.2fx plain)\n", readMs, ratio);
    std::printf("  of which directory pass:         %8.2f ms\n", Median(scan));
    std::printf("  of which sort:                   %8.2f ms\n", Median(sort));
    std::printf("first paint after the read:        %8.2f ms\n", paintMs);
    std::printf("resident set growth, first read:   %8ld KiB (%.0f bytes per line)\n", rssGrowth,
                wavs > 0 ? rssGrowth * 1024.0 / wavs : 0.0);
    const bool met = readMs < 250 && ratio <= 3.0;
    std::printf("target (< 250 ms and <= 3x plain): %s\n", met ? "met" : "NOT met");
    return 0;
}
