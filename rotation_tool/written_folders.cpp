#include "rotation_tool/written_folders.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rotation_tool {

namespace {

// One form of a folder's path for the table: "/" alone between names, and at the end. A path
// that is not absolute stays as it is and names no folder.
QByteArray normalised(const QByteArray& path) {
    if (!path.startsWith('/')) return path;
    QByteArray clean;
    clean.reserve(path.size() + 1);
    for (const char c : path)
        if (c != '/' || !clean.endsWith('/')) clean += c;
    if (!clean.endsWith('/')) clean += '/';
    return clean;
}

QByteArray folderOf(const QByteArray& path) { return path.left(path.lastIndexOf('/') + 1); }

std::optional<FileIdentity> identityOfOpen(int descriptor) {
    struct stat info {};
    if (::fstat(descriptor, &info) != 0) return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino};
}

// Opens a folder by its real path, one name at a time from the root, without following a link:
// a name on the way that was swapped for a link fails. The folders on the way need not be
// readable, only the last one is opened for reading.
int openRealPath(const QByteArray& realPath) {
    QList<QByteArray> names = realPath.split('/');
    names.removeAll(QByteArray());
    int at = ::open("/", (names.isEmpty() ? O_RDONLY : O_PATH) | O_DIRECTORY | O_CLOEXEC);
    for (qsizetype i = 0; at >= 0 && i < names.size(); ++i) {
        const int access = i + 1 == names.size() ? O_RDONLY : O_PATH;
        const int next = ::openat(at, names[i].constData(), access | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int error = errno;
        ::close(at);
        errno = error;
        at = next;
    }
    return at;
}

bool leadsTo(const QByteArray& path, const FileIdentity& folder) {
    const std::optional<FileIdentity> now = identityOf(path);
    return now && *now == folder;
}

}  // namespace

WrittenFolders::WrittenFolders(const QList<QByteArray>& folders) {
    for (const QByteArray& folder : folders) {
        const qsizetype index = take(folder);
        if (!given_.contains(index)) given_ << index;
    }
}

WrittenFolders::~WrittenFolders() {
    for (const Folder& folder : folders_)
        if (folder.descriptor >= 0) ::close(folder.descriptor);
}

qsizetype WrittenFolders::take(const QByteArray& given) {
    const QByteArray path = normalised(given);
    if (const auto known = byPath_.constFind(path); known != byPath_.constEnd()) return *known;
    Folder folder;
    folder.path = path;
    // Looked at without the trailing "/", so that a file of that name is seen as a file.
    const QByteArray bare = path.size() > 1 ? path.chopped(1) : path;
    struct stat info {};
    if (!path.startsWith('/')) {
        folder.kind = Folder::NoFolder;
    } else if (::stat(bare.constData(), &info) == 0) {
        folder.kind = S_ISDIR(info.st_mode) ? Folder::Existing : Folder::NoFolder;
        folder.realPath = realPathOf(bare);
        folder.identity = FileIdentity{info.st_dev, info.st_ino};
    } else if (::lstat(bare.constData(), &info) == 0) {
        folder.kind = Folder::NoFolder;  // a link that leads nowhere: no folder is made in its place
    } else {
        folder.kind = Folder::Missing;
        folder.name = bare.mid(bare.lastIndexOf('/') + 1);
        folder.parent = take(folderOf(bare));
    }
    folders_.append(folder);
    byPath_.insert(path, folders_.size() - 1);
    return folders_.size() - 1;
}

QByteArray WrittenFolders::checkedPath(qsizetype index) const {
    const Folder& folder = folders_[index];
    switch (folder.kind) {
    case Folder::Existing:
        if (folder.realPath.isEmpty()) break;
        return folder.realPath.endsWith('/') ? folder.realPath : folder.realPath + "/";
    case Folder::Missing:
        return checkedPath(folder.parent) + folder.name + "/";
    case Folder::NoFolder:
        break;
    }
    return folder.path;
}

