#pragma once
// Files of one operation (a drop of images, a step of a build) that replace their targets
// together. Each file is written whole and closed under a temporary name beside its target
// without waiting for the disk; finish() makes them all durable with one file-system sync and only
// then renames each over its target. A target is never replaced by a file that is not whole on
// disk, and many files wait for the disk once instead of once a file. Temporaries that are never
// placed (a failed sync, discard(), destruction) are removed and their targets keep every byte.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <sys/types.h>
#include <vector>

namespace platform {

class ReplacementBatch {
public:
    ReplacementBatch() = default;
    ~ReplacementBatch() { discard(); }
    ReplacementBatch(const ReplacementBatch&) = delete;
    ReplacementBatch& operator=(const ReplacementBatch&) = delete;

    // Copies source to a temporary file for target. False when it cannot be copied (or target is
    // a directory, which no file can replace).
    bool copy(const QString& source, const QString& target);
    // Writes data to a temporary file for target (mode as FileReplacement takes it). False when
    // it cannot be written whole, or target is a directory.
    bool write(const QByteArray& data, const QString& target, std::optional<mode_t> mode = {});
    // True when a file for target waits to be placed.
    bool holds(const QString& target) const;

    // One sync, then every file goes to its target, then the directories are synced. The targets
    // that could not be replaced are returned: all of them when the sync failed.
    QStringList finish();
    // Removes every waiting temporary; no target is touched.
    void discard();

private:
    struct Pending {
        QString temporary;
        QString target;
    };
    void add(const QString& temporary, const QString& target);
    std::vector<Pending> pending_;
};

}  // namespace platform
