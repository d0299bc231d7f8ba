#include "site_manager/image_copy_batch.h"

#include "platform/file_ops.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QUuid>
#include <cstdio>
#include <unistd.h>

namespace {

QByteArray nativeName(const QString& path) { return QFile::encodeName(path); }



}  // namespace

ImageCopyBatch::~ImageCopyBatch() {
    for (const Pending& p : pending_) QFile::remove(p.temporary);
}

QString ImageCopyBatch::temporaryNameFor(const QString& destination) {
    const QFileInfo info(destination);
    const QString suffix = info.suffix().isEmpty() ? QString() : "." + info.suffix();
    return info.absolutePath() + "/.~" + QUuid::createUuid().toString(QUuid::Id128).left(12) + suffix;
}

bool ImageCopyBatch::copy(const QString& source, const QString& destination) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) return false;
    const QString temporary = temporaryNameFor(destination);
    QFile out(temporary);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return false;
    constexpr qint64 chunk = 1 << 20;
    bool ok = true;
    while (ok && !in.atEnd()) {
        const QByteArray buffer = in.read(chunk);
        ok = !(buffer.isEmpty() && in.error() != QFileDevice::NoError) && out.write(buffer) == buffer.size();
    }
    ok = out.flush() && ok;
    out.close();
    if (!ok) {
        QFile::remove(temporary);
        return false;
    }
    QFile::setPermissions(temporary, in.permissions() | QFileDevice::WriteOwner);
    add(temporary, destination);
    return true;
}

void ImageCopyBatch::adopt(const QString& temporary, const QString& destination) { add(temporary, destination); }

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
