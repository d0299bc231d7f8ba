#include "site_manager/folder_owners.h"

#include "platform/ini_file.h"
#include "site_manager/rotation_folders.h"
#include "site_manager/site_paths.h"
#include "site_manager/site_record.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <exception>

namespace {

// The rotation folders a site file names: the one each [Rotation_<n>] section stores, else its
// default in the site folder, and every default folder ("Rotation_<n>" in any case) the site
// folder holds, whatever its letter case and whether or not a section names it.
QList<std::pair<qint64, QString>> rotationFoldersOf(const platform::IniFile& site, const QString& sitePath) {
    QList<std::pair<qint64, QString>> folders;
    const QString siteFolder = fixpath(sitePath, true);
    for (const QString& section : site.readSections()) {
        const qint64 n = numberAfter(section, "Rotation_");
        if (n < 0) continue;
        const QString stored = site.readString(section, "Rotation_Path", QString());
        if (!stored.trimmed().isEmpty())
            folders.append({n, fixpath(stored, true)});
        else if (!siteFolder.isEmpty())
            folders.append({n, siteFolder + "Rotation_" + QString::number(n)});
    }
    if (siteFolder.isEmpty()) return folders;
    for (const QString& entry : QDir(siteFolder).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
        const qint64 n = numberAfter(entry, "rotation_");
        if (n >= 0) folders.append({n, siteFolder + entry});
    }
    return folders;
}

QString roleName(FolderRole role) {
    switch (role) {
    case FolderRole::SiteFolder:
        return "site directory";
    case FolderRole::LiveDirectory:
        return "live directory";
    case FolderRole::RotationThumbs:
        return "thumbs directory";
    default:
        return "rotation directory";
    }
}

}  // namespace

QString describeOwner(const OwnedFolder& owned) {
    const QString site = "the site, " + owned.siteName + ",";
    switch (owned.role) {
    case FolderRole::DataDirectory:
        return "the data directory of Lumenfold Pro";
    case FolderRole::ShippedFolder:
        return "the " + QDir(owned.folder).dirName() + " folder of Lumenfold Pro";
    case FolderRole::SiteFolder:
        return site;
    case FolderRole::LiveDirectory:
        return "the live directory of " + site;
    case FolderRole::RotationFolder:
    case FolderRole::RotationThumbs:
        break;
    }
    return "rotation " + QString::number(owned.rotation) + " of " + site;
}

namespace {

// The owner's folder as a sentence goes on after it: "the site directory of the site, Garden",
// "rotation 2 of the site, Garden", "the Styles folder of Lumenfold Pro".
QString ownerFolderName(const OwnedFolder& owned) {
    if (owned.role == FolderRole::SiteFolder) return "the site directory of the site, " + owned.siteName;
    const QString owner = describeOwner(owned);
    return owner.endsWith(',') ? owner.chopped(1) : owner;
}

}  // namespace

std::optional<qsizetype> FolderOwners::levelsBelow(const Resolved& inner, const Resolved& outer) {
    if (inner.chain.isEmpty() || outer.chain.isEmpty()) return std::nullopt;
    if (outer.missing.isEmpty()) {
        const qsizetype at = inner.chain.indexOf(outer.chain.first());
        if (at < 0) return std::nullopt;
        return at + inner.missing.size();
    }
    // Only what is still to be made there lies in a folder that does not exist yet.
    if (inner.chain.first() != outer.chain.first() || inner.missing.size() < outer.missing.size()) return std::nullopt;
    for (qsizetype i = 0; i < outer.missing.size(); ++i)
        if (inner.missing[i] != outer.missing[i]) return std::nullopt;
    return inner.missing.size() - outer.missing.size();
}

bool FolderOwners::Resolved::is(const Resolved& other) const { return levelsBelow(*this, other) == 0; }

bool FolderOwners::Resolved::holds(const Resolved& other) const { return levelsBelow(other, *this).has_value(); }

FolderOwners::Resolved FolderOwners::resolve(const QString& path) const {
    const QString onDisk = storedPathOnDisk(path);
    if (onDisk.isEmpty()) return {};
    Resolved resolved;
    // The nearest part that exists, with its links resolved; the names below it as written.
    QByteArray existing = QFile::encodeName(onDisk);
    QByteArray real = realPathOf(existing);
    while (real.isEmpty() && existing.size() > 1) {
        const qsizetype slash = existing.lastIndexOf('/');
        resolved.missing.prepend(existing.mid(slash + 1));
        existing.truncate(qMax<qsizetype>(slash, 1));
        real = realPathOf(existing);
    }
    // Each folder from there up to the root as the disk knows it: a mount point is the root of
    // what is mounted there, and on a bind mount each folder is the one the mount shows, so the
    // folders above it are that folder's own parents, not the mount point's. The walk ends at
    // the root; the bound keeps a mount table that leads in circles from walking for ever.
    QByteArray folder = mounts_.sourceOf(real);
    for (int step = 0; !folder.isEmpty() && step < 4096; ++step) {
        const std::optional<FileIdentity> id = identityOf(folder);
        if (!id) break;
        resolved.chain << *id;
        if (folder == "/") break;
        folder.truncate(qMax<qsizetype>(folder.lastIndexOf('/'), 1));
        folder = mounts_.sourceOf(folder);
    }
    if (resolved.chain.isEmpty()) return {};
    return resolved;
}

