#include "rotation_tool/rotation_contents.h"

#include "platform/file_replacement.h"
#include "site_manager/builder/support_files.h"
#include "site_manager/builder/template_filling.h"
#include "site_manager/builder/template_references.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <sys/stat.h>

namespace rotation_tool {

namespace {

const QByteArray kThumbs = "thumbs";

// A page by its name's extension, whatever other bytes the name holds.
bool isPage(const QByteArray& fileName) {
    const QByteArray lower = fileName.toLower();
    return lower.endsWith(".html") || lower.endsWith(".htm");
}

// Neither a temporary file of an unfinished build nor one of this program's own.
bool isGalleryFile(const QByteArray& fileName) {
    return !platform::isReplacementTemporaryName(QFile::decodeName(fileName)) && !isOwnTemporaryName(fileName);
}

struct Identity {
    dev_t device;
    ino_t inode;
    bool operator==(const Identity&) const = default;
};
size_t qHash(const Identity& id, size_t seed = 0) { return ::qHash(quint64(id.inode), seed) ^ quint64(id.device); }

bool identityOf(const QByteArray& path, Identity* id) {
    struct stat info {};
    if (::stat(path.constData(), &info) != 0) return false;
    *id = {info.st_dev, info.st_ino};
    return true;
}

bool isRegularFile(const QByteArray& path) {
    struct stat info {};
    return ::stat(path.constData(), &info) == 0 && S_ISREG(info.st_mode);
}

// The sub-folder files a page refers to, as the build finds a template's support files: relative
// paths below the page's directory with at least one folder, cleaned, each once, in page order.
// References that leave the directory, absolute paths and web addresses are left out.
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

class Contents {
public:
    Contents(const QByteArray& source, const QByteArray& live, const QList<QByteArray>& otherRotations)
        : source_(source), live_(live) {
        Identity id{};
        haveOwn_ = identityOf(source, &own_);
        if ((haveLive_ = identityOf(live, &liveId_))) closed_.insert(liveId_);
        for (const QByteArray& rotation : otherRotations)
            if (identityOf(rotation, &id) && !(haveOwn_ && id == own_)) closed_.insert(id);
    }

    void add(const QByteArray& relative, RotationPass pass) {
        if (taken_.contains(relative)) return;
        taken_.insert(relative);
        if (isStray(source_ + relative)) return;
        result.copies.append({source_ + relative, live_ + relative, pass});
    }

    void addTopLevel(const QList<QByteArray>& names) {
        for (const QByteArray& name : names)
            if (isGalleryFile(name)) add(name, isPage(name) ? kPagePass : kFilePass);
    }

    void addThumbnails() {
        const QByteArray folder = source_ + kThumbs + "/";
        Identity id{};
        if (!identityOf(folder, &id) || closed_.contains(id)) return;
        bool listed = false;
        const QList<QByteArray> names = regularFileNames(folder, &listed);
        if (!listed) {
            result.unreadable << folder;
            return;
        }
        for (const QByteArray& name : names)
            if (isGalleryFile(name)) add(kThumbs + "/" + name, kThumbnailPass);
    }

    // True when the rotation has a sub-folder whose files a page could refer to and that is not
    // published whole (the thumbnails' folder is, unless it has folders of its own): only then are
    // its pages read.
    bool hasOpenSubFolders() const {
        bool listed = false;
        for (const QByteArray& name : subdirectoryNames(source_, &listed)) {
            Identity id{};
            if (!identityOf(source_ + name, &id) || closed_.contains(id)) continue;
            bool thumbsListed = false;
            if (name != kThumbs || !subdirectoryNames(source_ + name, &thumbsListed).isEmpty()) return true;
        }
        return !listed;  // when it cannot be listed, the pages tell
    }

    void addReferencesOf(const QByteArray& page) {
        for (QByteArray relative : pageSubFolderReferences(source_ + page)) {
            if (!isRegularFile(source_ + relative)) {
                // Found as the build finds support files, without regard to letter case.
                const QString found = findFileIgnoringCase(QFile::decodeName(source_), QFile::decodeName(relative));
                if (found.isEmpty()) continue;
                relative = QFile::encodeName(QDir(QFile::decodeName(source_)).relativeFilePath(found));
            }
            const QByteArray name = relative.mid(relative.lastIndexOf('/') + 1);
            if (!isGalleryFile(name) || insideClosedFolder(relative)) continue;
            add(relative, relative.startsWith(kThumbs + "/") ? kThumbnailPass : isPage(name) ? kPagePass : kFilePass);
        }
    }

