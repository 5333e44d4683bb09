#pragma once

#include <QString>
#include <QStringList>

class TQueueItem;

// The encoder's command line for one job. One builder produces both forms:
// the option string as the user sees it, and the argument list that the run
// hands to lame, where each quoted piece is one argument without its quotes,
// so a quote inside a tag or a path can never split or inject an argument.
// In the argument list a relative path is made absolute from the current
// folder; the option string shows it as the job holds it.

// Mode: 0 encode, 1 decode, anything else only the two paths.
QString JobOptions(const TQueueItem& job, int mode);
QStringList JobArguments(const TQueueItem& job, int mode);
