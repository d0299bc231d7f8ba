// Folders stored relative are read relative to the data directory, not to the folder the
// rotation tool was started in.
#include "tests/rotation_tool/spindleway_process.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testing_support::readFile;
using testing_support::SpindlewayData;
using testing_support::treeContents;
using testing_support::writeFile;

TEST(SpindlewayRelativePaths, RelativeSiteRotationAndLiveFoldersLieInTheDataDirectory) {
    const struct {
        const char* what;
        QByteArray rotationSection;  // empty: the default rotation directory of the site
        QString rotationFolder;      // relative to the data directory
    } cases[] = {
        {"a relative rotation path", "[Rotation_1]\r\nRotation_Path=Garden/R1/\r\n", "Garden/R1/"},
        {"the default rotation of a relative site path", "", "Garden/rotation_1/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SpindlewayData data;
        QTemporaryDir elsewhere;
        writeFile(data.path() + "sites.ini", "[Sites]\r\nSite_1=Garden\r\n");
        writeFile(data.path() + "Site_1.ini",
                  "[General]\r\nName=Garden\r\nPath=Garden\r\nLivePath=www/garden\r\n"
                  "AutoRotate=True\r\nRotationCount=1\r\nCurrentRotationPosition=1\r\n" +
                      c.rotationSection);
        writeFile(data.path() + c.rotationFolder + "Index.html", "<img src=\"photo.jpg\">");
        writeFile(data.path() + c.rotationFolder + "photo.jpg", "photo");

        QProcess run;
        data.prepare(run);
        run.setWorkingDirectory(elsewhere.path());
        run.setArguments({"/ROTATE"});
        run.start();
        ASSERT_TRUE(run.waitForFinished(60000));
        EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
        EXPECT_EQ(treeContents(data.path() + "www/garden"),
                  (QStringList{"Index.html: <img src=\"photo.jpg\">", "photo.jpg: photo"}));
        EXPECT_EQ(treeContents(elsewhere.path()), QStringList());
        EXPECT_EQ(data.storedPosition(), "2");
    }
}
