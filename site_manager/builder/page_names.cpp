#include "site_manager/builder/page_names.h"

#include "site_manager/builder/thumbnail_sizing.h"
#include "site_manager/site_paths.h"

#include <QHash>
#include <QSet>
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

QString imageNameWithoutExtension(const QString& imageName) { return changeextension(imageName, QString()); }

QString imagePageName(const BuildSettings& settings, const QString& imageName) {
    return ApplyLowercase(settings, imageNameWithoutExtension(imageName) + fileExtension(settings.BaseHTMLName));
}

QStringList imagePageNames(const BuildSettings& settings, const QStringList& images, int pageCount) {
    // Neither a thumbnail page nor an image itself is ever written over by an image page.
    QSet<QString> taken;
    for (int n = 1; n <= pageCount; ++n) taken.insert(gethtmlpagename(settings, n));
    for (const QString& image : images) taken.insert(image);
    QHash<QString, int> askedFor;
    for (const QString& image : images) ++askedFor[imagePageName(settings, image)];
    // Every name that only one image asks for and no thumbnail page has is settled first, so
    // that a name made up for a clash never takes an ordinary image's page.
    QStringList names;
    for (const QString& image : images) {
        const QString name = imagePageName(settings, image);
        const bool own = askedFor.value(name) == 1 && !taken.contains(name);
        names << (own ? name : QString());
    }
    for (const QString& name : names)
        if (!name.isEmpty()) taken.insert(name);
    const QString extension = fileExtension(settings.BaseHTMLName);
    for (int i = 0; i < images.size(); ++i) {
        if (!names[i].isEmpty()) continue;
        QString name = ApplyLowercase(settings, images[i] + extension);
        for (int n = 2; taken.contains(name); ++n)
            name = ApplyLowercase(settings, images[i] + "_" + QString::number(n) + extension);
        taken.insert(name);
        names[i] = name;
    }
    return names;
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

QString GetImageLinkName(const BuildSettings& settings, const QString& imageName, const QString& pageName) {
    return settings.rdbHTMLImageWindow ? pageName : imageName;
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
