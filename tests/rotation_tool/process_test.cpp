// The built program, run as a scheduler would run it: unattended, without a display.
#include "platform/ini_file.h"
#include "tests/rotation_tool/spindleway_process.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using testing_support::readFile;
using testing_support::writeFile;

TEST(SpindlewayProcess, RotatesUnattendedWithoutADisplayAndEnds) {
    testing_support::SpindlewayData spindleway;
    const QString data = spindleway.path();

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
    spindleway.prepare(process);
    process.setArguments({"/rotate"});
    process.start();
    ASSERT_TRUE(process.waitForFinished(30000)) << process.readAllStandardError().toStdString();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    // The skipped site is an error line: the run fails and says so on its error output.
    EXPECT_EQ(process.exitCode(), 1);
    const QByteArray errors = process.readAllStandardError();
    EXPECT_TRUE(errors.startsWith("! ") && errors.endsWith(" - Skipping site, Kitchen, which does not have autorotation enabled!\n"))
        << errors.toStdString();
    EXPECT_EQ(process.readAllStandardOutput(), "");

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
    testing_support::SpindlewayData spindleway;
    const QString data = spindleway.path();
    const QString live = data + "www";
    writeFile(data + "sites.ini", "[Sites]\r\nSite_1=Garden\r\n");
    writeFile(data + "Site_1.ini", "[General]\r\nName=Garden\r\nPath=%\\Site_1\r\nLivePath=" + live.toUtf8() +
                                       "\r\nAutoRotate=True\r\nRotationCount=1\r\nCurrentRotationPosition=1\r\n"
                                       "[Rotation_1]\r\nRotation_Path=%\\Site_1\\R1\\\r\n");
    writeFile(data + "Site_1/R1/Index.html", "rotation 1");

    // An interactive copy is open (its window waits for a user who never comes).
    QProcess first;
    spindleway.prepare(first);
    first.setArguments({});
    first.start();
    ASSERT_TRUE(first.waitForStarted(10000));
    QThread::msleep(1500);  // time to set up its single-instance listener
    ASSERT_EQ(first.state(), QProcess::Running);

    QProcess second;
    spindleway.prepare(second);
    second.setArguments({"/ROTATE"});
    second.start();
    const bool ended = second.waitForFinished(20000);
    first.kill();
    first.waitForFinished(5000);
    ASSERT_TRUE(ended);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(live + "/Index.html"));
    EXPECT_FALSE(QFileInfo::exists(data + "log.txt"));
    EXPECT_EQ(platform::IniFile(data + "Site_1.ini").readString("General", "CurrentRotationPosition", ""), "1");
}
