#pragma once

#include <QString>

#include <memory>

class QTemporaryFile;

// The picture file a job hands lame for its ID3v2 tag: a folder image as it
// lies, or a source's embedded cover written to a private temporary file that
// lives as long as this object.
class TCoverFile final
{
public:
    TCoverFile();
    ~TCoverFile();

    // False when the source has no picture (or it cannot be written out).
    bool Prepare(const QString& sourcePath);
    const QString& Path() const { return m_path; }

private:
    std::unique_ptr<QTemporaryFile> m_temp;
    QString m_path;
};
