#include "rotation_tool/rotation_contents.h"

#include "platform/file_replacement.h"

#include <QFile>
#include <QSet>
#include <algorithm>
#include <sys/stat.h>

namespace rotation_tool {

namespace {

// A page by its name's extension, whatever other bytes the name holds.
bool isPage(const QByteArray& fileName) {
    const QByteArray lower = fileName.toLower();
    return lower.endsWith(".html") || lower.endsWith(".htm");
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

class Walk {
public:
    Walk(const QByteArray& source, const QByteArray& live) : source_(source), live_(live) {
        Identity root{};
        if (identityOf(source, &root)) seen_.insert(root);
        haveLive_ = identityOf(live, &liveId_);
    }

    void addFiles(const QByteArray& relative, const QList<QByteArray>& names, bool inThumbs) {
        for (const QByteArray& name : names) {
            // A temporary file left by a build that never finished is not part of the gallery.
            if (platform::isReplacementTemporaryName(QFile::decodeName(name))) continue;
            const int pass = inThumbs ? kThumbnailPass : isPage(name) ? kPagePass : kFilePass;
            contents.copies.append({source_ + relative + name, live_ + relative + name, pass});
        }
    }

    // The subdirectories of source + relative, depth first.
    void walkBelow(const QByteArray& relative, bool inThumbs) {
        bool ok = false;
        for (const QByteArray& name : subdirectoryNames(source_ + relative, &ok)) {
            const QByteArray sub = relative + name + "/";
            Identity id{};
            if (!identityOf(source_ + sub, &id) || (haveLive_ && id == liveId_) || seen_.contains(id)) continue;
            seen_.insert(id);
            const bool thumbs = inThumbs || (relative.isEmpty() && name == "thumbs");
            bool listed = false;
            const QList<QByteArray> files = regularFileNames(source_ + sub, &listed);
            if (!listed) {
                contents.unreadable << source_ + sub;
                continue;
            }
            addFiles(sub, files, thumbs);
            walkBelow(sub, thumbs);
        }
        if (!ok) contents.unreadable << source_ + relative;
    }

    RotationContents contents;

private:
    QByteArray source_, live_;
    Identity liveId_{};
    bool haveLive_ = false;
    QSet<Identity> seen_;
};

}  // namespace

RotationContents rotationContents(const QByteArray& source, const QByteArray& live,
                                  const QList<QByteArray>& topLevelFiles) {
    Walk walk(source, live);
    walk.addFiles({}, topLevelFiles, false);
    walk.walkBelow({}, false);
    std::stable_sort(walk.contents.copies.begin(), walk.contents.copies.end(),
                     [](const FileCopy& a, const FileCopy& b) { return a.pass < b.pass; });
    return walk.contents;
}

}  // namespace rotation_tool
