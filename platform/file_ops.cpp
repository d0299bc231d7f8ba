#include "platform/file_ops.h"

#include "platform/file_replacement.h"
#include "platform/ini_document.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
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

bool canListDirectory(const QString& path) {
    if (path.isEmpty()) return false;
    DIR* dir = ::opendir(QFile::encodeName(path).constData());
    if (!dir) return false;
    errno = 0;
    const bool read = ::readdir(dir) != nullptr || errno == 0;
    // Looking up "." inside it needs search permission, which its files' names alone do not.
    struct stat self;
    const bool searchable = ::fstatat(::dirfd(dir), ".", &self, 0) == 0;
    ::closedir(dir);
    return read && searchable;
}

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

namespace {

// Streams source into a replacement of destination that is not yet committed; null on a failure.
// The copy keeps the source's permissions, and its owner can always write it so that it can be
// replaced later.
std::unique_ptr<FileReplacement> copyIntoReplacement(const QString& source, const QString& destination,
                                                     FileReplacement::Sync sync) {
    QFile in(source);
    struct stat sourceInfo {};
    if (!in.open(QIODevice::ReadOnly) || ::fstat(in.handle(), &sourceInfo) != 0) return nullptr;
    auto out = std::make_unique<FileReplacement>(destination, sync, mode_t((sourceInfo.st_mode & 07777) | S_IWUSR));
    if (!out->open()) return nullptr;
    constexpr qint64 chunk = 1 << 20;
    while (!in.atEnd()) {
        const QByteArray buffer = in.read(chunk);
        if ((buffer.isEmpty() && in.error() != QFileDevice::NoError) || !out->write(buffer)) return nullptr;
    }
    return out;
}

}  // namespace

bool copyFile(const QString& source, const QString& destination, bool failIfExists) {
    if (failIfExists && QFileInfo::exists(destination)) return false;
    const auto out = copyIntoReplacement(source, destination, FileReplacement::Sync::Now);
    return out && out->commit(!failIfExists);
}

QString copyToTemporaryBeside(const QString& source, const QString& destination) {
    const auto out = copyIntoReplacement(source, destination, FileReplacement::Sync::Deferred);
    return out && out->close() ? out->takeTemporary() : QString();
}

bool renameFile(const QString& from, const QString& to) {
    if (QFileInfo::exists(to)) return false;
    return QFile::rename(from, to);
}

bool deleteFile(const QString& path) { return fileExists(path) && QFile::remove(path); }

bool createDirectory(const QString& path) { return QDir().mkdir(path); }

bool removeDirectory(const QString& path) { return QDir().rmdir(path); }

bool writeFileAtomically(const QString& path, const QByteArray& data) {
    FileReplacement out(path);
    return out.open() && out.write(data) && out.commit();
}

QStringList readTextLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QString text = decodeFileText(file.readAll());
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
