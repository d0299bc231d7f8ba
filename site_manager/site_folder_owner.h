#pragma once
// One folder holds the files of one site only: a site folder or rotation folder that another site
// already keeps its files in would have the two sites' Add, Delete and Build change each other's
// files. Folders are compared by what they are on disk where they exist, else by absolute path.
#include <QString>
#include <optional>

// Another site keeping its files in a folder.
struct FolderOwner {
    QString siteName;
    qint64 rotation = 0;  // 0: the folder is that site's own folder
    QString folder;       // as that site names it
};

// The first site other than siteKey whose site folder, or the folder of one of whose rotations,
// is the given folder; nothing when no other site uses it.
std::optional<FolderOwner> otherSiteUsingFolder(const QString& folder, const QString& siteKey);

// "the site, Garden," or "rotation 2 of the site, Garden," for the messages that name the owner.
QString describeOwner(const FolderOwner& owner);