QList<QByteArray> WrittenFolders::checkedPaths(const QList<QByteArray>& folders) const {
    QList<QByteArray> paths;
    for (const QByteArray& folder : folders) {
        const qsizetype index = byPath_.value(normalised(folder), -1);
        paths << (index < 0 ? folder : checkedPath(index));
    }
    return paths;
}

bool WrittenFolders::openFolder(qsizetype index, const QByteArray& asked, std::optional<Failure>& failure) {
    Folder& folder = folders_[index];
    if (folder.tried) return folder.descriptor >= 0;
    folder.tried = true;
    const auto fail = [&failure](Failure::Why why, const QByteArray& path) {
        failure = Failure{why, path};
        return false;
    };
    switch (folder.kind) {
    case Folder::NoFolder:
        return fail(Failure::CannotMake, asked);
    case Folder::Existing:
        if (folder.realPath.isEmpty()) return fail(Failure::CannotOpen, folder.path);
        folder.descriptor = openRealPath(folder.realPath);
        if (folder.descriptor < 0)
            return fail(errno == ENOENT || errno == ENOTDIR || errno == ELOOP ? Failure::Changed : Failure::CannotOpen,
                        folder.path);
        break;
    case Folder::Missing: {
        if (!openFolder(folder.parent, asked, failure)) return false;
        const int parent = folders_[folder.parent].descriptor;
        // A folder that exists by now was not there when the checks judged the path.
        if (::mkdirat(parent, folder.name.constData(), 0777) != 0)
            return errno == EEXIST ? fail(Failure::Changed, folder.path) : fail(Failure::CannotMake, asked);
        made_ << index;
        folder.descriptor = ::openat(parent, folder.name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (folder.descriptor < 0) return fail(Failure::Changed, folder.path);
        break;
    }
    }
    const std::optional<FileIdentity> opened = identityOfOpen(folder.descriptor);
    if (!opened) return fail(Failure::CannotOpen, folder.path);
    folder.opened = *opened;
    // The folder reached must be the one that was checked, and the one its path still leads to.
    if ((folder.kind == Folder::Existing && folder.opened != folder.identity) || !leadsTo(folder.path, folder.opened))
        return fail(Failure::Changed, folder.path);
    return true;
}

std::optional<WrittenFolders::Failure> WrittenFolders::open() {
    std::optional<Failure> failure;
    for (const qsizetype index : given_)
        if (!openFolder(index, folders_[index].path, failure)) return failure;
    return std::nullopt;
}

QList<int> WrittenFolders::descriptors() const {
    QList<int> open;
    for (const Folder& folder : folders_)
        if (folder.descriptor >= 0) open << folder.descriptor;
    return open;
}

void WrittenFolders::assign(FileCopy& copy) const {
    const qsizetype index = byPath_.value(normalised(folderOf(copy.target)), -1);
    copy.folder = index < 0 ? -1 : folders_[index].descriptor;
    copy.name = copy.target.mid(copy.target.lastIndexOf('/') + 1);
}

QByteArray WrittenFolders::firstChanged() const {
    // The outermost one: when the live directory was swapped, its thumbs went along.
    QByteArray changed;
    for (const Folder& folder : folders_)
        if (folder.descriptor >= 0 && (changed.isEmpty() || folder.path.size() < changed.size()) &&
            !leadsTo(folder.path, folder.opened))
            changed = folder.path;
    return changed;
}

void WrittenFolders::removeMade() {
    for (auto it = made_.crbegin(); it != made_.crend(); ++it) {
        Folder& folder = folders_[*it];
        if (folder.descriptor >= 0) ::close(folder.descriptor);
        folder.descriptor = -1;
        ::unlinkat(folders_[folder.parent].descriptor, folder.name.constData(), AT_REMOVEDIR);
    }
    made_.clear();
}

}  // namespace rotation_tool
