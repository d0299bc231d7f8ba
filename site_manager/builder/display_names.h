#pragma once
// The caption shown under a thumbnail and as an image heading.
#include "site_manager/builder/build_settings.h"

#include <QString>

class DescriptionTable;

// Cuts a text longer than limit to limit - 3 characters followed by "...".
QString TruncateDisplayName(const QString& text, int limit);

// The caption of an image by the file name display setting: empty, the name without or with its
// extension (shortened to MaxFilenameLength, written as HTML text), or its description (never
// shortened).
// descriptionIniPath is the ini form of the description file prepared for this build.
QString GetDisplayFilename(const BuildSettings& settings, const QString& imageName,
                           const QString& descriptionIniPath);
// The same with the descriptions already read (see DescriptionTable).
QString GetDisplayFilename(const BuildSettings& settings, const QString& imageName,
                           const DescriptionTable& descriptions);
