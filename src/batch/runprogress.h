#pragma once

#include <QString>

class QObject;
class TSourceReader;

#include <chrono>
#include <cstddef>
#include <unordered_map>
#include <vector>

// How far one run has come and how long it still needs: the jobs it is to
// do, each one waiting, running (with its percent) or ended, and the audio
// length of each one's source. The run's speed is the audio it has encoded
// so far (finished jobs, and the done part of running ones) per second of
// the run's time, pauses and parallel jobs included; the time left is the
// audio still to do at that speed. A source whose length is not known yet
// counts as long as the average of those known.
class TRunProgress final
{
public:
    void Reset();
    void Reserve(int jobs);
    // Adds a job the run is to do; its source's length is read later.
    void AddJob(quint64 id, const QString& source);
    // Sets a job's length in seconds (what ReadDurations finds; tests set it).
    void SetDuration(quint64 id, double seconds);

    void Started(quint64 id);
    void SetPercent(quint64 id, int percent);
    // The job will not be done in this run, or has been: done counts its
    // audio as encoded.
    void Ended(quint64 id, bool done);

    int Total() const { return int(m_jobs.size()); }
    // Jobs started or ended so far.
    int Taken() const { return m_taken; }
    // Jobs not ended yet.
    int Left() const { return Total() - m_ended; }
    // A job's length in seconds, or -1 while not known.
    double Seconds(quint64 id) const;
    // Ended jobs as whole ones and running ones by their percent, over all
    // jobs; 100 only once every job has ended.
    int Percent() const;

    // Reads the lengths of sources not read yet, in run order, for about
    // budget at most; true when none is left to read. The kinds only TagLib
    // knows are asked of reader (their lengths come later, while context
    // lives); without a reader they stay unknown.
    bool ReadDurations(std::chrono::milliseconds budget, TSourceReader* reader = nullptr,
                       QObject* context = nullptr);
    // Seconds left after elapsed seconds of the run; -1 while there is too
    // little to go by (less than a second run, or no audio encoded yet).
    int SecondsLeft(double elapsed) const;

    // "Осталось: 4:05", "Осталось: 1:02:03".
    static QString Text(int seconds);

private:
    enum class State { Waiting, Running, Ended };
    struct Job
    {
        QString source;
        double seconds = -1; // not known yet
        int percent = 0;
        State state = State::Waiting;
        bool done = false;
    };
    Job* Get(quint64 id);

    std::unordered_map<quint64, Job> m_jobs;
    std::vector<quint64> m_order;  // run order, for reading lengths
    std::size_t m_nextRead = 0;
    quint64 m_generation = 0; // tells the reader's late answers from this run's
    int m_taken = 0;
    int m_ended = 0;
    long long m_runningPercent = 0; // sum over running jobs
};
