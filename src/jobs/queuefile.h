#pragma once

#include "queue.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

// The mark a queue line shows beside its check box.
enum class TLineMark : quint8 { None = 0, Failed = 1, Skipped = 2 };

// What a queue line holds besides its job.
struct TQueueLine
{
    bool processed = false; // the check mark
    TLineMark mark = TLineMark::None;
    QString reason;         // what the mark says (its tooltip)
    bool running = false;   // the job was being run when the queue was written

    bool operator==(const TQueueLine&) const = default;
};

// A queue as a queue file holds it: the jobs in queue order, one line per
// job, and the current line (-1 for none).
struct TQueueContent
{
    std::unique_ptr<TQueue> queue = std::make_unique<TQueue>();
    std::vector<TQueueLine> lines;
    int current = -1;

    int Count() const { return queue->Count(); }
    // The jobs whose lines are not ticked.
    int Unprocessed() const;
};

// The queue file: JSON in UTF-8, one job to a line, so that it can be read
// and edited by hand:
//
//   {"format":"tessary-queue","version":1,"current":0,"jobs":[
//   {"input":"/home/u/a.wav","output":"","title":"...",...,"done":false},
//   ...
//   ]}
//
// Writing is a pure function of the queue. Reading is one too: it never
// looks at the file system, and every value reaches the job through its
// guarded setters, so a file edited by hand can never make a job the
// window could not have made. Unknown keys are ignored, a value of the
// wrong kind or out of its field's range leaves the field at its default,
// a job without a usable source path is dropped. Sizes are capped: the
// file, the number of jobs, every text.
//
// A job field is one line of the table in queuefile.cpp; a file without
// that key gives the field its default, so adding one needs no new version.
class TQueueFile final
{
public:
    // Files of a later version are refused: they may hold what this one
    // cannot keep.
    static constexpr int Version = 1;
    static constexpr qint64 MaxFileSize = 64 * 1024 * 1024;
    static constexpr int MaxJobs = 100000;
    static constexpr int MaxTagLength = 255;
    static constexpr int MaxReasonLength = 2000;

    static QString Extension() { return QStringLiteral(".tessary-queue"); }

    struct TReadResult
    {
        TQueueContent content;
        QString error;   // empty when the file was read; else why not, for the user
        int dropped = 0; // job entries left out: no usable source path

        bool Ok() const { return error.isEmpty(); }
    };

    static QByteArray Write(const TQueue& queue, const std::vector<TQueueLine>& lines,
                            int current);
    static QByteArray Write(const TQueueContent& content)
    {
        return Write(*content.queue, content.lines, content.current);
    }
    // A file that is cut short, of a later version or not a queue file at
    // all gives an error and an empty queue.
    static TReadResult Read(const QByteArray& bytes);
    // Reads at most MaxFileSize bytes of path, then Read().
    static TReadResult ReadFile(const QString& path);
};
