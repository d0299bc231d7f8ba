// Delete Site and Delete Rotation keep a folder that lies inside another site's folders, however
// it came to be stored there (a site file from before such folders were refused, one edited by
// hand, a folder relinked after Site Options accepted it, or a bind mount of one of them). The
// other site keeps every byte.
#include "platform/ini_file.h"
#include "site_manager/site_paths.h"
#include "tests/site_manager/mount_namespace.h"
#include "tests/site_manager/owners_fixture.h"

#include <QTemporaryDir>

using testing_support::treeContents;

class DeleteOwnersTest : public OwnersTest {
protected:
    struct KeptFolder {
        const char* what;
        bool rotation;        // Delete Rotation of Beta's rotation 2, else Delete Site of Beta
        const char* beta;     // Beta's [General] and rotation sections; %1 is a folder outside
        const char* deleted;  // the folder the box names; %2 is the data directory
        const char* reason;
    };

    QString filled(const char* text) const {
        return QString(text).replace("%1", outside.path()).replace("%2", data.path());
    }

    // Alpha's folders, and Beta's site file.
    void writeSites(const KeptFolder& row) {
        resetProgramGlobals();
        initDataDirectory();  // the stored folders are read before a program starts
        writeAlpha();
        data.write("sites.ini", "[Sites]\r\nSite_1=Alpha\r\nSite_2=Beta\r\n");
        data.write("Site_2.ini", "[General]\r\nName=Beta\r\n" + filled(row.beta).toUtf8());
        data.write("alpha/Rotation_1/images/style.css", "alpha stylesheet");
        data.write("alpha/Rotation_1/thumbs/x/a_thb.jpg", "alpha thumbnail");
        data.write("beta/Rotation_1/Index.html", "beta page");
    }

    // The delete keeps the folder and says why; Alpha keeps every byte and Beta what it had.
    void expectKept(const KeptFolder& row) {
        const QStringList alphaBefore = treeContents(data.file("alpha"));
        // What the deletes let go of (the editor stores the rotation's settings when it closes).
        const auto betasFolders = [&] {
            const platform::IniFile beta(data.file("Site_2.ini"));
            return QStringList{fixpath(beta.readString("General", "Path", ""), true),
                               beta.readString("General", "RotationCount", ""),
                               fixpath(beta.readString("Rotation_2", "Rotation_Path", ""), true)};
        };
        const QStringList betaBefore = betasFolders();
        const QString refusal = "The directory, " + filled(row.deleted) + ", " + row.reason +
                                ", so it cannot be deleted.  " +
                                (row.rotation ? "The rotation has been kept." : "The site, Beta, has been kept.");
        if (row.rotation)
            EXPECT_EQ(deleteLastRotation("Site_2"), QStringList{refusal});
        else
            EXPECT_EQ(deleteSite("Site_2").value(1), refusal);
        EXPECT_EQ(treeContents(data.file("alpha")), alphaBefore);
        EXPECT_EQ(betasFolders(), betaBefore);
        EXPECT_EQ(platform::IniFile(data.file("sites.ini")).readString("Sites", "Site_2", "gone"), "Beta");
    }

    const QTemporaryDir outside;
};

TEST_F(DeleteOwnersTest, AFolderInsideAnotherSitesFoldersIsKept) {
    const KeptFolder rows[] = {
        {"a site folder inside another site's folder", false, "Path=%\\alpha\\originals\\\r\n", "%2alpha/originals/",
         "lies inside the site directory of the site, Alpha"},
        {"a site folder inside another site's rotation", false, "Path=%\\alpha\\Rotation_1\\images\\\r\n",
         "%2alpha/Rotation_1/images/", "lies inside rotation 1 of the site, Alpha"},
        {"a rotation inside another site's folder", true,
         "Path=%\\beta\\\r\nRotationCount=2\r\n[Rotation_1]\r\nRotation_Path=%\\beta\\Rotation_1\\\r\n"
         "[Rotation_2]\r\nRotation_Path=%\\alpha\\originals\\\r\n",
         "%2alpha/originals/", "lies inside the site directory of the site, Alpha"},
    };
    for (const KeptFolder& row : rows) {
        SCOPED_TRACE(row.what);
        writeSites(row);
        expectKept(row);
    }
}

