#include "replaygain.h"

#include "encoder.h"
#include "filerename.h"
#include "heldfile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTimer>

namespace {

const QString kPrefix = QStringLiteral(".tessary-");
const QString kSuffix = QStringLiteral(".gain.mp3");
constexpr qint64 kSlice = 4 * 1024 * 1024;     // bytes copied per turn of the event loop
constexpr qsizetype kMaxLine = 1000;           // of loudgain's output kept per line
constexpr qint64 kTagSearch = 1024 * 1024;     // where the new tag must be, from the start

QString Tr(const char* text)
{
    return QCoreApplication::translate("TGainStep", text);
}

// loudgain colours its messages and marks them "[✔]" or "[✘]" even when
// its output is no terminal.
QString Plain(const QString& line)
{
    static const QRegularExpression escapes(QStringLiteral("\x1b\\[[0-9;]*[A-Za-z]"));
    static const QRegularExpression mark(QStringLiteral("^\\[[^\\]]{1,3}\\]\\s*"));
    QString text = line;
    text.remove(escapes);
    text.remove(mark);
    return text.trimmed().left(kMaxLine);
}

} // namespace

struct TGainStep::Copy
{
    THeldFile held;
    QString path;
    QFile source;
    QFile target;
    qint64 size = -1;       // of the MP3 when it was copied
    QDateTime modified;
    QString failure;
};

TGainStep::TGainStep(std::vector<Track> tracks, bool album, QObject* parent)
    : QObject(parent), m_tracks(std::move(tracks)), m_album(album)
{
}

TGainStep::~TGainStep()
{
    // Only when the run goes while the step runs (the program quits).
    if (m_process) {
        m_process->disconnect(this);
        m_process->kill();
    }
    Discard();
}

bool TGainStep::IsCopyName(const QString& fileName)
{
    static const QRegularExpression name(QStringLiteral("^\\.tessary-[0-9a-f]{16}\\.gain\\.mp3$"));
    return name.match(fileName).hasMatch();
}

int TGainStep::RemoveStale(const QString& folder)
{
    const QDir dir(folder);
    int removed = 0;
    for (const QString& name :
         dir.entryList({kPrefix + u'*' + kSuffix}, QDir::Files | QDir::Hidden | QDir::System)) {
        const QString path = dir.filePath(name);
        if (IsCopyName(name) && THeldFile::IsAbandoned(path) && QFile::remove(path))
            ++removed;
    }
    return removed;
}

bool TGainStep::Available(const QString& program)
{
    return Encoder::Locate(program.isEmpty() ? QStringLiteral("loudgain") : program)
        .errorName.isEmpty();
}

QString TGainStep::MissingText()
{
    return Tr("программа loudgain не найдена (пакет Debian loudgain)");
}

void TGainStep::Start(const QString& program)
{
    m_program = program.isEmpty() ? QStringLiteral("loudgain") : program;
    for (const Track& t : m_tracks) {
        auto copy = std::make_unique<Copy>();
        const QFileInfo info(t.path);
        QString error;
        if (!info.isFile()) {
            copy->failure = Tr("файл результата не найден");
        } else {
            copy->size = info.size();
            copy->modified = info.lastModified();
            const QString folder = info.absolutePath() + u'/';
            // A name another process took first is not ours: draw again.
            for (int attempt = 0; attempt < 8 && copy->path.isEmpty(); ++attempt) {
                const QString path = folder + kPrefix
                    + QStringLiteral("%1").arg(QRandomGenerator::global()->generate64(), 16, 16,
                                               QChar(u'0'))
                    + kSuffix;
                if (copy->held.Create(path, &error))
                    copy->path = path;
                else if (!QFileInfo::exists(path))
                    break;
            }
            copy->source.setFileName(t.path);
            copy->target.setFileName(copy->path);
            if (copy->path.isEmpty())
                copy->failure = Tr("не удалось создать временный файл: ") + error;
            else if (!copy->source.open(QIODevice::ReadOnly)
                     || !copy->target.open(QIODevice::WriteOnly | QIODevice::Truncate))
                copy->failure = Tr("не удалось скопировать файл результата");
        }
        m_copies.push_back(std::move(copy));
    }
    for (const auto& c : m_copies) {
        if (!c->failure.isEmpty()) {
            FailAll(c->failure);
            return;
        }
    }
    QTimer::singleShot(0, this, &TGainStep::CopySlice);
}

void TGainStep::CopySlice()
{
    if (m_ended)
        return;
    if (m_stopping) {
        FailAll(Tr("прервано"));
        return;
    }
    if (m_copying == m_copies.size()) {
        StartLoudgain();
        return;
    }
    Copy& c = *m_copies[m_copying];
    const QByteArray data = c.source.read(kSlice);
    if (!data.isEmpty() && c.target.write(data) != data.size()) {
        FailAll(Tr("не удалось скопировать файл результата: ") + c.target.errorString());
        return;
    }
    if (data.isEmpty()) {
        c.source.close();
        if (!c.target.flush() || c.target.size() != c.size) {
            FailAll(Tr("не удалось скопировать файл результата"));
            return;
        }
        c.target.close();
        ++m_copying;
    }
    QTimer::singleShot(0, this, &TGainStep::CopySlice);
}

