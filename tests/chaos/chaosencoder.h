#pragma once

// The chaos runs' fake encoder and what it is told to do. A plan file holds
// a line "<word> <source>" for each job, its behaviour in the next run (one
// file written per run, not one per source: a few hundred small writes cost
// far more than the run on a busy disk). The encoder looks up its input
// there, logs its pid and input, and then succeeds, fails, dies of a
// signal, writes nothing, writes an empty file, works slowly or hangs until
// it is stopped (one kind of hang ignores SIGTERM, so only the kill after
// the grace ends it).

#include "testutil.h"

#include <QFile>
#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <utility>

#include <cerrno>
#include <csignal>
#include <sys/types.h>

namespace Chaos {

enum class Behaviour { Ok, Slow, Fail, Signal, Nothing, Empty, Hang, Stubborn };

inline const char* Word(Behaviour b)
{
    switch (b) {
    case Behaviour::Ok: return "ok";
    case Behaviour::Slow: return "slow";
    case Behaviour::Fail: return "fail";
    case Behaviour::Signal: return "signal";
    case Behaviour::Nothing: return "nothing";
    case Behaviour::Empty: return "empty";
    case Behaviour::Hang: return "hang";
    case Behaviour::Stubborn: return "stubborn";
    }
    return "ok";
}

inline bool Succeeds(Behaviour b) { return b == Behaviour::Ok || b == Behaviour::Slow; }

// Success about half the time; a hang rarely, since every hang ends a run.
inline Behaviour Draw(QRandomGenerator& rng, bool hangs = true)
{
    const int r = int(rng.bounded(100));
    if (r < 40) return Behaviour::Ok;
    if (r < 54) return Behaviour::Slow;
    if (r < 66) return Behaviour::Fail;
    if (r < 76) return Behaviour::Signal;
    if (r < 86) return Behaviour::Nothing;
    if (r < 96 || !hangs) return Behaviour::Empty;
    if (r < 98) return Behaviour::Hang;
    return Behaviour::Stubborn;
}

// Writes the encoder into folder; it reads plan, appends its pid to pids and
// its input to starts. Paths without spaces.
inline QString WriteEncoder(const QString& folder, const QString& plan, const QString& pids,
                            const QString& starts)
{
    const QString path = folder + QStringLiteral("/chaos-lame");
    const QString script = QStringLiteral(
        "#!/bin/sh\n"
        "for a; do in=$out; out=$a; done\n"
        "echo $$ >> '%1'\n"
        "printf '%s\\n' \"$in\" >> '%2'\n"
        "case \"$(awk -v f=\"$in\" '$2 == f { print $1 }' '%3')\" in\n"
        "ok) printf '  1/2 (50%%)|\\r  2/2 (100%%)|\\n' >&2; printf mp3 > \"$out\" ;;\n"
        "slow) printf '  1/2 (50%%)|\\r' >&2; sleep 0.03; printf mp3 > \"$out\"; sleep 0.03 ;;\n"
        "fail) printf part > \"$out\"; echo 'Could not read input' >&2; exit 1 ;;\n"
        "signal) printf part > \"$out\"; kill -KILL $$ ;;\n"
        "nothing) rm -f \"$out\" ;;\n"
        "empty) : > \"$out\" ;;\n"
        "hang) printf part > \"$out\"; exec sleep 600 ;;\n"
        "stubborn) printf part > \"$out\"; trap '' TERM; while :; do sleep 0.05; done ;;\n"
        "*) exit 3 ;;\n"
        "esac\n").arg(pids, starts, plan);
    if (!TestUtil::WriteFile(path, script.toUtf8()))
        return QString();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

// One line per job: what it does, and its source.
inline bool WritePlan(const QString& plan, const QList<std::pair<QString, Behaviour>>& jobs)
{
    QByteArray text;
    for (const auto& [source, b] : jobs)
        text += QByteArray(Word(b)) + ' ' + source.toUtf8() + '\n';
    return TestUtil::WriteFile(plan + QStringLiteral(".new"), text)
           && (!QFile::exists(plan) || QFile::remove(plan))
           && QFile::rename(plan + QStringLiteral(".new"), plan);
}

inline QList<qint64> Pids(const QString& pidsFile)
{
    QList<qint64> pids;
    for (const QByteArray& line : TestUtil::ReadFile(pidsFile).split('\n')) {
        if (const qint64 pid = line.trimmed().toLongLong(); pid > 0)
            pids << pid;
    }
    return pids;
}

// Gone, or a zombie nobody has reaped yet.
inline bool Gone(qint64 pid)
{
    if (::kill(pid_t(pid), 0) != 0)
        return errno == ESRCH;
    const QByteArray stat = TestUtil::ReadFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype close = stat.lastIndexOf(')');
    return close >= 0 && stat.mid(close + 2, 1) == "Z";
}

// The seed of this run: TESSARY_CHAOS_SEED, or a fixed default.
inline quint32 BaseSeed()
{
    bool ok = false;
    const quint32 seed = qEnvironmentVariable("TESSARY_CHAOS_SEED").toUInt(&ok);
    return ok ? seed : 20261210u;
}

// A chaos row's scratch folder: the fake encoder, the plan it reads and the
// logs it writes, and the output folder below it.
struct TWorkFolder
{
    QTemporaryDir dir;
    QString out = dir.filePath(QStringLiteral("out"));
    QString pidsFile = dir.filePath(QStringLiteral("pids.log"));
    QString startsFile = dir.filePath(QStringLiteral("starts.log"));
    QString planFile = dir.filePath(QStringLiteral("plan"));
    QString encoder = WriteEncoder(dir.path(), planFile, pidsFile, startsFile);

    bool IsValid() const { return dir.isValid() && !encoder.isEmpty(); }
};

// Prints the seed if the row it guards fails.
struct TSeedReport
{
    quint32 seed;
    ~TSeedReport()
    {
        if (QTest::currentTestFailed())
            qWarning("chaos seed %u (replay with TESSARY_CHAOS_SEED)", seed);
    }
};

} // namespace Chaos
