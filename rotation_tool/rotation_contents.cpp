#include "rotation_tool/rotation_contents.h"

#include "platform/file_replacement.h"
#include "site_manager/builder/support_files.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace rotation_tool {

namespace {

const QByteArray kThumbs = "thumbs";

// Neither a temporary file of an unfinished build nor one of this program's own.
bool isGalleryFile(const QByteArray& fileName) {
    return !platform::isReplacementTemporaryName(QFile::decodeName(fileName)) && !isOwnTemporaryName(fileName);
}

// Where a link leads, as it is written.
QByteArray linkTarget(const QByteArray& path) {
    QByteArray target(4096, '\0');
    const ssize_t length = ::readlink(path.constData(), target.data(), size_t(target.size()));
    return length < 0 ? QByteArray() : target.left(length);
}

QByteArray folderOf(const QByteArray& path) { return path.left(path.lastIndexOf('/')); }

class Contents {
public:
    Contents(const QByteArray& source, const QByteArray& live, const QList<QByteArray>& otherRotations)
        : source_(source), live_(live) {
        if (const auto own = identityOf(source)) own_ = *own;
        if (const auto liveId = identityOf(live)) {
            liveId_ = *liveId;
            closed_.insert(*liveId);
        }
        for (const QByteArray& rotation : otherRotations)
            if (const auto id = identityOf(rotation); id && id != own_) closed_.insert(*id);
    }

    void add(const QByteArray& relative, RotationPass pass) {
        if (taken_.contains(relative)) return;
        taken_.insert(relative);
        FileCopy copy{source_ + relative, live_ + relative, pass};
        if (check(copy)) result.copies.append(copy);
    }

    void addTopLevel(const DirectoryEntries& entries) {
        for (const QList<QByteArray>* names : {&entries.files, &entries.others})
            for (const QByteArray& name : *names)
                if (isGalleryFile(name)) add(name, isPageFileName(name) ? kPagePass : kFilePass);
    }

    void addThumbnails() {
        const QByteArray folder = source_ + kThumbs + "/";
        if (!identityOf(folder)) return;
        bool listed = false;
        QList<QByteArray> others;
        QList<QByteArray> names = regularFileNames(folder, &listed, &others);
        if (!listed) {
            result.unreadable << folder;
            return;
        }
        // A "thumbs" that leads into another rotation or the live directory: each file is named.
        for (const QList<QByteArray>* entries : {&names, &others})
            for (const QByteArray& name : *entries)
                if (isGalleryFile(name)) add(kThumbs + "/" + name, kThumbnailPass);
    }

    // True when the rotation has a sub-folder whose files a page could refer to and that is not
    // published whole (the thumbnails' folder is, unless it has folders of its own): only then are
    // its pages read. Folders of other rotations and the live directory count, so that a page
    // reaching into one of them is told.
    bool hasSubFoldersToRead() const {
        bool listed = false;
        for (const QByteArray& name : subdirectoryNames(source_, &listed)) {
            bool thumbsListed = false;
            if (name != kThumbs || !subdirectoryNames(source_ + name, &thumbsListed).isEmpty()) return true;
        }
        return !listed;  // when it cannot be listed, the pages tell
    }

    void addReferencesOf(const QByteArray& page) {
        for (QByteArray relative : pageSubFolderReferences(source_ + page)) {
            struct stat info {};
            const QByteArray path = source_ + relative;
            if (::stat(path.constData(), &info) == 0) {
                if (S_ISDIR(info.st_mode)) continue;
            } else if (::lstat(path.constData(), &info) != 0) {
                // Not there by this name: found as the build finds support files, without regard to
                // letter case. A link there that leads nowhere is a stray of its own.
                const QString found = findFileIgnoringCase(QFile::decodeName(source_), QFile::decodeName(relative));
                if (found.isEmpty()) continue;
                relative = QFile::encodeName(QDir(QFile::decodeName(source_)).relativeFilePath(found));
            }
            const QByteArray name = relative.mid(relative.lastIndexOf('/') + 1);
            if (!isGalleryFile(name)) continue;
            add(relative, relative.startsWith(kThumbs + "/") ? kThumbnailPass
                          : isPageFileName(name)             ? kPagePass
                                                             : kFilePass);
        }
    }

