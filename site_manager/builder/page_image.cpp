// Image display pages: one page per image showing it (optionally scaled down by size attributes)
// with its heading, the maker line and the previous / index / next navigation.
#include "site_manager/builder/display_names.h"
#include "site_manager/builder/navigation.h"
#include "site_manager/builder/page_generator.h"
#include "site_manager/builder/page_heading.h"
#include "site_manager/builder/page_names.h"
#include "site_manager/builder/template_filling.h"
#include "site_manager/builder/text_format.h"
#include "site_manager/builder/thumbnail_sizing.h"

namespace {
const QString CRLF = QStringLiteral("\r\n");
}

QString PageGenerator::sizeAttributes(const QString& imageName) const {
    if (!settings_.chkmaximagesize || !imageSize_) return QString();
    const std::optional<QSize> size = imageSize_(settings_.pageDirectory() + imageName);
    if (!size || size->width() <= 0 || size->height() <= 0) return QString();
    const QSize fitted =
        calculatedimensions(size->width(), size->height(), settings_.spnImageWidth, settings_.SpnImageHeight);
    return " WIDTH=" + QString::number(fitted.width()) + " HEIGHT=" + QString::number(fitted.height()) + " ";
}

QString PageGenerator::imagePageText(int i, const QString& indexHtml, int p) {
    if (i < 0 || i >= ImageCount()) throw PageBuildError("No image " + QString::number(i));
    const QString templateText = loadTemplate(settings_.ImageTemplate, &pageEncoding_);
    const QString& name = images_.at(i);
    QString body;
    if (settings_.chkImageHeading)
        body = CreateHeading(settings_,
                             settings_.Filename_Display == FilenameDisplay::Nothing ? HtmlText(name) : displayName(name));
    body += CRLF + "<CENTER><IMG SRC=\"" + LinkTarget(settings_, name) + "\"" + sizeAttributes(name) +
            "></CENTER>";
    const QString previousTarget = i == 0 ? QString() : GetImageLinkName(i - 1);
    const QString nextTarget = i == ImageCount() - 1 ? QString() : GetImageLinkName(i + 1);
    if (settings_.chkAddTavrelLink) body += CRLF + "<BR>&nbsp;" + GetTavrelLink();
    body += CRLF + "<BR>&nbsp;" +
            getnavigationstring(settings_, previousTarget, "Previous Image", false, "Next Image", nextTarget, "Index",
                                gethtmlpagename(settings_, p));
    const QString header = headerFooter_.getnextheaderfooter(settings_, true, false);
    const QString footer = headerFooter_.getnextheaderfooter(settings_, false, false);
    return splicetext(settings_, templateText, body, false, footer, header, indexHtml);
}

bool PageGenerator::createHTMLImagepage(const QString& path, int i, const QString& indexHtml, int p) {
    try {
        const QString text = imagePageText(i, indexHtml, p);
        writePage(path, text, pageEncoding_, output_);
        return true;
    } catch (...) {
        return false;
    }
}