void FolderOwners::add(FolderRole role, const QString& siteKey, const QString& siteName, qint64 rotation,
                       const QString& folder) {
    const QString onDisk = fixpath(folder, true);
    if (onDisk.isEmpty()) return;
    entries_.append({OwnedFolder{role, siteKey, siteName, rotation, onDisk}, resolve(onDisk)});
}

FolderOwners FolderOwners::read() {
    FolderOwners owners;
    owners.mounts_ = MountSources::read();
    owners.add(FolderRole::DataDirectory, QString(), QString(), 0, DataDirectory);
    if (!owners.entries_.isEmpty()) owners.dataDirectory_ = owners.entries_.first().resolved;
    for (const QString& name : ShippedFolderNames)
        owners.add(FolderRole::ShippedFolder, QString(), QString(), 0, DataDirectory + name);
    std::vector<std::pair<QString, QString>> sites;
    try {
        sites = platform::IniFile(sitesFileName()).readSectionPairs("Sites");
    } catch (const std::exception&) {
        // A site list that cannot be read names no site.
    }
    for (const auto& [key, name] : sites) {
        try {
            const platform::IniFile site(siteFileName(key));
            const QString sitePath = site.readString("General", "Path", QString());
            owners.add(FolderRole::SiteFolder, key, name, 0, sitePath);
            for (const auto& [n, folder] : rotationFoldersOf(site, sitePath)) {
                owners.add(FolderRole::RotationFolder, key, name, n, folder);
                owners.add(FolderRole::RotationThumbs, key, name, n, folder + "thumbs");
            }
            owners.add(FolderRole::LiveDirectory, key, name, 0, site.readString("General", "LivePath", QString()));
        } catch (const std::exception&) {
            // A site file that cannot be read names no folder; the other sites still do.
        }
    }
    return owners;
}

QList<OwnedFolder> FolderOwners::ownersOf(const QString& folder) const {
    const Resolved wanted = resolve(folder);
    QList<OwnedFolder> owners;
    for (const Entry& entry : entries_)
        if (entry.resolved.is(wanted)) owners << entry.owned;
    return owners;
}

bool FolderOwners::ownedBy(const Entry& entry, const QString& siteKey) {
    return !entry.owned.siteKey.isEmpty() && entry.owned.siteKey.compare(siteKey, Qt::CaseInsensitive) == 0;
}

std::optional<qsizetype> FolderOwners::levelsInsideOwner(const Entry& entry, const Resolved& folder) const {
    const std::optional<qsizetype> levels = levelsBelow(folder, entry.resolved);
    if (!levels) return levels;
    // The shipped folders in it are owners of their own.
    if (entry.owned.role == FolderRole::DataDirectory) return *levels == 0 ? levels : std::nullopt;
    // One site stored over the data directory must not claim every other site's folders there.
    if (levelsBelow(dataDirectory_, entry.resolved) && levelsBelow(folder, dataDirectory_)) return std::nullopt;
    return levels;
}

template <class Levels>
std::optional<OwnedFolder> FolderOwners::nearestOtherOwner(const QString& siteKey, Levels levels) const {
    const Entry* nearest = nullptr;
    qsizetype fewest = 0;
    for (const Entry& entry : entries_) {
        if (ownedBy(entry, siteKey)) continue;
        const std::optional<qsizetype> found = levels(entry);
        if (found && (!nearest || *found < fewest)) {
            nearest = &entry;
            fewest = *found;
        }
    }
    if (!nearest) return std::nullopt;
    return nearest->owned;
}

