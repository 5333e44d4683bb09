#include "coverfile.h"

#include "sourcetags.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>

TCoverFile::TCoverFile() = default;
TCoverFile::~TCoverFile() = default;

QString TCoverFile::Folder()
{
    // One folder for the program's life, made 0700 by QTemporaryDir and gone
    // with the program. The runtime folder is the user's own and in memory;
    // the temporary folder stands in where there is none.
    static const std::unique_ptr<QTemporaryDir> dir = [] {
        QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (base.isEmpty() || !QDir(base).exists())
            base = QDir::tempPath();
        return std::make_unique<QTemporaryDir>(base + QStringLiteral("/tessary-covers-XXXXXX"));
    }();
    return dir->isValid() ? dir->path() : QString();
}

bool TCoverFile::Prepare(const TCoverArt& art)
{
    m_path.clear();
    m_temp.reset();
    if (!art.file.isEmpty()) {
        m_path = art.file;
        return true;
    }
    const QString folder = Folder();
    if (art.data.isEmpty() || art.suffix.isEmpty() || folder.isEmpty())
        return false;
    // lame tells the picture's kind by its name as well as its bytes.
    // QTemporaryFile makes the file 0600.
    m_temp = std::make_unique<QTemporaryFile>(folder + QStringLiteral("/cover-XXXXXX.")
                                              + art.suffix);
    if (!m_temp->open() || m_temp->write(art.data) != art.data.size() || !m_temp->flush()) {
        m_temp.reset();
        return false;
    }
    m_path = m_temp->fileName();
    return true;
}
