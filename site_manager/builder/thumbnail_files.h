#pragma once
// The thumbnail files a build leaves in a rotation: where an image's thumbnail lies, and the
// thumbnails whose image has left the rotation, which must not be published with it.
#include "site_manager/builder/build_settings.h"

#include <QString>
#include <QStringList>

// The thumbnail the build makes of an image of the rotation directory: in its "thumbs/" folder
// when useThumbsDirectory is on, else beside the pages.
QString builtThumbnailPath(const QString& rotationDirectory, const QString& imageName, bool useThumbsDirectory);

// Removes from the rotation's "thumbs/" folder the build's thumbnails ("<name>_thb.jpg") of images
// the rotation directory no longer holds, by the build's names for the files there that can be
// images (the lower-case option's names too). Other files, and anything outside that folder,
// stay. Nothing is removed when the rotation directory cannot be read or the folder is a link.
// Gives the paths that could not be removed.
QStringList removeOrphanedThumbnails(const BuildSettings& settings);
