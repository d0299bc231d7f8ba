#include "site_manager/builder/display_names.h"

#include "site_manager/builder/descriptions.h"
#include "site_manager/builder/page_names.h"

QString TruncateDisplayName(const QString& text, int limit) {
    if (text.length() <= limit) return text;
    return text.left(std::max(0, limit - 3)) + "...";
}

QString GetDisplayFilename(const BuildSettings& settings, const QString& imageName,
                           const QString& descriptionIniPath) {
    switch (settings.Filename_Display) {
    case FilenameDisplay::Nothing: return QString();
    case FilenameDisplay::WithoutExtension:
        return TruncateDisplayName(NameWithoutExtension(imageName), settings.MaxFilenameLength);
    case FilenameDisplay::WithExtension: return TruncateDisplayName(imageName, settings.MaxFilenameLength);
    case FilenameDisplay::Description: return LookupDescription(settings, descriptionIniPath, imageName);
    }
    return QString();
}
