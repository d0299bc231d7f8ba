#pragma once
#include <QString>

// True while the rotation tool runs unattended (started with /ROTATE): nothing is shown,
// no question is asked and every report goes to the log.
extern bool UnattendedRun;

namespace rotation_tool {

// Exit status of an unattended run: 0 when nothing failed, 1 when the run logged a failure (its
// lines go to the error output), 2 when another copy of the tool was running for the same data
// directory, so that this start handed its command line over and rotated nothing.
constexpr int kExitRunFailed = 1;
constexpr int kExitOtherCopyRunning = 2;

// The one line an unattended start that found another copy running prints on the error output.
QString otherCopyRunningText(const QString& dataDirectory);

}  // namespace rotation_tool
