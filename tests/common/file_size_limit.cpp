#include "tests/common/file_size_limit.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {

namespace {

void writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0) return;
        done += n;
    }
}

}  // namespace

QStringList runWithFileSizeLimit(long limitBytes, const std::function<QStringList()>& body) {
    int channel[2];
    if (::pipe(channel) != 0) return {"no pipe"};
    const pid_t child = ::fork();
    if (child < 0) return {"no fork"};
    if (child == 0) {
        ::close(channel[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const struct rlimit limit {rlim_t(limitBytes), rlim_t(limitBytes)};
        QStringList lines = ::setrlimit(RLIMIT_FSIZE, &limit) == 0 ? body() : QStringList{"no limit"};
        if (::testing::Test::HasFailure()) lines << "a check failed in the child";
        writeAll(channel[1], lines.join('\n').toUtf8());
        ::_exit(0);  // the parent owns the fixture: nothing of it is torn down twice
    }
    ::close(channel[1]);
    QByteArray received;
    char buffer[4096];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        received.append(buffer, n);
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    QStringList lines = received.isEmpty() ? QStringList() : QString::fromUtf8(received).split('\n');
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) lines << "the child died";
    return lines;
}

}  // namespace testing_support
