#include "queuefile.h"

#include "lameoptions.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <cmath>
#include <limits>
#include <optional>
#include <type_traits>

namespace {

const QString kFormat = QStringLiteral("tessary-queue");

QString Tr(const char* text)
{
    return QCoreApplication::translate("TQueueFile", text);
}

constexpr char kHex[] = "0123456789abcdef";

void AppendEscape(QByteArray& out, char16_t u)
{
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += kHex[(u >> shift) & 15];
}

// JSON string syntax for text, as UTF-8. A lone surrogate (text from a tag
// that was not valid UTF-16) is written as its escape, which UTF-8 cannot
// hold, so that the text reads back as it was.
void AppendString(QByteArray& out, const QString& text)
{
    out += '"';
    if (!QStringView(text).isValidUtf16()) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                out += QStringView(text).mid(i, 2).toUtf8();
                ++i;
            } else if (c.isSurrogate() || c.unicode() < 0x20 || c == u'"' || c == u'\\') {
                AppendEscape(out, c.unicode());
            } else {
                out += QStringView(&c, 1).toUtf8();
            }
        }
        out += '"';
        return;
    }
    const QByteArray utf8 = text.toUtf8();
    for (const char c : utf8) {
        const auto u = quint8(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            switch (c) {
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                AppendEscape(out, u);
            }
        } else {
            out += c;
        }
    }
    out += '"';
}

// One job field: its key, how it is written and how it is read back.
struct TField
{
    const char* key;
    void (*write)(QByteArray& out, const TQueueItem& job);
    void (*read)(TQueueItem& job, const QJsonValue& value);
};

// A text that lies within its cap: no NUL; tags are cut to their length, as
// the tag editor cuts them; a path longer than the system allows is refused.
std::optional<QString> ReadText(const QJsonValue& v, int maxChars, int maxBytes = 0)
{
    if (!v.isString())
        return std::nullopt;
    QString s = v.toString();
    if (s.contains(QChar(u'\0')))
        return std::nullopt;
    if (maxBytes > 0 && s.toUtf8().size() > maxBytes)
        return std::nullopt;
    if (maxChars > 0 && s.size() > maxChars)
        s.truncate(maxChars);
    return s;
}

template <auto Get, auto Set> constexpr TField Tag(const char* key)
{
    return {key,
            [](QByteArray& out, const TQueueItem& j) { AppendString(out, (j.*Get)()); },
            [](TQueueItem& j, const QJsonValue& v) {
                if (const auto s = ReadText(v, TQueueFile::MaxTagLength))
                    (j.*Set)(*s);
            }};
}

template <auto Get, auto Set> constexpr TField Path(const char* key)
{
    return {key,
            [](QByteArray& out, const TQueueItem& j) { AppendString(out, (j.*Get)()); },
            [](TQueueItem& j, const QJsonValue& v) {
                if (const auto s = ReadText(v, 0, TQueueItem::MaxPathBytes);
                    s && (s->isEmpty() || s->startsWith(u'/')))
                    (j.*Set)(*s);
            }};
}

template <auto Get, auto Set> constexpr TField Flag(const char* key)
{
    return {key,
            [](QByteArray& out, const TQueueItem& j) { out += (j.*Get)() ? "true" : "false"; },
            [](TQueueItem& j, const QJsonValue& v) {
                if (v.isBool())
                    (j.*Set)(v.toBool());
            }};
}

// A whole number within the width of the field (a job may hold any value
// of it: the compression fields take what the settings file held).
template <auto Get, auto Set> constexpr TField Number(const char* key)
{
    using T = std::remove_cvref_t<decltype((std::declval<const TQueueItem&>().*Get)())>;
    using Raw = typename std::conditional_t<std::is_enum_v<T>, std::underlying_type<T>,
                                   std::type_identity<T>>::type;
    return {key,
            [](QByteArray& out, const TQueueItem& j) {
                out += QByteArray::number(qint64(Raw((j.*Get)())));
            },
            [](TQueueItem& j, const QJsonValue& v) {
                if (!v.isDouble())
                    return;
                const double d = v.toDouble();
                if (d != std::floor(d) || d < 0 || d > double(std::numeric_limits<Raw>::max()))
                    return;
                (j.*Set)(static_cast<T>(Raw(d)));
            }};
}

bool GetAutoTrack(const TQueueItem& j) { return j.AutoTrack; }
void SetAutoTrack(TQueueItem& j, bool v) { j.AutoTrack = v; }

constexpr TField kAutoTrack = {
    "autoTrack",
    [](QByteArray& out, const TQueueItem& j) { out += GetAutoTrack(j) ? "true" : "false"; },
    [](TQueueItem& j, const QJsonValue& v) {
        if (v.isBool())
            SetAutoTrack(j, v.toBool());
    }};

