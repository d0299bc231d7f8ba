#include "rotation_tool/run_mode.h"

bool UnattendedRun = false;

QString rotation_tool::otherCopyRunningText(const QString& dataDirectory) {
    return "Nothing was rotated: another copy of Spindleway is running for the data directory " + dataDirectory +
           ", so this run handed its command line to it and ended.";
}
