#include "namerules.h"

#include <QCoreApplication>

namespace NameRules {

namespace {

constexpr qsizetype kMaxBytes = 255; // Linux's own file systems
constexpr qsizetype kMaxUnits = 255; // FAT, exFAT, NTFS, SMB: UTF-16 units

QString KindName(const TTarget& target)
{
    return FileSystemKind::Name(target.Rules());
}

void Note(QStringList* notes, const QString& text)
{
    if (notes && !notes->contains(text))
        notes->append(text);
}

QString RefusedNote(const TTarget& target, QChar c)
{
    return QCoreApplication::translate("NameRules", "Носитель %1 не принимает «%2»")
        .arg(KindName(target), QString(c));
}

bool Refused(char16_t c)
{
    switch (c) {
    case u'<': case u'>': case u':': case u'"': case u'\\': case u'|': case u'?': case u'*':
        return true;
    default:
        return false;
    }
}

bool Fits(const QString& name, const TTarget& target)
{
    if (target.Restricted() && name.size() > kMaxUnits)
        return false;
    return target.kind != TFsKind::Other || name.toUtf8().size() <= kMaxBytes;
}

QString DropTrailing(QString part)
{
    while (!part.isEmpty() && (part.back() == u'.' || part.back() == u' '))
        part.chop(1);
    return part;
}

} // namespace

bool CaseInsensitive(TFsKind kind)
{
    return kind != TFsKind::Other;
}

QString FoldCase(const QString& name, TFsKind kind)
{
    if (!CaseInsensitive(kind))
        return name;
    QString key;
    key.reserve(name.size());
    const qsizetype n = name.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t unit = name[i].unicode();
        if (kind == TFsKind::Fat && QChar::isHighSurrogate(unit) && i + 1 < n
            && name[i + 1].isLowSurrogate()) {
            const char32_t upper = QChar::toUpper(QChar::surrogateToUcs4(name[i], name[i + 1]));
            key += QChar(QChar::highSurrogate(upper));
            key += QChar(QChar::lowSurrogate(upper));
            ++i;
            continue;
        }
        // A lone surrogate, and each half of a pair on the 16-bit tables,
        // maps to itself.
        const char32_t upper = QChar::toUpper(char32_t(unit));
        key += QChar::requiresSurrogates(upper) ? QChar(unit) : QChar(char16_t(upper));
    }
    return key;
}

QString ReservedDevice(const QString& part)
{
    // Windows reads "CON.mp3" and "con .live" as the device too.
    QString base = part.left(part.indexOf(u'.') < 0 ? part.size() : part.indexOf(u'.'));
    while (base.endsWith(u' '))
        base.chop(1);
    const QString upper = base.toUpper();
    static const QStringList plain = {QStringLiteral("CON"), QStringLiteral("PRN"),
                                      QStringLiteral("AUX"), QStringLiteral("NUL")};
    if (plain.contains(upper))
        return base;
    if (upper.size() == 4 && (upper.startsWith(u"COM") || upper.startsWith(u"LPT"))) {
        const QChar d = upper[3];
        if ((d >= u'0' && d <= u'9') || d == u'\u00b9' || d == u'\u00b2' || d == u'\u00b3')
            return base;
    }
    return QString();
}

QString AdaptValue(const QString& value, const TTarget& target, QStringList* notes)
{
    if (!target.portable || !value.contains(u'/'))
        return value;
    QString out = value;
    out.replace(u'/', QChar(Replacement));
    Note(notes, RefusedNote(target, u'/'));
    return out;
}

QString Fit(const QString& name, const QString& extension, const TTarget& target)
{
    QString stem = name;
    // Whole characters come off the end; a surrogate pair goes as one.
    while (!stem.isEmpty() && !Fits(stem + extension, target)) {
        stem.chop(1);
        if (!stem.isEmpty() && stem.back().isHighSurrogate())
            stem.chop(1);
    }
    return stem + extension;
}

QString AdaptPart(const QString& part, const QString& extension, const TTarget& target,
                  QStringList* notes)
{
    QString out = part;
    // No file system stores a NUL; the system call would end the path there.
    out.remove(QChar(u'\0'));
    if (extension.isEmpty() && (out == u"." || out == u"..")) {
        Note(notes, QCoreApplication::translate(
                        "NameRules", "Часть пути «%1» заменена: файлы пишутся только в папку назначения")
                        .arg(out));
        out.fill(QChar(Replacement));
    }
    if (!target.Restricted()) {
        if (!Fits(out + extension, target))
            out = Fit(out, extension, target).chopped(extension.size());
        return out;
    }

    const bool wasEmpty = out.isEmpty();
    QString clean;
    clean.reserve(out.size());
    for (const QChar c : out) {
        if (c.unicode() < 0x20) {
            Note(notes, QCoreApplication::translate("NameRules",
                                                    "Носитель %1 не принимает управляющие символы")
                            .arg(KindName(target)));
        } else if (Refused(c.unicode())) {
            Note(notes, RefusedNote(target, c));
            clean += QChar(Replacement);
        } else {
            clean += c;
        }
    }
    out = clean;

    if (const QString device = ReservedDevice(out + extension); !device.isEmpty()) {
        Note(notes, QCoreApplication::translate("NameRules",
                                                "Имя «%1» на носителе %2 зарезервировано для устройства")
                        .arg(device, KindName(target)));
        out.insert(device.size(), QChar(Replacement));
    }

    const auto dropTrailing = [&] {
        // Only a name's very end counts: "Live." before ".mp3" is taken.
        if (!extension.isEmpty())
            return;
        const QString dropped = DropTrailing(out);
        if (dropped.size() != out.size()) {
            Note(notes, QCoreApplication::translate(
                            "NameRules", "Носитель %1 не принимает точку или пробел в конце имени")
                            .arg(KindName(target)));
            out = dropped;
        }
    };
    dropTrailing();

    if (!Fits(out + extension, target)) {
        out = Fit(out, extension, target).chopped(extension.size());
        Note(notes, QCoreApplication::translate("NameRules",
                                                "Носитель %1 принимает имена не длиннее 255 знаков")
                        .arg(KindName(target)));
        dropTrailing();
    }
    // A name the rules emptied would take away a folder level.
    if (out.isEmpty() && !wasEmpty)
        out = QString(QChar(Replacement));
    return out;
}

} // namespace NameRules
