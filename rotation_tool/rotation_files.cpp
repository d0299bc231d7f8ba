#include "rotation_tool/rotation_files.h"

#include "platform/file_ops.h"
#include "rotation_tool/rotation_log_dialog.h"
#include "site_manager/file_helpers.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace rotation_tool {

namespace {

const QByteArray kTemporaryPrefix = ".spindleway-";
constexpr int kTemporaryRandomLength = 6;

std::function<void(const QByteArray&)>& beforeSourceOpen() {
    static std::function<void(const QByteArray&)> hook;
    return hook;
}

// An open descriptor closed on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes and reports whether the close (the last chance to see a write error) went well.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

QByteArray directoryOf(const QByteArray& path) {
    const int slash = path.lastIndexOf('/');
    if (slash < 0) return ".";
    if (slash == 0) return "/";
    return path.left(slash);
}

bool copyData(int from, int to) {
    // In-kernel copy where the file systems allow it; plain reads and writes otherwise.
    for (;;) {
        const ssize_t n = ::copy_file_range(from, nullptr, to, nullptr, 1 << 30, 0);
        if (n == 0) return true;
        if (n > 0) continue;
        if (errno == EINTR) continue;
        if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) break;
        return false;
    }
    static thread_local std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(to, buffer.data() + done, size_t(n - done));
            if (w < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            done += w;
        }
    }
}

// A new, empty temporary file beside the target: the open file (its path in *path), or -1.
int makeTemporaryFile(const QByteArray& target, QByteArray* path) {
    *path = directoryOf(target) + "/" + kTemporaryPrefix + QByteArray(kTemporaryRandomLength, 'X');
    return ::mkostemp(path->data(), O_CLOEXEC);
}

// Fills the open temporary file with a whole copy of the open source and starts its writing to
// the disk. False when it could not (the caller removes the file).
bool fillTemporaryFile(int out, int source, mode_t mode) {
    if (!copyData(source, out) || ::fchmod(out, (mode & 07777) | S_IWUSR) != 0)
        return false;
    ::sync_file_range(out, 0, 0, SYNC_FILE_RANGE_WRITE);
    return true;
}

// A whole copy of the open source in a temporary file beside the target, on the disk. Returns its
// path, or an empty path when it could not be made (nothing is then left behind).
QByteArray stagedCopy(int source, mode_t mode, const QByteArray& target) {
    QByteArray path;
    Descriptor out(makeTemporaryFile(target, &path));
    if (!out.valid()) return {};
    const bool stored = fillTemporaryFile(out.get(), source, mode) && ::fdatasync(out.get()) == 0;
    if (!out.close() || !stored) {
        ::unlink(path.constData());
        return {};
    }
    return path;
}

// Keeps the old target under its backup name when no file of that name exists yet.
bool keepBackup(const QByteArray& target) {
    const QByteArray backup = nativeBackupFileName(target);
    if (::link(target.constData(), backup.constData()) == 0 || errno == EEXIST) return true;
    struct stat info {};
    if (::lstat(backup.constData(), &info) == 0) return true;  // the oldest backup stays
    // No hard links here: a whole copy under a temporary name, then put in place.
    Descriptor old(::open(target.constData(), O_RDONLY | O_CLOEXEC));
    if (!old.valid() || ::fstat(old.get(), &info) != 0) return false;
    const QByteArray staged = stagedCopy(old.get(), info.st_mode, target);
    if (staged.isEmpty()) return false;
    bool kept = ::renameat2(AT_FDCWD, staged.constData(), AT_FDCWD, backup.constData(), RENAME_NOREPLACE) == 0;
    if (!kept && errno == EINVAL) {
        // A file system without no-replace renames: check, then rename.
        kept = ::lstat(backup.constData(), &info) != 0 && ::rename(staged.constData(), backup.constData()) == 0;
    }
    if (!kept) ::unlink(staged.constData());
    return kept || ::lstat(backup.constData(), &info) == 0;
}

}  // namespace

