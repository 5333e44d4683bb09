#include "coverfile.h"

#include "sourcetags.h"

#include <QDir>
#include <QTemporaryFile>

TCoverFile::TCoverFile() = default;
TCoverFile::~TCoverFile() = default;

bool TCoverFile::Prepare(const QString& sourcePath)
{
    m_path.clear();
    const TCoverArt art = TCoverArt::Find(sourcePath);
    if (art.data.isEmpty())
        return false;
    if (!art.file.isEmpty()) {
        m_path = art.file;
        return true;
    }
    // lame tells the picture's kind by its name as well as its bytes.
    m_temp = std::make_unique<QTemporaryFile>(QDir::tempPath()
                                              + QStringLiteral("/tessary-cover-XXXXXX.")
                                              + art.suffix);
    if (!m_temp->open() || m_temp->write(art.data) != art.data.size() || !m_temp->flush()) {
        m_temp.reset();
        return false;
    }
    m_path = m_temp->fileName();
    return true;
}
