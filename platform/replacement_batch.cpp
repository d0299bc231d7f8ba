#include "platform/replacement_batch.h"

#include "platform/file_ops.h"
#include "platform/file_replacement.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cstdio>
#include <sys/stat.h>

namespace platform {

namespace {

// No rename puts a file where a directory is: such a target fails when it is given, so the
// operation stops at that file instead of at finish().
bool replaceable(const QString& target) {
    struct stat info {};
    return ::lstat(QFile::encodeName(target).constData(), &info) != 0 || !S_ISDIR(info.st_mode);
}

}  // namespace

bool ReplacementBatch::copy(const QString& source, const QString& target) {
    if (!replaceable(target)) return false;
    const QString temporary = copyToTemporaryBeside(source, target);
    if (temporary.isEmpty()) return false;
    add(temporary, target);
    return true;
}

bool ReplacementBatch::write(const QByteArray& data, const QString& target, std::optional<mode_t> mode) {
    if (!replaceable(target)) return false;
    FileReplacement out(target, FileReplacement::Sync::Deferred, mode);
    if (!out.open() || !out.write(data) || !out.close()) return false;
    add(out.takeTemporary(), target);
    return true;
}

void ReplacementBatch::add(const QString& temporary, const QString& target) {
    // A later file for the same target replaces the earlier one.
    for (Pending& p : pending_) {
        if (p.target == target) {
            QFile::remove(p.temporary);
            p.temporary = temporary;
            return;
        }
    }
    pending_.push_back(Pending{temporary, target});
}

bool ReplacementBatch::holds(const QString& target) const {
    for (const Pending& p : pending_)
        if (p.target == target) return true;
    return false;
}

QStringList ReplacementBatch::finish() {
    QStringList failed;
    if (pending_.empty()) return failed;
    QSet<QString> directories;
    for (const Pending& p : pending_) directories.insert(QFileInfo(p.target).absolutePath());
    bool synced = true;
    for (const QString& directory : directories) synced = syncFileSystemOf(directory) && synced;
    for (const Pending& p : pending_) {
        const QByteArray from = QFile::encodeName(p.temporary), to = QFile::encodeName(p.target);
        if (!synced || std::rename(from.constData(), to.constData()) != 0) {
            QFile::remove(p.temporary);
            failed << p.target;
        }
    }
    pending_.clear();
    for (const QString& directory : directories) syncDirectory(directory);  // renames made durable
    return failed;
}

void ReplacementBatch::discard() {
    for (const Pending& p : pending_) QFile::remove(p.temporary);
    pending_.clear();
}

}  // namespace platform
