#include "planfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QList>

namespace PlanFile {

QString Quote(const QString& path)
{
    QString out;
    out.reserve(path.size());
    for (const QChar c : path) {
        switch (c.unicode()) {
        case u'\\': out += QStringLiteral("\\\\"); break;
        case u'\t': out += QStringLiteral("\\t"); break;
        case u'\n': out += QStringLiteral("\\n"); break;
        case u'\r': out += QStringLiteral("\\r"); break;
        default: out += c;
        }
    }
    return out;
}

std::optional<QString> Unquote(QByteArrayView text)
{
    QByteArray raw;
    raw.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\0')
            return std::nullopt;
        if (c != '\\') {
            raw += c;
            continue;
        }
        if (++i >= text.size())
            return std::nullopt;
        switch (text[i]) {
        case '\\': raw += '\\'; break;
        case 't': raw += '\t'; break;
        case 'n': raw += '\n'; break;
        case 'r': raw += '\r'; break;
        default: return std::nullopt;
        }
    }
    return QString::fromUtf8(raw);
}

QByteArray Format(const Line& line)
{
    QStringList marks;
    if (line.clash)
        marks << QStringLiteral("clash");
    if (line.exists)
        marks << QStringLiteral("exists");
    if (line.overwrite)
        marks << QStringLiteral("overwrite");
    if (line.skip)
        marks << QStringLiteral("skip");
    if (marks.isEmpty())
        marks << QStringLiteral("new");
    return Quote(line.source).toUtf8() + '\t' + Quote(line.output).toUtf8() + '\t'
           + marks.join(u',').toUtf8() + '\t' + QByteArray::number(line.track) + '\n';
}

namespace {

QString ReadLine(QByteArrayView text, Line& line)
{
    QList<QByteArrayView> fields;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\t') {
            fields << text.sliced(start, i - start);
            start = i + 1;
        }
    }
    if (fields.size() != 4)
        return QCoreApplication::translate("PlanFile", "ожидалось 4 поля через табуляцию, найдено %1").arg(fields.size());
    const std::optional<QString> source = Unquote(fields[0]);
    const std::optional<QString> output = Unquote(fields[1]);
    if (!source || !output)
        return QCoreApplication::translate("PlanFile", "путь содержит нулевой байт или неизвестную последовательность с обратной косой чертой");
    if (source->toUtf8().size() > MaxPathBytes || output->toUtf8().size() > MaxPathBytes)
        return QCoreApplication::translate("PlanFile", "путь длиннее %1 байт").arg(MaxPathBytes);
    if (!source->startsWith(u'/') || !output->startsWith(u'/'))
        return QCoreApplication::translate("PlanFile", "пути должны быть абсолютными");
    line.source = *source;
    line.output = *output;
    for (const QByteArrayView mark : QByteArray(fields[2].data(), fields[2].size()).split(',')) {
        if (mark == "new")
            continue;
        else if (mark == "clash")
            line.clash = true;
        else if (mark == "exists")
            line.exists = true;
        else if (mark == "overwrite")
            line.overwrite = true;
        else if (mark == "skip")
            line.skip = true;
        else
            return QCoreApplication::translate("PlanFile", "неизвестная отметка «%1»").arg(QString::fromUtf8(mark).left(32));
    }
    if (line.overwrite && line.skip)
        return QCoreApplication::translate("PlanFile", "задание не может быть одновременно перезаписано и пропущено");
    const QByteArrayView track = fields[3];
    bool digits = !track.isEmpty() && track.size() <= 3;
    for (const char c : track)
        digits = digits && c >= '0' && c <= '9';
    const int number = digits ? QByteArray(track.data(), track.size()).toInt() : -1;
    if (number < 0 || number > 255)
        return QCoreApplication::translate("PlanFile", "номер трека должен быть числом от 0 до 255");
    line.track = quint8(number);
    return QString();
}

} // namespace

Parsed Parse(QByteArrayView text)
{
    Parsed p;
    if (text.size() > MaxBytes) {
        p.errorLine = 1;
        p.error = QCoreApplication::translate("PlanFile", "план больше %1 байт").arg(MaxBytes);
        return p;
    }
    qsizetype start = 0;
    int number = 0;
    while (start < text.size()) {
        ++number;
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        QByteArrayView raw = text.sliced(start, end - start);
        start = end + 1;
        if (raw.endsWith('\r'))
            raw.chop(1);
        if (raw.isEmpty() || raw.startsWith('#'))
            continue;
        Line line;
        QString error = raw.size() > MaxLineBytes
                            ? QCoreApplication::translate("PlanFile", "строка длиннее %1 байт").arg(MaxLineBytes)
                            : ReadLine(raw, line);
        if (!error.isEmpty()) {
            p.lines.clear();
            p.errorLine = number;
            p.error = error;
            return p;
        }
        p.lines.push_back(std::move(line));
    }
    return p;
}

QString OutputProblem(const QString& source, const QString& output, const QString& target,
                      int mode)
{
    QString base = target;
    if (base.isEmpty()) {
        const qsizetype slash = source.lastIndexOf(u'/');
        base = source.left(slash + 1);
    }
    base = QDir::cleanPath(base);
    if (!base.startsWith(u'/'))
        return QCoreApplication::translate("PlanFile", "папка назначения задана не абсолютным путём");
    if (!base.endsWith(u'/'))
        base += u'/';
    const QString cleaned = QDir::cleanPath(output);
    if (!cleaned.startsWith(base) || cleaned.size() <= base.size())
        return QCoreApplication::translate("PlanFile", "файл результата лежит вне папки назначения");
    const QString extension = mode == 1 ? QStringLiteral(".wav") : QStringLiteral(".mp3");
    const QString name = cleaned.mid(cleaned.lastIndexOf(u'/') + 1);
    if (!name.endsWith(extension) || name.size() <= extension.size())
        return QCoreApplication::translate("PlanFile", "имя файла результата не оканчивается на %1").arg(extension);
    if (QDir::cleanPath(source) == cleaned)
        return QCoreApplication::translate("PlanFile", "файл результата совпадает с исходным");
    return QString();
}

} // namespace PlanFile