    // True when the file may go live: it then gets the real path and identity the copy checks
    // against. Otherwise it is recorded as a stray. A file that cannot be looked at any more is
    // left to the copy without an identity: the copy never opens it and names it as a file that
    // could not be copied, as it does a file that vanished.
    bool check(FileCopy& copy) {
        const QByteArray& path = copy.source;
        copy.checkedPath = path;
        struct stat info {};
        if (::lstat(path.constData(), &info) != 0) return true;
        QByteArray realPath;
        if (S_ISLNK(info.st_mode)) {
            realPath = realPathOf(path);
            if (realPath.isEmpty()) {
                result.strays.append({path, linkTarget(path), StrayFile::DanglingLink});
                return false;
            }
            if (::stat(realPath.constData(), &info) != 0) return true;
        } else {
            // Most files are no links: their folder's real path, found once, tells.
            const QByteArray given = folderOf(path);
            auto folder = realFolders_.constFind(given);
            if (folder == realFolders_.constEnd()) folder = realFolders_.insert(given, realPathOf(given));
            if (folder->isEmpty()) return true;
            realPath = *folder + path.mid(path.lastIndexOf('/'));
        }
        if (const std::optional<StrayFile::Why> where = placeOf(folderOf(realPath))) {
            result.strays.append({path, realPath, *where});
            return false;
        }
        if (!S_ISREG(info.st_mode)) {
            result.strays.append({path, realPath, StrayFile::NotARegularFile});
            return false;
        }
        copy.checkedPath = realPath;
        copy.checkedIdentity = FileIdentity{info.st_dev, info.st_ino};
        return true;
    }

    RotationContents result;

private:
    // Where a folder given by its real path lies: nothing when in this rotation and in no closed
    // folder below it. Each folder on the way up is looked at once.
    std::optional<StrayFile::Why> placeOf(const QByteArray& realFolder) {
        const auto known = places_.constFind(realFolder);
        if (known != places_.constEnd()) return *known;
        const std::optional<FileIdentity> id = identityOf(realFolder.isEmpty() ? "/" : realFolder);
        std::optional<StrayFile::Why> place;  // none: in this rotation
        if (!(id && id == own_)) {
            if (id && id == liveId_)
                place = StrayFile::InLiveDirectory;
            else if (id && closed_.contains(*id))
                place = StrayFile::InOtherRotation;
            else if (realFolder.isEmpty())
                place = StrayFile::OutsideRotation;  // the root: the rotation was not on the way
            else
                place = placeOf(folderOf(realFolder));
        }
        places_.insert(realFolder, place);
        return place;
    }

    QByteArray source_, live_;
    std::optional<FileIdentity> own_, liveId_;
    QSet<FileIdentity> closed_;
    QSet<QByteArray> taken_;
    QHash<QByteArray, QByteArray> realFolders_;                // by the folder's path as given
    QHash<QByteArray, std::optional<StrayFile::Why>> places_;  // by the folder's real path
};

}  // namespace

RotationContents rotationContents(const QByteArray& source, const QByteArray& live, const DirectoryEntries& topLevel,
                                  const QList<QByteArray>& otherRotations) {
    Contents contents(source, live, otherRotations);
    contents.addTopLevel(topLevel);
    contents.addThumbnails();
    if (contents.hasSubFoldersToRead())
        for (const QByteArray& name : topLevel.files)
            if (isPageFileName(name) && isGalleryFile(name)) contents.addReferencesOf(name);
    std::stable_sort(contents.result.copies.begin(), contents.result.copies.end(),
                     [](const FileCopy& a, const FileCopy& b) { return a.pass < b.pass; });
    return contents.result;
}

QList<QByteArray> foldersWrittenInto(const QList<FileCopy>& copies) {
    QList<QByteArray> folders;
    QSet<QByteArray> seen;
    for (const FileCopy& copy : copies) {
        const QByteArray folder = copy.target.left(copy.target.lastIndexOf('/') + 1);
        if (!seen.contains(folder)) {
            seen.insert(folder);
            folders << folder;
        }
    }
    return folders;
}

}  // namespace rotation_tool
