// The built program, run as a scheduler would run it: unattended, without a display.
#include "platform/ini_file.h"
#include "tests/common/qt_print.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(content);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The name of the program's copy in a test's data directory. Copies of one executable name are
// one program to each other, so each test's copy gets a name of its own: tests that run at the
// same time, or a Spindleway the developer has open, never take it for a second copy.
QString programCopyName(const QString& data) {
    return "Spindleway_" + QFileInfo(data.chopped(1)).fileName();
}

// The data directory is the executable's own directory, so the program runs from a copy.
void copyProgramInto(const QString& data) {
    const QString program = qEnvironmentVariable("LUMENFOLD_BIN_DIR") + "/Spindleway";
    ASSERT_TRUE(QFileInfo::exists(program)) << program.toStdString();
    ASSERT_TRUE(QFile::copy(program, data + programCopyName(data)));
    QFile::setPermissions(data + programCopyName(data), QFile::permissions(program));
}

// As a scheduler starts it: no display, no platform chosen.
void prepareHeadless(QProcess& process) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(name);
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(QDir::tempPath());  // not the data directory: it must find its own
}

}  // namespace

TEST(SpindlewayProcess, RotatesUnattendedWithoutADisplayAndEnds) {
    QTemporaryDir dir;
    const QString data = dir.path() + "/";
    copyProgramInto(data);

    const QString live = data + "www/garden";
    writeFile(data + "sites.ini", "[Sites]\r\nSite_1=Garden\r\nSite_2=Kitchen\r\n");
    writeFile(data + "Site_1.ini", "[General]\r\nName=Garden\r\nPath=%\\Site_1\r\nLivePath=" + live.toUtf8() +
                                       "\r\nAutoRotate=True\r\nRotationCount=2\r\nCurrentRotationPosition=2\r\n"
                                       "[Rotation_1]\r\nRotation_Path=%\\Site_1\\R1\\\r\n"
                                       "[Rotation_2]\r\nRotation_Path=%\\Site_1\\R2\\\r\n");
    writeFile(data + "Site_2.ini", "[General]\r\nName=Kitchen\r\nPath=%\\Site_2\r\nAutoRotate=False\r\n");
    writeFile(data + "Site_1/R1/Index.html", "rotation 1");
    writeFile(data + "Site_1/R2/Index.html", "rotation 2");
    writeFile(data + "Site_1/R2/photo.jpg", "photo 2");
    writeFile(data + "Site_1/R2/thumbs/photo_thb.jpg", "thumb 2");
    writeFile(live + "/Index.html", "old page");
    writeFile(data + "options.ini", "[Options]\r\nCreateBackups=True\r\nLogOnlyErrors=False\r\n");

    QProcess process;
    prepareHeadless(process);
    process.start(data + programCopyName(data), {"/rotate"});
    ASSERT_TRUE(process.waitForFinished(30000)) << process.readAllStandardError().toStdString();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);

    EXPECT_EQ(readFile(live + "/Index.html"), "rotation 2");
    EXPECT_EQ(readFile(live + "/Index.~htm"), "old page");
    EXPECT_EQ(readFile(live + "/photo.jpg"), "photo 2");
    EXPECT_EQ(readFile(live + "/thumbs/photo_thb.jpg"), "thumb 2");
    EXPECT_EQ(platform::IniFile(data + "Site_1.ini").readString("General", "CurrentRotationPosition", ""), "3");

    const QStringList log = QString::fromUtf8(readFile(data + "log.txt")).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(log.size(), 2) << log.join("\n").toStdString();
    EXPECT_TRUE(log[0].startsWith("* ") && log[0].endsWith(" - Garden sucessfully updated to rotation 2")) << log[0].toStdString();
    EXPECT_TRUE(log[1].startsWith("! ") &&
                log[1].endsWith(" - Skipping site, Kitchen, which does not have autorotation enabled!"))
        << log[1].toStdString();
    // An unattended run leaves the options as they were.
    EXPECT_EQ(readFile(data + "options.ini"), "[Options]\r\nCreateBackups=True\r\nLogOnlyErrors=False\r\n");
}

TEST(SpindlewayProcess, ASecondCopyEndsWithoutRotating) {
    QTemporaryDir dir;
    const QString data = dir.path() + "/";
    copyProgramInto(data);
    const QString live = data + "www";
    writeFile(data + "sites.ini", "[Sites]\r\nSite_1=Garden\r\n");
    writeFile(data + "Site_1.ini", "[General]\r\nName=Garden\r\nPath=%\\Site_1\r\nLivePath=" + live.toUtf8() +
                                       "\r\nAutoRotate=True\r\nRotationCount=1\r\nCurrentRotationPosition=1\r\n"
                                       "[Rotation_1]\r\nRotation_Path=%\\Site_1\\R1\\\r\n");
    writeFile(data + "Site_1/R1/Index.html", "rotation 1");

    // An interactive copy is open (its window waits for a user who never comes).
    QProcess first;
    prepareHeadless(first);
    first.start(data + programCopyName(data), {});
    ASSERT_TRUE(first.waitForStarted(10000));
    QThread::msleep(1500);  // time to set up its single-instance listener
    ASSERT_EQ(first.state(), QProcess::Running);

    QProcess second;
    prepareHeadless(second);
    second.start(data + programCopyName(data), {"/ROTATE"});
    const bool ended = second.waitForFinished(20000);
    first.kill();
    first.waitForFinished(5000);
    ASSERT_TRUE(ended);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(live + "/Index.html"));
    EXPECT_FALSE(QFileInfo::exists(data + "log.txt"));
    EXPECT_EQ(platform::IniFile(data + "Site_1.ini").readString("General", "CurrentRotationPosition", ""), "1");
}
