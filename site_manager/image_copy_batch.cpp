#include "site_manager/image_copy_batch.h"

#include "platform/file_ops.h"
#include "platform/file_replacement.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cstdio>
#include <unistd.h>

namespace {

QByteArray nativeName(const QString& path) { return QFile::encodeName(path); }

}  // namespace

ImageCopyBatch::~ImageCopyBatch() {
    for (const Pending& p : pending_) QFile::remove(p.temporary);
}

bool ImageCopyBatch::copy(const QString& source, const QString& destination) {
    const QString temporary = platform::copyToTemporaryBeside(source, destination);
    if (temporary.isEmpty()) return false;
    add(temporary, destination);
    return true;
}

bool ImageCopyBatch::write(const QByteArray& data, const QString& destination) {
    platform::FileReplacement out(destination, platform::FileReplacement::Sync::Deferred);
    if (!out.open() || !out.write(data) || !out.close()) return false;
    add(out.takeTemporary(), destination);
    return true;
}

void ImageCopyBatch::add(const QString& temporary, const QString& destination) {
    // A later copy for the same destination replaces the earlier one.
    for (Pending& p : pending_) {
        if (p.destination == destination) {
            QFile::remove(p.temporary);
            p.temporary = temporary;
            return;
        }
    }
    pending_.push_back(Pending{temporary, destination});
}

bool ImageCopyBatch::holds(const QString& destination) const {
    for (const Pending& p : pending_)
        if (p.destination == destination) return true;
    return false;
}

QStringList ImageCopyBatch::finish() {
    QStringList failed;
    if (pending_.empty()) return failed;
    QSet<QString> directories;
    for (const Pending& p : pending_) directories.insert(QFileInfo(p.destination).absolutePath());
    bool synced = true;
    for (const QString& directory : directories) synced = platform::syncFileSystemOf(directory) && synced;
    for (const Pending& p : pending_) {
        if (!synced || std::rename(nativeName(p.temporary).constData(), nativeName(p.destination).constData()) != 0) {
            QFile::remove(p.temporary);
            failed << p.destination;
        }
    }
    pending_.clear();
    for (const QString& directory : directories) platform::syncDirectory(directory);  // renames made durable
    return failed;
}
