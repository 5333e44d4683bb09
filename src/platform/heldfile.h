#pragma once

#include <QString>

// A file this process created and keeps an advisory lock (flock) on until
// Release() or destruction. The lock goes with the process, also when it is
// killed or the machine loses power, so another process can tell a file
// still being written from one whose writer is gone.
class THeldFile final
{
public:
    THeldFile() = default;
    ~THeldFile() { Release(); }
    THeldFile(const THeldFile&) = delete;
    THeldFile& operator=(const THeldFile&) = delete;

    // Creates path, which must not exist yet, and locks it. On failure
    // returns false and puts the system's reason into error.
    bool Create(const QString& path, QString* error = nullptr);
    // Takes the lock of path, an existing regular file that no process
    // holds (one its holder left behind when it died). False when the file
    // is missing or someone holds it.
    bool Adopt(const QString& path);
    // Drops the lock; the file stays.
    void Release();
    bool IsHeld() const { return m_fd >= 0; }

    // True when path is a regular file that no process holds.
    static bool IsAbandoned(const QString& path);

private:
    int m_fd = -1;
};
