// Output naming: any target folder, patterns and tag texts, over a run of a
// few jobs. Nothing may crash; every output path starts with the target folder
// (or, with no target, the source's own folder), carries the mode's extension
// and has its folder part as OutputDir; a title met again in the same artist
// and album gets the track number it got the first time; text without "%"
// comes through unchanged.

#include "fuzzinput.h"
#include "naming.h"
#include "namingtree.h"
#include "paths.h"
#include "programsettings.h"
#include "queue.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QStringList>

namespace {

QStringList g_sources;

void SetTags(TQueueItem& job, Fuzz::TFields& in)
{
    job.SetInputFile(g_sources.at(qsizetype(in.Number() % unsigned(g_sources.size()))));
    job.SetTitle(in.Text());
    job.SetArtist(in.Text());
    job.SetAlbum(in.Text());
    job.SetYear(in.Text());
    job.SetComment(in.Text());
    const unsigned n = in.Number();
    job.SetGenre(quint8(n));
    job.SetTrack(quint8(n >> 8));
    job.AutoTrack = (n >> 16 & 1) != 0;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const QString folder = Fuzz::ScratchDir() + QStringLiteral("/Music/");
    QDir().mkpath(folder);
    for (const char* name : {"song.wav", "live.2001.wav", "noext", ".hidden", "a%1b.wav",
                             "new\nline.wav", "\xce\xa9 \xc3\xbc.wav", "-dash.wav", "x.", "%"}) {
        const QString path = folder + QString::fromUtf8(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            std::abort();
        g_sources << path;
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::TFields in(data, size);
    ProgramSettings s;
    s.TargetDirectory = in.Text();
    s.ArtistFolderFormat = in.Text();
    s.AlbumFolderFormat = in.Text();
    s.FileNameFormat = in.Text();
    const unsigned flags = in.Number();
    s.CreateSubFolders = (flags & 1) != 0;
    const int mode = int(flags >> 1 & 3); // 2 and 3 are modes the naming does not know

    TQueue queue;
    TNamingTree tree;
    // (artist, album, title) as typed -> the track the run gave it
    QHash<QString, quint8> tracks;
    for (int j = 0; j < 8 && (j == 0 || in.Bytes() == "job"); ++j) {
        TQueueItem& job = *queue.Add();
        SetTags(job, in);
        const QString before = QStringLiteral("untouched");
        job.SetOutputFile(before);

        BuildOutputPath(job, tree, s, mode);

        const QString out = job.OutputFile();
        if (mode > 1) {
            Fuzz::Check(out == before, "an unknown mode changed the output path", out);
            continue;
        }
        QString base = s.TargetDirectory.isEmpty() ? Paths::FolderPart(job.InputFile())
                                                   : s.TargetDirectory;
        if (!base.endsWith(u'/'))
            base += u'/';
        Fuzz::Check(out.startsWith(base), "output path outside the target folder",
                    base + u'\n' + out);
        Fuzz::Check(out.endsWith(mode == 0 ? u".mp3" : u".wav"), "wrong extension", out);
        Fuzz::Check(job.OutputDir() == Paths::FolderPart(out) && job.OutputDir().endsWith(u'/'),
                    "OutputDir is not the folder part of the output path", out);

        if (job.AutoTrack) {
            const QString key = job.Artist() + QChar(0) + job.Album() + QChar(0) + job.Title();
            const auto seen = tracks.constFind(key);
            if (seen != tracks.cend())
                Fuzz::Check(*seen == job.Track(), "a title met again got another track", out);
            else
                tracks.insert(key, job.Track());
        }

        // No name below the target is longer than a file system takes.
        for (const QString& name : out.mid(base.size()).split(u'/'))
            Fuzz::Check(name.toUtf8().size() <= Naming::MaxNameBytes, "a name over 255 bytes", out);

        // Text without codes comes through as it stands, unless it must be
        // shortened to fit.
        const QString plain =
            s.FileNameFormat + (mode == 0 ? QStringLiteral(".mp3") : QStringLiteral(".wav"));
        bool fits = true;
        for (const QString& name : plain.split(u'/'))
            fits = fits && name.toUtf8().size() <= Naming::MaxNameBytes;
        if (!s.CreateSubFolders && !s.FileNameFormat.contains(u'%') && fits)
            Fuzz::Check(out == base + plain,
                        "a pattern without codes did not come through unchanged", out);
        for (const auto kind : {Naming::PatternKind::FileName, Naming::PatternKind::ArtistFolder,
                                Naming::PatternKind::AlbumFolder}) {
            const QString& p = s.ArtistFolderFormat;
            if (!p.contains(u'%'))
                Fuzz::Check(Naming::ExpandPattern(p, kind, job, {}) == p,
                            "text without codes changed", p);
        }
    }
    return 0;
}
