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

// The job's own LAME options (ExtraOptions) follow Tessary's options when
// encoding; decoding uses none of the job's compression settings.
// Mode: 0 encode, 1 decode, anything else only the two paths.
QString JobOptions(const TQueueItem& job, int mode);
QStringList JobArguments(const TQueueItem& job, int mode);
// The same with outputPath in place of the job's OutputFile: the run hands
// lame the temporary file that becomes the output once the job is done.
QStringList JobArguments(const TQueueItem& job, int mode, const QString& outputPath);

// Whether every tag text of the job can be written in an ID3v1 tag (Latin-1).
// A job with only ID3v1 whose texts do not fit is given ID3v2 as well.
bool FitsId3v1(const TQueueItem& job);

// The argument list of JobArguments changed for the run: the input read
// from standard input (a decoder feeds it) ...
void PipeInput(QStringList& arguments);
// ... and a picture for the ID3v2 tag (lame's --ti), given before the input.
void AddCoverArt(QStringList& arguments, const QString& picture);
