#include "site_manager/builder/template_filling.h"

#include "platform/file_ops.h"
#include "site_manager/builder/header_footer.h"

#include <QFile>

QString ReplaceString(const QString& text, const QString& placeholder, const QString& value) {
    const int at = text.indexOf(placeholder, 0, Qt::CaseSensitive);
    if (at < 0) return text;
    return text.left(at) + value + text.mid(at + placeholder.length());
}

QString popupScript() {
    return QStringLiteral(
        "<script language=\"JavaScript\">\r\n"
        "<!-- \r\n"
        "function openWin(url,name) \r\n"
        "{\r\n"
        "   popupWin = window.open(url, name,\"resizable=yes,scrollbars=yes\");\r\n"
        "}\r\n"
        "// -->\r\n"
        "</script>\r\n");
}

QString splicetext(const BuildSettings& settings, const QString& templateText, const QString& content,
                   bool insertScript, const QString& footer, const QString& header, const QString& index) {
    QString text = templateText;
    QString body = content;
    if (insertScript &&
        (settings.cmbImageDisplayMethod == NewWindowScript || settings.cmbImageDisplayMethod == SecondWindowScript)) {
        bool placed = false;
        for (const char* closingHead : {"</HEAD>", "</Head>", "</head>"}) {
            if (text.contains(QLatin1String(closingHead), Qt::CaseSensitive)) {
                text = ReplaceString(text, closingHead, popupScript() + closingHead);
                placed = true;
                break;
            }
        }
        if (!placed) body = popupScript() + body;
    }
    text = ReplaceString(text, ContentPlaceholder, body);
    text = ReplaceString(text, IndexPlaceholder, index);
    text = ReplaceString(text, HeaderPlaceholder, header);
    text = ReplaceString(text, FooterPlaceholder, footer);
    return text;
}

QString loadTemplate(const QString& path) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) throw PageBuildError("Cannot read the template " + path);
    return QString::fromUtf8(file.readAll());
}

void writePage(const QString& path, const QString& text) {
    QString normalised = text;
    normalised.replace("\r\n", "\n").replace('\r', '\n');
    QStringList lines = normalised.split('\n');
    if (normalised.endsWith('\n')) lines.removeLast();
    if (!platform::writeTextLines(path, lines)) throw PageBuildError("Cannot write the page " + path);
}
