#include "site_manager/folder_owners.h"

#include "platform/ini_file.h"
#include "site_manager/rotation_folders.h"
#include "site_manager/site_paths.h"
#include "site_manager/site_record.h"

#include <QDir>
#include <QFile>
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

bool FolderOwners::Resolved::is(const Resolved& other) const {
    if (path.isEmpty() || other.path.isEmpty()) return false;
    if (identity && other.identity) return identity == other.identity;
    return path == other.path;
}

bool FolderOwners::Resolved::holds(const Resolved& other) const {
    return is(other) || (!path.isEmpty() && other.path.startsWith(path));
}

FolderOwners::Resolved FolderOwners::resolve(const QString& folder) {
    const QString onDisk = storedPathOnDisk(folder);
    if (onDisk.isEmpty()) return {};
    Resolved resolved;
    const QByteArray path = QFile::encodeName(onDisk);
    if (const std::optional<FileIdentity> id = identityOf(path))
        resolved.identity = {quint64(id->device), quint64(id->inode)};
    // The nearest part that exists, with its links resolved, then the rest as it is written.
    QByteArray existing = path, rest;
    QByteArray real = realPathOf(existing);
    while (real.isEmpty() && existing.size() > 1) {
        const qsizetype slash = existing.lastIndexOf('/');
        rest.prepend(existing.mid(slash));
        existing.truncate(qMax<qsizetype>(slash, 1));
        real = realPathOf(existing);
    }
    if (real == "/") real.clear();
    resolved.path = real + rest + "/";
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
    owners.add(FolderRole::DataDirectory, QString(), QString(), 0, DataDirectory);
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

template <class Wanted>
std::optional<OwnedFolder> FolderOwners::firstOtherOwner(const QString& siteKey, Wanted wanted) const {
    for (const Entry& entry : entries_) {
        const bool own =
            !entry.owned.siteKey.isEmpty() && entry.owned.siteKey.compare(siteKey, Qt::CaseInsensitive) == 0;
        if (!own && wanted(entry)) return entry.owned;
    }
    return std::nullopt;
}

QString FolderOwners::whyFolderMustStay(const QString& folder, const QString& siteKey, qint64 rotation) const {
    const Resolved target = resolve(folder);
    if (!target.identity) return QString();  // nothing there to delete
    if (target.path == "/") return "is the root of the file system";
    if (target.holds(resolve(QDir::homePath()))) return "is or holds your home directory";
    for (const Entry& entry : entries_) {
        const OwnedFolder& owned = entry.owned;
        if (owned.role == FolderRole::RotationThumbs || !target.holds(entry.resolved)) continue;
        if (owned.role == FolderRole::DataDirectory) return "is or holds the data directory of Lumenfold Pro";
        if (owned.siteKey.compare(siteKey, Qt::CaseInsensitive) != 0)
            return "is used by the site, " + owned.siteName + ", as its " + roleName(owned.role);
        // The site's own folders go along with the site, but a rotation takes only its own.
        if (rotation <= 0 || (owned.role == FolderRole::RotationFolder && owned.rotation == rotation)) continue;
        if (owned.role == FolderRole::SiteFolder) return "is or holds the site directory of its site";
        if (owned.role == FolderRole::LiveDirectory) return "is or holds the live directory of its site";
        return "is or holds rotation " + QString::number(owned.rotation) + " of its site";
    }
    return QString();
}

std::optional<OwnedFolder> FolderOwners::otherOwnerOfSiteFiles(const QString& folder, const QString& siteKey) const {
    const Resolved wanted = resolve(folder);
    return firstOtherOwner(siteKey, [&wanted](const Entry& entry) {
        // Every build of that rotation sweeps its thumbs folder, and whatever lies below it.
        if (entry.owned.role == FolderRole::RotationThumbs) return entry.resolved.holds(wanted);
        return entry.resolved.is(wanted);
    });
}

std::optional<OwnedFolder> FolderOwners::otherOwnerWrittenInto(const QList<QByteArray>& writtenFolders,
                                                               const QString& siteKey) const {
    QList<Resolved> written;
    for (const QByteArray& folder : writtenFolders) written << resolve(QFile::decodeName(folder));
    return firstOtherOwner(siteKey, [&written](const Entry& entry) {
        if (entry.owned.role == FolderRole::LiveDirectory) return false;
        return std::any_of(written.cbegin(), written.cend(),
                           [&entry](const Resolved& folder) { return entry.resolved.is(folder); });
    });
}
