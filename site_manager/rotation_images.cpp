#include "site_manager/rotation_images.h"

#include "components/file_list_box.h"
#include "platform/dialogs.h"
#include "platform/file_ops.h"
#include "platform/file_replacement.h"
#include "site_manager/application_options.h"
#include "site_manager/builder/build_read_files.h"
#include "site_manager/builder/template_filling.h"
#include "site_manager/builder/template_references.h"
#include "site_manager/builder/thumbnail_files.h"
#include "site_manager/file_helpers.h"
#include "site_manager/rotation_folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <exception>

namespace {

QString fileNameOf(const QString& path) { return QFileInfo(QString(path).replace('\\', '/')).fileName(); }

// Deletes the image and, once it is gone, its thumbnail; true when the image is gone.
bool deleteImageAndThumbnail(const QString& directory, const QString& name) {
    const QString image = directory + name;
    try {
        dodeletefile(image, false);  // it reports its own failures; a declined question is none
    } catch (const std::exception&) {
        platform::showWarning("Error encountered deleting the file, " + name + "?");
    }
    if (platform::fileExists(image)) return false;
    // A thumbnail left behind would be published with the next build.
    const QString thumbnail = builtThumbnailPath(directory, name, ApplicationOptions.UseThumbsDirectory);
    if (platform::fileExists(thumbnail) && !platform::deleteFile(thumbnail))
        platform::showWarning("Error encountered deleting the thumbnail, " + thumbnail + "!");
    return true;
}

// What the files a build of the rotation may read are on disk: its templates, the header and
// footer lists it names (whichever placeholders its templates hold) and its description file.
QList<FileIdentity> filesABuildMayRead(BuildSettings settings) {
    settings.NoThumbnailMode = false;
    for (TemplatePlaceholders* placeholders : {&settings.Features.Thumbnail, &settings.Features.Image})
        placeholders->Header = placeholders->Footer = true;
    QList<FileIdentity> identities;
    for (const BuildReadFile& file : filesTheBuildReads(settings))
        if (const std::optional<FileIdentity> id = identityOf(QFile::encodeName(file.Path)))
            identities << *id;
    return identities;
}

}  // namespace

bool isRotationImage(const QString& fileName, const QStringList& supportFileNames) {
    if (!matchesFileMask(fileName, RotationImageMask)) return false;
    // A half-written file of a build or copy that never finished is no photo.
    if (platform::isReplacementTemporaryName(fileName)) return false;
    if (fileName.contains("_THB", Qt::CaseInsensitive) || fileName.contains("PAGE_BUTTON_", Qt::CaseInsensitive))
        return false;
    for (const QString& support : supportFileNames)
        if (fileNameOf(support).compare(fileName, Qt::CaseInsensitive) == 0) return false;
    return true;
}

QStringList supportFileNamesFor(const QStringList& navigationFiles, const QStringList& templateFiles) {
    QStringList names;
    for (const QString& file : navigationFiles)
        if (!file.trimmed().isEmpty()) names << fileNameOf(file.trimmed());
    for (const QString& templateFile : templateFiles) {
        QFile file(templateFile.trimmed());
        if (templateFile.trimmed().isEmpty() || !file.open(QIODevice::ReadOnly)) continue;
        bool complete = true;
        for (const QString& reference : templateReferences(decodeUserText(file.readAll()), &complete))
            names << fileNameOf(reference);
    }
    return names;
}

int countRotationImages(const QString& directory, const QStringList& supportFileNames) {
    int count = 0;
    for (const QString& name : QDir(directory).entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (isRotationImage(name, supportFileNames)) ++count;
    return count;
}

void deleteRotationImages(const QString& directory, const QStringList& names,
                          const std::optional<RotationPageNaming>& pageNaming) {
    QStringList deleted;
    for (const QString& name : names)
        if (deleteImageAndThumbnail(directory, name)) deleted << name;
    if (!pageNaming || deleted.isEmpty()) return;
    // Pages are named over the images that are really gone: a photo that stayed keeps its page.
    // A page left behind would be published with the removed photo's name and caption.
    const QList<FileIdentity> read = filesABuildMayRead(pageNaming->settings);
    for (const QString& page : displayPagesOfDeletedImages(*pageNaming, deleted)) {
        const QString path = directory + page;
        // A page that is also a template, list or description file the rotation builds from is
        // the user's file, not the build's.
        const std::optional<FileIdentity> id = identityOf(QFile::encodeName(path));
        if (id && read.contains(*id)) continue;
        if (platform::fileExists(path) && !platform::deleteFile(path))
            platform::showWarning("Error encountered deleting the page, " + path + "!");
    }
}
