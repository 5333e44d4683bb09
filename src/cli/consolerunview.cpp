#include "consolerunview.h"

#include "queue.h"
#include "runprogress.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/ioctl.h>
#include <unistd.h>

namespace {

QString Tr(const char* text)
{
    return QCoreApplication::translate("TConsoleRunView", text);
}

int Columns(std::FILE* out)
{
    winsize size = {};
    if (::ioctl(::fileno(out), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

} // namespace

TConsoleRunView::TConsoleRunView(const TQueue& queue, const QStringList& names, int mode,
                                 Style style, std::FILE* out)
    : m_queue(queue), m_names(names), m_mode(mode), m_style(style), m_out(out),
      m_lines(std::size_t(queue.Count()), Line::Waiting),
      m_percent(std::size_t(queue.Count()), -1)
{
}

void TConsoleRunView::Print(const QString& text)
{
    if (m_style == Style::Terminal && !m_drawn.isEmpty())
        std::fputs("\r\033[K", m_out);
    std::fputs(text.toUtf8().constData(), m_out);
    std::fputc('\n', m_out);
    m_drawn.clear();
    if (m_style == Style::Terminal)
        Redraw();
    std::fflush(m_out);
}

void TConsoleRunView::Event(const char* name, int line, const QString& reason)
{
    const TQueueItem* job = m_queue.Items(line);
    if (!job)
        return;
    const QString event = QString::fromLatin1(name);
    const QString source = line < m_names.size() ? m_names[line] : job->InputFile();
    if (m_style == Style::Json) {
        QJsonObject o{{QStringLiteral("event"), event},
                      {QStringLiteral("job"), line + 1},
                      {QStringLiteral("source"), source}};
        if (event != u"failed" && !job->OutputFile().isEmpty())
            o.insert(QStringLiteral("output"), job->OutputFile());
        if (event == u"progress") {
            o.insert(QStringLiteral("percent"), m_percent[std::size_t(line)]);
            o.insert(QStringLiteral("run_percent"), m_runPercent);
        }
        if (!reason.isEmpty())
            o.insert(QStringLiteral("reason"), reason);
        std::fputs(QJsonDocument(o).toJson(QJsonDocument::Compact).constData(), m_out);
        std::fputc('\n', m_out);
        std::fflush(m_out);
        return;
    }
    if (event == u"progress")
        return;
    const QString number = QStringLiteral("[%1/%2] ").arg(line + 1).arg(m_queue.Count());
    QString text;
    if (event == u"started")
        text = Tr("Начато: %1 → %2").arg(source, job->OutputFile());
    else if (event == u"done")
        text = Tr("Готово: %1").arg(job->OutputFile());
    else if (event == u"failed")
        text = Tr("Ошибка: %1: %2").arg(source, reason);
    else
        text = Tr("Пропущено: %1: %2").arg(source, reason);
    // On a terminal the line above shows the running jobs; only what the
    // user must know stays on the screen.
    if (m_style == Style::Terminal && (event == u"started" || event == u"done"))
        return;
    Print(number + text);
}

void TConsoleRunView::SetStatusText(const QString& text)
{
    // "Обрабатывается: <source>" names the job started last.
    if (m_style == Style::Terminal) {
        m_current = text;
        Redraw();
    }
}

bool TConsoleRunView::IsLineChecked(int line) const
{
    return line >= 0 && std::size_t(line) < m_lines.size()
           && m_lines[std::size_t(line)] == Line::Ended;
}

void TConsoleRunView::SetLineChecked(int line, bool checked)
{
    if (!checked || IsLineChecked(line) || line < 0 || std::size_t(line) >= m_lines.size())
        return;
    m_lines[std::size_t(line)] = Line::Ended;
    ++m_done;
    Event("done", line);
}

void TConsoleRunView::SetLineFailure(int line, const QString& reason)
{
    // An empty reason only clears a mark (before a job is checked).
    if (reason.isEmpty() || line < 0 || std::size_t(line) >= m_lines.size())
        return;
    m_lines[std::size_t(line)] = Line::Ended;
    ++m_failed;
    Event("failed", line, reason);
}

void TConsoleRunView::SetLineSkipped(int line, const QString& reason)
{
    if (line < 0 || std::size_t(line) >= m_lines.size())
        return;
    m_lines[std::size_t(line)] = Line::Ended;
    ++m_skipped;
    Event("skipped", line, reason);
}

void TConsoleRunView::SkipBeforeRun(int line, const QString& reason)
{
    SetLineSkipped(line, reason);
}

void TConsoleRunView::ShowError(const QString& text)
{
    // The job's failure follows with its reason; this is the system's name
    // for why the encoder did not start.
    if (m_style == Style::Json)
        return;
    Print(QStringLiteral("tessary: ") + text);
}

void TConsoleRunView::SetProgress(int position, int count, int percent)
{
    m_position = position;
    m_count = count;
    m_runPercent = percent;
    Redraw();
}

void TConsoleRunView::SetLineProgress(int line, int percent)
{
    if (line < 0 || std::size_t(line) >= m_lines.size())
        return;
    const std::size_t i = std::size_t(line);
    if (percent < 0 || m_percent[i] == percent)
        return;
    const bool first = m_lines[i] == Line::Waiting;
    m_percent[i] = percent;
    if (first) {
        m_lines[i] = Line::Running;
        Event("started", line);
    } else {
        Event("progress", line);
    }
}

void TConsoleRunView::SetTimeLeft(int seconds)
{
    m_secondsLeft = seconds;
    Redraw();
}

void TConsoleRunView::Redraw()
{
    if (m_style != Style::Terminal || m_position < 0)
        return;
    QString text = QStringLiteral("%1% ").arg(m_runPercent)
                   + Tr("%1 из %2").arg(m_position + 1).arg(m_count);
    if (m_secondsLeft >= 0)
        text += QStringLiteral(", ") + TRunProgress::Text(m_secondsLeft);
    if (!m_current.isEmpty())
        text += QStringLiteral(", ") + m_current;
    // One screen line: a longer one would wrap, and \r would rewrite only
    // its last part.
    const int width = Columns(m_out) - 1;
    if (text.size() > width)
        text = text.left(qMax(0, width - 1)) + QChar(0x2026);
    if (text == m_drawn)
        return;
    m_drawn = text;
    std::fputs("\r\033[K", m_out);
    std::fputs(text.toUtf8().constData(), m_out);
    std::fflush(m_out);
}

void TConsoleRunView::Summary(int exitStatus, bool interrupted, double seconds)
{
    const int total = m_queue.Count();
    if (m_style == Style::Json) {
        const QJsonObject o{{QStringLiteral("event"), QStringLiteral("summary")},
                            {QStringLiteral("jobs"), total},
                            {QStringLiteral("done"), m_done},
                            {QStringLiteral("failed"), m_failed},
                            {QStringLiteral("skipped"), m_skipped},
                            {QStringLiteral("not_run"), total - m_done - m_failed - m_skipped},
                            {QStringLiteral("interrupted"), interrupted},
                            {QStringLiteral("seconds"), qRound(seconds * 10) / 10.0},
                            {QStringLiteral("status"), exitStatus}};
        std::fputs(QJsonDocument(o).toJson(QJsonDocument::Compact).constData(), m_out);
        std::fputc('\n', m_out);
        std::fflush(m_out);
        return;
    }
    if (m_style == Style::Terminal && !m_drawn.isEmpty()) {
        std::fputs("\r\033[K", m_out);
        m_drawn.clear();
    }
    m_position = -1;
    QString text = Tr("Итог: выполнено %1 из %2, ошибок: %3, пропущено: %4")
                       .arg(m_done)
                       .arg(total)
                       .arg(m_failed)
                       .arg(m_skipped);
    if (const int notRun = total - m_done - m_failed - m_skipped; notRun > 0)
        text += Tr(", не запущено: %1").arg(notRun);
    text += Tr(", время: %1 с").arg(seconds, 0, 'f', 1);
    if (interrupted)
        text += Tr(" (прервано)");
    std::fputs(text.toUtf8().constData(), m_out);
    std::fputc('\n', m_out);
    std::fflush(m_out);
}
