// The built program publishing a rotation while things go wrong under it: the rotation changes
// during its copy, a live file cannot be replaced, a backup finds no room. No page ever goes live
// over files that did not, and the next run publishes the rotation whole.
#include "rotation_tool/rotation_files.h"
#include "tests/rotation_tool/spindleway_process.h"

#include <QRegularExpression>
#include <QTest>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <linux/fs.h>
#include <poll.h>
#include <string>
#include <sys/eventfd.h>
#include <sys/fanotify.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using testing_support::readFile;
using testing_support::RunResult;
using testing_support::SpindlewayData;
using testing_support::treeContents;
using testing_support::writeFile;

namespace {

const QStringList kThumbnails = {"thumbs/img1_thb.jpg", "thumbs/img2_thb.jpg", "thumbs/img3_thb.jpg"};
const QStringList kImages = {"img1.jpg", "img2.jpg", "img3.jpg"};
const QStringList kPages = {"Index.html", "page2.html", "page3.html"};

QByteArray versionOf(const QString& file, int rotation, int size) {
    const QByteArray head = file.toUtf8() + " of rotation " + QByteArray::number(rotation) + "\n";
    return head + QByteArray(size - int(head.size()), char('a' + rotation));
}

int sizeOf(const QString& file) { return file.startsWith("thumbs/") ? 4096 : file.endsWith(".jpg") ? 32768 : 2048; }

// Garden at position 2 of two rotations; rotation 2 holds three thumbnails, images and pages, and
// the live directory (which may be another folder that the data's live directory is) the same
// files of rotation 1.
void addGarden(const SpindlewayData& data, const QString& liveFolder, bool backups = false) {
    data.addSite(2, 2);
    data.addRotationSection(1);
    data.addRotationSection(2);
    writeFile(data.rotation(1) + "Index.html", "rotation 1");
    for (const QString& file : kThumbnails + kImages + kPages) {
        writeFile(data.rotation(2) + file, versionOf(file, 2, sizeOf(file)));
        writeFile(liveFolder + file, versionOf(file, 1, sizeOf(file)));
    }
    if (backups) writeFile(data.path() + "options.ini", "[Options]\r\nCreateBackups=True\r\n");
}

QStringList errorsOf(const RunResult& run) { return QString::fromLocal8Bit(run.err).split('\n', Qt::SkipEmptyParts); }

QStringList errorsEndingIn(const QStringList& errors, const QString& end) {
    return errors.filter(QRegularExpression("^! .* - " + QRegularExpression::escape(end) + "$"));
}

bool isBackupName(const QString& path) { return QFileInfo(path).suffix().startsWith('~'); }

// The program's temporary files and the backups below a folder.
QStringList temporariesAndBackups(const QString& folder) {
    QStringList found;
    for (const QString& entry : treeContents(folder)) {
        const QString name = QFileInfo(entry.section(": ", 0, 0)).fileName();
        if (rotation_tool::isOwnTemporaryName(QFile::encodeName(name)) || isBackupName(name)) found << entry;
    }
    return found;
}

// After a run that published nothing: the next run (with nothing in its way) publishes every
// regular file of rotation 2 as it is now, and moves on.
void expectTheNextRunPublishesItWhole(const SpindlewayData& data) {
    const RunResult next = testing_support::rotateUnattended(data);
    EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
    QDirIterator files(data.rotation(2), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString file = files.next();
        const QString relative = QDir(data.rotation(2)).relativeFilePath(file);
        EXPECT_EQ(readFile(data.live() + relative), readFile(file)) << relative.toStdString();
    }
    EXPECT_EQ(data.storedPosition(), "3");
}

// Holds the running program at the first temporary file it makes in the folders given: that
// file's creation waits (a fanotify permission event; we run as root) until the change has been
// made. Every other open in those folders goes through at once.
class HeldAtFirstTemporary {
public:
    HeldAtFirstTemporary(const QStringList& folders, std::function<void()> change)
        : change_(std::move(change)),
          group_(::fanotify_init(FAN_CLASS_CONTENT | FAN_CLOEXEC, O_RDONLY | O_LARGEFILE)),
          stop_(::eventfd(0, EFD_CLOEXEC)) {
        bool marked = group_ >= 0 && stop_ >= 0;
        for (const QString& folder : folders)
            marked = marked && ::fanotify_mark(group_, FAN_MARK_ADD, FAN_OPEN_PERM | FAN_EVENT_ON_CHILD, AT_FDCWD,
                                               QFile::encodeName(folder).constData()) == 0;
        if (marked) answering_ = std::thread([this] { answer(); });
    }
    ~HeldAtFirstTemporary() {
        if (answering_.joinable()) {
            const std::uint64_t one = 1;
            [[maybe_unused]] const ssize_t told = ::write(stop_, &one, sizeof one);
            answering_.join();
        }
        // An open still waiting goes through when the group closes.
        if (group_ >= 0) ::close(group_);
        if (stop_ >= 0) ::close(stop_);
    }
    HeldAtFirstTemporary(const HeldAtFirstTemporary&) = delete;
    HeldAtFirstTemporary& operator=(const HeldAtFirstTemporary&) = delete;
    bool holding() const { return answering_.joinable(); }
    bool changed() const { return changed_; }

private:
    void answer() {
        alignas(fanotify_event_metadata) char buffer[4096];
        for (;;) {
            pollfd waits[2] = {{group_, POLLIN, 0}, {stop_, POLLIN, 0}};
            if (::poll(waits, 2, -1) < 0 && errno != EINTR) return;
            if (waits[1].revents != 0) return;
            if ((waits[0].revents & POLLIN) == 0) continue;
            ssize_t length = ::read(group_, buffer, sizeof buffer);
            for (auto* event = reinterpret_cast<fanotify_event_metadata*>(buffer); FAN_EVENT_OK(event, length);
                 event = FAN_EVENT_NEXT(event, length)) {
                if (event->fd < 0) continue;
                if (!changed_ && rotation_tool::isOwnTemporaryName(nameOf(event->fd))) {
                    change_();
                    changed_ = true;
                }
                const fanotify_response allow{event->fd, FAN_ALLOW};
                [[maybe_unused]] const ssize_t answered = ::write(group_, &allow, sizeof allow);
                ::close(event->fd);
            }
        }
    }
    static QByteArray nameOf(int fd) {
        char path[4096];
        const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path);
        const QByteArray whole(path, n > 0 ? int(n) : 0);
        return whole.mid(whole.lastIndexOf('/') + 1);
    }