QString backupFileName(const QString& target) {
    const int nameStart = std::max(target.lastIndexOf('/'), target.lastIndexOf('\\')) + 1;
    const int dot = target.lastIndexOf('.');
    if (dot < nameStart) return target + ".";
    const QString extension = target.mid(dot + 1);
    return target.left(dot) + ".~" + extension.left(extension.size() - 1);
}

QByteArray nativeBackupFileName(const QByteArray& target) {
    const int nameStart = target.lastIndexOf('/') + 1;
    const int dot = target.lastIndexOf('.');
    if (dot < nameStart) return target + ".";
    // Drop the last character of the extension: a UTF-8 sequence counts as one.
    int end = target.size();
    if (end > dot + 1) {
        --end;
        while (end > dot + 1 && (quint8(target[end]) & 0xC0) == 0x80) --end;
    }
    return target.left(dot) + ".~" + target.mid(dot + 1, end - dot - 1);
}

bool createnewdirectory(const QString& path) {
    if (namesNoFolderToCreate(path)) return false;
    if (createDirectoryPath(path)) return true;
    if (dlgLog) dlgLog->Addwarning("An error was encountered whilst trying to create the directory, " + path, true);
    return false;
}

void docopyfile(const QString& source, const QString& target) {
    if (!publishFile(QFile::encodeName(source), QFile::encodeName(target), false))
        throw CopyError(("cannot copy " + source).toStdString());
}

void createFile(FileCopy& copy) {
    copy.published = false;
    copy.staged.clear();
    struct stat old {};
    if (::lstat(copy.target.constData(), &old) == 0 && S_ISDIR(old.st_mode)) return;  // never replaced by a file
    copy.descriptor = makeTemporaryFile(copy.target, &copy.staged);
    if (copy.descriptor < 0) copy.staged.clear();
}

void setBeforeSourceOpen(std::function<void(const QByteArray& source)> hook) { beforeSourceOpen() = std::move(hook); }

void fillFile(FileCopy& copy) {
    if (copy.descriptor < 0) return;
    const bool checked = !copy.checkedPath.isEmpty();
    // A file of a rotation that its check could not look at is never opened: whatever lies at its
    // path by now was never checked. It fails as a file that vanished does.
    if (checked && !copy.checkedIdentity) {
        discardFile(copy);
        return;
    }
    if (beforeSourceOpen()) beforeSourceOpen()(copy.source);
    // A file of a rotation is opened where its check found it, and only if that is still no link;
    // the descriptor then tells whether it is still the file that was checked.
    const QByteArray& path = checked ? copy.checkedPath : copy.source;
    Descriptor in(::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | (checked ? O_NOFOLLOW : 0)));
    const int openError = errno;
    struct stat info {};
    const bool opened = in.valid() && ::fstat(in.get(), &info) == 0;
    const auto sameAsChecked = [&] { return FileIdentity{info.st_dev, info.st_ino} == *copy.checkedIdentity; };
    if (checked && ((!in.valid() && openError == ELOOP) || (opened && !(S_ISREG(info.st_mode) && sameAsChecked())))) {
        copy.leftOut = true;
        discardFile(copy);
        return;
    }
    if (opened && S_ISREG(info.st_mode) && fillTemporaryFile(copy.descriptor, in.get(), info.st_mode)) return;
    discardFile(copy);
}

void closeFile(FileCopy& copy) {
    if (copy.descriptor < 0) return;
    const bool closed = ::close(copy.descriptor) == 0;
    copy.descriptor = -1;
    if (!closed) discardFile(copy);
}

bool flushFiles(const QList<FileCopy>& copies) {
    // One sync of each file system costs about what the copy itself does; a sync of each file
    // would wait for the disk once a file. The file systems are told apart by the directories
    // the files lie in, each looked at once.
    QSet<QByteArray> directories;
    QSet<dev_t> synced;
    bool stored = true;
    for (const FileCopy& copy : copies) {
        if (!isStaged(copy)) continue;
        const QByteArray directory = directoryOf(copy.staged);
        if (directories.contains(directory)) continue;
        directories.insert(directory);
        struct stat info {};
        if (::stat(directory.constData(), &info) != 0) return false;
        if (synced.contains(info.st_dev)) continue;
        synced.insert(info.st_dev);
        stored = platform::syncFileSystemOf(QFile::decodeName(directory)) && stored;
    }
    return stored;
}

