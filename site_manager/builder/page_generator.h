#pragma once
// The pages of one build: thumbnail pages and image display pages made from their templates,
// with the page index, navigation, headers, footers and captions. It holds the build-wide state
// the pages share (page counts, header/footer list positions, the description file, the page
// button extension); the build pipeline drives it page by page.
#include "platform/ini_document.h"
#include "site_manager/builder/build_settings.h"
#include "site_manager/builder/descriptions.h"
#include "site_manager/builder/header_footer.h"

#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace platform {
class ReplacementBatch;
}

class PageGenerator {
public:
    // images: the file names (no directory) of the build, in build order. The page-number prefix
    // of the settings is normalised (normalisedPagePrefix) as the build does.
    PageGenerator(BuildSettings settings, QStringList images);

    const BuildSettings& settings() const { return settings_; }
    const QStringList& images() const { return images_; }
    int ImageCount() const { return int(images_.size()); }
    int ImagesPerPage() const;
    // ceil(ImageCount / ImagesPerPage), or NoThumbnailPageCount in NoThumbnailMode.
    int PageCount() const;
    // Index in images() of the first image of thumbnail page p.
    int firstImageOfPage(int p) const;
    // The thumbnail page (from 1) that holds image i.
    int pageOfImage(int i) const;

    // --- Build-wide inputs ---
    // Page buttons in use: the index shows button images instead of text.
    void setUseButtons(bool useButtons) { useButtons_ = useButtons; }
    bool UseButtons() const { return useButtons_; }
    // The extension of the last page button written (".jpg" or ".gif").
    // The extensions of the current-page and other-page buttons (the same when other is empty).
    void setButtonExtension(const QString& extension, const QString& otherExtension = QString()) {
        buttonExtension_ = extension;
        otherButtonExtension_ = otherExtension;
    }
    // The ini form of the description file (see prepareDescriptionFile).
    // Read once here: every caption of the build looks its description up in the table.
    void setDescriptionIniPath(const QString& path) { descriptions_ = DescriptionTable(path); }
    // The batch the pages are left in until their step places them; none writes each page at once.
    void setOutput(platform::ReplacementBatch* step) { output_ = step; }
    // Progress texts such as "Creating Index for Page 2".
    void setMessageHandler(std::function<void(const QString&)> handler) { message_ = std::move(handler); }
    // Reads the pixel size of an image file (for the maximum image size); nothing when unreadable.
    // The imaging library's file information is used unless another reader is set.
    using ImageSizeReader = std::function<std::optional<QSize>(const QString& path)>;
    void setImageSizeReader(ImageSizeReader reader) { imageSize_ = std::move(reader); }

    // Header and footer lists start again at their first entry.
    void resetListPositions() { headerFooter_.resetPositions(); }
    HeaderFooterLists& headerFooter() { return headerFooter_; }

    // --- Page index ---
    QString CreateIndex(int p);
    // The index for thumbnail page p: made when the thumbnail template holds "***INDEX***" and
    // chkIndexInThumbPages is checked, else empty.
    QString thumbPageIndex(int p);
    // The index for the image pages of thumbnail page p: made when the image template holds
    // "***INDEX***" and chkIndexInImagePages is checked, else empty.
    QString imagePageIndex(int p);

    // The display page of image i (see imagePageNames), whether or not the build writes it.
    QString imagePageName(int i) const { return imagePages_.value(i); }
    // Where links to image i lead: the image itself, or its display page.
    QString GetImageLinkName(int i) const;

    // --- Thumbnail pages ---
    // The cell of image i.
    QString ThumbCellHtml(int i) const;
    QString CreateThumbGrid(int p, int firstImage, const QString& nextCaption, const QString& nextPage,
                            const QString& previousCaption, const QString& previousPage) const;
    // The text of thumbnail page p; raises PageBuildError when it cannot be made.
    QString thumbPageText(int p, const QString& indexHtml, int firstImage);
    // Writes thumbnail page p to path; false on any failure.
    bool createHTMLThumbpage(const QString& path, int p, const QString& indexHtml, int firstImage);
    // The full path of thumbnail page p in the page directory.
    QString thumbPagePath(int p) const;

    // --- Image display pages ---
    // The text of the display page of image i, whose thumbnail is on page p; raises PageBuildError.
    QString imagePageText(int i, const QString& indexHtml, int p);
    // Writes the display page of image i to path; false on any failure.
    bool createHTMLImagepage(const QString& path, int i, const QString& indexHtml, int p);
    // The full path of the display page of image i in the page directory.
    QString imagePagePath(int i) const;

    // --- Whole runs, in the build's order (image pages first, then thumbnail pages) ---
    enum class RunResult { Done, Failed, Stopped };
    // Called after each page written; true stops the run (a confirmed cancel).
    using AfterPage = std::function<bool()>;
    // Every image display page, thumbnail page by thumbnail page with the index made once per
    // thumbnail page; header and footer lists start at their first entry. Progress texts go to the
    // message handler. Failed at the first page that cannot be written.
    RunResult writeImagePages(const AfterPage& afterPage = {});
    // Every thumbnail page, 1 to PageCount, each from its first image; lists start again first.
    RunResult writeThumbPages(const AfterPage& afterPage = {});

private:
    QString displayName(const QString& imageName) const;
    QString sizeAttributes(const QString& imageName) const;
    void message(const QString& text) const;

    BuildSettings settings_;
    QStringList images_;
    QStringList imagePages_;  // by image
    bool useButtons_ = false;
    QString buttonExtension_ = ".gif";
    QString otherButtonExtension_;
    DescriptionTable descriptions_;
    std::function<void(const QString&)> message_;
    ImageSizeReader imageSize_;
    HeaderFooterLists headerFooter_;
    platform::ReplacementBatch* output_ = nullptr;
    platform::TextEncoding pageEncoding_ = platform::TextEncoding::Utf8;  // of the template last read, for its page
};
