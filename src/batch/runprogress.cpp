#include "runprogress.h"

#include "audioduration.h"
#include "decoderpipe.h"
#include "sourcereader.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cmath>

void TRunProgress::Reset()
{
    m_jobs.clear();
    m_order.clear();
    m_nextRead = 0;
    ++m_generation;
    m_taken = 0;
    m_ended = 0;
    m_runningPercent = 0;
}

void TRunProgress::Reserve(int jobs)
{
    m_jobs.reserve(std::size_t(qMax(0, jobs)));
    m_order.reserve(std::size_t(qMax(0, jobs)));
}

void TRunProgress::AddJob(quint64 id, const QString& source)
{
    if (m_jobs.emplace(id, Job{source}).second)
        m_order.push_back(id);
}

double TRunProgress::Seconds(quint64 id) const
{
    const auto it = m_jobs.find(id);
    return it == m_jobs.end() ? -1 : it->second.seconds;
}

TRunProgress::Job* TRunProgress::Get(quint64 id)
{
    const auto it = m_jobs.find(id);
    return it == m_jobs.end() ? nullptr : &it->second;
}

void TRunProgress::SetDuration(quint64 id, double seconds)
{
    if (Job* job = Get(id); job && seconds >= 0)
        job->seconds = seconds;
}

void TRunProgress::Started(quint64 id)
{
    Job* job = Get(id);
    if (!job || job->state != State::Waiting)
        return;
    job->state = State::Running;
    job->percent = 0;
    ++m_taken;
}

void TRunProgress::SetPercent(quint64 id, int percent)
{
    Job* job = Get(id);
    if (!job || job->state != State::Running)
        return;
    percent = qBound(0, percent, 100);
    m_runningPercent += percent - job->percent;
    job->percent = percent;
}

void TRunProgress::Ended(quint64 id, bool done)
{
    Job* job = Get(id);
    if (!job || job->state == State::Ended)
        return;
    if (job->state == State::Waiting)
        ++m_taken;
    else
        m_runningPercent -= job->percent;
    job->state = State::Ended;
    job->done = done;
    job->percent = done ? 100 : 0;
    ++m_ended;
}

int TRunProgress::Percent() const
{
    if (m_jobs.empty())
        return 0;
    const int percent = int((100LL * m_ended + m_runningPercent) / qint64(m_jobs.size()));
    // An encoder at 100% has yet to be checked: full means every job ended.
    return m_ended < int(m_jobs.size()) ? qMin(percent, 99) : percent;
}

bool TRunProgress::ReadDurations(std::chrono::milliseconds budget, TSourceReader* reader,
                                 QObject* context)
{
    QElapsedTimer clock;
    clock.start();
    while (m_nextRead < m_order.size()) {
        Job& job = m_jobs.at(m_order[m_nextRead++]);
        // An ended job's length no longer matters, except as part of the
        // average, and the average does well enough without it.
        if (job.seconds < 0 && job.state != State::Ended && TDecoderPipe::Wanted(job.source)) {
            if (reader) {
                const quint64 id = m_order[m_nextRead - 1];
                reader->Read(ReaderProtocol::Verb::Info, job.source, context,
                             [this, id, generation = m_generation](const ReaderProtocol::TAnswer& a) {
                                 if (generation == m_generation && a.durationMs > 0)
                                     SetDuration(id, a.durationMs / 1000.0);
                             }, TSourceReader::Later);
            }
        } else if (job.seconds < 0 && job.state != State::Ended) {
            if (const auto seconds = TAudioDuration::OfFile(job.source))
                job.seconds = *seconds;
        }
        if (clock.elapsed() >= budget.count())
            break;
    }
    return m_nextRead >= m_order.size();
}

int TRunProgress::SecondsLeft(double elapsed) const
{
    if (elapsed < 1.0)
        return -1;
    double known = 0;
    int knownCount = 0;
    for (const auto& [id, job] : m_jobs) {
        if (job.seconds >= 0) {
            known += job.seconds;
            ++knownCount;
        }
    }
    if (knownCount == 0)
        return -1;
    const double average = known / knownCount;
    double encoded = 0, left = 0;
    for (const auto& [id, job] : m_jobs) {
        const double seconds = job.seconds >= 0 ? job.seconds : average;
        switch (job.state) {
        case State::Ended:
            if (job.done)
                encoded += seconds;
            break;
        case State::Running:
            encoded += seconds * job.percent / 100.0;
            left += seconds * (100 - job.percent) / 100.0;
            break;
        case State::Waiting:
            left += seconds;
            break;
        }
    }
    if (encoded <= 0)
        return -1;
    return int(std::lround(left / (encoded / elapsed)));
}

QString TRunProgress::Text(int seconds)
{
    seconds = qMax(0, seconds);
    const int h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    const QString time = h > 0 ? QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, QChar(u'0'))
                                     .arg(s, 2, 10, QChar(u'0'))
                               : QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QChar(u'0'));
    return QCoreApplication::translate("TRunProgress", "Осталось: %1").arg(time);
}
