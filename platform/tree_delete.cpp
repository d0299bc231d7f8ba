#include "platform/tree_delete.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

#ifndef STATX_MNT_ID
#define STATX_MNT_ID 0x00001000U
#endif

namespace platform {

namespace {

// What an entry is and where it lives. A bind mount of a folder of the same file system has the
// same device as its parent folder: only the mount it is reached through tells them apart.
struct Place {
    dev_t device = 0;
    std::optional<quint64> mount;  // absent where the kernel does not say
    mode_t type = 0;
};

// The entry itself (a link is not followed, an automount not triggered); an empty name is the
// folder the descriptor holds. Empty with errno set when it cannot be looked at.
std::optional<Place> placeOf(int folder, const char* name) {
    struct statx info {};
    const int flags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | (*name ? 0 : AT_EMPTY_PATH);
    if (::statx(folder, name, flags, STATX_TYPE | STATX_MNT_ID, &info) != 0) return std::nullopt;
    Place place;
    place.device = makedev(info.stx_dev_major, info.stx_dev_minor);
    if (info.stx_mask & STATX_MNT_ID) place.mount = info.stx_mnt_id;
    place.type = info.stx_mode & S_IFMT;
    return place;
}

bool onSameMount(const Place& entry, const Place& folder) {
    return entry.device == folder.device && (!entry.mount || !folder.mount || *entry.mount == *folder.mount);
}

class Walker {
public:
    explicit Walker(TreeDeletion& result) : result_(result) {}

    // Removes one entry of an open folder, a folder with everything in it. Inside the tree
    // (parent given) an entry on another mount than its folder stays untouched. True when gone.
    bool remove(int folderFd, const char* name, const QByteArray& path, const Place* parent) {
        const std::optional<Place> entry = placeOf(folderFd, name);
        if (!entry) return errno == ENOENT || failed(path);
        if (parent && !onSameMount(*entry, *parent)) return keptMount(path);
        if (entry->type != S_IFDIR) return unlink(folderFd, name, path, 0);
        const int fd = ::openat(folderFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            if (errno == ENOENT) return true;
            // Swapped for a link or a file since it was looked at: that is removed, never followed.
            if (errno == ENOTDIR || errno == ELOOP) return unlink(folderFd, name, path, 0);
            return failed(path);
        }
        // What was opened is what counts: a mount may stand there now.
        const std::optional<Place> opened = placeOf(fd, "");
        if (!opened || (parent && !onSameMount(*opened, *parent))) {
            ::close(fd);
            return opened ? keptMount(path) : failed(path);
        }
        if (!empty(fd, path, *opened)) return false;  // what stayed keeps it, and was named
        return unlink(folderFd, name, path, AT_REMOVEDIR);
    }

private:
    // Removes everything in the folder and closes it; true when nothing stayed.
    bool empty(int fd, const QByteArray& path, const Place& place) {
        DIR* dir = ::fdopendir(fd);
        if (!dir) {
            ::close(fd);
            return failed(path);
        }
        // Every name is read before anything is removed: a folder changing under the reader may
        // repeat or skip names.
        std::vector<QByteArray> names;
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(dir);
            if (!entry) break;
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..") names.push_back(name);
        }
        bool emptied = errno == 0 || failed(path);
        for (const QByteArray& name : names)
            emptied = remove(::dirfd(dir), name.constData(), path + '/' + name, &place) && emptied;
        ::closedir(dir);
        return emptied;
    }

    bool unlink(int folderFd, const char* name, const QByteArray& path, int flags) {
        return ::unlinkat(folderFd, name, flags) == 0 || errno == ENOENT || failed(path);
    }

    bool failed(const QByteArray& path) {
        result_.failures << QFile::decodeName(path);
        return false;
    }

    bool keptMount(const QByteArray& path) {
        result_.mountsKept << QFile::decodeName(path);
        return false;
    }

    TreeDeletion& result_;
};

}  // namespace

TreeDeletion deleteTree(const QString& path) {
    TreeDeletion result;
    if (!QDir::isAbsolutePath(path)) return result;
    const QByteArray native = QFile::encodeName(QDir::cleanPath(path));
    const qsizetype slash = native.lastIndexOf('/');
    const QByteArray parent = slash == 0 ? QByteArray("/") : native.left(slash);
    const QByteArray name = native.mid(slash + 1);
    const int parentFd = ::open(parent.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentFd < 0 && errno == ENOENT) return result;
    result.found = true;
    if (name.isEmpty() || parentFd < 0) {  // the root is never deleted
        result.failures << QFile::decodeName(native);
    } else if (!placeOf(parentFd, name.constData()) && errno == ENOENT) {
        result.found = false;
    } else {
        // The folder asked for is entered even when it is itself a mount point; nothing below it is.
        Walker(result).remove(parentFd, name.constData(), native, nullptr);
    }
    if (parentFd >= 0) ::close(parentFd);
    return result;
}

}  // namespace platform
