#include "site_manager/builder/build_inputs.h"

#include "site_manager/main_window.h"
#include "site_manager/rotation_images.h"

bool NoThumbnailMode = false;
int NoThumbnailPageCount = 0;
bool BuildAllMode = false;
QString DescriptionIniPath;

QStringList buildImagesOf(const QStringList& listedImages) {
    QStringList images;
    for (const QString& name : listedImages)
        if (isRotationImage(name, SupportFileNames)) images << name;
    return images;
}
