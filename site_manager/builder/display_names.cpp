#include "site_manager/builder/display_names.h"

#include "site_manager/builder/descriptions.h"
#include "site_manager/builder/page_names.h"
#include "site_manager/builder/text_format.h"

QString TruncateDisplayName(const QString& text, int limit) {
    if (text.length() <= limit) return text;
    return text.left(std::max(0, limit - 3)) + "...";
}

QString GetDisplayFilename(const BuildSettings& settings, const QString& imageName,
                           const QString& descriptionIniPath) {
    if (settings.Filename_Display != FilenameDisplay::Description)
        return GetDisplayFilename(settings, imageName, DescriptionTable());
    return GetDisplayFilename(settings, imageName, DescriptionTable(descriptionIniPath));
}

QString GetDisplayFilename(const BuildSettings& settings, const QString& imageName,
                           const DescriptionTable& descriptions) {
    switch (settings.Filename_Display) {
    case FilenameDisplay::Nothing: return QString();
    // A file name is shown as it is spelt: "<" or "&" in it is text, never markup.
    case FilenameDisplay::WithoutExtension:
        return HtmlText(TruncateDisplayName(imageNameWithoutExtension(imageName), settings.MaxFilenameLength));
    case FilenameDisplay::WithExtension:
        return HtmlText(TruncateDisplayName(imageName, settings.MaxFilenameLength));
    case FilenameDisplay::Description: return LookupDescription(settings, descriptions, imageName);
    }
    return QString();
}
