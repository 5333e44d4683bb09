#include "decoderpipe.h"

#include "encoder.h"
#include "failuretext.h"
#include "sourcetags.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>

#include <unistd.h>

namespace {

const char* const kSuffixes[] = {"flac", "ogg", "oga", "opus", "aif", "aiff", "m4a", "wv"};

QString MissingText()
{
    return QCoreApplication::translate("TDecoderPipe", "Не найден декодер ffmpeg");
}

} // namespace

QString TDecoderPipe::SourceMask()
{
    QString mask = QStringLiteral("*.wav");
    for (const char* s : kSuffixes)
        mask += QStringLiteral(";*.") + QLatin1String(s);
    return mask;
}

bool TDecoderPipe::Wanted(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix();
    for (const char* s : kSuffixes) {
        if (suffix.compare(QLatin1String(s), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QStringList TDecoderPipe::Arguments(const QString& input, int bitsPerSample, int channels,
                                    TSourceKind::Samples samples)
{
    QString codec = QStringLiteral("pcm_s16le");
    if (samples == TSourceKind::Samples::Float)
        codec = QStringLiteral("pcm_s32le");
    else if (samples == TSourceKind::Samples::Dsd)
        codec = QStringLiteral("pcm_s24le");
    else if (bitsPerSample > 16 && bitsPerSample <= 24)
        codec = QStringLiteral("pcm_s24le");
    else if (bitsPerSample > 24)
        codec = QStringLiteral("pcm_s32le");
    // "file:" keeps a name with a colon from being read as a protocol.
    QStringList args{QStringLiteral("-nostdin"), QStringLiteral("-hide_banner"),
                     QStringLiteral("-loglevel"), QStringLiteral("error"),
                     QStringLiteral("-nostats"),
                     QStringLiteral("-progress"), QStringLiteral("pipe:2"),
                     // One decoding thread: lame needs the other core.
                     QStringLiteral("-threads"), QStringLiteral("1"),
                     QStringLiteral("-i"),
                     QStringLiteral("file:") + QFileInfo(input).absoluteFilePath(),
                     QStringLiteral("-map"), QStringLiteral("0:a:0"),
                     QStringLiteral("-map_metadata"), QStringLiteral("-1"),
                     QStringLiteral("-bitexact"), QStringLiteral("-c:a"), codec};
    if (channels > 2)
        args << QStringLiteral("-ac") << QStringLiteral("2");
    args << QStringLiteral("-f") << QStringLiteral("wav") << QStringLiteral("-");
    return args;
}

qint64 TDecoderPipe::ProgressTime(QStringView line)
{
    static const QLatin1String key("out_time_us=");
    if (!line.startsWith(key))
        return -1;
    bool ok = false;
    const qint64 us = line.mid(key.size()).toLongLong(&ok);
    return ok && us >= 0 ? us : -1;
}

int TDecoderPipe::ParseProgress(QStringView line, qint64 durationMs)
{
    const qint64 us = ProgressTime(line);
    if (durationMs <= 0 || us < 0)
        return -1;
    return int(std::min<qint64>(us / 10 / durationMs, 100));
}

TDecoderPipe::TDecoderPipe(QObject* parent) : QObject(parent)
{
    // A process group of its own: Ctrl+C in the terminal goes to the whole
    // foreground group, and must reach only Tessary, which lets running jobs
    // finish on the first one.
    m_process.setChildProcessModifier([] { ::setpgid(0, 0); });
    m_process.setStandardInputFile(QProcess::nullDevice());
    m_process.setReadChannel(QProcess::StandardError);
    connect(&m_process, &QProcess::readyReadStandardError, this, &TDecoderPipe::OnReadyRead);
    connect(&m_process, &QProcess::finished, this, &TDecoderPipe::OnFinished,
            Qt::QueuedConnection);
    connect(&m_process, &QProcess::errorOccurred, this, &TDecoderPipe::OnError,
            Qt::QueuedConnection);
}

TDecoderPipe::~TDecoderPipe()
{
    disconnect(&m_process, nullptr, this, nullptr);
    if (m_process.state() != QProcess::NotRunning) {
        // Only when a job is torn down with its decoder still running.
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

bool TDecoderPipe::Prepare(const QString& program, const QString& input,
                           const TSourceAudio& audio, QString* message)
{
    const Encoder::Location where =
        Encoder::Locate(program.isEmpty() ? QStringLiteral("ffmpeg") : program);
    if (!where.errorName.isEmpty()) {
        if (message)
            *message = MissingText();
        return false;
    }
    m_audio = audio;
    m_durationMs = m_audio.durationMs;
    int bits = m_audio.bitsPerSample;
    int channels = m_audio.channels;
    if (m_kind.family == TSourceKind::Family::Wav) {
        bits = m_kind.bits;
        channels = m_kind.channels;
        if (m_durationMs <= 0 && m_kind.frames >= 0 && m_kind.sampleRate > 0)
            m_durationMs = m_kind.frames * 1000 / m_kind.sampleRate;
    }
    m_process.setProgram(where.program);
    m_process.setArguments(Arguments(input, bits, channels, m_kind.samples));
    return true;
}

void TDecoderPipe::Start()
{
    if (m_started)
        return;
    m_started = true;
    m_process.start(QIODevice::ReadOnly);
}

void TDecoderPipe::Kill()
{
    if (m_process.state() != QProcess::NotRunning)
        m_process.kill();
}

void TDecoderPipe::WhenEnded(std::function<void()> done, int graceMs)
{
    m_done = std::move(done);
    if (!m_started || m_ended) {
        QTimer::singleShot(0, this, [this] {
            if (auto done = std::exchange(m_done, nullptr))
                done();
        });
        return;
    }
    QTimer::singleShot(graceMs, this, [this] {
        if (!m_ended)
            Kill();
    });
}

TAudioLength TDecoderPipe::Decoded() const
{
    if (!m_ended || !m_reportedEnd || m_result.failed || m_decodedUs < 0)
        return TAudioLength();
    return TAudioLength{m_decodedUs, 1000000};
}

QString TDecoderPipe::FailureReason(bool encoderFailedFirst) const
{
    if (!m_result.failed || encoderFailedFirst)
        return QString();
    if (m_result.message == MissingText())
        return m_result.message;
    // The decoder's own wording stays in the run log.
    if (const QString plain = FailureText::Plain(m_lastLines); !plain.isEmpty())
        return tr("Ошибка декодера: ") + plain;
    return tr("Ошибка декодера: ") + m_result.message;
}

void TDecoderPipe::OnReadyRead()
{
    m_pending += m_process.readAllStandardError();
    qsizetype from = 0;
    for (qsizetype i = 0; i < m_pending.size(); ++i) {
        if (m_pending[i] == '\n' || m_pending[i] == '\r') {
            TakeLine(QString::fromUtf8(m_pending.constData() + from, i - from).trimmed());
            from = i + 1;
        }
    }
    m_pending.remove(0, from);
}

void TDecoderPipe::TakeLine(const QString& line)
{
    if (line.isEmpty())
        return;
    if (line == QLatin1String("progress=end"))
        m_reportedEnd = true;
    if (const qint64 us = ProgressTime(line); us >= 0 && us != m_decodedUs) {
        m_decodedUs = us;
        Q_EMIT Progressed();
    }
    const int percent = ParseProgress(line, m_durationMs);
    if (percent >= 0) {
        if (percent != m_percent) {
            m_percent = percent;
            Q_EMIT PercentChanged(percent);
        }
        return;
    }
    // The rest of the progress block is key=value ("speed=   9x" too);
    // messages are not.
    static const QRegularExpression keyValue(QStringLiteral("^[a-z_0-9]+="));
    if (keyValue.match(line).hasMatch())
        return;
    // "[flac @ 0x55d1…] invalid residual": the address means nothing to anyone.
    static const QRegularExpression address(QStringLiteral("^\\[(\\w+) @ 0x[0-9a-f]+\\]\\s*"));
    QString text = line;
    text.replace(address, QStringLiteral("\\1: "));
    if (m_firstMessage.isEmpty())
        m_firstMessage = text;
    m_lastMessage = text;
    m_lastLines.append(line.left(400));
    if (m_lastLines.size() > 12)
        m_lastLines.removeFirst();
}

void TDecoderPipe::OnFinished(int exitCode, QProcess::ExitStatus status)
{
    if (m_ended)
        return;
    OnReadyRead();
    if (!m_pending.isEmpty())
        TakeLine(QString::fromUtf8(m_pending).trimmed());
    m_pending.clear();
    if (status == QProcess::CrashExit || exitCode != 0) {
        m_result.failed = true;
        m_result.message = m_lastMessage;
        if (m_result.message.isEmpty())
            m_result.message = status == QProcess::CrashExit
                                   ? tr("Декодер завершился аварийно")
                                   : tr("Код завершения декодера ") + QString::number(exitCode);
    }
    End();
}

void TDecoderPipe::OnError(QProcess::ProcessError error)
{
    if (m_ended || error != QProcess::FailedToStart)
        return;
    m_result.failed = true;
    m_result.message = MissingText();
    End();
}

void TDecoderPipe::End()
{
    m_ended = true;
    if (auto done = std::exchange(m_done, nullptr))
        done();
}
