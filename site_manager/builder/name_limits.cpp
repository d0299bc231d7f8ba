#include "site_manager/builder/name_limits.h"

#include "site_manager/builder/page_generator.h"
#include "site_manager/builder/page_names.h"
#include "site_manager/builder/thumbnail_sizing.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <climits>
#include <unistd.h>

namespace {

constexpr int DefaultNameLimit = 255;

bool tooLong(const QString& name, int limit) { return QFile::encodeName(name).size() > limit; }

}  // namespace

int fileNameLimit(const QString& directory) {
    QString existing = QDir::cleanPath(directory);
    while (!QFileInfo(existing).isDir()) {
        const QString parent = QFileInfo(existing).path();
        if (parent == existing) break;
        existing = parent;
    }
    const long limit = ::pathconf(QFile::encodeName(existing).constData(), _PC_NAME_MAX);
    return limit > 0 ? int(std::min<long>(limit, INT_MAX)) : DefaultNameLimit;
}

QStringList imagesWithTooLongOutputNames(const BuildSettings& settings, const QStringList& images) {
    if (settings.NoThumbnailMode) return {};
    const int thumbnailLimit = fileNameLimit(thumbnailDirectory(settings));
    const int pageLimit = fileNameLimit(settings.pageDirectory());
    const bool pages = settings.rdbHTMLImageWindow;
    QSet<QString> out;
    QStringList kept;
    for (const QString& image : images) {
        // With the lower-case option the build names an image's files after its lower-case name.
        const QString built = ApplyLowercase(settings, image);
        // A page name made up for a clash is longer still than the one the image asks for.
        if (tooLong(ThumbnailFileName(built), thumbnailLimit) ||
            (pages && tooLong(imagePageName(settings, built), pageLimit)))
            out.insert(image);
        else
            kept << image;
    }
    // Only a clash can still give a page a name too long, and leaving one image out may settle
    // another's clash: they go one at a time.
    for (bool again = pages; again;) {
        again = false;
        QStringList built;
        for (const QString& image : kept) built << ApplyLowercase(settings, image);
        const PageGenerator generator(settings, built);
        for (int i = 0; i < kept.size() && !again; ++i) {
            if (!tooLong(generator.imagePageName(i), pageLimit)) continue;
            out.insert(kept.takeAt(i));
            again = true;
        }
    }
    QStringList tooLongImages;
    for (const QString& image : images)
        if (out.contains(image)) tooLongImages << image;
    return tooLongImages;
}
