#pragma once

#include <QObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>

// Starting the encoder on Linux: where `lame` is found, the environment it
// gets, how a start failure is named, and what its progress output means.
namespace Encoder {

struct Location
{
    QString program;   // absolute path of the program to start
    QString errorName; // empty when found, else "ERROR_FILE_NOT_FOUND" and friends
};

// A program given with a "/" is taken as a path; a bare name is looked for in
// programFolder first, then in each folder of pathVariable, like execvp: the
// first executable file wins, and a file that is found but cannot be executed
// gives "ERROR_ACCESS_DENIED" only when no executable one follows.
Location Locate(const QString& program, const QString& programFolder,
                const QString& pathVariable);
// The same with Tessary's own folder and the process's PATH; an empty
// program means "lame".
Location Locate(const QString& program = QString());

// The inherited environment with LC_ALL=C.UTF-8: LAME 3.100 converts tag
// text from its locale's character set and writes empty frames for
// non-ASCII text under "C" or under a locale that is not installed.
QProcessEnvironment Environment(const QProcessEnvironment& inherited);

// The error name for an errno value of a failed start; empty when no name fits.
QString StartErrorName(int errorCode);

// The percent of one line of LAME's progress output ("  1234/5678 (22%)|"
// when encoding, "Frame#  123/4567 ..." when decoding), or -1.
int ParsePercent(QStringView line);

} // namespace Encoder

// One encoder process at a time: started with an argument list (never through
// a shell), stdin on /dev/null, stdout and stderr merged and read for progress
// and for the last message line. Every start ends in exactly one Ended signal,
// always delivered from the event loop, never from inside Start().
class TEncoderProcess final : public QObject
{
    Q_OBJECT
public:
    struct Result
    {
        bool started = false;
        QString errorName;   // start failure mapped to a name (may be empty)
        QString errorText;   // start failure as the system words it
        bool crashed = false;
        int exitCode = -1;
        QString lastMessage; // the encoder's last non-progress line
        QStringList lastLines; // its last few lines but progress, for the run log
        QStringList command;   // the program started and its arguments, for the run log
    };

    // How many of the encoder's last lines a result keeps, and how long each may be.
    static constexpr int KeptLines = 12;
    static constexpr int KeptLineLength = 400;

    explicit TEncoderProcess(QObject* parent = nullptr);
    // A process still running is killed: only reached when the program quits.
    ~TEncoderProcess() override;

    // program: a path, a bare name to look up, or empty for "lame". With a
    // feeder, the encoder's stdin is that process's stdout (a decoder the
    // caller starts right after); the link is undone when the encoder ends.
    // True when the encoder process is being started (a feeder may follow).
    bool Start(const QString& program, const QStringList& arguments,
               const QString& workingDirectory, QProcess* feeder = nullptr);
    bool IsRunning() const { return m_active; }
    // Asks a running encoder to end (SIGTERM) and kills it (SIGKILL) if it
    // is still there after grace. Never waits: Ended follows as usual.
    void Stop(std::chrono::milliseconds grace);

Q_SIGNALS:
    void PercentChanged(int percent);
    // The encoder wrote something: a sign of life for the run's stall watch.
    void Output();
    void Ended(const TEncoderProcess::Result& result);

private:
    void OnReadyRead();
    void OnFinished(int exitCode, QProcess::ExitStatus status);
    void OnError(QProcess::ProcessError error);
    void TakeOutput(const QByteArray& data, bool flush);
    void TakeLine(const QString& line);
    void End(const Result& result);

    void Unlink();

    QProcess m_process;
    QTimer m_killTimer;
    QProcess* m_feeder = nullptr;
    bool m_active = false;
    int m_percent = -1;
    QByteArray m_pending; // bytes after the last line break
    QString m_lastMessage;
    QStringList m_lastLines;
    QStringList m_command;
};
