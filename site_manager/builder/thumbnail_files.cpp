#include "site_manager/builder/thumbnail_files.h"

#include "components/file_list_box.h"
#include "platform/file_ops.h"
#include "site_manager/builder/page_names.h"
#include "site_manager/builder/thumbnail_sizing.h"
#include "site_manager/rotation_images.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

QString builtThumbnailPath(const QString& rotationDirectory, const QString& imageName, bool useThumbsDirectory) {
    BuildSettings settings;
    settings.RotationDirectory = rotationDirectory;
    settings.UseThumbsDirectory = useThumbsDirectory;
    return thumbnailDirectory(settings) + ThumbnailFileName(imageName);
}

QStringList removeOrphanedThumbnails(const BuildSettings& settings) {
    const QString pageDirectory = settings.pageDirectory();
    BuildSettings withThumbs = settings;  // the folder is cleaned whatever the option says now
    withThumbs.UseThumbsDirectory = true;
    withThumbs.NoThumbnailMode = false;
    const QString thumbs = thumbnailDirectory(withThumbs);
    const QFileInfo folder(thumbs.chopped(1));
    // An unreadable rotation would look empty and cost every thumbnail; a linked folder lies
    // outside the rotation.
    const QDir rotation(pageDirectory);
    if (pageDirectory.isEmpty() || !rotation.exists() || !rotation.isReadable() || !folder.isDir() ||
        folder.isSymLink())
        return {};
    QSet<QString> expected;
    for (const QString& name : rotation.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        // Any file that can be an image keeps its thumbnail, also one that is now a support file.
        if (!matchesFileMask(name, RotationImageMask)) continue;
        // With the lower-case option the build renames an image before it makes its thumbnail.
        expected.insert(ThumbnailFileName(name));
        expected.insert(ThumbnailFileName(ApplyLowercase(settings, name)));
    }
    QStringList failed;
    for (const QString& name : QDir(thumbs).entryList(QDir::Files | QDir::Hidden)) {
        if (!name.endsWith(ThumbnailFileSuffix) || expected.contains(name)) continue;
        const QString path = thumbs + name;
        if (!platform::deleteFile(path)) failed << path;
    }
    return failed;
}
