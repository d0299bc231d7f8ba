#pragma once
// A full disk without root: a child process whose files may not grow past a few bytes, so that
// the kernel fails its writes with EFBIG. And a disk that fails late: a child whose file-system
// syncs fail with EIO, as they do when data taken earlier cannot be stored after all (delayed
// allocation, a network file system).
#include <QStringList>
#include <functional>

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

}  // namespace testing_support
