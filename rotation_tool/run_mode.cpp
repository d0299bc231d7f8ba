#include "rotation_tool/run_mode.h"

bool UnattendedRun = false;