void TGainStep::StartLoudgain()
{
    const Encoder::Location where = Encoder::Locate(m_program);
    if (!where.errorName.isEmpty()) {
        FailAll(MissingText());
        return;
    }
    // -I 3: lame writes ID3v2.3, and one tag keeps one version. -s e: the
    // ReplayGain 2.0 tags and the reference loudness. No -S: an ID3v1 tag
    // stays as lame wrote it.
    QStringList args = {QStringLiteral("-I"), QStringLiteral("3"), QStringLiteral("-s"),
                        QStringLiteral("e"), m_album ? QStringLiteral("-a") : QStringLiteral("-r")};
    for (const auto& c : m_copies)
        args << c->path; // absolute, so never read as an option
    m_process = new QProcess(this);
    m_process->setProgram(where.program);
    m_process->setArguments(args);
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->setStandardInputFile(QProcess::nullDevice());
    m_process->setProcessEnvironment(Encoder::Environment(QProcessEnvironment::systemEnvironment()));
    m_process->setWorkingDirectory(QFileInfo(m_copies.front()->path).absolutePath());
    connect(m_process, &QProcess::readyRead, this, &TGainStep::OnOutput);
    connect(m_process, &QProcess::finished, this, &TGainStep::OnFinished);
    connect(m_process, &QProcess::errorOccurred, this, &TGainStep::OnError);
    Q_EMIT PercentChanged(0);
    m_process->start();
}

void TGainStep::OnOutput()
{
    m_pending += m_process->readAll();
    qsizetype end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        const QString line = Plain(QString::fromUtf8(m_pending.left(qMin(end, 4 * kMaxLine))));
        m_pending.remove(0, end + 1);
        if (line.startsWith(QStringLiteral("Scanning '"))) {
            ++m_scanned;
            Q_EMIT PercentChanged(int(100 * (m_scanned - 1) / qMax<qsizetype>(1, m_copies.size())));
        } else if (!line.isEmpty()) {
            m_lastMessage = line;
        }
    }
    // A line that never ends is not kept whole.
    if (m_pending.size() > 4 * kMaxLine)
        m_pending.clear();
}

void TGainStep::OnError(QProcess::ProcessError error)
{
    if (error != QProcess::FailedToStart || m_ended)
        return;
    FailAll(MissingText());
}

void TGainStep::OnFinished(int exitCode, QProcess::ExitStatus status)
{
    if (m_ended)
        return;
    OnOutput();
    if (m_stopping) {
        FailAll(Tr("прервано"));
        return;
    }
    if (status != QProcess::NormalExit || exitCode != 0) {
        QString reason = status != QProcess::NormalExit
            ? Tr("loudgain завершился аварийно")
            : Tr("loudgain: код завершения ") + QString::number(exitCode);
        if (!m_lastMessage.isEmpty())
            reason += QStringLiteral(": ") + m_lastMessage;
        FailAll(reason);
        return;
    }
    Q_EMIT PercentChanged(100);
    Commit();
}

void TGainStep::Commit()
{
    const QByteArray trackTag = "REPLAYGAIN_TRACK_GAIN";
    const QByteArray albumTag = "REPLAYGAIN_ALBUM_GAIN";
    for (std::size_t i = 0; i < m_copies.size(); ++i) {
        Copy& c = *m_copies[i];
        QFile tagged(c.path);
        QByteArray head;
        if (tagged.open(QIODevice::ReadOnly))
            head = tagged.read(kTagSearch);
        tagged.close();
        QString failure;
        if (!head.contains(trackTag) || (m_album && !head.contains(albumTag)))
            failure = Tr("loudgain не записал теги");
        const QFileInfo now(m_tracks[i].path);
        if (failure.isEmpty()
            && (!now.isFile() || now.size() != c.size || now.lastModified() != c.modified))
            failure = Tr("файл результата изменился за это время");
        QString error;
        if (failure.isEmpty() && !FileRename::Replace(c.path, m_tracks[i].path, &error))
            failure = Tr("не удалось заменить файл результата: ") + error;
        if (failure.isEmpty()) {
            c.held.Release();
            c.path.clear();
        } else {
            m_failures.insert(m_tracks[i].jobId, failure);
        }
    }
    End();
}

void TGainStep::Stop()
{
    if (m_ended || m_stopping)
        return;
    m_stopping = true;
    if (m_process && m_process->state() != QProcess::NotRunning)
        m_process->kill(); // OnFinished ends the step
}

void TGainStep::FailAll(const QString& reason)
{
    for (const Track& t : m_tracks)
        m_failures.insert(t.jobId, reason);
    // Never from inside Start(): the caller connects first.
    QTimer::singleShot(0, this, &TGainStep::End);
    m_ended = true;
}

void TGainStep::End()
{
    Discard();
    m_ended = true;
    if (!m_endSent) {
        m_endSent = true;
        Q_EMIT Ended();
    }
}

void TGainStep::Discard()
{
    for (const auto& c : m_copies) {
        c->source.close();
        c->target.close();
        if (!c->path.isEmpty())
            QFile::remove(c->path);
        c->held.Release();
        c->path.clear();
    }
}