QString FolderOwners::whyFolderMustStay(const QString& folder, const QString& siteKey, qint64 rotation) const {
    const Resolved target = resolve(folder);
    if (!target.exists()) return QString();  // nothing there to delete
    if (target.isRoot()) return "is the root of the file system";
    if (target.holds(resolve(QDir::homePath()))) return "is or holds your home directory";
    for (const Entry& entry : entries_) {
        const OwnedFolder& owned = entry.owned;
        if (!target.holds(entry.resolved)) continue;
        if (owned.role == FolderRole::DataDirectory || owned.role == FolderRole::ShippedFolder)
            return "is or holds " + describeOwner(owned);
        if (!ownedBy(entry, siteKey))
            return "is used by the site, " + owned.siteName + ", as its " + roleName(owned.role);
        // The site's own folders go along with the site, but a rotation takes only its own.
        const bool rotationsOwn = owned.role == FolderRole::RotationFolder || owned.role == FolderRole::RotationThumbs;
        if (rotation <= 0 || (rotationsOwn && owned.rotation == rotation)) continue;
        if (owned.role == FolderRole::SiteFolder) return "is or holds the site directory of its site";
        if (owned.role == FolderRole::LiveDirectory) return "is or holds the live directory of its site";
        return "is or holds rotation " + QString::number(owned.rotation) + " of its site";
    }
    // Nor may it lie inside another owner's folder: everything in there is that owner's.
    if (const auto owner =
            nearestOtherOwner(siteKey, [&](const Entry& entry) { return levelsInsideOwner(entry, target); }))
        return "lies inside " + ownerFolderName(*owner);
    return QString();
}

std::optional<OwnedFolder> FolderOwners::otherOwnerOfSiteFiles(const QString& folder, const QString& siteKey) const {
    const Resolved wanted = resolve(folder);
    return nearestOtherOwner(siteKey, [&](const Entry& entry) { return levelsInsideOwner(entry, wanted); });
}

std::optional<OwnedFolder> FolderOwners::otherSitesFolderHeldBy(const QString& folder, const QString& siteKey) const {
    const Resolved wanted = resolve(folder);
    return nearestOtherOwner(siteKey, [&wanted](const Entry& entry) {
        const FolderRole role = entry.owned.role;
        const bool sites =
            role == FolderRole::SiteFolder || role == FolderRole::RotationFolder || role == FolderRole::LiveDirectory;
        return sites ? levelsBelow(entry.resolved, wanted) : std::nullopt;
    });
}

std::optional<OwnedFolder> FolderOwners::otherOwnerWrittenInto(const QList<QByteArray>& writtenFolders,
                                                               const QString& siteKey) const {
    QList<Resolved> written;
    for (const QByteArray& folder : writtenFolders) written << resolve(QFile::decodeName(folder));
    return nearestOtherOwner(siteKey, [&](const Entry& entry) {
        std::optional<qsizetype> fewest;
        if (entry.owned.role == FolderRole::LiveDirectory) return fewest;
        for (const Resolved& folder : written) {
            const std::optional<qsizetype> levels = levelsInsideOwner(entry, folder);
            if (levels && (!fewest || *levels < *fewest)) fewest = levels;
        }
        return fewest;
    });
}

std::optional<OwnedFolder> FolderOwners::ownLiveDirectoryMetBy(const QString& folder, const QString& siteKey) const {
    const Resolved wanted = resolve(folder);
    const auto siteFolder = std::find_if(entries_.cbegin(), entries_.cend(), [&](const Entry& entry) {
        return ownedBy(entry, siteKey) && entry.owned.role == FolderRole::SiteFolder;
    });
    const bool isSiteFolder = siteFolder != entries_.cend() && wanted.is(siteFolder->resolved);
    for (const Entry& entry : entries_) {
        if (!ownedBy(entry, siteKey) || entry.owned.role != FolderRole::LiveDirectory) continue;
        const bool holdsSiteFolder =
            siteFolder != entries_.cend() && levelsBelow(siteFolder->resolved, entry.resolved).has_value();
        const std::optional<qsizetype> inside = levelsBelow(wanted, entry.resolved);
        const std::optional<qsizetype> holding = levelsBelow(entry.resolved, wanted);
        if (inside == 0 || (inside && !holdsSiteFolder) || (holding && !isSiteFolder) ||
            levelsBelow(wanted, resolve(entry.owned.folder + "thumbs")) == 0)
            return entry.owned;
    }
    return std::nullopt;
}

std::optional<OwnedFolder> FolderOwners::shippedFolderHolding(const QString& path) const {
    const Resolved wanted = resolve(path);
    for (const Entry& entry : entries_)
        if (entry.owned.role == FolderRole::ShippedFolder && entry.resolved.holds(wanted)) return entry.owned;
    return std::nullopt;
}

bool FolderOwners::isDataDirectory(const QString& folder) const {
    return levelsBelow(resolve(folder), dataDirectory_) == 0;
}

bool FolderOwners::sameOnDisk(const QString& path, const QString& other) const {
    const Resolved one = resolve(path), two = resolve(other);
    return one.exists() && two.exists() && levelsBelow(one, two) == 0;
}
