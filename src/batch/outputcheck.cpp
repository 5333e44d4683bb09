#include "outputcheck.h"

#include <QFile>
#include <QThread>

#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 kChunk = 256 * 1024;

// Feeds a whole file to walk, a chunk at a time; false when it cannot be
// read or the check was cancelled.
bool Walk(const QString& path, TMp3Frames& walk, const std::atomic_bool* cancel, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    QByteArray chunk(kChunk, Qt::Uninitialized);
    for (;;) {
        if (cancel && cancel->load())
            return false;
        const qint64 n = file.read(chunk.data(), kChunk);
        if (n < 0) {
            *error = file.errorString();
            return false;
        }
        if (n == 0)
            return true;
        walk.Feed(QByteArrayView(chunk.constData(), n));
    }
}

QString Compared(double got, double want)
{
    // As many decimals as it takes to tell the two apart.
    QString a, b;
    for (int decimals = 0; decimals <= 3 && a == b; ++decimals) {
        a = TOutputCheck::Duration(got, decimals);
        b = TOutputCheck::Duration(want, decimals);
    }
    return got < want ? TOutputCheck::tr("Результат короче исходного: %1 из %2").arg(a, b)
                      : TOutputCheck::tr("Результат длиннее исходного: %1 из %2").arg(a, b);
}

} // namespace

TOutputCheck::TOutputCheck(QObject* parent) : QObject(parent) {}

TOutputCheck::~TOutputCheck()
{
    if (m_thread) {
        m_cancel = true;
        m_thread->wait();
        delete m_thread;
    }
}

void TOutputCheck::Start(const Request& request)
{
    if (m_thread)
        return;
    m_thread = QThread::create([this, request] {
        const QString reason = Run(request, &m_cancel);
        // Queued to this object's thread; dropped if it is gone by then
        // (its destructor waits for this thread first).
        QMetaObject::invokeMethod(
            this, [this, reason] { Q_EMIT Finished(reason); }, Qt::QueuedConnection);
    });
    m_thread->start(QThread::LowPriority);
}

QString TOutputCheck::Run(const Request& request, const std::atomic_bool* cancel)
{
    QString error;
    if (request.mode == 1) {
        TMp3Frames source(TMp3Frames::Mode::Lenient);
        if (!Walk(request.source, source, cancel, &error))
            return tr("Не удалось прочитать исходный файл: ") + error;
        QFile output(request.output);
        if (!output.open(QIODevice::ReadOnly))
            return tr("Не удалось прочитать результат: ") + output.errorString();
        return JudgeWav(TSourceKind::OfWav(output), source.Finish());
    }
    TMp3Frames mp3(TMp3Frames::Mode::Strict);
    if (!Walk(request.output, mp3, cancel, &error))
        return tr("Не удалось прочитать результат: ") + error;
    return JudgeMp3(mp3.Finish(), request.expected);
}

QString TOutputCheck::JudgeMp3(const TMp3Frames::Verdict& mp3, const TAudioLength& expected)
{
    switch (mp3.problem) {
    case TMp3Frames::Problem::None: break;
    case TMp3Frames::Problem::NoFrames: return tr("Результат пуст: в нём нет звука MPEG");
    case TMp3Frames::Problem::Junk:
        return tr("Результат повреждён: посторонние данные с байта %1").arg(mp3.at);
    case TMp3Frames::Problem::CutFrame:
        return tr("Результат повреждён: обрезан кадр с байта %1").arg(mp3.at);
    case TMp3Frames::Problem::Count:
        return tr("Результат обрезан: кадров %1 из %2").arg(mp3.frames).arg(mp3.infoFrames);
    }
    if (!expected.Known() || mp3.sampleRate <= 0)
        return QString(); // whole frames, and nothing to measure them by
    // The samples the MP3 gives back: exact from the LAME tag; without it,
    // what the frames hold less lame's delay, and less its padding, which
    // is between none and two frames and the decoder's delay.
    const qint64 spf = mp3.samplesPerFrame;
    qint64 hi = mp3.DecodedSamples();
    qint64 lo = hi;
    if (hi < 0) {
        hi = std::max<qint64>(0, mp3.frames * spf - EncoderDelay);
        lo = std::max<qint64>(0, hi - 2 * spf - DecoderDelay);
    }
    const double rate = mp3.sampleRate;
    const double frame = spf / rate;
    const double want = expected.Seconds();
    if (want > hi / rate + frame)
        return Compared(hi / rate, want);
    if (want < lo / rate - frame)
        return Compared(lo / rate, want);
    return QString();
}

QString TOutputCheck::JudgeWav(const TSourceKind& wav, const TMp3Frames::Verdict& source)
{
    if (wav.family != TSourceKind::Family::Wav || wav.frames < 0 || wav.sampleRate <= 0)
        return tr("Результат повреждён: это не WAV-файл PCM");
    if (source.frames == 0 || source.sampleRate <= 0)
        return QString(); // lame found audio where this walk found none: nothing to compare
    const qint64 spf = source.samplesPerFrame;
    qint64 samples = source.DecodedSamples();
    if (samples < 0)
        samples = std::max<qint64>(0, source.frames * spf - DecoderDelay);
    const double want = double(samples) / source.sampleRate;
    const double got = double(wav.frames) / wav.sampleRate;
    if (std::abs(got - want) > double(spf) / source.sampleRate)
        return Compared(got, want);
    return QString();
}

QString TOutputCheck::Duration(double seconds, int decimals)
{
    decimals = std::clamp(decimals, 0, 3);
    qint64 scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    const qint64 units = std::llround(std::max(0.0, seconds) * double(scale));
    const qint64 whole = units / scale;
    const qint64 h = whole / 3600, m = whole / 60 % 60, s = whole % 60;
    QString text = h > 0 ? QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, QChar(u'0')).arg(s, 2, 10, QChar(u'0'))
                         : QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QChar(u'0'));
    if (decimals > 0)
        text += u'.' + QStringLiteral("%1").arg(units % scale, decimals, 10, QChar(u'0'));
    return text;
}
