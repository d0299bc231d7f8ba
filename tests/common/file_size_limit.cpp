#include "tests/common/file_size_limit.h"

#include <QFile>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {

QStringList runWithFileSizeLimit(long limitBytes, const std::function<QStringList()>& body) {
    int channel[2];
    if (::pipe(channel) != 0) return {"no pipe"};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const struct rlimit limit {rlim_t(limitBytes), rlim_t(limitBytes)};
        QStringList lines = ::setrlimit(RLIMIT_FSIZE, &limit) == 0 ? body() : QStringList{"no limit"};
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

}  // namespace testing_support
