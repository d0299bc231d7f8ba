#include "platform/file_ops.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {
QString& executableDirectoryOverride() {
    static QString directory;
    return directory;
}
}  // namespace

void setExecutableDirectoryForTesting(const QString& directory) { executableDirectoryOverride() = directory; }

QString executableDirectory() {
    QString dir = executableDirectoryOverride().isEmpty() ? QCoreApplication::applicationDirPath()
                                                          : executableDirectoryOverride();
    if (!dir.endsWith('/')) dir += '/';
    return dir;
}

bool fileExists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

bool directoryExists(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

bool isReadOnly(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && !(QFile::permissions(path) & QFileDevice::WriteOwner);
}

bool setReadOnly(const QString& path, bool readOnly) {
    QFileDevice::Permissions p = QFile::permissions(path);
    const QFileDevice::Permissions write = QFileDevice::WriteOwner | QFileDevice::WriteUser;
    p = readOnly ? (p & ~write) : (p | write);
    return QFile::setPermissions(path, p);
}

bool copyFile(const QString& source, const QString& destination, bool failIfExists) {
    if (failIfExists && QFileInfo::exists(destination)) return false;
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) return false;
    QSaveFile out(destination);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly)) return false;
    constexpr qint64 chunk = 1 << 20;
    QByteArray buffer;
    while (!in.atEnd()) {
        buffer = in.read(chunk);
        if (buffer.isEmpty() && in.error() != QFileDevice::NoError) {
            out.cancelWriting();
            return false;
        }
        if (out.write(buffer) != buffer.size()) {
            out.cancelWriting();
            return false;
        }
    }
    if (failIfExists && QFileInfo::exists(destination)) {
        out.cancelWriting();
        return false;
    }
    if (!out.commit()) return false;
    QFile::setPermissions(destination, in.permissions() | QFileDevice::WriteOwner);
    return true;
}

bool renameFile(const QString& from, const QString& to) {
    if (QFileInfo::exists(to)) return false;
    return QFile::rename(from, to);
}

bool deleteFile(const QString& path) { return fileExists(path) && QFile::remove(path); }

bool createDirectory(const QString& path) { return QDir().mkdir(path); }

bool removeDirectory(const QString& path) { return QDir().rmdir(path); }

bool shellDeleteFiles(const QStringList& paths) {
    bool allGone = true;
    for (const QString& p : paths) {
        if (p.isEmpty()) continue;
        const QFileInfo info(p);
        if (info.isDir() && !info.isSymLink()) {
            allGone = QDir(p).removeRecursively() && allGone;
        } else if (info.exists() || info.isSymLink()) {
            allGone = QFile::remove(p) && allGone;
        } else {
            allGone = false;
        }
    }
    return allGone;
}

bool writeFileAtomically(const QString& path, const QByteArray& data) {
    QSaveFile out(path);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly)) return false;
    if (out.write(data) != data.size()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

QStringList readTextLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QString text = QString::fromUtf8(file.readAll());
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    QStringList lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

bool writeTextLines(const QString& path, const QStringList& lines) {
    QByteArray data;
    for (const QString& line : lines) data += line.toUtf8() + "\r\n";
    return writeFileAtomically(path, data);
}

bool syncFileSystemOf(const QString& directory) {
    const int fd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::syncfs(fd) == 0;
    ::close(fd);
    return synced;
}

void syncDirectory(const QString& directory) {
    const int fd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace platform
