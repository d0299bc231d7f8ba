#include "site_manager/site_folder_owner.h"

#include "platform/ini_file.h"
#include "site_manager/rotation_folders.h"
#include "site_manager/rotation_store.h"
#include "site_manager/site_paths.h"
#include "site_manager/site_record.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <exception>

namespace {

// The folder as an absolute path, a relative one taken from the data directory, with its nearest
// existing folder spelt as the disk knows it, so that links and "." or ".." do not make two names.
QString absoluteFolder(const QString& path) {
    QString folder = fixpath(path, false);
    if (folder.isEmpty()) return QString();
    if (QDir::isRelativePath(folder)) folder = DataDirectory + folder;
    folder = QDir::cleanPath(folder);
    QString existing = folder, rest;
    while (!QFileInfo::exists(existing)) {
        const qsizetype slash = existing.lastIndexOf('/');
        if (slash <= 0) return folder;
        rest = existing.mid(slash) + rest;
        existing.truncate(slash);
    }
    return QDir::cleanPath(QFileInfo(existing).canonicalFilePath() + rest);
}

// A folder as it is compared: its absolute spelling and, where it exists, what it is on disk.
struct ResolvedFolder {
    explicit ResolvedFolder(const QString& path)
        : absolute(absoluteFolder(path)), identity(identityOf(QFile::encodeName(absolute))) {}
    QString absolute;
    std::optional<FileIdentity> identity;
};

bool sameFolder(const ResolvedFolder& wanted, const QString& other) {
    if (wanted.absolute.isEmpty()) return false;
    const ResolvedFolder folder(other);
    if (folder.absolute.isEmpty()) return false;
    if (wanted.identity && folder.identity) return wanted.identity == folder.identity;
    return wanted.absolute == folder.absolute;
}

}  // namespace

std::optional<FolderOwner> otherSiteUsingFolder(const QString& folder, const QString& siteKey) {
    // The folder asked about is resolved on disk once, not once for every folder it is compared with.
    const ResolvedFolder wanted(folder);
    try {
        for (const auto& [key, name] : platform::IniFile(sitesFileName()).readSectionPairs("Sites")) {
            if (key.compare(siteKey, Qt::CaseInsensitive) == 0) continue;
            const QString sitePath = platform::IniFile(siteFileName(key)).readString("General", "Path", QString());
            if (sameFolder(wanted, sitePath)) return FolderOwner{name, 0, expandpath(sitePath)};
            for (const SiteRotationDirectory& rotation : listedRotationDirectories(key, sitePath)) {
                const QString rotationFolder = QFile::decodeName(rotation.directory);
                if (sameFolder(wanted, rotationFolder)) return FolderOwner{name, rotation.number, rotationFolder};
            }
        }
    } catch (const std::exception&) {
        // A site list that cannot be read names no owner.
    }
    return std::nullopt;
}

QString describeOwner(const FolderOwner& owner) {
    const QString site = "the site, " + owner.siteName + ",";
    return owner.rotation > 0 ? "rotation " + QString::number(owner.rotation) + " of " + site : site;
}
