#pragma once
// What the mounts of this process's mount namespace show. A bind mount shows a folder of a file
// system that another mount may show too, with the folders above it: a folder reached through the
// bind mount is that folder, and its parents are that folder's, not those of the mount point.
#include <QByteArray>
#include <QList>

class MountSources {
public:
    // The mounts as /proc/self/mountinfo lists them now; none when it cannot be read.
    static MountSources read();

    // The path (real, absolute) by which another mount of the same file system shows the folder
    // or file at a real path that lies on a bind mount, through the mount that shows most of the
    // file system above it. The path itself when it lies on a mount that shows its file system
    // from the root, or when no mount in this namespace shows more of it.
    QByteArray sourceOf(const QByteArray& realPath) const;

private:
    struct Mount {
        quint64 id = 0;
        QByteArray device;  // "major:minor"
        QByteArray root;    // the folder of its file system that it shows
        QByteArray point;   // where it is mounted
    };
    const Mount* mountOf(const QByteArray& realPath) const;

    QList<Mount> mounts_;
};
