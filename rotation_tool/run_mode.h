#pragma once

// True while the rotation tool runs unattended (started with /ROTATE): nothing is shown,
// no question is asked and every report goes to the log.
extern bool UnattendedRun;
