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
            out += value;
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

namespace {

// Every name of the path below base that is too long for the file system is
// shortened; the last one keeps its extension.
QString FitComponents(const QString& base, const QString& below, const QString& extension)
{
    QStringList names = below.split(u'/');
    bool changed = false;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const bool last = i + 1 == names.size();
        const qsizetype bytes = names[i].toUtf8().size() + (last ? extension.toUtf8().size() : 0);
        if (bytes > Naming::MaxNameBytes) {
            names[i] = Naming::FitName(names[i], last ? extension : QString());
            if (last)
                names[i].chop(extension.size());
            changed = true;
        }
    }
    return base + (changed ? names.join(u'/') : below) + extension;
}

} // namespace

void BuildOutputPath(TQueueItem& job, TNamingTree& tree, const ProgramSettings& settings,
                     int mode)
{
    QString base = settings.TargetDirectory;
    if (base.isEmpty())
        base = Paths::FolderPart(job.InputFile());
    if (!base.endsWith(u'/'))
        base += u'/';
    QString path; // below the base

    const TNamingTree::Position pos = tree.Enter(job.Artist(), job.Album(), job.Title());
    if (job.AutoTrack)
        job.SetTrack(quint8(pos.title + 1));

    const Naming::Counters counters{pos.artist, pos.album};
    using Naming::PatternKind;
    if (settings.CreateSubFolders) {
        path += Naming::ExpandPattern(settings.ArtistFolderFormat, PatternKind::ArtistFolder, job,
                                      counters) + u'/';
        path += Naming::ExpandPattern(settings.AlbumFolderFormat, PatternKind::AlbumFolder, job,
                                      counters) + u'/';
    }
    path += Naming::ExpandPattern(settings.FileNameFormat, PatternKind::FileName, job, counters);

    // Tags can make a name longer than the file system takes (255 bytes);
    // lame would fail with "Can't init outfile".
    if (mode == 0)
        job.SetOutputFile(FitComponents(base, path, QStringLiteral(".mp3")));
    else if (mode == 1)
        job.SetOutputFile(FitComponents(base, path, QStringLiteral(".wav")));
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
