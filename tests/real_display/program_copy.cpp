#include "tests/real_display/program_copy.h"

#include "tests/common/tree_contents.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <gtest/gtest.h>
#include <unistd.h>

namespace real_display {

namespace {

constexpr int kIdlePollMs = 100;

}  // namespace

ProgramCopy::ProgramCopy(const QString& program) : path_(dir_.path() + "/"), program_(program) {
    const QString bin = qEnvironmentVariable("LUMENFOLD_BIN_DIR") + "/";
    const QString built = bin + program;
    EXPECT_TRUE(QFileInfo::exists(built)) << built.toStdString();
    // A hard link where the file system allows one: a copy of a large executable per row is slow.
    if (::link(QFile::encodeName(built).constData(), QFile::encodeName(path_ + program).constData()) != 0) {
        EXPECT_TRUE(QFile::copy(built, path_ + program));
    }
    for (const char* folder : {"Styles", "Samples", "navgraph"})
        testing_support::copyTree(bin + folder, path_ + folder);
}

ProgramCopy::~ProgramCopy() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(kGuardMs);
}

void ProgramCopy::write(const QString& relative, const QByteArray& content) const {
    testing_support::writeFile(path_ + relative, content);
}

QByteArray ProgramCopy::read(const QString& relative) const { return testing_support::readFile(path_ + relative); }

QStringList ProgramCopy::entriesBelow(const QString& relative) const {
    const QString folder = path_ + relative;
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString entry = QDir(folder).relativeFilePath(it.next());
        entries << (it.fileInfo().isDir() ? entry + "/" : entry);
    }
    entries.sort();
    return entries;
}

QString ProgramCopy::start(const XSession& session, const QString& mainTitle) {
    process_.setProcessEnvironment(session.environment());
    process_.setWorkingDirectory(QDir::tempPath());  // not the data directory: it finds its own
    process_.setStandardOutputFile(path_ + "output.txt");
    process_.setStandardErrorFile(path_ + "errors.txt");
    process_.start(path_ + program_, {});
    if (!process_.waitForStarted(kGuardMs)) {
        ADD_FAILURE() << program_.toStdString() << " did not start: " << process_.errorString().toStdString();
        return {};
    }
    return session.waitForFocusedWindow(mainTitle);
}

bool ProgramCopy::waitUntilIdle() const {
    // The main thread's id is the process id. Its third scheduling figure counts how often it ran.
    const QString task = QString("/proc/%1/task/%1/").arg(process_.processId());
    const QDeadlineTimer deadline(kGuardMs);
    QByteArray lastRuns;
    while (!deadline.hasExpired() && process_.state() == QProcess::Running) {
        const bool waiting = testing_support::readFile(task + "wchan").contains("poll");
        const QByteArray runs = testing_support::readFile(task + "schedstat").split(' ').value(2);
        if (waiting && !runs.isEmpty() && runs == lastRuns) return true;
        lastRuns = waiting ? runs : QByteArray();
        QThread::msleep(kIdlePollMs);
    }
    ADD_FAILURE() << program_.toStdString() << " did not come to rest";
    return false;
}

}  // namespace real_display
