#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// The plan of a run as text, one job a line, so that a plan made once over
// a whole library can be cut into pieces and run anywhere:
//
//   source TAB output TAB marks TAB track
//
// Both paths are absolute. In a path, a backslash is written "\\", a tab
// "\t", a newline "\n" and a carriage return "\r"; every other character is
// itself, in UTF-8. marks is a comma-separated list of words: "new" (nothing
// to say), "clash" (numbered because an earlier job wanted the same name),
// "exists" (a file is at the output), "overwrite" (it will be replaced),
// "skip" (the job will not run). track is the track number the job carries
// (0 for none). Empty lines and lines that begin with "#" are passed over;
// a line may end in CR LF.
//
// Parse is a pure function over untrusted text: it takes at most MaxBytes,
// refuses what it cannot read whole (and says at which line), and never
// reads a path on disk.
namespace PlanFile {

struct Line
{
    QString source;
    QString output;
    bool clash = false;
    bool exists = false;
    bool overwrite = false;
    bool skip = false;
    quint8 track = 0;

    bool operator==(const Line&) const = default;
};

inline constexpr qsizetype MaxBytes = 256 * 1024 * 1024;
// A path, as UTF-8 once its escapes are read; a line holds two written
// paths (each at most twice as long) and its marks.
inline constexpr qsizetype MaxPathBytes = 4096;
inline constexpr qsizetype MaxLineBytes = 4 * MaxPathBytes + 64;

struct Parsed
{
    std::vector<Line> lines;
    int errorLine = 0; // 1-based; 0 when the text was read whole
    QString error;     // what was wrong there, for the message
};

QString Quote(const QString& path);
// The path, or nullopt for a stray backslash or an unknown escape.
std::optional<QString> Unquote(QByteArrayView text);

QByteArray Format(const Line& line);
Parsed Parse(QByteArrayView text);

// Why output may not be written for source in the given mode (0 encode,
// 1 decode) under target: empty when it may. The output must lie inside the
// target folder (with no target, inside the source's folder) after "." and
// ".." are resolved, and end in the mode's extension.
QString OutputProblem(const QString& source, const QString& output, const QString& target,
                      int mode);

} // namespace PlanFile
