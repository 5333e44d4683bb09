// Output naming: any target folder, patterns and tag texts, for any kind of
// file system and either "File names" setting, over a run of a few jobs.
// Nothing may crash; every output path starts with the target folder (or,
// with no target, the source's own folder) and no part below it is "." or
// "..", so it lies inside that folder; it carries the mode's extension and
// has its folder part as OutputDir; a title met again in the same artist and
// album gets the track number it got the first time; text without "%" comes
// through unchanged where nothing in it needs adapting. Names for FAT,
// exFAT, NTFS and SMB (or for any medium) hold no refused character, no
// reserved device name, no folder ending in a dot or space and no more than
// 255 UTF-16 units; with names for any medium a tag adds no folder level.

#include "fuzzinput.h"
#include "namerules.h"
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
    s.PortableNames = (flags >> 3 & 1) != 0;
    const auto kind = TFsKind((flags >> 4) % 5);
    const NameRules::TTarget target{kind, s.PortableNames};

    TQueue queue;
    TNamingTree tree;
    // (artist, album, title) as typed -> the track the run gave it
    QHash<QString, quint8> tracks;
    for (int j = 0; j < 8 && (j == 0 || in.Bytes() == "job"); ++j) {
        TQueueItem& job = *queue.Add();
        SetTags(job, in);
        const QString before = QStringLiteral("untouched");
        job.SetOutputFile(before);

        QStringList notes;
        BuildOutputPath(job, tree, s, mode, kind, &notes);

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

        const QStringList names = out.mid(base.size()).split(u'/');
        for (qsizetype i = 0; i < names.size(); ++i) {
            const QString& name = names[i];
            // Never outside the target folder.
            Fuzz::Check(name != u"." && name != u"..", "a '.' or '..' level below the target", out);
            // No name below the target is longer than the file system takes.
            if (kind == TFsKind::Other)
                Fuzz::Check(name.toUtf8().size() <= Naming::MaxNameBytes, "a name over 255 bytes",
                            out);
            if (!target.Restricted())
                continue;
            Fuzz::Check(name.size() <= 255, "a name over 255 UTF-16 units", out);
            for (const QChar c : name)
                Fuzz::Check(c.unicode() >= 0x20 && !QStringView(u"<>:\"\\|?*").contains(c),
                            "a refused character", out);
            Fuzz::Check(NameRules::ReservedDevice(name).isEmpty(), "a reserved device name", out);
            if (i + 1 < names.size())
                Fuzz::Check(!name.endsWith(u'.') && !name.endsWith(u' '),
                            "a folder ending in a dot or space", out);
        }
        if (s.PortableNames) {
            // Only the patterns' own "/" make levels.
            qsizetype levels = s.FileNameFormat.count(u'/');
            if (s.CreateSubFolders)
                levels += 2 + s.ArtistFolderFormat.count(u'/') + s.AlbumFolderFormat.count(u'/');
            Fuzz::Check(names.size() - 1 == levels, "a tag added a folder level", out);
        }

        // Text without codes comes through as it stands, unless it must be
        // shortened to fit.
        const QString plain =
            s.FileNameFormat + (mode == 0 ? QStringLiteral(".mp3") : QStringLiteral(".wav"));
        bool fits = !target.Restricted() && !plain.contains(QChar(0));
        for (const QString& name : plain.split(u'/'))
            fits = fits && name.toUtf8().size() <= Naming::MaxNameBytes && name != u"."
                   && name != u"..";
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
