#pragma once
// A full disk without root: a child process (or, for one step, this process) whose files may not
// grow past a few bytes, so that the kernel fails its writes with EFBIG. And a disk that fails
// late: a child whose file-system syncs fail with EIO, as they do when data taken earlier cannot
// be stored after all (delayed allocation, a network file system).
#include <QStringList>
#include <csignal>
#include <functional>
#include <sys/resource.h>

namespace testing_support {

// Forks; the child lowers RLIMIT_FSIZE to limitBytes, ignores SIGXFSZ, runs body and hands back
// the lines it returns. A test failure inside the child, or a child that dies, adds a line that
// says so, so the parent's comparison fails.
QStringList runWithFileSizeLimit(long limitBytes, const std::function<QStringList()>& body);
// The same, but every write succeeds and every syncfs() of the child fails with EIO.
QStringList runWithFailingFileSystemSync(const std::function<QStringList()>& body);
// Makes every later syncfs() of this process and of the programs it starts fail with EIO; for a
// child process before it starts a program. False when it could not.
bool failFileSystemSyncs();

// A full disk for one step of a test whose later steps need the room again: while alive, no file
// of this process may grow past limitBytes. Only the soft limit is lowered, so it can come back.
class FileSizeLimit {
public:
    explicit FileSizeLimit(long limitBytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool active() const { return active_; }

private:
    struct rlimit saved_ {};
    void (*savedHandler_)(int) = SIG_DFL;
    bool active_ = false;
};

}  // namespace testing_support
