#include "site_manager/builder/build_output.h"

#include "platform/file_replacement.h"
#include "platform/replacement_batch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

// Pages are served to everyone: new files are readable by all, replaced files
// keep their mode.
mode_t outputMode(const QString& path) {
    struct stat existing {};
    if (::stat(QFile::encodeName(path).constData(), &existing) == 0) return existing.st_mode & 07777;
    return 0644;
}

}  // namespace

bool writeBuildFile(const QString& path, const QByteArray& data, platform::ReplacementBatch* step) {
    // Waiting for the disk on every file would make a build crawl: the step syncs once.
    if (step) return step->write(data, path, outputMode(path));
    platform::FileReplacement out(path, platform::FileReplacement::Sync::Deferred, outputMode(path));
    return out.open() && out.write(data) && out.commit();
}

void removeLeftoverTemporaries(const QString& directory) {
    const QDir dir(directory);
    for (const QFileInfo& entry : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!entry.isSymLink() && platform::isReplacementTemporaryName(entry.fileName()))
            QFile::remove(entry.filePath());
    }
}