    RotationContents result;

private:
    // True when a folder on the way to the file is the live directory or another rotation.
    bool insideClosedFolder(const QByteArray& relative) const {
        for (qsizetype slash = relative.indexOf('/'); slash > 0; slash = relative.indexOf('/', slash + 1)) {
            Identity id{};
            if (!identityOf(source_ + relative.left(slash), &id) || closed_.contains(id)) return true;
        }
        return false;
    }

    // True when the file, every link resolved, lies anywhere but in this rotation: it is then
    // recorded as a stray. A file whose real path cannot be found is left to the copy, which
    // reports it when it cannot be read either.
    bool isStray(const QByteArray& path) {
        struct stat info {};
        if (::lstat(path.constData(), &info) != 0) return false;
        const qsizetype slash = path.lastIndexOf('/');
        QByteArray realPath;
        if (S_ISLNK(info.st_mode)) {
            realPath = realPathOf(path);
        } else {
            // Most files are no links: their folder's real path, found once, tells.
            const QByteArray given = path.left(slash);
            auto folder = realFolders_.constFind(given);
            if (folder == realFolders_.constEnd()) folder = realFolders_.insert(given, realPathOf(given));
            if (!folder->isEmpty()) realPath = *folder + path.mid(slash);
        }
        if (realPath.isEmpty()) return false;
        const std::optional<StrayFile::Where> where = placeOf(realPath.left(realPath.lastIndexOf('/')));
        if (where) result.strays.append({path, realPath, *where});
        return where.has_value();
    }

    static QByteArray realPathOf(const QByteArray& path) {
        char* resolved = ::realpath(path.constData(), nullptr);
        const QByteArray real(resolved);
        ::free(resolved);
        return real;
    }

    // Where a folder given by its real path lies: nothing when in this rotation and in no closed
    // folder below it. Each folder on the way up is looked at once.
    std::optional<StrayFile::Where> placeOf(const QByteArray& realFolder) {
        const auto known = places_.constFind(realFolder);
        if (known != places_.constEnd()) return *known;
        Identity id{};
        const bool found = identityOf(realFolder.isEmpty() ? "/" : realFolder, &id);
        std::optional<StrayFile::Where> place;  // none: in this rotation
        if (!(found && haveOwn_ && id == own_)) {
            if (found && haveLive_ && id == liveId_)
                place = StrayFile::InLiveDirectory;
            else if (found && closed_.contains(id))
                place = StrayFile::InOtherRotation;
            else if (realFolder.isEmpty())
                place = StrayFile::OutsideRotation;  // the root: the rotation was not on the way
            else
                place = placeOf(realFolder.left(realFolder.lastIndexOf('/')));
        }
        places_.insert(realFolder, place);
        return place;
    }

    QByteArray source_, live_;
    Identity own_{}, liveId_{};
    bool haveOwn_ = false, haveLive_ = false;
    QSet<Identity> closed_;
    QSet<QByteArray> taken_;
    QHash<QByteArray, QByteArray> realFolders_;                  // by the folder's path as given
    QHash<QByteArray, std::optional<StrayFile::Where>> places_;  // by the folder's real path
};

}  // namespace

RotationContents rotationContents(const QByteArray& source, const QByteArray& live,
                                  const QList<QByteArray>& topLevelFiles, const QList<QByteArray>& otherRotations) {
    Contents contents(source, live, otherRotations);
    contents.addTopLevel(topLevelFiles);
    contents.addThumbnails();
    if (contents.hasOpenSubFolders())
        for (const QByteArray& name : topLevelFiles)
            if (isPage(name) && isGalleryFile(name)) contents.addReferencesOf(name);
    std::stable_sort(contents.result.copies.begin(), contents.result.copies.end(),
                     [](const FileCopy& a, const FileCopy& b) { return a.pass < b.pass; });
    return contents.result;
}

}  // namespace rotation_tool
