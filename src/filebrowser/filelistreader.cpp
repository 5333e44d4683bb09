#include "filelistreader.h"

#include <QCollator>
#include <QFile>

#include <algorithm>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// How many directory entries pass between two ticks.
constexpr int TickEvery = 64;

bool IsDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

enum class Kind { Folder, File, System, Skip };

Kind KindOfStat(int dirFd, const char* name)
{
    struct stat st;
    // Follows links: a broken link or a link loop fails here and is skipped.
    if (::fstatat(dirFd, name, &st, 0) != 0)
        return Kind::Skip;
    if (S_ISDIR(st.st_mode))
        return Kind::Folder;
    if (S_ISREG(st.st_mode))
        return Kind::File;
    return Kind::System;
}

} // namespace

QStringList TFileListReader::SplitMask(const QString& mask)
{
    QStringList parts;
    QString rest = mask;
    while (!rest.isEmpty()) {
        const qsizetype at = rest.indexOf(QLatin1Char(';'));
        if (at < 0) {
            parts << rest;
            break;
        }
        parts << rest.left(at);
        rest = rest.mid(at + 1);
    }
    return parts;
}

bool TFileListReader::Match(QStringView pattern, QStringView name)
{
    qsizetype p = 0, n = 0, starP = -1, starN = 0;
    const auto fold = [](QChar c) { return c.toCaseFolded(); };
    while (n < name.size()) {
        if (p < pattern.size()) {
            const QChar pc = pattern[p];
            if (pc == QLatin1Char('*')) {
                starP = ++p;
                starN = n;
                continue;
            }
            if (pc == QLatin1Char('?')) {
                // One character, also when it takes two UTF-16 units.
                if (name[n].isHighSurrogate() && n + 1 < name.size() && name[n + 1].isLowSurrogate())
                    ++n;
                ++p;
                ++n;
                continue;
            }
            if (fold(pc) == fold(name[n])) {
                ++p;
                ++n;
                continue;
            }
        }
        if (starP < 0)
            return false;
        p = starP;
        n = ++starN;
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

bool TFileListReader::Scan(const Options& options, QStringList& folders, QStringList& files,
                           const Tick& tick)
{
    folders.clear();
    files.clear();
    if (options.folder.isEmpty())
        return true;

    // Parts that can match a name at all: an empty part or one holding "/"
    // matches nothing, but keeps its place in the order of the parts.
    const qsizetype partCount = options.maskParts.size();
    bool anyPart = false;
    for (const QString& part : options.maskParts)
        anyPart = anyPart || (!part.isEmpty() && !part.contains(QLatin1Char('/')));
    if (!anyPart && !options.folders)
        return true;

    DIR* dir = ::opendir(QFile::encodeName(options.folder).constData());
    if (!dir)
        return true;
    const int dirFd = ::dirfd(dir);

    // Files by the mask part they matched first.
    std::vector<QStringList> byPart(size_t(partCount > 0 ? partCount : 1));
    int seen = 0;
    bool broken = false;
    while (struct dirent* entry = ::readdir(dir)) {
        if (++seen % TickEvery == 0 && tick && !tick()) {
            broken = true;
            break;
        }
        const char* raw = entry->d_name;
        if (IsDotOrDotDot(raw))
            continue;
        // Hidden: folder entries never, files only when asked for.
        if (raw[0] == '.' && !options.hidden)
            continue;

        Kind kind = Kind::Skip;
        bool known = true;
        switch (entry->d_type) {
        case DT_DIR: kind = Kind::Folder; break;
        case DT_REG: kind = Kind::File; break;
        case DT_LNK:
        case DT_UNKNOWN: known = false; break;
        default: kind = Kind::System; break;
        }
        if (known && kind == Kind::Folder && (!options.folders || raw[0] == '.'))
            continue;
        if (known && kind == Kind::System && !options.system)
            continue;

        QString name = QFile::decodeName(raw);
        if (name.contains(QChar::ReplacementCharacter) && QFile::encodeName(name) != QByteArray(raw))
            continue;

        // The first matching part, looked up before any stat() so that
        // entries of unknown type that cannot match cost nothing.
        qsizetype part = -1;
        if (!known || kind != Kind::Folder) {
            for (qsizetype i = 0; i < partCount; ++i) {
                const QString& pattern = options.maskParts.at(i);
                if (!pattern.isEmpty() && Match(pattern, name)) {
                    part = i;
                    break;
                }
            }
        }
        if (!known) {
            if (part < 0 && !options.folders)
                continue;
            kind = KindOfStat(dirFd, raw);
        }

        switch (kind) {
        case Kind::Folder:
            if (options.folders && raw[0] != '.')
                folders << name;
            break;
        case Kind::System:
            if (!options.system)
                break;
            [[fallthrough]];
        case Kind::File:
            if (part >= 0)
                byPart[size_t(part)] << name;
            break;
        case Kind::Skip:
            break;
        }
    }
    ::closedir(dir);
    if (broken)
        return false;

    if (byPart.size() == 1) {
        files = std::move(byPart.front());
    } else {
        qsizetype total = 0;
        for (const QStringList& names : byPart)
            total += names.size();
        files.reserve(total);
        for (const QStringList& names : byPart)
            files << names;
    }
    return true;
}

void TFileListReader::SortNames(QStringList& names)
{
    if (names.size() < 2)
        return;
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // One sort key per name: comparing keys is a byte compare, far cheaper
    // than a full collation for each of the n log n comparisons. The names
    // are case-folded first because in the "C" locale QCollator compares
    // code points and ignores the case setting.
    struct Keyed {
        QCollatorSortKey key;
        qsizetype index;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(size_t(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i)
        keyed.push_back({collator.sortKey(names.at(i).toCaseFolded()), i});
    std::sort(keyed.begin(), keyed.end(), [&names](const Keyed& a, const Keyed& b) {
        const int c = a.key.compare(b.key);
        if (c != 0)
            return c < 0;
        return names.at(a.index) < names.at(b.index);
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const Keyed& k : keyed)
        sorted << names.at(k.index);
    names = std::move(sorted);
}
