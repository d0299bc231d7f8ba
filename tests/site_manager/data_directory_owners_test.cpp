// The data directory stays the programs', whoever's folder is or holds it: one site stored over
// it stops no other site whose folders lie in it, and a site folder may hold it, but never the
// folders of another site.
#include "platform/file_ops.h"
#include "platform/ini_file.h"
#include "tests/site_manager/owners_fixture.h"

using testing_support::readFile;
using testing_support::treeContents;
using testing_support::writeFile;

class DataDirectoryOwnersTest : public OwnersTest {
protected:
    ~DataDirectoryOwnersTest() override { platform::setExecutableDirectoryForTesting(data.path()); }

    // The data directory moved into a folder of the gallery's own, "gallery/programs/" below the
    // test's folder; its path with a trailing "/".
    QString programsInGallery() {
        const QString programs = data.file("gallery/programs/");
        QDir().mkpath(programs);
        platform::setExecutableDirectoryForTesting(programs);
        writeFile(programs + "options.ini", "[Options]\r\nUseRotations=True\r\n");
        return programs;
    }

    // A built rotation in the folder.
    void writeRotation(const QString& folder) {
        writeFile(folder + "Index.html", "garden page");
        writeFile(folder + "g.jpg", "garden photo");
        writeFile(folder + "thumbs/g_thb.jpg", "garden thumbnail");
    }
};

TEST_F(DataDirectoryOwnersTest, ASiteStoredOverTheDataDirectoryStopsOnlyItself) {
    data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
    data.write("sites.ini", "[Sites]\r\nSite_1=Garden\r\nSite_6=Site number 6\r\n");
    data.write("Site_1.ini",
               "[General]\r\nName=Garden\r\nPath=%\\garden\\\r\nRotationCount=1\r\nCurrentRotationPosition=1\r\n"
               "[Rotation_1]\r\nRotation_Path=%\\garden\\Rotation_1\\\r\n");
    data.write("Site_6.ini",
               "[General]\r\nName=Site number 6\r\nPath=%\\six\\\r\nLivePath=" + data.file("www6/").toUtf8() +
                   "\r\nAutoRotate=True\r\nRotationCount=1\r\nCurrentRotationPosition=1\r\n"
                   "[Rotation_1]\r\nRotation_Path=%\\\r\n");
    data.write("Index.html", "not a gallery");
    writeRotation(data.file("garden/Rotation_1/"));

    EXPECT_EQ(acceptedInSiteOptions("Site_1", typed(QString(), data.file("live/site1/"))), QStringList());
    EXPECT_EQ(rotateUnattendedIn(data.path(), QDir::tempPath()), 1);
    EXPECT_EQ(treeContents(data.file("live/site1")), treeContents(data.file("garden/Rotation_1")));
    EXPECT_FALSE(QFileInfo::exists(data.file("www6")));
    const QString log = QString::fromUtf8(data.read("log.txt"));
    EXPECT_TRUE(log.contains("The site, Site number 6, was NOT updated to rotation 1: its directory, " + data.path() +
                             ", is the data directory of Lumenfold Pro"))
        << log.toStdString();
}

TEST_F(DataDirectoryOwnersTest, ASiteFolderThatHoldsAnotherSitesFoldersIsRefused) {
    const QString programs = programsInGallery();
    const QString root = data.path();
    writeFile(programs + "sites.ini", "[Sites]\r\nSite_1=Alpha\r\nSite_2=Beta\r\nSite_3=Gamma\r\nSite_4=Delta\r\n");
    writeFile(programs + "Site_1.ini", ("[General]\r\nName=Alpha\r\nPath=" + root + "sites/alpha/\r\n" +
                                        "RotationCount=2\r\n[Rotation_2]\r\nRotation_Path=" + root + "shared/R2/\r\n")
                                           .toUtf8());
    writeFile(programs + "Site_2.ini", ("[General]\r\nName=Beta\r\nPath=" + root + "beta/\r\nLivePath=" + root +
                                        "www/beta/\r\nAutoRotate=True\r\n")
                                           .toUtf8());
    writeFile(programs + "Site_3.ini", "[General]\r\nName=Gamma\r\nPath=%\\gamma\\\r\n");
    writeFile(programs + "Site_4.ini", "[General]\r\nName=Delta\r\nPath=%\\delta\\\r\n");
    for (const char* folder : {"sites/alpha/", "shared/R2/", "www/beta/"}) QDir().mkpath(root + folder);
    QDir().mkpath(programs + "delta");
    const struct {
        const char* what;
        const char* typed;  // below the test's folder
        const char* owner;  // %1 is the test's folder
    } rows[] = {
        {"another site's folder", "sites/", "the site, Alpha, in %1sites/alpha/"},
        {"another site's rotation", "shared/", "rotation 2 of the site, Alpha, in %1shared/R2/"},
        {"another site's live directory", "www/", "the live directory of the site, Beta, in %1www/beta/"},
        {"the data directory with another site's folder in it", "gallery/",
         "the site, Delta, in %1gallery/programs/delta/"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const QByteArray gammaBefore = readFile(programs + "Site_3.ini");
        EXPECT_EQ(refusedInSiteOptions("Site_3", typed(root + row.typed)),
                  QStringList{"Keeping this site in " + root + row.typed + " would overwrite the files of " +
                              QString(row.owner).arg(root) + "!  Please choose another directory."});
        EXPECT_EQ(readFile(programs + "Site_3.ini"), gammaBefore);
    }
}

// The programs unpacked inside the gallery's own folder.
TEST_F(DataDirectoryOwnersTest, ASiteFolderThatHoldsOnlyTheDataDirectoryGoesLive) {
    const QString programs = programsInGallery();
    const QString gallery = data.file("gallery/");
    writeFile(programs + "sites.ini", "[Sites]\r\nSite_1=Garden\r\n");
    writeFile(programs + "Site_1.ini", ("[General]\r\nName=Garden\r\nPath=%\\garden\\\r\nRotationCount=1\r\n"
                                        "CurrentRotationPosition=1\r\n[Rotation_1]\r\nRotation_Path=" +
                                        gallery + "Rotation_1/\r\n")
                                           .toUtf8());
    writeRotation(gallery + "Rotation_1/");
    EXPECT_EQ(acceptedInSiteOptions("Site_1", typed(gallery, data.file("www/"))), QStringList());
    EXPECT_EQ(platform::IniFile(programs + "Site_1.ini").readString("General", "Path", ""), gallery);
    QString errors;
    EXPECT_EQ(rotateUnattendedIn(programs, QDir::tempPath(), &errors), 0) << errors.toStdString();
    EXPECT_EQ(treeContents(data.file("www")), treeContents(gallery + "Rotation_1"));
}
