#pragma once
// Which files of a rotation directory are its gallery images. The build's image list, the site
// editor's image list and the image counts of the rotation lists all ask here, so that they
// always agree.
#include "site_manager/builder/deleted_image_pages.h"

#include <QString>
#include <QStringList>
#include <optional>

// The files of a rotation directory that can be images.
inline const QString RotationImageMask = QStringLiteral("*.gif;*.jpe;*.jpg");

// True when the file name matches the image mask and names none of the files a build puts into
// the rotation itself: thumbnails ("_thb"), page buttons ("Page_Button_"), the support files
// (compared by their file names, in any case) and the temporary files of a build or copy that
// never finished.
bool isRotationImage(const QString& fileName, const QStringList& supportFileNames);

// The support file names a build copies for these settings: the navigation graphics and the
// local files each existing template refers to.
QStringList supportFileNamesFor(const QStringList& navigationFiles, const QStringList& templateFiles);

// The number of gallery images in a directory.
int countRotationImages(const QString& directory, const QStringList& supportFileNames);

// Deletes the named images of the rotation directory in the order given (a read-only file is
// asked about first, and every failure is told). Each one gone takes along the thumbnail the build made
// of it (in "thumbs/" or beside the pages by the thumbs-directory option) and, when the rotation's
// page naming is given, its display page (displayPagesOfDeletedImages); an existing page that
// cannot be removed is named in a warning box.
void deleteRotationImages(const QString& directory, const QStringList& names,
                          const std::optional<RotationPageNaming>& pageNaming);
