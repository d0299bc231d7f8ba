#pragma once
// The display pages that leave a rotation with photos deleted from it. They are named as the
// build names them, over the rotation's images before and after the deletion, so that the pages
// of those photos go and every page the rotation still uses stays.
#include "site_manager/builder/build_settings.h"

#include <QStringList>

// A rotation as a build of it would take it now.
struct RotationPageNaming {
    BuildSettings settings;
    QStringList images;  // as the build lists them (buildImagesOf), the deleted ones among them
};

// The display page names, in the rotation directory, of the deleted images: none when the build
// writes no display pages. A name that stays in use is never among them, whatever its case: a
// thumbnail page (the first page too) of the page count before or after, or the page of an image
// that remains.
QStringList displayPagesOfDeletedImages(const RotationPageNaming& rotation, const QStringList& deleted);