// The user's own LAME options: the job's setter takes only what the
// option checker accepts.
constexpr TField kExtraOptions = {
    "extraOptions",
    [](QByteArray& out, const TQueueItem& j) { AppendString(out, j.ExtraOptions()); },
    [](TQueueItem& j, const QJsonValue& v) {
        if (const auto s = ReadText(v, int(LameOptions::MaxLength)))
            j.SetExtraOptions(*s);
    }};

// Every field of a job, in the order they are written. "input" is first: a
// reader of the file by eye finds the job's source at the start of its line.
const TField kFields[] = {
    Path<&TQueueItem::InputFile, &TQueueItem::RestoreInputFile>("input"),
    Path<&TQueueItem::OutputFile, &TQueueItem::SetOutputFile>("output"),
    Tag<&TQueueItem::Title, &TQueueItem::SetTitle>("title"),
    Tag<&TQueueItem::Artist, &TQueueItem::SetArtist>("artist"),
    Tag<&TQueueItem::Album, &TQueueItem::SetAlbum>("album"),
    Tag<&TQueueItem::Year, &TQueueItem::SetYear>("year"),
    Number<&TQueueItem::Track, &TQueueItem::SetTrack>("track"),
    Number<&TQueueItem::Genre, &TQueueItem::SetGenre>("genre"),
    Tag<&TQueueItem::Comment, &TQueueItem::SetComment>("comment"),
    Flag<&TQueueItem::Id3v1, &TQueueItem::SetId3v1>("id3v1"),
    Flag<&TQueueItem::Id3v2, &TQueueItem::SetId3v2>("id3v2"),
    kAutoTrack,
    Number<&TQueueItem::Algorithm, &TQueueItem::SetAlgorithm>("algorithm"),
    Number<&TQueueItem::ABitrate, &TQueueItem::SetABitrate>("bitrate"),
    Number<&TQueueItem::MinBitrate, &TQueueItem::SetMinBitrate>("minBitrate"),
    Number<&TQueueItem::MaxBitrate, &TQueueItem::SetMaxBitrate>("maxBitrate"),
    Number<&TQueueItem::Frequency, &TQueueItem::SetFrequency>("frequency"),
    Number<&TQueueItem::Quality, &TQueueItem::SetQuality>("quality"),
    Number<&TQueueItem::VBRQuality, &TQueueItem::SetVBRQuality>("vbrQuality"),
    Flag<&TQueueItem::VBRNew, &TQueueItem::SetVBRNew>("vbrNew"),
    Number<&TQueueItem::Mode, &TQueueItem::SetMode>("mode"),
    Flag<&TQueueItem::KeepFreq, &TQueueItem::SetKeepFreq>("keepFreq"),
    Flag<&TQueueItem::Copyrighted, &TQueueItem::SetCopyrighted>("copyrighted"),
    Flag<&TQueueItem::CRCs, &TQueueItem::SetCRCs>("crcs"),
    Flag<&TQueueItem::NonOriginal, &TQueueItem::SetNonOriginal>("nonOriginal"),
    kExtraOptions,
};

const char* MarkWord(TLineMark mark)
{
    switch (mark) {
    case TLineMark::Failed: return "failed";
    case TLineMark::Skipped: return "skipped";
    case TLineMark::None: break;
    }
    return "";
}

void WriteLine(QByteArray& out, const TQueueLine& line)
{
    out += ",\"done\":";
    out += line.processed ? "true" : "false";
    if (line.mark != TLineMark::None) {
        out += ",\"mark\":\"";
        out += MarkWord(line.mark);
        out += '"';
    }
    if (!line.reason.isEmpty()) {
        out += ",\"reason\":";
        AppendString(out, line.reason);
    }
    if (line.running)
        out += ",\"running\":true";
}

TQueueLine ReadLine(const QJsonObject& o)
{
    TQueueLine line;
    line.processed = o.value(QLatin1String("done")).toBool(false);
    line.running = o.value(QLatin1String("running")).toBool(false);
    const QString mark = o.value(QLatin1String("mark")).toString();
    if (mark == QLatin1String("failed"))
        line.mark = TLineMark::Failed;
    else if (mark == QLatin1String("skipped"))
        line.mark = TLineMark::Skipped;
    if (const auto reason = ReadText(o.value(QLatin1String("reason")), TQueueFile::MaxReasonLength))
        line.reason = *reason;
    return line;
}

