#include "outputnamer.h"

#include "naming.h"
#include "paths.h"
#include "queueitem.h"

#include <QCoreApplication>
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

// The key of a path as a file system of kind fold compares it below base.
QString Key(const QString& path, qsizetype baseSize, TFsKind fold)
{
    if (!NameRules::CaseInsensitive(fold))
        return PathKey(path);
    return PathKey(path.left(baseSize) + NameRules::FoldCase(path.mid(baseSize), fold));
}

// Every entry of folder, by its key as fold compares names.
QHash<QString, QString> Listing(const QString& folder, TFsKind fold)
{
    // As QFileInfo::exists() sees it: links are followed, so a broken one is
    // no file.
    const QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    QHash<QString, QString> byKey;
    byKey.reserve(names.size());
    for (const QString& name : names)
        byKey.insert(NameRules::FoldCase(name, fold), name);
    return byKey;
}

} // namespace

QString TOutputNamer::Numbered(const QString& path, int n, const NameRules::TTarget& target)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    const QString number = QStringLiteral(" (%1)").arg(n);
    // The number must fit inside the longest name, so the stem may give way.
    const QString folder = path.left(slash + 1);
    if (dot <= slash)
        return folder + NameRules::Fit(path.mid(slash + 1), number, target);
    return folder
           + NameRules::Fit(path.mid(slash + 1, dot - slash - 1), number + path.mid(dot), target);
}

TFsKind TOutputNamer::KindOf(const QString& base)
{
    const auto it = m_kinds.constFind(base);
    if (it != m_kinds.cend())
        return it.value();
    const TFsKind kind = m_probe.KindOf(base);
    m_kinds.insert(base, kind);
    return kind;
}

QString TOutputNamer::Existing(const QString& path, TFsKind fold)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString folder = path.left(slash + 1);
    const QString name = path.mid(slash + 1);
    const bool folded = NameRules::CaseInsensitive(fold);
    if (!m_rememberFolders) {
        if (QFileInfo::exists(path))
            return name;
        // Where case does not count, a file of another spelling is there
        // too, even when the driver on Linux tells them apart.
        if (!folded || !QFileInfo(folder).isDir())
            return QString();
        return Listing(folder, fold).value(NameRules::FoldCase(name, fold));
    }
    auto it = m_folders.find(folder);
    if (it == m_folders.end()) {
        Folder f;
        f.exists = QFileInfo(folder).isDir();
        it = m_folders.insert(folder, f);
    }
    Folder& f = it.value();
    if (!f.exists)
        return QString();
    // A listing costs about as much as a few dozen look-ups; a folder that
    // many outputs go into is cheaper listed (and thousands of them are).
    constexpr int kListAfter = 32;
    if (!f.listed && (folded || ++f.asked > kListAfter)) {
        f.names = Listing(folder, fold);
        f.listed = true;
    }
    if (f.listed)
        return f.names.value(NameRules::FoldCase(name, fold));
    return QFileInfo::exists(path) ? name : QString();
}

QString TOutputNamer::SpellFolders(const QString& wanted, qsizetype baseSize, TFsKind fold,
                                   QStringList* notes)
{
    const qsizetype lastSlash = wanted.lastIndexOf(u'/');
    if (lastSlash < baseSize)
        return wanted;
    QString spelled = wanted.left(baseSize);
    const QStringList folders = wanted.mid(baseSize, lastSlash - baseSize).split(u'/');
    for (const QString& name : folders) {
        const QString parent = spelled;
        const QString own = parent + name;
        const QString key = Key(own, baseSize, fold);
        auto it = m_folderSpelling.constFind(key);
        if (it == m_folderSpelling.cend()) {
            // A folder already on disk keeps its spelling.
            QString first = own;
            if (!name.isEmpty() && !QFileInfo(own).isDir() && QFileInfo(parent).isDir()) {
                const QString onDisk = Listing(parent, fold).value(NameRules::FoldCase(name, fold));
                if (!onDisk.isEmpty() && QFileInfo(parent + onDisk).isDir())
                    first = parent + onDisk;
            }
            it = m_folderSpelling.insert(key, first);
        }
        const QString& first = it.value();
        if (first != own && notes) {
            const QString note =
                QCoreApplication::translate("NameRules", "На носителе %1 «%2» и «%3» — одна папка")
                    .arg(FileSystemKind::Name(fold), Paths::NamePart(first), name);
            if (!notes->contains(note))
                notes->append(note);
        }
        spelled = first + u'/';
    }
    return spelled + wanted.mid(lastSlash + 1);
}

TOutputNamer::Assignment TOutputNamer::Assign(TQueueItem& job, const ProgramSettings& settings,
                                              int mode, TExistingOutput existing,
                                              const TQueueItem* self)
{
    const QString base = Naming::OutputBase(job, settings);
    const TFsKind kind = KindOf(base);
    const NameRules::TTarget target{kind, settings.PortableNames};
    Assignment a;
    BuildOutputPath(job, m_tree, settings, mode, kind, &a.notes);
    return Place(job, existing, self, base.size(), target, std::move(a));
}

TOutputNamer::Assignment TOutputNamer::AssignGiven(TQueueItem& job, const QString& path,
                                                   TExistingOutput existing,
                                                   const TQueueItem* self)
{
    // The path was made for its file system when the plan was made; here it
    // is only compared as that file system compares names.
    job.SetOutputFile(path);
    const QString folder = path.left(path.lastIndexOf(u'/') + 1);
    const NameRules::TTarget target{KindOf(folder), false};
    return Place(job, existing, self, folder.size(), target, Assignment());
}

TOutputNamer::Assignment TOutputNamer::Place(TQueueItem& job, TExistingOutput existing,
                                             const TQueueItem* self, qsizetype baseSize,
                                             const NameRules::TTarget& target, Assignment a)
{
    const TFsKind fold = target.Rules();
    a.wanted = job.OutputFile();
    if (a.wanted.isEmpty()) {
        a.path = a.wanted;
        return a;
    }
    if (NameRules::CaseInsensitive(fold)) {
        a.wanted = SpellFolders(a.wanted, baseSize, fold, &a.notes);
        job.SetOutputFile(a.wanted);
    }
    const QString wantedKey = Key(a.wanted, baseSize, fold);
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
        path = Numbered(a.wanted, ++n, target);
        key = Key(path, baseSize, fold);
    }
    a.existed = !Existing(path, fold).isEmpty();
    if (a.existed && existing == TExistingOutput::KeepBoth) {
        while (m_given.contains(key) || !Existing(path, fold).isEmpty()) {
            path = Numbered(a.wanted, ++n, target);
            key = Key(path, baseSize, fold);
        }
    }
    a.skip = a.existed && existing == TExistingOutput::Skip;
    a.replace = a.existed && existing == TExistingOutput::Overwrite;
    // The file replaced is the one there, in its spelling, not a second one
    // beside it (where the driver tells case, as ntfs-3g does).
    if (a.replace && NameRules::CaseInsensitive(fold)) {
        const QString folder = path.left(path.lastIndexOf(u'/') + 1);
        const QString there =
            Listing(folder, fold).value(NameRules::FoldCase(Paths::NamePart(path), fold));
        if (!there.isEmpty())
            path = folder + there;
    }

    m_given.insert(key, self);
    if (path != job.OutputFile())
        job.SetOutputFile(path);
    a.path = path;
    return a;
}
