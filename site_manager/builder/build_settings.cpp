#include "site_manager/builder/build_settings.h"

QString fontSizeItemText(int itemIndex) {
    static const char* const items[] = {"-2", "-1", "Default", "+1", "+2", "+3", "+4"};
    if (itemIndex < 0 || itemIndex >= int(std::size(items))) return QStringLiteral("Default");
    return QString::fromLatin1(items[itemIndex]);
}

QString BuildSettings::pageDirectory() const {
    if (RotationDirectory.isEmpty() || RotationDirectory.endsWith('/') || RotationDirectory.endsWith('\\'))
        return RotationDirectory;
    return RotationDirectory + '/';
}

QString normalisedPagePrefix(const QString& prefix) {
    if (prefix.isEmpty()) return QStringLiteral("Page ");
    return prefix.endsWith(' ') ? prefix : prefix + ' ';
}

std::uint32_t comboColourValue(const ComboColour& colour) {
    if (!colour) return 0;
    return std::uint32_t(colour->red()) | (std::uint32_t(colour->green()) << 8) |
           (std::uint32_t(colour->blue()) << 16);
}

QColor colourFromValue(std::uint32_t value) {
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}
