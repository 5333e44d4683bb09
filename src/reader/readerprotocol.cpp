#include "readerprotocol.h"

#include <QFile>
#include <QSet>

#include <array>

namespace ReaderProtocol {

namespace {

// A decimal of 1 to 10 digits, no sign, no blank; -1 otherwise.
qint64 Decimal(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 10)
        return -1;
    qint64 n = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

// "<word> <length>\n" at the front of buffer: NeedMore until the line is
// there; Broken when it is too long or not of that shape.
Parse Header(const QByteArray& buffer, QByteArrayView* word, qint64* length, qsizetype* end)
{
    const qsizetype lf = buffer.indexOf('\n');
    if (lf < 0)
        return buffer.size() >= MaxHeader ? Parse::Broken : Parse::NeedMore;
    if (lf >= MaxHeader)
        return Parse::Broken;
    const QByteArrayView line(buffer.constData(), lf);
    const qsizetype space = line.indexOf(' ');
    if (space <= 0)
        return Parse::Broken;
    *word = line.first(space);
    *length = Decimal(line.sliced(space + 1));
    *end = lf + 1;
    return *length < 0 ? Parse::Broken : Parse::Done;
}

struct Limit
{
    const char* key;
    qsizetype maxBytes;
};

constexpr std::array<Limit, 13> kKeys{{
    {"title", MaxText}, {"artist", MaxText}, {"album", MaxText}, {"comment", MaxText},
    {"date", MaxText}, {"genre", MaxText}, {"track", MaxText},
    {"ms", 12}, {"bits", 2}, {"rate", 7}, {"channels", 3},
    {"picture", MaxPicture}, {"mime", 256},
}};

std::optional<QString>* TextField(TAnswer& a, QByteArrayView key)
{
    if (key == "title") return &a.title;
    if (key == "artist") return &a.artist;
    if (key == "album") return &a.album;
    if (key == "comment") return &a.comment;
    if (key == "date") return &a.date;
    if (key == "genre") return &a.genre;
    if (key == "track") return &a.track;
    return nullptr;
}

// A number field within its range, or false.
bool Number(QByteArrayView key, QByteArrayView value, TAnswer& a)
{
    qint64 n = -1;
    if (!value.isEmpty() && value.size() <= 12) {
        n = 0;
        for (const char c : value) {
            if (c < '0' || c > '9') {
                n = -1;
                break;
            }
            n = n * 10 + (c - '0');
        }
    }
    if (n < 0)
        return false;
    if (key == "ms") {
        if (n > 1000LL * 3600 * 1000) // a thousand hours
            return false;
        a.durationMs = n;
    } else if (key == "bits") {
        if (n > 64)
            return false;
        a.bitsPerSample = int(n);
    } else if (key == "rate") {
        if (n > 1536000)
            return false;
        a.sampleRate = int(n);
    } else if (key == "channels") {
        if (n > 255)
            return false;
        a.channels = int(n);
    }
    return true;
}

bool Body(QByteArrayView body, TAnswer& a, QString* error)
{
    QSet<QByteArray> seen;
    qsizetype pos = 0;
    auto broken = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    while (pos < body.size()) {
        const QByteArrayView rest = body.sliced(pos);
        const qsizetype lf = rest.indexOf('\n');
        if (lf < 0 || lf >= MaxHeader)
            return broken(QStringLiteral("record header"));
        const QByteArrayView line = rest.first(lf);
        const qsizetype space = line.indexOf(' ');
        if (space <= 0 || space > 16)
            return broken(QStringLiteral("record key"));
        const QByteArrayView key = line.first(space);
        for (const char c : key) {
            if (c < 'a' || c > 'z')
                return broken(QStringLiteral("record key"));
        }
        const qint64 length = Decimal(line.sliced(space + 1));
        qsizetype max = MaxText; // an unknown key: passed over, but capped
        for (const Limit& l : kKeys) {
            if (key == l.key)
                max = l.maxBytes;
        }
        if (length < 0 || length > max)
            return broken(QStringLiteral("record length"));
        const qsizetype start = lf + 1;
        if (rest.size() - start < length + 1 || rest[start + length] != '\n')
            return broken(QStringLiteral("record end"));
        const QByteArrayView value = rest.sliced(start, length);
        const QByteArray k = key.toByteArray();
        if (seen.contains(k))
            return broken(QStringLiteral("record repeated"));
        seen.insert(k);
        if (std::optional<QString>* text = TextField(a, key)) {
            *text = QString::fromUtf8(value);
        } else if (key == "picture") {
            a.picture = value.toByteArray();
        } else if (key == "mime") {
            a.mime = QString::fromUtf8(value);
        } else if (key == "ms" || key == "bits" || key == "rate" || key == "channels") {
            if (!Number(key, value, a))
                return broken(QStringLiteral("number"));
        }
        pos += start + length + 1;
    }
    return true;
}

void Record(QByteArray& out, const char* key, const QByteArray& value)
{
    out += key;
    out += ' ';
    out += QByteArray::number(value.size());
    out += '\n';
    out += value;
    out += '\n';
}

} // namespace

Parse TakeReply(QByteArray& buffer, TAnswer* answer, QString* error)
{
    QByteArrayView word;
    qint64 length = 0;
    qsizetype start = 0;
    const Parse head = Header(buffer, &word, &length, &start);
    if (head == Parse::NeedMore)
        return head;
    const bool ok = word == "ok";
    if (head == Parse::Broken || (!ok && word != "fail")
        || length > (ok ? MaxBody : MaxFailure)) {
        if (error)
            *error = QStringLiteral("reply header");
        return Parse::Broken;
    }
    if (buffer.size() - start < length)
        return Parse::NeedMore;
    const QByteArrayView body(buffer.constData() + start, qsizetype(length));
    TAnswer a;
    if (ok) {
        if (!Body(body, a, error))
            return Parse::Broken;
        a.readable = true;
    } else {
        a.failure = QString::fromUtf8(body).left(200);
    }
    buffer.remove(0, start + qsizetype(length));
    *answer = std::move(a);
    return Parse::Done;
}

QByteArray Request(Verb verb, const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    return (verb == Verb::Info ? QByteArray("info ") : QByteArray("cover "))
           + QByteArray::number(name.size()) + '\n' + name + '\n';
}

Parse TakeRequest(QByteArray& buffer, Verb* verb, QByteArray* path)
{
    QByteArrayView word;
    qint64 length = 0;
    qsizetype start = 0;
    const Parse head = Header(buffer, &word, &length, &start);
    if (head != Parse::Done)
        return head;
    if ((word != "info" && word != "cover") || length > MaxPath)
        return Parse::Broken;
    if (buffer.size() - start < length + 1)
        return Parse::NeedMore;
    if (buffer[start + length] != '\n')
        return Parse::Broken;
    *verb = word == "info" ? Verb::Info : Verb::Cover;
    *path = buffer.mid(start, length);
    buffer.remove(0, start + length + 1);
    return Parse::Done;
}

QByteArray OkReply(const TAnswer& a)
{
    QByteArray body;
    const std::pair<const char*, const std::optional<QString>*> texts[] = {
        {"title", &a.title}, {"artist", &a.artist}, {"album", &a.album},
        {"comment", &a.comment}, {"date", &a.date}, {"genre", &a.genre}, {"track", &a.track},
    };
    for (const auto& [key, value] : texts) {
        if (*value)
            Record(body, key, value->value().toUtf8().left(MaxText));
    }
    if (a.durationMs > 0)
        Record(body, "ms", QByteArray::number(a.durationMs));
    if (a.bitsPerSample > 0)
        Record(body, "bits", QByteArray::number(a.bitsPerSample));
    if (a.sampleRate > 0)
        Record(body, "rate", QByteArray::number(a.sampleRate));
    if (a.channels > 0)
        Record(body, "channels", QByteArray::number(a.channels));
    if (!a.picture.isEmpty()) {
        Record(body, "picture", a.picture);
        Record(body, "mime", a.mime.toUtf8().left(256));
    }
    return "ok " + QByteArray::number(body.size()) + '\n' + body;
}

QByteArray FailReply(const QString& why)
{
    const QByteArray text = why.toUtf8().left(MaxFailure);
    return "fail " + QByteArray::number(text.size()) + '\n' + text;
}

} // namespace ReaderProtocol
