#pragma once

#include "namerules.h"

#include <QString>
#include <QStringList>

#include <functional>

class TQueueItem;
class TNamingTree;
struct ProgramSettings;

// Output naming: folder and file name patterns with the codes %0 to %8.
namespace Naming {

enum class PatternKind { FileName, ArtistFolder, AlbumFolder };

struct Counters
{
    int artistPosition = 0; // from 0
    int albumPosition = 0;  // from 0
};

// Expands one pattern for a job. Unknown pairs are copied unchanged, "%%"
// gives "%", and a lone "%" at the end is copied as "%".
QString ExpandPattern(const QString& pattern, PatternKind kind, const TQueueItem& job,
                      const Counters& counters);
// The same, each code's value passed through value first.
QString ExpandPattern(const QString& pattern, PatternKind kind, const TQueueItem& job,
                      const Counters& counters,
                      const std::function<QString(const QString&)>& value);

// The folder a job's output goes below, ending in "/": the target folder,
// or the source's own folder when no target is set.
QString OutputBase(const TQueueItem& job, const ProgramSettings& settings);

// "In two digits": a leading 0 below 10, numbers of 100 and more in full.
QString TwoDigits(int n);

// The source file's name without folder and extension ("%0").
QString SourceBaseName(const QString& inputFile);

// The longest file or folder name Linux file systems take, in UTF-8 bytes.
constexpr qsizetype MaxNameBytes = 255;

// name + extension, with whole characters taken off the end of name until
// the result fits maxBytes.
QString FitName(const QString& name, const QString& extension, qsizetype maxBytes = MaxNameBytes);

} // namespace Naming

// Forms the job's output path (and its track number when AutoTrack is set),
// entering the job into the run's naming tree. Mode 0 gives ".mp3", mode 1
// ".wav"; any other mode leaves OutputFile as it was. An empty target folder
// means "next to the source file".
void BuildOutputPath(TQueueItem& job, TNamingTree& tree, const ProgramSettings& settings,
                     int mode);
// The same for a target of the given kind: every part below the target
// folder made acceptable to it (see NameRules), and what was changed, and
// why, added to notes. The job's tags stay as they are.
void BuildOutputPath(TQueueItem& job, TNamingTree& tree, const ProgramSettings& settings,
                     int mode, TFsKind kind, QStringList* notes);

// Makes sure the folder exists, creating every missing level from the top.
bool EnsureOutputDir(const QString& dir);
