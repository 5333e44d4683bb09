#include "naming.h"

#include "genres.h"
#include "namingtree.h"
#include "paths.h"
#include "programsettings.h"
#include "queueitem.h"

#include <QDir>
#include <QFileInfo>

namespace Naming {

QString TwoDigits(int n)
{
    return n < 10 ? u'0' + QString::number(n) : QString::number(n);
}

QString SourceBaseName(const QString& inputFile)
{
    const QString name = Paths::NamePart(inputFile);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

namespace {

// The value of code c for the pattern kind, or false when the kind does not know it.
bool CodeValue(QChar c, PatternKind kind, const TQueueItem& job, const Counters& n,
               QString* out)
{
    const bool file = kind == PatternKind::FileName;
    const bool album = kind == PatternKind::AlbumFolder;
    switch (c.unicode()) {
    case u'0': if (!file) return false; *out = SourceBaseName(job.InputFile()); return true;
    case u'1': if (!file) return false; *out = job.Title(); return true;
    case u'2': *out = job.Artist(); return true;
    case u'3': if (!file && !album) return false; *out = job.Album(); return true;
    case u'4': if (!file && !album) return false; *out = job.Year(); return true;
    case u'5': *out = GenreName(job.Genre()); return true;
    case u'6': *out = job.Comment(); return true;
    case u'7':
    case u'8': {
        const int v = file ? job.Track() : (album ? n.albumPosition : n.artistPosition) + 1;
        *out = c == u'7' ? QString::number(v) : TwoDigits(v);
        return true;
    }
    default: return false;
    }
}

} // namespace

QString ExpandPattern(const QString& pattern, PatternKind kind, const TQueueItem& job,
                      const Counters& counters)
{
    return ExpandPattern(pattern, kind, job, counters, {});
}

QString ExpandPattern(const QString& pattern, PatternKind kind, const TQueueItem& job,
                      const Counters& counters,
                      const std::function<QString(const QString&)>& filter)
{
    QString out;
    out.reserve(pattern.size() + 32);
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c != u'%' || i + 1 >= pattern.size()) {
            out += c;
            continue;
        }
        const QChar code = pattern[++i];
        QString value;
        if (code == u'%')
            out += u'%';
        else if (CodeValue(code, kind, job, counters, &value))
            out += filter ? filter(value) : value;
        else
            out += u'%' + QString(code);
    }
    return out;
}

QString FitName(const QString& name, const QString& extension, qsizetype maxBytes)
{
    QString stem = name;
    const qsizetype room = maxBytes - extension.toUtf8().size();
    // Whole characters come off the end; a surrogate pair goes as one.
    while (!stem.isEmpty() && stem.toUtf8().size() > room) {
        stem.chop(1);
        if (!stem.isEmpty() && stem.back().isHighSurrogate())
            stem.chop(1);
    }
    return stem + extension;
}

} // namespace Naming

QString Naming::OutputBase(const TQueueItem& job, const ProgramSettings& settings)
{
    QString base = settings.TargetDirectory;
    if (base.isEmpty())
        base = Paths::FolderPart(job.InputFile());
    if (!base.endsWith(u'/'))
        base += u'/';
    return base;
}

void BuildOutputPath(TQueueItem& job, TNamingTree& tree, const ProgramSettings& settings,
                     int mode)
{
    BuildOutputPath(job, tree, settings, mode, TFsKind::Other, nullptr);
}

void BuildOutputPath(TQueueItem& job, TNamingTree& tree, const ProgramSettings& settings,
                     int mode, TFsKind kind, QStringList* notes)
{
    const QString base = Naming::OutputBase(job, settings);
    QString path; // below the base

    const TNamingTree::Position pos = tree.Enter(job.Artist(), job.Album(), job.Title());
    if (job.AutoTrack)
        job.SetTrack(quint8(pos.title + 1));

    const NameRules::TTarget target{kind, settings.PortableNames};
    const auto value = [&target, notes](const QString& v) {
        return NameRules::AdaptValue(v, target, notes);
    };
    const Naming::Counters counters{pos.artist, pos.album};
    using Naming::PatternKind;
    if (settings.CreateSubFolders) {
        path += Naming::ExpandPattern(settings.ArtistFolderFormat, PatternKind::ArtistFolder, job,
                                      counters, value) + u'/';
        path += Naming::ExpandPattern(settings.AlbumFolderFormat, PatternKind::AlbumFolder, job,
                                      counters, value) + u'/';
    }
    path += Naming::ExpandPattern(settings.FileNameFormat, PatternKind::FileName, job, counters,
                                  value);
    if (mode != 0 && mode != 1)
        return;

    // Every part is made acceptable to the target; even on Linux's own file
    // systems a name can be too long (lame would fail with "Can't init
    // outfile"), and "." or ".." would lead out of the target folder.
    const QString extension = mode == 0 ? QStringLiteral(".mp3") : QStringLiteral(".wav");
    QStringList names = path.split(u'/');
    for (qsizetype i = 0; i < names.size(); ++i) {
        const bool last = i + 1 == names.size();
        names[i] = NameRules::AdaptPart(names[i], last ? extension : QString(), target, notes);
    }
    job.SetOutputFile(base + names.join(u'/') + extension);
}

bool EnsureOutputDir(const QString& dir)
{
    if (dir.isEmpty())
        return false;
    if (QFileInfo(dir).isDir())
        return true;
    // mkpath creates every missing level from the top down; a level that
    // exists as a regular file makes it fail, which is what we want.
    return QDir().mkpath(dir) && QFileInfo(dir).isDir();
}
