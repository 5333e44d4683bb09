#include "encoder.h"

#include "paths.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>

#include <cerrno>
#include <unistd.h>

namespace Encoder {

namespace {

enum class Probe { Missing, NotExecutable, Executable };

Probe ProbeFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return Probe::Missing;
    // access() answers as execve will, root included (root still needs an x bit).
    if (info.isDir() || ::access(QFile::encodeName(path).constData(), X_OK) != 0)
        return Probe::NotExecutable;
    return Probe::Executable;
}

} // namespace

Location Locate(const QString& program, const QString& programFolder,
                const QString& pathVariable)
{
    const QString name = program.isEmpty() ? QStringLiteral("lame") : program;

    if (name.contains(u'/')) {
        const QString folder = Paths::FolderPart(name);
        if (!folder.isEmpty() && !QFileInfo(folder).isDir())
            return {QString(), QStringLiteral("ERROR_PATH_NOT_FOUND")};
        switch (ProbeFile(name)) {
        case Probe::Missing: return {QString(), QStringLiteral("ERROR_FILE_NOT_FOUND")};
        case Probe::NotExecutable: return {QString(), QStringLiteral("ERROR_ACCESS_DENIED")};
        case Probe::Executable: return {QFileInfo(name).absoluteFilePath(), QString()};
        }
    }

    QStringList folders{programFolder};
    // An empty PATH entry would mean the current folder; we do not search that.
    folders += pathVariable.split(u':', Qt::SkipEmptyParts);
    bool denied = false;
    for (QString folder : std::as_const(folders)) {
        if (folder.isEmpty())
            continue;
        if (!folder.endsWith(u'/'))
            folder += u'/';
        const QString candidate = folder + name;
        switch (ProbeFile(candidate)) {
        case Probe::Missing: break;
        case Probe::NotExecutable: denied = true; break;
        case Probe::Executable: return {QFileInfo(candidate).absoluteFilePath(), QString()};
        }
    }
    return {QString(), denied ? QStringLiteral("ERROR_ACCESS_DENIED")
                              : QStringLiteral("ERROR_FILE_NOT_FOUND")};
}

Location Locate(const QString& program)
{
    return Locate(program, Paths::ProgramFolder(), qEnvironmentVariable("PATH"));
}

QProcessEnvironment Environment(const QProcessEnvironment& inherited)
{
    // Always C.UTF-8, whatever the user's locale says: a UTF-8 locale that is
    // named but not generated on the machine (common on minimal installs)
    // leaves lame in "C", and it then drops every non-ASCII character of the
    // tags and still exits 0. C.UTF-8 exists on every Debian system. The
    // window itself keeps the user's language; lame prints nothing we show
    // untranslated.
    QProcessEnvironment env = inherited;
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    return env;
}

QString StartErrorName(int errorCode)
{
    switch (errorCode) {
    case ENOENT: return QStringLiteral("ERROR_FILE_NOT_FOUND");
    case ENOTDIR:
    case ELOOP:
    case ENAMETOOLONG: return QStringLiteral("ERROR_PATH_NOT_FOUND");
    case EACCES:
    case EPERM: return QStringLiteral("ERROR_ACCESS_DENIED");
    case ENOMEM: return QStringLiteral("ERROR_NOT_ENOUGH_MEMORY");
    case ETXTBSY: return QStringLiteral("ERROR_SHARING_VIOLATION");
    default: return QString();
    }
}

int ParsePercent(QStringView line)
{
    static const QRegularExpression encoding(QStringLiteral("\\d+/\\s*\\d*\\s+\\(\\s*(\\d+)%\\)"));
    static const QRegularExpression decoding(QStringLiteral("Frame#\\s*(\\d+)/(\\d+)"));

    QRegularExpressionMatch m = encoding.match(line);
    if (m.hasMatch())
        return qMin(100, m.capturedView(1).toInt());
    m = decoding.match(line);
    if (m.hasMatch()) {
        const qint64 done = m.capturedView(1).toLongLong();
        const qint64 total = m.capturedView(2).toLongLong();
        if (total <= 0)
            return -1;
        if (done >= total)
            return 100;
        // done * 100 overflows 64 bits for counts near their limit.
        return int(static_cast<unsigned __int128>(done) * 100 / quint64(total));
    }
    return -1;
}

} // namespace Encoder

namespace {

// QProcess words a failed start as "<what>: <strerror text>"; recover the errno.
int ErrnoOf(const QString& errorString)
{
    for (int code : {ENOENT, ENOTDIR, ELOOP, ENAMETOOLONG, EACCES, EPERM, ENOMEM, ETXTBSY}) {
        if (errorString.endsWith(qt_error_string(code)))
            return code;
    }
    return 0;
}

// Drops terminal escapes (ESC [ ... letter) and backspaces from a progress line.
QString CleanLine(const QString& raw)
{
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c == u'\x1b') {
            if (i + 1 < raw.size() && raw[i + 1] == u'[') {
                i += 2;
                while (i < raw.size() && !raw[i].isLetter())
                    ++i;
            }
            continue;
        }
        if (c == u'\b')
            continue;
        out += c;
    }
    return out.trimmed();
}

} // namespace

