#pragma once
// Headers and footers of the generated pages: one fixed snippet, or the entries of a list file
// taken in turn, page after page, starting again at the first after the last.
#include "site_manager/builder/build_settings.h"

#include <QString>
#include <QStringList>
#include <stdexcept>

// A page that cannot be made (unreadable template or list file, empty list, ...).
class PageBuildError : public std::runtime_error {
public:
    explicit PageBuildError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// A snippet with its "|" line-break marks removed.
QString removeBars(const QString& snippet);

// The header and footer lists of one build and the position of the next entry in each.
class HeaderFooterLists {
public:
    // The next header (isHeader) or footer of a thumbnail page or an image page; may be empty.
    // Raises PageBuildError when the list file cannot be read or holds no entry.
    QString getnextheaderfooter(const BuildSettings& settings, bool isHeader, bool forThumbnailPage);

    // Both lists start again at their first entry (the build does this at its start and again
    // before the thumbnail pages).
    void resetPositions();

    int HeaderListPosition() const { return header_.position; }
    int FooterListPosition() const { return footer_.position; }

private:
    struct List {
        QString loadedFile;  // upper-case path of the file now loaded
        QStringList entries;
        int position = 0;
    };
    QString fromThumbnailSettings(const BuildSettings& settings, bool isHeader);
    static QString ListEntryFromFile(List& list, const QString& file);

    List header_;
    List footer_;
};
