#pragma once
// The built rotation tool run as a scheduler runs it: a copy of the program in a temporary data
// directory (the data directory is the executable's own), started without a display.
#include "components/one_instance.h"
#include "tests/common/qt_print.h"
#include "tests/common/tree_contents.h"
#include "tests/common/without_permission_override.h"

#include <QDir>
#include <QDirIterator>
#include <QStringList>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace testing_support {

class SpindlewayData {
public:
    // Copies the program into a fresh data directory. Copies in different data directories are
    // different programs to each other, so tests that run at the same time, or a Spindleway the
    // developer has open, never take this one for a second copy.
    SpindlewayData() : path_(dir_.path() + "/") {
        const QString program = qEnvironmentVariable("LUMENFOLD_BIN_DIR") + "/Spindleway";
        EXPECT_TRUE(QFileInfo::exists(program)) << program.toStdString();
        EXPECT_TRUE(QFile::copy(program, programPath()));
        QFile::setPermissions(programPath(), QFile::permissions(program));
    }
    QString path() const { return path_; }
    QString programName() const { return "Spindleway"; }
    QString programPath() const { return path_ + programName(); }

    // As a scheduler starts it: no display, no session, no platform chosen, started elsewhere than its
    // directory. Variables given are set on top.
    void prepare(QProcess& process, const QMap<QString, QString>& variables = {}) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"}) env.remove(name);
        for (auto it = variables.begin(); it != variables.end(); ++it) env.insert(it.key(), it.value());
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(QDir::tempPath());  // not the data directory: it must find its own
        process.setProgram(programPath());
    }

    // One site "Site_1" named Garden that rotates into data/www with count and position given.
    void addSite(int count, int position, const QByteArray& extraGeneral = {}) const {
        writeFile(path_ + "sites.ini", "[Sites]\r\nSite_1=Garden\r\n");
        writeFile(path_ + "Site_1.ini", "[General]\r\nName=Garden\r\nPath=%\\Site_1\r\nLivePath=" + live().toUtf8() +
                                            "\r\nAutoRotate=True\r\nRotationCount=" + QByteArray::number(count) +
                                            "\r\nCurrentRotationPosition=" + QByteArray::number(position) + "\r\n" +
                                            extraGeneral);
    }
    void addRotationSection(qint64 n) const {
        QFile site(path_ + "Site_1.ini");
        ASSERT_TRUE(site.open(QIODevice::Append));
        site.write("[Rotation_" + QByteArray::number(n) + "]\r\nRotation_Path=%\\Site_1\\R" + QByteArray::number(n) +
                   "\\\r\n");
    }
    QString rotation(qint64 n) const { return path_ + "Site_1/R" + QString::number(n) + "/"; }
    QString live() const { return path_ + "www/"; }
    QString storedPosition() const {
        const QByteArray site = readFile(path_ + "Site_1.ini");
        const int at = site.indexOf("CurrentRotationPosition=");
        return at < 0 ? QString() : QString::fromUtf8(site.mid(at + 24, site.indexOf('\r', at) - at - 24));
    }
    // The name the single-instance lock and block of this data directory's copies go under.
    QString instanceKey() const { return TOneInstance::KeyFor(programName(), path_); }
    QStringList logLines() const {
        return QString::fromUtf8(readFile(path_ + "log.txt")).split("\r\n", Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir dir_;
    QString path_;
};

struct RunResult {
    int exitCode = -1;  // -1: did not end normally in time
    QByteArray out, err;
};

// An unattended run to its end, bound by the permission bits as any user's would be, root's too.
// inChild runs in the child just before the program starts (system calls only, as after a fork).
inline RunResult rotateUnattended(const SpindlewayData& data, const std::function<void()>& inChild = {}) {
    QProcess process;
    data.prepare(process);
    process.setArguments({"/ROTATE"});
    process.setChildProcessModifier([inChild] {
        if (inChild) inChild();
        dropPermissionOverrideAcrossExec();
    });
    process.start();
    RunResult run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

}  // namespace testing_support
