#include "site_manager/mount_sources.h"

#include "site_manager/rotation_folders.h"

#include <QFile>
#include <algorithm>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>

#ifndef STATX_MNT_ID
#define STATX_MNT_ID 0x00001000U
#endif

namespace {

// mountinfo writes a blank, a tab, a line break and a backslash in a path as "\" and three octal
// digits.
QByteArray unescaped(const QByteArray& field) {
    QByteArray text;
    for (qsizetype i = 0; i < field.size(); ++i) {
        const auto octal = [&](qsizetype at) { return at < field.size() && field[at] >= '0' && field[at] <= '7'; };
        if (field[i] == '\\' && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
            text += char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

bool liesIn(const QByteArray& path, const QByteArray& folder) {
    return folder == "/" || path == folder || (path.startsWith(folder) && path.at(folder.size()) == '/');
}

// The part of a path below a folder it lies in: empty, or beginning with "/".
QByteArray partBelow(const QByteArray& path, const QByteArray& folder) {
    return folder == "/" ? (path == "/" ? QByteArray() : path) : path.mid(folder.size());
}

QByteArray joined(const QByteArray& folder, const QByteArray& part) {
    if (folder == "/") return part.isEmpty() ? QByteArray("/") : part;
    return folder + part;
}

}  // namespace

MountSources MountSources::read() {
    MountSources sources;
    QFile file("/proc/self/mountinfo");
    if (!file.open(QIODevice::ReadOnly)) return sources;
    // "<id> <parent id> <major:minor> <root> <mount point> ..."
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 5) continue;
        bool numbered = false;
        Mount mount{fields[0].toULongLong(&numbered), fields[2], unescaped(fields[3]), unescaped(fields[4])};
        if (numbered && mount.root.startsWith('/') && mount.point.startsWith('/')) sources.mounts_ << mount;
    }
    return sources;
}

const MountSources::Mount* MountSources::mountOf(const QByteArray& realPath) const {
    struct statx info {};
    if (::statx(AT_FDCWD, realPath.constData(), AT_NO_AUTOMOUNT, STATX_MNT_ID, &info) == 0 &&
        (info.stx_mask & STATX_MNT_ID)) {
        for (const Mount& mount : mounts_)
            if (mount.id == info.stx_mnt_id) return &mount;
        return nullptr;
    }
    // A kernel that does not name the mount: the one mounted last at the deepest mount point.
    const Mount* found = nullptr;
    for (const Mount& mount : mounts_)
        if (liesIn(realPath, mount.point) && (!found || mount.point.size() >= found->point.size())) found = &mount;
    return found;
}

QByteArray MountSources::sourceOf(const QByteArray& realPath) const {
    const Mount* on = mountOf(realPath);
    if (!on || on->root == "/") return realPath;
    const QByteArray inFileSystem = joined(on->root, partBelow(realPath, on->point));
    // The other mounts of the file system that show the mount's root and more above it, the one
    // that shows most first.
    QList<const Mount*> showing;
    for (const Mount& mount : mounts_)
        if (&mount != on && mount.device == on->device && mount.root.size() < on->root.size() &&
            liesIn(on->root, mount.root))
            showing << &mount;
    std::sort(showing.begin(), showing.end(),
              [](const Mount* a, const Mount* b) { return a->root.size() < b->root.size(); });
    const std::optional<FileIdentity> wanted = identityOf(realPath);
    for (const Mount* mount : showing) {
        // A mount hidden by another mounted over it does not show it any more: only the same
        // file or folder counts.
        const QByteArray path = joined(mount->point, partBelow(inFileSystem, mount->root));
        if (wanted && identityOf(path) == wanted) return path;
    }
    return realPath;
}
