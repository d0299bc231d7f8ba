#pragma once
// Whose a folder is. A site keeps its files in its site folder and its rotation folders (each
// rotation's "thumbs" folder is its builds' own) and publishes into its live directory; the
// programs keep theirs in the data directory. Every action that writes into a folder or deletes
// one asks here first, so that no action changes the files of another. Folders are compared by
// what they are on disk, every link resolved (by device and inode where they exist), never by
// their spelling.
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <utility>

enum class FolderRole {
    DataDirectory,  // the programs' own files: the site list, the options, the site files
    SiteFolder,
    RotationFolder,
    RotationThumbs,  // a rotation's "thumbs" folder, swept by every build of the rotation
    LiveDirectory,
};

struct OwnedFolder {
    FolderRole role = FolderRole::DataDirectory;
    QString siteKey;  // empty for the data directory
    QString siteName;
    qint64 rotation = 0;  // the rotation of a rotation folder or its thumbs
    QString folder;       // on disk, as its owner names it, with a trailing "/"
};

// The owner as messages name it: "the site, Garden,", "rotation 2 of the site, Garden,", "the live
// directory of the site, Garden," or "the data directory of Lumenfold Pro".
QString describeOwner(const OwnedFolder& owned);

// Every folder of every site as the site list and the site files name them now, and the data
// directory. Read once for a whole run of checks.
class FolderOwners {
public:
    static FolderOwners read();

    // The owned folders that the folder is.
    QList<OwnedFolder> ownersOf(const QString& folder) const;

    // Why a folder must not be deleted with everything in it ("is or holds your home directory",
    // "is used by the site, Garden, as its live directory", ...); empty when it may go or does not
    // exist. It must not be the root, hold the home or the data directory, nor be or hold a folder
    // of another site. Deleting a site (rotation 0) takes the site's own folders along; deleting
    // one of its rotations must not take the site folder, another rotation or the live directory.
    QString whyFolderMustStay(const QString& folder, const QString& siteKey, qint64 rotation = 0) const;

    // The first owner, other than the site, whose files the site would overwrite by keeping its
    // own in the folder, as its site folder or a rotation folder: the data directory, another
    // site's site, rotation or live folder, or a folder inside another site's rotation's thumbs.
    std::optional<OwnedFolder> otherOwnerOfSiteFiles(const QString& folder, const QString& siteKey) const;
    // The first owner, other than the site, into whose folder a copy of the site's rotation would
    // write, given the folders the copy writes into (native paths): the data directory, or another
    // site's site folder, rotation folder or thumbs.
    std::optional<OwnedFolder> otherOwnerWrittenInto(const QList<QByteArray>& writtenFolders,
                                                     const QString& siteKey) const;

private:
    // A folder as it is compared: its path with every link of the part that exists resolved
    // (trailing "/"), and what it is on disk where it exists.
    struct Resolved {
        QByteArray path;
        std::optional<std::pair<quint64, quint64>> identity;  // device, inode
        bool is(const Resolved& other) const;
        bool holds(const Resolved& other) const;  // is it, or it lies inside
    };
    static Resolved resolve(const QString& folder);
    struct Entry {
        OwnedFolder owned;
        Resolved resolved;
    };
    void add(FolderRole role, const QString& siteKey, const QString& siteName, qint64 rotation, const QString& folder);
    template <class Wanted>
    std::optional<OwnedFolder> firstOtherOwner(const QString& siteKey, Wanted wanted) const;

    QList<Entry> entries_;
};
