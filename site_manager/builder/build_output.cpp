#include "site_manager/builder/build_output.h"

#include "platform/file_replacement.h"

#include <QFile>

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

bool writeBuildFile(const QString& path, const QByteArray& data) {
    // Waiting for the disk on every file would make a build crawl; the build syncs the file
    // system once per step and fails when that sync fails.
    platform::FileReplacement out(path, platform::FileReplacement::Sync::Deferred, outputMode(path));
    return out.open() && out.write(data) && out.commit();
}