void discardFile(FileCopy& copy) {
    if (copy.descriptor >= 0) ::close(copy.descriptor);
    copy.descriptor = -1;
    if (!copy.staged.isEmpty()) ::unlink(copy.staged.constData());
    copy.staged.clear();
}

void installFile(FileCopy& copy, bool keepBackupOfTarget) {
    if (!isStaged(copy)) return;
    struct stat old {};
    const bool replacing = ::lstat(copy.target.constData(), &old) == 0;
    // Without its backup the old version would be lost: then the old target stays as it is.
    const bool ready = !(replacing && S_ISDIR(old.st_mode)) && !(replacing && keepBackupOfTarget && !keepBackup(copy.target));
    if (ready && ::rename(copy.staged.constData(), copy.target.constData()) == 0) {
        copy.published = true;
        copy.staged.clear();
        return;
    }
    discardFile(copy);
}

bool publishFile(const QByteArray& source, const QByteArray& target, bool keepBackupOfTarget) {
    QList<FileCopy> copies{{source, target}};
    FileCopy& copy = copies.first();
    createFile(copy);
    fillFile(copy);
    closeFile(copy);
    if (!flushFiles(copies)) discardFile(copy);
    installFile(copy, keepBackupOfTarget);
    return copy.published;
}

bool isOwnTemporaryName(const QByteArray& fileName) {
    if (fileName.size() != kTemporaryPrefix.size() + kTemporaryRandomLength || !fileName.startsWith(kTemporaryPrefix))
        return false;
    return std::all_of(fileName.begin() + kTemporaryPrefix.size(), fileName.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

void removeLeftoverTemporaries(const QString& directory) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path root(QFile::encodeName(directory).toStdString());
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error);
    for (const fs::recursive_directory_iterator end; !error && it != end; it.increment(error)) {
        const fs::path& path = it->path();
        if (!isOwnTemporaryName(QByteArray::fromStdString(path.filename().native()))) continue;
        std::error_code statusError;
        if (it->is_regular_file(statusError) && !it->is_symlink(statusError)) fs::remove(path, statusError);
    }
}

namespace {

// Names of the entries of a directory of one kind (S_IFREG or S_IFDIR), links followed, in byte
// order; with others, the entries that are neither a regular file nor a directory go there.
QList<QByteArray> entriesOfType(const QByteArray& directory, mode_t type, bool* ok, QList<QByteArray>* others) {
    QList<QByteArray> names;
    DIR* dir = ::opendir(directory.constData());
    *ok = dir != nullptr;
    if (!dir) return names;
    const int dirFd = ::dirfd(dir);
    const unsigned char plainType = type == S_IFDIR ? DT_DIR : DT_REG;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..") continue;
        // The entry's type where the file system gives it; links are followed.
        if (entry->d_type == plainType) {
            names << name;
            continue;
        }
        if (entry->d_type == DT_DIR || entry->d_type == DT_REG) continue;
        mode_t found = 0;
        struct stat info {};
        if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
            found = DTTOIF(entry->d_type);
        else if (::fstatat(dirFd, entry->d_name, &info, 0) == 0)
            found = info.st_mode & S_IFMT;
        else if (::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0)
            found = info.st_mode & S_IFMT;  // a link that leads nowhere
        if (found == type)
            names << name;
        else if (others && found != 0 && found != S_IFREG && found != S_IFDIR)
            *others << name;
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    if (others) std::sort(others->begin(), others->end());
    return names;
}

}  // namespace

QList<QByteArray> regularFileNames(const QByteArray& directory, bool* ok, QList<QByteArray>* others) {
    return entriesOfType(directory, S_IFREG, ok, others);
}

QList<QByteArray> subdirectoryNames(const QByteArray& directory, bool* ok) {
    return entriesOfType(directory, S_IFDIR, ok, nullptr);
}

void syncDirectory(const QByteArray& directory) {
    Descriptor dir(::open(directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid()) ::fsync(dir.get());
}

}  // namespace rotation_tool
