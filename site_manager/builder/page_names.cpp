#include "site_manager/builder/page_names.h"

#include "site_manager/builder/thumbnail_sizing.h"

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

QString gethtmlpagename(const BuildSettings& settings, int n) {
    if (n <= 1) return settings.BaseHTMLName;
    return NameWithoutExtension(settings.BaseHTMLName) + QString::number(n) + fileExtension(settings.BaseHTMLName);
}

QString imagePageName(const BuildSettings& settings, const QString& imageName) {
    return NameWithoutExtension(imageName) + fileExtension(settings.BaseHTMLName);
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

QString GetHREF(const BuildSettings& settings, const QString& target) {
    const QString t = ApplyLowercase(settings, target);
    switch (settings.cmbImageDisplayMethod) {
    case NewWindow: return t + "\" Target=\"_blank";
    case NewWindowScript: return "javascript:openWin('" + t + "','" + PopupWindowName(t) + "');";
    case SecondWindowScript: return "javascript:openWin('" + t + "','');";
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
    return ApplyLowercase(settings, settings.UseThumbsDirectory ? "./thumbs/" + thumbnail : thumbnail);
}
