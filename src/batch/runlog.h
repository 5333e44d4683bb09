#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// The run log: one text file per run under $XDG_STATE_HOME/tessary/logs/
// (~/.local/state/tessary/logs/), the newest KeptRuns kept. For each job it
// holds when it ran, its source and output, the exact argument lists of the
// encoder and the decoder, the last lines they printed, the outcome and its
// reason. Each entry is appended once its job has ended, so a crash loses at
// most the jobs still running. Writing is best effort: a log that cannot be
// written never fails a job.
class TRunLog final
{
public:
    struct Entry
    {
        QDateTime started;
        QDateTime ended;
        QString source;
        QString output;
        QString outcome; // "Готово", "Ошибка", "Прервано", …
        QString reason;
        QStringList encoderCommand; // program first, then its arguments
        QStringList encoderLines;
        QStringList decoderCommand;
        QStringList decoderLines;
    };

    static constexpr int KeptRuns = 20;
    // A log file larger than this is shown cut: it is read into a window.
    static constexpr qint64 MaxReadBytes = 4 * 1024 * 1024;

    // folder: where the files go; empty means DefaultFolder().
    explicit TRunLog(const QString& folder = QString());

    // $XDG_STATE_HOME/tessary/logs/, with ~/.local/state for an unset or
    // relative XDG_STATE_HOME; ends in "/".
    static QString DefaultFolder();
    const QString& Folder() const { return m_folder; }

    // Starts the file of a new run (and drops the oldest beyond KeptRuns).
    void Begin(int jobs, int mode);
    // Both do nothing outside Begin ... End.
    void Add(const Entry& entry);
    void End(const QString& endText);
    // The file of the current or last run; empty before the first.
    const QString& CurrentFile() const { return m_file; }

    // The run files in folder, newest first.
    static QStringList Files(const QString& folder);
    // A file's text, at most MaxReadBytes of it.
    static QString Read(const QString& path);

    // An argument list as one line a shell would split back into it.
    static QString Quote(const QStringList& arguments);

private:
    void Append(const QString& text);
    void Prune();

    QString m_folder;
    QString m_file;
    bool m_open = false; // between Begin and End
};
