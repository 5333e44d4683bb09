#pragma once

#include <QString>
#include <QStringList>

// Plain words for the encoder's and the decoder's failures that users meet
// most (a full disk, no permission, a source that cannot be read). lame and
// ffmpeg word them for developers, and lame glues its last progress figures
// in front ("128.0 100.0 99.9 0.1 0.0Error writing mp3 output"); the raw
// lines stay in the run log.
namespace FailureText {

enum class Kind { Unknown, NoSpace, ReadOnly, Permission, OutputNotCreated, ReadError };

// What the last lines of a failed process say.
Kind Classify(const QStringList& lines);
// The plain reason for a kind; empty for Unknown.
QString Reason(Kind kind);
// Reason(Classify(lines)).
QString Plain(const QStringList& lines);

} // namespace FailureText
