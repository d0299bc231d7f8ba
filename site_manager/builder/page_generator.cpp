#include "site_manager/builder/page_generator.h"

#include "imaging/format_registry.h"
#include "imaging/formats/jpeg_orientation.h"
#include "site_manager/builder/display_names.h"
#include "site_manager/builder/navigation.h"
#include "site_manager/builder/page_names.h"
#include "site_manager/builder/thumbnail_sizing.h"

namespace {

std::optional<QSize> graphicFileSize(const QString& path) {
    QString description;
    TPGGraphicInfo info;
    try {
        if (!GetGraphicFileInfo(path, 0, description, info)) return std::nullopt;
    } catch (...) {
        return std::nullopt;
    }
    const QSize stored(info.Width, info.Height);
    // Browsers show a photograph turned by its EXIF orientation, so the page sizes it that way.
    return IsJpegFile(path) ? DisplayedSize(stored, JpegFileOrientation(path)) : stored;
}

}  // namespace

PageGenerator::PageGenerator(BuildSettings settings, QStringList images)
    : settings_(std::move(settings)), images_(std::move(images)), imageSize_(graphicFileSize) {
    settings_.edtpagenumberprefix = normalisedPagePrefix(settings_.edtpagenumberprefix);
    imagePages_ = imagePageNames(settings_, images_, PageCount());
}

int PageGenerator::ImagesPerPage() const { return std::max(1, settings_.spnHorzCOunt) * std::max(1, settings_.spnVertCOunt); }

int PageGenerator::PageCount() const {
    if (settings_.NoThumbnailMode) return std::max(0, settings_.NoThumbnailPageCount);
    return (ImageCount() + ImagesPerPage() - 1) / ImagesPerPage();
}

int PageGenerator::firstImageOfPage(int p) const { return (p - 1) * ImagesPerPage(); }

int PageGenerator::pageOfImage(int i) const { return i / ImagesPerPage() + 1; }

void PageGenerator::message(const QString& text) const {
    if (message_) message_(text);
}

QString PageGenerator::CreateIndex(int p) {
    message("Creating Index for Page " + QString::number(p));
    return ::CreateIndex(settings_, p, PageCount(), useButtons_, buttonExtension_, otherButtonExtension_);
}

QString PageGenerator::thumbPageIndex(int p) {
    if (!settings_.Features.Thumbnail.Index || !settings_.chkIndexInThumbPages) return QString();
    return CreateIndex(p);
}

QString PageGenerator::imagePageIndex(int p) {
    if (!settings_.Features.Image.Index || !settings_.chkIndexInImagePages) return QString();
    return CreateIndex(p);
}

QString PageGenerator::displayName(const QString& imageName) const {
    return GetDisplayFilename(settings_, imageName, descriptions_);
}

QString PageGenerator::thumbPagePath(int p) const { return settings_.pageDirectory() + gethtmlpagename(settings_, p); }

QString PageGenerator::imagePagePath(int i) const { return settings_.pageDirectory() + imagePageName(i); }

QString PageGenerator::GetImageLinkName(int i) const {
    return ::GetImageLinkName(settings_, images_.value(i), imagePageName(i));
}

PageGenerator::RunResult PageGenerator::writeImagePages(const AfterPage& afterPage) {
    headerFooter_.resetPositions();
    if (!settings_.rdbHTMLImageWindow || settings_.NoThumbnailMode) return RunResult::Done;
    for (int p = 1; p <= PageCount(); ++p) {
        const QString index = imagePageIndex(p);
        for (int i = firstImageOfPage(p); i < std::min(ImageCount(), firstImageOfPage(p + 1)); ++i) {
            message("Creating Image Display page for the image, " + images_.at(i));
            if (!createHTMLImagepage(imagePagePath(i), i, index, p)) return RunResult::Failed;
            if (afterPage && afterPage()) return RunResult::Stopped;
        }
    }
    return RunResult::Done;
}

PageGenerator::RunResult PageGenerator::writeThumbPages(const AfterPage& afterPage) {
    headerFooter_.resetPositions();
    for (int p = 1; p <= PageCount(); ++p) {
        const QString index = thumbPageIndex(p);
        message("Creating the HTML Page, " + gethtmlpagename(settings_, p));
        if (!createHTMLThumbpage(thumbPagePath(p), p, index, firstImageOfPage(p))) return RunResult::Failed;
        if (afterPage && afterPage()) return RunResult::Stopped;
    }
    return RunResult::Done;
}
