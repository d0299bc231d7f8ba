#include "site_manager/builder/template_filling.h"

#include "site_manager/builder/build_output.h"
#include "site_manager/builder/header_footer.h"

#include <QFile>
#include <QRegularExpression>

namespace {

// Characters the page's encoding cannot hold (from descriptions or lists in another encoding)
// become numeric character references instead of "?".
QString withReferences(const QString& text, platform::TextEncoding encoding) {
    QString out;
    out.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        if (platform::canEncode(c, encoding))
            out += QString::fromUcs4(&c, 1);
        else
            out += "&#" + QString::number(uint(c)) + ';';
    }
    return out;
}

// The local references (src, href, background) of a template, lower-cased like every file the
// build publishes; addresses with a scheme ("http:", "mailto:") and anchors are left alone.
QString lowercaseLocalReferences(const QString& text) {
    static const QRegularExpression attribute(R"re(\b(?:src|href|background)\s*=\s*"([^"]*)")re",
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression scheme(R"re(^[a-z][a-z0-9+.-]*:)re", QRegularExpression::CaseInsensitiveOption);
    QString result = text;
    for (auto it = attribute.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QString reference = match.captured(1);
        if (reference.startsWith('#') || scheme.match(reference).hasMatch()) continue;
        result.replace(match.capturedStart(1), match.capturedLength(1), reference.toLower());
    }
    return result;
}

}  // namespace

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
    // Lower-casing keeps each reference's length, so the positions found stay valid.
    QString text = settings.ForceLowercase ? lowercaseLocalReferences(templateText) : templateText;
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

QString decodeUserText(const QByteArray& data, platform::TextEncoding* encoding) {
    return platform::decodeFileText(data, encoding);
}

QString loadTemplate(const QString& path, platform::TextEncoding* encoding) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) throw PageBuildError("Cannot read the template " + path);
    return decodeUserText(file.readAll(), encoding);
}

void writePage(const QString& path, const QString& text, platform::TextEncoding encoding,
               platform::ReplacementBatch* step) {
    QString normalised = text;
    normalised.replace("\r\n", "\n").replace('\r', '\n');
    if (normalised.endsWith('\n')) normalised.chop(1);
    normalised.replace('\n', "\r\n");
    normalised += "\r\n";
    const QByteArray data = platform::encodeFileText(withReferences(normalised, encoding), encoding);
    if (!writeBuildFile(path, data, step)) throw PageBuildError("Cannot write the page " + path);
}
