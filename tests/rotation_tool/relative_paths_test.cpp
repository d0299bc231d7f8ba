// Folders and the log's name stored relative are read relative to the data directory, not to the
// folder the rotation tool was started in.
#include "tests/rotation_tool/spindleway_process.h"

using testing_support::treeContents;
using testing_support::writeFile;

TEST(SpindlewayRelativePaths, RelativeSiteRotationAndLiveFoldersLieInTheDataDirectory) {
    // A relative rotation path, the default rotation folder of a relative site path, and a live
    // directory whose name begins with "%" (a "%" names the data directory only before a separator).
    const struct {
        QByteArray section;
        QString rotation;
        QByteArray livePath;  // as stored
        QString live;         // the folder it names, below the data directory
    } rows[] = {
        {"[Rotation_1]\r\nRotation_Path=Garden/R1/\r\n", "Garden/R1/", "www/garden", "www/garden"},
        {"", "Garden/rotation_1/", "www/garden", "www/garden"},
        {"", "Garden/rotation_1/", "%20live\\", "%20live"},
    };
    for (const auto& [section, rotation, livePath, live] : rows) {
        SCOPED_TRACE((rotation + " into " + live).toStdString());
        testing_support::SpindlewayData data;
        QTemporaryDir elsewhere;
        writeFile(data.path() + "sites.ini", "[Sites]\r\nSite_1=Garden\r\n");
        writeFile(data.path() + "options.ini", "[Options]\r\nLogging=True\r\nLogFileName=mylog.txt\r\n");
        writeFile(data.path() + "Site_1.ini",
                  "[General]\r\nName=Garden\r\nPath=Garden\r\nLivePath=" + livePath +
                      "\r\nAutoRotate=True\r\nRotationCount=1\r\nCurrentRotationPosition=1\r\n" + section);
        writeFile(data.path() + rotation + "Index.html", "<img src=\"photo.jpg\">");
        writeFile(data.path() + rotation + "photo.jpg", "photo");

        QProcess run;
        data.prepare(run);
        run.setWorkingDirectory(elsewhere.path());
        run.setArguments({"/ROTATE"});
        run.start();
        ASSERT_TRUE(run.waitForFinished(60000));
        EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
        EXPECT_EQ(treeContents(data.path() + live),
                  (QStringList{"Index.html: <img src=\"photo.jpg\">", "photo.jpg: photo"}));
        EXPECT_EQ(treeContents(elsewhere.path()), QStringList());
        EXPECT_EQ(testing_support::readFile(data.path() + "mylog.txt"),
                  "Your site update completed without error!\r\n");
    }
}
