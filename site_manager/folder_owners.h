#pragma once
// Whose a folder is. A site keeps its files in its site folder and its rotation folders (each
// rotation's "thumbs" folder is its builds' own) and publishes into its live directory; the
// programs keep theirs in the data directory and in the folders they ship. Every action that
// writes into a folder or deletes one asks here first, so that no action changes the files of
// another. An owner's folder is owned with everything inside it. Folders are compared by what they
// are on disk: the chain of folders from one up to the root, every link and mount resolved, by
// device and inode, never by their spelling.
#include "site_manager/mount_sources.h"
#include "site_manager/rotation_folders.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The folders the programs ship in the data directory, beside the executables (the build copies
// data/ there): the sample page templates and stylesheets, the sample navigation buttons and the
// navigation graphics. The user's own changes to them are kept in them too.
inline const QStringList ShippedFolderNames{"Styles", "Samples", "navgraph"};

enum class FolderRole {
    DataDirectory,  // the programs' own files: the site list, the options, the site files
    ShippedFolder,  // one of ShippedFolderNames in the data directory
    SiteFolder,
    RotationFolder,
    RotationThumbs,  // a rotation's "thumbs" folder, swept by every build of the rotation
    LiveDirectory,
};

struct OwnedFolder {
    FolderRole role = FolderRole::DataDirectory;
    QString siteKey;  // empty for the programs' folders
    QString siteName;
    qint64 rotation = 0;  // the rotation of a rotation folder or its thumbs
    QString folder;       // on disk, as its owner names it, with a trailing "/"
};

// The owner as messages name it: "the site, Garden,", "rotation 2 of the site, Garden,", "the live
// directory of the site, Garden,", "the data directory of Lumenfold Pro" or "the Styles folder of
// Lumenfold Pro".
QString describeOwner(const OwnedFolder& owned);

// Every folder of every site as the site list and the site files name them now, the data
// directory and the shipped folders. Read once for a whole run of checks. A folder that is, or
// holds, the data directory owns nothing inside it: what lies there is the programs' and that of
// the sites whose folders are there.
class FolderOwners {
public:
    static FolderOwners read();

    // The owned folders that the folder is.
    QList<OwnedFolder> ownersOf(const QString& folder) const;

    // Why a folder must not be deleted with everything in it ("is or holds your home directory",
    // "is used by the site, Garden, as its live directory", "lies inside rotation 1 of the site,
    // Garden", ...); empty when it may go or does not exist. It must not be the root, hold the
    // home or the data directory, nor be, hold or lie inside a shipped folder or a folder of
    // another site. Deleting a site (rotation 0) takes the site's own folders along; deleting one
    // of its rotations must not take the site folder, another rotation or the live directory.
    QString whyFolderMustStay(const QString& folder, const QString& siteKey, qint64 rotation = 0) const;

    // The nearest owner, other than the site, whose files the site would overwrite by keeping its
    // own in the folder, as its site folder or a rotation folder: the data directory itself, or a
    // shipped folder, another site's site folder, rotation folder, thumbs or live directory that
    // the folder is or lies inside.
    std::optional<OwnedFolder> otherOwnerOfSiteFiles(const QString& folder, const QString& siteKey) const;
    // The nearest folder of another site (its site folder, a rotation folder or its live
    // directory) that the folder holds: as a site folder it would own them with everything in it.
    std::optional<OwnedFolder> otherSitesFolderHeldBy(const QString& folder, const QString& siteKey) const;
    // The nearest owner, other than the site, into whose folder a copy of the site's rotation would
    // write, given the folders the copy writes into (native paths): the data directory itself, or
    // a shipped folder, another site's site folder, rotation folder or thumbs that one of them is
    // or lies inside. (The site's own folder may hold its live directory.)
    std::optional<OwnedFolder> otherOwnerWrittenInto(const QList<QByteArray>& writtenFolders,
                                                     const QString& siteKey) const;
    // The site's own live directory when a new rotation in the folder would be built over what is
    // live or go live over itself: the folder is the live directory or its thumbs, or holds it
    // (the site folder itself may), or lies inside it where the live directory is not, and does
    // not hold, the site folder. Going live writes only the live directory's own files and its
    // thumbs, never a rotation folder below them.
    std::optional<OwnedFolder> ownLiveDirectoryMetBy(const QString& folder, const QString& siteKey) const;
    // The shipped folder that the path (a file or a folder) is or lies inside.
    std::optional<OwnedFolder> shippedFolderHolding(const QString& path) const;
    // Whether the folder is the data directory, reached by whatever path.
    bool isDataDirectory(const QString& folder) const;
    // Whether the two paths lead to one file or folder on disk; false when either is not there.
    bool sameOnDisk(const QString& path, const QString& other) const;

private:
    // A path as it is compared: the identities of the nearest part of it that exists and of each
    // folder above that, up to the root, and the names below that part that do not exist yet.
    struct Resolved {
        QList<FileIdentity> chain;  // innermost first; empty when the path cannot be read
        QByteArrayList missing;
        bool exists() const { return !chain.isEmpty() && missing.isEmpty(); }
        bool isRoot() const { return exists() && chain.size() == 1; }
        bool is(const Resolved& other) const;
        bool holds(const Resolved& other) const;  // other is it, or lies inside it
    };
    // How many folders below outer the inner path lies (0: it is outer); nothing when it lies
    // elsewhere. The one answer to every question of containment.
    static std::optional<qsizetype> levelsBelow(const Resolved& inner, const Resolved& outer);
    // Links are followed, and a folder on a bind mount is the folder the mount shows, with that
    // folder's own parents.
    Resolved resolve(const QString& path) const;
    struct Entry {
        OwnedFolder owned;
        Resolved resolved;
    };
    void add(FolderRole role, const QString& siteKey, const QString& siteName, qint64 rotation, const QString& folder);
    static bool ownedBy(const Entry& entry, const QString& siteKey);
    // levelsBelow of the folder in the entry's folder, as owners count: only the data directory
    // itself is the programs' (every site's folders lie in it as a rule), and a folder that is or
    // holds the data directory claims nothing in it.
    std::optional<qsizetype> levelsInsideOwner(const Entry& entry, const Resolved& folder) const;
    // The other owner for which levels (how deep the folder in question lies inside the entry's
    // folder, or nothing where it does not count) gives the fewest; the first of those.
    template <class Levels>
    std::optional<OwnedFolder> nearestOtherOwner(const QString& siteKey, Levels levels) const;

    MountSources mounts_;
    Resolved dataDirectory_;
    QList<Entry> entries_;
};
