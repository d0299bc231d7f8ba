#pragma once
// File names too long for the directory that would hold them. A photo whose thumbnail or display
// page cannot be written under its name is left out of the build instead of stopping it.
#include "site_manager/builder/build_settings.h"

#include <QString>
#include <QStringList>

// The longest file name, in bytes, that directory (or, while it does not exist, its nearest
// existing parent) takes; 255 when the file system cannot say.
int fileNameLimit(const QString& directory);

// The images, in their order, whose thumbnail or display page would have a name longer than its
// directory takes. Names are the build's own: lower-cased by option, and display pages (only when
// the build writes them) as imagePageNames gives them to the images that stay.
QStringList imagesWithTooLongOutputNames(const BuildSettings& settings, const QStringList& images);
