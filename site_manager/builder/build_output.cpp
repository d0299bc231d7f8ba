#include "site_manager/builder/build_output.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>

namespace {

// Pages are served to everyone: new files are readable by all, replaced files
// keep their mode.
mode_t outputMode(const QByteArray& path) {
    struct stat existing {};
    if (::stat(path.constData(), &existing) == 0) return existing.st_mode & 07777;
    return 0644;
}

}  // namespace

bool writeBuildFile(const QString& path, const QByteArray& data) {
    const QFileInfo target(path);
    // QSaveFile would wait for the disk on every file; build output is made
    // durable per step.
    QTemporaryFile temporary(target.absolutePath() + "/." + target.fileName() + ".XXXXXX");
    if (!temporary.open()) return false;
    const QByteArray nativePath = QFile::encodeName(target.absoluteFilePath());
    if (temporary.write(data) != data.size() || !temporary.flush() ||
        ::fchmod(temporary.handle(), outputMode(nativePath)) != 0)
        return false;
    temporary.close();
    if (::rename(QFile::encodeName(temporary.fileName()).constData(), nativePath.constData()) != 0) return false;
    temporary.setAutoRemove(false);
    return true;
}
