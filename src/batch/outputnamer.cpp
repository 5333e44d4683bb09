#include "outputnamer.h"

#include "naming.h"
#include "queueitem.h"

#include <QDir>
#include <QFileInfo>

namespace {

// "out//a.mp3" and "out/a.mp3" are one file; so are "out/./a" and "out/a".
QString PathKey(const QString& path)
{
    if (!path.contains(QStringLiteral("//")) && !path.contains(QStringLiteral("/.")))
        return path;
    return QDir::cleanPath(path);
}

} // namespace

QString TOutputNamer::Numbered(const QString& path, int n)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    const QString number = QStringLiteral(" (%1)").arg(n);
    // The number must fit inside the longest name, so the stem may give way.
    const QString folder = path.left(slash + 1);
    if (dot <= slash)
        return folder + Naming::FitName(path.mid(slash + 1), number);
    return folder + Naming::FitName(path.mid(slash + 1, dot - slash - 1), number + path.mid(dot));
}

bool TOutputNamer::Exists(const QString& path)
{
    if (!m_rememberFolders)
        return QFileInfo::exists(path);
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString folder = path.left(slash + 1);
    auto it = m_folders.find(folder);
    if (it == m_folders.end()) {
        Folder f;
        f.exists = QFileInfo(folder).isDir();
        it = m_folders.insert(folder, f);
    }
    Folder& f = it.value();
    if (!f.exists)
        return false;
    // A listing costs about as much as a few dozen look-ups; a folder that
    // many outputs go into is cheaper listed (and thousands of them are).
    constexpr int kListAfter = 32;
    if (!f.listed && ++f.asked > kListAfter) {
        // As QFileInfo::exists() sees it: links are followed, so a broken
        // one is no file.
        const QStringList names =
            QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        f.names = QSet<QString>(names.begin(), names.end());
        f.listed = true;
    }
    if (f.listed)
        return f.names.contains(path.mid(slash + 1));
    return QFileInfo::exists(path);
}

TOutputNamer::Assignment TOutputNamer::Assign(TQueueItem& job, const ProgramSettings& settings,
                                              int mode, TExistingOutput existing,
                                              const TQueueItem* self)
{
    BuildOutputPath(job, m_tree, settings, mode);
    return Place(job, existing, self);
}

TOutputNamer::Assignment TOutputNamer::AssignGiven(TQueueItem& job, const QString& path,
                                                   TExistingOutput existing,
                                                   const TQueueItem* self)
{
    job.SetOutputFile(path);
    return Place(job, existing, self);
}

TOutputNamer::Assignment TOutputNamer::Place(TQueueItem& job, TExistingOutput existing,
                                             const TQueueItem* self)
{
    Assignment a;
    a.wanted = job.OutputFile();
    if (a.wanted.isEmpty()) {
        a.path = a.wanted;
        return a;
    }
    const QString wantedKey = PathKey(a.wanted);
    const auto first = m_wanted.constFind(wantedKey);
    if (first != m_wanted.cend())
        a.clashWith = first.value();
    else
        m_wanted.insert(wantedKey, self);

    // In queue order, the first job keeps the path, every later one takes the
    // next number that no job of this run has; keeping both files also steps
    // over numbers that files on disk have.
    QString path = a.wanted;
    QString key = wantedKey;
    int n = 1;
    while (m_given.contains(key)) {
        path = Numbered(a.wanted, ++n);
        key = PathKey(path);
    }
    a.existed = Exists(path);
    if (a.existed && existing == TExistingOutput::KeepBoth) {
        while (m_given.contains(key) || Exists(path)) {
            path = Numbered(a.wanted, ++n);
            key = PathKey(path);
        }
    }
    a.skip = a.existed && existing == TExistingOutput::Skip;
    a.replace = a.existed && existing == TExistingOutput::Overwrite;

    m_given.insert(key, self);
    if (path != a.wanted)
        job.SetOutputFile(path);
    a.path = path;
    return a;
}
