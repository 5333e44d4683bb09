#include "cmdline.h"

#include "lameoptions.h"
#include "queueitem.h"

#include <QDir>

#include <vector>

namespace {

struct Piece
{
    QString text;
    bool quoted = false;
    bool path = false;
    bool extra = false; // one of the user's own options, shown as LameOptions shows it
};

void Add(std::vector<Piece>& out, const QString& text, bool quoted = false)
{
    out.push_back({text, quoted});
}

void AddPath(std::vector<Piece>& out, const QString& path)
{
    out.push_back({path, true, true});
}

void AddNumber(std::vector<Piece>& out, const char* option, int n)
{
    Add(out, QString::fromLatin1(option));
    Add(out, QString::number(n));
}

const char* ChannelMode(TMode m)
{
    switch (m) {
    case Joint_stereo: return "j";
    case Stereo: return "s";
    case Force: return "f";
    case Mono: return "m";
    case Auto: return "a";
    default: return nullptr;
    }
}

} // namespace

bool FitsId3v1(const TQueueItem& job)
{
    for (const QString* text : {&job.Title(), &job.Artist(), &job.Album(), &job.Year(),
                                &job.Comment()}) {
        for (const QChar c : *text) {
            if (c.unicode() > 0xff)
                return false;
        }
    }
    return true;
}

namespace {

void AddEncoding(std::vector<Piece>& out, const TQueueItem& job)
{
    if (const char* m = ChannelMode(job.Mode())) {
        Add(out, QStringLiteral("-m"));
        Add(out, QString::fromLatin1(m));
    }
    AddNumber(out, "-q", job.Quality());

    switch (job.Algorithm()) {
    case CBR: AddNumber(out, "-b", job.ABitrate()); break;
    case ABR: AddNumber(out, "--abr", job.ABitrate()); break;
    case VBR:
        Add(out, job.VBRNew() ? QStringLiteral("--vbr-new") : QStringLiteral("--vbr-old"));
        AddNumber(out, "-V", job.VBRQuality());
        AddNumber(out, "-b", job.MinBitrate());
        AddNumber(out, "-B", job.MaxBitrate());
        break;
    default: break; // an out-of-range method adds nothing
    }

    if (job.Copyrighted())
        Add(out, QStringLiteral("-c"));
    if (job.NonOriginal())
        Add(out, QStringLiteral("-o"));
    if (job.CRCs())
        Add(out, QStringLiteral("-p"));
    if (job.KeepFreq())
        Add(out, QStringLiteral("-k"));

    static const char* const rates[] = {"48", "44.1", "32",     "24", "22.05",
                                        "16", "12",   "11.025", "8"};
    if (job.Frequency() >= 1 && job.Frequency() <= 9) {
        Add(out, QStringLiteral("--resample"));
        Add(out, QString::fromLatin1(rates[job.Frequency() - 1]));
    }

    if (!job.Id3v1() && !job.Id3v2())
        return;
    const std::pair<const char*, const QString*> texts[] = {
        {"--tt", &job.Title()}, {"--ta", &job.Artist()}, {"--tl", &job.Album()},
        {"--ty", &job.Year()},  {"--tc", &job.Comment()}};
    for (const auto& [option, text] : texts) {
        if (!text->isEmpty()) {
            Add(out, QString::fromLatin1(option));
            Add(out, *text, true);
        }
    }
    if (job.Genre() < 148)
        AddNumber(out, "--tg", job.Genre());
    if (job.Track() > 0)
        AddNumber(out, "--tn", job.Track());
    // ID3v1 holds only Latin-1; text beyond it (Cyrillic, say) would come out
    // as "?", so such a job gets an ID3v2 tag beside it.
    const bool v2 = job.Id3v2() || !FitsId3v1(job);
    if (job.Id3v1() && v2)
        Add(out, QStringLiteral("--add-id3v2"));
    else if (job.Id3v1())
        Add(out, QStringLiteral("--id3v1-only"));
    else
        Add(out, QStringLiteral("--id3v2-only"));
}

std::vector<Piece> Build(const TQueueItem& job, int mode, const QString& outputPath)
{
    std::vector<Piece> out;
    if (mode == 0) {
        AddEncoding(out, job);
        // After Tessary's own options; accepted ones only, so none of them
        // can name a file or undo what the panel and the tags set.
        for (const QString& arg : LameOptions::Arguments(job.ExtraOptions()))
            out.push_back({arg, false, false, true});
    } else if (mode == 1) {
        Add(out, QStringLiteral("--decode"));
    }
    AddPath(out, job.InputFile());
    AddPath(out, outputPath);
    return out;
}

} // namespace

QString JobOptions(const TQueueItem& job, int mode)
{
    QString s;
    for (const Piece& p : Build(job, mode, job.OutputFile())) {
        if (!s.isEmpty())
            s += u' ';
        if (p.extra)
            s += LameOptions::Shown(p.text);
        else if (p.quoted)
            s += u'"' + p.text + u'"';
        else
            s += p.text;
    }
    return s;
}

QStringList JobArguments(const TQueueItem& job, int mode)
{
    return JobArguments(job, mode, job.OutputFile());
}

QStringList JobArguments(const TQueueItem& job, int mode, const QString& outputPath)
{
    QStringList args;
    for (const Piece& p : Build(job, mode, outputPath)) {
        // lame runs in the program's folder and reads a relative path that
        // starts with "-" as an option: it gets each path as we mean it.
        if (p.path && !p.text.isEmpty() && QDir::isRelativePath(p.text))
            args << QDir::current().absoluteFilePath(p.text);
        else
            args << p.text;
    }
    return args;
}

// Both rely on the list ending in the input and output paths.
void PipeInput(QStringList& arguments)
{
    if (arguments.size() >= 2)
        arguments[arguments.size() - 2] = QStringLiteral("-");
}

void AddCoverArt(QStringList& arguments, const QString& picture)
{
    if (arguments.size() >= 2)
    {
        const qsizetype at = arguments.size() - 2;
        arguments.insert(at, picture);
        arguments.insert(at, QStringLiteral("--ti"));
    }
}
