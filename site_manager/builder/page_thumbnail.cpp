// Thumbnail pages: a table of thumbnails, each linking to its image or display page, with the
// optional page heading, the maker line and the previous/next navigation.
#include "site_manager/builder/navigation.h"
#include "site_manager/builder/page_generator.h"
#include "site_manager/builder/page_heading.h"
#include "site_manager/builder/page_names.h"
#include "site_manager/builder/template_filling.h"
#include "site_manager/builder/text_format.h"

namespace {
const QString CRLF = QStringLiteral("\r\n");
}

QString PageGenerator::ThumbCellHtml(int i) const {
    const QString& imageName = images_.at(i);
    const QString source = thumbnailSource(settings_, imageName);
    const QString link = GetHREF(settings_, GetImageLinkName(i));
    QString cell = "<td><center><a href=\"" + link + "\">" + "<img SRC=\"" + source + "\" BORDER=" +
                   QString::number(settings_.spnImageborder) + "></a>";
    if (settings_.Filename_Display == FilenameDisplay::Nothing) return cell + "</td>" + CRLF;
    const TagPair font = pageFontTags(settings_);
    return cell + "<br><a href=\"" + link + "\">" + font.Open + displayName(imageName) + font.Close + "</a></center>" +
           CRLF + "</td>" + CRLF;
}

QString PageGenerator::CreateThumbGrid(int p, int firstImage, const QString& nextCaption, const QString& nextPage,
                                       const QString& previousCaption, const QString& previousPage) const {
    QString grid;
    if (settings_.chkThumbnailPageHeading)
        grid += CreateHeading(settings_, settings_.edtpagenumberprefix + QString::number(p));
    grid += "<center><table CELLSPACING=" + QString::number(settings_.spnCellSpacing) +
            " CELLPADDING=" + QString::number(settings_.spnCellPadding) + ">" + CRLF;
    int image = firstImage;
    for (int row = 0; row < settings_.spnVertCOunt; ++row) {
        grid += "<tr ALIGN=CENTER VALIGN=BOTTOM>" + CRLF;
        for (int column = 0; column < settings_.spnHorzCOunt && image < ImageCount(); ++column)
            grid += ThumbCellHtml(image++) + CRLF;
        grid += "</tr>" + CRLF;
    }
    grid += "</table></center>" + CRLF;
    if (settings_.chkAddTavrelLink) grid += "<BR>&nbsp;" + GetTavrelLink() + CRLF;
    grid += "<BR>&nbsp;" +
            getnavigationstring(settings_, previousPage, previousCaption, true, nextCaption, nextPage, QString(),
                                QString());
    return grid;
}

QString PageGenerator::thumbPageText(int p, const QString& indexHtml, int firstImage) {
    const QString templateText = loadTemplate(settings_.ThumbnailTemplate, &pageEncoding_);
    const int pages = PageCount();
    const QString previousPage = p <= 1 ? QString() : gethtmlpagename(settings_, p - 1);
    const QString nextPage = p >= pages ? QString() : gethtmlpagename(settings_, p + 1);
    const QString previousCaption = "Previous " + QString::number(ImagesPerPage()) + " Thumbnails";
    QString nextCaption;
    if (p < pages - 1) {
        nextCaption = "Next " + QString::number(ImagesPerPage()) + " Thumbnails";
    } else {
        const int remainder = ImageCount() % ImagesPerPage();
        nextCaption = "Last " + QString::number(remainder == 0 ? ImagesPerPage() : remainder) + " Thumbnails";
    }
    QString content;
    if (!settings_.NoThumbnailMode) {
        content = CreateThumbGrid(p, firstImage, nextCaption, nextPage, previousCaption, previousPage);
        if (content.isEmpty()) throw PageBuildError("Empty thumbnail grid");
    }
    const QString header = headerFooter_.getnextheaderfooter(settings_, true, true);
    const QString footer = headerFooter_.getnextheaderfooter(settings_, false, true);
    return splicetext(settings_, templateText, content, true, footer, header, indexHtml);
}

bool PageGenerator::createHTMLThumbpage(const QString& path, int p, const QString& indexHtml, int firstImage) {
    try {
        const QString text = thumbPageText(p, indexHtml, firstImage);
        writePage(path, text, pageEncoding_, output_);
        return true;
    } catch (...) {
        return false;
    }
}