    std::function<void()> change_;
    int group_, stop_;
    std::atomic<bool> changed_ = false;
    std::thread answering_;
};

void replaceByRename(const QString& file, const QByteArray& content) {
    writeFile(file + ".new", content);
    ASSERT_EQ(::rename(QFile::encodeName(file + ".new").constData(), QFile::encodeName(file).constData()), 0);
}

}  // namespace

// Files of a rotation replaced, removed or turned into another kind while the copy runs (at its
// first temporary file, before any of them is read): nothing of the site goes live, the run fails
// naming the file, and the position stays, so the next run publishes the rotation whole.
TEST(SpindlewayGoingLive, ARotationThatChangesDuringItsCopyIsNotPublished) {
    const struct {
        const char* what;
        std::function<void(const QString& rotation)> change;
        QStringList changed;  // the files of the rotation an error line may name
    } rows[] = {
        {"each page replaced by a new version",
         [](const QString& rotation) {
             for (const QString& page : kPages) replaceByRename(rotation + page, versionOf(page, 22, 3000));
         },
         kPages},
        {"a page removed", [](const QString& rotation) { QFile::remove(rotation + "page2.html"); }, {"page2.html"}},
        {"a page turned into a link to another page of the rotation",
         [](const QString& rotation) {
             ASSERT_EQ(::symlink("page3.html", QFile::encodeName(rotation + "link.new").constData()), 0);
             ASSERT_TRUE(QFile::rename(rotation + "page2.html", rotation + "page2.old"));
             ASSERT_TRUE(QFile::rename(rotation + "link.new", rotation + "page2.html"));
         },
         {"page2.html"}},
        {"a page turned into a named pipe",
         [](const QString& rotation) {
             QFile::remove(rotation + "page2.html");
             ASSERT_EQ(::mkfifo(QFile::encodeName(rotation + "page2.html").constData(), 0644), 0);
         },
         {"page2.html"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        SpindlewayData data;
        addGarden(data, data.live());
        const QStringList liveBefore = treeContents(data.live());

        RunResult run;
        {
            HeldAtFirstTemporary hold({data.live(), data.live() + "thumbs"}, [&] { row.change(data.rotation(2)); });
            ASSERT_TRUE(hold.holding()) << "fanotify permission events are not available: " << std::strerror(errno);
            run = testing_support::rotateUnattended(data);
            ASSERT_TRUE(hold.changed());
        }
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(treeContents(data.live()), liveBefore);  // byte for byte, no file left beside
        EXPECT_EQ(data.storedPosition(), "2");
        const QStringList errors = errorsOf(run);
        const QStringList copies = errors.filter(" - Could not copy the file, ");
        EXPECT_FALSE(copies.isEmpty()) << run.err.toStdString();
        for (const QString& line : copies) {
            const bool namesAChangedFile =
                std::any_of(row.changed.begin(), row.changed.end(), [&](const QString& file) {
                    return line.endsWith(" - Could not copy the file, " + data.rotation(2) + file +
                                         ", for site, Garden!");
                });
            EXPECT_TRUE(namesAChangedFile) << line.toStdString();
        }
        EXPECT_EQ(errors.filter(" - The site, Garden, was NOT updated to rotation 2: ").size(), 1)
            << run.err.toStdString();

        expectTheNextRunPublishesItWhole(data);
    }
}

namespace {

// While alive, the file cannot be renamed over, removed or linked to, by root neither.
class Immutable {
public:
    explicit Immutable(const QString& file) : fd_(::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC)) {
        set_ = fd_ >= 0 && flags(FS_IMMUTABLE_FL);
    }
    ~Immutable() { lift(); }
    Immutable(const Immutable&) = delete;
    Immutable& operator=(const Immutable&) = delete;
    bool set() const { return set_; }
    void lift() {
        if (set_) flags(0);
        set_ = false;
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    bool flags(int immutable) {
        int value = 0;
        if (::ioctl(fd_, FS_IOC_GETFLAGS, &value) != 0) return false;
        value = (value & ~FS_IMMUTABLE_FL) | immutable;
        return ::ioctl(fd_, FS_IOC_SETFLAGS, &value) == 0;
    }
    int fd_;
    bool set_ = false;
};

}  // namespace

// A live thumbnail that cannot be replaced stops the run's passes there: no image and no page of
// the rotation goes live, no temporary file or backup of a file not replaced stays, the error
// line names the live thumbnail, and the next run, with nothing in the way, completes it.
TEST(SpindlewayGoingLive, AFileThatCannotBePutInPlaceEndsThePasses) {
    enum Block { ImmutableFile, FileMountedOnIt };
    const struct {
        const char* what;
        Block block;
        bool backups;
    } rows[] = {
        {"an immutable live thumbnail", ImmutableFile, false},
        {"an immutable live thumbnail, with backups", ImmutableFile, true},
        {"a live thumbnail with a file mounted on it (in the run's own mount namespace)", FileMountedOnIt, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        SpindlewayData data;
        addGarden(data, data.live(), row.backups);
        const QString blocked = data.live() + "thumbs/img3_thb.jpg";
        writeFile(data.path() + "mounted.jpg", "mounted");

        RunResult run;
        if (row.block == ImmutableFile) {
            Immutable immutable(blocked);
            ASSERT_TRUE(immutable.set()) << "cannot make " << blocked.toStdString() << " immutable";
            run = testing_support::rotateUnattended(data);
        } else {
            const std::string source = QFile::encodeName(data.path() + "mounted.jpg").toStdString();
            const std::string target = QFile::encodeName(blocked).toStdString();
            run = testing_support::rotateUnattended(data, [source, target] {
                if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                    ::mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) != 0)
                    ::_exit(98);
            });
        }
        ASSERT_NE(run.exitCode, 98) << "the run's mount namespace could not be made";
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
        for (const QString& file : kImages + kPages + QStringList{"thumbs/img3_thb.jpg"})
            EXPECT_EQ(readFile(data.live() + file), versionOf(file, 1, sizeOf(file))) << file.toStdString();
        QStringList expectedBackups;
        if (row.backups)
            for (const QString file : {"thumbs/img1_thb.~jp", "thumbs/img2_thb.~jp"})
                expectedBackups << file + ": " +
                                       QString::fromLatin1(versionOf(QString(file).replace("~jp", "jpg"), 1, 4096));
        EXPECT_EQ(temporariesAndBackups(data.live()), expectedBackups);
        EXPECT_EQ(data.storedPosition(), "2");
        const QStringList errors = errorsOf(run);
        EXPECT_EQ(errorsEndingIn(errors, "Could not replace the live file, " + blocked + ", for site, Garden!").size(),
                  1)
            << run.err.toStdString();
        EXPECT_EQ(errors.filter(" - Could not copy the file, ").size(), 0) << run.err.toStdString();

        expectTheNextRunPublishesItWhole(data);
    }
}

namespace {

// A file system of the test's own (over FUSE) without hard links and with room for limit bytes
// of files, holding the files of a backing folder; every change of a name goes to a log.
class NoHardLinksMount {
public:
    NoHardLinksMount(const QString& backing, const QString& mountPoint, qint64 limit, const QString& log)
        : mountPoint_(mountPoint), log_(log) {
        QDir().mkpath(mountPoint);
        const QString script =
            qEnvironmentVariable("LUMENFOLD_SOURCE_DIR") + "/tests/rotation_tool/no_hard_links_fs.py";
        daemon_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        daemon_.start("/usr/bin/python3", {script, backing, mountPoint, QString::number(limit), log});
        const auto device = [](const QString& path) {
            struct stat info {};
            return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_dev : dev_t(0);
        };
        const dev_t outside = device(QFileInfo(mountPoint).absolutePath());
        mounted_ =
            QTest::qWaitFor([&] { return daemon_.state() == QProcess::NotRunning || device(mountPoint) != outside; },
                            30000) &&
            daemon_.state() == QProcess::Running;
    }
    ~NoHardLinksMount() {
        if (mounted_) ::umount2(QFile::encodeName(mountPoint_).constData(), 0);
        if (!daemon_.waitForFinished(30000)) daemon_.kill();
        daemon_.waitForFinished(5000);
    }
    NoHardLinksMount(const NoHardLinksMount&) = delete;
    NoHardLinksMount& operator=(const NoHardLinksMount&) = delete;
    bool mounted() const { return mounted_; }
    // The changes of names made so far, one a line.
    QStringList changes() const { return QString::fromUtf8(readFile(log_)).split('\n', Qt::SkipEmptyParts); }

private:
    QString mountPoint_, log_;
    QProcess daemon_;
    bool mounted_ = false;
};

}  // namespace

// Backups on a file system without hard links are whole copies, all made before the first rename.
// Without room for all of them nothing is renamed: the live directory stays as it was, without a
// temporary file or a backup of this run. With room, every backup is made, then the renames.
TEST(SpindlewayGoingLive, EveryBackupIsMadeBeforeTheFirstRename) {
    constexpr qint64 kFiles = 3 * (4096 + 32768 + 2048);  // the live site, and so each version
    const struct {
        const char* what;
        qint64 room;  // for the files, besides the live site
        bool fits;
    } rows[] = {
        {"room for the new files and the backups of thumbnails, not of an image", kFiles + 16384, false},
        {"room for the new files and every backup", 2 * kFiles + 16384, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        SpindlewayData data;
        addGarden(data, data.path() + "www-files/", true);
        NoHardLinksMount live(data.path() + "www-files", data.live(), kFiles + row.room, data.path() + "changes.log");
        ASSERT_TRUE(live.mounted()) << "the FUSE file system (no_hard_links_fs.py over python3-fusepy and fuse3, "
                                       "scripts/install_deps.sh all) could not be mounted on "
                                    << data.live().toStdString();
        const QStringList liveBefore = treeContents(data.live());

        const RunResult run = testing_support::rotateUnattended(data);
        const QStringList changes = live.changes();
        EXPECT_FALSE(changes.filter(QRegularExpression("^link-refused ")).isEmpty());  // so the backups are copies
        const QStringList renames = changes.filter(QRegularExpression("^rename "));
        const auto intoPlace = [](const QString& rename) { return !isBackupName(rename.section(' ', 2)); };
        if (row.fits) {
            EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
            EXPECT_EQ(run.out + run.err, "");
            for (const QString& file : kThumbnails + kImages + kPages) {
                EXPECT_EQ(readFile(data.live() + file), versionOf(file, 2, sizeOf(file))) << file.toStdString();
                const QString backup = file.chopped(1).replace(QRegularExpression("\\.([^./]*)$"), ".~\\1");
                EXPECT_EQ(readFile(data.live() + backup), versionOf(file, 1, sizeOf(file))) << backup.toStdString();
            }
            EXPECT_EQ(data.storedPosition(), "3");
            // The renames that put backups in place all come before the first that puts a file live.
            const auto firstIntoPlace = std::find_if(renames.begin(), renames.end(), intoPlace);
            EXPECT_EQ(firstIntoPlace - renames.begin(), kThumbnails.size() + kImages.size() + kPages.size())
                << changes.join("\n").toStdString();
        } else {
            EXPECT_EQ(run.exitCode, 1);
            EXPECT_EQ(run.out, "");
            EXPECT_EQ(treeContents(data.live()), liveBefore);  // byte for byte, nothing beside
            EXPECT_EQ(std::count_if(renames.begin(), renames.end(), intoPlace), 0) << changes.join("\n").toStdString();
            EXPECT_EQ(data.storedPosition(), "2");
            const QStringList errors = errorsOf(run);
            EXPECT_FALSE(
                errors
                    .filter(QRegularExpression(" - Could not keep a backup of the file, " +
                                               QRegularExpression::escape(data.live()) + ".+, for site, Garden!$"))
                    .isEmpty())
                << run.err.toStdString();
            EXPECT_EQ(errors.filter(" - The site, Garden, was NOT updated to rotation 2: ").size(), 1)
                << run.err.toStdString();
        }
    }
}
