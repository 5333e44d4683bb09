// FLAC against WAV: the same 60 s of stereo audio encoded by the real lame
// with the same options, once read by lame from the WAV file, once decoded
// by ffmpeg from FLAC and piped into lame. Rounds alternate, since the
// machine is shared; the medians count.

#include "batchrun.h"
#include "programsettings.h"
#include "queue.h"
#include "runview.h"
#include "testutil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

class TNullView final : public IRunView
{
public:
    void SetStatusText(const QString&) override {}
    bool IsLineChecked(int) const override { return m_checked; }
    void SetLineChecked(int, bool on) override { m_checked = on; }
    void SetLineFailure(int, const QString& reason) override
    {
        if (!reason.isEmpty())
            failure = reason;
    }
    void SetLineSkipped(int, const QString&) override {}
    void DeleteProcessedLines() override {}
    void ShowError(const QString& name) override { failure = name; }
    int CurrentMode() const override { return 0; }
    void SetProgress(int, int, int) override {}

    QString failure;

private:
    bool m_checked = false;
};

// Wall time of one run over a queue of one job; empty failure when done.
double EncodeMs(const QString& source, const QString& outDir, QString* failure)
{
    TQueue queue;
    queue.Add()->SetInputFile(source);
    TNullView view;
    ProgramSettings settings;
    settings.TargetDirectory = outDir;
    settings.FileNameFormat = QStringLiteral("%0");
    settings.ExistingOutput = TExistingOutput::Overwrite;
    TBatchRun run(queue, settings, view);
    run.SetPauseStep(std::chrono::milliseconds(0));
    QEventLoop loop;
    QObject::connect(&run, &TBatchRun::Finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    QElapsedTimer clock;
    clock.start();
    run.Start(TExistingOutput::Overwrite);
    loop.exec();
    const double ms = clock.nsecsElapsed() / 1e6;
    *failure = view.failure;
    return ms;
}

// 60 s of 16-bit stereo that keeps lame as busy as music does: a chord with
// a slow tremolo over quiet noise (a pure tone encodes several times faster
// than any record and would make the decoder's fixed start-up cost look big).
void WriteBusyWav(const QString& path, double seconds, int rate)
{
    const int frames = int(seconds * rate);
    QByteArray d;
    auto u32 = [&d](quint32 v) { char b[4]; qToLittleEndian(v, b); d.append(b, 4); };
    auto u16 = [&d](quint16 v) { char b[2]; qToLittleEndian(v, b); d.append(b, 2); };
    const quint32 bytes = quint32(frames) * 4;
    d.append("RIFF");
    u32(36 + bytes);
    d.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(2);
    u32(quint32(rate));
    u32(quint32(rate) * 4);
    u16(4);
    u16(16);
    d.append("data");
    u32(bytes);
    quint32 seed = 12345;
    for (int i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        const double chord = std::sin(2 * M_PI * 220 * t) + 0.7 * std::sin(2 * M_PI * 277.2 * t)
                             + 0.5 * std::sin(2 * M_PI * 329.6 * t)
                             + 0.3 * std::sin(2 * M_PI * 1760 * t);
        const double tremolo = 0.6 + 0.4 * std::sin(2 * M_PI * 3 * t);
        for (int c = 0; c < 2; ++c) {
            seed = seed * 1664525u + 1013904223u;
            const double noise = (double(seed >> 8) / double(1 << 24) - 0.5) * 0.3;
            u16(quint16(qint16(6000 * (chord * tremolo + noise))));
        }
    }
    TestUtil::WriteFile(path, d);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? QByteArray(argv[1]).toInt() : 5;
    QTextStream out(stdout);

    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("tone.wav"));
    const QString flac = dir.filePath(QStringLiteral("tone.flac"));
    WriteBusyWav(wav, 60.0, 44100);
    QProcess flacTool;
    flacTool.start(QStringLiteral("flac"), {"-s", "-f", "-o", flac, wav});
    if (!flacTool.waitForFinished(120000) || flacTool.exitCode() != 0) {
        out << "flac could not make the source (is the flac package installed?)\n";
        return 1;
    }

    std::vector<double> wavMs, flacMs;
    for (int r = 0; r < rounds; ++r) {
        QString failure;
        const double w = EncodeMs(wav, dir.filePath(QStringLiteral("out-wav/")), &failure);
        if (!failure.isEmpty()) {
            out << "WAV job failed: " << failure << '\n';
            return 1;
        }
        const double f = EncodeMs(flac, dir.filePath(QStringLiteral("out-flac/")), &failure);
        if (!failure.isEmpty()) {
            out << "FLAC job failed: " << failure << '\n';
            return 1;
        }
        wavMs.push_back(w);
        flacMs.push_back(f);
        out << "round " << r + 1 << ": WAV " << w << " ms, FLAC " << f << " ms\n";
        out.flush();
    }
    const double w = Median(wavMs), f = Median(flacMs);
    out << "60 s stereo (chord, tremolo, noise), 44.1 kHz, 16 bits, lame -q 5 -b 128\n"
        << "WAV -> MP3 median:  " << w << " ms\n"
        << "FLAC -> MP3 median: " << f << " ms\n"
        << "ratio FLAC / WAV:   " << f / w << " (target <= 1.15)\n";
    return 0;
}
