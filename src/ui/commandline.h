#pragma once

#include <QStringList>

// tessary [FILE|FOLDER|QUEUEFILE]...: the sources and queue files given to
// the program at start, and
// --help and --version, which print in the desktop's language and exit.
namespace CommandLine {

// Handles --help and --version before any window exists (they need no
// display). Returns true when the program is to end with *status.
bool HandleInfo(int argc, char* argv[], int* status);

// Whether the arguments ask for the batch mode (--batch or --plan before "--").
bool WantsBatch(int argc, char* argv[]);
// Replaces this process by tessary-batch from the folder of this executable,
// with the same arguments, so the batch work never needs the widget
// library. Returns only when that fails, with exit status 2.
int ExecBatch(int argc, char* argv[]);

// The arguments that name sources: everything after the program name that
// is not an option ("--" ends the options).
QStringList Sources(const QStringList& arguments);

// A queue file to open rather than a source: an existing file whose name
// ends in the queue file extension.
bool IsQueueFile(const QString& argument);

// What the program tells the terminal about a source it does not queue.
QString RefusedText(const QString& path);

} // namespace CommandLine
