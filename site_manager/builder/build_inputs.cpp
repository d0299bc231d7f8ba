#include "site_manager/builder/build_inputs.h"

bool NoThumbnailMode = false;
int NoThumbnailPageCount = 0;
bool BuildAllMode = false;
QString DescriptionIniPath;