// Site Options accepted a fresh folder; then a folder above it became a link into Alpha's rotation.
TEST_F(DeleteOwnersTest, AFolderRelinkedAfterSiteOptionsIsKept) {
    const KeptFolder row{"a site folder relinked after Site Options", false, "Path=%\\beta\\\r\n", "%1/sites/images/",
                         "lies inside rotation 1 of the site, Alpha"};
    writeSites(row);
    QDir().mkpath(filled("%1/sites/images"));
    EXPECT_EQ(acceptedInSiteOptions("Site_2", typed(filled("%1/sites/images/"))), QStringList());
    ASSERT_TRUE(QDir(filled("%1/sites")).removeRecursively());
    ASSERT_TRUE(QFile::link(data.file("alpha/Rotation_1"), filled("%1/sites")));
    expectKept(row);
}

// A site folder or rotation that is a bind mount of one of Alpha's folders: Site Options refuses
// it, and the deletes keep it. The mounts are made in a mount namespace of the test's own.
class DeleteOwnersInNamespace : public DeleteOwnersTest {
    void TestBody() override;
};
const bool deleteOwnersRegistered = testing_support::registerInOwnMountNamespace<DeleteOwnersInNamespace>(
    "DeleteOwnersInNamespace", "BindMountsOfAnotherSitesFolders", __FILE__, __LINE__);

TEST_F(DeleteOwnersTest, AFolderThatIsABindMountOfAnotherSitesFolderIsKept) {
    testing_support::runInOwnMountNamespace("DeleteOwnersInNamespace.BindMountsOfAnotherSitesFolders");
}

void DeleteOwnersInNamespace::TestBody() {
    ASSERT_TRUE(testing_support::inOwnMountNamespace()) << "not in a mount namespace of its own";
    const QByteArray twoRotations =
        "Path=%\\beta\\\r\nRotationCount=2\r\n[Rotation_1]\r\nRotation_Path=%\\beta\\Rotation_1\\\r\n"
        "[Rotation_2]\r\nRotation_Path=%\\beta\\Rotation_2\\\r\n";
    const struct {
        KeptFolder kept;
        const char* shows;  // the folder the mount shows, below the data directory
        const char* owner;  // as Site Options names it, for a site folder
    } rows[] = {
        {{"a site folder showing another site's folder", false, "Path=%\\beta\\\r\n", "%2beta/",
          "lies inside the site directory of the site, Alpha"},
         "alpha/originals",
         "the site, Alpha, in %2alpha/"},
        {{"a site folder showing another site's rotation", false, "Path=%\\beta\\\r\n", "%2beta/",
          "lies inside rotation 1 of the site, Alpha"},
         "alpha/Rotation_1/images",
         "rotation 1 of the site, Alpha, in %2alpha/Rotation_1/"},
        {{"a rotation showing another site's folder", true, twoRotations.constData(), "%2beta/Rotation_2/",
          "lies inside the site directory of the site, Alpha"},
         "alpha/originals",
         ""},
        {{"a rotation showing another site's thumbs", true, twoRotations.constData(), "%2beta/Rotation_2/",
          "lies inside rotation 1 of the site, Alpha"},
         "alpha/Rotation_1/thumbs/x",
         ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.kept.what);
        QDir(data.file("beta")).removeRecursively();
        writeSites(row.kept);
        testing_support::Mounts mounts;
        ASSERT_TRUE(mounts.bind(data.file(row.shows), filled(row.kept.deleted)));
        if (*row.owner)
            EXPECT_EQ(refusedInSiteOptions("Site_2", typed(data.file("beta/"))),
                      QStringList{"Keeping this site in " + data.file("beta/") + " would overwrite the files of " +
                                  filled(row.owner) + "!  Please choose another directory."});
        expectKept(row.kept);
    }
}
