#include "failuretext.h"

#include <QCoreApplication>

namespace FailureText {

namespace {

struct Pattern
{
    const char* text;
    Kind kind;
};

// In this order: a more telling cause comes first. lame's "Can't init
// infile" is not here: it follows any kind of source lame does not take.
const Pattern kPatterns[] = {
    {"No space left on device", Kind::NoSpace},
    {"Disk quota exceeded", Kind::NoSpace},
    {"Error writing mp3 output", Kind::NoSpace},
    {"Read-only file system", Kind::ReadOnly},
    {"Permission denied", Kind::Permission},
    {"Operation not permitted", Kind::Permission},
    {"Can't init outfile", Kind::OutputNotCreated},
    {"Input/output error", Kind::ReadError},
    {"Could not find", Kind::ReadError},
    {"Error reading", Kind::ReadError},
    {"read error", Kind::ReadError},
};

} // namespace

Kind Classify(const QStringList& lines)
{
    for (const Pattern& p : kPatterns) {
        for (const QString& line : lines) {
            if (line.contains(QLatin1String(p.text), Qt::CaseInsensitive))
                return p.kind;
        }
    }
    return Kind::Unknown;
}

QString Reason(Kind kind)
{
    switch (kind) {
    case Kind::NoSpace: return QCoreApplication::translate("FailureText", "Недостаточно места на диске");
    case Kind::ReadOnly: return QCoreApplication::translate("FailureText", "Папка назначения доступна только для чтения");
    case Kind::Permission: return QCoreApplication::translate("FailureText", "Нет доступа: недостаточно прав");
    case Kind::OutputNotCreated: return QCoreApplication::translate("FailureText", "Не удалось создать файл результата");
    case Kind::ReadError: return QCoreApplication::translate("FailureText", "Не удалось прочитать исходный файл");
    case Kind::Unknown: break;
    }
    return QString();
}

QString Plain(const QStringList& lines)
{
    return Reason(Classify(lines));
}

} // namespace FailureText