TEncoderProcess::TEncoderProcess(QObject* parent) : QObject(parent)
{
    // A process group of its own: Ctrl+C in the terminal goes to the whole
    // foreground group, and must reach only Tessary, which lets running jobs
    // finish on the first one.
    m_process.setChildProcessModifier([] { ::setpgid(0, 0); });
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setStandardInputFile(QProcess::nullDevice());
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &TEncoderProcess::OnReadyRead);
    // Queued, so that a failure QProcess reports inside start() still reaches
    // the run from the event loop, as every other end does.
    connect(&m_process, &QProcess::finished, this, &TEncoderProcess::OnFinished,
            Qt::QueuedConnection);
    connect(&m_process, &QProcess::errorOccurred, this, &TEncoderProcess::OnError,
            Qt::QueuedConnection);
    m_killTimer.setSingleShot(true);
    connect(&m_killTimer, &QTimer::timeout, this, [this] {
        if (m_process.state() != QProcess::NotRunning)
            m_process.kill();
    });
}

TEncoderProcess::~TEncoderProcess()
{
    disconnect(&m_process, nullptr, this, nullptr);
    Unlink();
    if (m_process.state() != QProcess::NotRunning) {
        // Only reached when the program closes during a job. QProcess's own
        // destructor would kill and wait as well, but with a warning; a
        // killed encoder is reaped at once, so the wait is short.
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

bool TEncoderProcess::Start(const QString& program, const QStringList& arguments,
                            const QString& workingDirectory, QProcess* feeder)
{
    if (m_active)
        return false;
    m_active = true;
    m_percent = -1;
    m_pending.clear();
    m_lastMessage.clear();
    m_lastLines.clear();

    const Encoder::Location where = Encoder::Locate(program);
    m_command = QStringList{where.errorName.isEmpty() ? where.program : program} + arguments;
    if (!where.errorName.isEmpty()) {
        Result r;
        r.command = m_command;
        r.errorName = where.errorName;
        r.errorText = where.errorName;
        QTimer::singleShot(0, this, [this, r] { End(r); });
        return false;
    }
    if (feeder) {
        m_feeder = feeder;
        feeder->setStandardOutputProcess(&m_process);
    }
    m_process.setProgram(where.program);
    m_process.setArguments(arguments);
    m_process.setWorkingDirectory(workingDirectory);
    m_process.setProcessEnvironment(Encoder::Environment(QProcessEnvironment::systemEnvironment()));
    m_process.start(QIODevice::ReadOnly);
    return true;
}

void TEncoderProcess::Stop(std::chrono::milliseconds grace)
{
    // A start that failed already ends on its own; nothing runs to be stopped.
    if (!m_active || m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    m_killTimer.start(grace);
}

void TEncoderProcess::OnReadyRead()
{
    const QByteArray data = m_process.readAllStandardOutput();
    if (data.isEmpty())
        return;
    TakeOutput(data, false);
    Q_EMIT Output();
}

void TEncoderProcess::OnFinished(int exitCode, QProcess::ExitStatus status)
{
    if (!m_active)
        return;
    TakeOutput(m_process.readAllStandardOutput(), true);
    Result r;
    r.started = true;
    r.crashed = status == QProcess::CrashExit;
    r.exitCode = exitCode;
    r.lastMessage = m_lastMessage;
    r.lastLines = m_lastLines;
    r.command = m_command;
    End(r);
}

void TEncoderProcess::OnError(QProcess::ProcessError error)
{
    // Crashes and read errors end in finished(); only a failed start ends here.
    if (!m_active || error != QProcess::FailedToStart)
        return;
    Result r;
    r.command = m_command;
    r.errorText = m_process.errorString();
    r.errorName = Encoder::StartErrorName(ErrnoOf(r.errorText));
    End(r);
}

void TEncoderProcess::TakeOutput(const QByteArray& data, bool flush)
{
    m_pending += data;
    qsizetype from = 0;
    for (qsizetype i = 0; i < m_pending.size(); ++i) {
        const char c = m_pending[i];
        if (c == '\r' || c == '\n') {
            TakeLine(CleanLine(QString::fromUtf8(m_pending.constData() + from, i - from)));
            from = i + 1;
        }
    }
    m_pending.remove(0, from);
    if (flush && !m_pending.isEmpty()) {
        TakeLine(CleanLine(QString::fromUtf8(m_pending)));
        m_pending.clear();
    }
}

void TEncoderProcess::TakeLine(const QString& line)
{
    if (line.isEmpty())
        return;
    const int percent = Encoder::ParsePercent(line);
    if (percent < 0) {
        // The summary table lines are drawn with dashes; they explain nothing.
        if (line.count(u'-') >= line.size() / 2)
            return;
        m_lastMessage = line;
        m_lastLines.append(line.left(KeptLineLength));
        if (m_lastLines.size() > KeptLines)
            m_lastLines.removeFirst();
        return;
    }
    if (percent != m_percent) {
        m_percent = percent;
        Q_EMIT PercentChanged(percent);
    }
}

// QProcess keeps a pointer to the other end of a pipe and writes through it
// when either end's channel is set again: the link must be undone while both
// still exist, and before the feeder goes away.
void TEncoderProcess::Unlink()
{
    if (!m_feeder)
        return;
    m_process.setStandardInputFile(QProcess::nullDevice());
    m_feeder = nullptr;
}

void TEncoderProcess::End(const Result& result)
{
    m_killTimer.stop();
    Unlink();
    m_active = false;
    Q_EMIT Ended(result);
}
