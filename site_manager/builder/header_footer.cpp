#include "site_manager/builder/header_footer.h"

#include "site_manager/builder/header_footer_editor_text.h"
#include "site_manager/builder/template_filling.h"

QString removeBars(const QString& snippet) {
    QString text = snippet;
    return text.remove('|');
}

void HeaderFooterLists::resetPositions() {
    header_.position = 0;
    footer_.position = 0;
}

QString HeaderFooterLists::getnextheaderfooter(const BuildSettings& settings, bool isHeader, bool forThumbnailPage) {
    if (forThumbnailPage) {
        const TemplatePlaceholders& features = settings.Features.Thumbnail;
        if (!(isHeader ? features.Header : features.Footer)) return QString();
        return fromThumbnailSettings(settings, isHeader);
    }
    const TemplatePlaceholders& features = settings.Features.Image;
    if (!(isHeader ? features.Header : features.Footer)) return QString();
    switch (isHeader ? settings.cmbimageHeader : settings.cmbimageFooter) {
    case 1: return fromThumbnailSettings(settings, isHeader);
    case 2: return removeBars(isHeader ? settings.edtimageheaderhtml : settings.edtimagefooterhtml);
    case 3:
        return isHeader ? ListEntryFromFile(header_, settings.edtimageheaderfile)
                        : ListEntryFromFile(footer_, settings.edtimagefooterfile);
    default: return QString();
    }
}

QString HeaderFooterLists::fromThumbnailSettings(const BuildSettings& settings, bool isHeader) {
    switch (isHeader ? settings.cmbHeader : settings.cmbFooter) {
    case 1: return removeBars(isHeader ? settings.edtheaderhtml : settings.edtfooterhtml);
    case 2:
        return isHeader ? ListEntryFromFile(header_, settings.edtheaderfile)
                        : ListEntryFromFile(footer_, settings.edtfooterfile);
    default: return QString();
    }
}

QString HeaderFooterLists::ListEntryFromFile(List& list, const QString& file) {
    const QString upper = file.toUpper();
    if (!file.isEmpty() && list.loadedFile != upper) {
        // Another list file: load it and start at its first entry.
        list.loadedFile = upper;
        list.position = 0;
        if (!readListFile(file, list.entries)) {
            list.loadedFile.clear();  // so the next page tries again
            throw PageBuildError("Cannot read the list file " + file);
        }
    }
    if (list.entries.isEmpty()) throw PageBuildError("The list file " + file + " holds no entry");
    if (list.position >= list.entries.size()) list.position = 0;
    return removeBars(list.entries.at(list.position++));
}
