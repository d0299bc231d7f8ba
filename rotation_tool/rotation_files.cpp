#include "rotation_tool/rotation_files.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
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

std::function<void(const QByteArray&)>& onTemporaryCreated() {
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

QByteArray randomLettersAndDigits() {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    quint64 random = QRandomGenerator::global()->generate64();
    QByteArray letters(kTemporaryRandomLength, '\0');
    for (char& c : letters) {
        c = kAlphabet[random % 62];
        random /= 62;
    }
    return letters;
}

// A new, empty temporary file in the open folder: the open file (its name in *name), or -1.
int makeTemporaryFile(int folder, QByteArray* name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = kTemporaryPrefix + randomLettersAndDigits();
        const int fd = ::openat(folder, name->constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Fills the open temporary file with a whole copy of the open source and starts its writing to
// the disk. False when it could not (the caller removes the file).
bool fillTemporaryFile(int out, int source, mode_t mode) {
    if (!copyData(source, out) || ::fchmod(out, (mode & 07777) | S_IWUSR) != 0)
        return false;
    ::sync_file_range(out, 0, 0, SYNC_FILE_RANGE_WRITE);
    return true;
}

// A whole copy of the open source in a temporary file in the open folder, on the disk. Returns
// its name, or an empty name when it could not be made (nothing is then left behind).
QByteArray stagedCopy(int source, mode_t mode, int folder) {
    QByteArray name;
    Descriptor out(makeTemporaryFile(folder, &name));
    if (!out.valid()) return {};
    const bool stored = fillTemporaryFile(out.get(), source, mode) && ::fdatasync(out.get()) == 0;
    if (!out.close() || !stored) {
        ::unlinkat(folder, name.constData(), 0);
        return {};
    }
    return name;
}

bool existsIn(int folder, const QByteArray& name) {
    struct stat info {};
    return ::fstatat(folder, name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

void createFile(FileCopy& copy) {
    copy.published = false;
    copy.staged.clear();
    if (copy.folder < 0 || copy.name.isEmpty()) return;
    struct stat old {};
    if (::fstatat(copy.folder, copy.name.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(old.st_mode))
        return;  // never replaced by a file
    copy.descriptor = makeTemporaryFile(copy.folder, &copy.staged);
    if (copy.descriptor < 0) {
        copy.staged.clear();
        return;
    }
    if (onTemporaryCreated()) onTemporaryCreated()(copy.target);
}

// Opens the source without blocking (a pipe put in its place cannot stall the run).
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
    // the descriptor then tells whether it is still the file that was checked. One that is not
    // (replaced, removed, turned into a link or another kind) means the rotation changed under
    // the run: it fails, so that nothing of the rotation goes live and the next run takes it whole.
    const QByteArray& path = checked ? copy.checkedPath : copy.source;
    Descriptor in(::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | (checked ? O_NOFOLLOW : 0)));
    struct stat info {};
    const bool opened = in.valid() && ::fstat(in.get(), &info) == 0 && S_ISREG(info.st_mode);
    const bool asChecked = !checked || FileIdentity{info.st_dev, info.st_ino} == *copy.checkedIdentity;
    if (opened && asChecked && fillTemporaryFile(copy.descriptor, in.get(), info.st_mode)) return;
    discardFile(copy);
}

// The last chance to hear of a failed write.
void closeFile(FileCopy& copy) {
    if (copy.descriptor < 0) return;
    const bool closed = ::close(copy.descriptor) == 0;
    copy.descriptor = -1;
    if (!closed) discardFile(copy);
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

void docopyfile(FileCopy& copy, Turns& turns) {
    turns.take([&] { createFile(copy); });
    fillFile(copy);
    closeFile(copy);
}

void setOnTemporaryCreated(std::function<void(const QByteArray& target)> hook) {
    onTemporaryCreated() = std::move(hook);
}

void setBeforeSourceOpen(std::function<void(const QByteArray& source)> hook) { beforeSourceOpen() = std::move(hook); }

bool flushFiles(const QList<FileCopy>& copies) {
    // One sync of each file system costs about what the copy itself does; a sync of each file
    // would wait for the disk once a file. The file systems are told apart by the folders the
    // files lie in, each looked at once.
    QSet<int> folders;
    QSet<dev_t> synced;
    bool stored = true;
    for (const FileCopy& copy : copies) {
        if (!isStaged(copy) || folders.contains(copy.folder)) continue;
        folders.insert(copy.folder);
        struct stat info {};
        if (::fstat(copy.folder, &info) != 0) return false;
        if (synced.contains(info.st_dev)) continue;
        synced.insert(info.st_dev);
        stored = ::syncfs(copy.folder) == 0 && stored;
    }
    return stored;
}

void discardFile(FileCopy& copy) {
    if (copy.descriptor >= 0) ::close(copy.descriptor);
    copy.descriptor = -1;
    // In the folder it was made in, wherever that folder is by now.
    if (!copy.staged.isEmpty()) ::unlinkat(copy.folder, copy.staged.constData(), 0);
    copy.staged.clear();
}

bool MakeBackupFile(FileCopy& copy) {
    if (!isStaged(copy)) return true;  // it replaces nothing
    struct stat old {};
    if (::fstatat(copy.folder, copy.name.constData(), &old, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
    const QByteArray backup = nativeBackupFileName(copy.name);
    if (existsIn(copy.folder, backup)) return true;  // the oldest backup stays
    if (::linkat(copy.folder, copy.name.constData(), copy.folder, backup.constData(), 0) == 0) {
        copy.backup = backup;
        copy.backupIdentity = {old.st_dev, old.st_ino};
        return true;
    }
    if (errno == EEXIST) return true;
    // No hard links here: a whole copy under a temporary name, then put in place.
    struct stat info {};
    Descriptor from(::openat(copy.folder, copy.name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!from.valid() || ::fstat(from.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    const QByteArray staged = stagedCopy(from.get(), info.st_mode, copy.folder);
    if (staged.isEmpty()) return false;
    struct stat made {};
    if (::fstatat(copy.folder, staged.constData(), &made, AT_SYMLINK_NOFOLLOW) != 0) {
        ::unlinkat(copy.folder, staged.constData(), 0);
        return false;
    }
    bool kept = ::renameat2(copy.folder, staged.constData(), copy.folder, backup.constData(), RENAME_NOREPLACE) == 0;
    if (!kept && errno == EINVAL) {
        // A file system without no-replace renames: check, then rename.
        kept = !existsIn(copy.folder, backup) &&
               ::renameat(copy.folder, staged.constData(), copy.folder, backup.constData()) == 0;
    }
    if (!kept) {
        ::unlinkat(copy.folder, staged.constData(), 0);
        return existsIn(copy.folder, backup);  // one made meanwhile is the older one
    }
    copy.backup = backup;
    copy.backupIdentity = {made.st_dev, made.st_ino};
    return true;
}

void discardBackup(FileCopy& copy) {
    struct stat info {};
    if (!copy.backup.isEmpty() && ::fstatat(copy.folder, copy.backup.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        FileIdentity{info.st_dev, info.st_ino} == copy.backupIdentity)
        ::unlinkat(copy.folder, copy.backup.constData(), 0);
    copy.backup.clear();
}

void installFile(FileCopy& copy) {
    if (!isStaged(copy)) return;
    struct stat old {};
    const bool directoryInTheWay =
        ::fstatat(copy.folder, copy.name.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(old.st_mode);
    if (!directoryInTheWay &&
        ::renameat(copy.folder, copy.staged.constData(), copy.folder, copy.name.constData()) == 0) {
        copy.published = true;
        copy.staged.clear();
        return;
    }
    discardFile(copy);
}

bool isOwnTemporaryName(const QByteArray& fileName) {
    if (fileName.size() != kTemporaryPrefix.size() + kTemporaryRandomLength || !fileName.startsWith(kTemporaryPrefix))
        return false;
    return std::all_of(fileName.begin() + kTemporaryPrefix.size(), fileName.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

void removeOwnTemporaries(int folder) {
    // The listing gets a descriptor of its own, so that the folder's stays open.
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = listing < 0 ? nullptr : ::fdopendir(listing);
    if (!dir) {
        if (listing >= 0) ::close(listing);
        return;
    }
    QList<QByteArray> found;
    while (const dirent* entry = ::readdir(dir)) {
        if (!isOwnTemporaryName(entry->d_name)) continue;
        struct stat info {};
        if (::fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
            found << entry->d_name;
    }
    ::closedir(dir);
    for (const QByteArray& name : found) ::unlinkat(folder, name.constData(), 0);
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

void syncFolder(int folder) {
    if (folder >= 0) ::fsync(folder);
}

}  // namespace rotation_tool
