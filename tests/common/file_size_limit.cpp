#include "tests/common/file_size_limit.h"

#include <QFile>
#include <QThreadPool>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {

namespace {

// Forks; the child runs body when prepare succeeds and hands back body's lines.
QStringList runInChild(const std::function<bool()>& prepare, const std::function<QStringList()>& body) {
    int channel[2];
    if (::pipe(channel) != 0) return {"no pipe"};
    // A forked child has none of the idle threads Qt's pool keeps for a while, yet the pool counts
    // on them: painting or scaling handed to it would wait forever. Emptied, it starts new ones.
    QThreadPool::globalInstance()->waitForDone();
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        QStringList lines = prepare() ? body() : QStringList{"the child could not be prepared"};
        if (::testing::Test::HasFailure()) lines << "a check failed in the child";
        QFile out;
        if (out.open(channel[1], QIODevice::WriteOnly)) out.write(lines.join('\n').toUtf8());
        out.close();
        ::_exit(0);  // the parent owns the fixture: nothing of it is torn down twice
    }
    ::close(channel[1]);
    QFile in;
    const QByteArray received = in.open(channel[0], QIODevice::ReadOnly, QFile::AutoCloseHandle) ? in.readAll() : "";
    int status = 0;
    QStringList lines = received.isEmpty() ? QStringList() : QString::fromUtf8(received).split('\n');
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        lines << "the child died";
    return lines;
}

}  // namespace

QStringList runWithFileSizeLimit(long limitBytes, const std::function<QStringList()>& body) {
    return runInChild(
        [&] {
            std::signal(SIGXFSZ, SIG_IGN);
            const struct rlimit limit {rlim_t(limitBytes), rlim_t(limitBytes)};
            return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
        },
        body);
}

bool failFileSystemSyncs() {
    // A seccomp filter of the process's own: syncfs answers EIO, every other call runs.
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_syncfs, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EIO),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog program{sizeof filter / sizeof filter[0], filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

FileSizeLimit::FileSizeLimit(long limitBytes) {
    if (::getrlimit(RLIMIT_FSIZE, &saved_) != 0) return;
    savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails with EFBIG instead
    struct rlimit lowered = saved_;
    lowered.rlim_cur = rlim_t(limitBytes);
    active_ = ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
}

FileSizeLimit::~FileSizeLimit() {
    if (active_) ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, savedHandler_);
}

QStringList runWithFailingFileSystemSync(const std::function<QStringList()>& body) {
    return runInChild(failFileSystemSyncs, body);
}

}  // namespace testing_support
