#include "site_manager/builder/page_names.h"

#include "site_manager/builder/thumbnail_sizing.h"

#include <QUrl>

namespace {

QString fileNamePart(const QString& path) {
    const int slash = std::max(path.lastIndexOf('/'), path.lastIndexOf('\\'));
    return path.mid(slash + 1);
}

}  // namespace

QString NameWithoutExtension(const QString& path) {
    const QString name = fileNamePart(path);
    const int dot = name.lastIndexOf('.');
    return dot >= 0 ? name.left(dot) : name;
}

QString fileExtension(const QString& fileName) {
    const QString name = fileNamePart(fileName);
    const int dot = name.lastIndexOf('.');
    return dot >= 0 ? name.mid(dot) : QString();
}

// Page names are file names and link targets at once, so the lower-case option applies to both.
QString gethtmlpagename(const BuildSettings& settings, int n) {
    if (n <= 1) return ApplyLowercase(settings, settings.BaseHTMLName);
    return ApplyLowercase(settings, NameWithoutExtension(settings.BaseHTMLName) + QString::number(n) +
                                        fileExtension(settings.BaseHTMLName));
}

QString imagePageName(const BuildSettings& settings, const QString& imageName) {
    return ApplyLowercase(settings, NameWithoutExtension(imageName) + fileExtension(settings.BaseHTMLName));
}

QString thumbnailDirectory(const BuildSettings& settings) {
    if (settings.UseThumbsDirectory && !settings.NoThumbnailMode) return settings.pageDirectory() + "thumbs/";
    return settings.pageDirectory();
}

QString PageButtonFileName(int n, bool currentPage, const QString& extension) {
    return (currentPage ? QStringLiteral("Page_Button_On_") : QStringLiteral("Page_Button_")) + QString::number(n) +
           extension;
}

QString ApplyLowercase(const BuildSettings& settings, const QString& text) {
    return settings.ForceLowercase ? text.toLower() : text;
}

QString GetImageLinkName(const BuildSettings& settings, const QString& imageName) {
    return settings.rdbHTMLImageWindow ? imagePageName(settings, imageName) : imageName;
}

QString LinkTarget(const BuildSettings& settings, const QString& fileName) {
    return QString::fromLatin1(QUrl::toPercentEncoding(ApplyLowercase(settings, fileName), "/"));
}

QString GetHREF(const BuildSettings& settings, const QString& target) {
    const QString t = LinkTarget(settings, target);
    // A javascript: link is percent-decoded once before it runs, so the script must receive the
    // still-encoded name: its "%" signs are encoded again. The encoded name holds no quote.
    const QString script = QString(t).replace('%', "%25");
    switch (settings.cmbImageDisplayMethod) {
    case NewWindow: return t + "\" Target=\"_blank";
    case NewWindowScript:
        return "javascript:openWin('" + script + "','" + PopupWindowName(ApplyLowercase(settings, target)) + "');";
    case SecondWindowScript: return "javascript:openWin('" + script + "','');";
    default: return t;
    }
}

QString PopupWindowName(const QString& target) {
    const QString name = fileNamePart(target).toLower();
    if (name.isEmpty()) return QStringLiteral("New_window");
    QString window = QStringLiteral("show_");
    for (const QChar c : name) {
        const bool plain = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z');
        window += plain ? c : QChar('_');
    }
    return window + "_window";
}

QString thumbnailSource(const BuildSettings& settings, const QString& imageName) {
    const QString thumbnail = ThumbnailFileName(imageName);
    return LinkTarget(settings, settings.UseThumbsDirectory ? "./thumbs/" + thumbnail : thumbnail);
}
