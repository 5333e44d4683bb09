#pragma once

#include "heldfile.h"

#include <QString>

// The hidden file one job's encoder writes into, in the job's output folder:
// ".tessary-<16 hex digits>.part", held by this process while the job runs.
// Only Commit() gives the output its final name; anything else (a failure, a
// cancel, the destructor when the program quits) removes it. A temporary
// left behind by a crash or a power cut is no longer held, and RemoveStale()
// of the next run writing into that folder takes it away.
class TTempOutput final
{
public:
    TTempOutput() = default;
    ~TTempOutput() { Discard(); }
    TTempOutput(const TTempOutput&) = delete;
    TTempOutput& operator=(const TTempOutput&) = delete;

    // Whether a file name (without folder) is one of ours.
    static bool IsTempName(const QString& fileName);
    // Removes the temporaries in folder that no process holds; returns how many.
    static int RemoveStale(const QString& folder);

    // Creates a new temporary in folder (which ends in "/").
    bool Create(const QString& folder, QString* error = nullptr);
    const QString& Path() const { return m_path; }
    // True once it holds at least one byte.
    bool HasContent() const;
    // Gives the file its final name; an existing file there is replaced only
    // when replace is set, otherwise the commit fails and nothing moves.
    bool Commit(const QString& finalPath, bool replace, QString* error = nullptr);
    // Removes the temporary (if any is left).
    void Discard();

private:
    THeldFile m_held;
    QString m_path;
};
