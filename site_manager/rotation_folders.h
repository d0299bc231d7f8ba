#pragma once
// The folders a built rotation publishes from: its directory, its "thumbs" folder and the
// sub-folders whose files its pages refer to. A live directory must never be one of them, however
// it is reached, or going live would overwrite the rotation's own files. Folders are compared by
// what they are on disk (device and inode), never by their spelling.
#include <QByteArray>
#include <QList>
#include <optional>
#include <sys/types.h>

// A file or folder as the disk knows it.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};
size_t qHash(const FileIdentity& id, size_t seed = 0);
// The identity of what the path leads to, every link followed; nothing when it does not exist.
std::optional<FileIdentity> identityOf(const QByteArray& path);

// A page by its name's extension (".htm", ".html", in any case), whatever other bytes it holds.
bool isPageFileName(const QByteArray& fileName);

// The path with every link resolved; empty when it cannot be resolved (a link leads nowhere).
QByteArray realPathOf(const QByteArray& path);

// The sub-folder files a page refers to, as the build finds a template's support files: relative
// paths below the page's directory with at least one folder, cleaned, each once, in page order.
// References that leave the directory, absolute paths and web addresses are left out.
QList<QByteArray> pageSubFolderReferences(const QByteArray& page);

// One rotation of a site: its number and its directory (native, with a trailing "/").
struct SiteRotationDirectory {
    qint64 number;
    QByteArray directory;
};

// A folder of a rotation that a copy would write into.
struct RotationFolderMatch {
    qint64 rotation;
    QByteArray folder;  // native, as the rotation's directory names it, with a trailing "/"
};

// The folders below a rotation directory that it publishes from besides itself: "thumbs" and the
// folders of the files its pages refer to (relative, without a trailing "/"), each once.
QList<QByteArray> rotationSubFolders(const QByteArray& directory);

// The first folder a rotation publishes from that is the live directory or one of the folders
// written into below it (native paths; a folder that does not exist yet is a new one and none of
// them). A rotation publishes from its directory, and from its thumbs folder and the sub-folders
// its pages refer to where those really lie in it (through a link, only one that does not lead
// into the live directory). Its pages are read only when a folder written into really lies inside
// its directory.
std::optional<RotationFolderMatch> rotationFolderWrittenInto(const QByteArray& live,
                                                             const QList<QByteArray>& writtenFolders,
                                                             const QList<SiteRotationDirectory>& rotations);

// The folders that copying any of the rotations into the live directory would write into: the
// live directory itself, and its "thumbs" and the other sub-folders the rotations publish from.
QList<QByteArray> foldersWrittenUnderLiveDirectory(const QByteArray& live,
                                                   const QList<SiteRotationDirectory>& rotations);
