#include "runlog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {

QString Tr(const char* text)
{
    return QCoreApplication::translate("TRunLog", text);
}

QString Time(const QDateTime& t)
{
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

TRunLog::TRunLog(const QString& folder) : m_folder(folder.isEmpty() ? DefaultFolder() : folder)
{
    if (!m_folder.endsWith(u'/'))
        m_folder += u'/';
}

QString TRunLog::DefaultFolder()
{
    // QStandardPaths knows no state folder in Qt 6.4.
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(state) + QStringLiteral("/tessary/logs/");
}

void TRunLog::Begin(int jobs, int mode)
{
    QDir().mkpath(m_folder);
    const QDateTime now = QDateTime::currentDateTime();
    // Names sort by time; a second run in the same millisecond gets a number.
    const QString stem = QStringLiteral("run-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    m_file = m_folder + stem + QStringLiteral(".log");
    for (int n = 2; QFileInfo::exists(m_file); ++n)
        m_file = m_folder + stem + QStringLiteral("-%1.log").arg(n);
    m_open = true;
    Append(QStringLiteral("Tessary %1 — %2 %3, %4 %5, %6 %7\n\n")
               .arg(QStringLiteral(TESSARY_VERSION), Tr("запуск"), Time(now), Tr("заданий:"))
               .arg(jobs)
               .arg(Tr("режим:"), mode == 1 ? Tr("декодирование") : Tr("сжатие")));
    Prune();
}

void TRunLog::Add(const Entry& e)
{
    if (!m_open)
        return;
    QString text = QStringLiteral("[%1 – %2] %3\n").arg(Time(e.started), Time(e.ended), e.outcome);
    text += QStringLiteral("  %1 %2\n").arg(Tr("Исходный файл:"), e.source);
    if (!e.output.isEmpty())
        text += QStringLiteral("  %1 %2\n").arg(Tr("Файл результата:"), e.output);
    if (!e.reason.isEmpty())
        text += QStringLiteral("  %1 %2\n").arg(Tr("Причина:"), e.reason);
    const auto process = [&text](const QStringList& command, const QStringList& lines) {
        if (command.isEmpty())
            return;
        text += QStringLiteral("  $ ") + Quote(command) + u'\n';
        for (const QString& line : lines)
            text += QStringLiteral("    | ") + line + u'\n';
    };
    process(e.decoderCommand, e.decoderLines);
    process(e.encoderCommand, e.encoderLines);
    Append(text + u'\n');
}

void TRunLog::End(const QString& endText)
{
    if (!m_open)
        return;
    m_open = false;
    Append(QStringLiteral("%1 %2: %3\n")
               .arg(Time(QDateTime::currentDateTime()), Tr("Итог"), endText));
}

QStringList TRunLog::Files(const QString& folder)
{
    const QDir dir(folder);
    QStringList names = dir.entryList({QStringLiteral("run-*.log")}, QDir::Files, QDir::Name);
    std::reverse(names.begin(), names.end());
    for (QString& name : names)
        name = dir.filePath(name);
    return names;
}

QString TRunLog::Read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.read(MaxReadBytes));
}

QString TRunLog::Quote(const QStringList& arguments)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./:=+,@%-]+$"));
    QStringList out;
    out.reserve(arguments.size());
    for (const QString& a : arguments) {
        if (!a.isEmpty() && plain.match(a).hasMatch())
            out << a;
        else
            out << u'\'' + QString(a).replace(u'\'', QStringLiteral("'\\''")) + u'\'';
    }
    return out.join(u' ');
}

void TRunLog::Append(const QString& text)
{
    QFile file(m_file);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write(text.toUtf8());
}

void TRunLog::Prune()
{
    const QStringList files = Files(m_folder);
    for (qsizetype i = KeptRuns; i < files.size(); ++i)
        QFile::remove(files[i]);
}