// A whole number, or fallback.
qint64 WholeNumber(const QJsonValue& v, qint64 fallback)
{
    if (!v.isDouble())
        return fallback;
    const double d = v.toDouble();
    if (d != std::floor(d) || std::abs(d) > 1e15)
        return fallback;
    return qint64(d);
}

TQueueFile::TReadResult Failed(const QString& error)
{
    TQueueFile::TReadResult r;
    r.error = error;
    return r;
}

} // namespace

int TQueueContent::Unprocessed() const
{
    int n = 0;
    for (const TQueueLine& line : lines)
        n += !line.processed;
    return n;
}

QByteArray TQueueFile::Write(const TQueue& queue, const std::vector<TQueueLine>& lines,
                             int current)
{
    QByteArray out;
    out.reserve(qsizetype(queue.Count()) * 480 + 100);
    out += "{\"format\":";
    AppendString(out, kFormat);
    out += ",\"version\":" + QByteArray::number(Version);
    out += ",\"current\":" + QByteArray::number(current >= 0 && current < queue.Count() ? current : -1);
    out += ",\"jobs\":[";
    const TQueueLine none;
    for (int i = 0; i < queue.Count(); ++i) {
        const TQueueItem& job = *queue.Items(i);
        out += i == 0 ? "\n{" : ",\n{";
        bool first = true;
        for (const TField& f : kFields) {
            if (!first)
                out += ',';
            first = false;
            out += '"';
            out += f.key;
            out += "\":";
            f.write(out, job);
        }
        WriteLine(out, std::size_t(i) < lines.size() ? lines[std::size_t(i)] : none);
        out += '}';
    }
    out += "\n]}\n";
    return out;
}

TQueueFile::TReadResult TQueueFile::Read(const QByteArray& bytes)
{
    if (bytes.size() > MaxFileSize)
        return Failed(Tr("Файл очереди слишком велик (больше 64 МБ)."));
    if (bytes.trimmed().isEmpty())
        return Failed(Tr("Файл очереди пуст."));
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parse);
    if (parse.error != QJsonParseError::NoError) {
        // A queue file that starts as one but does not parse was cut short
        // or damaged; anything else is not one.
        if (!bytes.trimmed().startsWith('{') || !bytes.contains("\"format\""))
            return Failed(Tr("Это не файл очереди Tessary."));
        return Failed(Tr("Файл очереди повреждён или обрезан (ошибка в байте %1).")
                          .arg(parse.offset));
    }
    if (!doc.isObject())
        return Failed(Tr("Это не файл очереди Tessary."));
    const QJsonObject top = doc.object();
    if (top.value(QLatin1String("format")).toString() != kFormat)
        return Failed(Tr("Это не файл очереди Tessary."));
    const qint64 version = WholeNumber(top.value(QLatin1String("version")), 0);
    if (version < 1)
        return Failed(Tr("Это не файл очереди Tessary."));
    if (version > Version)
        return Failed(Tr("Файл очереди записан более новой версией Tessary (формат %1); "
                         "эта версия читает форматы до %2.")
                          .arg(version)
                          .arg(Version));
    const QJsonValue jobsValue = top.value(QLatin1String("jobs"));
    if (!jobsValue.isArray())
        return Failed(Tr("Это не файл очереди Tessary."));
    const QJsonArray jobs = jobsValue.toArray();
    if (jobs.size() > MaxJobs)
        return Failed(Tr("В файле очереди больше %1 заданий.").arg(MaxJobs));

    TReadResult r;
    const qint64 current = WholeNumber(top.value(QLatin1String("current")), -1);
    r.content.lines.reserve(std::size_t(jobs.size()));
    for (qsizetype i = 0; i < jobs.size(); ++i) {
        const QJsonValue entry = jobs.at(i);
        if (!entry.isObject()) {
            ++r.dropped;
            continue;
        }
        const QJsonObject o = entry.toObject();
        TQueue& queue = *r.content.queue;
        TQueueItem* job = queue.Add();
        for (const TField& f : kFields) {
            const auto it = o.constFind(QLatin1String(f.key));
            if (it != o.constEnd())
                f.read(*job, *it);
        }
        if (job->InputFile().isEmpty()) {
            queue.Delete(queue.Count() - 1);
            ++r.dropped;
            continue;
        }
        if (i == current)
            r.content.current = queue.Count() - 1;
        r.content.lines.push_back(ReadLine(o));
    }
    return r;
}

TQueueFile::TReadResult TQueueFile::ReadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failed(Tr("Не удалось открыть файл очереди: %1").arg(file.errorString()));
    // One byte more than allowed tells a file that is too large.
    const QByteArray bytes = file.read(MaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return Failed(Tr("Не удалось прочитать файл очереди: %1").arg(file.errorString()));
    return Read(bytes);
}
