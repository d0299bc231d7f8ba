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
    // Waiting for the disk on every file would make a build crawl: a build step syncs once for all
    // its files. A single file (the editor's preview) reaches the disk before it replaces the old one.
    if (step) return step->write(data, path, outputMode(path));
    platform::FileReplacement out(path, platform::FileReplacement::Sync::Now, outputMode(path));
    return out.open() && out.write(data) && out.commit();
}

void removeLeftoverTemporaries(const QString& directory) {
    if (directory.isEmpty()) return;  // never the process's current directory
    const QDir dir(directory);
    for (const QFileInfo& entry : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!entry.isSymLink() && platform::isReplacementTemporaryName(entry.fileName()))
            QFile::remove(entry.filePath());
    }
}
