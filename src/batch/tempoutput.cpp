#include "tempoutput.h"

#include "filerename.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace {

const QString kPrefix = QStringLiteral(".tessary-");
const QString kSuffix = QStringLiteral(".part");

} // namespace

bool TTempOutput::IsTempName(const QString& fileName)
{
    static const QRegularExpression name(QStringLiteral("^\\.tessary-[0-9a-f]{16}\\.part$"));
    return name.match(fileName).hasMatch();
}

int TTempOutput::RemoveStale(const QString& folder)
{
    const QDir dir(folder);
    int removed = 0;
    const QStringList names = dir.entryList({kPrefix + u'*' + kSuffix},
                                            QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        const QString path = dir.filePath(name);
        if (IsTempName(name) && THeldFile::IsAbandoned(path) && QFile::remove(path))
            ++removed;
    }
    return removed;
}

bool TTempOutput::Create(const QString& folder, QString* error)
{
    Discard();
    QString base = folder;
    if (!base.endsWith(u'/'))
        base += u'/';
    // A name another process took first is simply not ours: draw again.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const quint64 r = QRandomGenerator::global()->generate64();
        const QString path = base + kPrefix
                             + QStringLiteral("%1").arg(r, 16, 16, QChar(u'0')) + kSuffix;
        if (m_held.Create(path, error)) {
            m_path = path;
            return true;
        }
        if (QFileInfo(path).exists())
            continue;
        return false;
    }
    return false;
}

bool TTempOutput::HasContent() const
{
    const QFileInfo info(m_path);
    return !m_path.isEmpty() && info.isFile() && info.size() > 0;
}

bool TTempOutput::Commit(const QString& finalPath, bool replace, QString* error)
{
    if (m_path.isEmpty())
        return false;
    const bool moved = replace ? FileRename::Replace(m_path, finalPath, error)
                               : FileRename::NoReplace(m_path, finalPath, error);
    if (!moved)
        return false;
    m_held.Release();
    m_path.clear();
    return true;
}

void TTempOutput::Discard()
{
    if (m_path.isEmpty())
        return;
    QFile::remove(m_path);
    m_held.Release();
    m_path.clear();
}
