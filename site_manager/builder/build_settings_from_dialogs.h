#pragma once
// The settings of one build, read from the live controls of the layout settings dialog and the
// site editor, the application options and the current site.
#include "site_manager/builder/build_settings.h"

// Reads dlgThumbOptions, dlgEditSite, ApplicationOptions, tsiterecord, TemplateFeatures and the
// build modes; both dialogs must exist.
BuildSettings buildSettingsFromDialogs();
