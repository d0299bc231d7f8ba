#include "platform/file_replacement.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

QByteArray native(const QString& path) { return QFile::encodeName(path); }

constexpr int kRandomDigits = 12;
constexpr int kSuffixLength = 16;

// A hidden name that keeps the target's extension, so tools that look at it see the right kind.
QString temporaryNameBeside(const QString& target) {
    const QFileInfo info(target);
    const QString suffix = info.suffix().isEmpty() ? QString() : "." + info.suffix().left(kSuffixLength);
    const quint64 random = QRandomGenerator::global()->generate64();
    const QString digits = QString::number(random, 16).rightJustified(16, '0').left(kRandomDigits);
    return info.absolutePath() + "/.~" + digits + suffix;
}

void syncDirectoryOf(const QString& path) {
    const int fd = ::open(native(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // the rename is done; a directory that cannot be synced leaves it as durable as the file system makes it
    ::close(fd);
}

}  // namespace

bool isReplacementTemporaryName(const QString& fileName) {
    // The suffix is what QFileInfo::suffix gives: no dot in it.
    static const QRegularExpression form(QRegularExpression::anchoredPattern(
        QStringLiteral("\\.~[0-9a-f]{%1}(\\.[^./]{1,%2})?").arg(kRandomDigits).arg(kSuffixLength)));
    return form.match(fileName).hasMatch();
}

FileReplacement::FileReplacement(const QString& target, Sync sync, std::optional<mode_t> mode)
    : target_(target), sync_(sync), mode_(mode) {
    // A user's link (a settings file kept elsewhere) stays a link: the file it leads to is replaced.
    const QFileInfo info(target);
    if (info.isSymLink()) {
        const QString resolved = info.canonicalFilePath();
        target_ = resolved.isEmpty() ? info.symLinkTarget() : resolved;
    }
}

FileReplacement::~FileReplacement() { discard(); }

bool FileReplacement::fail() {
    if (error_ == 0) error_ = errno != 0 ? errno : EIO;
    discard();
    return false;
}

void FileReplacement::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temporary_.isEmpty()) ::unlink(native(temporary_).constData());
    temporary_.clear();
}

bool FileReplacement::open() {
    if (error_ != 0 || fd_ >= 0) return false;
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        const QString name = temporaryNameBeside(target_);
        // 0666 lets the umask decide for a new file, as any program's new file.
        fd_ = ::open(native(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) temporary_ = name;
        else if (errno != EEXIST) return fail();
    }
    if (fd_ < 0) return fail();
    struct stat existing {};
    std::optional<mode_t> mode = mode_;
    if (!mode && ::stat(native(target_).constData(), &existing) == 0) mode = existing.st_mode & 07777;
    if (mode && ::fchmod(fd_, *mode) != 0) return fail();
    return true;
}

bool FileReplacement::write(const char* data, qint64 size) {
    if (error_ != 0 || fd_ < 0) return false;
    while (size > 0) {
        const ssize_t written = ::write(fd_, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR) continue;
            return fail();
        }
        if (written == 0) {
            errno = EIO;
            return fail();
        }
        data += written;
        size -= written;
    }
    return true;
}

bool FileReplacement::close() {
    if (closed_) return error_ == 0;
    if (error_ != 0 || fd_ < 0) return false;
    if (sync_ == Sync::Now && ::fdatasync(fd_) != 0) return fail();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) return fail();
    closed_ = true;
    return true;
}

bool FileReplacement::commit(bool replaceExisting) {
    if (!close()) return false;
    const QByteArray from = native(temporary_), to = native(target_);
    const int renamed = replaceExisting ? ::rename(from.constData(), to.constData())
                                        : ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
    if (renamed != 0) return fail();
    temporary_.clear();
    if (sync_ == Sync::Now) syncDirectoryOf(target_);
    return true;
}

QString FileReplacement::takeTemporary() {
    if (!closed_) return {};
    QString taken;
    taken.swap(temporary_);
    return taken;
}

}  // namespace platform
