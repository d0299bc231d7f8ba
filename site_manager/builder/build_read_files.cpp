#include "site_manager/builder/build_read_files.h"

#include "site_manager/builder/build_settings.h"
#include "site_manager/builder/page_generator.h"
#include "site_manager/rotation_folders.h"

#include <QFile>

namespace {

constexpr int ListFromFile = 2;       // cmbHeader / cmbFooter "Different ... on each created page"
constexpr int AsThumbnailPages = 1;   // cmbimageHeader / cmbimageFooter
constexpr int ImageListFromFile = 3;  // cmbimageHeader / cmbimageFooter

bool writesImagePages(const BuildSettings& s) { return s.rdbHTMLImageWindow && !s.NoThumbnailMode; }

std::optional<FileIdentity> identityOfFile(const QString& path) {
    if (path.isEmpty()) return std::nullopt;
    return identityOf(QFile::encodeName(path));
}

// The header (or footer) list files the pages take entries from: only for a template that has
// the placeholder, as the pages themselves read them.
void appendListFiles(QList<BuildReadFile>& files, const BuildSettings& s, bool imagePages, bool isHeader) {
    const QString kind = isHeader ? "header list" : "footer list";
    const int thumbChoice = isHeader ? s.cmbHeader : s.cmbFooter;
    const QString& thumbList = isHeader ? s.edtheaderfile : s.edtfooterfile;
    const TemplatePlaceholders& thumb = s.Features.Thumbnail;
    if ((isHeader ? thumb.Header : thumb.Footer) && thumbChoice == ListFromFile) files.append({kind, thumbList});
    const TemplatePlaceholders& image = s.Features.Image;
    if (!imagePages || !(isHeader ? image.Header : image.Footer)) return;
    const int imageChoice = isHeader ? s.cmbimageHeader : s.cmbimageFooter;
    if (imageChoice == AsThumbnailPages && thumbChoice == ListFromFile) files.append({kind, thumbList});
    if (imageChoice == ImageListFromFile) files.append({kind, isHeader ? s.edtimageheaderfile : s.edtimagefooterfile});
}

}  // namespace

QList<BuildReadFile> filesTheBuildReads(const BuildSettings& s) {
    QList<BuildReadFile> files{{"template", s.ThumbnailTemplate}};
    const bool imagePages = writesImagePages(s);
    if (imagePages) files.append({"template", s.ImageTemplate});
    appendListFiles(files, s, imagePages, true);
    appendListFiles(files, s, imagePages, false);
    if (s.Filename_Display == FilenameDisplay::Description) files.append({"description file", s.edtdescripfile});
    return files;
}

std::optional<PageOverReadFile> pageOverReadFile(const PageGenerator& pages) {
    // Only files that exist can be written over; a page that does not exist yet is none of them.
    QList<std::pair<FileIdentity, BuildReadFile>> read;
    for (const BuildReadFile& file : filesTheBuildReads(pages.settings()))
        if (const std::optional<FileIdentity> id = identityOfFile(file.Path)) read.append({*id, file});
    if (read.isEmpty()) return std::nullopt;

    QStringList written;
    if (writesImagePages(pages.settings()))
        for (int i = 0; i < pages.ImageCount(); ++i) written << pages.imagePagePath(i);
    for (int p = 1; p <= pages.PageCount(); ++p) written << pages.thumbPagePath(p);

    for (const QString& page : written) {
        const std::optional<FileIdentity> id = identityOfFile(page);
        if (!id) continue;
        for (const auto& [readId, file] : read)
            if (readId == *id) return PageOverReadFile{page, file};
    }
    return std::nullopt;
}
