#pragma once

#include <QString>

#include <memory>

class QTemporaryFile;
struct TCoverArt;

// The picture file a job hands lame for its ID3v2 tag: a folder image as it
// lies, or a source's embedded cover (found by the reader) written to a file
// only this user can read (0600, in a 0700 folder of the user's runtime
// folder) that lives as long as this object.
class TCoverFile final
{
public:
    TCoverFile();
    ~TCoverFile();

    // False when art holds no picture (or it cannot be written out).
    bool Prepare(const TCoverArt& art);
    const QString& Path() const { return m_path; }

    // The private folder the pictures go to; empty when it cannot be made.
    static QString Folder();

private:
    std::unique_ptr<QTemporaryFile> m_temp;
    QString m_path;
};
