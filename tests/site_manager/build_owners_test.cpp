// A build writes only into folders of its own site: a rotation folder or thumbs folder that leads
// into another site's folders stops the build before it writes or sweeps anything, and the other
// site keeps every byte. A rotation folder linked to a folder nobody owns builds as any other.
#include "tests/site_manager/mount_namespace.h"
#include "tests/site_manager/owners_fixture.h"

#include <QTemporaryDir>

using testing_support::copyTree;
using testing_support::treeContents;

class BuildOwnersTest : public OwnersTest {
protected:
    // Alpha's rotation, to be built, and Beta's, built and live.
    void writeSites() {
        copyTree(qEnvironmentVariable("LUMENFOLD_SOURCE_DIR") + "/data/Styles", data.path() + "Styles");
        data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
        data.write("sites.ini", "[Sites]\r\nSite_1=Alpha\r\nSite_2=Beta\r\n");
        data.write("Site_1.ini",
                   "[General]\r\nName=Alpha\r\nPath=%\\alpha\\\r\nRotationCount=1\r\n"
                   "[Rotation_1]\r\nRotation_Path=%\\alpha\\Rotation_1\\\r\n");
        data.write("Site_2.ini", "[General]\r\nName=Beta\r\nPath=%\\beta\\\r\nLivePath=" + data.file("www/").toUtf8() +
                                     "\r\nAutoRotate=True\r\nRotationCount=1\r\n"
                                     "[Rotation_1]\r\nRotation_Path=%\\beta\\Rotation_1\\\r\n");
        writePhoto(data.file("beta/Rotation_1/beach.jpg"), 200);
        data.write("beta/Rotation_1/Index.html", "beta page");
        data.write("beta/Rotation_1/thumbs/beach_thb.jpg", "beta thumbnail");
        data.write("beta/Rotation_1/thumbs/sea_thb.jpg", "beta thumbnail of a photo gone");
        data.write("www/Index.html", "beta live page");
        data.write("www/thumbs/beach_thb.jpg", "beta live thumbnail");
    }
    QStringList betasFiles() const { return treeContents(data.file("beta")) + treeContents(data.file("www")); }
};

TEST_F(BuildOwnersTest, ABuildIntoAnotherSitesFoldersWritesNothing) {
    const struct {
        const char* what;
        const char* link;    // below the data directory
        const char* target;  // what it leads to, below the data directory; %1 is a folder nobody owns
        const char* folder;  // the folder the box names; empty: the build goes on
        const char* owner;
    } rows[] = {
        {"thumbs linked to another site's thumbs", "alpha/Rotation_1/thumbs", "beta/Rotation_1/thumbs",
         "alpha/Rotation_1/thumbs/", "rotation 1 of the site, Beta, in %2beta/Rotation_1/thumbs/"},
        {"thumbs linked to another site's live thumbs", "alpha/Rotation_1/thumbs", "www/thumbs",
         "alpha/Rotation_1/thumbs/", "the live directory of the site, Beta, in %2www/"},
        {"a rotation folder linked to another site's rotation", "alpha/Rotation_1", "beta/Rotation_1",
         "alpha/Rotation_1/", "rotation 1 of the site, Beta, in %2beta/Rotation_1/"},
        {"a rotation folder linked to a folder nobody owns", "alpha/Rotation_1", "%1", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        resetProgramGlobals();
        QDir(data.file("alpha")).removeRecursively();
        const QTemporaryDir elsewhere;
        const auto filled = [&](const QString& text) {
            return QString(text).replace("%1", elsewhere.path()).replace("%2", data.path());
        };
        writeSites();
        const QString target = QString(row.target) == "%1" ? elsewhere.path() : data.file(row.target);
        // Alpha's photo, in its rotation as the link leaves it.
        const QString rotation = QString(row.link).endsWith("thumbs") ? data.file("alpha/Rotation_1") : target;
        if (rotation != data.file("beta/Rotation_1")) writePhoto(rotation + "/beach.jpg", 20);
        QDir().mkpath(QFileInfo(data.file(row.link)).absolutePath());
        ASSERT_TRUE(QFile::link(target, data.file(row.link)));
        const QStringList betaBefore = betasFiles();
        const QStringList alphaBefore = treeContents(data.file("alpha"));

        const QStringList shown = buildFirstRotation("Site_1");
        EXPECT_EQ(betasFiles(), betaBefore);
        if (!*row.folder) {
            EXPECT_EQ(shown, QStringList{"Your build has been completed.  Would you like to preview it now?"});
            EXPECT_TRUE(QFileInfo::exists(elsewhere.path() + "/Index.html"));
            EXPECT_TRUE(QFileInfo::exists(elsewhere.path() + "/thumbs/beach_thb.jpg"));
            continue;
        }
        EXPECT_EQ(shown,
                  QStringList{"Building the rotation in " + data.file(row.folder) + " would overwrite the files of " +
                              filled(row.owner) + "!  Nothing has been built."});
        EXPECT_EQ(treeContents(data.file("alpha")), alphaBefore);
    }
}

// A thumbs folder that is a bind mount of another site's: the build's sweep of removed photos'
// thumbnails would delete that site's. The mount is made in a mount namespace of the test's own.
class BuildOwnersInNamespace : public BuildOwnersTest {
    void TestBody() override;
};
const bool buildOwnersRegistered = testing_support::registerInOwnMountNamespace<BuildOwnersInNamespace>(
    "BuildOwnersInNamespace", "ThumbsBoundToAnotherSitesThumbs", __FILE__, __LINE__);

TEST_F(BuildOwnersTest, ABuildWhoseThumbsAreABindMountOfAnotherSitesWritesNothing) {
    testing_support::runInOwnMountNamespace("BuildOwnersInNamespace.ThumbsBoundToAnotherSitesThumbs");
}

void BuildOwnersInNamespace::TestBody() {
    ASSERT_TRUE(testing_support::inOwnMountNamespace()) << "not in a mount namespace of its own";
    writeSites();
    writePhoto(data.file("alpha/Rotation_1/beach.jpg"), 20);
    testing_support::Mounts mounts;
    ASSERT_TRUE(mounts.bind(data.file("beta/Rotation_1/thumbs"), data.file("alpha/Rotation_1/thumbs")));
    const QStringList betaBefore = betasFiles();
    EXPECT_EQ(buildFirstRotation("Site_1"),
              QStringList{"Building the rotation in " + data.file("alpha/Rotation_1/thumbs/") +
                          " would overwrite the files of rotation 1 of the site, Beta, in " +
                          data.file("beta/Rotation_1/thumbs/") + "!  Nothing has been built."});
    EXPECT_EQ(betasFiles(), betaBefore);
    EXPECT_FALSE(QFileInfo::exists(data.file("alpha/Rotation_1/Index.html")));
}
