// The encoder's command line: any tag texts, paths and compression values.
// The argument list is read back the way lame reads its command line: every
// option that takes a value consumes the next argument whatever it holds, the
// rest are flags or file names. Each tag text must come back exactly as one
// value of its own option, nothing else may come from a tag, exactly two file
// names must remain (the job's source and output, as absolute paths, so that
// none can be read as an option and lame, which runs in another folder, finds
// the same files), and the option string shown to the user must say the same.
// The job's own LAME options, when the checker accepts them, must come right
// before the two files and be read by lame's own rules (long options without
// case, short ones grouped, values attached or next) as options only: none of
// them a file name and none one that Tessary sets or that would change the
// files lame reads or writes.

#include "cmdline.h"
#include "fuzzinput.h"
#include "lameoptions.h"
#include "queue.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSet>
#include <QStringList>

namespace {

QStringList g_sources;

const QSet<QString> kTextOptions{QStringLiteral("--tt"), QStringLiteral("--ta"),
                                 QStringLiteral("--tl"), QStringLiteral("--ty"),
                                 QStringLiteral("--tc")};
const QSet<QString> kNumberOptions{QStringLiteral("-m"),  QStringLiteral("-q"),
                                   QStringLiteral("-b"),  QStringLiteral("--abr"),
                                   QStringLiteral("-V"),  QStringLiteral("-B"),
                                   QStringLiteral("--resample"), QStringLiteral("--tg"),
                                   QStringLiteral("--tn")};
const QSet<QString> kFlags{QStringLiteral("--vbr-new"),    QStringLiteral("--vbr-old"),
                           QStringLiteral("-c"),           QStringLiteral("-o"),
                           QStringLiteral("-p"),           QStringLiteral("-k"),
                           QStringLiteral("--add-id3v2"),  QStringLiteral("--id3v1-only"),
                           QStringLiteral("--id3v2-only"), QStringLiteral("--decode")};

bool IsPlainValue(const QString& v)
{
    static const QSet<QString> channels{QStringLiteral("j"), QStringLiteral("s"),
                                        QStringLiteral("f"), QStringLiteral("m"),
                                        QStringLiteral("a")};
    if (channels.contains(v))
        return true;
    if (v.isEmpty())
        return false;
    for (const QChar c : v) {
        if (!(c.unicode() >= u'0' && c.unicode() <= u'9') && c != u'.')
            return false;
    }
    return true;
}

// lame 3.100's options that take a value, and those an extra option must
// never be: what lame reads as files, modes or the panel's and tags' own.
const QSet<QString> kLongWithValue{
    "scale", "scale-l", "scale-r", "gain", "nogapout", "out-dir", "bitwidth", "preset", "comp",
    "noasm", "disptime", "abr", "buffer-constraint", "lowpass", "lowpass-width", "highpass",
    "highpass-width", "resample", "tt", "ta", "tl", "ty", "tc", "tn", "tg", "ti", "tv",
    "pad-id3v2-size"};
const QString kShortWithValue = QStringLiteral("smqbBVXe");
const QSet<QString> kLongNever{"decode", "nogap", "nogapout", "out-dir", "mp1input", "mp2input",
                               "mp3input", "quiet", "silent", "tt", "ta", "tl", "ty", "tc", "tn",
                               "tg", "ti", "tv", "add-id3v2", "id3v1-only", "id3v2-only",
                               "preset", "resample", "abr", "cbr", "vbr-new", "vbr-old", "help",
                               "version", "license", "genre-list"};
const QString kShortNever = QStringLiteral("rsxmqhfbBVvcopkS?");

// Reads the extra arguments as lame does; a failure names what went wrong.
void CheckExtras(const QStringList& extras, const QString& detail)
{
    for (qsizetype i = 0; i < extras.size(); ++i) {
        const QString& arg = extras[i];
        Fuzz::Check(arg.size() >= 2 && arg[0] == u'-', "an extra option is a file name", detail);
        if (arg.startsWith(QStringLiteral("--"))) {
            const QString name = arg.mid(2).toLower();
            Fuzz::Check(!kLongNever.contains(name), "a forbidden long option got through", detail);
            if (kLongWithValue.contains(name)) {
                Fuzz::Check(i + 1 < extras.size(), "an extra option lacks its value", detail);
                ++i;
            }
            continue;
        }
        for (qsizetype k = 1; k < arg.size(); ++k) {
            Fuzz::Check(!kShortNever.contains(arg[k]), "a forbidden short option got through",
                        detail);
            if (kShortWithValue.contains(arg[k])) {
                if (k + 1 == arg.size()) {
                    Fuzz::Check(i + 1 < extras.size(), "an extra option lacks its value", detail);
                    ++i;
                }
                break;
            }
        }
    }
}

QString Absolute(const QString& path)
{
    return path.isEmpty() || QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const QString folder = Fuzz::ScratchDir() + QStringLiteral("/Music/");
    QDir().mkpath(folder);
    // The relative ones are found from the current folder, as a path typed
    // into a field would be.
    QDir::setCurrent(folder);
    for (const char* name : {"song.wav", "-dash.wav", "has \"quote\".wav", "new\nline.wav",
                             "--decode", "-"}) {
        QFile f(folder + QString::fromUtf8(name));
        if (!f.open(QIODevice::WriteOnly))
            std::abort();
        g_sources << folder + QString::fromUtf8(name) << QString::fromUtf8(name);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::TFields in(data, size);
    TQueue queue;
    TQueueItem& job = *queue.Add();
    job.SetTitle(in.Text());
    job.SetArtist(in.Text());
    job.SetAlbum(in.Text());
    job.SetYear(in.Text());
    job.SetComment(in.Text());
    job.SetInputFile(g_sources.at(qsizetype(in.Number() % unsigned(g_sources.size()))));
    job.SetOutputFile(in.Text());
    const unsigned a = in.Number();
    const unsigned b = in.Number();
    const int mode = int(a & 3);
    job.SetMode(TMode(quint8(a >> 2)));
    job.SetAlgorithm(TAlgorithm(quint8(a >> 10) % 4));
    job.SetQuality(quint8(a >> 12) % 12);
    job.SetVBRQuality(quint8(a >> 16) % 12);
    job.SetFrequency(quint8(a >> 20) % 12);
    job.SetId3v1(a >> 24 & 1);
    job.SetId3v2(a >> 25 & 1);
    job.SetVBRNew(a >> 26 & 1);
    job.SetCopyrighted(a >> 27 & 1);
    job.SetCRCs(a >> 28 & 1);
    job.SetNonOriginal(a >> 29 & 1);
    job.SetKeepFreq(a >> 30 & 1);
    job.SetGenre(quint8(b));
    job.SetTrack(quint8(b >> 8));
    job.SetABitrate(int(b >> 16 & 0x1ff));
    job.SetMinBitrate(int(b >> 20 & 0x1ff));
    job.SetMaxBitrate(int(b >> 23 & 0x1ff));
    const QString extraText = in.Text();
    const bool extraTaken = job.SetExtraOptions(extraText);
    Fuzz::Check(extraTaken == LameOptions::Problem(extraText).isEmpty(),
                "the job and the checker disagree", extraText);

    QStringList args = JobArguments(job, mode);
    // The extra options lie right before the files; the rest is read as before.
    const QStringList extras = mode == 0 ? LameOptions::Arguments(job.ExtraOptions()) : QStringList();
    Fuzz::Check(args.size() >= extras.size() + 2, "the extra options went missing",
                args.join(u'\n'));
    const qsizetype extraAt = args.size() - 2 - extras.size();
    Fuzz::Check(args.mid(extraAt, extras.size()) == extras, "the extra options moved",
                args.join(u'\n'));
    CheckExtras(extras, args.join(u'\n'));
    args.remove(extraAt, extras.size());
    const QString detail = args.join(QStringLiteral("\n"));
    QMap<QString, QString> texts;
    QStringList files;
    QString shown; // the option string rebuilt from what lame would see
    const auto show = [&shown](const QString& piece) {
        if (!shown.isEmpty())
            shown += u' ';
        shown += piece;
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (kTextOptions.contains(arg) || kNumberOptions.contains(arg)) {
            Fuzz::Check(i + 1 < args.size(), "an option lacks its value", detail);
            const QString& value = args[++i];
            if (kTextOptions.contains(arg)) {
                Fuzz::Check(!texts.contains(arg), "a tag option given twice", detail);
                texts.insert(arg, value);
                show(arg);
                show(u'"' + value + u'"');
            } else {
                Fuzz::Check(IsPlainValue(value), "a number option with a strange value", detail);
                show(arg);
                show(value);
            }
        } else if (kFlags.contains(arg)) {
            show(arg);
        } else {
            Fuzz::Check(!arg.startsWith(u'-'), "lame would read a file name as an option", detail);
            files << arg;
        }
    }

    Fuzz::Check(files.size() == 2, "not exactly two file names", detail);
    Fuzz::Check(files[0] == Absolute(job.InputFile()), "the source is not the job's", detail);
    Fuzz::Check(files[1] == Absolute(job.OutputFile()), "the output is not the job's", detail);

    QMap<QString, QString> expected;
    if (mode == 0 && (job.Id3v1() || job.Id3v2())) {
        const std::pair<const char*, QString> tags[] = {{"--tt", job.Title()},
                                                        {"--ta", job.Artist()},
                                                        {"--tl", job.Album()},
                                                        {"--ty", job.Year()},
                                                        {"--tc", job.Comment()}};
        for (const auto& [option, text] : tags) {
            if (!text.isEmpty())
                expected.insert(QString::fromLatin1(option), text);
        }
    }
    Fuzz::Check(texts == expected, "the tag texts do not come back one to one", detail);

    for (const QString& e : extras)
        show(LameOptions::Shown(e));
    show(u'"' + job.InputFile() + u'"');
    show(u'"' + job.OutputFile() + u'"');
    Fuzz::Check(JobOptions(job, mode) == shown, "option string and argument list differ",
                JobOptions(job, mode) + u'\n' + shown);
    return 0;
}
