#pragma once

#include <QStringList>

// The program without a window: tessary --batch runs the jobs of the files,
// folders or plan it is given over the same core as the window (namer, plan,
// scheduler, job runner, temporaries, existing-output choice), and
// tessary --plan prints the plan and runs nothing. Needs a QCoreApplication.
namespace BatchMode {

// Exit statuses: every job done or skipped by choice, some job failed, bad
// usage or a start refused, interrupted by a signal.
enum Status : int { AllDone = 0, SomeFailed = 1, Refused = 2, Interrupted = 130 };

// arguments: as QCoreApplication::arguments() gives them.
int Main(const QStringList& arguments);

} // namespace BatchMode
