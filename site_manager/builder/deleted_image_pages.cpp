#include "site_manager/builder/deleted_image_pages.h"

#include "site_manager/builder/name_limits.h"
#include "site_manager/builder/page_generator.h"
#include "site_manager/builder/page_names.h"

#include <algorithm>

namespace {

// The images a build of these writes pages for, under the names it gives them: those whose
// output names are too long left out, then lower-cased by option.
QStringList imagesAsBuilt(const BuildSettings& settings, QStringList images) {
    for (const QString& name : imagesWithTooLongOutputNames(settings, images)) images.removeOne(name);
    for (QString& name : images) name = ApplyLowercase(settings, name);
    return images;
}

}  // namespace

QStringList displayPagesOfDeletedImages(const RotationPageNaming& rotation, const QStringList& deleted) {
    BuildSettings settings = rotation.settings;
    if (!settings.rdbHTMLImageWindow) return {};
    // A rotation with photos is built with thumbnail pages, whatever an earlier build of it
    // without images left set.
    settings.NoThumbnailMode = false;
    QStringList remaining = rotation.images;
    for (const QString& name : deleted) remaining.removeAll(name);
    const PageGenerator before(settings, imagesAsBuilt(settings, rotation.images));
    const PageGenerator after(settings, imagesAsBuilt(settings, remaining));

    // Case is ignored: on a file system that ignores it, such names are one file.
    QStringList inUse;
    for (int i = 0; i < after.ImageCount(); ++i) inUse << after.imagePageName(i);
    for (int n = 1; n <= std::max(before.PageCount(), after.PageCount()); ++n) inUse << gethtmlpagename(settings, n);
    QStringList pages;
    for (int i = 0; i < before.ImageCount(); ++i) {
        const QString page = before.imagePageName(i);
        if (!after.images().contains(before.images().at(i)) && !inUse.contains(page, Qt::CaseInsensitive))
            pages << page;
    }
    return pages;
}
