#include "site_manager/rotation_folders.h"

#include "platform/file_replacement.h"
#include "site_manager/builder/template_filling.h"
#include "site_manager/builder/template_references.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>

namespace {

const QByteArray kThumbs = "thumbs";

// A real path with its trailing "/", so that a path inside it starts with it; empty stays empty.
QByteArray asFolder(const QByteArray& realPath) {
    return realPath.isEmpty() || realPath.endsWith('/') ? realPath : realPath + "/";
}

bool isPageName(const QByteArray& fileName) {
    return isPageFileName(fileName) && !platform::isReplacementTemporaryName(QFile::decodeName(fileName));
}

// The pages of a directory (regular files, links followed), by their names as stored.
QList<QByteArray> pageNames(const QByteArray& directory) {
    QList<QByteArray> pages;
    DIR* dir = ::opendir(directory.constData());
    if (!dir) return pages;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        struct stat info {};
        if (isPageName(name) && ::fstatat(::dirfd(dir), entry->d_name, &info, 0) == 0 && S_ISREG(info.st_mode))
            pages << name;
    }
    ::closedir(dir);
    return pages;
}

}  // namespace

bool isPageFileName(const QByteArray& fileName) {
    const QByteArray lower = fileName.toLower();
    return lower.endsWith(".html") || lower.endsWith(".htm");
}

QByteArray realPathOf(const QByteArray& path) {
    char* resolved = ::realpath(path.constData(), nullptr);
    const QByteArray real(resolved);
    ::free(resolved);
    return real;
}

size_t qHash(const FileIdentity& id, size_t seed) { return ::qHash(quint64(id.inode), seed) ^ quint64(id.device); }

std::optional<FileIdentity> identityOf(const QByteArray& path) {
    struct stat info {};
    if (::stat(path.constData(), &info) != 0) return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino};
}

QList<QByteArray> pageSubFolderReferences(const QByteArray& page) {
    QFile file(QFile::decodeName(page));
    if (!file.open(QIODevice::ReadOnly)) return {};
    bool complete = true;
    QList<QByteArray> references;
    for (QString reference : templateReferences(decodeUserText(file.readAll()), &complete)) {
        reference.replace('\\', '/');
        static const QRegularExpression queryOrAnchor("[?#]");
        const qsizetype query = reference.indexOf(queryOrAnchor);
        if (query >= 0) reference.truncate(query);
        if (reference.startsWith('/') || reference.contains(':')) continue;  // absolute, or another scheme
        const QString clean = QDir::cleanPath(reference);
        if (!clean.contains('/') || clean == ".." || clean.startsWith("../")) continue;
        const QByteArray relative = QFile::encodeName(clean);
        if (!references.contains(relative)) references << relative;
    }
    return references;
}

QList<QByteArray> rotationSubFolders(const QByteArray& directory) {
    QList<QByteArray> folders{kThumbs};
    for (const QByteArray& page : pageNames(directory))
        for (const QByteArray& reference : pageSubFolderReferences(directory + page)) {
            const QByteArray folder = reference.left(reference.lastIndexOf('/'));
            if (!folders.contains(folder)) folders << folder;
        }
    return folders;
}

std::optional<RotationFolderMatch> rotationFolderWrittenInto(const QByteArray& live,
                                                             const QList<QByteArray>& writtenFolders,
                                                             const QList<SiteRotationDirectory>& rotations) {
    QSet<FileIdentity> written;
    QList<QByteArray> writtenRealPaths;
    for (const QByteArray& folder : QList<QByteArray>{live} + writtenFolders) {
        const std::optional<FileIdentity> id = identityOf(folder);
        if (!id || written.contains(*id)) continue;
        written.insert(*id);
        writtenRealPaths << asFolder(realPathOf(folder));
    }
    const auto writtenInto = [&written](const QByteArray& folder) {
        const std::optional<FileIdentity> id = identityOf(folder);
        return id && written.contains(*id);
    };
    const QByteArray realLive = asFolder(realPathOf(live));
    for (const SiteRotationDirectory& rotation : rotations) {
        if (writtenInto(rotation.directory)) return RotationFolderMatch{rotation.number, rotation.directory};
        const QByteArray realRotation = asFolder(realPathOf(rotation.directory));
        if (realRotation.isEmpty()) continue;
        // A sub-folder is published from when it really lies in the rotation: as a folder of its
        // own, or reached through a link that does not lead into the live directory (the files of
        // such a link stay out of the rotation).
        const auto publishedFrom = [&](const QByteArray& folder) {
            const QByteArray real = asFolder(realPathOf(rotation.directory + folder));
            if (!real.startsWith(realRotation) || real == realRotation) return false;
            return real == realRotation + folder + "/" || realLive.isEmpty() || !real.startsWith(realLive);
        };
        const auto match = [&](const QByteArray& folder) -> std::optional<RotationFolderMatch> {
            const QByteArray path = rotation.directory + folder;
            if (!writtenInto(path) || !publishedFrom(folder)) return std::nullopt;
            return RotationFolderMatch{rotation.number, path + "/"};
        };
        if (const auto thumbs = match(kThumbs)) return thumbs;
        // Its pages tell which of its other sub-folders it publishes from: read only when one of
        // the folders written into lies inside it.
        if (std::none_of(writtenRealPaths.cbegin(), writtenRealPaths.cend(),
                         [&realRotation](const QByteArray& path) { return path.startsWith(realRotation); }))
            continue;
        for (const QByteArray& folder : rotationSubFolders(rotation.directory))
            if (const auto found = match(folder)) return found;
    }
    return std::nullopt;
}

QList<QByteArray> foldersWrittenUnderLiveDirectory(const QByteArray& live,
                                                   const QList<SiteRotationDirectory>& rotations) {
    QList<QByteArray> written{live};
    for (const SiteRotationDirectory& rotation : rotations)
        for (const QByteArray& folder : rotationSubFolders(rotation.directory))
            if (!written.contains(live + folder)) written << live + folder;
    return written;
}
