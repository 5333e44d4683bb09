#include "sourcepaths.h"

#include "decoderpipe.h"
#include "filelistreader.h"

#include <QCoreApplication>
#include <QDirIterator>

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace SourcePaths {

namespace {

// A folder's files first, then each sub-folder's, depth first. Each folder
// is read once, so a link that loops back is not followed again.
void AddFolder(const QString& folder, const QStringList& maskParts, QSet<QString>& seen,
               QStringList& out)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty() || seen.contains(canonical))
        return;
    seen.insert(canonical);
    TFileListReader::Options options;
    options.folder = folder;
    options.maskParts = maskParts;
    options.folders = true;
    QStringList folders, files;
    TFileListReader::Scan(options, folders, files);
    TFileListReader::SortNames(files);
    TFileListReader::SortNames(folders);
    const QString base = folder.endsWith(u'/') ? folder : folder + u'/';
    for (const QString& name : files)
        out << base + name;
    for (const QString& name : folders)
        AddFolder(base + name, maskParts, seen, out);
}

} // namespace

Result Expand(const QStringList& paths, const QString& mask)
{
    const QStringList parts = TFileListReader::SplitMask(mask);
    Result r;
    QSet<QString> seenFolders;
    for (const QString& given : paths) {
        const QFileInfo info(given);
        const QString path = QDir::cleanPath(info.absoluteFilePath());
        if (info.isDir()) {
            AddFolder(path, parts, seenFolders, r.files);
            continue;
        }
        bool matches = false;
        for (const QString& part : parts)
            matches = matches || TFileListReader::Match(part, info.fileName());
        if (info.isFile() && matches)
            r.files << path;
        else
            r.refused << given;
    }
    return r;
}

bool HasOtherSources(const QString& folder)
{
    QStringList filters = TDecoderPipe::SourceMask().split(u';');
    filters.removeAll(QStringLiteral("*.wav"));
    QDirIterator it(folder, filters, QDir::Files | QDir::Readable);
    return it.hasNext();
}

QString OpenFilter(bool decodeMode, bool allSourceFormats)
{
    // "Все файлы" is "*" rather than "*.*": Linux names need no extension.
    if (decodeMode)
        return QCoreApplication::translate("TMainF", "MPEG аудио-файлы (*.mp?);;Все файлы (*)");
    QString filter = QCoreApplication::translate("TMainF", "WAV-файлы (*.wav);;Все файлы (*)");
    if (allSourceFormats)
        filter = QCoreApplication::translate("TMainF", "Аудиофайлы") + QStringLiteral(" (")
                 + TDecoderPipe::SourceMask().replace(u';', u' ') + QStringLiteral(");;") + filter;
    return filter;
}

} // namespace SourcePaths
