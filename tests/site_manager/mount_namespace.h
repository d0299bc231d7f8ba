#pragma once
// Tests that mount folders run in a mount namespace of their own: the test program runs again
// under unshare with only that test, so no mount outlives a test that dies and none is seen by
// anything else on the machine. Such an inner test is registered only in that inner run.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>
#include <vector>

namespace testing_support {

// Set for the run inside the namespace: the mount namespace of the run that started it.
inline constexpr char kOuterMountNamespace[] = "LUMENFOLD_TEST_OUTER_MOUNT_NAMESPACE";

inline QByteArray mountNamespace() {
    char link[64] = {};
    const ssize_t size = ::readlink("/proc/self/ns/mnt", link, sizeof link - 1);
    return size > 0 ? QByteArray(link, size) : QByteArray();
}

// True in the run that the outer test started in a namespace of its own.
inline bool inOwnMountNamespace() {
    return !mountNamespace().isEmpty() && qEnvironmentVariableIsSet(kOuterMountNamespace) &&
           mountNamespace() != qgetenv(kOuterMountNamespace);
}

// Registers the test only in the inner run; the outer run starts it through runInOwnMountNamespace.
template <class Test>
bool registerInOwnMountNamespace(const char* suite, const char* name, const char* file, int line) {
    if (qEnvironmentVariableIsSet(kOuterMountNamespace))
        ::testing::RegisterTest(suite, name, nullptr, nullptr, file, line,
                                []() -> ::testing::Test* { return new Test; });
    return true;
}

// Mounts that are undone, the last first, when they go out of scope.
class Mounts {
public:
    ~Mounts() {
        for (auto it = points_.crbegin(); it != points_.crend(); ++it) ::umount2(it->constData(), MNT_DETACH);
    }
    bool bind(const QString& source, const QString& point) {
        return mount(QFile::encodeName(source), point, nullptr, MS_BIND, nullptr);
    }
    bool tmpfs(const QString& point) { return mount("lumenfold-test", point, "tmpfs", 0, "size=4m"); }
    // Takes a mount out of the namespace; what is bound from it elsewhere stays mounted there.
    bool detach(const QString& point) { return ::umount2(QFile::encodeName(point).constData(), MNT_DETACH) == 0; }

private:
    bool mount(const QByteArray& source, const QString& point, const char* type, unsigned long flags,
               const char* options) {
        const QByteArray target = QFile::encodeName(point);
        if (!QDir().mkpath(point) || ::mount(source.constData(), target.constData(), type, flags, options) != 0)
            return false;
        points_.push_back(target);
        return true;
    }
    std::vector<QByteArray> points_;
};

// Runs one inner test ("Suite.Name"): this test program again, in a mount namespace of its own
// (and a user namespace where the tests do not run as root). Waits up to the given time.
inline void runInOwnMountNamespace(const QString& innerTest, int milliseconds = 30000) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : environment.keys())
        if (name.startsWith("GTEST_")) environment.remove(name);  // the outer run's output and shards
    environment.insert(kOuterMountNamespace, QString::fromLatin1(mountNamespace()));
    QProcess inner;
    inner.setProcessEnvironment(environment);
    inner.setProcessChannelMode(QProcess::MergedChannels);
    inner.setWorkingDirectory(QCoreApplication::applicationDirPath());  // another test may have left a removed one
    const QStringList unshare =
        ::geteuid() == 0 ? QStringList{"--mount"} : QStringList{"--user", "--map-root-user", "--mount"};
    inner.start("unshare", unshare + QStringList{QCoreApplication::applicationFilePath(), "--gtest_color=no",
                                                 "--gtest_filter=" + innerTest});
    ASSERT_TRUE(inner.waitForStarted());
    const bool finished = inner.waitForFinished(milliseconds);
    const QString output = QString::fromUtf8(inner.readAll());
    ASSERT_TRUE(finished) << output.toStdString();
    EXPECT_EQ(inner.exitStatus(), QProcess::NormalExit) << output.toStdString();
    EXPECT_EQ(inner.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test.")) << output.toStdString();
}

}  // namespace testing_support
